#pragma once

#include "Types.h"

#include <Qt>

namespace tk {

// The shape a cursor of the controls shows as.
Qt::CursorShape cursorShape(TCursor c);

} // namespace tk
