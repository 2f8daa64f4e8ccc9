#pragma once
// A temporary application folder with a menu database made from given rows,
// and the program folder pointed at it.
#include <QDir>
#include <QTemporaryDir>
#include <optional>
#include <vector>

#include "platform/data/Data.h"
#include "platform/forms/Program.h"

namespace fixture {

struct Row {
  std::optional<QString> group, section, icon, type, start, p1, p2, p3;
};

inline QString CatalogPath(const QString& app) { return app + "/QVRV5_OOW/db/QVRV 5 - OOW.mdb"; }

inline void WriteCatalog(const QString& path, const std::vector<Row>& rows, const QString& password = "korvinel") {
  QDir().mkpath(QFileInfo(path).path());
  platform::CreateDatabase(path, password);
  platform::Connection c;
  c.ConnectionString = platform::JetConnectionString(path, password);
  c.Mode = platform::adModeReadWrite;
  c.Open();
  c.Execute(
      "CREATE TABLE MainTableRecords ([Left Panel Title] TEXT COLLATE VBTEXT, [Right Panel Title] TEXT COLLATE "
      "VBTEXT, [Icon Type] TEXT, [Program Type] TEXT, Start TEXT, [Parameter 1] TEXT, [Parameter 2] TEXT, "
      "[Parameter 3] TEXT)");
  auto v = [](const std::optional<QString>& s) { return s ? platform::Variant(*s) : platform::Variant::Null(); };
  for (const Row& r : rows)
    c.Execute("INSERT INTO MainTableRecords VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
              {v(r.group), v(r.section), v(r.icon), v(r.type), v(r.start), v(r.p1), v(r.p2), v(r.p3)});
}

class AppFolder {
 public:
  explicit AppFolder(const std::vector<Row>& rows = {}, bool withCatalog = true) {
    if (withCatalog) WriteCatalog(CatalogPath(dir_.path()), rows);
    platform::SetProgramFolder(dir_.path());
  }
  ~AppFolder() { platform::SetProgramFolder(QString()); }
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace fixture
