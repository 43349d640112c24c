#include "Edit.h"
#include "Form.h"
#include "ImageList.h"
#include "Label.h"
#include "Layout.h"
#include "PageControl.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <memory>
#include <stdexcept>

using namespace tk;
using Position = TPageControl::TTabPosition;
using Style = TPageControl::TTabStyle;

namespace {

// The main window's page control: 192 x 208, Tahoma 14 px; the sheets belong to it.
void setUpPages(TPageControl& pc, const QStringList& captions) {
    pc.setControlFont(Font(QStringLiteral("Tahoma"), 14));
    pc.setBounds(1, 24, 192, 208);
    for (const QString& caption : captions) {
        auto* s = new TTabSheet(nullptr, &pc);
        s->setCaption(caption);
    }
}

QPoint centre(const Rect& r) {
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

// Records what the owner drawing is asked for.
class OwnerDrawnPages : public TPageControl {
public:
    using TPageControl::TPageControl;
    struct Call {
        int tab;
        Rect rect;
        bool selected;
    };
    QList<Call> calls;

protected:
    void drawTab(Canvas&, int tab, const Rect& r, bool selected) override {
        calls.append({tab, r, selected});
    }
};

} // namespace

class TestPageControl : public QObject {
    Q_OBJECT

private slots:
    void tabRectanglesAndPageAreaFollowTheFont_data();
    void tabRectanglesAndPageAreaFollowTheFont();
    void hiddenTabsTakeNoPlaceAndGapsHitNothing();
    void clickingATabSwitchesPagesAndRaisesTheEventsOnce();
    void focusInAPageThatGoesStaysOnTheControl();
    void arrowsStopAtTheEndsAndCtrlTabGoesRound();
    void imageListWidensTabsAndIsLetGoWhenDestroyed();
    void tabImagesFollowTheirSheets();
    void sheetGivenTheControlAsParentBecomesAPage();
    void removingTheActivePageActivatesTheNext();
    void layoutRoundTripKeepsPagesAndActivePage();
    void labelOnAPageNotShownIsFittedOnceShownOrRead();
    void ownerDrawAsksForEveryVisibleTabAtOneWidth();
    void selectedTabJoinsThePage();
};

void TestPageControl::tabRectanglesAndPageAreaFollowTheFont_data() {
    QTest::addColumn<Position>("position");
    QTest::addColumn<Rect>("tab0");
    QTest::addColumn<Rect>("tab1");
    QTest::addColumn<Rect>("area");
    // Tahoma 14 px: cell 17, so tabs 21 high; each caption is 28 wide, so tabs 40 wide.
    QTest::newRow("top") << Position::tpTop << Rect{2, 2, 42, 23} << Rect{42, 2, 82, 23}
                         << Rect{4, 25, 188, 204};
    QTest::newRow("bottom") << Position::tpBottom << Rect{2, 185, 42, 206} << Rect{42, 185, 82, 206}
                            << Rect{4, 4, 188, 183};
    QTest::newRow("left-column-as-wide-as-the-widest")
        << Position::tpLeft << Rect{2, 2, 42, 23} << Rect{2, 23, 42, 44} << Rect{44, 4, 188, 204};
    QTest::newRow("right") << Position::tpRight << Rect{150, 2, 190, 23} << Rect{150, 23, 190, 44}
                           << Rect{4, 4, 148, 204};
}

void TestPageControl::tabRectanglesAndPageAreaFollowTheFont() {
    QFETCH(Position, position);
    QFETCH(Rect, tab0);
    QFETCH(Rect, tab1);
    QFETCH(Rect, area);
    TPageControl pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    pc.setTabPosition(position);

    QCOMPARE(pc.tabCount(), 2);
    QCOMPARE(pc.tabRect(0), tab0);
    QCOMPARE(pc.tabRect(1), tab1);
    QCOMPARE(pc.tabRect(2), Rect{});
    QCOMPARE(pc.displayRect(), area);
    QCOMPARE(pc.adjustPageRect(Rect{10, 10, 202, 218}), area.translated(10, 10));
    QCOMPARE(Rect::fromQRect(pc.page(1)->geometry()), area);
    // The page area never turns inside out.
    QVERIFY(pc.adjustPageRect(Rect{0, 0, 5, 5}).isEmpty());
    QCOMPARE(pc.adjustPageRect(Rect{0, 0, 5, 5}).width(), 0);
}

void TestPageControl::hiddenTabsTakeNoPlaceAndGapsHitNothing() {
    TPageControl pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于"), QStringLiteral("帮助")});
    pc.page(1)->setTabVisible(false);

    QCOMPARE(pc.tabCount(), 2);
    QCOMPARE(pc.pageForTab(1), pc.page(2));
    QCOMPARE(pc.pageForTab(2), nullptr);
    QCOMPARE(pc.tabIndexOf(pc.page(1)), -1);
    QCOMPARE(pc.page(2)->tabIndex(), 1);
    QCOMPARE(pc.tabRect(1), (Rect{42, 2, 82, 23}));
    QCOMPARE(pc.tabAt(centre(pc.tabRect(1))), 1);
    QCOMPARE(pc.tabAt(QPoint(81, 22)), 1);
    QCOMPARE(pc.tabAt(QPoint(82, 10)), -1);  // right of the last tab
    QCOMPARE(pc.tabAt(QPoint(1, 10)), -1);   // the margin before the first
    QCOMPARE(pc.tabAt(QPoint(50, 100)), -1); // the page area

    // Buttons keep a gap between them, which belongs to no tab.
    pc.setStyle(Style::tsButtons);
    QCOMPARE(pc.tabRect(1), (Rect{45, 2, 85, 23}));
    QCOMPARE(pc.tabAt(QPoint(43, 10)), -1);
    QCOMPARE(pc.tabAt(QPoint(45, 10)), 1);
}

void TestPageControl::clickingATabSwitchesPagesAndRaisesTheEventsOnce() {
    QWidget window;
    window.resize(200, 240);
    TPageControl pc(nullptr, &window);
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    TTabSheet* first = pc.page(0);
    TTabSheet* second = pc.page(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(pc.activePage(), first); // the first page added shows at once

    int changing = 0, changed = 0;
    bool allow = true;
    TTabSheet* seenOnMouseDown = nullptr;
    QObject::connect(&pc, &tk::TPageControl::OnChanging, [&](bool& ok) {
        ++changing;
        ok = allow;
    });
    QObject::connect(&pc, &tk::TPageControl::OnChange, [&] { ++changed; });
    QObject::connect(&pc, &tk::TControl::OnMouseDown, [&](TMouseButton, TShiftState, int, int) {
        seenOnMouseDown = pc.activePage();
    });

    QTest::mouseClick(&pc, Qt::LeftButton, {}, centre(pc.tabRect(1)));
    QCOMPARE(changing, 1);
    QCOMPARE(changed, 1);
    QCOMPARE(pc.activePage(), second);
    QCOMPARE(seenOnMouseDown, second);
    QVERIFY(!second->isHidden());
    QVERIFY(first->isHidden());

    QTest::mouseClick(&pc, Qt::LeftButton, {}, centre(pc.tabRect(1))); // the selected tab
    QTest::mouseClick(&pc, Qt::RightButton, {}, centre(pc.tabRect(0)));
    QCOMPARE(changing, 1);
    QCOMPARE(changed, 1);

    allow = false;
    QTest::mouseClick(&pc, Qt::LeftButton, {}, centre(pc.tabRect(0)));
    QCOMPARE(changing, 2);
    QCOMPARE(changed, 1);
    QCOMPARE(pc.activePage(), second);

    // A change made by code is no user's choice: no events.
    pc.setActivePage(first);
    pc.setActivePageIndex(1);
    QCOMPARE(changing, 2);
    QCOMPARE(changed, 1);
    QCOMPARE(pc.activePage(), second);
}

void TestPageControl::focusInAPageThatGoesStaysOnTheControl() {
    QWidget window;
    window.resize(200, 240);
    TPageControl pc(nullptr, &window);
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    TCustomEdit onFirst(nullptr, pc.page(0));
    TCustomEdit onSecond(nullptr, pc.page(1));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    onFirst.setFocus();
    QTRY_VERIFY(onFirst.lineEdit()->hasFocus());

    pc.setActivePageIndex(1);
    QCOMPARE(QApplication::focusWidget(), &pc);
    QVERIFY(!onSecond.lineEdit()->hasFocus());
}

void TestPageControl::arrowsStopAtTheEndsAndCtrlTabGoesRound() {
    TPageControl pc;
    setUpPages(pc, {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")});
    pc.page(1)->setTabVisible(false);
    int changed = 0;
    QObject::connect(&pc, &tk::TPageControl::OnChange, [&] { ++changed; });

    int key = VK_RIGHT;
    pc.keyDown(key, {});
    QCOMPARE(key, 0);
    QCOMPARE(pc.activePage(), pc.page(2)); // over the hidden tab
    key = VK_RIGHT;
    pc.keyDown(key, {});
    QCOMPARE(pc.activePage(), pc.page(2));
    QCOMPARE(changed, 1);
    key = VK_LEFT;
    pc.keyDown(key, {});
    QCOMPARE(pc.activePage(), pc.page(0));
    QCOMPARE(changed, 2);

    pc.show();
    QVERIFY(QTest::qWaitForWindowActive(&pc));
    pc.setFocus();
    for (TTabSheet* expected : {pc.page(2), pc.page(0)}) { // over the hidden tab, round the end
        QTest::keyClick(&pc, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pc.activePage(), expected);
    }
    QTest::keyClick(&pc, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pc.activePage(), pc.page(2));
    QCOMPARE(changed, 5);
}

void TestPageControl::imageListWidensTabsAndIsLetGoWhenDestroyed() {
    TPageControl pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    auto list = std::make_unique<TImageList>();

    pc.setImages(list.get());
    QCOMPARE(pc.tabRect(0), (Rect{2, 2, 2 + 40 + 16 + 3, 23})); // 16 px images: cell still taller
    QCOMPARE(pc.tabRect(1).Left, 61);

    list->setSize(24, 24); // the control hears of the change
    QCOMPARE(pc.tabRect(0), (Rect{2, 2, 2 + 40 + 24 + 3, 2 + 24 + 4}));
    QCOMPARE(pc.displayRect().Top, 28 + 4);
    QCOMPARE(pc.page(0)->geometry().top(), 32);

    list.reset();
    QCOMPARE(pc.images(), nullptr);
    QCOMPARE(pc.tabRect(0), (Rect{2, 2, 42, 23}));
}

void TestPageControl::tabImagesFollowTheirSheets() {
    TPageControl pc;
    setUpPages(pc, {QStringLiteral("一"), QStringLiteral("二")});
    TTabSheet* second = pc.page(1);

    second->setImageIndex(4);
    QCOMPARE(pc.tabImageIndex(1), 4);
    pc.setTabImageIndex(1, 7); // the strip's image only
    QCOMPARE(pc.tabImageIndex(1), 7);
    QCOMPARE(second->imageIndex(), 4);

    // A tab shown again, or a re-created strip, takes the sheet's image again.
    second->setTabVisible(false);
    QCOMPARE(pc.tabImageIndex(1), -1);
    second->setTabVisible(true);
    QCOMPARE(pc.tabImageIndex(1), 4);
    pc.setTabImageIndex(1, 7);
    pc.setOwnerDraw(true);
    QCOMPARE(pc.tabImageIndex(1), 4);
}

void TestPageControl::sheetGivenTheControlAsParentBecomesAPage() {
    QWidget elsewhere;
    TPageControl pc;
    setUpPages(pc, {QStringLiteral("查询")});
    auto* sheet = new TTabSheet(nullptr, &elsewhere);
    sheet->setCaption(QStringLiteral("关于"));
    QCOMPARE(sheet->pageControl(), nullptr);
    QCOMPARE(sheet->pageIndex(), -1);

    sheet->setParentControl(&pc);
    QCOMPARE(pc.pageCount(), 2);
    QCOMPARE(sheet->pageControl(), &pc);
    QCOMPARE(sheet->pageIndex(), 1);
    QCOMPARE(Rect::fromQRect(sheet->geometry()), pc.displayRect());
    QVERIFY(sheet->isHidden()); // the first page stays the active one
    QCOMPARE(pc.activePage(), pc.page(0));
    QCOMPARE(sheet->color(), clBtnFace);
    QVERIFY(!sheet->parentColor());
    QCOMPARE(sheet->controlFont(), pc.controlFont());

    sheet->setPageIndex(0);
    QCOMPARE(pc.pageForTab(0), sheet);
    QCOMPARE(pc.tabRect(0), (Rect{2, 2, 42, 23}));

    sheet->setParentControl(nullptr);
    QCOMPARE(pc.pageCount(), 1);
    sheet->setParentControl(&elsewhere);
    // A page of another control cannot become the active page.
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, pc.setActivePage(sheet));
    delete sheet;
}

void TestPageControl::removingTheActivePageActivatesTheNext() {
    TPageControl pc;
    setUpPages(pc, {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")});
    pc.page(1)->setTabVisible(false);
    TTabSheet* last = pc.page(2);
    int changed = 0;
    QObject::connect(&pc, &tk::TPageControl::OnChange, [&] { ++changed; });

    delete pc.page(0); // the next page with a visible tab takes over
    QCOMPARE(pc.pageCount(), 2);
    QCOMPARE(pc.activePage(), last);
    QVERIFY(!last->isHidden());
    delete last; // only a page without a tab is left
    QCOMPARE(pc.activePage(), nullptr);
    QCOMPARE(pc.tabCount(), 0);
    QCOMPARE(changed, 0);
}

void TestPageControl::layoutRoundTripKeepsPagesAndActivePage() {
    registerLayoutClass<TForm>();
    registerPageControlClasses();
    QString text;
    {
        TForm form;
        form.setName(QStringLiteral("Form1"));
        auto* list = new TImageList(&form);
        list->setName(QStringLiteral("ImageList1"));
        list->setSize(20, 18);
        auto* pc = new TPageControl(&form, &form);
        pc->setName(QStringLiteral("Pages1"));
        pc->setTabPosition(Position::tpBottom);
        pc->setImages(list);
        for (const char* name : {"Sheet1", "Sheet2"}) {
            auto* s = new TTabSheet(&form, pc);
            s->setName(QString::fromLatin1(name));
            s->setCaption(QString::fromLatin1(name).toLower());
        }
        pc->setActivePage(pc->page(1));
        text = writeLayout(&form);
    }
    QVERIFY2(text.contains(QLatin1String("ActivePage = Sheet2")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Images = ImageList1")), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("PageIndex")), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("ActivePageIndex")), qPrintable(text));

    TForm form;
    readLayout(&form, text);
    auto* pc = qobject_cast<TPageControl*>(form.findComponent(QStringLiteral("Pages1"))->object());
    QVERIFY(pc);
    QCOMPARE(pc->pageCount(), 2);
    QCOMPARE(pc->page(0)->name(), QStringLiteral("Sheet1"));
    QCOMPARE(pc->page(1)->caption(), QStringLiteral("sheet2"));
    QCOMPARE(pc->activePage(), pc->page(1));
    QVERIFY(pc->page(0)->isHidden());
    QCOMPARE(pc->tabPosition(), Position::tpBottom);
    QVERIFY(pc->images());
    QCOMPARE(pc->images()->width(), 20);
    QCOMPARE(Rect::fromQRect(pc->page(0)->geometry()), pc->displayRect());
}

// A label on the page not shown waits with fitting its bounds to its caption until the page
// shows or a screen reader listens; on the page shown it is fitted as it is read.
void TestPageControl::labelOnAPageNotShownIsFittedOnceShownOrRead() {
    registerLayoutClass<TForm>();
    registerLayoutClass<TLabel>();
    registerPageControlClasses();
    const QString text =
        QStringLiteral("object Form1: TForm\n  ClientWidth = 300\n  ClientHeight = 200\n"
                       "  object Pages1: TPageControl\n    Width = 300\n    Height = 200\n"
                       "    ActivePage = Sheet1\n"
                       "    object Sheet1: TTabSheet\n      Caption = 'one'\n"
                       "      object Shown: TLabel\n        Width = 5\n        Height = 5\n"
                       "        Caption = '仓颉字典，二点二。'\n      end\n    end\n"
                       "    object Sheet2: TTabSheet\n      Caption = 'two'\n"
                       "      object Waiting: TLabel\n        Width = 5\n        Height = 5\n"
                       "        Caption = '仓颉字典，二点二。'#13#10'第二行'\n      end\n    end\n"
                       "  end\nend\n");
    const auto labelIn = [](TForm& form, const char* name) {
        return qobject_cast<TLabel*>(form.findComponent(QString::fromLatin1(name))->object());
    };
    const auto fitted = [](const TLabel* l) {
        TLabel fresh;
        fresh.setFont(l->font());
        fresh.setCaption(l->caption());
        return fresh.size();
    };
    {
        TForm form;
        readLayout(&form, text);
        TLabel* shown = labelIn(form, "Shown");
        TLabel* waiting = labelIn(form, "Waiting");
        QCOMPARE(shown->size(), fitted(shown));
        form.show();
        QCOMPARE(waiting->size(), QSize(5, 5));
        auto* pc =
            qobject_cast<TPageControl*>(form.findComponent(QStringLiteral("Pages1"))->object());
        pc->setActivePage(pc->page(1));
        QCOMPARE(waiting->size(), fitted(waiting));
        QVERIFY(fitted(waiting).height() > fitted(shown).height()); // two lines, so it grew
    }
    {
        TForm form;
        readLayout(&form, text);
        TLabel* waiting = labelIn(form, "Waiting");
        QCOMPARE(waiting->size(), QSize(5, 5));
        // Qt's own switch: the offscreen platform has no accessibility bridge to turn it on.
        QAccessible::setActive(true);
        const bool wasFitted = waiting->size() == fitted(waiting);
        QAccessible::setActive(false);
        QVERIFY(wasFitted);
    }
}

void TestPageControl::ownerDrawAsksForEveryVisibleTabAtOneWidth() {
    OwnerDrawnPages pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("x"), QStringLiteral("关于帮助")});
    pc.page(1)->setTabVisible(false);
    pc.setActivePageIndex(2);
    pc.setOwnerDraw(true);
    QCOMPARE(pc.tabRect(0).width(), pc.tabRect(1).width()); // fixed-size tabs
    QCOMPARE(pc.tabRect(1).width(), 56 + 12);

    pc.grab();
    QCOMPARE(pc.calls.size(), 2);
    QCOMPARE(pc.calls[0].tab, 0);
    QCOMPARE(pc.calls[0].rect, pc.tabRect(0));
    QVERIFY(!pc.calls[0].selected);
    QCOMPARE(pc.calls[1].tab, 1); // the selected tab comes last
    QVERIFY(pc.calls[1].selected);
}

void TestPageControl::selectedTabJoinsThePage() {
    TPageControl pc;
    setUpPages(pc, {QStringLiteral("查询"), QStringLiteral("关于")});
    pc.page(0)->setColor(clWhite);
    const QImage img = pc.grab().toImage();
    const QRgb shadow = toQRgb(clBtnShadow), white = qRgb(255, 255, 255);
    // The frame line runs at row 21; under the selected tab it takes the page's colour.
    QCOMPARE(img.pixel(60, 21), shadow);
    QCOMPARE(img.pixel(20, 21), white);
    QCOMPARE(img.pixel(20, 100), white); // inside the frame: the page's colour
    // The selected tab stands two pixels higher than the others.
    QCOMPARE(img.pixel(20, 0), shadow);
    QCOMPARE(img.pixel(60, 0), toQRgb(clBtnFace));
    QCOMPARE(img.pixel(60, 2), shadow);
}

ZARVIK_TEST_MAIN(TestPageControl)
#include "tst_pagecontrol.moc"
