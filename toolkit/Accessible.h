#pragma once

// What assistive technology (a screen reader over AT-SPI) sees of the controls. The
// controls draw themselves, so Qt knows nothing of their roles, names or states; every
// control gets a QAccessibleInterface from the factories installed here (the toolkit's)
// and in the control libraries above it, each answering for its own classes by name, as
// Qt's own widget factory does.
//
// The toolkit's part: every control is named by its caption (without the accelerator
// marks), its accelerator is the key binding of its default action, its states come from
// Enabled, Visible and the focus; a control with OnClick has a press action that does
// what a mouse click does. Labels are static text, the page control is a page tab list
// with one page tab per visible tab, the sheets are panes, the form is a window,
// and the native edit and combo box stand around Qt's own interfaces of the widgets they
// host.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QString>
#include <functional>

namespace tk {

class TControl;

// The key that presses the caption's accelerator ("Alt+Q"), empty without one.
QString acceleratorKeyText(const QString& caption);

// Gives a control a role its class does not have, e.g. a label that works as a link or as
// a button. QAccessible::NoRole goes back to the class's own.
void setAccessibleRole(QWidget* w, QAccessible::Role role);

// Runs `task` once assistive technology listens: at once when it does already, else when a
// screen reader starts. What only such a listener could tell apart can so wait, and the window
// need not wait for it at start. One task per `context`, a later one replacing it; a task whose
// context is gone is dropped.
void whenAccessibilityActive(QObject* context, std::function<void()> task);

// Installs the toolkit's interface factory. Every control's constructor calls it, so a
// program and a test get the interfaces without asking; repeating it costs a list search.
void installAccessibility();

// --- Events --------------------------------------------------------------------------------

// Hands `e` to Qt, which passes it on to assistive technology while one listens. Tests
// cannot see Qt's side on the offscreen platform: it has no accessibility bridge, so
// QAccessible::isActive() stays false and Qt drops every event, its update handler
// included. The observer sees every event the controls raise, active or not.
void raiseAccessibleEvent(QAccessibleEvent& e);
using AccessibleEventObserver = std::function<void(QAccessibleEvent& e)>;
// Returns the observer it replaces; an empty function removes it.
AccessibleEventObserver setAccessibleEventObserver(AccessibleEventObserver observer);

// The common events, raised for `o`.
void accessibleStateChanged(QObject* o, QAccessible::State changed);
void accessibleValueChanged(QObject* o, const QVariant& value);
void accessibleDescriptionChanged(QObject* o);
// The name of `c` changed (its caption, its hint, its ticket ...). A control that hosts a
// native widget hands the new name to that widget too, since the focus and the screen
// reader's attention go to the hosted widget.
void accessibleNameChanged(TControl* c);
// Sets the name a control reports instead of the one it would derive.
void setAccessibleName(TControl* c, const QString& name);

// --- Interfaces ----------------------------------------------------------------------------

// The interface of every control. Subclasses give roles, names, focus and default actions
// of their classes through the protected hooks.
class ControlAccessible : public QAccessibleWidget {
public:
    explicit ControlAccessible(TControl* c, QAccessible::Role role = QAccessible::Client);

    TControl* control() const;

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString& action) override;
    QStringList keyBindingsForAction(const QString& action) const override;

protected:
    // The name when the program set none: the caption without its accelerator marks.
    virtual QString derivedName() const;
    // Whether the control takes the focus at all (Qt's own focus policy is off: the
    // controls move the focus themselves). The base: tab stops do.
    virtual bool takesFocus() const;
    // The default action, empty for none. The base: press, for a control with OnClick.
    virtual QString defaultAction() const;
    // The caption that carries the accelerator; empty for none.
    virtual QString acceleratorCaption() const;
};

// A control that hosts a native widget (the edit's QLineEdit, the combo box's QComboBox):
// the hosted widget keeps Qt's own interface, as its child, and takes the control's name.
// The control reports the hosted widget's value and focus.
class HostAccessible : public ControlAccessible {
public:
    HostAccessible(TControl* c, QWidget* hosted, QAccessible::Role role);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

protected:
    QString derivedName() const override;
    bool takesFocus() const override { return true; }
    QString defaultAction() const override { return QString(); }
    QString acceleratorCaption() const override { return QString(); }

private:
    QPointer<QWidget> m_hosted;
};

} // namespace tk
