#pragma once
// Paths as the content writes them: "\" is the separator, and names are found
// as the Windows file system the content was written for finds them.
#include <QString>

namespace platform {

// "QVRV5_OOW\Corvanta.chm" -> "QVRV5_OOW/Corvanta.chm".
QString NativePath(const QString& path);

// The path of an existing file or folder: the exact name when it exists,
// otherwise each name matched without regard to case in its folder. A path
// that matches nothing comes back as given (with "/" separators).
QString ResolvePath(const QString& path);

}  // namespace platform
