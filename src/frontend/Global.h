#pragma once
// Values every part of the front-end shares.
#include <QString>
#include <array>

namespace frontend {

// The program's folder without a trailing separator; set once at start-up.
extern QString AppFolder;

// The study log's log-on: the recent user names as last loaded (User1 to
// User5, the most recent first) and what the log-on prompt left: a name, ""
// or "cancelled by user".
extern std::array<QString, 5> RecentUsers;
extern QString EnteredUserName;

}  // namespace frontend
