#include "assessment/TestData.h"

#include "platform/values/VbError.h"

namespace assessment {

void QuestionArray::Dimension(int upper) {
  if (upper < 0) platform::Raise(platform::err::SubscriptOutOfRange);
  cells_.assign(static_cast<std::size_t>(upper + 1) * 2 * 9, QString());
  upper_ = upper;
}

std::size_t QuestionArray::Cell(int question, int part, int slot) const {
  if (question < 0 || question > upper_ || part < 0 || part > 1 || slot < 0 || slot > 8)
    platform::Raise(platform::err::SubscriptOutOfRange);
  return (static_cast<std::size_t>(question) * 2 + static_cast<std::size_t>(part)) * 9 + static_cast<std::size_t>(slot);
}

QString& QuestionArray::operator()(int question, int part, int slot) { return cells_[Cell(question, part, slot)]; }

const QString& QuestionArray::operator()(int question, int part, int slot) const {
  return cells_[Cell(question, part, slot)];
}

}  // namespace assessment
