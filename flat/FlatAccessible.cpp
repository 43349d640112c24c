#include "FlatAccessible.h"

#include "Accessible.h"
#include "FlatButton.h"
#include "FlatCheckBox.h"
#include "FlatColorBox.h"
#include "FlatComboBox.h"
#include "FlatEdit.h"
#include "FlatGroupBox.h"
#include "FlatLabel.h"
#include "FlatPanel.h"
#include "FlatRadioButton.h"

#include <QAccessibleActionInterface>
#include <QComboBox>

namespace flat {

namespace {

using Action = QAccessibleActionInterface;

// The button, the check box and the radio button: they take the focus and have a default
// action; `extra` adds the states of their own.
template <typename Control> class PressableAccessible : public tk::ControlAccessible {
public:
    using States = void (*)(const Control&, QAccessible::State&);
    PressableAccessible(Control* c, QAccessible::Role role, const QString& action, States extra)
        : tk::ControlAccessible(c, role), m_action(action), m_extra(extra) {}

    QAccessible::State state() const override {
        QAccessible::State s = tk::ControlAccessible::state();
        m_extra(*static_cast<const Control*>(control()), s);
        return s;
    }

protected:
    // An unchecked radio button is no tab stop, but the arrows and a click still focus it.
    bool takesFocus() const override { return true; }
    QString defaultAction() const override { return m_action; }

private:
    QString m_action;
    States m_extra;
};

QAccessibleInterface* buttonAccessible(TDefineButton* b) {
    return new PressableAccessible<TDefineButton>(
        b, QAccessible::PushButton, Action::pressAction(),
        [](const TDefineButton& c, QAccessible::State& s) {
            s.pressed = c.isDown() || c.state() == fbPressed;
            s.defaultButton = c.isDefault();
        });
}

QAccessibleInterface* checkBoxAccessible(TDefineCheckBox* b) {
    return new PressableAccessible<TDefineCheckBox>(
        b, QAccessible::CheckBox, Action::toggleAction(),
        [](const TDefineCheckBox& c, QAccessible::State& s) {
            s.checkable = true;
            s.checked = c.state() == cbChecked;
            s.checkStateMixed = c.state() == cbGrayed;
        });
}

QAccessibleInterface* radioButtonAccessible(TDefineRadioButton* b) {
    return new PressableAccessible<TDefineRadioButton>(
        b, QAccessible::RadioButton, Action::pressAction(),
        [](const TDefineRadioButton& c, QAccessible::State& s) {
            s.checkable = true;
            s.checked = c.isChecked();
        });
}

// Looked up at every question: the ticket comes and goes after the interface is made.
const TDefineTicket* ticketOf(const QObject* o) {
    const auto* owner = dynamic_cast<const TicketOwner*>(o);
    return owner ? owner->ticket() : nullptr;
}

// The edit and the combo boxes are named by the ticket beside them, else by their hint.
class TicketedAccessible : public tk::HostAccessible {
public:
    using tk::HostAccessible::HostAccessible;

protected:
    QString derivedName() const override {
        if (const TDefineTicket* t = ticketOf(control())) {
            const QString caption =
                t->showAccelChar() ? tk::stripPrefixes(t->caption()) : t->caption();
            if (!caption.isEmpty()) return caption;
        }
        return tk::HostAccessible::derivedName();
    }
};

QAccessibleInterface* flatFactory(const QString& className, QObject* o) {
    // Exact class names only: Qt walks up from the most derived class, so each class
    // gets the interface of the nearest one named here or in the toolkit.
    const QByteArray name = className.toLatin1();
    auto is = [&](const QMetaObject& mo) { return name == mo.className(); };
    if (is(TDefineButton::staticMetaObject))
        return buttonAccessible(static_cast<TDefineButton*>(o));
    if (is(TDefineCheckBox::staticMetaObject))
        return checkBoxAccessible(static_cast<TDefineCheckBox*>(o));
    if (is(TDefineRadioButton::staticMetaObject) || is(TDefineGroupButton::staticMetaObject))
        return radioButtonAccessible(static_cast<TDefineRadioButton*>(o));
    if (is(TDefineGroupBox::staticMetaObject) || is(TDefineRadioGroup::staticMetaObject))
        return new tk::ControlAccessible(static_cast<tk::TControl*>(o), QAccessible::Grouping);
    if (is(TDefineLabel::staticMetaObject))
        return new tk::ControlAccessible(static_cast<tk::TControl*>(o), QAccessible::StaticText);
    if (is(TDefinePanel::staticMetaObject))
        return new tk::ControlAccessible(static_cast<tk::TControl*>(o), QAccessible::Pane);
    if (is(TDefineEdit::staticMetaObject)) {
        auto* e = static_cast<TDefineEdit*>(o);
        return new TicketedAccessible(e, e->lineEdit(), QAccessible::Client);
    }
    if (is(TDefineComboBox::staticMetaObject)) {
        auto* b = static_cast<TDefineComboBox*>(o);
        return new TicketedAccessible(b, b->comboBox(), QAccessible::ComboBox);
    }
    if (is(TDefineColorBox::staticMetaObject)) {
        auto* b = static_cast<TDefineColorBox*>(o);
        return new TicketedAccessible(b, b->comboBox(), QAccessible::ComboBox);
    }
    return nullptr;
}

} // namespace

void installFlatAccessibility() {
    tk::installAccessibility();
    QAccessible::installFactory(flatFactory);
}

} // namespace flat
