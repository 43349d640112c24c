#include "Classes.h"
#include "FlatLabel.h"
#include "FlatPanel.h"
#include "FlatUtils.h"
#include "Form.h"
#include "Geometry.h"
#include "Layout.h"
#include "Registration.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QPointer>
#include <QTest>
#include <limits>
#include <memory>

using namespace flat;

namespace {

class TTestForm : public tk::TForm {
    Q_OBJECT
public:
    explicit TTestForm(tk::Component* owner = nullptr) : tk::TForm(owner) {
        setName(QStringLiteral("Form1"));
    }
};

using testsupport::tahoma;

// A parent whose font the ticket takes (tickets follow their parent's font).
std::unique_ptr<TFlatPanel> host(int fontPx) {
    auto p = std::make_unique<TFlatPanel>();
    p->setBounds(0, 0, 300, 250);
    p->setControlFont(tahoma(fontPx));
    return p;
}

} // namespace

class TestFlatLabel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void placeTicket_data();
    void placeTicket();
    void newLabelOwnsAnEmptyTicketWithoutParent();
    void heightIsTheFontCellPlusSix_data();
    void heightIsTheFontCellPlusSix();
    void fontChangeWhileDesigningAndLoadingWaitsForLoaded();
    void ticketStandsBesideTheLabelAsInTheMainWindow();
    void ticketFollowsMovesPositionAndSpace();
    void ticketCaptionChangePlacesItAgain();
    void ticketFollowsVisibleEnabledAndDirection();
    void reparentingTakesTheTicketAlong();
    void destroyedTicketLeavesTheLabelWorking();
    void labelDestroysItsTicket();
    void parentDestroyedWithLabelAndTicketInside();
    void designModeNamingRule();
    void layoutRoundTripKeepsVersionAndTicket();
};

void TestFlatLabel::initTestCase() {
    registerFlatClasses();
}

void TestFlatLabel::placeTicket_data() {
    testsupport::addColumns<TTicketPosition, QRect, QSize, int, QPoint>(
        {"position", "control", "ticket", "space", "expected"});
    QTest::newRow("left-centred") << poLeft << QRect(15, 15, 81, 22) << QSize(4, 17) << 3
                                  << QPoint(8, 17);
    QTest::newRow("left-main-window-label")
        << poLeft << QRect(80, 159, 101, 20) << QSize(4, 17) << 3 << QPoint(73, 160);
    QTest::newRow("top-bottom-edge-3-above")
        << poTop << QRect(80, 159, 101, 20) << QSize(30, 17) << 3 << QPoint(80, 139);
    QTest::newRow("right") << poRight << QRect(15, 15, 81, 22) << QSize(4, 17) << 3
                           << QPoint(99, 17);
    QTest::newRow("bottom") << poBottom << QRect(15, 15, 81, 22) << QSize(4, 17) << 3
                            << QPoint(15, 40);
    QTest::newRow("taller-by-3-starts-1-above")
        << poLeft << QRect(50, 50, 20, 14) << QSize(4, 17) << 3 << QPoint(43, 49);
    QTest::newRow("taller-by-1-truncates-to-top")
        << poRight << QRect(50, 50, 20, 16) << QSize(4, 17) << 0 << QPoint(70, 50);
    QTest::newRow("shorter-by-3-odd-pixel-below")
        << poLeft << QRect(50, 50, 20, 20) << QSize(4, 17) << 0 << QPoint(46, 51);
    QTest::newRow("negative-space-overlaps")
        << poBottom << QRect(15, 15, 81, 22) << QSize(4, 17) << -5 << QPoint(15, 32);
    // To the edge of the controls' coordinates, which every control keeps to.
    QTest::newRow("huge-space-clamps")
        << poRight << QRect(15, 15, 81, 22) << QSize(4, 17) << std::numeric_limits<int>::max()
        << QPoint(tk::MaxCoordinate, 17);
}

void TestFlatLabel::placeTicket() {
    QFETCH(TTicketPosition, position);
    QFETCH(QRect, control);
    QFETCH(QSize, ticket);
    QFETCH(int, space);
    QFETCH(QPoint, expected);
    tk::TControl parent;
    tk::TControl c(nullptr, &parent);
    c.setBounds(control.x(), control.y(), control.width(), control.height());
    tk::TControl t(nullptr, &parent);
    t.setBounds(0, 0, ticket.width(), ticket.height());

    PlaceTicket(position, c, t, space);

    QCOMPARE(t.pos(), expected);
    QCOMPARE(t.size(), ticket);
}

void TestFlatLabel::newLabelOwnsAnEmptyTicketWithoutParent() {
    TFlatLabel label;
    TDefineTicket* t = label.ticket();
    QVERIFY(t);
    QCOMPARE(t->name(), QStringLiteral("Ticket"));
    QVERIFY(t->isSubComponent());
    QCOMPARE(t->owner(), &label);
    QVERIFY(t->caption().isEmpty());
    QVERIFY(t->autoSize());
    QVERIFY(t->transparent());
    QCOMPARE(t->focusControl(), &label);
    QVERIFY(!t->parentWidget());
    QCOMPARE(label.property("Ticket").value<QObject*>(), t);
    QCOMPARE(label.ticketPosition(), poLeft);
    QCOMPARE(label.ticketSpace(), 3);
    QCOMPARE(label.width(), 121);
}

void TestFlatLabel::heightIsTheFontCellPlusSix_data() {
    QTest::addColumn<int>("px");
    QTest::addColumn<int>("height");
    QTest::newRow("tahoma-11") << 11 << 19;
    QTest::newRow("tahoma-12-main-window") << 12 << 20;
    QTest::newRow("tahoma-13-cell-16") << 13 << 22;
    QTest::newRow("tahoma-14-cell-17") << 14 << 23;
}

void TestFlatLabel::heightIsTheFontCellPlusSix() {
    QFETCH(int, px);
    QFETCH(int, height);
    auto parent = host(11);
    TFlatLabel label(nullptr, parent.get());
    label.setBounds(10, 10, 101, 20);

    label.setControlFont(tahoma(px));
    QCOMPARE(label.height(), label.controlFont().metrics().height + 6);
    QCOMPARE(label.height(), height);

    label.setHeight(50); // no lasting effect
    QCOMPARE(label.height(), height);
    label.setBounds(10, 10, 60, 3);
    QCOMPARE(label.height(), height);
    QCOMPARE(label.width(), 60);  // the width is left alone
    label.setAlign(tk::alClient); // its parent's alignment and its own fit took turns for ever
    QCOMPARE(label.height(), height);
}

void TestFlatLabel::fontChangeWhileDesigningAndLoadingWaitsForLoaded() {
    TFlatLabel label;
    const int before = label.height();
    label.setDesigning(true);
    label.setLoading(true);

    label.setControlFont(tahoma(14));
    QCOMPARE(label.height(), before);

    label.loaded();
    QCOMPARE(label.height(), 23);
}

void TestFlatLabel::ticketStandsBesideTheLabelAsInTheMainWindow() {
    // The maker link: label font 12 px in a 14 px parent, an empty ticket on its left.
    auto parent = host(14);
    TFlatLabel label(nullptr, parent.get());
    label.setControlFont(tahoma(12));
    label.setBounds(80, 159, 101, 20);
    TDefineTicket* t = label.ticket();
    QCOMPARE(t->parentWidget(), parent.get());
    QCOMPARE(t->size(), QSize(4, 17));
    QCOMPARE(t->pos(), QPoint(73, 160));
    QCOMPARE(label.geometry(), QRect(80, 159, 101, 20));
}

void TestFlatLabel::ticketFollowsMovesPositionAndSpace() {
    auto parent = host(14);
    TFlatLabel label(nullptr, parent.get());
    label.setControlFont(tahoma(14)); // height 23
    TDefineTicket* t = label.ticket();
    t->setCaption(QStringLiteral("Name"));
    const int w = t->width(), h = t->height();

    label.setBounds(100, 50, 60, 23);
    QCOMPARE(t->pos(), QPoint(100 - w - 3, 50 + (23 - h) / 2));

    label.setLeft(120);
    QCOMPARE(t->pos(), QPoint(120 - w - 3, 50 + (23 - h) / 2));

    label.setTicketPosition(poTop);
    QCOMPARE(t->pos(), QPoint(120, 50 - h - 3));
    label.setTicketPosition(poRight);
    QCOMPARE(t->pos(), QPoint(120 + 60 + 3, 50 + (23 - h) / 2));
    label.setTicketPosition(poBottom);
    QCOMPARE(t->pos(), QPoint(120, 50 + 23 + 3));

    label.setTicketSpace(10);
    QCOMPARE(label.ticketSpace(), 10);
    QCOMPARE(t->pos(), QPoint(120, 50 + 23 + 10));
    QCOMPARE(t->size(), QSize(w, h));
}

void TestFlatLabel::ticketCaptionChangePlacesItAgain() {
    auto parent = host(14);
    TFlatLabel label(nullptr, parent.get());
    label.setBounds(100, 50, 60, 20);
    TDefineTicket* t = label.ticket();
    const int emptyWidth = t->width();

    t->setCaption(QStringLiteral("Longer caption"));

    QVERIFY(t->width() > emptyWidth);
    QCOMPARE(t->geometry().right() + 1, 100 - 3); // still ends 3 pixels left of the label
    QCOMPARE(t->y(), label.y() + (label.height() - t->height()) / 2);

    t->setControlFont(tahoma(20)); // taller than the label: centred, sticking out
    QCOMPARE(t->geometry().right() + 1, 100 - 3);
    QCOMPARE(t->y(), label.y() + (label.height() - t->height()) / 2);
}

void TestFlatLabel::ticketFollowsVisibleEnabledAndDirection() {
    auto parent = host(11);
    TFlatLabel label(nullptr, parent.get());
    TDefineTicket* t = label.ticket();

    label.setVisible(false);
    QVERIFY(!t->visible());
    QVERIFY(t->isHidden());
    label.setVisible(true);
    QVERIFY(t->visible());

    label.setEnabled(false);
    QVERIFY(!t->enabled());
    label.setEnabled(true);
    QVERIFY(t->enabled());

    label.setLayoutDirection(Qt::RightToLeft);
    QCOMPARE(t->layoutDirection(), Qt::RightToLeft);
}

void TestFlatLabel::reparentingTakesTheTicketAlong() {
    auto first = host(11);
    auto second = host(14);
    TFlatLabel label(nullptr, first.get());
    label.setBounds(50, 50, 60, 19);
    TDefineTicket* t = label.ticket();
    label.setVisible(false);

    label.setParentControl(second.get());

    QCOMPARE(t->parentWidget(), second.get());
    QVERIFY(!t->visible());
    QCOMPARE(t->height(), 17); // the new parent's font
    QCOMPARE(t->pos(), QPoint(50 - t->width() - 3, 50 + (label.height() - 17) / 2));
}

void TestFlatLabel::destroyedTicketLeavesTheLabelWorking() {
    auto parent = host(11);
    auto other = host(12); // declared before the label, which ends up inside it
    TFlatLabel label(nullptr, parent.get());
    label.setName(QStringLiteral("FlatLabel1"));

    delete label.ticket();

    QVERIFY(!label.ticket());
    QVERIFY(!label.property("Ticket").value<QObject*>());
    label.setTicketPosition(poTop);
    QCOMPARE(label.ticketPosition(), poLeft); // dropped without a ticket
    label.setTicketSpace(9);
    QCOMPARE(label.ticketSpace(), 3);
    label.setBounds(5, 6, 70, 30);
    QCOMPARE(label.pos(), QPoint(5, 6));
    label.setVisible(false);
    label.setEnabled(false);
    label.setParentControl(other.get());
    QCOMPARE(label.parentWidget(), other.get());
    QVERIFY(!label.isDesigning());
    label.setDesigning(true);
    label.setName(QStringLiteral("FlatLabel2"));
    QCOMPARE(label.name(), QStringLiteral("FlatLabel2"));
}

void TestFlatLabel::labelDestroysItsTicket() {
    auto parent = host(11);
    auto* label = new TFlatLabel(nullptr, parent.get());
    QPointer<TDefineTicket> t = label->ticket();
    delete label;
    QVERIFY(t.isNull());
    QVERIFY(parent->children().isEmpty());
}

void TestFlatLabel::parentDestroyedWithLabelAndTicketInside() {
    // Qt destroys the children of a widget in order; the ticket may go before its owner.
    auto* parent = new TFlatPanel;
    QPointer<TFlatLabel> label = new TFlatLabel(nullptr, parent);
    QPointer<TDefineTicket> t = label->ticket();
    delete parent;
    QVERIFY(label.isNull());
    QVERIFY(t.isNull());
}

void TestFlatLabel::designModeNamingRule() {
    // At run time a rename touches neither caption.
    TFlatLabel running;
    running.setCaption(QStringLiteral("keep"));
    running.setName(QStringLiteral("FlatLabel1"));
    QVERIFY(running.ticket()->caption().isEmpty());
    QCOMPARE(running.caption(), QStringLiteral("keep"));

    // In a designer the empty ticket takes the name, and the label's caption is cleared.
    TFlatLabel label;
    label.setDesigning(true);
    label.setCaption(QStringLiteral("x"));
    label.setName(QStringLiteral("FlatLabel1"));
    QCOMPARE(label.ticket()->caption(), QStringLiteral("FlatLabel1"));
    QVERIFY(label.caption().isEmpty());

    // A ticket still showing the old name (in any case) follows the new one ...
    label.ticket()->setCaption(QStringLiteral("FLATLABEL1"));
    label.setName(QStringLiteral("Maker"));
    QCOMPARE(label.ticket()->caption(), QStringLiteral("Maker"));

    // ... an edited one does not.
    label.ticket()->setCaption(QStringLiteral("Web:"));
    label.setName(QStringLiteral("Maker2"));
    QCOMPARE(label.ticket()->caption(), QStringLiteral("Web:"));
}

void TestFlatLabel::layoutRoundTripKeepsVersionAndTicket() {
    TTestForm form;
    auto* panel = new TFlatPanel(&form, &form);
    panel->setName(QStringLiteral("FlatPanel1"));
    panel->setBounds(0, 0, 194, 233);
    panel->setColorBorder(tk::clOlive);
    panel->setControlFont(tahoma(14));
    panel->setStyleFace(fsCustom);
    auto* label = new TFlatLabel(&form, panel);
    label->setName(QStringLiteral("FlatLabel1"));
    label->setControlFont(tahoma(12));
    label->setBounds(80, 159, 101, 20);
    label->setCaption(QStringLiteral("来自 example"));
    label->setCursorId(tk::crHandPoint);
    label->setAlignment(tk::taLeftJustify);
    label->ticket()->setCursorId(tk::crIBeam);

    const QString text = tk::writeLayout(&form);

    for (const char* line :
         {"    Version = '4.56.0.0'", "    ParentColor = False", "    UseDockManager = True",
          "    ColorBorder = clOlive", "    StyleFace = fsCustom", "      Ticket.Width = 4",
          "      Ticket.Height = 17", "      Ticket.Cursor = crIBeam", "      Version = '4.56.0.0'",
          "      Alignment = taLeftJustify"})
        QVERIFY2(text.contains(QLatin1String(line) + QLatin1Char('\n')), line);
    QVERIFY(!text.contains(QLatin1String("Ticket.Left")));
    QVERIFY(!text.contains(QLatin1String("Ticket.Top")));

    TTestForm copy;
    tk::readLayout(&copy, text);
    auto* panel2 = qobject_cast<TFlatPanel*>(copy.findChild<QObject*>("FlatPanel1"));
    auto* label2 = qobject_cast<TFlatLabel*>(copy.findChild<QObject*>("FlatLabel1"));
    QVERIFY(panel2 && label2);
    QCOMPARE(label2->parentWidget(), panel2);
    QCOMPARE(panel2->colorBorder(), tk::clOlive);
    QCOMPARE(panel2->styleFace(), fsCustom);
    QVERIFY(!panel2->parentColor());
    QCOMPARE(label2->geometry(), QRect(80, 159, 101, 20));
    QCOMPARE(label2->caption(), label->caption());
    QCOMPARE(label2->ticket()->geometry(), QRect(73, 160, 4, 17));
    QCOMPARE(label2->ticket()->cursorId(), tk::crIBeam);
    QCOMPARE(label2->ticket()->parentWidget(), panel2);
    QCOMPARE(tk::writeLayout(&copy), text);
}

ZARVIK_TEST_MAIN(TestFlatLabel)
#include "tst_flatlabel.moc"
