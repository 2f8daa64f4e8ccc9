#pragma once
// Helpers of the data-layer tests: the error a call raises, QString in test
// output, and throw-away database files.
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

#include "platform/data/Data.h"
#include "platform/values/VbError.h"

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace datatest {

struct Failure {
  std::int32_t number = 0;
  QString description;
};

template <class F>
Failure FailureOf(F&& call) {
  try {
    call();
  } catch (const platform::VbError& e) {
    return {e.Number(), e.Description()};
  }
  return {};
}

inline const QString kNotFound =
    QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal.");
inline const QString kReadOnly = QStringLiteral("Cannot update. Database or object is read-only.");
inline const QString kNoBaseTable = QStringLiteral("Insufficient base table information for updating or refreshing.");

class DataFixture : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return dir_.filePath(name); }

  // A new database file; `fill` makes its tables and rows.
  QString MakeDatabase(const QString& name, const QString& password,
                       const std::function<void(platform::Connection&)>& fill = {}) {
    const QString path = Path(name);
    platform::CreateDatabase(path, password);
    if (fill) {
      auto connection = Open(path, password, platform::adModeReadWrite);
      fill(*connection);
    }
    return path;
  }

  std::unique_ptr<platform::Connection> Open(const QString& path, const QString& password, int mode) {
    auto connection = std::make_unique<platform::Connection>();
    connection->ConnectionString = platform::JetConnectionString(path, password);
    connection->Mode = mode;
    connection->Open();
    return connection;
  }

  QTemporaryDir dir_;
};

}  // namespace datatest
