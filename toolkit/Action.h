#pragma once

#include "Component.h"
#include "Control.h"

#include <QObject>

namespace tk {

// The toolkit's action: something a control's click can execute instead of OnClick,
// with a Checked state that radio buttons clear when AutoCheck is on.
class TAction : public QObject, public Component {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnExecute")
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ checked WRITE setChecked)
    Q_PROPERTY(bool AutoCheck READ autoCheck WRITE setAutoCheck)
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
public:
    explicit TAction(Component* owner = nullptr) : QObject(nullptr), Component(this, owner) {}

    QString caption() const { return m_caption; }
    void setCaption(const QString& c) { m_caption = c; }
    bool checked() const { return m_checked; }
    void setChecked(bool on) { m_checked = on; }
    bool autoCheck() const { return m_autoCheck; }
    void setAutoCheck(bool on) { m_autoCheck = on; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on) { m_enabled = on; }

    // Runs OnExecute; with AutoCheck the state flips first, as a menu item's would. Tells
    // whether a handler ran.
    bool execute() {
        if (!m_enabled) return false;
        if (m_autoCheck) m_checked = !m_checked;
        const bool handled = isSignalConnected(QMetaMethod::fromSignal(&TAction::OnExecute));
        emit OnExecute();
        return handled;
    }

signals:
    void OnExecute();

private:
    QString m_caption;
    bool m_checked = false;
    bool m_autoCheck = false;
    bool m_enabled = true;
};

} // namespace tk
