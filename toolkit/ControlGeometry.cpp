// The geometry rules of controls: the set-bounds operation, constraints, alignment and
// anchors, run from every change of a control's bounds, by whichever road it came.

#include "Control.h"
#include "Geometry.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <utility>

namespace tk {

// One axis of the anchor rule: where a child that was `length` long from `start` in a parent
// `was` long lies in a parent `now` long.
static std::pair<int, int> anchoredSpan(bool nearEdge, bool farEdge, int start, int length, int was,
                                        int now) {
    if (nearEdge && farEdge) return {start, length + now - was};
    if (farEdge) return {start + now - was, length};
    if (nearEdge) return {start, length};
    // Held by neither edge, the centre keeps its place in proportion to the parent.
    const double centre = (start + length / 2.0) * now / was;
    return {qRound(std::clamp(centre - length / 2.0, double(MinCoordinate), double(MaxCoordinate))),
            length};
}

void TControl::setBounds(int l, int t, int w, int h) {
    const QRect now = boundedControlRect(l, t, m_constraints.width(w), m_constraints.height(h));
    if (geometry() == now && testAttribute(Qt::WA_Resized)) return;
    setGeometry(now);
    // Qt defers move and resize events of hidden widgets; the controls react at once.
    followBounds();
    // Placed by program (the anchor rule holds the original aside while it places).
    if (m_anchorOrigin) anchorHere();
}

void TControl::resizeEvent(QResizeEvent*) {
    followBounds();
}

void TControl::moveEvent(QMoveEvent*) {
    followBounds();
    // It was painted only where the screens showed it.
    if (isWindow() && windowExceedsScreens()) update();
}

void TControl::followBounds() {
    // Each change once, whether setBounds or Qt's event tells of it first.
    if (geometry() == m_boundsSeen) return;
    windowPosChanged(std::exchange(m_boundsSeen, geometry()));
    tellParent();
}

void TControl::tellParent() {
    TControl* p = parentControl();
    if (!p) return;
    // A child that refits itself where the parent's alignment placed it (to its font's
    // height, to its caption) is left there: placing it again would never end.
    if (m_align != alNone && !p->isLoading() && !p->m_aligning) p->realignChildren();
    p->childControlChanged();
}

void TControl::windowPosChanged(const QRect& oldBounds) {
    if (oldBounds.size() != size()) {
        followAnchors();
        resized();
    }
    if (oldBounds != geometry() && repaintsWhenMoved()) update();
}

void TControl::resized() {
    // Aligned children follow their parent's size, so OnResize sees them in place.
    if (!isLoading()) realignChildren();
    emit OnResize();
}

void TControl::setAlign(TAlign a) {
    if (!assignIfChanged(m_align, a)) return;
    // A parent being read aligns its children once it is complete (loaded()).
    if (TControl* p = parentControl(); p && !p->isLoading()) p->realignChildren();
}

void TControl::realignChildren() {
    const QScopedValueRollback<bool> aligning(m_aligning, true);
    const QRect area = alignRect();
    QRect r = area;
    for (TControl* c : childControls()) {
        // A parent that refitted itself to a child has placed them all anew, from its new size.
        if (alignRect() != area) return;
        if (c->isHidden()) continue;
        switch (c->m_align) {
        case alTop:
            c->setBounds(r.left(), r.top(), r.width(), c->height());
            r.setTop(r.top() + c->height());
            break;
        case alBottom:
            c->setBounds(r.left(), r.bottom() + 1 - c->height(), r.width(), c->height());
            r.setBottom(r.bottom() - c->height());
            break;
        case alLeft:
            c->setBounds(r.left(), r.top(), c->width(), r.height());
            r.setLeft(r.left() + c->width());
            break;
        case alRight:
            c->setBounds(r.right() + 1 - c->width(), r.top(), c->width(), r.height());
            r.setRight(r.right() - c->width());
            break;
        case alClient:
            c->setBounds(r.left(), r.top(), r.width(), r.height());
            break;
        default:
            break;
        }
    }
}

void TControl::setAnchors(TAnchors a) {
    m_anchors = a;
    anchorHere();
}

void TControl::anchorHere() {
    // Left and top alone keep the control where it is: there is nothing to remember.
    if (m_anchors == (TAnchors(akLeft) | akTop))
        m_anchorOrigin.reset();
    else
        m_anchorOrigin = std::make_unique<std::pair<QRect, QSize>>(
            geometry(), parentWidget() ? parentWidget()->size() : QSize());
}

void TControl::followAnchors() {
    for (TControl* c : childControls()) {
        if (!c->m_anchorOrigin || c->m_align != alNone) continue;
        const auto [bounds, parentSize] = *c->m_anchorOrigin;
        // A control being read takes its children's bounds as the layout gives them, and the
        // first size a control gets is no resize they follow: they are anchored from there.
        if (isLoading() || parentSize.isEmpty()) {
            c->anchorHere();
            continue;
        }
        const TAnchors a = c->m_anchors;
        const auto [x, w] = anchoredSpan(a & akLeft, a & akRight, bounds.x(), bounds.width(),
                                         parentSize.width(), width());
        const auto [y, h] = anchoredSpan(a & akTop, a & akBottom, bounds.y(), bounds.height(),
                                         parentSize.height(), height());
        // Where the rule puts a child is no new original: one that a constraint or a small
        // parent clamped would not come back.
        auto held = std::move(c->m_anchorOrigin);
        c->setBounds(x, y, w, h);
        if (!c->m_anchorOrigin) c->m_anchorOrigin = std::move(held);
    }
}

void TControl::setConstraints(const TSizeConstraints& c) {
    if (!assignIfChanged(m_constraints, c)) return;
    setBounds(left(), top(), width(), height());
}

void TControl::placeDockClient(TControl* client, const QRect& dockRect) {
    client->setParentControl(this);
    // Where it was dropped, as far as it fits in the client area.
    const QRect area = alignRect();
    const int x = std::clamp(dockRect.x(), area.left(),
                             std::max(area.left(), area.right() + 1 - client->width()));
    const int y = std::clamp(dockRect.y(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - client->height()));
    client->setBounds(x, y, client->width(), client->height());
    realignChildren();
}

} // namespace tk
