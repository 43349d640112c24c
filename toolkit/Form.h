#pragma once

#include "Control.h"
#include "Types.h"

#include <QPoint>
#include <QSize>

namespace tk {

// A top-level window made of controls; the root of a layout. Its client area is the
// whole window when it has no border.
class TForm : public TControl {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnCreate,OnHelp,OnResize,OnClick,OnDblClick,OnMouseDown,"
                             "OnMouseMove,OnMouseUp,OnKeyDown,OnKeyPress,OnKeyUp")
    Q_CLASSINFO("Range:ClientWidth", "0..32767")
    Q_CLASSINFO("Range:ClientHeight", "0..32767")
    Q_CLASSINFO("Range:PixelsPerInch", "1..32767")
    Q_CLASSINFO("Range:TextHeight", "0..32767")
    Q_CLASSINFO("Range:ModalResult", "-2147483648..2147483647")
    Q_PROPERTY(int ClientWidth READ width WRITE setWidth)
    Q_PROPERTY(int ClientHeight READ height WRITE setHeight)
    Q_PROPERTY(tk::TFormBorderStyle BorderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(tk::TPosition Position MEMBER m_position)
    // The design resolution the layout was made at; geometry is taken as it stands.
    Q_PROPERTY(int PixelsPerInch MEMBER m_pixelsPerInch)
    Q_PROPERTY(int TextHeight MEMBER m_textHeight)
    Q_PROPERTY(int ModalResult READ modalResult WRITE setModalResult)
public:
    explicit TForm(Component* owner = nullptr);

    TFormBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TFormBorderStyle s);
    int modalResult() const { return m_modalResult; }
    void setModalResult(int r) { m_modalResult = r; }

    void setBounds(int left, int top, int width, int height) override;
    // A form is hidden until it is shown, and Visible says so. A layout's Visible = True
    // shows the window once the whole layout is read, never half-built.
    void setVisible(bool on) override;
    void loaded() override;

    // Window operations.
    // Whether the window system lets a program keep its window above the others: an X11
    // window manager does where it says so, nothing does without one; Qt 6.4 has no way to
    // ask a Wayland compositor.
    static bool canStayOnTop();
    // Moves the window into the topmost band or out of it, without moving or resizing it
    // and without re-creating the native window. Nothing happens where it cannot stay on top.
    void setStayOnTop(bool on);
    bool isStayOnTop() const;
    // Lets the window follow the mouse until `button`, which is held down, is released: the
    // window manager's move where it offers one for that button, our own otherwise.
    void startSystemMove(TMouseButton button = mbLeft);
    // Hands a web address to the desktop; the outcome is not looked at.
    static void openUrl(const QString& address);

signals:
    void OnCreate();
    // The help request (F1): the settings of the control the user asked about.
    void OnHelp(tk::THelpType type, const QString& keyword, int context);

protected:
    void textChanged() override;
    bool event(QEvent* e) override;

private:
    // Hints the window manager so that a window of `size` can be mapped at its full size.
    void keepSizeReachable(const QSize& size);
    // Keeps the window at its size unless it is sizeable; `hold` false lets any size through.
    void holdSize(bool hold);
    // Our own move: takes the mouse events while the window follows the mouse.
    bool followMouse(QEvent* e);

    TFormBorderStyle m_borderStyle = bsSizeable;
    TPosition m_position = poDesigned;
    int m_pixelsPerInch = 96;
    int m_textHeight = 13;
    int m_modalResult = 0;
    bool m_manualMove = false;
    Qt::MouseButton m_moveButton = Qt::LeftButton;
    bool m_trackedBeforeMove = false;
    bool m_showWhenLoaded = false;
    QPoint m_moveGrip;
};

} // namespace tk
