#include "Classes.h"
#include "Edit.h"
#include "FlatColorBox.h"
#include "Form.h"
#include "Layout.h"
#include "Published.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QColorDialog>
#include <QComboBox>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <optional>

using namespace flat;

// The handler a layout binds the box's OnChange to.
class ChangeCounter : public QObject {
    Q_OBJECT
public:
    int changes = 0;
public slots:
    void Box1Change() { ++changes; }
};

namespace {

constexpr int CustomIndex = 18;
constexpr tk::TColor CustomTableColor = 0x004080FF;

using namespace testsupport;
constexpr auto grab = &testsupport::picture;

// Answers the colour dialog as soon as it is up: accepts `colour`, or cancels without
// one. Gives up after about two seconds, so a dialog that never shows fails the test
// instead of hanging it.
void answerColorDialog(std::optional<QColor> colour, bool* answered, int triesLeft = 200) {
    QTimer::singleShot(10, [=] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (triesLeft > 0) answerColorDialog(colour, answered, triesLeft - 1);
            return;
        }
        *answered = true;
        if (colour) {
            dialog->setCurrentColor(*colour);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
}

// A shown colour box with its events counted.
struct Stage {
    tk::TForm form;
    TDefineColorBox box{nullptr, &form};
    int changes = 0;
    int clicks = 0;

    Stage() {
        form.setBounds(100, 100, 240, 100);
        box.setBounds(40, 20, 120, 20);
        QObject::connect(&box, &tk::TCustomComboBox::OnChange, [this] { ++changes; });
        QObject::connect(&box, &tk::TControl::OnClick, [this] { ++clicks; });
        form.show();
    }
    // What the user does: picks the item in the list.
    void pick(int index) { box.comboBox()->setCurrentIndex(index); }
};

} // namespace

class TestFlatColorBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { registerFlatClasses(); }

    void creationListsTheTableAndRaisesOnChangeOnce_data() {
        QTest::addColumn<bool>("english");
        QTest::newRow("local-names") << false;
        QTest::newRow("english-names") << true;
    }
    void creationListsTheTableAndRaisesOnChangeOnce() {
        QFETCH(bool, english);
        TDefineColorBox box;
        QCOMPARE(box.comboStyle(), tk::csOwnerDrawFixed);
        QCOMPARE(box.size(), QSize(120, 20));
        if (english) box.setLanguage(TDefineColorBox::nlEnglish);
        int changes = 0;
        QObject::connect(&box, &tk::TCustomComboBox::OnChange, [&] { ++changes; });
        QCOMPARE(box.itemCount(), 0); // no native window yet
        QVERIFY(!box.isCreated());

        box.ensurePolished(); // a parent or a style polishes it: no window yet
        QVERIFY(!box.isCreated());
        box.winId();
        QVERIFY(box.isCreated());
        QCOMPARE(changes, 1);
        QCOMPARE(box.itemCount(), int(StandardColorTable.size()));
        for (int i = 0; i < box.itemCount(); ++i) {
            const TStandardColor& entry = StandardColorTable[size_t(i)];
            QCOMPARE(box.itemText(i), english ? englishColorName(entry) : localColorName(entry));
            QCOMPARE(tk::TColor(box.itemValue(i)), entry.Color);
        }
        QCOMPARE(box.itemText(CustomIndex),
                 english ? TDefineColorBox::CustomEnglishName : TDefineColorBox::CustomLocalName);
        QCOMPARE(box.itemIndex(), 0);
        QCOMPARE(box.selectedColor(), tk::clBlack);

        box.winId(); // created once: nothing more
        box.show();
        QCOMPARE(changes, 1);
        QCOMPARE(box.itemCount(), 19);
    }

    void customEntryAsksForAColour_data() {
        testsupport::addColumns<std::optional<QColor>, int, int, tk::TColor, tk::TColor>(
            {"answer", "clicks", "index", "customValue", "current"});
        QTest::newRow("cancel") << std::optional<QColor>() << 0 << CustomIndex << CustomTableColor
                                << tk::clBlack;
        // The first item with the colour wins: the standard red, not the custom entry.
        QTest::newRow("pick-red") << std::optional<QColor>(QColor(255, 0, 0)) << 1 << 3 << tk::clRed
                                  << tk::clRed;
        QTest::newRow("pick-own-colour") << std::optional<QColor>(QColor(1, 2, 3)) << 1
                                         << CustomIndex << tk::rgb(1, 2, 3) << tk::rgb(1, 2, 3);
    }
    void customEntryAsksForAColour() {
        QFETCH(std::optional<QColor>, answer);
        QFETCH(int, clicks);
        QFETCH(int, index);
        QFETCH(tk::TColor, customValue);
        QFETCH(tk::TColor, current);
        Stage s;
        QCOMPARE(s.box.itemCount(), 19);
        bool answered = false;
        answerColorDialog(answer, &answered);
        s.pick(CustomIndex);
        QVERIFY(answered);
        QCOMPARE(s.clicks, clicks);
        QCOMPARE(s.box.itemIndex(), index);
        QCOMPARE(tk::TColor(s.box.itemValue(CustomIndex)), customValue);
        QCOMPARE(s.box.currentColor(), current);
    }

    void pickingAStandardColourSkipsTheDialog() {
        Stage s;
        s.changes = 0;
        s.pick(9);
        QCOMPARE(s.box.currentColor(), tk::clBlue);
        QCOMPARE(s.clicks, 1);
        QVERIFY(s.changes >= 1);
        s.changes = 0;
        s.box.selectColor(tk::clBlue); // already the current colour: nothing
        QCOMPARE(s.changes, 0);
        s.box.selectColor(tk::rgb(1, 2, 3)); // no item has it: nothing
        QCOMPARE(s.changes, 0);
        QCOMPARE(s.box.itemIndex(), 9);
        s.box.selectColor(tk::clOlive);
        QCOMPARE(s.changes, 1);
        QCOMPARE(s.box.itemIndex(), 12);
    }

    void fontChangeRebuildsTheList() {
        Stage s;
        bool answered = false;
        answerColorDialog(QColor(1, 2, 3), &answered);
        s.pick(CustomIndex);
        QVERIFY(answered);
        QCOMPARE(tk::TColor(s.box.itemValue(CustomIndex)), tk::rgb(1, 2, 3));
        s.box.setItemHeight(20);
        s.changes = 0;
        s.box.setControlFont(tahoma(16));
        QCOMPARE(s.changes, 1);
        QCOMPARE(s.box.itemCount(), 19);
        QCOMPARE(s.box.itemIndex(), 0);
        QCOMPARE(tk::TColor(s.box.itemValue(CustomIndex)), CustomTableColor);
        QCOMPARE(s.box.itemHeight(), 13);
    }

    void swatchWidthFollowsTheNames_data() {
        QTest::addColumn<bool>("names");
        QTest::addColumn<int>("swatchRight"); // the swatch's last column: its outline
        // The closed box's item is (3, 3, 94, 17): the swatch starts at 4.
        QTest::newRow("names-shown") << true << 33;       // 31 pixels from the item's left
        QTest::newRow("names-hidden") << false << 94 - 7; // the item's width less 6
    }
    void swatchWidthFollowsTheNames() {
        QFETCH(bool, names);
        QFETCH(int, swatchRight);
        Stage s;
        s.box.setShowNames(names);
        s.box.selectColor(tk::clRed);
        QCOMPARE(s.box.editFieldRect(), QRect(3, 3, 91, 14));
        const QImage img = grab(s.box);
        const QRgb back = rgbOf(s.box.color());
        const int y = 10;
        QCOMPARE(img.pixel(3, y), back);
        QCOMPARE(img.pixel(4, y), qRgb(0, 0, 0)); // the outline
        QCOMPARE(img.pixel(4, 4), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(5, y), qRgb(255, 0, 0));
        QCOMPARE(img.pixel(swatchRight - 1, y), qRgb(255, 0, 0));
        QCOMPARE(img.pixel(swatchRight, y), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(swatchRight + 1, y), back);
        QCOMPARE(img.pixel(swatchRight - 1, 15), qRgb(0, 0, 0)); // bottom outline
        // The name is drawn from L + 35 on, in black, and only when names are shown.
        bool ink = false;
        for (int x = 38; x < 80; ++x)
            for (int yy = 5; yy < 15; ++yy) // inside the swatch's outline
                ink = ink || img.pixel(x, yy) == qRgb(0, 0, 0);
        QCOMPARE(ink, names);
    }

    void colourStaysPutOnFocusAndHover() {
        Stage s;
        QVERIFY(QTest::qWaitForWindowActive(&s.form));
        const tk::TColor before = s.box.color();
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&s.box, &enter);
        QCOMPARE(s.box.color(), before);
        s.box.setFocus();
        QVERIFY(s.box.isActive());
        QCOMPARE(s.box.color(), before);
        const QImage img = grab(s.box);
        QCOMPARE(img.pixel(1, 10), rgbOf(before)); // the inner rings: Color
        QCOMPARE(img.pixel(0, 10), qRgb(136, 165, 97));
        QCOMPARE(img.pixel(96, 10), rgbOf(tk::clHighlight)); // the patch while focused
        s.form.setColor(tk::clYellow);                       // no parent-colour following either
        QCOMPARE(s.box.color(), before);
    }

    void designModeTicketCaption_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("caption");
        QTest::newRow("local") << false << QStringLiteral("颜色:");
        QTest::newRow("english") << true << QStringLiteral("Color:");
    }
    void designModeTicketCaption() {
        QFETCH(bool, english);
        QFETCH(QString, caption);
        TDefineColorBox box;
        box.setDesigning(true);
        if (english) box.setLanguage(TDefineColorBox::nlEnglish);
        box.setName(QStringLiteral("FlatColorBox1"));
        QCOMPARE(box.ticket()->caption(), caption);
        box.ticket()->setCaption(QStringLiteral("Ink:"));
        box.setName(QStringLiteral("Ink"));
        QCOMPARE(box.ticket()->caption(), QStringLiteral("Ink:"));
    }

    void ticketFollowsTheBox() {
        tk::TForm form;
        TDefineColorBox box(nullptr, &form);
        QCOMPARE(box.ticket()->parentWidget(), &form);
        box.ticket()->setCaption(QStringLiteral("Ink:"));
        box.setBounds(80, 40, 120, 20);
        const QSize t = box.ticket()->size();
        QCOMPARE(box.ticket()->pos(), QPoint(80 - t.width() - 3, 40 + (20 - t.height()) / 2));
        box.setEnabled(false);
        QVERIFY(!box.ticket()->isEnabled());
        box.setVisible(false);
        QVERIFY(!box.ticket()->visible());
    }

    void layoutRoundTrip() {
        tk::TForm form;
        form.setName(QStringLiteral("Form1"));
        auto* box = new TDefineColorBox(&form, &form);
        box->setName(QStringLiteral("FlatColorBox1"));
        box->setBounds(60, 20, 130, 20);
        box->winId();
        box->selectColor(tk::clNavy);
        const QString text = tk::writeLayout(&form);
        const QString block = text.mid(text.indexOf(QLatin1String("object FlatColorBox1")));
        QVERIFY(block.startsWith(QLatin1String("object FlatColorBox1: TDefineColorBox\n")));
        QVERIFY(block.contains(QLatin1String("Version = '4.56.0.0'\n")));
        // The list comes from the colour table whenever the box is created.
        for (const char* name : {"Items", "ItemIndex", "Text =", "Color ="})
            QVERIFY2(!block.contains(QLatin1String(name)), name);

        tk::TForm copy;
        tk::readLayout(&copy, text);
        auto* box2 = copy.findChild<TDefineColorBox*>(QStringLiteral("FlatColorBox1"));
        QVERIFY(box2);
        QCOMPARE(box2->geometry(), QRect(60, 20, 130, 20));
        box2->winId();
        QCOMPARE(box2->itemCount(), 19);
        const QString again = tk::writeLayout(&copy);
        QCOMPARE(again.mid(again.indexOf(QLatin1String("object FlatColorBox1"))), block);
    }

    // Regression: a colour asked for before the first show (as in a form's OnCreate) found
    // no items, and the show then selected Black.
    void aColourAskedForBeforeTheFirstShowHolds() {
        tk::TForm form;
        TDefineColorBox box(nullptr, &form);
        int changes = 0;
        QObject::connect(&box, &tk::TCustomComboBox::OnChange, [&] { ++changes; });
        box.selectColor(tk::clRed);
        form.show();
        QCOMPARE(box.itemIndex(), 3);
        QCOMPARE(box.currentColor(), tk::clRed);
        QCOMPARE(changes, 2); // the list filled, then red chosen
    }

    // Regression: the list was filled when the box got its parent, before the reader bound
    // OnChange, so a handler named in a layout never heard of the first selection.
    void aHandlerBoundInALayoutHearsTheCreation() {
        tk::TForm form;
        ChangeCounter handlers;
        tk::readLayout(&form,
                       QStringLiteral("object Form1: TForm\n  object Box1: TDefineColorBox\n"
                                      "    OnChange = Box1Change\n  end\nend\n"),
                       &handlers);
        QCOMPARE(handlers.changes, 0);
        form.show();
        QCOMPARE(handlers.changes, 1);
        QCOMPARE(form.findChild<TDefineColorBox*>()->itemCount(), 19);
    }

    void itemIndexSignalCountsWithOnChange() {
        Stage s; // shown: the list is filled, which raised OnChange once
        QCOMPARE(s.changes, 1);
        QSignalSpy spy(&s.box, &tk::TCustomComboBox::itemIndexChanged);
        s.box.selectColor(0x000000FF); // red, item 3
        QCOMPARE(s.changes, 2);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 3);
        s.box.selectColor(0x000000FF); // the current colour: nothing
        s.box.selectColor(0x00123456); // no item has it: nothing
        QCOMPARE(s.changes, 2);
        QCOMPARE(spy.count(), 1);
        s.box.setLanguage(TDefineColorBox::nlEnglish); // rebuilt: the first item again
        QCOMPARE(s.changes, 3);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), 0);
        s.box.selectColor(0x000000FF); // still the current colour, yet no longer shown
        QCOMPARE(s.box.itemIndex(), 3);
        QCOMPARE(s.changes, 4);
    }
};

ZARVIK_TEST_MAIN(TestFlatColorBox)
#include "tst_flatcolorbox.moc"
