#pragma once

// The types of the drag and dock events every control carries.

#include "Types.h"

#include <QPoint>
#include <QRect>

class QObject;
class QWidget;

namespace tk {

class TControl;

enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

} // namespace tk
