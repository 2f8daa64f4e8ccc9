#pragma once
// Windows code pages as rich-text markup uses them: "\'hh" bytes are read in
// the code page of the current font's character set ("\fcharset"), else in
// the document's (1252 unless "\ansicpg" says otherwise), and the writer
// escapes what Windows-1252 can hold as "\'hh".
#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <array>
#include <memory>

namespace platform {

// The character Windows-1252 gives a byte (its five unassigned bytes map to
// the C1 controls of the same number, as Windows maps them).
char16_t Cp1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int UnicodeToCp1252(char16_t ch);

// The code page of a font's character set ("\fcharsetN"), or 0 where the
// set names none of its own (ANSI, default, unknown): the document's page.
// The symbol set gives kSymbolCodePage.
int CodePageOfCharset(int charset);
inline constexpr int kSymbolCodePage = 42;

// Turns code-page bytes into text. Single-byte code pages go through a table;
// double-byte ones (932, 936, 949, 950) join a lead byte with the byte after
// it, whatever that byte is; UTF-8 (65001) is decoded in runs.
class RtfCodePage {
 public:
  RtfCodePage();  // Windows-1252
  explicit RtfCodePage(int codePage);

  int Number() const { return number_; }
  bool IsSingleByte() const { return singleByte_; }
  // The symbol set maps its ASCII bytes too (0x61 is alpha).
  bool IsSymbol() const { return number_ == kSymbolCodePage; }
  // Single-byte pages only.
  char16_t Map(unsigned char byte) const { return table_[byte]; }
  // Double-byte pages: a byte that takes the next one with it.
  bool IsLeadByte(unsigned char byte) const { return leads_[byte]; }
  // Any page: a run of whole characters (lead bytes with their trail bytes),
  // decoded as a whole.
  QString Decode(const QByteArray& bytes) const;

 private:
  int number_ = 1252;
  bool singleByte_ = true;
  std::array<char16_t, 256> table_{};
  std::array<bool, 256> leads_{};
  QByteArray decoderName_;
};

}  // namespace platform
