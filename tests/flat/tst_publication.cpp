#include "Form.h"
#include "Layout.h"
#include "Published.h"
#include "Registration.h"
#include "TestEnvironment.h"

#include <QImage>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QTest>
#include <climits>
#include <memory>
#include <optional>

// What every control class publishes, exercised whole: a form that names each published
// property (with a value unlike the default) and binds each published event of a class
// loads, hears each event, and writes back to what reads back the same.
class TGeneratedForm : public tk::TForm {
    Q_OBJECT
public:
    using tk::TForm::TForm;
    QStringList heard;

public slots:
    // It takes none of the values, so it fits every event.
    void Handle() {
        heard << QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name());
    }
};

namespace {

QString valueFor(const QMetaProperty& p, const QVariant& current, const QMetaObject* mo) {
    const QString name = QString::fromLatin1(p.name());
    if (p.metaType().flags().testFlag(QMetaType::PointerToQObject)) {
        const QMetaObject* target = p.metaType().metaObject();
        if (!target) return {};
        // The pages' ActivePage is a page of their own, made below.
        for (const char* c : {"TPopupMenu", "TAction", "TImageList", "TTabSheet"})
            if (target->inherits(QMetaType::fromName(QByteArray("tk::") + c + '*').metaObject()))
                return QString::fromLatin1(c).mid(1) + (qstrcmp(c, "TTabSheet") ? "1" : "2");
        return {};
    }
    if (p.isFlagType()) {
        const QMetaEnum e = p.enumerator();
        return QStringLiteral("[%1]").arg(QLatin1String(e.key(e.keyCount() - 1)));
    }
    if (p.isEnumType()) {
        const QMetaEnum e = p.enumerator();
        for (int k = 0; k < e.keyCount(); ++k)
            if (e.value(k) != current.toInt()) return QLatin1String(e.key(k));
        return {};
    }
    switch (p.metaType().id()) {
    case QMetaType::Bool:
        return current.toBool() ? QStringLiteral("False") : QStringLiteral("True");
    case QMetaType::Int:
        if (name.contains(QLatin1String("Color"))) return QStringLiteral("$00123456");
        if (const auto range = tk::declaredRange(mo, name))
            return QString::number(range->first + 1);
        return QString::number(current.toInt() + 1);
    case QMetaType::QString:
        return QStringLiteral("'Text1'");
    case QMetaType::QChar:
        return QStringLiteral("'*'");
    case QMetaType::QStringList:
        return QStringLiteral("(\n'a'\n'b')");
    default:
        return {};
    }
}

// One object of `cls` with every published property and event, inside `frame`'s header.
QString generated(const QString& cls) {
    QObject* fresh = tk::createLayoutObject(cls, nullptr);
    const QMetaObject* mo = fresh->metaObject();
    QString body;
    for (const QMetaProperty& p : tk::publishedProperties(mo)) {
        if (!p.isWritable()) continue;
        const QVariant current = p.read(fresh);
        if (p.metaType().flags().testFlag(QMetaType::IsGadget)) {
            const QMetaObject* g = p.metaType().metaObject();
            for (int i = 0; i < g->propertyCount(); ++i)
                if (g->property(i).metaType().id() == QMetaType::Int)
                    body += QStringLiteral("    %1.%2 = %3\n")
                                .arg(QLatin1String(p.name()), QLatin1String(g->property(i).name()))
                                .arg(g->property(i).readOnGadget(current.constData()).toInt() + 3);
            continue;
        }
        const QString value = valueFor(p, current, mo);
        if (!value.isEmpty())
            body += QStringLiteral("    %1 = %2\n").arg(QLatin1String(p.name()), value);
    }
    for (const QMetaMethod& e : tk::publishedEvents(mo))
        body += QStringLiteral("    %1 = Handle\n").arg(QLatin1String(e.name()));
    if (cls == QLatin1String("TFlatPages"))
        body += QStringLiteral("    object TabSheet2: TFlatSheet\n    end\n");
    delete fresh;
    const bool sheet = cls == QLatin1String("TFlatSheet");
    return QStringLiteral("object Form1: TGeneratedForm\n"
                          "  object PopupMenu1: TPopupMenu\n"
                          "    object MenuItem1: TMenuItem\n      Caption = 'Item'\n    end\n"
                          "  end\n"
                          "  object Action1: TAction\n  end\n"
                          "  object ImageList1: TImageList\n  end\n"
                          "  object Pages1: TFlatPages\n"
                          "    object TabSheet1: TFlatSheet\n    end\n") +
           (sheet ? QString() : QStringLiteral("  end\n")) + QStringLiteral("  object Subject1: ") +
           cls + QLatin1Char('\n') + body + QStringLiteral("  end\n") +
           (sheet ? QStringLiteral("  end\n") : QString()) + QStringLiteral("end\n");
}

// Raises `event` of `o` as the control would. The handler reads none of the values, and
// nothing else listens to the events of a control this fresh, so none are given.
void raise(QObject* o, const QMetaMethod& event) {
    void* none[12] = {};
    const QMetaObject* declaredBy = event.enclosingMetaObject();
    // Signals come first among a class's methods.
    QMetaObject::activate(o, declaredBy, event.methodIndex() - declaredBy->methodOffset(), none);
}

// A published integer by the dotted name a layout gives it, with the values the class lets
// a layout give it; none for an integer without a declared range.
struct Integer {
    QString path;
    std::optional<std::pair<qint64, qint64>> range;
};

// The published integers of `mo`, those of its gadgets (Font.Height) and of the parts it
// owns (Ticket.Left), for the instance `o` (null for a gadget, whose properties all count).
void integersOf(const QMetaObject* mo, const QObject* o, const QString& prefix,
                QList<Integer>& out) {
    QList<QMetaProperty> properties = o ? tk::publishedProperties(mo) : QList<QMetaProperty>();
    for (int i = 0; !o && i < mo->propertyCount(); ++i)
        properties << mo->property(i);
    for (const QMetaProperty& p : properties) {
        const QString name = QString::fromLatin1(p.name());
        const QMetaType type = p.metaType();
        if (type.flags().testFlag(QMetaType::IsGadget) && type.id() != QMetaType::QImage) {
            integersOf(type.metaObject(), nullptr, prefix + name + QLatin1Char('.'), out);
        } else if (o && type.flags().testFlag(QMetaType::PointerToQObject) && !p.isWritable()) {
            if (const QObject* part = p.read(o).value<QObject*>())
                integersOf(part->metaObject(), part, prefix + name + QLatin1Char('.'), out);
        } else if (type.id() == QMetaType::Int && p.isWritable()) {
            auto range = tk::declaredRange(mo, name);
            // A colour is any 32-bit pattern.
            if (!range &&
                (name.startsWith(QLatin1String("Color")) || name.endsWith(QLatin1String("Color"))))
                range = std::pair<qint64, qint64>(INT_MIN, INT_MAX);
            out << Integer{prefix + name, range};
        }
    }
}

// A form whose object of class `cls` has `line`, with what makes its integers count: tabs
// for the pages, buttons for the radio group, a page control showing the image list.
QString holding(const QString& cls, const QString& line) {
    const QString head = QStringLiteral("object Form1: TGeneratedForm\n");
    if (cls == QLatin1String("TForm")) return head + line + QStringLiteral("\nend\n");
    const bool flat = cls.startsWith(QLatin1String("TFlat"));
    const QString pages = flat ? QStringLiteral("TFlatPages") : QStringLiteral("TPageControl");
    const QString sheet = flat ? QStringLiteral("TFlatSheet") : QStringLiteral("TTabSheet");
    const QString tab = QStringLiteral("object Sheet%1: ") + sheet +
                        QStringLiteral("\nCaption = 'Tab'\nImageIndex = 0\nend\n");
    const bool inPages = cls.endsWith(QLatin1String("Sheet"));
    QString text = head + (inPages ? QStringLiteral("object Pages1: ") + pages + '\n' : QString());
    text += QStringLiteral("object Subject1: ") + cls + '\n' + line + '\n';
    if (cls.endsWith(QLatin1String("Pages")) || cls == QLatin1String("TPageControl"))
        text += tab.arg(1);
    if (cls == QLatin1String("TFlatRadioGroup"))
        text += QStringLiteral("Items.Strings = ('a' 'b')\n");
    text += inPages ? QStringLiteral("end\nend\n") : QStringLiteral("end\n");
    if (cls == QLatin1String("TImageList"))
        text += QStringLiteral("object Pages2: TPageControl\nImages = Subject1\n") + tab.arg(2) +
                QStringLiteral("end\n");
    return text + QStringLiteral("end\n");
}

// Paints the corners of `w` as the screen would ask for them.
void paintCorners(QWidget* w) {
    constexpr int Side = 64;
    QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
    for (const QPoint at :
         {QPoint(0, 0), QPoint(std::max(0, w->width() - Side), std::max(0, w->height() - Side))})
        w->render(&image, QPoint(), QRegion(QRect(at, QSize(Side, Side))));
}

} // namespace

class TestPublication : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        flat::registerFlatClasses();
        tk::registerLayoutClass<TGeneratedForm>();
    }

    void everyPublishedNameLoadsAndRoundTrips_data() {
        QTest::addColumn<QString>("cls");
        for (const char* cls :
             {"TFlatPanel", "TFlatLabel", "TFlatEdit", "TFlatButton", "TFlatCheckBox",
              "TFlatRadioButton", "TFlatRadioGroup", "TFlatPages", "TFlatSheet", "TDefineComboBox",
              "TDefineColorBox", "TLabel", "TComboBox", "TMenuItem", "TAction"})
            QTest::newRow(cls) << QString::fromLatin1(cls);
    }
    void everyPublishedNameLoadsAndRoundTrips() {
        QFETCH(QString, cls);
        const QString text = generated(cls);
        TGeneratedForm form;
        try {
            tk::readLayout(&form, text);
        } catch (const tk::LayoutError& e) {
            QFAIL(qPrintable(QString::fromUtf8(e.what()) + QLatin1Char('\n') + text));
        }
        const QString written = tk::writeLayout(&form);
        QObject* subject = form.findComponent(QStringLiteral("Subject1"))->object();
        QStringList events;
        form.heard.clear();
        for (const QMetaMethod& e : tk::publishedEvents(subject->metaObject())) {
            events << QString::fromLatin1(e.name());
            // Every binding is written back, and the handler hears its event.
            QVERIFY2(written.contains(events.last() + QLatin1String(" = Handle")),
                     qPrintable(events.last()));
            raise(subject, e);
        }
        QCOMPARE(form.heard, events);
        TGeneratedForm copy;
        tk::readLayout(&copy, written);
        QCOMPARE(tk::writeLayout(&copy), written);
    }

    // Every published integer of every class has a range: a layout may give it either end,
    // which reads, paints and writes back as it was read, and nothing beyond.
    void everyIntegerTakesItsRangeAndNoMore_data() {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("low");
        QTest::addColumn<qint64>("high");
        for (const QString& cls : tk::registeredLayoutClasses()) {
            if (cls == QLatin1String("TGeneratedForm")) continue;
            const std::unique_ptr<QObject> fresh(tk::createLayoutObject(cls, nullptr));
            QList<Integer> integers;
            integersOf(fresh->metaObject(), fresh.get(), QString(), integers);
            for (const Integer& i : integers)
                QTest::addRow("%s.%s", qPrintable(cls), qPrintable(i.path))
                    << cls << i.path << (i.range ? i.range->first : 1)
                    << (i.range ? i.range->second : 0);
        }
    }
    void everyIntegerTakesItsRangeAndNoMore() {
        QFETCH(QString, cls);
        QFETCH(QString, path);
        QFETCH(qint64, low);
        QFETCH(qint64, high);
        QVERIFY2(low <= high, "no range declared");
        for (const qint64 v : {low, high}) {
            const QString text = holding(cls, path + QLatin1String(" = ") + QString::number(v));
            TGeneratedForm form;
            QString written;
            try {
                tk::readLayout(&form, text);
                paintCorners(&form);
                if (tk::Component* subject = form.findComponent(QStringLiteral("Subject1")))
                    if (auto* w = qobject_cast<QWidget*>(subject->object())) paintCorners(w);
                written = tk::writeLayout(&form);
                TGeneratedForm copy;
                tk::readLayout(&copy, written);
                QCOMPARE(tk::writeLayout(&copy), written);
            } catch (const tk::LayoutError& e) {
                QFAIL(qPrintable(QString::fromUtf8(e.what()) + '\n' + text + '\n' + written));
            }
        }
        for (const qint64 v : {low - 1, high + 1}) {
            TGeneratedForm form;
            QVERIFY_THROWS_EXCEPTION(
                tk::LayoutError, tk::readLayout(&form, holding(cls, path + QLatin1String(" = ") +
                                                                        QString::number(v))));
        }
    }

    // What a class does not publish stays out of layouts, as a property and as an event.
    void unpublishedNamesAreRefused_data() {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("label-constraints")
            << "TFlatLabel"
            << "Constraints.MinWidth = 3"
            << "Layout line 3: unknown property 'Constraints.MinWidth' of TFlatLabel";
        QTest::newRow("label-action") << "TFlatLabel"
                                      << "Action = Form1"
                                      << "Layout line 3: unknown property 'Action' of TFlatLabel";
        QTest::newRow("label-docksite")
            << "TFlatLabel"
            << "DockSite = True"
            << "Layout line 3: unknown property 'DockSite' of TFlatLabel";
        QTest::newRow("edit-color") << "TFlatEdit"
                                    << "Color = clRed"
                                    << "Layout line 3: unknown property 'Color' of TFlatEdit";
        QTest::newRow("check-box-dock-event")
            << "TFlatCheckBox"
            << "OnDockDrop = H"
            << "Layout line 3: unknown event 'OnDockDrop' of TFlatCheckBox";
        QTest::newRow("button-resize-event")
            << "TFlatButton"
            << "OnResize = H"
            << "Layout line 3: unknown event 'OnResize' of TFlatButton";
    }
    void unpublishedNamesAreRefused() {
        QFETCH(QString, cls);
        QFETCH(QString, line);
        TGeneratedForm form;
        try {
            tk::readLayout(&form, "object Form1: TGeneratedForm\n  object X: " + cls + "\n    " +
                                      line + "\n  end\nend\n");
            QFAIL("no error");
        } catch (const tk::LayoutError& e) {
            QTEST(QString::fromUtf8(e.what()), "message");
        }
    }
};

ZARVIK_TEST_MAIN(TestPublication)
#include "tst_publication.moc"
