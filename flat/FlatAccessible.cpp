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

class ButtonAccessible : public tk::ControlAccessible {
public:
    explicit ButtonAccessible(TDefineButton* b)
        : tk::ControlAccessible(b, QAccessible::PushButton) {}

    QAccessible::State state() const override {
        QAccessible::State s = tk::ControlAccessible::state();
        const auto* b = static_cast<const TDefineButton*>(control());
        s.pressed = b->isDown() || b->state() == fbPressed;
        s.defaultButton = b->isDefault();
        return s;
    }

protected:
    bool takesFocus() const override { return true; }
    QString defaultAction() const override { return Action::pressAction(); }
};

class CheckBoxAccessible : public tk::ControlAccessible {
public:
    explicit CheckBoxAccessible(TDefineCheckBox* b)
        : tk::ControlAccessible(b, QAccessible::CheckBox) {}

    QAccessible::State state() const override {
        QAccessible::State s = tk::ControlAccessible::state();
        const auto* b = static_cast<const TDefineCheckBox*>(control());
        s.checkable = true;
        s.checked = b->state() == cbChecked;
        s.checkStateMixed = b->state() == cbGrayed;
        return s;
    }

protected:
    bool takesFocus() const override { return true; }
    QString defaultAction() const override { return Action::toggleAction(); }
};

class RadioButtonAccessible : public tk::ControlAccessible {
public:
    explicit RadioButtonAccessible(TDefineRadioButton* b)
        : tk::ControlAccessible(b, QAccessible::RadioButton) {}

    QAccessible::State state() const override {
        QAccessible::State s = tk::ControlAccessible::state();
        s.checkable = true;
        s.checked = static_cast<const TDefineRadioButton*>(control())->isChecked();
        return s;
    }

protected:
    // An unchecked button is no tab stop, but the arrows and a click still focus it.
    bool takesFocus() const override { return true; }
    QString defaultAction() const override { return Action::pressAction(); }
};

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
                t->showAccelChar() ? tk::stripAccelerators(t->caption()) : t->caption();
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
        return new ButtonAccessible(static_cast<TDefineButton*>(o));
    if (is(TDefineCheckBox::staticMetaObject))
        return new CheckBoxAccessible(static_cast<TDefineCheckBox*>(o));
    if (is(TDefineRadioButton::staticMetaObject) || is(TDefineGroupButton::staticMetaObject))
        return new RadioButtonAccessible(static_cast<TDefineRadioButton*>(o));
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
