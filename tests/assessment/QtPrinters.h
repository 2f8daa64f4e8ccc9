#pragma once
// Readable QString values in test failure messages; line breaks are shown
// as \r and \n.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
  QString shown = text;
  shown.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
  *out << '"' << shown.toStdString() << '"';
}
