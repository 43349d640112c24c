#pragma once

// Dragging controls onto each other and docking them into dock sites, within the program's
// own windows. This is no drag-and-drop of the window system: the source keeps the mouse
// (its grab) for the whole drag, and every mouse and Escape key event of the application
// goes to the drag while it lasts, so that a drag works the same offscreen.
//
// A drag (DragKind dkDrag) raises, in this order: the source's OnStartDrag; the OnDragOver
// of each control the mouse passes over (dsDragEnter when it comes in, dsDragMove while it
// moves over it, dsDragLeave when it goes, also when the drag is cancelled over it); the
// OnDragDrop of the control it is released over, if that one accepted; and the source's
// OnEndDrag, always, with that control or none.
//
// A dock (DragKind dkDock) raises the client's OnStartDock; the OnGetSiteInfo of every
// dock site, top-most first, while the mouse moves (the site may refine the rectangle within
// which it takes clients, or refuse) and the OnDockOver of the site found, while the dock
// rectangle shows where the client would land; on the release over a site that accepts,
// the old site's OnUnDock (which may refuse), the client's placement in the new site, the
// site's OnDockDrop; outside every site, the old site's OnUnDock and the client's move into
// a floating window of its own (a client that is a window itself just moves). The client's
// OnEndDock ends it with the site, the floating window or (cancelled) none.

#include "Types.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRubberBand>
#include <QWidget>
#include <memory>

namespace tk {

class TControl;

class DragSession : public QObject {
    Q_OBJECT
public:
    // A session for `source` from the global point `from`: started at once when
    // `immediate`, else once the mouse is `threshold` pixels away (a release before that
    // ends it unnoticed; so does a move without the left button when `whileHeld`, the
    // automatic drag of a press). Nothing happens while another session runs.
    static void begin(TControl* source, QPoint from, bool immediate, int threshold,
                      bool whileHeld = false);
    // The running session, if any.
    static DragSession* active();
    // Ends the session of `source` without a word when the source goes: events sent while
    // it is being destroyed must not reach it.
    static void sourceDestroyed(const TControl* source);

    TControl* source() const { return m_source; }
    bool started() const { return m_started; }
    // Ends a started session at the last mouse position: dropping there, or cancelling.
    void end(bool drop);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    DragSession(TControl* source, QPoint from, int threshold, bool whileHeld);
    bool docking() const;
    void start(QPoint global);
    void moveTo(QPoint global);
    // The target (or dock site) under the mouse hears of the drag and says whether it accepts.
    void over(TControl* target, TDragState state);
    TControl* findSite(QPoint global) const;
    void setDragCursor(TCursor c);
    void dock(TControl* site);
    void floatOut();
    void endDock(QObject* target, QPoint at);
    // Lets go of the mouse, the cursor and the application's events, raising nothing.
    void teardown();
    // The dock rectangle, shown where the client would land while a site takes it.
    void showDockImage(bool show);

    QPointer<TControl> m_source;
    QPoint m_from;
    QPoint m_grabOffset; // where in the source the drag took hold of it
    int m_threshold;
    bool m_whileHeld;
    bool m_started = false;
    bool m_cursorSet = false;
    QPoint m_last;
    QPointer<TControl> m_target; // the control (or dock site) under the mouse
    bool m_accepted = false;     // whether it accepts the source
    std::unique_ptr<QRubberBand> m_dockImage;
};

// The top-level window a dock client floats in once it is dropped outside every dock
// site: a caption strip with the client's caption above it, which moves the window, and a
// close button in the strip, which hides the client. It shows and hides with its client,
// belongs to the window the client came from, and goes once its client leaves.
class FloatingDockWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int CaptionHeight = 15;

    explicit FloatingDockWindow(QWidget* owner)
        : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint) {}
    QRect closeButton() const { return {width() - CaptionHeight, 0, CaptionHeight, CaptionHeight}; }

protected:
    void childEvent(QChildEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TControl* client() const;
    QPoint m_held; // where the strip was taken hold of
    bool m_closing = false;
    bool m_following = false; // the window follows the mouse itself
};

} // namespace tk
