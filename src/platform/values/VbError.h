#pragma once
// The one error type of the programs: a number and a description, as the
// original's Err object carries them. Handlers branch on Number.
#include <QString>
#include <cstdint>
#include <exception>
#include <string>

namespace platform {

namespace err {
constexpr std::int32_t InvalidProcedureCall = 5;
constexpr std::int32_t Overflow = 6;
constexpr std::int32_t OutOfMemory = 7;
constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t DivisionByZero = 11;
constexpr std::int32_t TypeMismatch = 13;
constexpr std::int32_t BadFileName = 52;
constexpr std::int32_t FileNotFound = 53;
constexpr std::int32_t DeviceIOError = 57;
constexpr std::int32_t PermissionDenied = 70;
constexpr std::int32_t PathFileAccess = 75;
constexpr std::int32_t PathNotFound = 76;
constexpr std::int32_t ObjectNotSet = 91;
constexpr std::int32_t InvalidUseOfNull = 94;
constexpr std::int32_t InvalidPropertyValue = 380;
constexpr std::int32_t InvalidPicture = 481;
// Data-provider failures carry HRESULTs, negative as 32-bit numbers.
constexpr std::int32_t ProviderFailure = static_cast<std::int32_t>(0x80004005u);   // &H80004005
constexpr std::int32_t NotValidPassword = static_cast<std::int32_t>(0x80040E4Du);  // &H80040E4D
constexpr std::int32_t NoCurrentRecord = 3021;
}  // namespace err

// The standard description of a run-time error number ("Overflow", ...).
QString ErrorDescription(std::int32_t number);

class VbError : public std::exception {
 public:
  explicit VbError(std::int32_t number);
  VbError(std::int32_t number, QString description);

  std::int32_t Number() const { return number_; }
  const QString& Description() const { return description_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::int32_t number_;
  QString description_;
  std::string what_;
};

[[noreturn]] void Raise(std::int32_t number);
[[noreturn]] void Raise(std::int32_t number, const QString& description);

}  // namespace platform
