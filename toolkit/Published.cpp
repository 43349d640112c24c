#include "Published.h"

#include "Component.h"
#include "LayoutSyntax.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <stdexcept>
#include <unordered_map>

namespace tk {

namespace {

// Everything a class says in its Q_CLASSINFO, its bases' lists applied first.
struct Publication {
    QStringList listed;   // opted-in properties and events, in list order
    QSet<QString> hidden; // plain properties a class took away
    QSet<QString> optIn;  // properties shown only where listed
    QSet<QString> alwaysStored;
    QHash<QString, QString> storedDefaults;
    QHash<QString, std::pair<qint64, qint64>> ranges;
    bool storeChanged = false;
};

QStringList ownList(const QMetaObject* mo, const char* key) {
    QStringList out;
    for (int i = mo->classInfoOffset(); i < mo->classInfoCount(); ++i)
        if (qstrcmp(mo->classInfo(i).name(), key) == 0)
            for (const QString& n :
                 QString::fromLatin1(mo->classInfo(i).value()).split(QLatin1Char(',')))
                if (!n.trimmed().isEmpty()) out << n.trimmed();
    return out;
}

std::pair<qint64, qint64> parseRange(const QMetaObject* mo, const QString& name,
                                     const QString& text) {
    const QStringList bounds = text.split(QLatin1String(".."));
    bool lowOk = false;
    bool highOk = false;
    const qint64 low = bounds.value(0).toLongLong(&lowOk);
    const qint64 high = bounds.value(1).toLongLong(&highOk);
    // A class that declares a bad range is the program's fault, not the layout's.
    if (bounds.size() != 2 || !lowOk || !highOk)
        throw std::logic_error(QStringLiteral("bad range '%1' for '%2' of %3")
                                   .arg(text, name, layout::className(mo))
                                   .toStdString());
    return {low, high};
}

const Publication& publication(const QMetaObject* mo) {
    // Node-based, so that a reference handed out stays valid while the cache grows.
    static std::unordered_map<const QMetaObject*, Publication> cache;
    if (const auto it = cache.find(mo); it != cache.end()) return it->second;
    Publication p = mo->superClass() ? publication(mo->superClass()) : Publication();
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
        if (key.startsWith(QLatin1String("StoredDefault:")))
            p.storedDefaults.insert(key.section(QLatin1Char(':'), 1), value);
        else if (key.startsWith(QLatin1String("Range:")))
            p.ranges.insert(key.section(QLatin1Char(':'), 1),
                            parseRange(mo, key.section(QLatin1Char(':'), 1), value));
        else if (key == QLatin1String("StoreChanged"))
            p.storeChanged = value == QLatin1String("True");
    }
    return cache.emplace(mo, std::move(p)).first->second;
}

// The signal `name` of `mo`; the most derived declaration wins.
QMetaMethod signalNamed(const QMetaObject* mo, const QString& name) {
    const QByteArray wanted = name.toLatin1();
    for (int i = mo->methodCount() - 1; i >= 0; --i)
        if (mo->method(i).methodType() == QMetaMethod::Signal && mo->method(i).name() == wanted)
            return mo->method(i);
    return {};
}

} // namespace

bool isEventName(const QString& name) {
    return name.size() > 2 && name.startsWith(QLatin1String("On")) && name[2].isUpper();
}

QList<QMetaMethod> publishedEvents(const QMetaObject* mo) {
    QList<QMetaMethod> out;
    for (const QString& n : publication(mo).listed) {
        if (!isEventName(n)) continue;
        const QMetaMethod e = signalNamed(mo, n);
        // A list naming an event the class lacks is the program's fault, not the layout's.
        if (!e.isValid())
            throw std::logic_error(QStringLiteral("%1 publishes %2, which it does not have")
                                       .arg(QLatin1String(mo->className()), n)
                                       .toStdString());
        out << e;
    }
    return out;
}

QMetaMethod publishedEvent(const QObject* o, const QString& name) {
    const QMetaObject* mo = o->metaObject();
    if (!publication(mo).listed.contains(name)) return {};
    return signalNamed(mo, name);
}

void bindEvent(QObject* target, const QString& event, QObject* receiver, const QString& handler) {
    const QMetaMethod signal = publishedEvent(target, event);
    if (!signal.isValid())
        throw std::invalid_argument(QStringLiteral("unknown event '%1' of %2")
                                        .arg(event, layout::className(target))
                                        .toStdString());
    const QMetaObject* mo = receiver ? receiver->metaObject() : nullptr;
    QMetaMethod slot;
    bool named = false;
    for (int i = mo ? mo->methodCount() - 1 : -1; i >= 0 && !slot.isValid(); --i) {
        const QMetaMethod m = mo->method(i);
        if (m.methodType() != QMetaMethod::Slot || m.name() != handler.toLatin1()) continue;
        named = true;
        if (QMetaObject::checkConnectArgs(signal, m)) slot = m;
    }
    if (!named)
        throw std::invalid_argument(
            QStringLiteral("unknown handler '%1'").arg(handler).toStdString());
    if (!slot.isValid())
        throw std::invalid_argument(QStringLiteral("handler '%1' does not take the values of '%2'")
                                        .arg(handler, event)
                                        .toStdString());
    Component* c = asComponent(target);
    if (!c) throw std::invalid_argument("only a component's events can be bound");
    c->setEventBinding(event, handler,
                       QObject::connect(target, signal, receiver, slot, Qt::DirectConnection));
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

bool isAlwaysStored(const QMetaObject* mo, const QString& name) {
    return publication(mo).alwaysStored.contains(name);
}

std::optional<QString> storedDefault(const QMetaObject* mo, const QString& name) {
    const Publication& p = publication(mo);
    if (const auto it = p.storedDefaults.constFind(name); it != p.storedDefaults.constEnd())
        return *it;
    return std::nullopt;
}

std::optional<std::pair<qint64, qint64>> declaredRange(const QMetaObject* mo, const QString& name) {
    const Publication& p = publication(mo);
    if (const auto it = p.ranges.constFind(name); it != p.ranges.constEnd()) return *it;
    return std::nullopt;
}

bool storesChangedOnly(const QMetaObject* mo) {
    return mo && publication(mo).storeChanged;
}

} // namespace tk
