#include "platform/values/VbError.h"

namespace platform {

QString ErrorDescription(std::int32_t number) {
  switch (number) {
    case err::InvalidProcedureCall: return QStringLiteral("Invalid procedure call or argument");
    case err::Overflow: return QStringLiteral("Overflow");
    case err::OutOfMemory: return QStringLiteral("Out of memory");
    case err::SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case err::DivisionByZero: return QStringLiteral("Division by zero");
    case err::TypeMismatch: return QStringLiteral("Type mismatch");
    case err::BadFileName: return QStringLiteral("Bad file name or number");
    case err::FileNotFound: return QStringLiteral("File not found");
    case err::DeviceIOError: return QStringLiteral("Device I/O error");
    case err::PermissionDenied: return QStringLiteral("Permission denied");
    case err::PathFileAccess: return QStringLiteral("Path/File access error");
    case err::PathNotFound: return QStringLiteral("Path not found");
    case err::ObjectNotSet: return QStringLiteral("Object variable or With block variable not set");
    case err::InvalidUseOfNull: return QStringLiteral("Invalid use of Null");
    case err::InvalidPropertyValue: return QStringLiteral("Invalid property value");
    case err::InvalidPicture: return QStringLiteral("Invalid picture");
    case err::NotValidPassword: return QStringLiteral("Not a valid password.");
    case err::NoCurrentRecord:
      return QStringLiteral(
          "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
          "current record.");
    default: return QStringLiteral("Application-defined or object-defined error");
  }
}

VbError::VbError(std::int32_t number) : VbError(number, ErrorDescription(number)) {}

VbError::VbError(std::int32_t number, QString description)
    : number_(number), description_(std::move(description)) {
  what_ = std::to_string(number_) + ": " + description_.toStdString();
}

void Raise(std::int32_t number) { throw VbError(number); }
void Raise(std::int32_t number, const QString& description) { throw VbError(number, description); }

}  // namespace platform
