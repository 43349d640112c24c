#include "Classes.h"
#include "Colors.h"
#include "Component.h"
#include "Font.h"
#include "Form.h"
#include "Label.h"
#include "Layout.h"
#include "Published.h"
#include "TestEnvironment.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImage>
#include <QMetaProperty>
#include <QWidget>
#include <QtEndian>
#include <climits>
#include <stdexcept>

using tk::TColor;

namespace {
int g_liveControls = 0;
int g_madeControls = 0;
QStringList g_loaded;
} // namespace

// What a control's ticket is to the layouts: a sub-component stored as Ticket.Width.
class TTestTicket : public QObject, public tk::Component {
    Q_OBJECT
    Q_PROPERTY(int Left READ left)
    Q_PROPERTY(int Width READ width WRITE setWidth)
    Q_PROPERTY(int Height READ height WRITE setHeight)
public:
    explicit TTestTicket(tk::Component* owner) : tk::Component(this, owner) {
        setName(QStringLiteral("Ticket"));
        setSubComponent(true);
    }
    int left() const { return 0; }
    int width() const { return m_width; }
    void setWidth(int w) { m_width = w; }
    int height() const { return m_height; }
    void setHeight(int h) { m_height = h; }

private:
    int m_width = 10;
    int m_height = 13;
};

// A control with one property of every kind the layouts know. Its ColorFlat/ParentColor
// pair behaves like the flat edit's: the order in which they are set decides the result.
class TTestControl : public QWidget, public tk::Component {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnClick")
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_CLASSINFO("StoredDefault:ParentColor", "False")
    Q_PROPERTY(int Count READ count WRITE setCount)
    Q_PROPERTY(int Handle READ handle)
    Q_PROPERTY(bool Active READ active WRITE setActive)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(TColor Color READ color WRITE setColor)
    Q_PROPERTY(TColor ColorFlat READ colorFlat WRITE setColorFlat)
    Q_PROPERTY(bool ParentColor READ parentColor WRITE setParentColor)
    Q_PROPERTY(TMode Mode READ mode WRITE setMode)
    Q_PROPERTY(TOptions Options READ options WRITE setOptions)
    Q_PROPERTY(tk::Font Font READ font WRITE setFont)
    Q_PROPERTY(bool ParentFont READ parentFont WRITE setParentFont)
    Q_PROPERTY(QObject* Ticket READ ticket)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(QWidget* Buddy READ buddy WRITE setBuddy)
    Q_PROPERTY(QImage Picture READ picture WRITE setPicture)
    Q_PROPERTY(QString Version READ version WRITE setVersion)
public:
    enum TMode { mdNone = -1, mdFirst, mdSecond };
    Q_ENUM(TMode)
    enum TOption { opBold = 1, opWide = 2, opTall = 4 };
    Q_DECLARE_FLAGS(TOptions, TOption)
    Q_FLAG(TOptions)

    explicit TTestControl(tk::Component* owner) : tk::Component(this, owner) {
        ++g_liveControls;
        ++g_madeControls;
        m_ticket = new TTestTicket(this);
    }
    ~TTestControl() override { --g_liveControls; }

    int count() const { return m_count; }
    void setCount(int c) {
        if (c < -1000) throw std::invalid_argument("Count must not be below -1000");
        note();
        m_count = c;
    }
    int handle() const { return 42; }
    bool active() const { return m_active; }
    void setActive(bool a) { store(m_active, a); }
    QString caption() const { return m_caption; }
    void setCaption(const QString& c) { store(m_caption, c); }
    TColor color() const { return m_color; }
    void setColor(TColor c) { store(m_color, c); }
    TColor colorFlat() const { return m_colorFlat; }
    void setColorFlat(TColor c) {
        note();
        m_colorFlat = c;
        m_parentColor = false;
    }
    bool parentColor() const { return m_parentColor; }
    void setParentColor(bool on) {
        note();
        if (on == m_parentColor) return;
        m_parentColor = on;
        if (on && parent()) m_colorFlat = parent()->property("Color").toInt();
    }
    TMode mode() const { return m_mode; }
    void setMode(TMode m) { store(m_mode, m); }
    TOptions options() const { return m_options; }
    void setOptions(TOptions o) { store(m_options, o); }
    tk::Font font() const { return m_font; }
    void setFont(const tk::Font& f) {
        note();
        m_font = f;
        m_parentFont = false;
    }
    bool parentFont() const { return m_parentFont; }
    void setParentFont(bool on) { store(m_parentFont, on); }
    QObject* ticket() const { return m_ticket; }
    QStringList items() const { return m_items; }
    void setItems(const QStringList& i) { store(m_items, i); }
    QWidget* buddy() const { return m_buddy; }
    void setBuddy(QWidget* b) { store(m_buddy, b); }
    QImage picture() const { return m_picture; }
    void setPicture(const QImage& p) { store(m_picture, p); }
    QString version() const { return QStringLiteral("1.0"); }
    void setVersion(const QString&) {}

    void setLayoutParent(QObject* p) override { setParent(qobject_cast<QWidget*>(p)); }
    void loaded() override {
        if (m_caption == QLatin1String("refuse when loaded"))
            throw std::logic_error("'" + name().toStdString() + "' cannot stand as read");
        tk::Component::loaded();
        g_loaded << name();
        captionWhenLoaded = m_caption;
    }

    bool setWithoutParent = false;
    bool setOutsideLoading = false;
    QString captionWhenLoaded;

signals:
    void OnClick();

private:
    void note() {
        setWithoutParent |= !parent();
        setOutsideLoading |= !isLoading();
    }
    // A plain setter: notes the call, stores the value.
    template <typename T> void store(T& field, const T& value) {
        note();
        field = value;
    }

    int m_count = 0;
    bool m_active = false;
    QString m_caption;
    TColor m_color = tk::clWindow;
    TColor m_colorFlat = 0x00E1EAEB;
    bool m_parentColor = true;
    TMode m_mode = mdFirst;
    TOptions m_options;
    tk::Font m_font;
    bool m_parentFont = true;
    TTestTicket* m_ticket = nullptr;
    QStringList m_items;
    QWidget* m_buddy = nullptr;
    QImage m_picture;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TTestControl::TOptions)

// A form reads its own layout, so it is not registered; its defaults are its base class's.
class TTestForm : public TTestControl {
    Q_OBJECT
public:
    TTestForm() : TTestControl(nullptr) { setName(QStringLiteral("Form1")); }
    QList<QObject*> clicked;

public slots:
    void Panel1Click() { clicked << sender(); }
};

namespace {

// Published values by path (Ticket.Width); components by name, so that two trees compare.
QVariantMap snapshot(QObject* o, const QString& prefix = {}) {
    QVariantMap out;
    const QMetaObject* mo = o->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (!QChar::fromLatin1(p.name()[0]).isUpper()) continue;
        const QString path = prefix + QLatin1String(p.name());
        const QVariant v = p.read(o);
        if (QObject* sub = v.value<QObject*>(); sub && !p.isWritable())
            out.insert(snapshot(sub, path + QLatin1Char('.')));
        else if (v.metaType().flags().testFlag(QMetaType::PointerToQObject))
            out.insert(path, sub ? sub->objectName() : QString());
        else
            out.insert(path, v);
    }
    return out;
}

// A picture with a different colour in every pixel, so that any lost byte shows.
QImage testPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 6, y * 80, (x + y) * 3));
    return image;
}

QString hexBlock(const QByteArray& bytes) {
    return QLatin1Char('{') + QString::fromLatin1(bytes.toHex()) + QLatin1Char('}');
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return out;
}

// A BMP header that claims a size its 1-pixel body does not have.
QByteArray bmpClaiming(qint32 width, qint32 height) {
    QByteArray bytes = encoded(testPicture(1, 1), "BMP");
    qToLittleEndian(width, bytes.data() + 18);
    qToLittleEndian(height, bytes.data() + 22);
    return bytes;
}

QString frame(const QString& body) {
    return QStringLiteral("object Form1: TTestForm\n") + body + QStringLiteral("end\n");
}

// The components a layout made, leaving out sub-components such as the form's own ticket.
QStringList laidOut(const TTestForm& form) {
    QStringList names;
    for (const tk::Component* c : form.components())
        if (!c->isSubComponent()) names << c->name();
    return names;
}

TTestControl* child(TTestForm& form, const char* name) {
    auto* c = dynamic_cast<TTestControl*>(form.findComponent(QLatin1String(name)));
    if (!c) throw std::logic_error(std::string("no component ") + name);
    return c;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        tk::registerToolkitClasses();
        tk::registerLayoutClass<TTestControl>();
    }

    void writesDifferencesAndAlwaysStored() {
        TTestForm form;
        auto* panel = new TTestControl(&form);
        panel->setName(QStringLiteral("Panel1"));
        panel->setLayoutParent(&form);
        panel->setCount(3);
        panel->setColorFlat(tk::clOlive); // ParentColor goes False, unlike a fresh one's
        auto* edit = new TTestControl(&form);
        edit->setName(QStringLiteral("Edit1"));
        edit->setLayoutParent(panel);
        qobject_cast<TTestTicket*>(edit->ticket())->setWidth(4);

        QCOMPARE(tk::writeLayout(&form), QStringLiteral("object Form1: TTestForm\n"
                                                        "  ParentColor = True\n"
                                                        "  Version = '1.0'\n"
                                                        "  object Panel1: TTestControl\n"
                                                        "    Count = 3\n"
                                                        "    Color = clWindow\n"
                                                        "    ColorFlat = clOlive\n"
                                                        "    ParentColor = False\n"
                                                        "    Version = '1.0'\n"
                                                        "    object Edit1: TTestControl\n"
                                                        "      ParentColor = True\n"
                                                        "      Ticket.Width = 4\n"
                                                        "      Version = '1.0'\n"
                                                        "    end\n"
                                                        "  end\n"
                                                        "end\n"));
    }

    void roundTripGivesSameObjectsAndText() {
        TTestForm form;
        form.setColor(tk::clSilver);
        form.setParentColor(false);
        auto* panel = new TTestControl(&form);
        panel->setName(QStringLiteral("Panel1"));
        panel->setLayoutParent(&form);
        panel->setCount(-5);
        panel->setActive(true);
        panel->setCaption(QStringLiteral("It's 'quoted'\r\n第二行 ") +
                          QString(100, QLatin1Char('x')));
        panel->setColor(0x00123456);
        panel->setColorFlat(tk::clBtnFace);
        panel->setMode(TTestControl::mdNone);
        panel->setOptions(TTestControl::opBold | TTestControl::opTall);
        panel->setFont(tk::Font(QStringLiteral("Tahoma"), 14, tk::fsItalic, tk::clRed));
        panel->setItems({QStringLiteral("a"), QStringLiteral("b'c"), QString()});
        auto* inner = new TTestControl(&form);
        inner->setName(QStringLiteral("Inner1"));
        inner->setLayoutParent(panel);
        qobject_cast<TTestTicket*>(inner->ticket())->setHeight(17);
        auto* second = new TTestControl(&form);
        second->setName(QStringLiteral("Second"));
        second->setLayoutParent(&form);
        panel->setBuddy(second); // refers forward: Second is read after Panel1
        panel->setPicture(testPicture(40, 3));

        tk::bindEvent(panel, QStringLiteral("OnClick"), &form, QStringLiteral("Panel1Click"));
        const QString text = tk::writeLayout(&form);

        TTestForm copy;
        tk::readLayout(&copy, text);

        QCOMPARE(laidOut(copy), QStringList({"Panel1", "Inner1", "Second"}));
        QCOMPARE(child(copy, "Inner1")->parent(), child(copy, "Panel1"));
        QCOMPARE(child(copy, "Second")->parent(), &copy);
        QCOMPARE(snapshot(&copy), snapshot(&form));
        for (const char* name : {"Panel1", "Inner1", "Second"})
            QCOMPARE(snapshot(child(copy, name)), snapshot(child(form, name)));
        // The binding was read back: the copy's panel alone clicks into the copy's handler.
        for (const char* name : {"Panel1", "Inner1", "Second"})
            emit child(copy, name)->OnClick();
        QCOMPARE(copy.clicked, QList<QObject*>({child(copy, "Panel1")}));
        QVERIFY(form.clicked.isEmpty());
        QCOMPARE(tk::writeLayout(&copy), text);
    }

    void picturesAreHexBlocksOfPngAndReadFromBmp() {
        TTestForm form;
        auto* panel = new TTestControl(&form);
        panel->setName(QStringLiteral("Panel1"));
        panel->setLayoutParent(&form);
        const QImage picture = testPicture(16, 16);
        panel->setPicture(picture);
        const QString text = tk::writeLayout(&form);
        const QStringList lines = text.split(QLatin1Char('\n'));
        const qsizetype first = lines.indexOf(QStringLiteral("    Picture.Data = {"));
        QVERIFY2(first > 0, qPrintable(text));
        const QByteArray png = encoded(picture, "PNG");
        QString digits;
        for (qsizetype i = first + 1; !digits.endsWith(QLatin1Char('}')); ++i) {
            QVERIFY(lines[i].startsWith(QLatin1String("      ")));
            QVERIFY(lines[i].size() <= 6 + 64 + 1);
            digits += lines[i].mid(6);
        }
        QCOMPARE(digits, QString::fromLatin1(png.toHex().toUpper()) + QLatin1Char('}'));

        // A BMP file reads too, and comes back written as PNG.
        TTestForm fromBmp;
        tk::readLayout(&fromBmp, frame("  object Panel1: TTestControl\n    Picture.Data = " +
                                       hexBlock(encoded(picture, "BMP")) + "\n  end\n"));
        QCOMPARE(child(fromBmp, "Panel1")->picture().convertToFormat(QImage::Format_RGB32),
                 picture);
        QCOMPARE(tk::writeLayout(&fromBmp), text);

        // An empty block is the empty picture.
        TTestForm empty;
        tk::readLayout(&empty, frame("  object Panel1: TTestControl\n    Picture.Data = {\n"
                                     "      }\n  end\n"));
        QVERIFY(child(empty, "Panel1")->picture().isNull());
    }

    // Text and colour profiles are compressed in a PNG file: a few kilobytes of them inflate
    // to megabytes, so they are dropped unread; the pixels stay as they were.
    void pictureMetadataIsDroppedBeforeDecoding() {
        QImage tagged = testPicture(16, 16);
        tagged.setText(QStringLiteral("Short"), QStringLiteral("tEXt"));
        tagged.setText(QStringLiteral("Long"), QString(2000, QLatin1Char('z'))); // zTXt
        tagged.setText(QStringLiteral("Wide"), QStringLiteral("仓颉"));          // iTXt
        tagged.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));                // iCCP
        TTestForm form;
        tk::readLayout(&form, frame("  object Panel1: TTestControl\n    Picture.Data = " +
                                    hexBlock(encoded(tagged, "PNG")) + "\n  end\n"));
        const QImage read = child(form, "Panel1")->picture();
        QCOMPARE(read.textKeys(), QStringList());
        QVERIFY(!read.colorSpace().isValid());
        QCOMPARE(read.convertToFormat(QImage::Format_RGB32), testPicture(16, 16));
    }

    void reportsMissingFile() {
        TTestForm form;
        QVERIFY_THROWS_EXCEPTION(tk::LayoutError,
                                 tk::readLayoutFile(&form, QStringLiteral(":/no/such.layout")));
    }

    void appliesPropertiesInFileOrder_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("parentColor");
        QTest::addColumn<TColor>("colorFlat");
        QTest::newRow("colorflat-then-parentcolor") << "ColorFlat = clRed\nParentColor = True\n"
                                                    << true << tk::clSilver;
        QTest::newRow("parentcolor-then-colorflat") << "ParentColor = True\nColorFlat = clRed\n"
                                                    << false << tk::clRed;
    }
    void appliesPropertiesInFileOrder() {
        QFETCH(QString, body);
        TTestForm form;
        tk::readLayout(&form, frame("  Color = clSilver\n  object Edit1: TTestControl\n"
                                    "    ParentColor = False\n" +
                                    body + "  end\n"));
        QTEST(child(form, "Edit1")->parentColor(), "parentColor");
        QTEST(child(form, "Edit1")->colorFlat(), "colorFlat");
    }

    void setsParentAndLoadingBeforePropertiesAndLoadsLast() {
        g_loaded.clear();
        TTestForm form;
        tk::readLayout(&form, frame("  object Panel1: TTestControl\n"
                                    "    Caption = 'first'\n"
                                    "    object Inner1: TTestControl\n"
                                    "      Count = 1\n"
                                    "    end\n"
                                    "    Caption = 'last'\n"
                                    "  end\n"
                                    "  object Second: TTestControl\n"
                                    "    Active = True\n"
                                    "  end\n"));
        QCOMPARE(g_loaded, QStringList({"Form1", "Panel1", "Inner1", "Second"}));
        for (const char* name : {"Panel1", "Inner1", "Second"}) {
            const TTestControl* c = child(form, name);
            QVERIFY2(!c->setWithoutParent, name);
            QVERIFY2(!c->setOutsideLoading, name);
            QVERIFY2(!c->isLoading(), name);
        }
        QCOMPARE(child(form, "Panel1")->captionWhenLoaded, QStringLiteral("last"));
        QVERIFY(!form.isLoading());
    }

    void readsStrings_data() {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<QString>("expected");
        QTest::newRow("doubled-quote") << "'It''s'"
                                       << "It's";
        QTest::newRow("crlf-codes") << "'a'#13#10'b'"
                                    << "a\r\nb";
        QTest::newRow("hex-code") << "#$41'b'#66"
                                  << "AbB";
        QTest::newRow("chinese") << "'仓五 查询'"
                                 << "仓五 查询";
        QTest::newRow("astral-code") << "#131072" << QString::fromUtf8("\xF0\xA0\x80\x80");
        QTest::newRow("zero-width-no-break-code") << "'a'#$FEFF'b'" << QStringLiteral("a\uFEFFb");
        QTest::newRow("plus-continuation") << "'first ' +\n    'second'"
                                           << "first second";
        QTest::newRow("comment-after-plus") << "'a' + // more\n\n  'b'"
                                            << "ab";
        QTest::newRow("empty") << "''"
                               << "";
        QTest::newRow("comment-marks-in-string") << "'http://x'"
                                                 << "http://x";
    }
    void readsStrings() {
        QFETCH(QString, literal);
        TTestForm form;
        tk::readLayout(&form, frame("  Caption = " + literal + "\n"));
        QTEST(form.caption(), "expected");
    }

    void writesMultiLineTextLineByLine() {
        TTestForm form;
        form.setCaption(QStringLiteral("  注意\r\n\r\n'x'"));
        const QString text = tk::writeLayout(&form);
        QVERIFY2(text.contains("  Caption = '  注意'#13#10 +\n    #13#10 +\n    '''x'''\n"),
                 qPrintable(text));
    }

    void readsAndWritesColors_data() {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<TColor>("value");
        QTest::addColumn<QString>("written");
        QTest::newRow("system-name") << "clBtnFace" << tk::clBtnFace << "clBtnFace";
        QTest::newRow("plain-name") << "clOlive" << tk::clOlive << "clOlive";
        QTest::newRow("hex-named") << "$00C0C0C0" << tk::clSilver << "clSilver";
        QTest::newRow("hex-unnamed") << "$00123456" << TColor(0x123456) << "$00123456";
        QTest::newRow("hex-system-pattern") << "$FF00000F" << tk::clBtnFace << "clBtnFace";
        QTest::newRow("negative-decimal") << "-16777201" << tk::clBtnFace << "clBtnFace";
        QTest::newRow("decimal") << "255" << tk::clRed << "clRed";
    }
    void readsAndWritesColors() {
        QFETCH(QString, literal);
        QFETCH(QString, written);
        TTestForm form;
        tk::readLayout(&form, frame("  Color = " + literal + "\n  ParentColor = False\n"));
        QTEST(form.color(), "value");
        QVERIFY2(tk::writeLayout(&form).contains("\n  Color = " + written + "\n"),
                 qPrintable(tk::writeLayout(&form)));
    }

    void reportsMalformedLayouts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const auto in = [](const QString& line) {
            return frame("  object Panel1: TTestControl\n    " + line + "\n  end\n");
        };
        QTest::newRow("unknown-property")
            << in("Colour = clRed") << "Layout line 3: unknown property 'Colour' of TTestControl";
        QTest::newRow("qt-property-is-not-published")
            << in("objectName = 'x'")
            << "Layout line 3: unknown property 'objectName' of TTestControl";
        QTest::newRow("unknown-sub-property")
            << in("Ticket.Depth = 1")
            << "Layout line 3: unknown property 'Ticket.Depth' of TTestControl";
        QTest::newRow("unknown-gadget-property")
            << in("Font.Size = 1") << "Layout line 3: unknown property 'Font.Size' of TTestControl";
        QTest::newRow("binary-data-odd-digit-count")
            << in("Picture.Data = {\n      89504\n      }")
            << "Layout line 3: binary data with an odd number of digits";
        QTest::newRow("binary-data-not-hex") << in("Picture.Data = {\n      8950\n      4G}")
                                             << "Layout line 5: bad character 'G' in binary data";
        QTest::newRow("binary-data-unterminated")
            << "object Form1: TTestForm\n  object Panel1: TTestControl\n    Picture.Data = {\n"
               "      8950\n"
            << "Layout line 3: unterminated binary data";
        QTest::newRow("binary-data-over-the-limit")
            << in("Picture.Data = {" + QString(2 * (1024 * 1024 + 1), '0') + "}")
            << "Layout line 3: binary data of more than 1048576 bytes";
        QTest::newRow("binary-data-not-a-picture")
            << in("Picture.Data = " + hexBlock("GIF89a\x01\x00\x01\x00"))
            << "Layout line 3: bad value for 'Picture.Data' of TTestControl: not a PNG or BMP "
               "picture";
        QTest::newRow("binary-data-truncated-picture")
            << in("Picture.Data = " + hexBlock(encoded(testPicture(8, 8), "PNG").chopped(16)))
            << "Layout line 3: bad value for 'Picture.Data' of TTestControl: a damaged PNG picture";
        QTest::newRow("binary-data-chunk-longer-than-the-picture") // the decoder took 2 GB
            << in("Picture.Data = " + hexBlock(encoded(testPicture(8, 8), "PNG")
                                                   .insert(33, QByteArray("\x6A\0\0\0zTXt", 8))))
            << "Layout line 3: bad value for 'Picture.Data' of TTestControl: a damaged PNG picture";
        QTest::newRow("picture-too-large")
            << in("Picture.Data = " + hexBlock(bmpClaiming(5000, 2)))
            << "Layout line 3: bad value for 'Picture.Data' of TTestControl: a picture of 5000 x "
               "2 pixels is too large";
        QTest::newRow("picture-with-too-many-pixels")
            << in("Picture.Data = " + hexBlock(bmpClaiming(4096, 4096)))
            << "Layout line 3: bad value for 'Picture.Data' of TTestControl: a picture of 4096 x "
               "4096 pixels is too large";
        QTest::newRow("string-for-picture")
            << in("Picture.Data = 'x'")
            << "Layout line 3: bad value for 'Picture.Data' of TTestControl: picture data expected";
        QTest::newRow("binary-data-for-integer")
            << in("Count = {00}")
            << "Layout line 3: bad value for 'Count' of TTestControl: an integer expected";
        QTest::newRow("read-only")
            << in("Handle = 1") << "Layout line 3: property 'Handle' of TTestControl is read-only";
        QTest::newRow("read-only-in-sub-object")
            << in("Ticket.Left = 1")
            << "Layout line 3: property 'Ticket.Left' of TTestControl is read-only";
        QTest::newRow("string-for-integer")
            << in("Count = 'x'")
            << "Layout line 3: bad value for 'Count' of TTestControl: an integer expected";
        QTest::newRow("integer-out-of-range")
            << in("Count = 4294967296")
            << "Layout line 3: bad value for 'Count' of TTestControl: 4294967296 is out of range";
        QTest::newRow("number-for-boolean")
            << in("Active = 1")
            << "Layout line 3: bad value for 'Active' of TTestControl: True or False expected";
        QTest::newRow("unknown-enum-key") << in("Mode = mdThird")
                                          << "Layout line 3: bad value for 'Mode' of TTestControl: "
                                             "'mdThird' is no value of TMode";
        QTest::newRow("unknown-set-member") << in("Options = [opBold, opHuge]")
                                            << "Layout line 3: bad value for 'Options' of "
                                               "TTestControl: 'opHuge' is no member of TOptions";
        QTest::newRow("unknown-colour")
            << in("Color = clPink")
            << "Layout line 3: bad value for 'Color' of TTestControl: 'clPink' is no colour";
        QTest::newRow("setter-throws")
            << in("Count = -2000") << "Layout line 3: Count must not be below -1000";
        QTest::newRow("missing-equals")
            << in("Count 5") << "Layout line 3: expected '=' after 'Count'";
        QTest::newRow("trailing-value")
            << in("Count = 5 6") << "Layout line 3: unexpected '6' after the value of 'Count'";
        QTest::newRow("bad-character")
            << in("Count = @") << "Layout line 3: unexpected character '@'";
        QTest::newRow("bad-number") << in("Count = 12px") << "Layout line 3: bad number '12px'";
        QTest::newRow("unterminated-string")
            << in("Caption = 'abc") << "Layout line 3: unterminated string";
        QTest::newRow("unterminated-list") << in("Items.Strings = (\n      'a'")
                                           << "Layout line 3: unterminated list of 'Items.Strings'";
        QTest::newRow("unknown-class") << frame("  object Panel1: TNoSuchPanel\n  end\n")
                                       << "Layout line 2: unknown class 'TNoSuchPanel'";
        QTest::newRow("duplicate-name")
            << frame("  object Panel1: TTestControl\n  end\n  object panel1: TTestControl\n  end\n")
            << "Layout line 4: a component named 'panel1' exists already";
        QTest::newRow("wrong-root-class") << "object Form1: TOtherForm\nend\n"
                                          << "Layout line 1: the layout is for a TOtherForm, not "
                                             "for a TTestForm";
        QTest::newRow("missing-end")
            << "object Form1: TTestForm\n  object Panel1: TTestControl\n    Count = 1\n  end\n"
            << "Layout line 4: missing 'end' of object 'Form1'";
        QTest::newRow("text-after-last-end")
            << in("Count = 1") + "Count = 2\n"
            << "Layout line 6: unexpected 'Count' after the last 'end'";
        QTest::newRow("unknown-reference")
            << in("Buddy = Nobody") << "Layout line 3: unknown component 'Nobody' for 'Buddy'";
        QTest::newRow("unknown-handler")
            << in("OnClick = NoSuchHandler") << "Layout line 3: unknown handler 'NoSuchHandler'";

        // Regressions, named for what they did before.
        QTest::newRow("control-in-image-list-read-freed-memory")
            << frame("  object IL: TImageList\n    object L: TLabel\n    end\n  end\n")
            << "Layout line 3: a TImageList cannot hold the TLabel 'L'";
        QTest::newRow("image-list-in-image-list")
            << frame("  object IL: TImageList\n    object IL2: TImageList\n    end\n  end\n")
            << "Layout line 3: a TImageList cannot hold the TImageList 'IL2'";
        QString deep;
        for (int i = 1; i <= 10000; ++i)
            deep += QStringLiteral("object P%1: TTestControl\n").arg(i);
        deep += QString(QStringLiteral("end\n")).repeated(10000);
        QTest::newRow("10000-nested-objects-overflowed-the-stack")
            << frame(deep) << "Layout line 66: 'P65' lies deeper than 64 levels";
        QString many;
        for (int i = 1; i <= 20000; ++i)
            many += QStringLiteral("  object P%1: TTestControl\n  end\n").arg(i);
        QTest::newRow("20000-siblings-took-a-minute")
            << frame(many)
            << "Layout line 4098: 'P2049' is one component more than the 2048 a "
               "layout may hold";
        QTest::newRow("enum-number-outside-its-type")
            << in("Mode = 5")
            << "Layout line 3: bad value for 'Mode' of TTestControl: "
               "5 is no value of TMode";
        QTest::newRow("enum-number-wrapping-into-a-value")
            << in("Mode = 4294967296")
            << "Layout line 3: bad value for 'Mode' of TTestControl: "
               "4294967296 is no value of TMode";
        QTest::newRow("set-bits-without-a-name")
            << in("Options = 9")
            << "Layout line 3: bad value for 'Options' of TTestControl: "
               "9 is no set of TOptions";
        QTest::newRow("negative-set") << in("Options = -1")
                                      << "Layout line 3: bad value for 'Options' of "
                                         "TTestControl: -1 is no set of TOptions";
        QTest::newRow("failure-in-loaded-had-no-line")
            << frame("  object Panel1: TTestControl\n  end\n"
                     "  object Panel2: TTestControl\n    Caption = 'refuse when loaded'\n  end\n")
            << "Layout line 4: 'Panel2' cannot stand as read";
        const auto label = [](const QString& line) {
            return frame("  object L: TLabel\n    " + line + "\n  end\n");
        };
        QTest::newRow("control-wider-than-coordinates-hold")
            << label("Width = 16777215")
            << "Layout line 3: bad value for 'Width' of TLabel: 16777215 is out of range (0 to "
               "32767)";
        QTest::newRow("control-higher-than-coordinates-hold")
            << label("Height = 32768")
            << "Layout line 3: bad value for 'Height' of TLabel: 32768 is out of range (0 to "
               "32767)";
        QTest::newRow("control-left-overflowing-with-its-width")
            << label("Left = 2147483647")
            << "Layout line 3: bad value for 'Left' of TLabel: 2147483647 is out of range "
               "(-32768 to 32767)";
        QTest::newRow("negative-width") << label("Width = -1")
                                        << "Layout line 3: bad value for 'Width' of TLabel: -1 "
                                           "is out of range (0 to 32767)";
    }
    void reportsMalformedLayouts() {
        QFETCH(QString, text);
        const int before = g_liveControls;
        TTestForm form;
        const int madeBefore = g_madeControls;
        try {
            tk::readLayout(&form, text);
            QFAIL("no error");
        } catch (const tk::LayoutError& e) {
            QTEST(QString::fromUtf8(e.what()), "message");
        }
        // Hostile layouts fail early, having made no more than a layout may hold: 20,000
        // siblings took a minute, 10,000 nested objects overflowed the stack.
        QVERIFY2(g_madeControls - madeBefore <= 2048,
                 qPrintable(QStringLiteral("%1 made").arg(g_madeControls - madeBefore)));
        // Everything the reader created is gone again (ASan checks the memory).
        QCOMPARE(laidOut(form), QStringList());
        QCOMPARE(g_liveControls, before + 1);
        QVERIFY(!form.isLoading());
    }

    // Every limit of the reader reached exactly is still taken; one more is refused above.
    void readsLayoutsAtTheLimits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("components");
        QTest::addColumn<QSize>("picture"); // of P1
        const auto withPicture = [](const QByteArray& bytes) {
            return frame("  object P1: TTestControl\n    Picture.Data = " + hexBlock(bytes) +
                         "\n  end\n");
        };
        const auto png = [](int width, int height) {
            QImage image(width, height, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            return encoded(image, "PNG");
        };
        QTest::newRow("picture-4096-wide") << withPicture(png(4096, 1)) << 1 << QSize(4096, 1);
        QTest::newRow("picture-4096-high") << withPicture(png(1, 4096)) << 1 << QSize(1, 4096);
        QTest::newRow("picture-of-4-mi-pixels")
            << withPicture(png(4096, 1024)) << 1 << QSize(4096, 1024);
        QByteArray mib = png(2, 2); // what follows a PNG's end is not read
        mib.append(QByteArray(1024 * 1024 - mib.size(), '\0'));
        QTest::newRow("binary-data-of-1-mib") << withPicture(mib) << 1 << QSize(2, 2);
        QString deep;
        for (int i = 1; i <= 64; ++i)
            deep += QStringLiteral("object P%1: TTestControl\n").arg(i);
        deep += QString(QStringLiteral("end\n")).repeated(64);
        QTest::newRow("64-nested-objects") << frame(deep) << 64 << QSize(0, 0);
        QString many;
        for (int i = 1; i <= 2048; ++i)
            many += QStringLiteral("  object P%1: TTestControl\n  end\n").arg(i);
        QTest::newRow("2048-siblings") << frame(many) << 2048 << QSize(0, 0);
    }
    void readsLayoutsAtTheLimits() {
        QFETCH(QString, text);
        TTestForm form;
        try {
            tk::readLayout(&form, text);
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        QTEST(int(laidOut(form).size()), "components");
        QTEST(child(form, "P1")->picture().size(), "picture");
    }

    void formAtTheEdgeOfTheCoordinates() {
        // Top = 2147483647 overflowed in setBounds; the form refuses it and clamps what
        // code asks for.
        tk::TForm form;
        QVERIFY_THROWS_EXCEPTION(
            tk::LayoutError,
            tk::readLayout(&form, QStringLiteral("object F: TForm\n  Top = 2147483647\nend\n")));
        tk::readLayout(&form, QStringLiteral("object F: TForm\n  Left = -32768\n  Top = 32767\n"
                                             "  ClientWidth = 32767\n  ClientHeight = 0\nend\n"));
        QCOMPARE(form.geometry(), QRect(-32768, 32767, 32767, 0));
        form.setBounds(INT_MAX, INT_MIN, INT_MAX, INT_MIN);
        QCOMPARE(form.geometry(), QRect(32767, -32768, 32767, 0));
        tk::TLabel label(&form);
        label.setLayoutParent(&form);
        label.setBounds(INT_MIN, INT_MAX, -5, INT_MAX);
        QCOMPARE(label.geometry(), QRect(-32768, 32767, 0, 32767));
    }

    void alignedControlFollowsItsParentAndRoundTrips() {
        // An aligned control kept the place its parent gave it when Align was read, before
        // its own Height; written and read back, it moved.
        tk::TForm form;
        tk::readLayout(&form,
                       QStringLiteral("object F: TForm\n  ClientWidth = 300\n"
                                      "  ClientHeight = 200\n  object P: TPageControl\n"
                                      "    Align = alBottom\n    Height = 40\n  end\nend\n"));
        auto* pages = qobject_cast<QWidget*>(form.findComponent(QStringLiteral("P"))->object());
        QCOMPARE(pages->geometry(), QRect(0, 160, 300, 40));
        form.setBounds(form.left(), form.top(), 400, 300);
        QCOMPARE(pages->geometry(), QRect(0, 260, 400, 40));
        pages->setProperty("Height", 60); // a new height keeps it at the bottom
        QCOMPARE(pages->geometry(), QRect(0, 240, 400, 60));
        const QString text = tk::writeLayout(&form);
        tk::TForm copy;
        tk::readLayout(&copy, text);
        QCOMPARE(tk::writeLayout(&copy), text);
    }

    void ownValueLikeAFreshOneSurvivesARoundTrip() {
        // A control whose own font and colour were those of a fresh instance was written
        // with ParentFont = False alone: read back into its parent, it took the parent's.
        const tk::TLabel fresh;
        tk::TForm form;
        tk::readLayout(&form, QStringLiteral("object F: TForm\n  Font.Height = 20\n"
                                             "  Color = clRed\n  object L: TLabel\n  end\nend\n"));
        auto* label = qobject_cast<tk::TLabel*>(form.findComponent(QStringLiteral("L"))->object());
        label->setFont(fresh.font());
        label->setColor(fresh.color());
        const QString text = tk::writeLayout(&form);
        tk::TForm copy;
        tk::readLayout(&copy, text);
        auto* read = qobject_cast<tk::TLabel*>(copy.findComponent(QStringLiteral("L"))->object());
        QVERIFY(read->font() == fresh.font());
        QCOMPARE(read->color(), fresh.color());
        QCOMPARE(tk::writeLayout(&copy), text);
    }

    void formWrittenAndReadBackKeepsPlaceAndVisible() {
        // Reading Visible = True showed the half-read window, and the BorderStyle after it
        // hid it again and moved it by the frame it lost.
        tk::TForm form;
        tk::readLayout(&form, QStringLiteral("object F: TForm\n  Left = 257\n  Top = 289\n"
                                             "  BorderStyle = bsNone\n  ClientWidth = 194\n"
                                             "  ClientHeight = 233\nend\n"));
        for (const bool shown : {false, true}) {
            form.setVisible(shown);
            const QString text = tk::writeLayout(&form);
            tk::TForm copy;
            tk::readLayout(&copy, text);
            QCOMPARE(copy.geometry(), QRect(257, 289, 194, 233));
            QCOMPARE(copy.visible(), shown);
            QCOMPARE(copy.isVisible(), shown);
            QCOMPARE(tk::writeLayout(&copy), text);
        }
    }
};

ZARVIK_TEST_MAIN(TestLayout)
#include "tst_layout.moc"
