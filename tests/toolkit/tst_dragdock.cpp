#include "Control.h"
#include "Cursors.h"
#include "DragManager.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QRubberBand>
#include <QTest>

using namespace tk;

namespace {

QString stateName(TDragState s) {
    switch (s) {
    case dsDragEnter:
        return QStringLiteral("enter");
    case dsDragLeave:
        return QStringLiteral("leave");
    default:
        return QStringLiteral("move");
    }
}

QString nameOf(const QObject* o) {
    return o ? o->objectName() : QStringLiteral("none");
}

// A window with a source on the left and three controls to drop on: one that says whether
// it takes the source (`taking`), one below it that takes it too, and a plain one without
// OnDragOver. Every drag event lands in `log`, with the coordinates it carries.
struct DragScene {
    QWidget window;
    TControl source{nullptr, &window};
    TControl target{nullptr, &window};
    TControl other{nullptr, &window};
    TControl plain{nullptr, &window};
    QStringList log;
    bool taking = true;
    int clicks = 0;

    DragScene() {
        window.resize(300, 100);
        source.setBounds(10, 10, 50, 30);
        target.setBounds(100, 10, 50, 30);
        other.setBounds(100, 60, 50, 30);
        plain.setBounds(200, 10, 50, 30);
        source.setObjectName(QStringLiteral("source"));
        target.setObjectName(QStringLiteral("target"));
        source.setDragMode(dmAutomatic);
        QObject::connect(&source, &tk::TControl::OnClick, [this] { ++clicks; });
        QObject::connect(&source, &tk::TControl::OnStartDrag,
                         [this] { log << QStringLiteral("StartDrag"); });
        QObject::connect(&target, &tk::TControl::OnDragOver,
                         [this](QObject* from, int x, int y, TDragState s, bool& accept) {
                             log << QStringLiteral("DragOver %1 %2 %3,%4")
                                        .arg(nameOf(from), stateName(s))
                                        .arg(x)
                                        .arg(y);
                             accept = taking;
                         });
        QObject::connect(&other, &tk::TControl::OnDragOver,
                         [this](QObject*, int, int, TDragState s, bool&) {
                             log << QStringLiteral("OtherOver ") + stateName(s);
                         });
        QObject::connect(&target, &tk::TControl::OnDragDrop, [this](QObject* from, int x, int y) {
            log << QStringLiteral("DragDrop %1 %2,%3").arg(nameOf(from)).arg(x).arg(y);
        });
        QObject::connect(&source, &tk::TControl::OnEndDrag, [this](QObject* on, int x, int y) {
            log << QStringLiteral("EndDrag %1 %2,%3").arg(nameOf(on)).arg(x).arg(y);
        });
        window.show();
    }
    // A point of the window, as the source (which has the mouse) hears it.
    QPoint at(int x, int y) const { return source.mapFrom(&window, QPoint(x, y)); }
    void press() { QTest::mousePress(&source, Qt::LeftButton, {}, QPoint(5, 5)); }
    void moveTo(int x, int y) { QTest::mouseMove(&source, at(x, y)); }
    void releaseAt(int x, int y) { QTest::mouseRelease(&source, Qt::LeftButton, {}, at(x, y)); }
    Qt::CursorShape cursor() const {
        return QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                              : Qt::BitmapCursor; // none set
    }
};

} // namespace

class TestDragDock : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(!DragSession::active()); }

    // GIVEN an automatic drag source WHEN it is pressed, moved past the threshold onto a
    // control that accepts, moved on and released THEN the events come in their order,
    // in the target's coordinates, the cursor shows what a drop would do, and the press
    // clicks nothing.
    void automaticDragDropsOnAnAcceptingControl() {
        DragScene s;
        s.press();
        const int distance = QApplication::startDragDistance();
        QTest::mouseMove(&s.source, QPoint(5 + distance - 1, 5)); // within the start distance
        QVERIFY(s.log.isEmpty());
        QVERIFY(!s.source.dragging());
        QTest::mouseMove(&s.source, QPoint(5 + distance, 5)); // at it
        QVERIFY(s.source.dragging());
        s.moveTo(110, 15);
        QCOMPARE(s.cursor(), cursorShape(crDrag));
        s.moveTo(120, 20);
        s.moveTo(120, 70); // from one control that takes it straight onto another
        s.moveTo(205, 20); // the plain control takes nothing
        QCOMPARE(s.cursor(), cursorShape(crNoDrop));
        s.moveTo(130, 25);
        QCOMPARE(s.cursor(), cursorShape(crDrag));
        s.releaseAt(130, 25);
        QCOMPARE(s.log, QStringList({"StartDrag", "DragOver source enter 10,5",
                                     "DragOver source move 20,10", "DragOver source leave 20,60",
                                     "OtherOver enter", "OtherOver leave",
                                     "DragOver source enter 30,15", "DragDrop source 30,15",
                                     "EndDrag target 30,15"}));
        QCOMPARE(s.clicks, 0);
        QVERIFY(!DragSession::active());
        QVERIFY(!QApplication::overrideCursor());
    }

    // A press and release in place stays a click; a drag of a source in manual mode does not
    // start by itself.
    void pressWithoutMovingClicksAndManualModeStaysStill() {
        DragScene s;
        s.press();
        s.releaseAt(15, 15);
        QCOMPARE(s.clicks, 1);
        s.source.setDragMode(dmManual);
        s.press();
        s.moveTo(110, 15);
        s.releaseAt(110, 15);
        QCOMPARE(s.log, QStringList());
        QCOMPARE(s.clicks, 1); // released outside the source
        QVERIFY(!DragSession::active());
    }

    // A press whose release went elsewhere (a menu took it): a later move without the
    // button is hover, not a drag.
    void lostReleaseStartsNoDrag() {
        DragScene s;
        s.press();
        QMouseEvent hover(QEvent::MouseMove, s.at(110, 15), s.source.mapToGlobal(s.at(110, 15)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&s.source, &hover);
        QVERIFY(!DragSession::active());
        QCOMPARE(s.log, QStringList());
        QTest::mouseRelease(&s.source, Qt::LeftButton, {}, QPoint(5, 5)); // QTest's own account
    }

    void cancelledDragsEndWithoutTarget_data() {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("taking");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("escape-over-an-accepting-control")
            << true << true
            << QStringList({"StartDrag", "DragOver source enter 10,5", "DragOver source leave 10,5",
                            "EndDrag none 0,0"});
        QTest::newRow("release-over-a-refusing-control")
            << false << false
            << QStringList({"StartDrag", "DragOver source enter 10,5", "DragOver source leave 10,5",
                            "EndDrag none 0,0"});
    }
    void cancelledDragsEndWithoutTarget() {
        QFETCH(bool, escape);
        DragScene s;
        QFETCH(bool, taking);
        s.taking = taking;
        s.press();
        s.moveTo(110, 15);
        if (escape) {
            QTest::keyClick(&s.source, Qt::Key_Escape);
            QVERIFY(!DragSession::active());
            s.releaseAt(110, 15); // after the drag: nothing more
        } else {
            s.releaseAt(110, 15);
        }
        QTEST(s.log, "expected");
        QVERIFY(!QApplication::overrideCursor());
    }

    // A release over a control without OnDragOver, and a manual drag begun at once from the
    // press: neither drops, both end.
    void manualDragReleasedOverAPlainControl() {
        DragScene s;
        s.source.setDragMode(dmManual);
        QObject::connect(&s.source, &tk::TControl::OnMouseDown,
                         [&](TMouseButton, TShiftState, int, int) { s.source.beginDrag(true); });
        QCursor::setPos(s.source.mapToGlobal(QPoint(5, 5)));
        s.press();
        QVERIFY(s.source.dragging());
        QCOMPARE(s.cursor(), cursorShape(crNoDrop)); // over itself, which takes nothing
        s.moveTo(210, 15);
        s.releaseAt(210, 15);
        QCOMPARE(s.log, QStringList({"StartDrag", "EndDrag none 0,0"}));
        QCOMPARE(s.clicks, 0);
    }

    // A source destroyed in the middle of its drag ends it at once, not with the next event:
    // the mouse, the cursor and the application's events are let go. A window of its own
    // is told of nothing else as it goes.
    void sourceDestroyedWhileDragging_data() {
        QTest::addColumn<bool>("ownWindow");
        QTest::newRow("child-of-a-window") << false;
        QTest::newRow("a-window-itself") << true;
    }
    void sourceDestroyedWhileDragging() {
        QFETCH(bool, ownWindow);
        QWidget window;
        window.resize(200, 100);
        auto* source = new TControl(nullptr, ownWindow ? nullptr : &window);
        source->setBounds(10, 10, 50, 30);
        source->setDragMode(dmAutomatic);
        window.show();
        source->show();
        QTest::mousePress(source, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(source, QPoint(60, 20));
        QVERIFY(source->dragging());
        delete source;
        QVERIFY(!DragSession::active());
        QVERIFY(!QApplication::overrideCursor());
        QTest::mouseMove(&window, QPoint(120, 20));
        QVERIFY(!DragSession::active());
        QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(120, 20));
    }

    // Of two dock sites that overlap where the client is let go of, the one on top takes it,
    // whichever was made first.
    void overlappingDockSitesTheTopOneTakesTheClient_data() {
        QTest::addColumn<bool>("raiseFirst");
        QTest::newRow("the-later-lies-above") << false;
        QTest::newRow("the-first-raised") << true;
    }
    void overlappingDockSitesTheTopOneTakesTheClient() {
        QFETCH(bool, raiseFirst);
        QWidget window;
        window.resize(300, 200);
        TControl first(nullptr, &window);
        TControl second(nullptr, &window);
        TControl client(nullptr, &window);
        first.setBounds(100, 50, 100, 100);
        second.setBounds(150, 50, 100, 100);
        for (TControl* site : {&first, &second})
            site->setDockSite(true);
        if (raiseFirst) first.raise();
        client.setBounds(10, 10, 40, 20);
        client.setDragMode(dmAutomatic);
        client.setDragKind(dkDock);
        window.show();
        QTest::mousePress(&client, Qt::LeftButton, {}, QPoint(5, 5));
        const QPoint there = client.mapFrom(&window, QPoint(175, 100));
        const auto dockImage = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<QRubberBand*>(w) && w->isVisible()) return w->geometry();
            return QRect();
        };
        QTest::mouseMove(&client, client.mapFrom(&window, QPoint(40, 150))); // over no site
        QCOMPARE(dockImage(), QRect());
        QTest::mouseMove(&client, there);
        QCOMPARE(dockImage(), QRect(window.mapToGlobal(QPoint(170, 95)), client.size()));
        QTest::mouseRelease(&client, Qt::LeftButton, {}, there);
        QCOMPARE(client.parentWidget(), raiseFirst ? &first : &second);
        QCOMPARE(dockImage(), QRect());
    }

    // A control that is a window of its own floats by moving, not inside a host of its own;
    // nothing puts a control within itself.
    void windowLevelClientFloatsByMoving() {
        TControl client;
        client.setBounds(100, 100, 50, 30);
        client.setDragMode(dmAutomatic);
        client.setDragKind(dkDock);
        QList<QObject*> ends;
        QObject::connect(&client, &tk::TControl::OnEndDock,
                         [&](QObject* target, int, int) { ends << target; });
        client.show();
        const QPoint from = client.mapToGlobal(QPoint(0, 0));
        QTest::mousePress(&client, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(&client, QPoint(60, 45));
        QTest::mouseRelease(&client, Qt::LeftButton, {}, QPoint(60, 45));
        QVERIFY(client.isWindow());
        QCOMPARE(client.mapToGlobal(QPoint(0, 0)), from + QPoint(55, 40));
        QCOMPARE(ends, QList<QObject*>{&client});
        TControl inner(nullptr, &client);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, client.setParentControl(&inner));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, client.setParentControl(&client));
        QCOMPARE(client.parentWidget(), nullptr);
    }
};

ZARVIK_TEST_MAIN(TestDragDock)
#include "tst_dragdock.moc"
