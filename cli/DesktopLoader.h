#pragma once

#include "Desktop.h"

namespace cli {

// The desktop module's functions, loaded on the first call; throws std::runtime_error when
// the module cannot be loaded.
const desktop::Functions& desktopFunctions();

} // namespace cli
