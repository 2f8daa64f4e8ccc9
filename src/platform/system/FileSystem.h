#pragma once
// The file-exists test the programs use before they open a content file: a
// search of one path with an attribute mask, as the original's Dir does.
#include <QString>

namespace platform {

// Attribute bits of the mask. Ordinary files are always found; on Linux a
// hidden file is one whose name begins with ".".
enum VbFileAttribute { vbReadOnly = 1, vbHidden = 2, vbSystem = 4, vbDirectory = 16, vbArchive = 32 };

// The name (without its folder) of the file the path names, or "" when there
// is none that the mask admits. The path is a content path: "\" is the
// separator and names are matched without regard to case. A folder counts
// only with vbDirectory in the mask. A medium that cannot be read raises
// error 52, as a drive without a disc does.
QString Dir(const QString& path, int attributes = 0);

}  // namespace platform
