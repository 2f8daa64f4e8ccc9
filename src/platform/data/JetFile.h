#pragma once
// Access (Jet) files, as the data layer meets them: what the first page says
// (format, code page, database password), and the SQLite files in our own
// format that stand for them. libmdb reads them; nothing here writes Jet.
//
// A read-only open is served from a copy in the cache folder, built once per
// state of the file (path, device, inode, size, modification and inode change
// times) and replaced by rename, so two programs starting at once each see a
// whole copy; where the cache folder cannot take it, from a copy in a folder
// of the program's own that goes when the program ends. A read/write open
// converts the file in place, once: the copy is written beside it under a
// temporary name, the original is kept under OriginalName(), and the copy is
// renamed over the file. A temporary file is locked by the program writing it
// while it lives, so one that nobody holds is a leftover to remove. libmdb
// runs in a child process, so a damaged file that makes it crash or loop ends
// in an error, never in the program's end.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace platform::jet {

enum class Version { Jet3, Jet4, Ace };

struct Header {
  Version version = Version::Jet3;
  int codePage = 1252;     // of Jet 3 text; 0 in the file means 1252
  bool encrypted = false;  // an Access 2007 (or later) file with a password: Office encryption
  bool cut = false;        // the first page is not whole: a damaged file
  QString password;        // empty: the file has none, so any password opens it
};

// The header of a Jet or ACE file from its first page; nullopt for any other file.
std::optional<Header> ReadHeader(const QByteArray& firstPage);

// Where the read-only copies live: $XDG_CACHE_HOME/qvr/jet (~/.cache/qvr/jet);
// empty for a user without a home.
QString CacheFolder();

// For a read-only open of the file at path: the SQLite copy that stands for
// it, built when missing, stale or not of the size it was made with, or
// always with rebuild (the copy found could not be opened). nullopt when the
// file is no Jet file. Raises &H80040E4D for a wrong password and &H80004005
// for a file that cannot be read or when no copy can be written anywhere.
std::optional<QString> ReadOnlyCopy(const QString& path, const QString& password, bool rebuild = false);

// For a read/write open: converts the Jet file at path into our format in
// place; false when the file is no Jet file (any more). Raises &H80040E4D for
// a wrong password (nothing changes), &H80004005 with the reason when the file
// cannot be read or converted (it stays as it was).
bool ConvertInPlace(const QString& path, const QString& password);

// The name the original of a converted file is kept under.
QString OriginalName(const QString& path);

// Points of a conversion where tests stop it. TableCopied runs in the child
// that reads the file, the others in the converting program (LockBusy: it
// finds another program converting the file, and waits).
enum class Step { TableCopied, CopyWritten, OriginalKept, LockBusy };
void SetStepHook(std::function<void(Step)> hook);

// Between the reader and the conversion: writes the copy of the Jet file at
// source into the new, empty file target, in our format with the given
// password. Runs in the child; progress is called now and then. An empty
// result is success.
struct CopyFailure {
  bool damaged = false;  // the file cannot be read (else: the copy cannot be written)
  int error = 0;         // errno of a failed write, when known
  QString text;
};
std::optional<CopyFailure> WriteCopy(const QString& source, const QString& target, const QString& password,
                                     const std::function<void()>& progress);
void RunStepHook(Step step);

}  // namespace platform::jet
