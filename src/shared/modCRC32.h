#pragma once
// CRC-32 of a text, used to recognise duplicate questions quickly: the
// standard reflected CRC-32 (as zlib's crc32) over the text's Windows-1252
// bytes. Results are signed 32-bit values and are only compared for equality.
#include <QString>
#include <array>
#include <cstdint>

namespace shared::modCRC32 {

extern std::array<std::int32_t, 256> Crc32Table;
extern bool Crc32TableReady;

// Fills Crc32Table once per run.
void InitCrc32Table();

// Error 6 "Overflow" for a text of more than 32,767 characters.
std::int32_t ComputeStringCrc32(const QString& text);

// The 32-bit pattern shifted right by 8, zeros entering at the top.
std::int32_t ShiftRight8(std::int32_t value);

// The Windows-1252 byte of a character; characters the code page lacks give "?".
std::uint8_t AnsiByte(QChar c);

}  // namespace shared::modCRC32
