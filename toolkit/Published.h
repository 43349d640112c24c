#pragma once

// What each class publishes to layouts: which of the framework's properties it shows and
// which events it lets a layout bind.
//
// Every capitalised Q_PROPERTY is published, except the framework settings that the control
// base names in Q_CLASSINFO("OptIn", ...): a class shows those only where it, or a base,
// lists them. Events are published only by name. Each class says what it adds and what it
// takes away from its bases, in one short list each:
//   Q_CLASSINFO("Publishes", "Anchors,Constraints,PopupMenu,OnClick,OnMouseDown")
//   Q_CLASSINFO("Unpublishes", "Color")      // a base's property this class hides
// Events themselves are std::function members, entered once per declaring class in the
// event table (registerEvent), so that a layout can bind any published event of any class
// and the writer can tell which are bound.

#include <QList>
#include <QMetaProperty>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <typeindex>

namespace tk {

struct PublishedEvent {
    QString name;
    const QMetaObject* declaredBy = nullptr;
    std::type_index type = typeid(void); // the std::function type of the member
    // The member of `o` (an instance of declaredBy or of a subclass).
    std::function<void*(QObject* o)> address;
    std::function<bool(QObject* o)> assigned;
    // Puts a handler that ignores the event's arguments into the member.
    std::function<void(QObject* o, std::function<void()> handler)> assignIgnoringArguments;
};

// The table entry of event `name` of class C, held in `member`.
template <class C, class... A>
PublishedEvent eventEntry(const char* name, std::function<void(A...)> C::*member) {
    using F = std::function<void(A...)>;
    // qobject_cast, not static_cast: C may have a mixin base before QObject's.
    const auto at = [member](QObject* o) -> F& { return qobject_cast<C*>(o)->*member; };
    return PublishedEvent{
        QString::fromLatin1(name),
        &C::staticMetaObject,
        typeid(F),
        [at](QObject* o) -> void* { return &at(o); },
        [at](QObject* o) { return static_cast<bool>(at(o)); },
        [at](QObject* o, std::function<void()> h) { at(o) = [h = std::move(h)](A...) { h(); }; }};
}

// Enters an event into the table; entering a name again for the same class replaces it.
// The toolkit's own classes are entered from the start.
void registerEvent(PublishedEvent event);
template <class C, class F> void registerEvent(const char* name, F C::*member) {
    registerEvent(eventEntry(name, member));
}

// An On... name: what a layout line binds rather than sets.
bool isEventName(const QString& name);

// Whether `mo` publishes any events through the table (a class that does not leaves every
// On... line to the form's binder, as a layout of plain QObjects needs).
bool hasPublishedEvents(const QMetaObject* mo);
// The events `mo` publishes, in the order its lists give them, bases first.
QList<const PublishedEvent*> publishedEvents(const QMetaObject* mo);
// Event `name` of `o`'s class; null when the class does not publish it.
const PublishedEvent* findPublishedEvent(const QObject* o, const QString& name);

// Where `o` keeps event `name` when its class publishes it with type F; null otherwise, so
// a form's binder can ask, for each kind of handler it has, whether the event takes it.
template <class F> F* publishedEventMember(QObject* o, const QString& name) {
    const PublishedEvent* e = findPublishedEvent(o, name);
    return e && e->type == typeid(F) ? static_cast<F*>(e->address(o)) : nullptr;
}

// Whether property `p` of class `mo` is published.
bool isPublishedProperty(const QMetaObject* mo, const QMetaProperty& p);
// The published properties of `mo`, in declaration order, each once.
QList<QMetaProperty> publishedProperties(const QMetaObject* mo);

} // namespace tk
