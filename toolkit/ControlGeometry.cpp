// The geometry rules of controls: the set-bounds operation, constraints, alignment and
// anchors.

#include "Control.h"
#include "Geometry.h"

#include <algorithm>

namespace tk {

void TControl::setBounds(int l, int t, int w, int h) {
    const QRect old = geometry();
    const QRect now = boundedControlRect(l, t, m_constraints.width(w), m_constraints.height(h));
    if (old == now && testAttribute(Qt::WA_Resized)) return;
    setGeometry(now);
    // Qt defers move and resize events of hidden widgets; the controls react at once.
    windowPosChanged(old);
}

void TControl::windowPosChanged(const QRect& oldBounds) {
    if (oldBounds.size() != size()) {
        // A control being read takes its children's bounds as the layout gives them.
        if (!isLoading()) followAnchors(oldBounds.size());
        resized();
    }
    if (oldBounds.topLeft() != pos()) moved();
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
    QRect r = alignRect();
    for (TControl* c : childControls()) {
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

void TControl::followAnchors(QSize old) {
    const int dw = width() - old.width();
    const int dh = height() - old.height();
    // The first size a control gets is no resize its children have to follow.
    if (old.isEmpty()) return;
    for (TControl* c : childControls()) {
        if (c->m_align != alNone) continue;
        const TAnchors a = c->m_anchors;
        QRect r = c->geometry();
        if (a & akRight) {
            if (a & akLeft)
                r.setWidth(r.width() + dw);
            else
                r.moveLeft(r.left() + dw);
        }
        if (a & akBottom) {
            if (a & akTop)
                r.setHeight(r.height() + dh);
            else
                r.moveTop(r.top() + dh);
        }
        if (r != c->geometry()) c->setBounds(r.left(), r.top(), r.width(), r.height());
    }
}

void TControl::setConstraints(const TSizeConstraints& c) {
    if (!assignIfChanged(m_constraints, c)) return;
    setBounds(left(), top(), width(), height());
}

QRect TControl::alignRect() const {
    return rect();
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
