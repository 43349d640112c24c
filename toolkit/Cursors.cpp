#include "Cursors.h"

#include <utility>

namespace tk {

Qt::CursorShape cursorShape(TCursor c) {
    // clang-format off
    static constexpr std::pair<TCursor, Qt::CursorShape> Shapes[] = {
        {crNone, Qt::BlankCursor}, {crCross, Qt::CrossCursor}, {crIBeam, Qt::IBeamCursor},
        {crSizeNESW, Qt::SizeBDiagCursor}, {crSizeNS, Qt::SizeVerCursor},
        {crSizeNWSE, Qt::SizeFDiagCursor}, {crSizeWE, Qt::SizeHorCursor},
        {crUpArrow, Qt::UpArrowCursor}, {crHourGlass, Qt::WaitCursor}, {crSQLWait, Qt::WaitCursor},
        {crDrag, Qt::DragCopyCursor}, {crMultiDrag, Qt::DragCopyCursor},
        {crNoDrop, Qt::ForbiddenCursor}, {crNo, Qt::ForbiddenCursor}, {crHSplit, Qt::SplitHCursor},
        {crVSplit, Qt::SplitVCursor}, {crAppStart, Qt::BusyCursor}, {crHelp, Qt::WhatsThisCursor},
        {crHandPoint, Qt::PointingHandCursor}, {crSizeAll, Qt::SizeAllCursor}};
    // clang-format on
    for (const auto& [cursor, shape] : Shapes)
        if (cursor == c) return shape;
    return Qt::ArrowCursor;
}

} // namespace tk
