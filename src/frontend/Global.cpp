#include "frontend/Global.h"

namespace frontend {
QString AppFolder;
}
