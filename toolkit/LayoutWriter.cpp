#include "Colors.h"
#include "Layout.h"
#include "LayoutSyntax.h"
#include "Published.h"

#include <QHash>
#include <QImage>
#include <QMetaEnum>
#include <optional>

namespace tk {

using namespace layout;

namespace {

// Strings are cut after every line break and at this length, so that a multi-line caption
// reads line by line and no line of the file runs on for ever.
constexpr qsizetype MaxStringPiece = 64;
// Sub-components could in principle refer back to their owner; stop well before that loops.
constexpr int MaxSubObjectDepth = 8;
// Hex digits per line of a binary block (32 bytes).
constexpr qsizetype BinaryLineDigits = 64;

QString indent(int depth) {
    return QString(depth * 2, QLatin1Char(' '));
}

QString quotePiece(QStringView piece) {
    QString out;
    bool open = false;
    for (const QChar c : piece) {
        // Text goes in quotes, a control character as its code outside them.
        const bool code = c.unicode() < 32;
        if (code == open) {
            out += QLatin1Char('\'');
            open = !open;
        }
        out += code ? QLatin1Char('#') + QString::number(c.unicode()) : QString(c);
        if (c == QLatin1Char('\'')) out += c;
    }
    if (open) out += QLatin1Char('\'');
    return out.isEmpty() ? QStringLiteral("''") : out;
}

QString quote(const QString& s, int depth) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const bool lineEnd = s[i] == QLatin1Char('\n');
        const bool full = i + 1 - start >= MaxStringPiece && !s[i].isHighSurrogate();
        if (lineEnd || full) {
            pieces << quotePiece(QStringView(s).mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < s.size() || pieces.isEmpty()) pieces << quotePiece(QStringView(s).mid(start));
    return pieces.join(QLatin1String(" +\n") + indent(depth + 1));
}

QString binaryBlock(const QByteArray& bytes, int depth) {
    QString out = QStringLiteral("{");
    const QByteArray hex = bytes.toHex().toUpper();
    for (qsizetype i = 0; i < hex.size(); i += BinaryLineDigits)
        out += QLatin1Char('\n') + indent(depth + 1) + QLatin1String(hex.mid(i, BinaryLineDigits));
    return out + QLatin1Char('}');
}

QString colorText(TColor c) {
    if (const auto name = colorToIdent(c)) return *name;
    return QLatin1Char('$') +
           QString::number(quint32(c), 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

QString componentName(QObject* o) {
    const Component* c = asComponent(o);
    return c ? c->name() : QString();
}

class Writer {
public:
    explicit Writer(QObject* root) : m_root(root), m_rootComponent(asComponent(root)) {
        if (!m_rootComponent) throw LayoutError(0, QStringLiteral("the root is no component"));
    }

    QString run() {
        // A form class builds itself from its own layout, so its defaults are those of the
        // nearest registered base class.
        QObject* defaults = nullptr;
        for (const QMetaObject* mo = m_root->metaObject()->superClass(); mo && !defaults;
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
            throw LayoutError(0, QStringLiteral("class '%1' is no component").arg(cls));
        }
        m_defaults.insert(cls, o);
        return o;
    }

    void writeObject(QObject* object, QObject* defaults, int depth) {
        const QString cls = className(object);
        const QString name = componentName(object);
        if (name.isEmpty())
            throw LayoutError(0, QStringLiteral("a %1 without a name cannot be stored").arg(cls));
        line(depth, QStringLiteral("object %1: %2").arg(name, cls));
        writeProperties(object, defaults, QString(), depth + 1, 0);
        if (const Component* c = asComponent(object))
            for (const Component::EventBinding& b : c->eventBindings())
                if (b.connection) line(depth + 1, b.event + QLatin1String(" = ") + b.handler);
        for (QObject* child : childrenOf(object)) {
            const QString childClass = className(child);
            if (!isLayoutClassRegistered(childClass))
                throw LayoutError(0, QStringLiteral("class '%1' of '%2' is not registered")
                                         .arg(childClass, componentName(child)));
            writeObject(child, defaultsFor(childClass), depth + 1);
        }
        line(depth, QStringLiteral("end"));
    }

    // The root's components that lie in `object`, in creation order. Those without any
    // parent are written under the root.
    QList<QObject*> childrenOf(QObject* object) const {
        QList<QObject*> out;
        for (const Component* c : m_rootComponent->components()) {
            if (c->isSubComponent()) continue;
            QObject* o = c->object();
            if (o->parent() == object || (object == m_root && !o->parent())) out << o;
        }
        return out;
    }

    // The Boolean ParentX of property X, if the class has one.
    static std::optional<bool> parentFlag(const QObject* object, const QString& name) {
        const QMetaObject* mo = object->metaObject();
        const int i = mo->indexOfProperty((QLatin1String("Parent") + name).toLatin1().constData());
        if (i < 0 || mo->property(i).metaType().id() != QMetaType::Bool) return std::nullopt;
        return mo->property(i).read(object).toBool();
    }

    static QVariant storedDefault(const QMetaObject* mo, const QMetaProperty& p) {
        const auto text = tk::storedDefault(mo, QString::fromLatin1(p.name()));
        if (!text) return {};
        const std::vector<Token> tokens = tokenize(*text);
        const Value v{tokens.front()};
        QString why;
        const auto value = convert(mo, p, v, &why);
        if (!value || tokens.size() != 2)
            throw LayoutError(0, QStringLiteral("bad stored default '%1' for '%2' of %3")
                                     .arg(*text, p.name(), className(mo)));
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
            const bool keep = isAlwaysStored(mo, name) || fromParent == false;
            const int di = defaults ? defaults->metaObject()->indexOfProperty(p.name()) : -1;
            const QVariant value = p.read(object);
            const QVariant fresh =
                di >= 0 ? defaults->metaObject()->property(di).read(defaults) : QVariant();

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
                                keep || !storesChangedOnly(value.metaType().metaObject())
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

    static QString format(const QMetaProperty& p, const QVariant& v, int depth,
                          const QString& path) {
        if (p.isFlagType()) {
            const int bits = v.toInt();
            const QByteArray keys = p.enumerator().valueToKeys(bits);
            if (bits != 0 && p.enumerator().keysToValue(keys) != bits)
                return QString::number(bits); // bits without names
            return QLatin1Char('[') +
                   QString::fromLatin1(keys).replace(QLatin1Char('|'), QLatin1String(", ")) +
                   QLatin1Char(']');
        }
        if (p.isEnumType()) {
            const qint64 x = v.toLongLong();
            const char* key = p.enumerator().valueToKey(int(x));
            return key ? QString::fromLatin1(key) : QString::number(x);
        }
        const int id = v.metaType().id();
        if (isIntegerType(id)) {
            if (isColor(p)) return colorText(TColor(v.toLongLong()));
            return isUnsignedType(id) ? QString::number(v.toULongLong())
                                      : QString::number(v.toLongLong());
        }
        switch (id) {
        case QMetaType::Bool:
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::QString:
            return quote(v.toString(), depth);
        case QMetaType::QChar:
            return quote(QString(v.toChar()), depth);
        case QMetaType::QImage:
            // What the reader would refuse is not written either.
            try {
                return binaryBlock(pictureToBytes(v.value<QImage>()), depth);
            } catch (const std::runtime_error& e) {
                throw LayoutError(0, QStringLiteral("the picture of '%1' cannot be stored: %2")
                                         .arg(path, QString::fromUtf8(e.what())));
            }
        case QMetaType::QStringList: {
            QString out = QStringLiteral("(");
            for (const QString& s : v.toStringList())
                out += QLatin1Char('\n') + indent(depth + 1) + quote(s, depth + 1);
            return out + QLatin1Char(')');
        }
        default:
            throw LayoutError(0, QStringLiteral("'%1' of type %2 cannot be stored")
                                     .arg(path, QLatin1String(v.metaType().name())));
        }
    }

    QObject* m_root;
    Component* m_rootComponent;
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
