#pragma once

// What each class publishes to layouts, and how it is stored: every rule a class states
// in Q_CLASSINFO is read here and nowhere else.
//
// Every capitalised Q_PROPERTY is published, except the framework settings that the control
// base names in Q_CLASSINFO("OptIn", ...): a class shows those only where it, or a base,
// lists them. Events are signals named On..., published only by name. Each class says what
// it adds and what it takes away from its bases, in one short list each:
//   Q_CLASSINFO("Publishes", "Anchors,Constraints,PopupMenu,OnClick,OnMouseDown")
//   Q_CLASSINFO("Unpublishes", "Color")      // a base's property this class hides
// How a published property is stored:
//   Q_CLASSINFO("AlwaysStored", "Version,Style")       written even when equal to the default
//   Q_CLASSINFO("StoredDefault:ParentColor", "False")  a declared default: a value unlike it
//                                                      is written even when a fresh instance
//                                                      has it too (ParentColor True)
//   Q_CLASSINFO("Range:Width", "0..32767")             the values a layout may give it
//   Q_CLASSINFO("StoreChanged", "True")                (a gadget) only its changed parts
// and a property declared STORED false is never written.

#include <QHash>
#include <QList>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace tk {

// Everything a class says in its Q_CLASSINFO, its bases' lists applied first.
struct Publication {
    QStringList listed;   // opted-in properties and events, in list order
    QSet<QString> hidden; // plain properties a class took away
    QSet<QString> optIn;  // properties shown only where listed
    QSet<QString> alwaysStored;
    QHash<QString, QString> storedDefaults; // as layout text
    QHash<QString, std::pair<qint64, qint64>> ranges;
    bool storeChanged = false; // a gadget stored as far as it differs from a fresh value
};
const Publication& publication(const QMetaObject* mo);

// An On... name: what a layout line binds rather than sets.
bool isEventName(const QString& name);

// The events `mo` publishes, in the order its lists give them, bases first.
QList<QMetaMethod> publishedEvents(const QMetaObject* mo);

// Connects event `event` of `target` to the slot `handler` of `receiver`, as a layout's
// `OnClick = Button1Click` says: an event has one handler, so a binding made before for it
// is undone. The handler takes the event's values, or the first of them, or none. Throws
// std::invalid_argument naming what is unknown or does not fit.
void bindEvent(QObject* target, const QString& event, QObject* receiver, const QString& handler);

// Whether property `p` of class `mo` is published.
bool isPublishedProperty(const QMetaObject* mo, const QMetaProperty& p);
// The published properties of `mo`, in declaration order, each once.
QList<QMetaProperty> publishedProperties(const QMetaObject* mo);

// The bounds `mo` declares for integer property `name`.
std::optional<std::pair<qint64, qint64>> declaredRange(const QMetaObject* mo, const QString& name);

} // namespace tk
