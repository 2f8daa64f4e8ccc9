#pragma once
// The HKEY_LOCAL_MACHINE keys the front-end keeps, in an INI file under the
// configuration folder ("<configuration folder>/HKEY_LOCAL_MACHINE.ini"): a
// section per key path ("SOFTWARE\Tarrowby International\..."), its default
// value under "@". The calls answer as RegOpenKeyA, RegSetValueA,
// RegQueryValueA and RegCloseKey do: ERROR_SUCCESS or an error code, never an
// exception. Key names compare without regard to case; "SOFTWARE" always
// exists.
#include <QString>
#include <cstdint>

namespace platform {

using HKEY = std::uintptr_t;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

inline constexpr std::int32_t ERROR_SUCCESS = 0;
inline constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::int32_t ERROR_BAD_PATHNAME = 161;
inline constexpr std::int32_t ERROR_MORE_DATA = 234;

inline constexpr int REG_SZ = 1;

// Opens an existing key below `key`; an empty subKey opens `key` itself. A key
// that does not exist: ERROR_FILE_NOT_FOUND, *result 0.
std::int32_t RegOpenKey(HKEY key, const QString& subKey, HKEY* result);
// Sets the default value of subKey below `key` (of `key` itself when subKey is
// empty), creating the keys on the way, in one whole write of the file. Only
// REG_SZ. A file that cannot be written (read-only, a full disk: the file
// stays as it was, and one line on standard error says why) or a new key
// straight under HKEY_LOCAL_MACHINE: ERROR_ACCESS_DENIED.
std::int32_t RegSetValue(HKEY key, const QString& subKey, int type, const QString& data);
// Reads the default value of subKey below `key` into buffer, followed by a NUL
// character; *size holds the room in characters (at most buffer->size()) and
// gets the characters written, NUL included. A value that does not fit:
// ERROR_MORE_DATA, the buffer untouched, *size the room it needs. A key
// without a default value reads as an empty text. A null buffer asks for the
// size only.
std::int32_t RegQueryValue(HKEY key, const QString& subKey, QString* buffer, std::int32_t* size);
std::int32_t RegCloseKey(HKEY key);

// The file in use; SetRegistryFile points the calls at another one (tests),
// an empty path restores the default.
QString RegistryFile();
void SetRegistryFile(const QString& path);

}  // namespace platform
