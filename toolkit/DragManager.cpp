#include "DragManager.h"

#include "Control.h"
#include "Cursors.h"

#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>

namespace tk {

namespace {

// A dock site takes clients dropped this close to it, so that a site aligned to a side
// with no width yet can still be found.
constexpr int DockInfluenceMargin = 10;

DragSession* g_session = nullptr;

// The visible top-level windows, floating tool windows first: they lie above the others.
QList<QWidget*> windowsFromTop() {
    QList<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) windows << w;
    std::stable_partition(windows.begin(), windows.end(), [](const QWidget* w) {
        return (w->windowFlags() & Qt::WindowType_Mask) == Qt::Tool;
    });
    return windows;
}

// The enabled control under the global point `global`, the innermost one.
TControl* controlAt(QPoint global) {
    for (QWidget* window : windowsFromTop()) {
        if (!window->geometry().contains(global)) continue;
        QWidget* w = window->childAt(window->mapFromGlobal(global));
        if (!w) w = window;
        while (w && !qobject_cast<TControl*>(w))
            w = w->parentWidget();
        auto* c = qobject_cast<TControl*>(w);
        return c && c->canFocus() ? c : nullptr;
    }
    return nullptr;
}

} // namespace

DragSession::DragSession(TControl* source, QPoint from, int threshold, bool whileHeld)
    : QObject(qApp), m_source(source), m_from(from),
      m_grabOffset(from - source->mapToGlobal(QPoint(0, 0))), m_threshold(threshold),
      m_whileHeld(whileHeld), m_last(from) {}

void DragSession::begin(TControl* source, QPoint from, bool immediate, int threshold,
                        bool whileHeld) {
    if (g_session || !source) return;
    g_session = new DragSession(
        source, from, threshold < 0 ? QApplication::startDragDistance() : threshold, whileHeld);
    qApp->installEventFilter(g_session);
    if (immediate) g_session->start(from);
}

DragSession* DragSession::active() {
    return g_session;
}

void DragSession::sourceDestroyed(const TControl* source) {
    if (g_session && g_session->m_source.data() == source) g_session->teardown();
}

bool DragSession::docking() const {
    return m_source && m_source->dragKind() == dkDock;
}

void DragSession::start(QPoint global) {
    m_started = true;
    m_source->m_clicked = false;
    // A press already holds the mouse for the source until its release; a drag begun by a
    // call takes it.
    if (!m_whileHeld && m_source->isVisible()) m_source->grabMouse();
    setDragCursor(crNoDrop);
    if (docking())
        emit m_source->OnStartDock();
    else
        emit m_source->OnStartDrag();
    if (m_source) moveTo(global);
}

void DragSession::moveTo(QPoint global) {
    m_last = global;
    TControl* now = docking() ? findSite(global) : controlAt(global);
    if (now != m_target) {
        if (m_target) over(m_target, dsDragLeave);
        m_target = now;
        m_accepted = false;
        if (m_target) over(m_target, dsDragEnter);
    } else if (m_target) {
        over(m_target, dsDragMove);
    }
    if (!m_source) return;
    if (docking()) showDockImage(m_target && m_accepted);
    // A dock dropped outside every site floats, which is a drop too.
    const bool dropHere = m_accepted || (docking() && !m_target);
    setDragCursor(dropHere ? m_source->dragCursor() : crNoDrop);
}

// A dock site takes the client unless its OnDockOver says no. A control without OnDragOver
// takes nothing; with one, it takes the source unless the handler says no.
void DragSession::over(TControl* target, TDragState state) {
    const QPoint p = target->mapFromGlobal(m_last);
    bool accept = docking() || target->isHandled(&TControl::OnDragOver);
    if (docking())
        emit target->OnDockOver(m_source, p.x(), p.y(), state, accept);
    else if (accept)
        emit target->OnDragOver(m_source, p.x(), p.y(), state, accept);
    if (state != dsDragLeave) m_accepted = accept;
}

// The top-most dock site whose influence takes the client at `global`. Within a window, a
// child lies above its parent and a later sibling above an earlier one: the reverse of the
// order findChildren() lists them in, the window last.
TControl* DragSession::findSite(QPoint global) const {
    for (QWidget* window : windowsFromTop()) {
        QList<TControl*> sites = window->findChildren<TControl*>();
        std::reverse(sites.begin(), sites.end());
        if (auto* c = qobject_cast<TControl*>(window)) sites.append(c);
        for (TControl* site : sites) {
            // A window it owns is searched in its own turn.
            if (!site->dockSite() || !site->isVisible() || site->window() != window ||
                isWithin(site, m_source))
                continue;
            QRect influence(site->mapToGlobal(QPoint(0, 0)), site->size());
            influence.adjust(-DockInfluenceMargin, -DockInfluenceMargin, DockInfluenceMargin,
                             DockInfluenceMargin);
            bool canDock = true;
            emit site->OnGetSiteInfo(m_source, influence, global, canDock);
            if (canDock && influence.contains(global)) return site;
        }
    }
    return nullptr;
}

void DragSession::showDockImage(bool show) {
    if (!show) {
        if (m_dockImage) m_dockImage->hide();
        return;
    }
    if (!m_dockImage) m_dockImage = std::make_unique<QRubberBand>(QRubberBand::Rectangle);
    m_dockImage->setGeometry(QRect(m_last - m_grabOffset, m_source->size()));
    m_dockImage->show();
}

void DragSession::setDragCursor(TCursor c) {
    if (std::exchange(m_cursorSet, true))
        QApplication::changeOverrideCursor(cursorShape(c));
    else
        QApplication::setOverrideCursor(cursorShape(c));
}

void DragSession::end(bool dropIt) {
    if (!m_started) return teardown();
    const QPointer<TControl> target = m_target;
    const bool accepted = m_accepted && target;
    teardown();
    if (!m_source) return;
    if (dropIt && docking()) {
        if (accepted) return dock(target);
        if (!target) return floatOut();
    }
    // Cancelled, or released where nothing takes the source: the control under the mouse
    // hears that it is left.
    if (target && !(dropIt && accepted)) {
        over(target, dsDragLeave);
        if (!m_source) return;
    }
    if (docking()) return endDock(nullptr, QPoint());
    QPoint at;
    if (dropIt && accepted) {
        at = target->mapFromGlobal(m_last);
        emit target->OnDragDrop(m_source, at.x(), at.y());
    }
    if (m_source)
        emit m_source->OnEndDrag(dropIt && accepted ? target.data() : nullptr, at.x(), at.y());
}

void DragSession::dock(TControl* site) {
    const QPointer<TControl> target = site;
    TControl* client = m_source;
    auto* oldSite = qobject_cast<TControl*>(client->parentWidget());
    if (oldSite && oldSite != site) {
        bool allow = true;
        emit oldSite->OnUnDock(client, site, allow);
        if (!allow || !m_source || !target) return endDock(nullptr, QPoint());
    }
    const QRect dockRect(site->mapFromGlobal(m_last - m_grabOffset), client->size());
    site->placeDockClient(client, dockRect);
    const QPoint at = site->mapFromGlobal(m_last);
    emit site->OnDockDrop(client, at.x(), at.y());
    if (m_source && target) endDock(site, at);
}

void DragSession::floatOut() {
    TControl* client = m_source;
    QWidget* oldHost = client->parentWidget();
    // A window of its own floats by moving: a host would have to be its child.
    QWidget* host = client->isWindow() ? static_cast<QWidget*>(client)
                                       : qobject_cast<FloatingDockWindow*>(oldHost);
    if (!host) {
        auto* window = new FloatingDockWindow(client->window());
        if (auto* oldSite = qobject_cast<TControl*>(oldHost)) {
            bool allow = true;
            emit oldSite->OnUnDock(client, window, allow);
            if (!allow || !m_source) {
                delete window;
                return endDock(nullptr, QPoint());
            }
        }
        host = window;
        host->resize(client->width(), client->height() + FloatingDockWindow::CaptionHeight);
        client->setParentControl(host);
        client->setBounds(0, FloatingDockWindow::CaptionHeight, client->width(), client->height());
    }
    // The client goes where the mouse holds it, whatever frame its host has.
    host->move(host->pos() + m_last - m_grabOffset - client->mapToGlobal(QPoint(0, 0)));
    host->show();
    endDock(host, host->mapFromGlobal(m_last));
}

void DragSession::endDock(QObject* target, QPoint at) {
    if (m_source) emit m_source->OnEndDock(target, at.x(), at.y());
}

bool DragSession::eventFilter(QObject* watched, QEvent* e) {
    if (g_session != this) return false;
    if (!m_source) {
        teardown();
        return false;
    }
    // Each event reaches the window first and then the widget; the widget's is the one to
    // take, so that the window still keeps its account of the buttons held.
    if (!watched->isWidgetType()) return false;
    try {
        switch (e->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            const bool release = e->type() == QEvent::MouseButtonRelease;
            const QPoint g = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
            if (!m_started) {
                // A release before the threshold, or a press that was let go of unseen (a
                // menu took the release), starts nothing.
                if (release ||
                    (m_whileHeld && !(static_cast<QMouseEvent*>(e)->buttons() & Qt::LeftButton))) {
                    teardown();
                    return false;
                }
                if ((g - m_from).manhattanLength() < m_threshold) return false;
                start(g);
                return true;
            }
            if (g != m_last) moveTo(g);
            if (release) end(true);
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return m_started;
        case QEvent::KeyPress:
            if (m_started && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
                end(false);
                return true;
            }
            return false;
        default:
            return QObject::eventFilter(watched, e);
        }
    } catch (...) {
        // A handler that fails ends the drag; the failure goes on to be reported.
        teardown();
        throw;
    }
}

void DragSession::teardown() {
    if (g_session != this) return;
    g_session = nullptr;
    qApp->removeEventFilter(this);
    if (m_source && QWidget::mouseGrabber() == m_source) m_source->releaseMouse();
    if (std::exchange(m_cursorSet, false)) QApplication::restoreOverrideCursor();
    m_dockImage.reset();
    deleteLater();
}

void FloatingDockWindow::childEvent(QChildEvent* e) {
    QWidget::childEvent(e);
    if (e->added() && e->child()->isWidgetType()) e->child()->installEventFilter(this);
    if (e->removed() && !client()) deleteLater();
}

TControl* FloatingDockWindow::client() const {
    return findChild<TControl*>(QString(), Qt::FindDirectChildrenOnly);
}

// Once shown, the window follows its client's own Visible.
bool FloatingDockWindow::eventFilter(QObject* watched, QEvent* e) {
    const bool shown = e->type() == QEvent::ShowToParent;
    if ((shown || e->type() == QEvent::HideToParent) && watched == client() &&
        testAttribute(Qt::WA_WState_ExplicitShowHide))
        setVisible(shown);
    return QWidget::eventFilter(watched, e);
}

void FloatingDockWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect strip(0, 0, width(), CaptionHeight);
    p.fillRect(strip, toQColor(clActiveCaption));
    p.setPen(toQColor(clCaptionText));
    const QRect text = strip.adjusted(3, 0, -CaptionHeight, 0);
    if (const TControl* c = client())
        p.drawText(text, Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(c->caption(), Qt::ElideRight, text.width()));
    const QRect cross = closeButton().adjusted(4, 4, -4, -4);
    p.drawLine(cross.topLeft(), cross.bottomRight());
    p.drawLine(cross.topRight(), cross.bottomLeft());
}

void FloatingDockWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    m_closing = closeButton().contains(e->position().toPoint());
    m_held = e->position().toPoint();
    // The window manager moves the window where there is one; on Wayland only the
    // compositor can. Else the window follows the mouse itself.
    m_following = !m_closing && !(windowHandle() && windowHandle()->startSystemMove());
}

void FloatingDockWindow::mouseMoveEvent(QMouseEvent* e) {
    if ((e->buttons() & Qt::LeftButton) && m_following)
        move(e->globalPosition().toPoint() - m_held);
}

// A release over the close button it was pressed on hides the client, and so the window.
void FloatingDockWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !std::exchange(m_closing, false)) return;
    if (TControl* c = client(); c && closeButton().contains(e->position().toPoint()))
        c->setVisible(false);
}

} // namespace tk
