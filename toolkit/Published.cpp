#include "Published.h"

#include "Component.h"
#include "LayoutSyntax.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace tk {

namespace {

std::pair<qint64, qint64> parseRange(const QMetaObject* mo, const QString& name,
                                     const QString& text) {
    const QStringList bounds = text.split(QLatin1String(".."));
    bool lowOk = false;
    bool highOk = false;
    const qint64 low = bounds.value(0).toLongLong(&lowOk);
    const qint64 high = bounds.value(1).toLongLong(&highOk);
    // A class that declares a bad range is the program's fault, not the layout's.
    if (bounds.size() != 2 || !lowOk || !highOk)
        layout::raise<std::logic_error>("bad range '%1' for '%2' of %3", text, name,
                                        layout::className(mo));
    return {low, high};
}

// The list a class's own Q_CLASSINFO `key` gives, its items trimmed.
QStringList ownList(const QMetaObject* mo, const char* key) {
    QStringList out;
    for (int i = mo->classInfoOffset(); i < mo->classInfoCount(); ++i)
        if (qstrcmp(mo->classInfo(i).name(), key) == 0)
            for (const QString& n :
                 QString::fromLatin1(mo->classInfo(i).value()).split(QLatin1Char(',')))
                if (!n.trimmed().isEmpty()) out << n.trimmed();
    return out;
}

// The methods of `mo` of kind `type` named `name`, the most derived declaration first.
QList<QMetaMethod> methodsNamed(const QMetaObject* mo, QMetaMethod::MethodType type,
                                const QString& name) {
    QList<QMetaMethod> out;
    const QByteArray wanted = name.toLatin1();
    for (int i = mo ? mo->methodCount() - 1 : -1; i >= 0; --i)
        if (mo->method(i).methodType() == type && mo->method(i).name() == wanted)
            out << mo->method(i);
    return out;
}

} // namespace

const Publication& publication(const QMetaObject* mo) {
    // Node-based, so that a reference handed out stays valid while the cache grows.
    static std::unordered_map<const QMetaObject*, Publication> cache;
    if (const auto it = cache.find(mo); it != cache.end()) return it->second;
    Publication p = mo->superClass() ? publication(mo->superClass()) : Publication();
    // The lists apply in this order whatever order a class declares them in: what a class
    // unpublishes stays unpublished.
    for (const QString& n : ownList(mo, "OptIn"))
        p.optIn.insert(n);
    for (const QString& n : ownList(mo, "Publishes")) {
        if (!p.listed.contains(n)) p.listed << n;
        p.hidden.remove(n);
    }
    for (const QString& n : ownList(mo, "Unpublishes")) {
        p.listed.removeAll(n);
        p.hidden.insert(n);
    }
    for (const QString& n : ownList(mo, "AlwaysStored"))
        p.alwaysStored.insert(n);
    for (int i = mo->classInfoOffset(); i < mo->classInfoCount(); ++i) {
        const QString key = QString::fromLatin1(mo->classInfo(i).name());
        const QString value = QString::fromUtf8(mo->classInfo(i).value());
        const QString property = key.section(QLatin1Char(':'), 1);
        if (key.startsWith(QLatin1String("StoredDefault:")))
            p.storedDefaults.insert(property, value);
        else if (key.startsWith(QLatin1String("Range:")))
            p.ranges.insert(property, parseRange(mo, property, value));
        else if (key == QLatin1String("StoreChanged"))
            p.storeChanged = value == QLatin1String("True");
    }
    return cache.emplace(mo, std::move(p)).first->second;
}

bool isEventName(const QString& name) {
    return name.size() > 2 && name.startsWith(QLatin1String("On")) && name[2].isUpper();
}

QList<QMetaMethod> publishedEvents(const QMetaObject* mo) {
    QList<QMetaMethod> out;
    for (const QString& n : publication(mo).listed) {
        if (!isEventName(n)) continue;
        const QMetaMethod e = methodsNamed(mo, QMetaMethod::Signal, n).value(0);
        // A list naming an event the class lacks is the program's fault, not the layout's.
        if (!e.isValid())
            layout::raise<std::logic_error>("%1 publishes %2, which it does not have",
                                            mo->className(), n);
        out << e;
    }
    return out;
}

void bindEvent(QObject* target, const QString& event, QObject* receiver, const QString& handler) {
    const QMetaObject* targetClass = target->metaObject();
    const QMetaMethod signal = publication(targetClass).listed.contains(event)
                                   ? methodsNamed(targetClass, QMetaMethod::Signal, event).value(0)
                                   : QMetaMethod();
    if (!signal.isValid())
        layout::raise<std::invalid_argument>("unknown event '%1' of %2", event,
                                             layout::className(target));
    const QList<QMetaMethod> candidates =
        methodsNamed(receiver ? receiver->metaObject() : nullptr, QMetaMethod::Slot, handler);
    if (candidates.isEmpty()) layout::raise<std::invalid_argument>("unknown handler '%1'", handler);
    const auto slot = std::ranges::find_if(
        candidates, [&](const QMetaMethod& m) { return QMetaObject::checkConnectArgs(signal, m); });
    if (slot == candidates.end())
        layout::raise<std::invalid_argument>("handler '%1' does not take the values of '%2'",
                                             handler, event);
    Component* c = asComponent(target);
    if (!c) throw std::invalid_argument("only a component's events can be bound");
    c->setEventBinding(event, handler,
                       QObject::connect(target, signal, receiver, *slot, Qt::DirectConnection));
}

bool isPublishedProperty(const QMetaObject* mo, const QMetaProperty& p) {
    const char* n = p.name();
    if (!n || n[0] < 'A' || n[0] > 'Z') return false;
    const QString name = QString::fromLatin1(n);
    const Publication& pub = publication(mo);
    if (pub.optIn.contains(name)) return pub.listed.contains(name);
    return !pub.hidden.contains(name);
}

QList<QMetaProperty> publishedProperties(const QMetaObject* mo) {
    QList<QMetaProperty> out;
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (mo->indexOfProperty(p.name()) == i && isPublishedProperty(mo, p)) out << p;
    }
    return out;
}

std::optional<std::pair<qint64, qint64>> declaredRange(const QMetaObject* mo, const QString& name) {
    const Publication& p = publication(mo);
    if (const auto it = p.ranges.constFind(name); it != p.ranges.constEnd()) return *it;
    return std::nullopt;
}

} // namespace tk
