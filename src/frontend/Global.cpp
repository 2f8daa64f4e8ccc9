#include "frontend/Global.h"

namespace frontend {
QString AppFolder;
std::array<QString, 5> RecentUsers;
QString EnteredUserName;
}  // namespace frontend
