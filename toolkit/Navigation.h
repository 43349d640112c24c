#pragma once

#include <QObject>

namespace tk {

class TControl;

// Keyboard routing as the controls expect it: a key first offers itself to the form's
// navigation (Tab, arrows, Enter, Escape) unless the focused control keeps such keys, then
// reaches the focused control's key-down; a character that the focused control does not
// take is offered to every control of the window (accelerators); Alt+character always is.
// While no control is focused the window's keys take the same way: Tab reaches the first
// control.
class KeyRouter : public QObject {
    Q_OBJECT
public:
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

// Which control of each window holds the focus, so that the exit and enter
// notifications go to the control that lost it and the one that got it.
class FocusTracker {
public:
    static void focusMovedTo(TControl* c);
    static TControl* activeControl(const QWidget* window);
    // `c`, a window's active control, lost the focus to no other control (it was hidden,
    // disabled or moved away): it is active no longer and hears its exit.
    static void focusLeft(TControl* c);
    static void forget(TControl* c);
};

// The control that a widget belongs to: itself, or the control that hosts it.
TControl* controlFor(QWidget* w);

} // namespace tk
