#pragma once
// Our writer of rich-text markup (RTF), in the shape a Windows rich-text
// control writes it:
//
//   {\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fnil\fcharset0 MS Sans Serif;}}
//   {\colortbl ;\red255\green0\blue255;}
//   \viewkind4\uc1\pard\f0\fs17 text\par
//   }
//
// The colour table is written only when a colour is used. Characters outside
// ASCII are written as "\'hh" where Windows-1252 has them, else as "\uN?"
// (whatever character set the markup they were read from gave them). Tab
// stops, superscripts, soft hyphens, right-to-left paragraphs and tables
// (\trowd ... \cell ... \row, with merged cells, shading and borders) are
// written as the reader reads them. What RtfReader reads back from the output
// is the same text with the same formatting.
#include <QString>

class QTextDocument;

namespace platform {

// The whole document as markup.
QString WriteRtf(const QTextDocument& document);

// Plain text as markup, one paragraph per line (CrLf, CR or LF ends a line),
// all in one font; `halfPoints` is the size in half-points (17: 8.5 points).
QString PlainTextToRtf(const QString& text, const QString& fontName = QStringLiteral("MS Sans Serif"),
                       int halfPoints = 17);

}  // namespace platform
