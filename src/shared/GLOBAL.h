#pragma once
// Routines of the GLOBAL module that both Pellorin and Varnok are built with:
// the key sort with a companion array, the binary search of a sorted name
// list, and a pause that keeps the windows live.
#include <QString>
#include <cstdint>
#include <vector>

namespace shared::GLOBAL {

// Selection sort of keys, ascending, carrying items along (not stable).
// Positions are 16-bit: more than 32,768 entries raise error 6 "Overflow";
// items shorter than keys raise error 9.
void SortKeysWithPayload(std::vector<std::int32_t>& keys, std::vector<std::int32_t>& items);

// Index of the trimmed key in a list sorted by CompareText, or -1. The
// comparison ignores case; list entries are taken as they stand.
int BinarySearchText(const QString& key, const std::vector<QString>& list);

// Returns after the given seconds, letting the program's events run
// meanwhile; survives midnight. Zero or less returns at once.
void Pause(float seconds);

}  // namespace shared::GLOBAL
