#pragma once
// A small INI file shared by the settings store and the registry: sections of
// "key=value" lines. Section and key names compare as names do (case does not
// matter); each keeps the spelling it was first written with. A name or value
// that would not read back as it stands (blanks at its ends, a quote at its
// start, line breaks, "=" in a key, "]" in a section) is written between double
// quotes with backslash escapes.
#include <QList>
#include <QString>

namespace platform {

class IniFile {
 public:
  struct Entry {
    QString key;
    QString value;
  };
  struct Section {
    QString name;
    QList<Entry> entries;
  };

  // Reads the file; a missing or unreadable file reads as empty.
  static IniFile Load(const QString& path);
  // Writes the whole file or nothing: the text goes into a new file beside
  // it, which then takes its place, so a full disk or a kill leaves the file
  // as it was. False, and why in *why, when it cannot be written (a file that
  // is read-only or cannot be read, a folder that cannot be made or written,
  // a full disk).
  bool Save(const QString& path, QString* why = nullptr) const;

  const QList<Section>& Sections() const { return sections_; }
  const Section* FindSection(const QString& name) const;
  Section& AddSection(const QString& name);  // the existing one when there is one
  const QString* Value(const QString& section, const QString& key) const;
  void SetValue(const QString& section, const QString& key, const QString& value);

 private:
  QString Text() const;
  qsizetype IndexOf(const QString& name) const;
  QList<Section> sections_;
};

// Says on standard error that `what` was not saved in the file and why; the
// same line twice in a row is said once.
void ReportNotSaved(const QString& what, const QString& path, const QString& why);

}  // namespace platform
