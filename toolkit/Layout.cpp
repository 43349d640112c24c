#include "Layout.h"

#include "LayoutSyntax.h"
#include "Published.h"

#include <QFile>
#include <QHash>
#include <QPointer>

namespace tk {

using namespace layout;

LayoutError::LayoutError(int line, const QString& message)
    : std::runtime_error(
          (line > 0 ? QStringLiteral("Layout line %1: %2").arg(QString::number(line), message)
                    : QStringLiteral("Layout: %1").arg(message))
              .toStdString()),
      m_line(line) {}

namespace {

// A form needs a few levels; a limit keeps a hostile file from exhausting the stack of
// the reader and of the widgets' own recursive walks.
constexpr int MaxNesting = 64;
// A form has tens of components. Placing each one looks at its siblings and the names made
// so far, so thousands would take seconds: a limit keeps reading a hostile file quick.
constexpr int MaxComponents = 2048;

QHash<QString, LayoutFactory> g_classes;

class Reader {
public:
    Reader(QObject* root, QObject* handlers)
        : m_root(root), m_rootComponent(asComponent(root)), m_handlers(handlers ? handlers : root) {
        if (!m_rootComponent) throw LayoutError(0, QStringLiteral("the root is no component"));
    }

    void run(const QString& text) {
        m_tokens = tokenize(text);
        try {
            skipNewlines();
            const Header h = readHeader();
            if (h.className != className(m_root))
                fail(h.line, QStringLiteral("the layout is for a %1, not for a %2")
                                 .arg(h.className, className(m_root)));
            m_rootComponent->setLoading(true);
            if (m_rootComponent->name() != h.name)
                atLine(h.line, [&] { m_rootComponent->setName(h.name); });
            readBody(m_root, h);
            skipNewlines();
            if (peek().kind != Token::End)
                fail(peek().line,
                     QStringLiteral("unexpected %1 after the last 'end'").arg(describe(peek())));
            resolveReferences();
            // A component may find at the end that it cannot stand as read (pages that
            // are no pages of its kind): that is the layout's error too, at its header.
            atLine(h.line, [&] { m_rootComponent->loaded(); });
            for (const Created& c : std::as_const(m_created))
                if (Component* component = asComponent(c.object))
                    atLine(c.line, [&] { component->loaded(); });
        } catch (...) {
            // Last created first: children go before the objects they lie in.
            for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
                delete it->object.data();
            m_rootComponent->setLoading(false);
            throw;
        }
    }

private:
    struct Header {
        QString name;
        QString className;
        int line = 0;
    };
    struct Created {
        QPointer<QObject> object;
        int line = 0;
    };
    struct Reference {
        QPointer<QObject> target;
        QMetaProperty property;
        QString name;
        QString path;
        int line = 0;
    };

    [[noreturn]] static void fail(int line, const QString& message) {
        throw LayoutError(line, message);
    }

    // A setter, a factory or a handler binder that throws is reported at the line that
    // called it.
    template <class F> static void atLine(int line, F&& f) {
        try {
            f();
        } catch (const LayoutError&) {
            throw;
        } catch (const std::exception& e) {
            fail(line, QString::fromUtf8(e.what()));
        }
    }

    const Token& peek() const { return m_tokens[m_pos]; }
    const Token& take() {
        const Token& t = m_tokens[m_pos];
        if (t.kind != Token::End) ++m_pos;
        return t;
    }
    void skipNewlines() {
        while (peek().kind == Token::Newline)
            ++m_pos;
    }
    void expectLineEnd(const QString& after) {
        if (peek().kind == Token::Newline)
            ++m_pos;
        else if (peek().kind != Token::End)
            fail(peek().line, QStringLiteral("unexpected %1 %2").arg(describe(peek()), after));
    }
    const Token& expectName(const QString& what) {
        const Token& t = take();
        if (t.kind != Token::Ident || t.text.contains(QLatin1Char('.')))
            fail(t.line, QStringLiteral("expected %1, found %2").arg(what, describe(t)));
        return t;
    }

    Header readHeader() {
        const Token& keyword = take();
        if (!keyword.isWord("object"))
            fail(keyword.line,
                 QStringLiteral("expected 'object', found %1").arg(describe(keyword)));
        Header h;
        h.line = keyword.line;
        h.name = expectName(QStringLiteral("a component name after 'object'")).text;
        if (!take().isSymbol(':'))
            fail(h.line, QStringLiteral("expected ':' after the name '%1'").arg(h.name));
        h.className = expectName(QStringLiteral("a class name after ':'")).text;
        expectLineEnd(QStringLiteral("after the class name"));
        return h;
    }

    void readBody(QObject* object, const Header& h) {
        for (;;) {
            skipNewlines();
            const Token& t = peek();
            if (t.kind == Token::End)
                fail(t.line, QStringLiteral("missing 'end' of object '%1'").arg(h.name));
            if (t.isWord("end")) {
                take();
                expectLineEnd(QStringLiteral("after 'end'"));
                return;
            }
            if (t.isWord("object")) {
                readChild(object);
                continue;
            }
            if (t.kind != Token::Ident)
                fail(t.line, QStringLiteral("expected a property name, found %1").arg(describe(t)));
            const Token& name = take();
            if (!peek().isSymbol('='))
                fail(name.line, QStringLiteral("expected '=' after '%1'").arg(name.text));
            take();
            const Value v = readValue(name.text);
            expectLineEnd(QStringLiteral("after the value of '%1'").arg(name.text));
            atLine(name.line, [&] { apply(object, name.text, v); });
        }
    }

    void readChild(QObject* parent) {
        const Header h = readHeader();
        if (m_depth == MaxNesting)
            fail(h.line,
                 QStringLiteral("'%1' lies deeper than %2 levels").arg(h.name).arg(MaxNesting));
        if (m_created.size() == MaxComponents)
            fail(h.line, QStringLiteral("'%1' is one component more than the %2 a layout may hold")
                             .arg(h.name)
                             .arg(MaxComponents));
        if (findByName(h.name))
            fail(h.line, QStringLiteral("a component named '%1' exists already").arg(h.name));
        if (!isLayoutClassRegistered(h.className))
            fail(h.line, QStringLiteral("unknown class '%1'").arg(h.className));
        QObject* object = nullptr;
        atLine(h.line, [&] { object = createLayoutObject(h.className, m_rootComponent); });
        if (!object) fail(h.line, QStringLiteral("class '%1' made no object").arg(h.className));
        m_created.append({object, h.line});
        Component* c = asComponent(object);
        if (!c) fail(h.line, QStringLiteral("class '%1' is no component").arg(h.className));
        const Component* holder = asComponent(parent);
        if (!holder || !holder->canHold(object))
            fail(h.line, QStringLiteral("a %1 cannot hold the %2 '%3'")
                             .arg(className(parent), h.className, h.name));
        atLine(h.line, [&] {
            c->setLoading(true);
            c->setName(h.name);
            c->setLayoutParent(parent);
        });
        ++m_depth;
        readBody(object, h);
        --m_depth;
    }

    Value readValue(const QString& property) {
        const Token& t = peek();
        Value v{t};
        if (t.kind == Token::Integer || t.kind == Token::Ident || t.kind == Token::Binary) {
            take();
        } else if (t.kind == Token::String) {
            v.text = readString();
        } else if (t.isSymbol('[')) {
            v.kind = Value::Set;
            take();
            skipNewlines();
            while (!peek().isSymbol(']')) {
                v.items << expectName(QStringLiteral("a set member")).text;
                skipNewlines();
                if (peek().isSymbol(',')) {
                    take();
                    skipNewlines();
                } else if (!peek().isSymbol(']')) {
                    fail(peek().line,
                         QStringLiteral("expected ',' or ']', found %1").arg(describe(peek())));
                }
            }
            take();
        } else if (t.isSymbol('(')) {
            v.kind = Value::List;
            take();
            skipNewlines();
            while (peek().kind == Token::String) {
                v.items << readString();
                skipNewlines();
            }
            if (!take().isSymbol(')'))
                fail(t.line, QStringLiteral("unterminated list of '%1'").arg(property));
        } else {
            fail(t.line,
                 QStringLiteral("expected a value for '%1', found %2").arg(property, describe(t)));
        }
        return v;
    }

    QString readString() {
        QString s = take().text;
        while (peek().isSymbol('+')) {
            take();
            skipNewlines();
            if (peek().kind != Token::String)
                fail(peek().line,
                     QStringLiteral("expected a string after '+', found %1").arg(describe(peek())));
            s += take().text;
        }
        return s;
    }

    // `path` is the property as written: a name, or names joined by dots that lead through
    // sub-objects (Ticket.Width) and gadgets (Font.Height) to the property to set.
    void apply(QObject* object, const QString& path, const Value& v) {
        const QStringList parts = path.split(QLatin1Char('.'));
        const QString owner = className(object);
        const auto unknown = [&] {
            fail(v.line, QStringLiteral("unknown property '%1' of %2").arg(path, owner));
        };
        QObject* target = object;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QMetaObject* mo = target->metaObject();
            const int index = mo->indexOfProperty(parts[i].toLatin1().constData());
            const QMetaProperty p = index >= 0 ? mo->property(index) : QMetaProperty();
            if (index < 0 || !isPublishedProperty(mo, p)) {
                if (parts.size() == 1 && isEventName(path)) return bindEvent(target, path, v);
                unknown();
            }
            if (i == parts.size() - 1) return write(target, p, v, path, owner);
            if (isObjectPointer(p)) {
                target = p.read(target).value<QObject*>();
                if (!target)
                    fail(v.line, QStringLiteral("'%1' of %2 is empty")
                                     .arg(parts.mid(0, i + 1).join(QLatin1Char('.')), owner));
            } else if (isGadget(p)) {
                if (!p.isWritable()) readOnly(v.line, path, owner);
                QVariant gadget = p.read(target);
                writeInGadget(gadget, parts.mid(i + 1), v, path, owner);
                if (!p.write(target, gadget)) rejected(v.line, path, owner);
                return;
            } else if (i + 2 == parts.size() && parts[i + 1] == valuePart(p)) {
                return write(target, p, v, path, owner);
            } else {
                unknown();
            }
        }
    }

    void writeInGadget(QVariant& gadget, const QStringList& parts, const Value& v,
                       const QString& path, const QString& owner) {
        const QMetaObject* mo = gadget.metaType().metaObject();
        const int index = mo ? mo->indexOfProperty(parts.front().toLatin1().constData()) : -1;
        const QMetaProperty p = index >= 0 ? mo->property(index) : QMetaProperty();
        if (index < 0 || !isPublishedProperty(mo, p) || (parts.size() > 1 && !isGadget(p)))
            fail(v.line, QStringLiteral("unknown property '%1' of %2").arg(path, owner));
        if (parts.size() > 1) {
            QVariant inner = p.readOnGadget(gadget.constData());
            writeInGadget(inner, parts.mid(1), v, path, owner);
            if (!p.writeOnGadget(gadget.data(), inner)) rejected(v.line, path, owner);
            return;
        }
        if (!p.isWritable()) readOnly(v.line, path, owner);
        if (!p.writeOnGadget(gadget.data(), converted(mo, p, v, path, owner)))
            rejected(v.line, path, owner);
    }

    void write(QObject* target, const QMetaProperty& p, const Value& v, const QString& path,
               const QString& owner) {
        if (!p.isWritable()) readOnly(v.line, path, owner);
        if (isObjectPointer(p)) {
            // The component may lie further down the file: set it once all exist.
            if (v.kind != Value::Ident || v.text.contains(QLatin1Char('.')))
                fail(v.line, QStringLiteral("bad value for '%1' of %2: a component name expected")
                                 .arg(path, owner));
            m_references.push_back({target, p, v.text, path, v.line});
            return;
        }
        if (!p.write(target, converted(target->metaObject(), p, v, path, owner)))
            rejected(v.line, path, owner);
    }

    static QVariant converted(const QMetaObject* mo, const QMetaProperty& p, const Value& v,
                              const QString& path, const QString& owner) {
        QString why;
        std::optional<QVariant> value = convert(mo, p, v, &why);
        if (!value)
            fail(v.line, QStringLiteral("bad value for '%1' of %2: %3").arg(path, owner, why));
        return *value;
    }
    [[noreturn]] static void readOnly(int line, const QString& path, const QString& owner) {
        fail(line, QStringLiteral("property '%1' of %2 is read-only").arg(path, owner));
    }
    [[noreturn]] static void rejected(int line, const QString& path, const QString& owner) {
        fail(line, QStringLiteral("%1 did not take the value of '%2'").arg(owner, path));
    }

    void bindEvent(QObject* target, const QString& event, const Value& v) {
        if (v.kind != Value::Ident || v.text.contains(QLatin1Char('.')))
            fail(v.line, QStringLiteral("expected a handler name for '%1'").arg(event));
        atLine(v.line, [&] { tk::bindEvent(target, event, m_handlers, v.text); });
    }

    QObject* findByName(const QString& name) const {
        if (m_rootComponent->name().compare(name, Qt::CaseInsensitive) == 0) return m_root;
        const Component* c = m_rootComponent->findComponent(name);
        return c ? c->object() : nullptr;
    }

    void resolveReferences() {
        for (const Reference& r : m_references) {
            if (!r.target) continue;
            QObject* found = findByName(r.name);
            if (!found)
                fail(r.line, QStringLiteral("unknown component '%1' for '%2'").arg(r.name, r.path));
            const QMetaObject* wanted = r.property.metaType().metaObject();
            if (wanted && !found->metaObject()->inherits(wanted))
                fail(r.line, QStringLiteral("'%1' is a %2, which '%3' does not take")
                                 .arg(r.name, className(found), r.path));
            // QObject comes first in every moc class, so the pointer needs no adjustment.
            const QVariant value(r.property.metaType(), &found);
            atLine(r.line, [&] {
                if (!r.property.write(r.target, value))
                    rejected(r.line, r.path, className(r.target));
            });
        }
    }

    QObject* m_root;
    Component* m_rootComponent;
    QObject* m_handlers;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    QList<Created> m_created;
    int m_depth = 0;
    std::vector<Reference> m_references;
};

} // namespace

void registerLayoutClass(const QString& className, LayoutFactory factory) {
    g_classes.insert(className, std::move(factory));
}

bool isLayoutClassRegistered(const QString& className) {
    return g_classes.contains(className);
}

QStringList registeredLayoutClasses() {
    QStringList names = g_classes.keys();
    names.sort();
    return names;
}

QObject* createLayoutObject(const QString& className, Component* owner) {
    const auto it = g_classes.constFind(className);
    if (it == g_classes.constEnd())
        throw LayoutError(0, QStringLiteral("unknown class '%1'").arg(className));
    return (*it)(owner);
}

void readLayout(QObject* root, const QString& text, QObject* handlers) {
    Reader(root, handlers).run(text);
}

void readLayoutFile(QObject* root, const QString& path, QObject* handlers) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw LayoutError(0, QStringLiteral("cannot open '%1': %2").arg(path, file.errorString()));
    readLayout(root, QString::fromUtf8(file.readAll()), handlers);
}

} // namespace tk
