#include "Layout.h"

#include "LayoutSyntax.h"
#include "Published.h"

#include <QFile>
#include <QMap>
#include <QPointer>

namespace tk {

using namespace layout;

LayoutError::LayoutError(int line, const QString& text)
    : std::runtime_error(
          (line > 0 ? message("Layout line %1: %2", line, text) : message("Layout: %1", text))
              .toStdString()),
      m_line(line) {}

namespace {

// A form needs a few levels; a limit keeps a hostile file from exhausting the stack of
// the reader and of the widgets' own recursive walks.
constexpr int MaxNesting = 64;
// A form has tens of components. Placing each one looks at its siblings and the names made
// so far, so thousands would take seconds: a limit keeps reading a hostile file quick.
constexpr int MaxComponents = 2048;

// Sorted by name, as registeredLayoutClasses() hands the names out.
QMap<QString, LayoutFactory> g_classes;

class Reader {
public:
    Reader(QObject* root, QObject* handlers)
        : m_root(asComponent(root)), m_handlers(handlers ? handlers : root) {
        if (!m_root) fail(0, "the root is no component");
    }

    void run(const QString& text) {
        m_tokens = tokenize(text);
        try {
            skipNewlines();
            const Header h = readHeader();
            if (h.className != className(m_root->object()))
                fail(h.line, "the layout is for a %1, not for a %2", h.className,
                     className(m_root->object()));
            m_root->setLoading(true);
            if (m_root->name() != h.name) atLine(h.line, [&] { m_root->setName(h.name); });
            readBody(m_root->object(), h);
            skipNewlines();
            if (peek().kind != Token::End)
                fail(peek().line, "unexpected %1 after the last 'end'", describe(peek()));
            resolveReferences();
            // A component may find at the end that it cannot stand as read (pages that
            // are no pages of its kind): that is the layout's error too, at its header.
            atLine(h.line, [&] { m_root->loaded(); });
            for (const Created& c : std::as_const(m_created))
                if (Component* component = asComponent(c.object))
                    atLine(c.line, [&] { component->loaded(); });
        } catch (...) {
            // Last created first: children go before the objects they lie in.
            for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
                delete it->object.data();
            m_root->setLoading(false);
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
    // A `Path = value` line of an object of class `owner`. The path is a name, or names
    // joined by dots that lead through sub-objects (Ticket.Width) and gadgets (Font.Height)
    // to the property to set.
    struct Assignment {
        const Token& v;
        QString path;
        QStringList parts;
        QObject* owner;

        // A message with %1 the path and %2 the owner's class.
        template <class... A> [[noreturn]] void fail(const char* text, const A&... more) const {
            layout::fail(v.line, text, path, className(owner), more...);
        }
        // Whether parts[i], a property `p`, is the one the value is for.
        bool isLast(const QMetaProperty& p, qsizetype i) const {
            return i + 1 == parts.size() || (i + 2 == parts.size() && parts[i + 1] == valuePart(p));
        }
    };

    // A setter, a factory or a handler binder that throws is reported at the line that
    // called it.
    template <class F> static void atLine(int line, F&& f) {
        try {
            f();
        } catch (const LayoutError&) {
            throw;
        } catch (const std::exception& e) {
            fail(line, "%1", e.what());
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
    // `after` says where.
    void expectLineEnd(const QString& after) {
        if (peek().kind == Token::Newline)
            ++m_pos;
        else if (peek().kind != Token::End)
            fail(peek().line, "unexpected %1 %2", describe(peek()), after);
    }
    const Token& expectName(const char* what) {
        const Token& t = take();
        if (!t.isName()) fail(t.line, "expected %1, found %2", what, describe(t));
        return t;
    }

    Header readHeader() {
        const Token& keyword = take();
        if (!keyword.isWord("object"))
            fail(keyword.line, "expected 'object', found %1", describe(keyword));
        Header h;
        h.line = keyword.line;
        h.name = expectName("a component name after 'object'").text;
        if (!take().isSymbol(':')) fail(h.line, "expected ':' after the name '%1'", h.name);
        h.className = expectName("a class name after ':'").text;
        expectLineEnd(QStringLiteral("after the class name"));
        return h;
    }

    void readBody(QObject* object, const Header& h) {
        for (;;) {
            skipNewlines();
            const Token& t = peek();
            if (t.kind == Token::End) fail(t.line, "missing 'end' of object '%1'", h.name);
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
                fail(t.line, "expected a property name, found %1", describe(t));
            const Token& name = take();
            if (!take().isSymbol('=')) fail(name.line, "expected '=' after '%1'", name.text);
            const Token v = readValue(name.text);
            expectLineEnd(message("after the value of '%1'", name.text));
            atLine(name.line, [&] {
                apply(Assignment{v, name.text, name.text.split(QLatin1Char('.')), object});
            });
        }
    }

    void readChild(QObject* parent) {
        const Header h = readHeader();
        if (m_depth == MaxNesting)
            fail(h.line, "'%1' lies deeper than %2 levels", h.name, MaxNesting);
        if (m_created.size() == MaxComponents)
            fail(h.line, "'%1' is one component more than the %2 a layout may hold", h.name,
                 MaxComponents);
        if (findByName(h.name)) fail(h.line, "a component named '%1' exists already", h.name);
        if (!isLayoutClassRegistered(h.className)) fail(h.line, "unknown class '%1'", h.className);
        QObject* object = nullptr;
        atLine(h.line, [&] { object = createLayoutObject(h.className, m_root); });
        if (!object) fail(h.line, "class '%1' made no object", h.className);
        m_created.append({object, h.line});
        Component* c = asComponent(object);
        if (!c) fail(h.line, "class '%1' is no component", h.className);
        const Component* holder = asComponent(parent);
        if (!holder || !holder->canHold(object))
            fail(h.line, "a %1 cannot hold the %2 '%3'", className(parent), h.className, h.name);
        atLine(h.line, [&] {
            c->setLoading(true);
            c->setName(h.name);
            c->setLayoutParent(parent);
        });
        ++m_depth;
        readBody(object, h);
        --m_depth;
    }

    Token readValue(const QString& property) {
        const Token& t = peek();
        Token v = t;
        if (t.kind == Token::Integer || t.kind == Token::Ident || t.kind == Token::Binary) {
            take();
        } else if (t.kind == Token::String) {
            v.text = readString();
        } else if (t.isSymbol('[')) {
            v.kind = Token::Set;
            take();
            for (skipNewlines(); !peek().isSymbol(']'); skipNewlines()) {
                v.items << expectName("a set member").text;
                skipNewlines();
                if (peek().isSymbol(','))
                    take();
                else if (!peek().isSymbol(']'))
                    fail(peek().line, "expected ',' or ']', found %1", describe(peek()));
            }
            take();
        } else if (t.isSymbol('(')) {
            v.kind = Token::List;
            take();
            skipNewlines();
            while (peek().kind == Token::String) {
                v.items << readString();
                skipNewlines();
            }
            if (!take().isSymbol(')')) fail(t.line, "unterminated list of '%1'", property);
        } else {
            fail(t.line, "expected a value for '%1', found %2", property, describe(t));
        }
        return v;
    }

    QString readString() {
        QString s = take().text;
        while (peek().isSymbol('+')) {
            take();
            skipNewlines();
            if (peek().kind != Token::String)
                fail(peek().line, "expected a string after '+', found %1", describe(peek()));
            s += take().text;
        }
        return s;
    }

    // The published property `name` of `mo`; an invalid one when there is none.
    static QMetaProperty published(const QMetaObject* mo, const QString& name) {
        const int index = mo ? mo->indexOfProperty(name.toLatin1().constData()) : -1;
        const QMetaProperty p = index >= 0 ? mo->property(index) : QMetaProperty();
        return index >= 0 && isPublishedProperty(mo, p) ? p : QMetaProperty();
    }

    void apply(const Assignment& a) {
        QObject* target = a.owner;
        qsizetype i = 0;
        QMetaProperty p = published(target->metaObject(), a.parts[0]);
        if (!p.isValid() && a.parts.size() == 1 && isEventName(a.path)) {
            if (!a.v.isName()) fail(a.v.line, "expected a handler name for '%1'", a.path);
            return atLine(a.v.line, [&] { tk::bindEvent(target, a.path, m_handlers, a.v.text); });
        }
        for (; p.isValid() && !a.isLast(p, i) && isObjectPointer(p);
             p = published(target->metaObject(), a.parts[++i])) {
            target = p.read(target).value<QObject*>();
            if (!target)
                fail(a.v.line, "'%1' of %2 is empty", a.parts.mid(0, i + 1).join(QLatin1Char('.')),
                     className(a.owner));
        }
        checkSettable(p, i, a);
        if (isObjectPointer(p)) {
            // The component may lie further down the file: set it once all exist.
            if (!a.v.isName()) a.fail("bad value for '%1' of %2: a component name expected");
            m_references.push_back({target, p, a.v.text, a.path, a.v.line});
            return;
        }
        // Only a gadget the path goes through needs its current value.
        const QVariant current = a.isLast(p, i) ? QVariant() : p.read(target);
        if (!p.write(target, value(target->metaObject(), p, i, a, current)))
            a.fail("%2 did not take the value of '%1'");
    }

    // Property `p`, parts[i] of the path, where the path must end, or go on through a gadget.
    static void checkSettable(const QMetaProperty& p, qsizetype i, const Assignment& a) {
        if (!p.isValid() || (!a.isLast(p, i) && !isGadget(p)))
            a.fail("unknown property '%1' of %2");
        if (!p.isWritable()) a.fail("property '%1' of %2 is read-only");
    }

    // What property `p` of `mo`, parts[i] of the path, is to hold: the value read, or for a
    // gadget the path goes through, its `current` value with the rest of the path set in it.
    static QVariant value(const QMetaObject* mo, const QMetaProperty& p, qsizetype i,
                          const Assignment& a, QVariant current) {
        if (a.isLast(p, i)) {
            QString why;
            const std::optional<QVariant> v = convert(mo, p, a.v, &why);
            if (!v) a.fail("bad value for '%1' of %2: %3", why);
            return *v;
        }
        const QMetaObject* inner = current.metaType().metaObject();
        const QMetaProperty q = published(inner, a.parts[i + 1]);
        checkSettable(q, i + 1, a);
        const QVariant inside = value(inner, q, i + 1, a, q.readOnGadget(current.constData()));
        if (!q.writeOnGadget(current.data(), inside)) a.fail("%2 did not take the value of '%1'");
        return current;
    }

    QObject* findByName(const QString& name) const {
        if (m_root->name().compare(name, Qt::CaseInsensitive) == 0) return m_root->object();
        const Component* c = m_root->findComponent(name);
        return c ? c->object() : nullptr;
    }

    void resolveReferences() {
        for (const Reference& r : m_references) {
            if (!r.target) continue;
            QObject* found = findByName(r.name);
            if (!found) fail(r.line, "unknown component '%1' for '%2'", r.name, r.path);
            const QMetaObject* wanted = r.property.metaType().metaObject();
            if (wanted && !found->metaObject()->inherits(wanted))
                fail(r.line, "'%1' is a %2, which '%3' does not take", r.name, className(found),
                     r.path);
            // QObject comes first in every moc class, so the pointer needs no adjustment.
            const QVariant value(r.property.metaType(), &found);
            atLine(r.line, [&] {
                if (!r.property.write(r.target, value))
                    fail(r.line, "%1 did not take the value of '%2'", className(r.target), r.path);
            });
        }
    }

    Component* m_root;
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
    return g_classes.keys();
}

QObject* createLayoutObject(const QString& className, Component* owner) {
    const auto it = g_classes.constFind(className);
    if (it == g_classes.constEnd()) fail(0, "unknown class '%1'", className);
    return (*it)(owner);
}

void readLayout(QObject* root, const QString& text, QObject* handlers) {
    Reader(root, handlers).run(text);
}

void readLayoutFile(QObject* root, const QString& path, QObject* handlers) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) fail(0, "cannot open '%1': %2", path, file.errorString());
    readLayout(root, QString::fromUtf8(file.readAll()), handlers);
}

} // namespace tk
