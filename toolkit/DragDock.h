#pragma once

// The types of the drag and dock events every control carries.

#include "Types.h"

#include <QPoint>
#include <QRect>
#include <functional>

class QObject;
class QWidget;

namespace tk {

class TControl;

enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

using TStartDragEvent = std::function<void()>;
using TDragOverEvent =
    std::function<void(QObject* source, int x, int y, TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(QObject* source, int x, int y)>;
using TEndDragEvent = std::function<void(QObject* target, int x, int y)>;
using TStartDockEvent = std::function<void()>;
using TDockOverEvent =
    std::function<void(TControl* source, int x, int y, TDragState state, bool& accept)>;
using TDockDropEvent = std::function<void(TControl* source, int x, int y)>;
using TUnDockEvent = std::function<void(TControl* client, QWidget* newTarget, bool& allow)>;
using TEndDockEvent = std::function<void(QObject* target, int x, int y)>;
using TGetSiteInfoEvent =
    std::function<void(TControl* client, QRect& influenceRect, QPoint mousePos, bool& canDock)>;

} // namespace tk
