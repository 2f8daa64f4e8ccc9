#pragma once
// List markers of rich-text markup: the levels of the list table and the
// numbering of Word 6 and 95 ("\pn"), their numbers in each format, and the
// count of "\pn" numbered paragraphs.
#include <QString>

#include <array>
#include <cstdint>

namespace platform {

// A level of a list: how its marker is made, and the indents and font of
// the paragraphs at that level.
struct RtfListLevel {
  std::int32_t nfc = 0;  // 0 1, 1 I, 2 i, 3 A, 4 a, 5 1st, 22 01, 23 bullet, 255 no number
  std::int32_t start = 1;
  std::int8_t follow = 0;  // after the marker: 0 a tab, 1 a blank, 2 nothing
  bool noRestart = false;
  bool legal = false;  // the numbers of the levels above in decimal
  QString text;        // its length first, then the characters, 0 to 8 standing for the level numbers
  std::int32_t li = 0, fi = 0;
  bool indented = false;
  std::int32_t font = -1;
  std::int32_t halfPoints = 0;  // 0: the paragraph's
  bool operator==(const RtfListLevel&) const = default;
};

// Numbering in the way of Word 6 and 95 ("\pn"), a property of the
// paragraph: its marker made as a list level's, the number (level 0)
// standing between the text before and after it.
struct RtfPnLevel {
  std::int8_t kind = 0;  // 0 none, 1 to 9 a level of an outline, 10 a numbered paragraph, 11 a bullet
  bool skip = false;     // counted with its list, but no number shown
  RtfListLevel level;
  bool operator==(const RtfPnLevel&) const = default;
};

// A list number in a level's number format; empty for bullets and levels
// without a number, decimal for formats not known.
QString RtfListNumber(std::int32_t n, std::int32_t nfc);

// The count of the "\pn" numbered paragraphs just read.
class RtfPnCount {
 public:
  // The marker of the next numbered paragraph, a tab after it, counted on
  // from those before it: numbers of one kind and format go on, an
  // outline's levels restart below a higher one; a paragraph in the list
  // without a number of its own ("\pnlvlcont") keeps the count.
  QString Marker(const RtfPnLevel& pn);
  // A paragraph without a number ends the count.
  void End() { *this = RtfPnCount(); }

 private:
  std::int8_t kind_ = 0;
  std::int32_t nfc_ = 0;
  QString text_;
  std::array<std::int32_t, 10> number_{};
  std::array<bool, 10> started_{};
};

}  // namespace platform
