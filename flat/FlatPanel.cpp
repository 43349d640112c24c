#include "FlatPanel.h"

#include "Canvas.h"

#include <QChildEvent>
#include <QScopedValueRollback>

namespace flat {

namespace {

constexpr int NewPanelWidth = 185;
constexpr int NewPanelHeight = 41;
constexpr int CaptionInset = 3;     // the caption keeps this far from the left and right edge
constexpr int AlignInset = 2;       // aligned children keep clear of the border
constexpr int BorderStripWidth = 2; // what a resize repaints of the border

} // namespace

QRegion panelRepaintRegion(const QRect& oldBounds, QSize newSize, bool fullRepaint,
                           bool hasCaption) {
    if (fullRepaint || hasCaption) return QRegion(QRect(QPoint(0, 0), newSize));
    const QSize old = oldBounds.size(), least = old.boundedTo(newSize);
    QRegion region;
    if (old.width() != newSize.width())
        region += QRegion(old.width() - BorderStripWidth, 0, BorderStripWidth, old.height()) +
                  QRegion(least.width() - BorderStripWidth, 0, BorderStripWidth, newSize.height());
    if (old.height() != newSize.height())
        region += QRegion(0, old.height() - BorderStripWidth, old.width(), BorderStripWidth) +
                  QRegion(0, least.height() - BorderStripWidth, newSize.width(), BorderStripWidth);
    return region;
}

TDefinePanel::TDefinePanel(tk::Component* owner, QWidget* parent)
    : TVersionCtrlExt(owner, nullptr) {
    setControlStyle(tk::TControlStyle(tk::csAcceptsControls) | tk::csCaptureMouse |
                    tk::csClickEvents | tk::csDoubleClicks | tk::csSetCaption | tk::csOpaque);
    // The window class asks for no full redraw on resize: Qt then repaints only what a
    // resize uncovers, and windowPosChanged() decides what else.
    setAttribute(Qt::WA_StaticContents);
    setBounds(0, 0, NewPanelWidth, NewPanelHeight);
    setColor(tk::clBtnFace); // turns ParentColor off
    if (parent) setParentControl(parent);
}

void TDefinePanel::setAutoSize(bool on) {
    if (assignIfChanged(m_autoSize, on)) fitToContents();
}

void TDefinePanel::loaded() {
    TVersionCtrlExt::loaded();
    fitToContents();
}

void TDefinePanel::childEvent(QChildEvent* e) {
    TVersionCtrlExt::childEvent(e);
    if (e->removed()) tileDockClients();
    if (e->added() || e->removed()) fitToContents();
}

void TDefinePanel::setUseDockManager(bool on) {
    if (assignIfChanged(m_useDockManager, on)) tileDockClients();
}

void TDefinePanel::tileDockClients() {
    QList<tk::TControl*> clients;
    // A client that leaves is still its parent's while the parent hears of it.
    m_dockClients.removeIf(
        [this](const QPointer<tk::TControl>& c) { return !c || !children().contains(c.data()); });
    for (tk::TControl* c : std::as_const(m_dockClients))
        if (!c->isHidden()) clients << c;
    if (m_useDockManager) {
        const QScopedValueRollback<bool> tiling(m_fitting, true); // fitted once all are tiled
        const QRect area = alignRect();
        const bool across = area.width() >= area.height();
        const qsizetype length = across ? area.width() : area.height();
        for (qsizetype i = 0; i < clients.size(); ++i) {
            const int from = int(length * i / clients.size());
            const int to = int(length * (i + 1) / clients.size());
            if (across)
                clients[i]->setBounds(area.x() + from, area.y(), to - from, area.height());
            else
                clients[i]->setBounds(area.x(), area.y() + from, area.width(), to - from);
        }
    }
    fitToContents();
}

void TDefinePanel::fitToContents() {
    if (!m_autoSize || !canAutoSize() || m_fitting || isLoading()) return;
    // Children that follow the panel's size would chase it for ever: they are left out.
    QRect contents;
    for (tk::TControl* c : childControls())
        if (!c->isHidden() && c->align() == tk::alNone &&
            c->anchors() == (tk::TAnchors(tk::akLeft) | tk::akTop))
            contents |= c->geometry();
    if (contents.isNull()) return;
    const QScopedValueRollback<bool> fitting(m_fitting, true);
    // An aligned panel sizes only the axis its alignment leaves to it.
    const bool widthOwn = align() == tk::alNone || align() == tk::alLeft || align() == tk::alRight;
    const bool heightOwn = align() == tk::alNone || align() == tk::alTop || align() == tk::alBottom;
    setBounds(left(), top(), widthOwn ? contents.right() + 1 + AlignInset : width(),
              heightOwn ? contents.bottom() + 1 + AlignInset : height());
}

void TDefinePanel::placeDockClient(tk::TControl* client, const QRect& dockRect) {
    dockClient(dockRect, [&] { TVersionCtrlExt::placeDockClient(client, dockRect); });
    if (!m_dockClients.contains(client)) m_dockClients << client;
    tileDockClients();
}

void TDefinePanel::dockClient(const QRect& dockRect, const std::function<void()>& placeClient) {
    if (!m_autoSize) {
        if (placeClient) placeClient();
        return;
    }
    const QScopedValueRollback<bool> mark(m_sizingForDock, true);
    const QRect b = geometry();
    switch (align()) {
    case tk::alLeft:
        if (b.width() == 0) setBounds(b.x(), b.y(), dockRect.width(), b.height());
        break;
    case tk::alTop:
        if (b.height() == 0) setBounds(b.x(), b.y(), b.width(), dockRect.height());
        break;
    case tk::alRight:
        if (b.width() == 0)
            setBounds(b.x() - dockRect.width(), b.y(), dockRect.width(), b.height());
        break;
    case tk::alBottom:
        if (b.height() == 0)
            setBounds(b.x(), b.y() - dockRect.height(), b.width(), dockRect.height());
        break;
    default:
        break;
    }
    if (placeClient) placeClient();
}

void TDefinePanel::windowPosChanged(const QRect& oldBounds) {
    update(panelRepaintRegion(oldBounds, size(), m_fullRepaint, !caption().isEmpty()));
    if (oldBounds.size() != size()) tileDockClients();
    TVersionCtrlExt::windowPosChanged(oldBounds);
}

QRect TDefinePanel::alignRect() const {
    return rect().adjusted(AlignInset, AlignInset, -AlignInset, -AlignInset);
}

void TDefinePanel::paint(tk::Canvas& c) {
    paintBackground(c);
    paintBorder(c);
    paintCaption(c);
}

void TDefinePanel::paintBackground(tk::Canvas& c) const {
    DrawFace(*this, c, tk::Rect{0, 0, width(), height()}, m_transparent, m_styleFace,
             gradientStartColor(), gradientStopColor(), m_gradientDirection);
}

void TDefinePanel::paintBorder(tk::Canvas& c) const {
    if (!m_transBorder) DrawSolidFrame(c, tk::Rect{0, 0, width(), height()}, colorBorder(), 1);
}

void TDefinePanel::paintCaption(tk::Canvas& c) const {
    if (caption().isEmpty()) return;
    tk::Canvas::StateSaver saver(c);
    c.setFont(controlFont());
    c.setTextBackground(tk::TextBackground::Transparent);
    drawControlCaption(c, {CaptionInset, 0, width() - CaptionInset, height()}, caption(),
                       alignmentFormat(m_alignment) | tk::TextFormat::SingleLine |
                           tk::TextFormat::VCenter,
                       enabled());
}

} // namespace flat
