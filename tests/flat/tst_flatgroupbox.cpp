#include "Classes.h"
#include "Colors.h"
#include "FlatGroupBox.h"
#include "Form.h"
#include "Layout.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace flat;
using tk::TColor;

namespace {

using testsupport::rgbOf;

QImage shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Columns holding a pixel of colour `c` within rows [top, bottom).
std::pair<int, int> columnsOf(const QImage& img, QRgb c, int top, int bottom) {
    int first = img.width(), last = -1;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == c) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

QSize captionSize(const tk::Font& font, const QString& text) {
    QImage scratch(1, 1, QImage::Format_RGB32);
    tk::Canvas c(scratch);
    c.setFont(font);
    return {c.textWidth(text), c.textHeight(text)};
}

QStringList lines(int n) {
    QStringList l;
    for (int i = 0; i < n; ++i)
        l << QStringLiteral("Item %1").arg(i);
    return l;
}

// The main window's group: 174 x 65, Tahoma 14, on a parent of its own colour.
struct Frame {
    tk::TControl sheet;
    TFlatRadioGroup group{nullptr, &sheet};
    Frame() {
        sheet.setColor(tk::clWhite);
        sheet.setBounds(0, 0, 200, 100);
        group.setControlFont(tk::Font(QStringLiteral("Tahoma"), 14));
        group.setBounds(0, 0, 174, 65);
    }
};

} // namespace

class TestFlatGroupBox : public QObject {
    Q_OBJECT

private slots:
    void frameLineLeavesTheCaptionGap_data();
    void frameLineLeavesTheCaptionGap();
    void onlyTopLineDrawsNoSidesNorCorners();
    void captionPlacementAndLiteralAmpersand();
    void backgroundByStyleFaceAndTransparent();
    void acceleratorFocusesTheGroupBox();
    void alignedChildrenGoInsideTheFrame();
    void columnsAreClamped_data();
    void columnsAreClamped();
    void fiveItemsInTwoColumns();
    void anEmptyGroupRepaintsOnAFontChange();
    void itemIndexClampsAndClicks();
    void shrinkingItemsMovesItemIndexQuietly();
    void userPressOnItemClicksTheGroupThrice();
    void itemIndexChangedComesBeforeTheClicks();
    void onClickMayDropTheClickedItem();
    void itemButtonsAreRadioSiblings();
    void loadingClampsAStoredItemIndex();
};

void TestFlatGroupBox::frameLineLeavesTheCaptionGap_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("caption");
    QTest::newRow("left-cjk") << int(stLeft) << QStringLiteral("字典选择");
    QTest::newRow("left-empty") << int(stLeft) << QString();
    QTest::newRow("center") << int(stCenter) << QStringLiteral("Dictionary");
    QTest::newRow("right") << int(stRight) << QStringLiteral("Dictionary");
}

void TestFlatGroupBox::frameLineLeavesTheCaptionGap() {
    QFETCH(int, alignment);
    QFETCH(QString, caption);
    Frame f;
    f.group.setCaption(caption);
    f.group.setAlignment(TAlignmentText(alignment));
    const QImage img = shot(f.group);
    const QSize text = captionSize(f.group.controlFont(), caption);
    const int tw = text.width(), y = text.height() / 2;
    QCOMPARE(y, 8); // a 17-pixel line at 14 px
    const int gapStart = alignment == stLeft    ? 5
                         : alignment == stRight ? 174 - tw - 15
                                                : (174 - tw - 12) / 2;
    const int gapEnd = alignment == stLeft    ? tw + 12
                       : alignment == stRight ? 174 - 8
                                              : (174 + tw + 5) / 2;
    const QRgb border = rgbOf(f.group.colorBorder());

    // The polyline starts on the gap's first pixel and stops short of its last point.
    for (int x = 0; x <= gapStart; ++x)
        QCOMPARE(img.pixel(x, y), border);
    for (int x = gapStart + 1; x <= gapEnd; ++x)
        QVERIFY2(img.pixel(x, y) != border, qPrintable(QStringLiteral("x = %1").arg(x)));
    for (int x = gapEnd + 1; x < 174; ++x)
        QCOMPARE(img.pixel(x, y), border);
    for (int row = y; row < 65; ++row) {
        QCOMPARE(img.pixel(0, row), border);
        QCOMPARE(img.pixel(173, row), border);
    }
    for (int x = 0; x < 174; ++x)
        QCOMPARE(img.pixel(x, 64), border);
    QCOMPARE(img.pixel(0, y - 1), rgbOf(tk::clWhite)); // above the line: the background
    QCOMPARE(img.pixel(1, y + 1), rgbOf(tk::clWhite));
}

void TestFlatGroupBox::onlyTopLineDrawsNoSidesNorCorners() {
    Frame f;
    f.group.setBorder(brOnlyTopLine);
    const QImage img = shot(f.group);
    const QRgb border = rgbOf(f.group.colorBorder());
    const QRgb back = rgbOf(tk::clWhite);
    QCOMPARE(img.pixel(0, 8), back); // the left piece ends before the side
    QCOMPARE(img.pixel(1, 8), border);
    QCOMPARE(img.pixel(173, 8), border);
    QCOMPARE(img.pixel(0, 20), back);
    QCOMPARE(img.pixel(173, 20), back);
    QCOMPARE(img.pixel(80, 64), back);
}

void TestFlatGroupBox::captionPlacementAndLiteralAmpersand() {
    Frame f;
    const QRgb ink = rgbOf(tk::clWindowText);
    f.group.setCaption(QStringLiteral("HH"));
    const int hh = captionSize(f.group.controlFont(), QStringLiteral("HH")).width();
    auto [first, last] = columnsOf(shot(f.group), ink, 0, 17);
    QVERIFY2(first >= 10 && first <= 11, qPrintable(QString::number(first)));

    f.group.setAlignment(stRight); // the right edge 10 pixels inside
    std::tie(first, last) = columnsOf(shot(f.group), ink, 0, 17);
    QVERIFY2(last <= 174 - 11 && last >= 174 - 13, qPrintable(QString::number(last)));

    // "&" is shown as typed: the ink reaches past what "HH" alone covers.
    f.group.setAlignment(stLeft);
    f.group.setCaption(QStringLiteral("&HH"));
    std::tie(first, last) = columnsOf(shot(f.group), ink, 0, 17);
    QVERIFY(last > 10 + hh);
}

void TestFlatGroupBox::backgroundByStyleFaceAndTransparent() {
    Frame f;
    const QRgb inside = shot(f.group).pixel(30, 40);
    QCOMPARE(inside, rgbOf(tk::clWhite)); // Color taken from the parent

    f.group.setStyleFace(fsCustom); // the gradient, left to right
    QVERIFY(!f.group.transparent());
    QImage img = shot(f.group);
    QCOMPARE(img.pixel(1, 40), rgbOf(f.group.gradientStartColor()));
    QCOMPARE(img.pixel(172, 40), rgbOf(f.group.gradientStopColor()));

    // Even an unchanged fsDefault decides Transparent: with ParentColor off, the
    // parent's picture shows instead of Color.
    f.group.setStyleFace(fsDefault);
    QVERIFY(!f.group.transparent()); // ParentColor is still on
    f.group.setColor(tk::clRed);
    f.group.setStyleFace(fsDefault);
    QVERIFY(f.group.transparent());
    img = shot(f.group);
    QCOMPARE(img.pixel(30, 40), rgbOf(tk::clWhite));
    f.group.setTransparent(false);
    QCOMPARE(shot(f.group).pixel(30, 40), rgbOf(tk::clRed));
}

void TestFlatGroupBox::acceleratorFocusesTheGroupBox() {
    tk::TForm form;
    form.setBounds(0, 0, 300, 200);
    TFlatRadioGroup group(nullptr, &form);
    group.setCaption(QStringLiteral("&Group"));
    group.setItems({QStringLiteral("&One"), QStringLiteral("T&wo")});
    tk::TControl other(nullptr, &form);
    other.setBounds(250, 150, 20, 20);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    other.setFocus();
    QTRY_VERIFY(other.hasFocus());
    QTest::keyClick(&other, Qt::Key_G, Qt::AltModifier);
    QVERIFY(group.hasFocus());
    // Other characters reach the item buttons: their own accelerators work.
    QTest::keyClick(&group, Qt::Key_W, Qt::AltModifier);
    QVERIFY(group.buttons()[1]->hasFocus());
    QCOMPARE(group.itemIndex(), 1);
}

void TestFlatGroupBox::alignedChildrenGoInsideTheFrame() {
    Frame f;
    tk::TControl child(nullptr, &f.group);
    child.setAlign(tk::alClient);
    // Below a line of the font (17), then 1 pixel and 1 more for the 3-D look.
    QCOMPARE(child.geometry(), QRect(2, 19, 174 - 4, 65 - 17 - 4));
}

void TestFlatGroupBox::columnsAreClamped_data() {
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("kept");
    QTest::newRow("zero-gives-one") << 0 << 1;
    QTest::newRow("negative-gives-one") << -3 << 1;
    QTest::newRow("sixteen-stays") << 16 << 16;
    QTest::newRow("twenty-gives-sixteen") << 20 << 16;
}

void TestFlatGroupBox::columnsAreClamped() {
    QFETCH(int, written);
    QFETCH(int, kept);
    TFlatRadioGroup group;
    group.setColumns(written);
    QCOMPARE(group.columns(), kept);
}

void TestFlatGroupBox::fiveItemsInTwoColumns() {
    tk::TControl sheet;
    TFlatRadioGroup group(nullptr, &sheet); // 185 x 105
    group.setControlFont(tk::Font(QStringLiteral("Tahoma"), 13));
    group.setItems(lines(5));
    group.setColumns(2);
    // 3 per column; rows of (105 - 16 - 5) / 3 = 28 from 16 + 0 + TopOffset 5.
    const QList<QPoint> expected{{8, 21}, {8, 49}, {8, 77}, {95, 21}, {95, 49}};
    QCOMPARE(group.buttons().size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(group.buttons()[i]->pos(), expected[i]);
        QVERIFY(group.buttons()[i]->visible());
        QCOMPARE(group.buttons()[i]->caption(), QStringLiteral("Item %1").arg(i));
    }
    group.setTopOffset(0);
    QCOMPARE(group.buttons()[3]->pos(), QPoint(95, 16));
    group.setBounds(0, 0, 205, 105); // a resize re-arranges
    QCOMPARE(group.buttons()[3]->pos(), QPoint(105, 16));
}

// Regression: without items there was nothing to re-arrange, and nothing repainted the
// caption in its new font.
void TestFlatGroupBox::anEmptyGroupRepaintsOnAFontChange() {
    TFlatRadioGroup group;
    group.setCaption(QStringLiteral("Table"));
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    QCoreApplication::processEvents();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    group.installEventFilter(&counter);
    group.setControlFont(tk::Font(QStringLiteral("Tahoma"), 20));
    QTRY_VERIFY(counter.paints > 0);
}

void TestFlatGroupBox::itemIndexClampsAndClicks() {
    tk::TControl sheet;
    TFlatRadioGroup group(nullptr, &sheet);
    group.setItems(lines(3));
    int clicks = 0;
    QObject::connect(&group, &tk::TControl::OnClick, [&] { ++clicks; });
    group.setItemIndex(1); // the button's own two clicks reach the group
    QCOMPARE(clicks, 2);
    QVERIFY(group.buttons()[1]->isChecked());
    group.setItemIndex(99);
    QCOMPARE(group.itemIndex(), 2);
    QVERIFY(!group.buttons()[1]->isChecked());
    QCOMPARE(clicks, 4);
    group.setItemIndex(-5); // none, and quietly
    QCOMPARE(group.itemIndex(), -1);
    QVERIFY(!group.buttons()[2]->isChecked());
    QCOMPARE(clicks, 4);
    group.setEnabled(false); // the buttons follow the group
    QVERIFY(!group.buttons()[0]->enabled());
    group.setItemIndex(0);
    QCOMPARE(clicks, 5);
}

void TestFlatGroupBox::shrinkingItemsMovesItemIndexQuietly() {
    tk::TControl sheet;
    TFlatRadioGroup group(nullptr, &sheet);
    group.setItems(lines(5));
    group.setItemIndex(3);
    int clicks = 0;
    QObject::connect(&group, &tk::TControl::OnClick, [&] { ++clicks; });
    group.setItems(lines(2));
    QCOMPARE(group.itemIndex(), 1);
    QCOMPARE(group.buttons().size(), 2);
    QVERIFY(group.buttons()[1]->isChecked());
    group.setItems({});
    QCOMPARE(group.itemIndex(), -1);
    QVERIFY(group.buttons().isEmpty());
    QCOMPARE(clicks, 0);
}

void TestFlatGroupBox::userPressOnItemClicksTheGroupThrice() {
    tk::TForm form;
    form.setBounds(0, 0, 300, 200);
    TFlatRadioGroup group(nullptr, &form);
    group.setItems(lines(3));
    tk::TControl other(nullptr, &form);
    other.setBounds(250, 150, 20, 20);
    QList<int> seen;
    QObject::connect(&group, &tk::TControl::OnClick, [&] { seen << group.itemIndex(); });
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    other.setFocus();
    QTRY_VERIFY(other.hasFocus());
    QTest::mouseClick(group.buttons()[2], Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(seen, (QList<int>{2, 2, 2}));
    QTest::mouseClick(group.buttons()[2], Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(seen.size(), 4);
}

void TestFlatGroupBox::onClickMayDropTheClickedItem() {
    tk::TForm form;
    form.setBounds(0, 0, 300, 200);
    TFlatRadioGroup group(nullptr, &form);
    group.setItems(lines(3));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    int clicks = 0;
    QObject::connect(&group, &tk::TControl::OnClick, [&] {
        ++clicks;
        group.setItems(lines(1));
    });
    const QPointer<TDefineGroupButton> clicked = group.buttons()[2];
    QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(clicks >= 1);
    QCOMPARE(group.buttons().size(), 1);
    QCOMPARE(group.itemIndex(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(clicked.isNull());
    // The same through the focus: an item that takes the focus clicks itself.
    group.setItems(lines(3));
    const QPointer<TDefineGroupButton> focused = group.buttons()[2];
    focused->setFocus();
    QTRY_COMPARE(group.buttons().size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(focused.isNull());
}

void TestFlatGroupBox::itemButtonsAreRadioSiblings() {
    tk::TControl sheet;
    TFlatRadioGroup group(nullptr, &sheet);
    group.setItems(lines(2));
    group.setItemIndex(0);
    TFlatRadioButton extra(nullptr, &group); // a plain radio button inside the group
    extra.setChecked(true);
    QVERIFY(!group.buttons()[0]->isChecked());
    group.buttons()[1]->setChecked(true);
    QVERIFY(!extra.isChecked());
    QCOMPARE(group.itemIndex(), 1);
}

void TestFlatGroupBox::loadingClampsAStoredItemIndex() {
    registerFlatClasses();
    tk::TForm form;
    // ItemIndex comes before Items and names an item that does not exist.
    tk::readLayout(&form, QStringLiteral("object Form1: TForm\n"
                                         "  object Group: TFlatRadioGroup\n"
                                         "    Width = 185\n"
                                         "    ItemIndex = 7\n"
                                         "    Columns = 2\n"
                                         "    Items.Strings = (\n"
                                         "      'one'\n"
                                         "      'two'\n"
                                         "      'three')\n"
                                         "  end\n"
                                         "end\n"));
    auto* group = dynamic_cast<TFlatRadioGroup*>(form.findComponent(QStringLiteral("Group")));
    QVERIFY(group);
    QCOMPARE(group->itemIndex(), 2);
    QCOMPARE(group->buttons().size(), 3);
    QVERIFY(group->buttons()[2]->isChecked());
    QVERIFY(group->buttons()[2]->visible());
    QCOMPARE(group->buttons()[2]->x(), (185 - 10) / 2 + 8);
}

// One signal per change of ItemIndex, before the group's clicks; the quiet changes (a
// clamp, shorter Items) are told too, since the value changes.
void TestFlatGroupBox::itemIndexChangedComesBeforeTheClicks() {
    tk::TControl sheet;
    TFlatRadioGroup group(nullptr, &sheet);
    group.setItems(lines(3));
    QStringList log;
    QObject::connect(&group, &tk::TControl::OnClick, [&] { log << QStringLiteral("click"); });
    QObject::connect(&group, &TDefineRadioGroup::itemIndexChanged,
                     [&] { log << QStringLiteral("index %1").arg(group.itemIndex()); });
    QSignalSpy spy(&group, &TDefineRadioGroup::itemIndexChanged);
    group.setItemIndex(1);
    group.setItemIndex(1); // unchanged
    QCOMPARE(log, (QStringList{"index 1", "click", "click"}));
    group.buttons()[2]->click(); // checking it clicks twice, then its own click
    QCOMPARE(log.mid(3), (QStringList{"index 2", "click", "click", "click"}));
    group.setItems(lines(1));
    QCOMPARE(log.last(), QStringLiteral("index 0"));
    group.setItemIndex(-5);
    QCOMPARE(log.last(), QStringLiteral("index -1"));
    QCOMPARE(spy.count(), 4);
}

ZARVIK_TEST_MAIN(TestFlatGroupBox)
#include "tst_flatgroupbox.moc"
