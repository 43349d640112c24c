#include "Accessible.h"

#include "ComboBox.h"
#include "Control.h"
#include "Edit.h"
#include "Form.h"
#include "Label.h"
#include "PageControl.h"

#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>

namespace tk {

namespace {

constexpr char RoleProperty[] = "zarvikAccessibleRole";

AccessibleEventObserver g_observer;

// The part of a hint before the first "|" is the one that shows; the rest is the long
// help text.
QString shortHint(const QString& hint) {
    return hint.section(QLatin1Char('|'), 0, 0);
}

// The widget a control hosts, if it is one that does.
QWidget* hostedWidget(TControl* c) {
    if (auto* e = qobject_cast<TCustomEdit*>(c)) return e->lineEdit();
    if (auto* b = qobject_cast<TCustomComboBox*>(c)) return b->comboBox();
    return nullptr;
}

// A left press and release at `p`, the way the mouse delivers them. Like the mouse, it
// reaches no control that is disabled or cannot be seen.
void clickLikeTheMouse(TControl* c, QPoint p) {
    if (!c->isEnabled() || !c->isVisible()) return;
    c->mouseClickAt(p);
}

// One tab of a page control. It has no object of its own; it follows the tab position.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(TPageControl* pc, int tab) : m_pc(pc), m_tab(tab) {}

    bool isValid() const override { return m_pc && m_tab < m_pc->tabCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_pc.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text t) const override {
        const TTabSheet* page = isValid() ? m_pc->pageForTab(m_tab) : nullptr;
        if (!page) return QString();
        if (t == QAccessible::Accelerator) return acceleratorKeyText(page->caption());
        if (t != QAccessible::Name) return QString();
        const QString name = page->accessibleName();
        return name.isEmpty() ? stripPrefixes(page->caption()) : name;
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return QRect();
        const QRect r = m_pc->tabRect(m_tab).toQRect();
        return QRect(m_pc->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) return s;
        s.selectable = s.focusable = true;
        s.selected = m_pc->selectedTab() == m_tab;
        s.focused = s.selected && m_pc->hasFocus();
        s.disabled = !m_pc->isEnabled();
        s.invisible = !m_pc->isVisible();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }

    QStringList actionNames() const override {
        return isValid() && m_pc->isEnabled() ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid())
            clickLikeTheMouse(m_pc, m_pc->tabRect(m_tab).toQRect().center());
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        const QString keys = text(QAccessible::Accelerator);
        return action == pressAction() && !keys.isEmpty() ? QStringList{keys} : QStringList();
    }

private:
    QPointer<TPageControl> m_pc;
    int m_tab;
};

// A page control: its visible tabs come first among its children, as page tabs, then its
// sheets. Pressing a tab selects its page as a click on it does.
class PageControlAccessible : public ControlAccessible {
public:
    explicit PageControlAccessible(TPageControl* pc)
        : ControlAccessible(pc, QAccessible::PageTabList) {}
    ~PageControlAccessible() override {
        for (QAccessible::Id id : std::as_const(m_tabIds))
            if (id) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return tabCount() + ControlAccessible::childCount(); }
    QAccessibleInterface* child(int index) const override {
        const int tabs = tabCount();
        if (index < 0) return nullptr;
        if (index >= tabs) return ControlAccessible::child(index - tabs);
        if (m_tabIds.size() <= index) m_tabIds.resize(index + 1, 0);
        QAccessible::Id& id = m_tabIds[index];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new TabAccessible(pageControl(), index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (child->role() == QAccessible::PageTab && !child->object()) {
            for (int i = 0; i < m_tabIds.size(); ++i)
                if (m_tabIds[i] && QAccessible::accessibleInterface(m_tabIds[i]) == child)
                    return i < tabCount() ? i : -1;
            return -1;
        }
        const int i = ControlAccessible::indexOfChild(child);
        return i < 0 ? -1 : i + tabCount();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int tab = pageControl()->tabAt(pageControl()->mapFromGlobal(QPoint(x, y)));
        return tab >= 0 ? child(tab) : ControlAccessible::childAt(x, y);
    }

private:
    TPageControl* pageControl() const { return static_cast<TPageControl*>(widget()); }
    int tabCount() const { return pageControl()->tabCount(); }

    // One interface per tab position, registered with Qt so that it has an id; made when
    // first asked for and kept until the control's interface goes.
    mutable QList<QAccessible::Id> m_tabIds;
};

QAccessibleInterface* toolkitFactory(const QString& className, QObject* o) {
    // Qt asks for the most derived class first and walks up; answering for exact class
    // names only leaves the classes above the toolkit to their own factories.
    const QByteArray name = className.toLatin1();
    auto is = [&](const QMetaObject& mo) { return name == mo.className(); };
    if (is(TPageControl::staticMetaObject))
        return new PageControlAccessible(static_cast<TPageControl*>(o));
    // Not PropertyPage: Qt's AT-SPI bridge sends that as one more page tab.
    if (is(TTabSheet::staticMetaObject))
        return new ControlAccessible(static_cast<TControl*>(o), QAccessible::Pane);
    if (is(TLabel::staticMetaObject))
        return new ControlAccessible(static_cast<TControl*>(o), QAccessible::StaticText);
    const bool edit = is(TCustomEdit::staticMetaObject);
    if (edit || is(TCustomComboBox::staticMetaObject)) {
        auto* c = static_cast<TControl*>(o);
        return new HostAccessible(c, hostedWidget(c),
                                  edit ? QAccessible::Client : QAccessible::ComboBox);
    }
    if (is(TForm::staticMetaObject))
        return new ControlAccessible(static_cast<TControl*>(o), QAccessible::Window);
    if (is(TControl::staticMetaObject))
        return new ControlAccessible(static_cast<TControl*>(o), QAccessible::Client);
    return nullptr;
}

} // namespace

QString acceleratorKeyText(const QString& caption) {
    const QChar a = acceleratorOf(caption);
    if (a.isNull()) return QString();
    return QKeySequence(Qt::ALT).toString(QKeySequence::NativeText) + a.toUpper();
}

void setAccessibleRole(QWidget* w, QAccessible::Role role) {
    w->setProperty(RoleProperty, role == QAccessible::NoRole ? QVariant() : QVariant(int(role)));
}

namespace {

// The tasks waiting for assistive technology, and the observer that runs them.
class ActivationWaiters : public QAccessible::ActivationObserver {
public:
    ActivationWaiters() { QAccessible::installActivationObserver(this); }

    void add(QObject* context, std::function<void()> task) {
        // Entries whose context is gone go, and a context keeps only its latest task.
        m_tasks.removeIf([context](const Task& t) { return !t.context || t.context == context; });
        m_tasks.append({context, std::move(task)});
    }

    void accessibilityActiveChanged(bool active) override {
        if (!active) return;
        const QList<Task> tasks = std::exchange(m_tasks, {});
        for (const Task& t : tasks)
            if (t.context) t.run();
    }

private:
    struct Task {
        QPointer<QObject> context;
        std::function<void()> run;
    };
    QList<Task> m_tasks;
};

ActivationWaiters& activationWaiters() {
    // Never destroyed: Qt keeps a pointer to its observers to the very end.
    static auto* w = new ActivationWaiters;
    return *w;
}

} // namespace

void whenAccessibilityActive(QObject* context, std::function<void()> task) {
    if (QAccessible::isActive())
        task();
    else
        activationWaiters().add(context, std::move(task));
}

void installAccessibility() {
    QAccessible::installFactory(toolkitFactory);
}

// --- Events ----------------------------------------------------------------------------

void raiseAccessibleEvent(QAccessibleEvent& e) {
    if (g_observer) g_observer(e);
    QAccessible::updateAccessibility(&e);
}

AccessibleEventObserver setAccessibleEventObserver(AccessibleEventObserver observer) {
    return std::exchange(g_observer, std::move(observer));
}

void accessibleStateChanged(QObject* o, QAccessible::State changed) {
    QAccessibleStateChangeEvent e(o, changed);
    raiseAccessibleEvent(e);
}

void accessibleValueChanged(QObject* o, const QVariant& value) {
    QAccessibleValueChangeEvent e(o, value);
    raiseAccessibleEvent(e);
}

void accessibleDescriptionChanged(QObject* o) {
    QAccessibleEvent e(o, QAccessible::DescriptionChanged);
    raiseAccessibleEvent(e);
}

void accessibleNameChanged(TControl* c) {
    if (QWidget* hosted = hostedWidget(c)) {
        // The hosted widget is created in the host's constructor, before the host is
        // what it finally is; only an interface asked for afterwards knows the name.
        if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(c))
            hosted->setAccessibleName(i->text(QAccessible::Name));
    }
    QAccessibleEvent e(c, QAccessible::NameChanged);
    raiseAccessibleEvent(e);
}

void setAccessibleName(TControl* c, const QString& name) {
    if (c->accessibleName() == name) return;
    c->QWidget::setAccessibleName(name);
    accessibleNameChanged(c);
}

ControlAccessible::ControlAccessible(TControl* c, QAccessible::Role role)
    : QAccessibleWidget(c, role) {}

TControl* ControlAccessible::control() const {
    return static_cast<TControl*>(widget());
}

QAccessible::Role ControlAccessible::role() const {
    const QVariant r = widget()->property(RoleProperty);
    return r.isValid() ? QAccessible::Role(r.toInt()) : QAccessibleWidget::role();
}

QString ControlAccessible::text(QAccessible::Text t) const {
    const TControl* c = control();
    switch (t) {
    case QAccessible::Name:
        return c->accessibleName().isEmpty() ? derivedName() : c->accessibleName();
    case QAccessible::Description: {
        if (!c->accessibleDescription().isEmpty()) return c->accessibleDescription();
        // The long part of a hint, or the short one where it is not the name already.
        const QString longHint = c->hint().section(QLatin1Char('|'), 1);
        if (!longHint.isEmpty()) return longHint;
        const QString hint = shortHint(c->hint());
        return hint == text(QAccessible::Name) ? QString() : hint;
    }
    case QAccessible::Accelerator:
        return acceleratorKeyText(acceleratorCaption());
    case QAccessible::Help:
        return c->accessibleDescription();
    default:
        return QAccessibleWidget::text(t);
    }
}

// A label that shows its "&" as it is is read as it shows.
static bool showsAmpersands(const TControl* c) {
    const auto* label = qobject_cast<const TLabel*>(c);
    return label && !label->showAccelChar();
}

QString ControlAccessible::derivedName() const {
    const QString caption = control()->caption();
    return showsAmpersands(control()) ? caption : stripPrefixes(caption);
}

QString ControlAccessible::acceleratorCaption() const {
    return showsAmpersands(control()) ? QString() : control()->caption();
}

bool ControlAccessible::takesFocus() const {
    return control()->tabStop();
}

QAccessible::State ControlAccessible::state() const {
    // Qt's answer covers visibility, enabling (the parents' too), focus and the window's
    // states; the focus policy it looks at is always off here.
    QAccessible::State s = QAccessibleWidget::state();
    s.focusable = takesFocus();
    return s;
}

QString ControlAccessible::defaultAction() const {
    const TControl* c = control();
    return c->isHandled(&TControl::OnClick) || c->action()
               ? QAccessibleActionInterface::pressAction()
               : QString();
}

QStringList ControlAccessible::actionNames() const {
    QStringList names;
    const QString def = defaultAction();
    if (!def.isEmpty() && control()->isEnabled()) names << def;
    if (takesFocus()) names << QAccessibleActionInterface::setFocusAction();
    return names;
}

void ControlAccessible::doAction(const QString& action) {
    if (!control()->isEnabled()) return;
    if (action == QAccessibleActionInterface::setFocusAction()) {
        if (takesFocus() && control()->canFocus()) control()->setFocus();
        return;
    }
    // The default action clicks the control's centre as the mouse does.
    const QString def = defaultAction();
    if (!def.isEmpty() && action == def) clickLikeTheMouse(control(), control()->rect().center());
}

QStringList ControlAccessible::keyBindingsForAction(const QString& action) const {
    const QString keys = text(QAccessible::Accelerator);
    return !keys.isEmpty() && action == defaultAction() ? QStringList{keys} : QStringList();
}

HostAccessible::HostAccessible(TControl* c, QWidget* hosted, QAccessible::Role role)
    : ControlAccessible(c, role), m_hosted(hosted) {}

QString HostAccessible::derivedName() const {
    return shortHint(control()->hint());
}

QString HostAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value && m_hosted)
        if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(m_hosted.data()))
            return i->text(QAccessible::Value);
    return ControlAccessible::text(t);
}

QAccessible::State HostAccessible::state() const {
    QAccessible::State s = ControlAccessible::state();
    if (m_hosted) {
        s.focused = m_hosted->hasFocus();
        if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(m_hosted.data())) {
            const QAccessible::State h = i->state();
            s.readOnly = h.readOnly;
            s.editable = h.editable;
            s.expanded = h.expanded;
            s.collapsed = h.collapsed;
        }
    }
    return s;
}

} // namespace tk
