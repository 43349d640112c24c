#include "Component.h"

namespace tk {

Component::Component(QObject* self, Component* owner) : m_self(self) {
    if (owner) {
        m_designing = owner->m_designing;
        m_owner = owner;
        owner->m_components.append(this);
        owner->notification(this, Operation::Insert);
    }
}

Component::~Component() {
    // Tell everyone who asked, then the owner; then destroy what this one owns, last
    // created first. Owned objects that are also child widgets are gone from the list
    // already if Qt destroyed them first, because their own destructor removed them.
    const auto notifies = m_freeNotifies;
    m_freeNotifies.clear();
    for (Component* c : notifies) {
        c->m_freeNotifies.removeAll(this);
        c->notification(this, Operation::Remove);
    }
    if (m_owner) {
        m_owner->notification(this, Operation::Remove);
        m_owner->m_components.removeAll(this);
    }
    while (!m_components.isEmpty()) {
        Component* c = m_components.takeLast();
        c->m_owner = nullptr;
        delete c->object();
    }
}

void Component::setName(const QString& name) {
    m_name = name;
    m_self->setObjectName(name);
}

void Component::setDesigning(bool on) {
    m_designing = on;
    for (Component* c : std::as_const(m_components))
        c->setDesigning(on);
}

void Component::freeNotification(Component* other) {
    if (!other || other == this) return;
    if (!m_freeNotifies.contains(other)) m_freeNotifies.append(other);
    if (!other->m_freeNotifies.contains(this)) other->m_freeNotifies.append(this);
}

void Component::removeFreeNotification(Component* other) {
    if (!other) return;
    m_freeNotifies.removeAll(other);
    other->m_freeNotifies.removeAll(this);
}

void Component::setEventBinding(const QString& event, const QString& handler,
                                QMetaObject::Connection connection) {
    for (EventBinding& b : m_eventBindings)
        if (b.event == event) {
            QObject::disconnect(b.connection);
            b = {event, handler, connection};
            return;
        }
    m_eventBindings.append({event, handler, connection});
}

Component* Component::findComponent(const QString& name) const {
    for (Component* c : m_components)
        if (c->m_name.compare(name, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

} // namespace tk
