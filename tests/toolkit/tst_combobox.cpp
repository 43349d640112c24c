#include "Canvas.h"
#include "Classes.h"
#include "ComboBox.h"
#include "Form.h"
#include "Layout.h"
#include "Navigation.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>

using namespace tk;

namespace {

// A combo box that logs its hooks and events in the order they come.
class Recorder : public TCustomComboBox {
public:
    explicit Recorder(QWidget* parent = nullptr) : TCustomComboBox(nullptr, parent) {
        connect(this, &TControl::OnClick, [this] { log << "click"; });
        connect(this, &TCustomComboBox::OnSelect, [this] { log << "select"; });
        connect(this, &TCustomComboBox::OnChange, [this] { log << "change:" + text(); });
        connect(this, &TCustomComboBox::OnDropDown, [this] { log << "dropdown"; });
        connect(this, &TCustomComboBox::OnCloseUp, [this] { log << "closeup"; });
    }
    QStringList log;
    struct Drawn {
        int index;
        QRect rect;
        bool selected;
    };
    QList<Drawn> drawn;
    std::function<QRect()> fieldRect;
    bool fillGreenOutside = false;

    using TCustomComboBox::setCustomFrame;
    QRect editFieldRect() const override {
        return fieldRect ? fieldRect() : TCustomComboBox::editFieldRect();
    }

protected:
    void focusGained() override { log << "focus"; }
    void focusLost() override { log << "blur"; }
    void mouseEnter() override { log << "mouseenter"; }
    void mouseLeave() override { log << "mouseleave"; }
    void drawItem(Canvas& c, int index, const Rect& r, bool selected) override {
        drawn.append({index, r.toQRect(), selected});
        c.fillRect(r, clRed);
    }
    void measureItem(int index, int& height) override { height = 10 + index; }
    void paint(Canvas& c) override {
        if (fillGreenOutside) c.fillRect(Rect{0, 0, width(), height()}, clLime);
    }
};

constexpr auto grab = &testsupport::picture;

const QStringList Fruit = {QStringLiteral("apple"), QStringLiteral("banana"),
                           QStringLiteral("cherry")};

} // namespace

class TestComboBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        registerToolkitClasses();
        registerComboBoxClasses();
    }

    void itemsKeepTheirValues() {
        TComboBox box;
        QCOMPARE(box.addItem(QStringLiteral("red"), clRed), 0);
        QCOMPARE(box.addItem(QStringLiteral("navy"), clNavy), 1);
        box.setItemValue(1, clBlue);
        QCOMPARE(box.itemValue(0), qint64(clRed));
        QCOMPARE(box.itemValue(1), qint64(clBlue));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, box.itemValue(2));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, box.setItemValue(-1, 0));

        box.setItemIndex(1);
        box.setSorted(true); // navy before red, the selection and the values go along
        QCOMPARE(box.items(), QStringList({"navy", "red"}));
        QCOMPARE(box.itemIndex(), 0);
        QCOMPARE(box.itemValue(0), qint64(clBlue));
        QCOMPARE(box.addItem(QStringLiteral("Olive"), clOlive), 1); // case-insensitive order
        QCOMPARE(box.itemIndex(), 0);
        QVERIFY_THROWS_EXCEPTION(std::logic_error, box.insertItem(0, QStringLiteral("x")));
        box.deleteItem(0); // the selected one: nothing is selected then
        QCOMPARE(box.itemIndex(), -1);
        QCOMPARE(box.indexOfItem(QStringLiteral("RED")), 1);
    }

    void programChangesRaiseNothing_data() {
        QTest::addColumn<int>("style");
        QTest::newRow("dropdown") << int(csDropDown);
        QTest::newRow("simple") << int(csSimple);
        QTest::newRow("dropdownlist") << int(csDropDownList);
        QTest::newRow("ownerdraw-fixed") << int(csOwnerDrawFixed);
        QTest::newRow("ownerdraw-variable") << int(csOwnerDrawVariable);
    }
    void programChangesRaiseNothing() {
        QFETCH(int, style);
        Recorder box;
        box.setComboStyle(TComboBoxStyle(style));
        box.setItems(Fruit);
        QCOMPARE(box.itemIndex(), -1); // filling a list selects nothing
        box.setItemIndex(2);
        QCOMPARE(box.text(), QStringLiteral("cherry"));
        box.setItemIndex(7); // outside the list: none
        QCOMPARE(box.itemIndex(), -1);
        box.setText(QStringLiteral("BANANA"));
        if (box.isEditable()) {
            QCOMPARE(box.itemIndex(), -1);
            QCOMPARE(box.text(), QStringLiteral("BANANA"));
            box.addItem(QStringLiteral("date")); // the typed text survives item changes
            box.deleteItem(0);
            QCOMPARE(box.text(), QStringLiteral("BANANA"));
        } else {
            QCOMPARE(box.itemIndex(), 1);
            QCOMPARE(box.text(), QStringLiteral("banana"));
        }
        box.setItemIndex(0);
        box.setSorted(true);
        QCOMPARE(box.log, QStringList());
    }

    void sortingSetsTheFieldAnewEachTime() {
        TComboBox box;
        box.setItems({QStringLiteral("b"), QStringLiteral("a")});
        box.setItemIndex(1);
        QLineEdit* field = box.comboBox()->lineEdit();
        // The first sort moves the selected item, the second leaves it where it is.
        for (const QString& typed : {QStringLiteral("aq"), QStringLiteral("aqr")}) {
            QTest::keyClick(field, Qt::Key_End);
            QTest::keyClicks(field, typed.right(1));
            field->setCursorPosition(1);
            box.setSorted(true);
            QCOMPARE(field->text(), typed);
            QCOMPARE(field->cursorPosition(), typed.size());
            box.setSorted(false);
        }
    }

    void userSelectionRaisesClickSelectChange_data() {
        QTest::addColumn<int>("style");
        QTest::newRow("dropdown") << int(csDropDown);
        QTest::newRow("dropdownlist") << int(csDropDownList);
        QTest::newRow("ownerdraw-fixed") << int(csOwnerDrawFixed);
    }
    void userSelectionRaisesClickSelectChange() {
        QFETCH(int, style);
        TForm form;
        Recorder box(&form);
        box.setComboStyle(TComboBoxStyle(style));
        box.setItems(Fruit);
        box.setItemIndex(0);
        form.setBounds(0, 0, 200, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        box.setFocus();
        QTRY_VERIFY(box.hasFocus());
        box.log.clear();
        // The arrows stay with the box instead of moving the focus.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(box.hasFocus());
        QCOMPARE(box.itemIndex(), 1);
        QCOMPARE(box.log, QStringList({"click", "select", "change:banana"}));
        if (box.isEditable()) {
            box.log.clear();
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("xy"));
            QCOMPARE(box.log, QStringList({"change:bananax", "change:bananaxy"}));
        }
    }

    void stylesDecideTheTextFieldAndList_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("listAlwaysShown");
        QTest::newRow("dropdown") << int(csDropDown) << true << false;
        QTest::newRow("simple") << int(csSimple) << true << true;
        QTest::newRow("dropdownlist") << int(csDropDownList) << false << false;
        QTest::newRow("ownerdraw-fixed") << int(csOwnerDrawFixed) << false << false;
        QTest::newRow("ownerdraw-variable") << int(csOwnerDrawVariable) << false << false;
    }
    void stylesDecideTheTextFieldAndList() {
        QFETCH(int, style);
        QFETCH(bool, editable);
        QFETCH(bool, listAlwaysShown);
        QWidget window;
        Recorder box(&window);
        box.setItems(Fruit);
        box.setItemIndex(1);
        box.setComboStyle(TComboBoxStyle(style));
        box.setBounds(0, 0, 120, 80);
        window.show();
        QCOMPARE(box.editField() != nullptr, editable);
        QCOMPARE(testsupport::acceptsInputMethod(box), editable); // where text is typed
        box.setImeMode(imDisable);
        QVERIFY(!testsupport::acceptsInputMethod(box));
        QCOMPARE(box.text(), QStringLiteral("banana")); // kept across the change of style
        QCOMPARE(box.dialogCode() & (DLGC_WANTARROWS | DLGC_WANTCHARS),
                 DLGC_WANTARROWS | DLGC_WANTCHARS);
        if (editable) QCOMPARE(box.editField()->geometry(), box.editFieldRect());
        QCOMPARE(box.listView()->isVisible(), listAlwaysShown);
        box.setDroppedDown(true);
        QCOMPARE(box.droppedDown(), !listAlwaysShown);
        box.setDroppedDown(false);
        QCOMPARE(box.log, listAlwaysShown ? QStringList() : QStringList({"dropdown", "closeup"}));

        // Into and out of the simple style: the permanent list comes and goes with it.
        box.setComboStyle(listAlwaysShown ? csDropDownList : csSimple);
        QCOMPARE(box.listView()->isVisible(), !listAlwaysShown);
        QCOMPARE(box.editField() != nullptr, !listAlwaysShown);
        QCOMPARE(box.text(), QStringLiteral("banana"));
        QVERIFY(!testsupport::acceptsInputMethod(box)); // nor in a new text field
        if (listAlwaysShown) return;
        // A click on a row of the list that is always shown is the user's pick.
        box.log.clear();
        QAbstractItemView* list = box.listView();
        const QPoint row = list->visualRect(list->model()->index(2, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QCOMPARE(box.log, QStringList({"click", "select", "change:cherry"}));
    }

    void dropDownEventsFrameTheList() {
        QWidget window;
        Recorder box(&window);
        box.setComboStyle(csDropDownList);
        // An empty list does not open, but the handler may still fill it first.
        bool fill = false;
        QObject::disconnect(&box, &tk::TCustomComboBox::OnDropDown, nullptr, nullptr);
        QObject::connect(&box, &tk::TCustomComboBox::OnDropDown, [&] {
            box.log << "dropdown";
            if (fill) box.setItems(Fruit);
        });
        window.show();
        box.setDroppedDown(true);
        QVERIFY(!box.droppedDown());
        fill = true;
        box.setDroppedDown(true);
        QVERIFY(box.droppedDown());
        QVERIFY(box.listView()->isVisible());
        box.setDroppedDown(true); // already open: nothing
        QCOMPARE(box.log, QStringList({"dropdown", "dropdown"}));
        box.log.clear();

        // A pick with the mouse closes the list, then changes the selection.
        QAbstractItemView* view = box.listView();
        const QRect row = view->visualRect(view->model()->index(2, 0));
        QTest::mouseMove(view->viewport(), row.center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
        QTRY_VERIFY(!box.droppedDown());
        QCOMPARE(box.log, QStringList({"closeup", "click", "select", "change:cherry"}));

        // The list drops below the box with DropDownCount rows.
        fill = false;
        box.setItems(QStringList(12, QStringLiteral("x")));
        box.setDropDownCount(5);
        box.setDroppedDown(true);
        QCOMPARE(view->indexAt(QPoint(2, view->viewport()->height() - 1)).row(), 4);
        // Below the box rather than over it (Qt lets it share the box's last pixel row).
        QCOMPARE(view->window()->geometry().top(),
                 box.mapToGlobal(QPoint(0, box.height() - 1)).y());
        box.setDroppedDown(false);
    }

    void ownerDrawGetsItemRectangles() {
        QWidget window;
        Recorder box(&window);
        box.setComboStyle(csOwnerDrawFixed);
        box.setItemHeight(15);
        box.setItems(Fruit);
        box.setItemIndex(1);
        box.setBounds(0, 0, 120, 22);
        window.show();

        const QImage closed = grab(box);
        QVERIFY(!box.drawn.isEmpty());
        QCOMPARE(box.drawn.last().index, 1);
        QCOMPARE(box.drawn.last().rect, box.editFieldRect());
        QVERIFY(!box.drawn.last().selected); // not focused
        const QPoint mid = box.editFieldRect().center();
        QCOMPARE(closed.pixel(mid), qRgb(255, 0, 0));

        for (int style : {int(csOwnerDrawFixed), int(csOwnerDrawVariable)}) {
            box.setComboStyle(TComboBoxStyle(style));
            box.setDroppedDown(true);
            QAbstractItemView* view = box.listView();
            box.drawn.clear();
            view->viewport()->grab();
            int top = 0;
            for (int i = 0; i < 3; ++i) {
                const int h = style == csOwnerDrawFixed ? 15 : 10 + i;
                const auto it =
                    std::find_if(box.drawn.cbegin(), box.drawn.cend(),
                                 [i](const Recorder::Drawn& d) { return d.index == i; });
                QVERIFY2(it != box.drawn.cend(), qPrintable(QStringLiteral("row %1").arg(i)));
                QCOMPARE(it->rect, QRect(0, top, view->viewport()->width(), h));
                QCOMPARE(it->selected, i == 1); // the list opens on the selected item
                top += h;
            }
            box.setDroppedDown(false);
        }
    }

    void colourFillsTextAreaAndList_data() {
        QTest::addColumn<int>("style");
        QTest::newRow("dropdown") << int(csDropDown);
        QTest::newRow("simple") << int(csSimple);
        QTest::newRow("dropdownlist") << int(csDropDownList);
    }
    void colourFillsTextAreaAndList() {
        QFETCH(int, style);
        QWidget window;
        TComboBox box(nullptr, &window);
        box.setComboStyle(TComboBoxStyle(style));
        box.setItems({QStringLiteral("a"), QStringLiteral("b")});
        box.setItemIndex(0);
        box.setBounds(0, 0, 120, 60);
        box.setColor(clYellow);
        window.show();
        const QRect field = box.editFieldRect();
        const QPoint spot(field.right() - 2, field.center().y()); // beside the text
        QCOMPARE(grab(box).pixel(spot), qRgb(255, 255, 0));

        box.setDroppedDown(true);
        QAbstractItemView* list = box.listView();
        QCOMPARE(list->palette().color(QPalette::Base), QColor(255, 255, 0));
        const QRect unselected = list->visualRect(list->model()->index(1, 0));
        const QImage rows =
            list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(rows.pixel(unselected.right() - 2, unselected.center().y()), qRgb(255, 255, 0));
        box.setDroppedDown(false);
    }

    void customFrameLeavesAllButTheFieldToTheControl() {
        QWidget window;
        Recorder box(&window);
        box.fillGreenOutside = true;
        box.setCustomFrame(true);
        // As the flat box has it: the field inside a 3-pixel frame, left of a 16-pixel arrow area.
        box.fieldRect = [&] { return QRect(3, 3, box.width() - 16 - 8, box.height() - 6); };
        box.setBounds(0, 0, 120, 20);
        box.setColor(clWhite);
        window.show();
        QCOMPARE(box.editField()->geometry(), QRect(3, 3, 96, 14));
        box.setBounds(0, 0, 140, 24);
        QCOMPARE(box.editField()->geometry(), QRect(3, 3, 116, 18));
        QImage img = grab(box);
        QCOMPARE(img.pixel(1, 12), qRgb(0, 255, 0));   // frame
        QCOMPARE(img.pixel(130, 12), qRgb(0, 255, 0)); // arrow area
        QCOMPARE(img.pixel(110, 12), qRgb(255, 255, 255));

        box.setComboStyle(csDropDownList);
        box.setItems(Fruit);
        box.setItemIndex(0);
        img = grab(box);
        QCOMPARE(img.pixel(1, 12), qRgb(0, 255, 0));
        QCOMPARE(img.pixel(110, 12), qRgb(255, 255, 255)); // right of "apple", inside the field
        QCOMPARE(img.pixel(119, 12), qRgb(0, 255, 0));     // just right of the field
    }

    void innerFocusAndMouseReachTheControl() {
        TForm form;
        Recorder box(&form), other(&form);
        other.setBounds(0, 40, 100, 21);
        form.setBounds(0, 0, 200, 100);
        box.setItems(Fruit);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::mouseMove(box.editField(), QPoint(5, 5));
        QTest::mouseMove(&form, QPoint(150, 90)); // away from the box
        QTRY_VERIFY(!box.underMouse());
        other.setFocus();
        QTRY_VERIFY(other.hasFocus());
        box.log.clear();
        box.setFocus();
        QTRY_COMPARE(box.log, QStringList({"focus"}));
        QCOMPARE(FocusTracker::activeControl(&form), &box);
        box.setDroppedDown(true); // the list takes Qt's focus, not the platform's
        box.setDroppedDown(false);
        QCOMPARE(box.log, QStringList({"focus", "dropdown", "closeup"}));
        other.setFocus();
        QTRY_COMPARE(box.log, QStringList({"focus", "dropdown", "closeup", "blur"}));
        QCOMPARE(FocusTracker::activeControl(&form), &other);

        box.log.clear();
        QTest::mouseMove(box.editField(), QPoint(5, 5));
        QTRY_COMPARE(box.log, QStringList({"mouseenter"}));
        QObject::connect(&box, &tk::TControl::OnMouseDown,
                         [&](TMouseButton, TShiftState, int x, int y) {
                             box.log << QStringLiteral("down %1,%2").arg(x).arg(y);
                         });
        QTest::mousePress(box.editField(), Qt::LeftButton, {}, QPoint(5, 6));
        QTest::mouseRelease(box.editField(), Qt::LeftButton, {}, QPoint(5, 6));
        const QPoint at = box.editField()->pos() + QPoint(5, 6); // in the box's coordinates
        QCOMPARE(box.log.last(), QStringLiteral("down %1,%2").arg(at.x()).arg(at.y()));
        box.log.removeLast();
        QTest::mouseMove(&form, QPoint(150, 90));
        QTRY_COMPARE(box.log, QStringList({"mouseenter", "mouseleave"}));
    }

    void layoutRoundTrip() {
        TForm form;
        form.setName(QStringLiteral("Form1"));
        auto* box = new TComboBox(&form);
        box->setName(QStringLiteral("ComboBox1"));
        box->setLayoutParent(&form);
        box->setComboStyle(csDropDownList);
        box->setDropDownCount(5);
        box->setItems({QStringLiteral("same"), QStringLiteral("same"), QStringLiteral("it's")});
        box->setItemIndex(1); // the second of two equal texts: Text must not move it
        const QString text = writeLayout(&form);
        QVERIFY2(text.contains(QStringLiteral("Style = csDropDownList")), qPrintable(text));

        TForm copy;
        readLayout(&copy, text);
        auto* read = dynamic_cast<TComboBox*>(copy.findComponent(QStringLiteral("ComboBox1")));
        QVERIFY(read);
        QCOMPARE(read->comboStyle(), csDropDownList);
        QCOMPARE(read->dropDownCount(), 5);
        QCOMPARE(read->items(), box->items());
        QCOMPARE(read->itemIndex(), 1);
        // The forms' own settings are not this test's business; the box's entry is.
        const auto entry = [](const QString& layout) {
            return layout.mid(layout.indexOf(QStringLiteral("object ComboBox1")));
        };
        QCOMPARE(entry(writeLayout(&copy)), entry(text));
    }
};

ZARVIK_TEST_MAIN(TestComboBox)
#include "tst_combobox.moc"
