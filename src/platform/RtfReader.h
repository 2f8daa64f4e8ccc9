#pragma once
// Our reader of rich-text markup (RTF) into a Qt text document.
//
// It reads what word processors and rich-text controls write: groups, control
// words and symbols, "\'hh" bytes in the document's code page, "\uN" with its
// "\ucN" fallback, the font and colour tables, character formatting (\plain,
// \b, \i, \ul, \strike, \fs, \f, \cf, \cb, \highlight), paragraphs (\par,
// \line, \tab, \pard, \ql \qc \qr \qj, \li \ri \fi \sb \sa) and PNG or JPEG
// pictures. Destinations it does not show are skipped; unknown words are
// ignored.
//
// Any input is safe: nesting is bounded, numbers are clamped, a truncated
// document shows as far as it goes, and nothing grows beyond the input's size.
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
