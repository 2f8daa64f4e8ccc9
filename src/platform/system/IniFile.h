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
  // Writes the whole file in one step; false when it cannot be written (a
  // read-only file, a folder that cannot be made).
  bool Save(const QString& path) const;

  const QList<Section>& Sections() const { return sections_; }
  const Section* FindSection(const QString& name) const;
  Section& AddSection(const QString& name);  // the existing one when there is one
  const QString* Value(const QString& section, const QString& key) const;
  void SetValue(const QString& section, const QString& key, const QString& value);

 private:
  qsizetype IndexOf(const QString& name) const;
  QList<Section> sections_;
};

}  // namespace platform
