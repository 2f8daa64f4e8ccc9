#pragma once
// Windows code pages as rich-text markup uses them: "\'hh" bytes are read in
// the code page of the current font (FontCodePage), else in the document's
// (1252 unless "\ansicpg" says otherwise), and the writer escapes what
// Windows-1252 can hold as "\'hh".
#include "platform/richtext/RtfSymbolFonts.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <array>
#include <memory>
#include <optional>

namespace platform {

// The character Windows-1252 gives a byte (its five unassigned bytes map to
// the C1 controls of the same number, as Windows maps them).
char16_t Cp1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int UnicodeToCp1252(char16_t ch);
// Appends a character; one beyond 16 bits as its surrogate pair.
void AppendCharacter(QString& text, char32_t c);

// The code page of a font's character set ("\fcharsetN"): Western (0) is
// Windows-1252, the others their own; 0 where the set names none (default,
// unknown), so that the document's page serves. The symbol set (2) gives
// kSymbolCodePage.
int CodePageOfCharset(int charset);
// Windows' number for the symbol set, whose codes are a font's own signs.
inline constexpr int kSymbolCodePage = 42;

// Turns code-page bytes into text. Single-byte code pages go through a table;
// double-byte ones (932, 936, 949, 950) join a lead byte with the byte after
// it, whatever that byte is; UTF-8 (65001) is decoded in runs.
class RtfCodePage {
 public:
  RtfCodePage();  // Windows-1252
  explicit RtfCodePage(int codePage);
  // A symbol font's chart, or, for a symbol font without one, its codes as
  // Windows gives them (U+F000 + code above 0x7F).
  explicit RtfCodePage(std::optional<RtfSymbolFont> font);

  int Number() const { return number_; }
  bool IsSingleByte() const { return singleByte_; }
  // A symbol font with a chart maps its ASCII bytes and letters too (in
  // Symbol, 0x61 is alpha): its text is made of the signs it shows.
  bool IsSymbol() const { return chart_; }
  // Single-byte pages only.
  char32_t Map(unsigned char byte) const { return table_[byte]; }
  // Double-byte pages: a byte that takes the next one with it.
  bool IsLeadByte(unsigned char byte) const { return leads_[byte]; }
  // Any page: a run of whole characters (lead bytes with their trail bytes),
  // decoded as a whole.
  QString Decode(const QByteArray& bytes) const;

 private:
  int number_ = 1252;
  bool singleByte_ = true;
  bool chart_ = false;
  std::array<char32_t, 256> table_{};
  std::array<bool, 256> leads_{};
  QByteArray decoderName_;
};

// One page of each number, made once and shared.
std::shared_ptr<const RtfCodePage> SharedCodePage(int number);

// The page a font's bytes read in, as Word reads them: a symbol font's chart
// by the font's name, whatever set the markup gives it; else the code page
// of its "\cpgN", else of its character set (the symbol set without a chart
// keeps its codes). Null where the font names no page of its own (default
// set, unknown, none given): the document's page serves.
std::shared_ptr<const RtfCodePage> FontCodePage(QStringView name, int charset, int cpg);

}  // namespace platform
