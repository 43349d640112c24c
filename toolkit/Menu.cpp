#include "Menu.h"

#include "KeyCodes.h"

#include <QKeySequence>

namespace tk {

namespace {

constexpr int scShift = 0x2000;
constexpr int scCtrl = 0x4000;
constexpr int scAlt = 0x8000;

} // namespace

TPopupMenu::TPopupMenu(Component* owner)
    : QObject(nullptr), Component(this, owner), m_menu(new QMenu) {}

bool TPopupMenu::canHold(const QObject* child) const {
    return qobject_cast<const TMenuItem*>(child) != nullptr;
}

TMenuItem::TMenuItem(Component* owner)
    : QObject(nullptr), Component(this, owner), m_action(new QAction(this)) {
    QObject::connect(m_action, &QAction::triggered, this, &TMenuItem::OnClick);
}

void TMenuItem::setCaption(const QString& c) {
    // A caption of one dash is a dividing line, as menus have always spelt it.
    m_action->setSeparator(c == QLatin1String("-"));
    m_action->setText(c);
}

void TMenuItem::setShortCut(int s) {
    if (s < 0 || s > 0xFFFF) s = 0;
    m_shortCut = s;
    Qt::KeyboardModifiers modifiers;
    if (s & scShift) modifiers |= Qt::ShiftModifier;
    if (s & scCtrl) modifiers |= Qt::ControlModifier;
    if (s & scAlt) modifiers |= Qt::AltModifier;
    const int key = qtKeyFromVirtual(s & 0xFF);
    m_action->setShortcut(key ? QKeySequence(QKeyCombination(modifiers, Qt::Key(key)))
                              : QKeySequence());
}

void TMenuItem::setChecked(bool on) {
    m_action->setCheckable(m_action->isCheckable() || on);
    m_action->setChecked(on);
}

void TMenuItem::setLayoutParent(QObject* parent) {
    Component::setLayoutParent(parent);
    if (auto* menu = qobject_cast<TPopupMenu*>(parent))
        menu->menu()->addAction(m_action);
    else if (auto* item = qobject_cast<TMenuItem*>(parent))
        item->subMenu()->addAction(m_action);
}

QMenu* TMenuItem::subMenu() {
    if (!m_subMenu) {
        m_subMenu = new QMenu;
        m_action->setMenu(m_subMenu);
    }
    return m_subMenu;
}

} // namespace tk
