#pragma once

#include "Colors.h"
#include "Component.h"
#include "Font.h"
#include "Geometry.h"
#include "KeyCodes.h"
#include "Types.h"

#include <QFlags>
#include <QMenu>
#include <QMetaMethod>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <memory>

namespace tk {

class Canvas;
class TAction;
class TForm;
class TPopupMenu;
class TControl;

// The controls directly under `w`, a control or a plain widget: in child order, and in tab
// order.
QList<TControl*> controlsUnder(const QWidget* w);
QList<TControl*> controlsInTabOrder(const QWidget* w);

// How a control takes part in the window's mechanics.
enum TControlStyleFlag {
    csAcceptsControls = 0x01,
    csCaptureMouse = 0x02, // keeps receiving the mouse while a button is held on it
    csClickEvents = 0x04,  // a left press and release on it raise the click
    csDoubleClicks = 0x08, // a quick second press arrives as a double click
    csOpaque = 0x10,       // paints its whole area itself
    csSetCaption = 0x20,   // takes its caption from its name in a designer
};
Q_DECLARE_FLAGS(TControlStyle, TControlStyleFlag)

// What a focused control wants to keep for itself instead of the form's navigation.
enum DialogCodeFlag {
    DLGC_WANTARROWS = 0x1,
    DLGC_WANTTAB = 0x2,
    DLGC_WANTALLKEYS = 0x4,
    DLGC_WANTCHARS = 0x80
};

// The base of every control: a QWidget with the published settings the layouts use and
// one virtual hook per notification. Each hook's base implementation is the "base
// handling"; an override calls it first and then reacts, or leaves it out on purpose
// (with a comment) where the control keeps the event from the framework.
//
// The values a user changes have NOTIFY signals (Text, ItemIndex, ActivePage, Down,
// Checked, State), and each means "the value changed": it is emitted once for every
// change, the user's or the program's, as soon as the value (and what moves with it, such
// as a radio button's unchecked siblings) is stored, before the On... event that tells of
// the change. Setting the value a control already has emits nothing, also where the On...
// event still comes (the flat combo box raises OnChange for every ItemIndex set).
class TControl : public QWidget, public Component {
    Q_OBJECT
    Q_MOC_INCLUDE("Action.h")
    Q_MOC_INCLUDE("Menu.h")
    // The framework settings a class shows only where it lists them ("Publishes").
    Q_CLASSINFO("OptIn", "Anchors,Constraints,PopupMenu,Action,DragMode,DragKind,DragCursor,"
                         "DockSite,ImeMode,ImeName,OEMConvert")
    // What a layout may say: the coordinates setBounds keeps to (MinCoordinate ...).
    Q_CLASSINFO("Range:Left", "-32768..32767")
    Q_CLASSINFO("Range:Top", "-32768..32767")
    Q_CLASSINFO("Range:Width", "0..32767")
    Q_CLASSINFO("Range:Height", "0..32767")
    // A place among the siblings; numbers the program only hands back (Tag, HelpContext).
    Q_CLASSINFO("Range:TabOrder", "-1..32767")
    Q_CLASSINFO("Range:Tag", "-2147483648..2147483647")
    Q_CLASSINFO("Range:HelpContext", "-2147483648..2147483647")
    Q_PROPERTY(int Left READ left WRITE setLeft)
    Q_PROPERTY(int Top READ top WRITE setTop)
    Q_PROPERTY(int Width READ width WRITE setWidth)
    Q_PROPERTY(int Height READ height WRITE setHeight)
    Q_PROPERTY(int Tag READ tag WRITE setTag)
    Q_PROPERTY(tk::TCursor Cursor READ cursorId WRITE setCursorId)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(bool ShowHint MEMBER m_showHint WRITE setShowHint)
    Q_PROPERTY(bool ParentShowHint MEMBER m_parentShowHint WRITE setParentShowHint)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(int TabOrder READ tabOrder WRITE setTabOrder)
    Q_PROPERTY(bool TabStop READ tabStop WRITE setTabStop)
    Q_PROPERTY(tk::TAlign Align READ align WRITE setAlign)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(TColor Color READ color WRITE setColor)
    Q_PROPERTY(bool ParentColor READ parentColor WRITE setParentColor)
    Q_PROPERTY(tk::Font Font READ controlFont WRITE setControlFont)
    Q_PROPERTY(bool ParentFont READ parentFont WRITE setParentFont)
    Q_PROPERTY(tk::TAnchors Anchors READ anchors WRITE setAnchors)
    Q_PROPERTY(tk::TSizeConstraints Constraints MEMBER m_constraints WRITE setConstraints)
    Q_PROPERTY(tk::TPopupMenu* PopupMenu READ popupMenuComponent WRITE setPopupMenuComponent)
    Q_PROPERTY(tk::TAction* Action READ action WRITE setAction)
    Q_PROPERTY(tk::THelpType HelpType MEMBER m_helpType)
    Q_PROPERTY(QString HelpKeyword MEMBER m_helpKeyword)
    Q_PROPERTY(int HelpContext MEMBER m_helpContext)
    Q_PROPERTY(tk::TImeMode ImeMode READ imeMode WRITE setImeMode)
    Q_PROPERTY(QString ImeName MEMBER m_imeName)
    // Stored only: converting typed text through the OEM code page means nothing on Linux.
    Q_PROPERTY(bool OEMConvert MEMBER m_oemConvert)
    // Drag and dock settings (DragManager.h runs the drags and docks).
    Q_PROPERTY(tk::TDragMode DragMode MEMBER m_dragMode)
    Q_PROPERTY(tk::TDragKind DragKind MEMBER m_dragKind)
    Q_PROPERTY(tk::TCursor DragCursor MEMBER m_dragCursor)
    Q_PROPERTY(bool DockSite MEMBER m_dockSite)

public:
    explicit TControl(Component* owner = nullptr, QWidget* parent = nullptr);
    ~TControl() override;

    // Bounds, relative to the parent's client area.
    int left() const { return geometry().x(); }
    int top() const { return geometry().y(); }
    void setLeft(int v) { setBounds(v, top(), width(), height()); }
    void setTop(int v) { setBounds(left(), v, width(), height()); }
    void setWidth(int v) { setBounds(left(), top(), v, height()); }
    void setHeight(int v) { setBounds(left(), top(), width(), v); }
    // The set-bounds operation: the single road by which a control moves or resizes. The
    // place is kept within MinCoordinate..MaxCoordinate and the size within
    // 0..MaxCoordinate, so that no sum of the two overflows.
    virtual void setBounds(int left, int top, int width, int height);

    // The parent control (null for a top-level or a non-control parent).
    TControl* parentControl() const { return qobject_cast<TControl*>(parentWidget()); }
    // The re-parent operation.
    virtual void setParentControl(QWidget* parent);
    void setLayoutParent(QObject* parent) override;
    void loaded() override;
    TForm* parentForm() const;

    // The control's own Visible: Qt's explicit show or hide; a control never shown nor hidden
    // counts as shown, as a new one does.
    bool visible() const { return !isHidden() || !testAttribute(Qt::WA_WState_ExplicitShowHide); }
    void setVisible(bool on) override;
    // The control's own Enabled (QWidget::setEnabled sets it). A disabled parent makes Qt
    // report the control disabled, but leaves this, and the control's look, alone.
    bool enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    // Enabled here and in every parent, as the platform sees it.
    bool canFocus() const;

    // Its own colour, or with ParentColor its parent control's.
    TColor color() const;
    void setColor(TColor c);
    bool parentColor() const { return m_parentColor; }
    // Turning it off keeps the colour the control shows, as its own.
    void setParentColor(bool on);

    // The control's font (QWidget's QFont cannot carry a colour or a charset): its own, or
    // with ParentFont its parent control's. A QFont set through QWidget::setFont becomes
    // its own as far as it goes.
    Font controlFont() const;
    void setControlFont(const Font& f);
    bool parentFont() const { return m_parentFont; }
    // Turning it off keeps the font the control shows, as its own.
    void setParentFont(bool on);

    QString caption() const { return m_caption; }
    void setCaption(const QString& text);

    TCursor cursorId() const { return m_cursor; }
    void setCursorId(TCursor c);

    QString hint() const { return m_hint; }
    void setHint(const QString& h);
    void setShowHint(bool on);
    void setParentShowHint(bool on);

    int tabOrder() const { return m_tabOrder; }
    void setTabOrder(int order);
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool on) { m_tabStop = on; }

    TAlign align() const { return m_align; }
    void setAlign(TAlign a);
    // Places the children that have an Align within alignRect().
    void realignChildren();

    TControlStyle controlStyle() const { return m_style; }
    void setControlStyle(TControlStyle s) { m_style = s; }

    // The menu a right click shows; null once the menu component is destroyed.
    TPopupMenu* popupMenuComponent() const;
    void setPopupMenuComponent(TPopupMenu* m);
    QMenu* popupMenu() const;
    // Null once the action is destroyed.
    TAction* action() const;
    void setAction(TAction* a);

    // When the parent resizes, the control keeps its distances to the anchored edges of
    // the parent and stretches between two opposite ones; anchored to neither of two, its
    // centre keeps its proportion of the parent. Measured from where the control stood, and
    // the parent's size, when the anchors were set or the control was last placed.
    TAnchors anchors() const { return m_anchors; }
    void setAnchors(TAnchors a);
    // Every change of bounds keeps within them; setting them applies them at once.
    void setConstraints(const TSizeConstraints& c);

    // What F1 over the control asks the form's help for (requestHelp()).
    void setHelpType(THelpType t) { m_helpType = t; }
    void setHelpKeyword(const QString& k) { m_helpKeyword = k; }
    void setHelpContext(int c) { m_helpContext = c; }
    // Raises the form's help request with the help settings of this control or, where it
    // has none, of the nearest parent that has them.
    void requestHelp();

    // imDisable turns the input method off for the control's text entry; every other mode
    // leaves it on, since Qt has no finer control over the desktop's input methods.
    TImeMode imeMode() const { return m_imeMode; }
    void setImeMode(TImeMode m);

    void setDragMode(TDragMode m) { m_dragMode = m; }
    TDragKind dragKind() const { return m_dragKind; }
    void setDragKind(TDragKind k) { m_dragKind = k; }
    TCursor dragCursor() const { return m_dragCursor; }
    bool dockSite() const { return m_dockSite; }
    void setDockSite(bool on) { m_dockSite = on; }
    // Starts dragging (or, with DragKind dkDock, docking) this control: at once, or once the
    // mouse has moved `threshold` pixels (-1: the platform's start distance) from where it
    // is now.
    void beginDrag(bool immediate, int threshold = -1);
    bool dragging() const;
    // Puts a dock client that was dropped on this site in place; `dockRect` is where it
    // lands, in this control's coordinates. A site that sizes itself to its clients
    // overrides this around the base's placement.
    virtual void placeDockClient(TControl* client, const QRect& dockRect);

    // The click operation; the base raises OnClick, or executes the Action.
    virtual void click();
    // A left press and release at `p`, as the mouse delivers them: what assistive
    // technology's default action on a control does, so that it runs the same rules.
    void mouseClickAt(QPoint p);

    // WM_GETDLGCODE: the keys a focused control keeps from the form's navigation.
    virtual int dialogCode() const { return 0; }
    // CM_DIALOGCHAR / CM_DIALOGKEY: offered to the form's controls; the base passes them on
    // to this control's children and reports whether one of them took it.
    virtual bool dialogChar(QChar c);
    virtual bool dialogKey(int key, TShiftState shift);

    // Paints the background and the control's own picture into `c`, for a child that
    // shows its parent behind itself.
    void paintAsBackground(Canvas& c);

    QList<TControl*> childControls() const { return controlsUnder(this); }

    // Whether a handler listens to `signal` of this control: an event with none does what
    // the control does without one (a click runs the Action).
    template <class Signal> bool isHandled(Signal signal) const {
        return isSignalConnected(QMetaMethod::fromSignal(signal));
    }

signals:
    // The published events. Types are spelt in full, so that a layout can bind a handler
    // declared anywhere: the meta-object compares their names.
    void OnClick();
    void OnDblClick();
    void OnMouseDown(tk::TMouseButton button, tk::TShiftState shift, int x, int y);
    void OnMouseMove(tk::TShiftState shift, int x, int y);
    void OnMouseUp(tk::TMouseButton button, tk::TShiftState shift, int x, int y);
    void OnKeyDown(int& key, tk::TShiftState shift);
    void OnKeyPress(QChar& key);
    void OnKeyUp(int& key, tk::TShiftState shift);
    void OnEnter();
    void OnExit();
    void OnResize();
    // Drag and dock events (DragManager.h says when each comes).
    void OnStartDrag();
    void OnDragOver(QObject* source, int x, int y, tk::TDragState state, bool& accept);
    void OnDragDrop(QObject* source, int x, int y);
    void OnEndDrag(QObject* target, int x, int y);
    void OnStartDock();
    void OnDockOver(tk::TControl* source, int x, int y, tk::TDragState state, bool& accept);
    void OnDockDrop(tk::TControl* source, int x, int y);
    void OnUnDock(tk::TControl* client, QWidget* newTarget, bool& allow);
    void OnEndDock(QObject* target, int x, int y);
    void OnGetSiteInfo(tk::TControl* client, QRect& influenceRect, QPoint mousePos, bool& canDock);

public:
    // Hooks that the key router and the form call; public so that they can.
    virtual void keyDown(int& key, TShiftState shift) { emit OnKeyDown(key, shift); }
    virtual void keyPress(QChar& key) { emit OnKeyPress(key); }
    virtual void keyUp(int& key, TShiftState shift) { emit OnKeyUp(key, shift); }
    virtual void enter() { emit OnEnter(); }
    virtual void exit() { emit OnExit(); }

protected:
    // The notifications. Base handling first, then the control's reaction.
    virtual void paint(Canvas& c);
    virtual void eraseBackground(Canvas& c);
    // The widget that takes typed text for the control (a hosted native edit); the input
    // method settings go to it.
    virtual QWidget* textEntry() { return this; }
    virtual void mouseEnter() {}
    virtual void mouseLeave() {}
    // The base of each of these repaints the control (later, as update() does), so that a
    // reaction that only changes what the control paints needs no more.
    virtual void focusGained() { update(); }
    virtual void focusLost() { update(); }
    virtual void enabledChanged() { update(); }
    virtual void fontChanged() { update(); }
    virtual void textChanged() { update(); }
    virtual void visibleChanged() {}
    virtual void hintChanged() {}
    virtual void colorChanged() { update(); }
    // The parent's colour changed (after colorChanged() where this control shows it).
    virtual void parentColorChanged() { update(); }
    // The system colours changed; the base reacts as to a change of the parent's colour,
    // which may be a system colour (parentColorChanged()).
    virtual void sysColorChanged() { parentColorChanged(); }
    // A child control moved, resized, or was shown or hidden.
    virtual void childControlChanged() {}
    // The message level of the mouse; the base runs the framework's capture, click and
    // double-click rules and calls the event level (mouseDown ...), which raises the events.
    virtual void wmMouseDown(TMouseButton b, TShiftState shift, QPoint p);
    virtual void wmMouseUp(TMouseButton b, TShiftState shift, QPoint p);
    virtual void wmDblClick(TMouseButton b, TShiftState shift, QPoint p);
    virtual void mouseDown(TMouseButton b, TShiftState shift, int x, int y) {
        emit OnMouseDown(b, shift, x, y);
    }
    virtual void mouseMove(TShiftState shift, int x, int y) { emit OnMouseMove(shift, x, y); }
    virtual void mouseUp(TMouseButton b, TShiftState shift, int x, int y) {
        emit OnMouseUp(b, shift, x, y);
    }
    virtual void dblClick() { emit OnDblClick(); }
    // WM_WINDOWPOSCHANGED, however the bounds changed; the base reports resized(), then
    // repaints a control that repaintsWhenMoved().
    virtual void windowPosChanged(const QRect& oldBounds);
    virtual void resized();
    // A control that shows its parent behind itself must repaint when it moves or resizes:
    // Qt would otherwise move its old picture along.
    virtual bool repaintsWhenMoved() const { return false; }
    // The client area that aligned children share.
    virtual QRect alignRect() const { return rect(); }
    // A hint is about to be shown at `pos`; the control may replace the text and the
    // rectangle within which it stays.
    virtual void hintAt(QPoint /*pos*/, QString& /*text*/, QRect& /*cursorRect*/) {}

    // Qt's events, turned into the hooks above.
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    // A mouse event of a hosted inner widget (`source`: a native edit, a combo box part),
    // heard as over the control itself.
    void forwardInnerMouse(QWidget* source, QMouseEvent* e);

    // The first step of a guarded setter: stores `value` in `field` when it differs, and
    // tells whether it did, so that the setter goes on only after a change.
    template <typename T> static bool assignIfChanged(T& field, const T& value) {
        if (field == value) return false;
        field = value;
        return true;
    }
    // The guarded setter: stores `value` and repaints when it differs from `field`; tells
    // whether it did, for a setter that has more to do on a change.
    template <typename T> bool repaintOnChange(T& field, const T& value) {
        if (!assignIfChanged(field, value)) return false;
        update();
        return true;
    }

    // Sets the colour the control has of its own, without touching ParentColor.
    void assignColor(TColor c);
    void applyHint();

private:
    // Whether this control is shown in a window larger than its screens (ControlPaint.cpp).
    bool windowExceedsScreens() const;
    // The place after this control's siblings in `parent`.
    int endOfTabOrder(const QWidget* parent) const;
    // A drag that starts takes the press: its release clicks nothing.
    friend class DragSession;
    // Runs windowPosChanged() for bounds it has not seen yet.
    void followBounds();
    // Tells the parent that this control moved, resized, showed or hid: an aligned one goes
    // back in its place, its aligned siblings with it.
    void tellParent();
    // Places the anchored children after this control's size changed; anchorHere() makes
    // the current place, in the parent's current size, the one the anchors hold.
    void followAnchors();
    void anchorHere();
    // Runs the enabled hooks when the own Enabled differs from what they last saw, here
    // and below: Qt reports no change made while a parent is disabled.
    void followEnabled();
    // The control's colour (or font) changed from `old`: it reacts, and so do the children
    // that show it.
    void spreadColor(TColor old);
    void spreadFont(const Font& old);
    // ShowHint becomes `on` here and in the children that follow it.
    void takeShowHint(bool on);

    TControlStyle m_style =
        TControlStyle(csCaptureMouse) | csClickEvents | csSetCaption | csDoubleClicks;
    TColor m_color = clBtnFace;
    bool m_parentColor = true;
    Font m_font;
    bool m_parentFont = true;
    QFont m_widgetFontSeen; // the QWidget font last taken over
    QString m_caption;
    TCursor m_cursor = crDefault;
    QString m_hint;
    bool m_showHint = false;
    bool m_parentShowHint = true;
    int m_tabOrder = -1;
    bool m_tabStop = false;
    TAlign m_align = alNone;
    QPointer<TPopupMenu> m_popupMenu;
    QPointer<TAction> m_action;
    TAnchors m_anchors = TAnchors(akLeft) | akTop;
    // Where the anchors hold the control from, and its parent's size then; only while they
    // are other than left and top.
    std::unique_ptr<std::pair<QRect, QSize>> m_anchorOrigin;
    QRect m_boundsSeen = geometry(); // what windowPosChanged() last told of
    TSizeConstraints m_constraints;
    THelpType m_helpType = htContext;
    QString m_helpKeyword;
    int m_helpContext = 0;
    TImeMode m_imeMode = imDontCare;
    QString m_imeName;
    bool m_oemConvert = false;
    TDragMode m_dragMode = dmManual;
    TDragKind m_dragKind = dkDrag;
    TCursor m_dragCursor = crDrag;
    bool m_dockSite = false;
    bool m_clicked = false;    // a left press on the control waits for its release
    bool m_inside = false;     // the mouse is over the control (enter seen, leave not yet)
    bool m_enabledSeen = true; // the own Enabled the hooks last heard of
    bool m_aligning = false;   // realignChildren() places the children
};

// Sends the control under `c`'s parent the picture the parent shows behind `c`: its
// background and its own painting with its labels, not its other child controls.
void paintParentBackground(const QWidget* control, Canvas& c);

// Whether `w` is `ancestor` or lies within it, also within a window it owns.
bool isWithin(const QWidget* w, const QWidget* ancestor);

// Whether the application has an active window (hover only counts then).
bool applicationHasActiveWindow();

} // namespace tk

Q_DECLARE_OPERATORS_FOR_FLAGS(tk::TControlStyle)
