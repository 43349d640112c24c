#pragma once

#include "Component.h"
#include "Control.h"

#include <QObject>
#include <QScopedValueRollback>
#include <QVariant>

namespace tk {

// The toolkit's action: something a control's click can execute instead of OnClick,
// with a Checked state that radio buttons clear when AutoCheck is on. The controls linked
// to it (TControl::setAction) show its Caption, Checked, Enabled, Hint and Visible, and
// each change of one of them.
class TAction : public QObject, public Component {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnExecute")
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ checked WRITE setChecked)
    Q_PROPERTY(bool AutoCheck READ autoCheck WRITE setAutoCheck)
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
public:
    explicit TAction(Component* owner = nullptr) : QObject(nullptr), Component(this, owner) {}

    QString caption() const { return m_caption; }
    void setCaption(const QString& c) { change(m_caption, c, "Caption"); }
    bool checked() const { return m_checked; }
    void setChecked(bool on) { change(m_checked, on, "Checked"); }
    bool autoCheck() const { return m_autoCheck; }
    void setAutoCheck(bool on) { m_autoCheck = on; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on) { change(m_enabled, on, "Enabled"); }
    QString hint() const { return m_hint; }
    void setHint(const QString& h) { change(m_hint, h, "Hint"); }
    bool visible() const { return m_visible; }
    void setVisible(bool on) { change(m_visible, on, "Visible"); }

    // Runs OnExecute for `client`'s click; with AutoCheck the state flips first, as a menu
    // item's would, or, where the client has a Checked of its own that its click has already
    // set, takes that (a flip would undo the click in every client). Tells whether a handler
    // ran. A client that clicks because the action set its Checked runs nothing.
    bool execute(const QObject* client = nullptr) {
        if (!m_enabled || m_showing) return false;
        if (m_autoCheck) {
            const QVariant own = client ? client->property("Checked") : QVariant();
            setChecked(own.isValid() ? own.toBool() : !m_checked);
        }
        const bool handled = isSignalConnected(QMetaMethod::fromSignal(&TAction::OnExecute));
        emit OnExecute();
        return handled;
    }

signals:
    void OnExecute();
    // The clients show the new value of `property`.
    void changed(const char* property, const QVariant& value);

private:
    friend class TControl;
    template <class T> void change(T& field, const T& value, const char* property) {
        if (field == value) return;
        field = value;
        const QScopedValueRollback<bool> showing(m_showing, true);
        emit changed(property, QVariant::fromValue(value));
    }

    QString m_caption;
    bool m_checked = false;
    bool m_autoCheck = false;
    bool m_enabled = true;
    QString m_hint;
    bool m_visible = true;
    bool m_showing = false; // the clients are being given a value
};

} // namespace tk
