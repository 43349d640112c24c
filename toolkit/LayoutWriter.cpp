#include "LayoutSyntax.h"
#include "Published.h"

#include <QHash>
#include <optional>

namespace tk {

using namespace layout;

namespace {

// Sub-components could in principle refer back to their owner; stop well before that loops.
constexpr int MaxSubObjectDepth = 8;

QString componentName(QObject* o) {
    const Component* c = asComponent(o);
    return c ? c->name() : QString();
}

class Writer {
public:
    explicit Writer(QObject* root) : m_root(asComponent(root)) {
        if (!m_root) fail(0, "the root is no component");
    }

    QString run() {
        // A form class builds itself from its own layout, so its defaults are those of the
        // nearest registered base class.
        QObject* defaults = nullptr;
        for (const QMetaObject* mo = m_root->object()->metaObject()->superClass(); mo && !defaults;
             mo = mo->superClass())
            if (isLayoutClassRegistered(className(mo))) defaults = defaultsFor(className(mo));
        writeObject(m_root, defaults, 0);
        return m_out;
    }

private:
    void line(int depth, const QString& text) { m_out += indent(depth) + text + QLatin1Char('\n'); }

    QObject* defaultsFor(const QString& cls) {
        if (QObject* o = m_defaults.value(cls)) return o;
        QObject* o = createLayoutObject(cls, &m_scratch);
        if (!asComponent(o)) {
            delete o;
            fail(0, "class '%1' is no component", cls);
        }
        m_defaults.insert(cls, o);
        return o;
    }

    void writeObject(const Component* c, QObject* defaults, int depth) {
        QObject* object = c->object();
        const QString cls = className(object);
        if (c->name().isEmpty()) fail(0, "a %1 without a name cannot be stored", cls);
        line(depth, QStringLiteral("object %1: %2").arg(c->name(), cls));
        writeProperties(object, defaults, QString(), depth + 1, 0);
        for (const Component::EventBinding& b : c->eventBindings())
            if (b.connection) line(depth + 1, b.event + QLatin1String(" = ") + b.handler);
        // The root's components that lie in this one, in creation order. Those without any
        // parent are written under the root.
        const QList<Component*> components = m_root->components();
        for (const Component* child : components) {
            const QObject* parent = child->object()->parent();
            if (child->isSubComponent() || (parent != object && (c != m_root || parent))) continue;
            const QString childClass = className(child->object());
            if (!isLayoutClassRegistered(childClass))
                fail(0, "class '%1' of '%2' is not registered", childClass, child->name());
            writeObject(child, defaultsFor(childClass), depth + 1);
        }
        line(depth, QStringLiteral("end"));
    }

    // The Boolean ParentX of property X, if the class has one.
    static std::optional<bool> parentFlag(const QObject* object, const QString& name) {
        const QVariant flag = object->property((QLatin1String("Parent") + name).toLatin1());
        if (flag.metaType().id() != QMetaType::Bool) return std::nullopt;
        return flag.toBool();
    }

    static QVariant storedDefault(const QMetaObject* mo, const QMetaProperty& p) {
        const auto& defaults = publication(mo).storedDefaults;
        const auto text = defaults.constFind(QString::fromLatin1(p.name()));
        if (text == defaults.constEnd()) return {};
        const std::vector<Token> tokens = tokenize(*text);
        QString why;
        const auto value = convert(mo, p, tokens.front(), &why);
        if (!value || tokens.size() != 2)
            fail(0, "bad stored default '%1' for '%2' of %3", *text, p.name(), className(mo));
        return *value;
    }

    void writeProperties(QObject* object, QObject* defaults, const QString& prefix, int depth,
                         int level) {
        const QMetaObject* mo = object->metaObject();
        for (const QMetaProperty& p : publishedProperties(mo)) {
            const QString name = QString::fromLatin1(p.name());
            const std::optional<bool> fromParent = parentFlag(object, name);
            if (!p.isStored() || name == QLatin1String("Name") || fromParent == true) continue;
            const QString path = prefix + name;
            // A value of its own is written even when a fresh instance has it too: read back
            // into a parent, the control takes the parent's value until it is set.
            const bool keep = publication(mo).alwaysStored.contains(name) || fromParent == false;
            const QVariant value = p.read(object);
            // Invalid where the defaults' class (a form's base) lacks the property.
            const QVariant fresh = defaults ? defaults->property(p.name()) : QVariant();

            if (isObjectPointer(p) && !p.isWritable()) {
                QObject* sub = value.value<QObject*>();
                const Component* c = asComponent(sub);
                const bool part = c ? c->isSubComponent() : sub && sub->parent() == object;
                if (part && level < MaxSubObjectDepth)
                    writeProperties(sub, fresh.value<QObject*>(), path + QLatin1Char('.'), depth,
                                    level + 1);
                continue;
            }
            if (!p.isWritable()) continue;
            if (isObjectPointer(p)) {
                const QString ref = componentName(value.value<QObject*>());
                if (!ref.isEmpty() && (keep || ref != componentName(fresh.value<QObject*>())))
                    line(depth, path + QLatin1String(" = ") + ref);
                continue;
            }
            if (isGadget(p)) {
                // A gadget is written whole: read back over whatever the reading side
                // holds (a parent's font), a partial one would mix the two.
                if (keep || !fresh.isValid() || value != fresh)
                    writeGadget(value, path + QLatin1Char('.'), depth,
                                keep || !publication(value.metaType().metaObject()).storeChanged
                                    ? QVariant()
                                    : fresh);
                continue;
            }
            // A declared default makes a value stored that a fresh instance also has
            // (ParentColor True), but a value equal to it and not to what the constructor
            // sets must still be stored, or reading the layout back would lose it.
            const QVariant declared = storedDefault(mo, p);
            if (keep || !fresh.isValid() || value != fresh ||
                (declared.isValid() && value != declared)) {
                const QLatin1String part = valuePart(p);
                line(depth, (part.isEmpty() ? path : path + QLatin1Char('.') + part) +
                                QLatin1String(" = ") + format(p, value, depth, path));
            }
        }
    }

    // A gadget whose class says "StoreChanged" is written as far as it differs from
    // `fresh` (a parent's value cannot show through it); others are written whole.
    void writeGadget(const QVariant& gadget, const QString& prefix, int depth,
                     const QVariant& fresh = QVariant()) {
        for (const QMetaProperty& p : publishedProperties(gadget.metaType().metaObject())) {
            if (!p.isStored() || !p.isWritable()) continue;
            const QVariant value = p.readOnGadget(gadget.constData());
            if (fresh.isValid() && value == p.readOnGadget(fresh.constData())) continue;
            const QString path = prefix + QString::fromLatin1(p.name());
            if (isGadget(p))
                writeGadget(value, path + QLatin1Char('.'), depth);
            else
                line(depth, path + QLatin1String(" = ") + format(p, value, depth, path));
        }
    }

    Component* m_root;
    QString m_out;
    // Owns the fresh instances that hold the defaults; destroyed (with them) before its
    // QObject.
    QObject m_scratchObject;
    Component m_scratch{&m_scratchObject};
    QHash<QString, QObject*> m_defaults;
};

} // namespace

QString writeLayout(QObject* root) {
    return Writer(root).run();
}

} // namespace tk
