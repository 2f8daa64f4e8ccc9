#pragma once
// Our reader of rich-text markup (RTF) into a Qt text document.
//
// It reads what word processors and rich-text controls write: groups, control
// words and symbols, "\'hh" bytes in the code page of the font's own
// character set (else the document's; double-byte pages join a lead byte with
// the byte after it), "\uN" with its "\ucN" fallback, the font and colour
// tables, the codes of symbol fonts (bytes, letters, U+F020 to U+F0FF) as the
// characters their charts give (RtfSymbolFonts.h), character formatting
// (\plain, \b, \i, \ul, \strike, \super, \sub, \fs, \f, \cf, \cb, \highlight),
// paragraphs (\par, \line, \tab, \pard, \ql \qc \qr \qj,
// \li \ri \fi \sb \sa, tab stops \tx with \tqr \tqc \tqdec, \deftab, \rtlpar with
// \ql and \qr on the page's own sides), tables (\trowd, \cellx, \intbl, \cell,
// \row: one table row per \row, each cell in the columns its edges cover among
// every row's edges; cells merged by \clvmgf/\clvmrg and \clmgf/\clmrg; \clcbpat
// shading and the borders of cells and rows) and PNG or JPEG pictures.
//
// As a rich-text control shows them: list numbers and bullets are the text
// the markup spells out (\pntext, \listtext), else what the list table
// gives the paragraph's \ls and \ilvl, or its numbering of Word 6 and 95
// (\pn, with the section's \pnseclvlN), with the hanging indent as a tab stop
// after them; a footnote shows its reference mark (\chftn numbers
// them 1, 2, ...) but not its text; headers and footers are not shown; a
// nested table's cells go into the cell that holds it, a tab between them;
// "\-" is a soft hyphen (U+00AD). Destinations it does not show are skipped;
// unknown words are ignored.
//
// Any input is safe: nesting is bounded, numbers are clamped, a truncated
// document shows as far as it goes, and nothing grows beyond the input's size;
// a table has at most 64 columns (further cells go into the last, after a tab)
// and 4096 rows (further rows make a table of their own). A picture is decoded
// only when its data holds what it claims (RtfPicture.h), and the pictures of
// one document take at most kRtfPictureBudget; one that fails is left out,
// the text around it kept.
#include <QByteArrayView>
#include <QFont>
#include <QStringView>
#include <QUrl>

class QTextDocument;

namespace platform {

// Groups nested deeper than this are read as if their braces were not there.
inline constexpr int kRtfMaxGroupDepth = 256;

// True when the text is rich-text markup: it begins with "{\rtf".
bool IsRtf(QStringView text);
bool IsRtf(QByteArrayView bytes);

// Replaces the document's content with the markup. Text with no font or size
// of its own takes `baseFont` (the control's font) where the markup names no
// default font. Characters of a QString are taken as themselves; bytes of a
// QByteArray above 127 are read in the document's code page.
void ReadRtf(QStringView rtf, QTextDocument& document, const QFont& baseFont = QFont());
void ReadRtf(QByteArrayView rtf, QTextDocument& document, const QFont& baseFont = QFont());

// Pictures are the document's image resources; the bytes they were read
// from are kept as a user resource under this name, for the writer.
QUrl RtfPictureSource(const QString& pictureName);

}  // namespace platform
