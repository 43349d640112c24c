#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace tk {

enum class Operation { Insert, Remove };

// What every component of a layout has beside its QObject: a Name, an owner that
// destroys it, and the designing/loading flags. Controls are QWidgets, so this is a
// mixin rather than a QObject base; the object it belongs to is object().
class Component {
public:
    explicit Component(QObject* self, Component* owner = nullptr);
    virtual ~Component();
    Q_DISABLE_COPY(Component)

    QObject* object() const { return m_self; }
    Component* owner() const { return m_owner; }
    const QList<Component*>& components() const { return m_components; }

    QString name() const { return m_name; }
    // The rename operation; controls react to it (captions following the name).
    virtual void setName(const QString& name);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Form-designer mode. There is no designer, but the rules that depend on it are
    // kept and testable. It is inherited from the owner at construction.
    bool isDesigning() const { return m_designing; }
    void setDesigning(bool on);
    // Set while a layout is being read into this component.
    bool isLoading() const { return m_loading; }
    void setLoading(bool on) { m_loading = on; }

    // A sub-component is stored inside its owner's entry (Ticket.Width), not on its own.
    bool isSubComponent() const { return m_subComponent; }
    void setSubComponent(bool on) { m_subComponent = on; }

    // Ask to hear when `other` goes away (the removal notification).
    void freeNotification(Component* other);
    void removeFreeNotification(Component* other);

    // The layout reader's steps: the parent is assigned before any property, then the
    // properties in file order, then loaded() on every component once all are read.
    virtual void setLayoutParent(QObject* parent) { m_self->setParent(parent); }
    virtual void loaded() { m_loading = false; }
    // Whether a layout may put `child` into this component. A widget holds controls and
    // other components; a component that is no widget holds nothing, since a control
    // needs a widget for its parent.
    virtual bool canHold(const QObject*) const { return m_self->isWidgetType(); }

    Component* findComponent(const QString& name) const;

    // The handlers a layout bound to this component's events, in the order bound, so that
    // the layout can be written back; a binding the program undid is no longer connected.
    struct EventBinding {
        QString event;
        QString handler;
        QMetaObject::Connection connection;
    };
    const QList<EventBinding>& eventBindings() const { return m_eventBindings; }
    // Records a binding, undoing the one made before for the same event.
    void setEventBinding(const QString& event, const QString& handler,
                         QMetaObject::Connection connection);

protected:
    // The removal notification: `c` is being destroyed (or inserted).
    virtual void notification(Component*, Operation) {}

private:
    QObject* m_self;
    Component* m_owner = nullptr;
    QList<Component*> m_components;
    QList<Component*> m_freeNotifies;
    QString m_name;
    QList<EventBinding> m_eventBindings;
    int m_tag = 0;
    bool m_designing = false;
    bool m_loading = false;
    bool m_subComponent = false;
};

// The component behind a QObject, if it is one: code holding a QObject* (layouts, sibling
// walks) reaches the mixin without knowing the concrete class.
inline Component* asComponent(QObject* o) {
    return dynamic_cast<Component*>(o);
}

} // namespace tk
