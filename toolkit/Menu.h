#pragma once

#include "Component.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>

namespace tk {

// A context menu of the form: a control whose PopupMenu names it shows it on a right click.
// Its items are TMenuItem components laid out inside it; an item that holds items opens a
// submenu.
class TPopupMenu : public QObject, public Component {
    Q_OBJECT
public:
    explicit TPopupMenu(Component* owner = nullptr);
    ~TPopupMenu() override { delete m_menu; }

    QMenu* menu() const { return m_menu; }
    // Shows the menu at `globalPos` without waiting for the choice.
    void popup(QPoint globalPos) { m_menu->popup(globalPos); }
    bool canHold(const QObject* child) const override;

private:
    QMenu* m_menu; // a top-level widget: deleted here, since it has no parent
};

class TMenuItem : public QObject, public Component {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnClick")
    Q_CLASSINFO("Range:ShortCut", "0..65535")
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(int ShortCut READ shortCut WRITE setShortCut)
    Q_PROPERTY(bool Checked READ checked WRITE setChecked)
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
public:
    explicit TMenuItem(Component* owner = nullptr);
    ~TMenuItem() override { delete m_subMenu.data(); }

    QAction* qaction() const { return m_action; }
    QString caption() const { return m_action->text(); }
    void setCaption(const QString& c);
    // A shortcut as a key code with ssShift/ssCtrl/ssAlt in the high byte's place
    // (scShift 0x2000, scCtrl 0x4000, scAlt 0x8000); 0 = none, as is anything beyond 16 bits.
    int shortCut() const { return m_shortCut; }
    void setShortCut(int s);
    bool checked() const { return m_action->isChecked(); }
    void setChecked(bool on);
    bool enabled() const { return m_action->isEnabled(); }
    void setEnabled(bool on) { m_action->setEnabled(on); }
    bool visible() const { return m_action->isVisible(); }
    void setVisible(bool on) { m_action->setVisible(on); }

    // Puts the item into a menu or, under another item, into that item's submenu.
    void setLayoutParent(QObject* parent) override;
    bool canHold(const QObject* child) const override {
        return qobject_cast<const TMenuItem*>(child) != nullptr;
    }
    // The item's submenu, made when the first item goes into it.
    QMenu* subMenu();

signals:
    void OnClick();

private:
    QAction* m_action;
    QPointer<QMenu> m_subMenu;
    int m_shortCut = 0;
};

} // namespace tk
