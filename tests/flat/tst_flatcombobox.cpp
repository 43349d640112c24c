#include "Classes.h"
#include "Edit.h"
#include "FlatComboBox.h"
#include "FlatPanel.h"
#include "Form.h"
#include "Layout.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QComboBox>
#include <QEnterEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace flat;

namespace {

constexpr QRgb Border = qRgb(136, 165, 97);
constexpr QRgb Flat = qRgb(235, 234, 225);
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb ArrowArea = qRgb(217, 214, 197);
constexpr QRgb Grey = qRgb(128, 128, 128);

// A box that counts its beeps instead of sounding them.
class TQuietComboBox : public TDefineComboBox {
public:
    using TDefineComboBox::TDefineComboBox;
    int beeps = 0;

protected:
    void beep() override { ++beeps; }
};

using namespace testsupport;
constexpr auto grab = &testsupport::picture;

const QStringList Fruit = {QStringLiteral("apple"), QStringLiteral("banana"),
                           QStringLiteral("cherry")};

// A form with the box, a second flat combo box and a plain edit to hold the focus.
struct Stage {
    tk::TForm form;
    TQuietComboBox box{nullptr, &form};
    TDefineComboBox otherBox{nullptr, &form};
    tk::TCustomEdit edit{nullptr, &form};

    Stage() {
        QCursor::setPos(0, 0);
        form.setBounds(100, 100, 260, 140);
        form.setColor(tk::clBtnFace);
        box.setBounds(30, 10, 120, 20);
        box.setItems(Fruit);
        otherBox.setBounds(30, 50, 120, 20);
        static_cast<tk::TControl&>(edit).setBounds(30, 90, 80, 21);
    }
    bool activate() { return testsupport::activate(form, &edit); }
};

} // namespace

class TestFlatComboBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { registerFlatClasses(); }

    void newBoxHasTheFlatLook() {
        QWidget window;
        TDefineComboBox box(nullptr, &window);
        QCOMPARE(box.size(), QSize(120, 20));
        QCOMPARE(box.itemHeight(), 13);
        QCOMPARE(box.version(), QStringLiteral("4.56.0.0"));
        QCOMPARE(box.editFieldRect(), QRect(3, 3, 96, 14)); // CW - B - 8 by H - 6
        window.show();
        const QImage img = grab(box);
        QCOMPARE(img.pixel(0, 10), Border);
        QCOMPARE(img.pixel(1, 10), Flat); // both inner rings and the text area: flat colour
        QCOMPARE(img.pixel(2, 10), Flat);
        QCOMPARE(img.pixel(60, 0), Border);
        QCOMPARE(img.pixel(60, 19), Border);
        QCOMPARE(img.pixel(99, 10), Flat);    // between the field and the rings
        QCOMPARE(img.pixel(102, 10), Border); // the arrow area's frame
        QCOMPARE(img.pixel(119, 10), Border);
        QCOMPARE(img.pixel(104, 3), ArrowArea);
    }

    void arrowPointsUpWhileDroppedDown_data() {
        QTest::addColumn<int>("style");
        QTest::newRow("dropdown") << int(tk::csDropDown);
        QTest::newRow("dropdownlist") << int(tk::csDropDownList);
        QTest::newRow("ownerdraw-fixed") << int(tk::csOwnerDrawFixed);
    }
    void arrowPointsUpWhileDroppedDown() {
        QFETCH(int, style);
        QWidget window;
        TDefineComboBox box(nullptr, &window);
        box.setComboStyle(tk::TComboBoxStyle(style));
        box.setItems(Fruit);
        window.show();
        // The area is (102, 0, 120, 20) as drawn, so the arrow's corners start at (105, 9).
        const auto rows = [&](const QImage& img) {
            QStringList out;
            for (int y = 8; y <= 12; ++y) {
                QString row;
                for (int x = 108; x <= 114; ++x)
                    row += img.pixel(x, y) == Black ? QLatin1Char('#') : QLatin1Char('.');
                out << row;
            }
            return out;
        };
        const QStringList down = {".......", ".#####.", "..###..", "...#...", "......."};
        const QStringList up = {".......", "...#...", "..###..", ".#####.", "......."};
        QCOMPARE(rows(grab(box)), down);
        box.setDroppedDown(true);
        QVERIFY(box.droppedDown());
        QCOMPARE(rows(grab(box)), up);
        box.setDroppedDown(false);
        QCOMPARE(rows(grab(box)), down);
    }

    void disabledArrowIsEngraved() {
        QWidget window;
        TDefineComboBox box(nullptr, &window);
        box.setEnabled(false);
        window.show();
        const QImage img = grab(box);
        // Grey in place, white one pixel down and right where the grey leaves room.
        for (QPoint p : {QPoint(109, 9), QPoint(113, 9), QPoint(110, 10), QPoint(111, 11)})
            QCOMPARE(img.pixel(p), Grey);
        for (QPoint p :
             {QPoint(113, 10), QPoint(114, 10), QPoint(112, 11), QPoint(113, 11), QPoint(112, 12)})
            QCOMPARE(img.pixel(p), White);
        QCOMPARE(img.pixel(108, 9), ArrowArea);
        QCOMPARE(img.pixel(111, 12), ArrowArea);
        QCOMPARE(box.ticket()->isEnabled(), false);
    }

    // The colour is right as soon as the focus has moved, before anything is painted.
    void hoverAndFocusColours_data() {
        QTest::addColumn<QString>("focusOn");
        QTest::addColumn<bool>("hover");
        QTest::addColumn<QString>("focusThen");
        QTest::addColumn<bool>("highlighted");
        QTest::newRow("nothing") << "edit" << false << "" << false;
        QTest::newRow("hover") << "edit" << true << "" << true;
        QTest::newRow("focus") << "box" << false << "" << true;
        QTest::newRow("hover-while-other-flat-box-focused") << "otherBox" << true << "" << false;
        QTest::newRow("hover-as-other-flat-box-loses-focus")
            << "otherBox" << true << "edit" << true;
        QTest::newRow("hover-as-other-flat-box-takes-focus")
            << "edit" << true << "otherBox" << false;
    }
    void hoverAndFocusColours() {
        QFETCH(QString, focusOn);
        QFETCH(bool, hover);
        QFETCH(QString, focusThen);
        QFETCH(bool, highlighted);
        Stage s;
        QVERIFY(s.activate());
        const auto focus = [&](const QString& name) {
            if (name == QLatin1String("box")) s.box.setFocus();
            if (name == QLatin1String("otherBox")) s.otherBox.setFocus();
            if (name == QLatin1String("edit")) s.edit.setFocus();
        };
        focus(focusOn);
        if (hover) sendEnter(s.box);
        focus(focusThen);
        QCOMPARE(s.box.isMouseIn(), hover);
        const tk::TColor expected = highlighted ? s.box.focusedColor() : s.box.flatColor();
        QCOMPARE(s.box.color(), expected);
        QCOMPARE(grab(s.box).pixel(1, 10), rgbOf(expected));
        QCOMPARE(s.box.isActive(), focusOn == QLatin1String("box") && focusThen.isEmpty());

        sendLeave(s.box);
        s.edit.setFocus();
        QTRY_COMPARE(s.box.color(), s.box.flatColor());
        QVERIFY(!s.box.isActive());
    }

    void noHoverWithoutAnActiveWindow() {
        QWidget window;
        TDefineComboBox box(nullptr, &window);
        window.show();
        QVERIFY(!tk::applicationHasActiveWindow());
        sendEnter(box);
        QVERIFY(!box.isMouseIn());
        QCOMPARE(box.color(), box.flatColor());
    }

    void listStylePatchJoinsTheHighlightedItemToTheFrame() {
        Stage s;
        s.box.setComboStyle(tk::csDropDownList);
        s.box.setItemIndex(0);
        QCOMPARE(s.box.editFieldRect(), QRect(3, 3, 91, 14));
        QVERIFY(s.activate());
        const QRgb highlight = rgbOf(tk::clHighlight);
        const QRgb flat = rgbOf(s.box.flatColor()); // the form's colour
        QCOMPARE(grab(s.box).pixel(96, 10), flat);
        s.box.setFocus();
        QImage img = grab(s.box);
        QCOMPARE(img.pixel(90, 10), highlight); // the item, right of its text
        QCOMPARE(img.pixel(96, 10), highlight); // the patch carries it on
        QCOMPARE(img.pixel(99, 10), White);     // then the focused colour up to the rings
        s.box.setDroppedDown(true);
        QCOMPARE(grab(s.box).pixel(96, 10), White);
        s.box.setDroppedDown(false);
    }

    void readOnlyRefusesCharacterKeys_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("beeps");
        QTest::newRow("dropdown-writable") << int(tk::csDropDown) << false << "bx" << 0;
        QTest::newRow("dropdown-read-only") << int(tk::csDropDown) << true << "" << 2;
        QTest::newRow("list-writable") << int(tk::csDropDownList) << false << "banana" << 0;
        QTest::newRow("list-read-only") << int(tk::csDropDownList) << true << "apple" << 2;
    }
    void readOnlyRefusesCharacterKeys() {
        QFETCH(int, style);
        QFETCH(bool, readOnly);
        QFETCH(QString, text);
        QFETCH(int, beeps);
        Stage s;
        s.box.setComboStyle(tk::TComboBoxStyle(style));
        if (style == tk::csDropDownList) s.box.setItemIndex(0);
        s.box.setReadOnly(readOnly);
        QString seen;
        QObject::connect(&s.box, &tk::TControl::OnKeyPress, [&](QChar& k) { seen += k; });
        QVERIFY(s.activate());
        s.box.setFocus();
        // Keys go where the platform sends them: to the focused widget.
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClicks(target, QStringLiteral("bx"));
        QCOMPARE(s.box.text(), text);
        QCOMPARE(s.box.beeps, beeps);
        QCOMPARE(seen, QStringLiteral("bx")); // OnKeyPress sees every key first
        if (QLineEdit* field = s.box.editField()) QCOMPARE(field->isReadOnly(), readOnly);
        // Qt decides the field's input method anew with ReadOnly; imDisable outlives it.
        s.box.setImeMode(tk::imDisable);
        s.box.setReadOnly(!readOnly);
        QVERIFY(!acceptsInputMethod(s.box));
    }

    void fontChangeResetsItemHeightAndKeepsReadOnly() {
        QWidget window;
        TDefineComboBox box(nullptr, &window);
        box.setReadOnly(true);
        box.setItemHeight(30);
        QCOMPARE(box.itemHeight(), 30);
        box.setControlFont(tahoma(20));
        QCOMPARE(box.itemHeight(), 13);
        QVERIFY(box.editField()->isReadOnly()); // the re-created field is read-only again
        box.setComboStyle(tk::csDropDownList);
        box.setComboStyle(tk::csSimple);
        QVERIFY(box.editField()->isReadOnly());
    }

    void everyItemIndexSetRaisesOnChange() {
        TDefineComboBox box;
        box.setComboStyle(tk::csDropDownList);
        box.setItems(Fruit);
        int changes = 0;
        QObject::connect(&box, &tk::TCustomComboBox::OnChange, [&] { ++changes; });
        box.setItemIndex(1);
        QCOMPARE(changes, 1);
        box.setItemIndex(1); // the same index again, and by program: still OnChange
        QCOMPARE(changes, 2);
        box.setText(QStringLiteral("cherry"));
        QCOMPARE(box.itemIndex(), 2);
        QCOMPARE(changes, 3);
        QObject::disconnect(&box, &tk::TCustomComboBox::OnChange, nullptr, nullptr);
        box.setItemIndex(0); // no handler: nothing to call
        QCOMPARE(box.itemIndex(), 0);
    }

    // The signal of ItemIndex tells each change of the index once, the program's and the
    // user's, before the events that follow it; OnChange without a change (the same index
    // set again, typed text) brings no signal.
    void itemIndexSignalComesOncePerChange() {
        Stage s;
        s.box.setComboStyle(tk::csDropDownList);
        QStringList log;
        QObject::connect(&s.box, &tk::TControl::OnClick, [&] { log << QStringLiteral("click"); });
        QObject::connect(&s.box, &tk::TCustomComboBox::OnSelect,
                         [&] { log << QStringLiteral("select"); });
        QObject::connect(&s.box, &tk::TCustomComboBox::OnChange,
                         [&] { log << QStringLiteral("change"); });
        connect(&s.box, &tk::TCustomComboBox::itemIndexChanged, this,
                [&](int index) { log << QStringLiteral("signal:%1").arg(index); });
        QSignalSpy spy(&s.box, &tk::TCustomComboBox::itemIndexChanged);
        const QMetaProperty p =
            s.box.metaObject()->property(s.box.metaObject()->indexOfProperty("ItemIndex"));
        QCOMPARE(p.notifySignal().name(), QByteArray("itemIndexChanged"));

        s.box.setItemIndex(1);
        s.box.setItemIndex(1); // unchanged, yet OnChange: no signal
        QCOMPARE(log, QStringList({"signal:1", "change", "change"}));
        log.clear();
        s.box.comboBox()->setCurrentIndex(2); // the user's pick
        QCOMPARE(log, QStringList({"signal:2", "click", "select", "change"}));
        log.clear();
        s.box.addItem(QStringLiteral("apricot")); // the selected item keeps its place
        s.box.deleteItem(2);                      // the selected item goes: none is selected
        QCOMPARE(log, QStringList({"signal:-1"}));
        log.clear();
        s.box.setComboStyle(tk::csDropDown);
        QTest::keyClick(s.box.editField(), Qt::Key_A); // typed text: OnChange alone
        QCOMPARE(log, QStringList({"change"}));
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(2).at(0).toInt(), -1);
    }

    void arrowWidthMovesTheField() {
        TDefineComboBox box;
        box.setArrowWidth(20);
        QCOMPARE(box.editFieldRect(), QRect(3, 3, 92, 14));
        QCOMPARE(box.editField()->geometry(), QRect(3, 3, 92, 14));
        box.setBounds(0, 0, 140, 26);
        QCOMPARE(box.editField()->geometry(), QRect(3, 3, 112, 20));
    }

    void flatColourFollowsTheParent() {
        tk::TForm form;
        form.setColor(tk::clYellow);
        TDefineComboBox box(nullptr, &form);
        QCOMPARE(box.flatColor(), tk::clYellow); // taken when the box is placed
        QCOMPARE(box.color(), tk::clYellow);
        form.setColor(tk::clAqua);
        QCOMPARE(box.flatColor(), tk::clAqua);
        box.setFollowsParentColor(false);
        form.setColor(tk::clLime);
        QCOMPARE(box.flatColor(), tk::clAqua);
        box.setFollowsParentColor(true); // switching it on takes the parent's colour
        QCOMPARE(box.flatColor(), tk::clLime);
    }

    void ticketStaysBesideTheBox() {
        TFlatPanel panel;
        TFlatPanel other;
        TDefineComboBox box;
        box.ticket()->setCaption(QStringLiteral("Fruit:"));
        box.setVisible(false);
        box.setParentControl(&panel);
        QCOMPARE(box.ticket()->parentWidget(), &panel);
        QVERIFY(!box.ticket()->visible()); // a hidden box keeps its ticket hidden
        box.setVisible(true);
        QVERIFY(box.ticket()->visible());

        box.setBounds(80, 40, 120, 20);
        const QSize t = box.ticket()->size();
        QCOMPARE(box.ticket()->pos(), QPoint(80 - t.width() - 3, 40 + (20 - t.height()) / 2));
        box.setTicketPosition(poTop);
        QCOMPARE(box.ticket()->pos(), QPoint(80, 40 - t.height() - 3));
        box.setTicketSpace(7);
        QCOMPARE(box.ticket()->pos(), QPoint(80, 40 - t.height() - 7));

        box.setParentControl(&other);
        QCOMPARE(box.ticket()->parentWidget(), &other);
        delete box.ticket(); // the box carries on without one
        QVERIFY(!box.ticket());
        box.setTicketPosition(poRight);
        QCOMPARE(box.ticketPosition(), poTop);
        box.setBounds(0, 0, 100, 20);
        box.setEnabled(false);
    }

    void designModeRenameCaptionsTheTicket() {
        TDefineComboBox box;
        box.setDesigning(true);
        box.setText(QStringLiteral("typed"));
        box.setName(QStringLiteral("FlatComboBox1"));
        QCOMPARE(box.ticket()->caption(), QStringLiteral("FlatComboBox1"));
        QCOMPARE(box.text(), QString());
        box.ticket()->setCaption(QStringLiteral("Fruit:"));
        box.setName(QStringLiteral("Fruits"));
        QCOMPARE(box.ticket()->caption(), QStringLiteral("Fruit:"));

        TDefineComboBox running;
        running.setText(QStringLiteral("typed"));
        running.setName(QStringLiteral("Box"));
        QCOMPARE(running.ticket()->caption(), QString());
        QCOMPARE(running.text(), QStringLiteral("typed"));
    }

    void layoutRoundTrip() {
        tk::TForm form;
        form.setName(QStringLiteral("Form1"));
        auto* box = new TDefineComboBox(&form, &form);
        box->setName(QStringLiteral("FlatComboBox1"));
        box->setBounds(40, 30, 150, 20);
        box->setComboStyle(tk::csDropDownList);
        box->setItems(Fruit);
        box->setItemIndex(1);
        const QString text = tk::writeLayout(&form);
        QVERIFY(text.contains(QLatin1String("object FlatComboBox1: TDefineComboBox\n")));
        const QString block = text.mid(text.indexOf(QLatin1String("object FlatComboBox1")));
        QVERIFY(!block.contains(QLatin1String("Color ="))); // it follows focus and hover
        QVERIFY(block.contains(QLatin1String("Version = '4.56.0.0'\n")));
        QVERIFY(block.contains(QLatin1String("Style = csDropDownList\n")));

        tk::TForm copy;
        tk::readLayout(&copy, text);
        auto* box2 = copy.findChild<TDefineComboBox*>(QStringLiteral("FlatComboBox1"));
        QVERIFY(box2);
        QCOMPARE(box2->geometry(), QRect(40, 30, 150, 20));
        QCOMPARE(box2->comboStyle(), tk::csDropDownList);
        QCOMPARE(box2->items(), Fruit);
        QCOMPARE(box2->itemIndex(), 1);
        QCOMPARE(box2->ticket()->parentWidget(), &copy);
        const QString again = tk::writeLayout(&copy);
        QCOMPARE(again.mid(again.indexOf(QLatin1String("object FlatComboBox1"))), block);
    }
};

ZARVIK_TEST_MAIN(TestFlatComboBox)
#include "tst_flatcombobox.moc"
