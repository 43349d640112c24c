#include "Accessible.h"
#include "Action.h"
#include "Application.h"
#include "Canvas.h"
#include "Colors.h"
#include "Edit.h"
#include "Form.h"
#include "Label.h"
#include "Navigation.h"
#include "ProcessCounters.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"

#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace tk;

namespace {

// A focusable custom control that records what reaches it.
class Probe : public TControl {
public:
    explicit Probe(const QString& name, QStringList* log, QWidget* parent = nullptr)
        : TControl(nullptr, parent), m_log(log) {
        setName(name);
        setTabStop(true);
    }
    QChar accelerator;
    bool takeDialogKeys = false;

    bool dialogChar(QChar c) override {
        if (!accelerator.isNull() && c.toUpper() == accelerator.toUpper()) {
            m_log->append(name() + ":char");
            return true;
        }
        return TControl::dialogChar(c);
    }
    bool dialogKey(int key, TShiftState shift) override {
        if (takeDialogKeys && key == VK_RETURN) {
            m_log->append(name() + ":dialogkey");
            return true;
        }
        return TControl::dialogKey(key, shift);
    }
    void enter() override {
        TControl::enter();
        m_log->append(name() + ":enter");
    }
    void exit() override {
        TControl::exit();
        m_log->append(name() + ":exit");
    }

protected:
    void focusGained() override { m_log->append(name() + ":focus"); }
    void paint(Canvas& c) override { c.fillRect(Rect{0, 0, width(), height()}, clRed); }

private:
    QStringList* m_log;
};

constexpr auto grab = &testsupport::picture;

// Records the hooks that Enabled and Font reach; a container that makes its children
// follow its Enabled, as a radio group does.
class Recorder : public TControl {
public:
    using TControl::TControl;
    QStringList log;
    bool childrenFollow = false;

protected:
    void enabledChanged() override {
        TControl::enabledChanged();
        log << (enabled() ? "enabled" : "disabled");
        if (childrenFollow)
            for (TControl* c : childControls())
                c->setEnabled(enabled());
    }
    void fontChanged() override {
        TControl::fontChanged();
        log << "font";
    }
};

// Paints a picture that depends on where each pixel lies: a dotted focus ring, a diagonal,
// a band every third column and a row copied from pixels 7 to its right, as a shaded face
// blends them; keeps the widths of the pictures it was given.
class Pattern : public TControl {
public:
    using TControl::TControl;
    QList<int> canvasWidths;

protected:
    void paint(Canvas& c) override {
        canvasWidths << c.width();
        c.fillRect(Rect{0, 0, width(), height()}, clWhite);
        for (int x = 0; x < std::min(width(), 400); x += 3)
            c.fillRect(Rect{x, 0, x + 1, height()}, clOlive);
        c.setPenColor(clRed);
        c.moveTo(0, 0);
        c.lineTo(height(), height());
        c.drawFocusRect(Rect{1, 1, width() - 1, height() - 1});
        for (int x = 0; x + 7 < std::min(width(), 400); ++x)
            c.setPixel(x, 3, c.pixel(x + 7, 0) == clOlive ? clBlue : clLime);
    }
};

// A form without a frame, where the window tests move it, shown: tells whether it is.
bool showFrameless(TForm& form) {
    form.setBorderStyle(bsNone);
    form.setBounds(100, 100, 194, 233);
    form.show();
    return QTest::qWaitForWindowExposed(&form);
}

} // namespace

class TestControl : public QObject {
    Q_OBJECT
private slots:
    void enabledHooksRunHoweverItIsChanged();
    void childrenDisabledUnderADisabledParentHearOfIt();
    void fontSetThroughQWidgetBecomesTheControlFont();
    void parentShowHintFollowsANewParentDownTheTree();
    void destroyedActionIsForgotten();
    void everyKeyHasAVirtualKey_data();
    void everyKeyHasAVirtualKey();
    void functionKeysReachOnKeyDown();
    void paintingPartOfAControlGivesTheSamePixels_data();
    void paintingPartOfAControlGivesTheSamePixels();
    void hugeControlPaintsOnlyWhatShows();
    void hugeWindowPaintsOnlyWhatTheScreenShows();
    void plainParentShowsBehindATransparentChild();
    void periodRule_data();
    void periodRule();
    void errorBoxGoesThroughTheHandler();
    void errorBoxCopiesItsMessageOnCtrlC();
    void qtsOwnWordsSpeakTheDesktopsLanguage();
    void systemColoursResolveThroughThePalette();
    void colourIdentifiersRoundTrip();
    void parentColourAndFontFollowUntilSetOwn();
    void tabWalksTabStopsInTabOrder();
    void tabOrderAssignmentMovesSiblings();
    void exitThenEnterWhenFocusMoves();
    void acceleratorCharacterReachesTheControlThatClaimsIt();
    void enterGoesToDialogKeysUnlessTheEditWantsIt();
    void clickNeedsPressAndReleaseInside();
    void labelSizesToItsCaptionAndKeepsLineBreaks();
    void stayOnTopTogglesWithoutMoving();
    void windowFollowsTheMouseWhenNoWindowManagerMovesIt();
    void otherButtonsMoveTheWindowUntilTheirOwnRelease();
    void transparentLabelShowsParentPicture();
};

void TestControl::enabledHooksRunHoweverItIsChanged() {
    // GIVEN a control, watched by assistive technology
    QList<QObject*> disabledReports;
    const AccessibleEventObserver previous = setAccessibleEventObserver([&](QAccessibleEvent& e) {
        if (e.type() == QAccessible::StateChanged &&
            static_cast<QAccessibleStateChangeEvent&>(e).changedStates().disabled)
            disabledReports << e.object();
    });
    Recorder c;
    QWidget* w = &c;
    // WHEN it is disabled through QWidget, and again to the same value
    w->setEnabled(false);
    w->setEnabled(false);
    // THEN the hook and the report run once
    QCOMPARE(c.log, QStringList{"disabled"});
    QCOMPARE(disabledReports, QList<QObject*>{&c});
    w->setEnabled(true);
    QCOMPARE(c.log, (QStringList{"disabled", "enabled"}));
    QCOMPARE(disabledReports.size(), 2);
    setAccessibleEventObserver(previous);
}

void TestControl::childrenDisabledUnderADisabledParentHearOfIt() {
    Recorder parent;
    parent.childrenFollow = true;
    Recorder child(nullptr, &parent), plain(nullptr, &parent);
    // A disabled parent alone does not touch the children's own Enabled.
    parent.childrenFollow = false;
    parent.setEnabled(false);
    QVERIFY(child.log.isEmpty());
    QVERIFY(child.enabled());
    parent.setEnabled(true);
    // A parent that passes its Enabled on: Qt reports nothing to a child of a disabled
    // parent, yet its hooks run while the parent's do.
    parent.childrenFollow = true;
    parent.setEnabled(false);
    QCOMPARE(child.log, QStringList{"disabled"});
    QCOMPARE(plain.log, QStringList{"disabled"});
    parent.setEnabled(true);
    QCOMPARE(child.log, (QStringList{"disabled", "enabled"}));
}

void TestControl::fontSetThroughQWidgetBecomesTheControlFont() {
    Recorder parent;
    Recorder child(nullptr, &parent);
    parent.setControlFont(Font(QStringLiteral("Tahoma"), 11, {}, clRed));
    parent.log.clear();
    child.log.clear();
    QFont q(QStringLiteral("Tahoma"));
    q.setPixelSize(14);
    q.setBold(true);
    static_cast<QWidget&>(parent).setFont(q);
    QCOMPARE(parent.log, QStringList{"font"});
    QCOMPARE(parent.controlFont().height(), 14);
    QCOMPARE(parent.controlFont().style(), TFontStyles(fsBold));
    QCOMPARE(parent.controlFont().color(), clRed); // a QFont has no colour to give
    QVERIFY(!parent.parentFont());
    QCOMPARE(child.controlFont(), parent.controlFont()); // ParentFont follows as ever
    // A font Qt passes down from the application is not the control's.
    QApplication::setFont(QFont(QStringLiteral("Tahoma"), 30));
    QCOMPARE(child.controlFont().height(), 14);
    QApplication::setFont(QFont());
}

void TestControl::parentShowHintFollowsANewParentDownTheTree() {
    TControl showing, silent;
    showing.setShowHint(true);
    TControl middle(nullptr, &silent);
    TControl inner(nullptr, &middle);
    inner.setHint(QStringLiteral("short|long"));
    QCOMPARE(inner.toolTip(), QString());
    middle.setParentControl(&showing);
    QCOMPARE(inner.toolTip(), QStringLiteral("short"));
}

void TestControl::destroyedActionIsForgotten() {
    TControl c;
    auto* action = new TAction;
    int executed = 0;
    QObject::connect(action, &tk::TAction::OnExecute, [&] { ++executed; });
    c.setAction(action);
    c.click();
    QCOMPARE(executed, 1);
    delete action;
    QCOMPARE(c.action(), nullptr);
    c.click(); // nothing left to run, and nothing dangling
    QCOMPARE(executed, 1);
}

void TestControl::everyKeyHasAVirtualKey_data() {
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("vk");
    QTest::newRow("f1") << int(Qt::Key_F1) << false << 0x70;
    QTest::newRow("f12") << int(Qt::Key_F12) << false << 0x7B;
    QTest::newRow("f24") << int(Qt::Key_F24) << false << 0x87;
    QTest::newRow("letter") << int(Qt::Key_Q) << false << int('Q');
    QTest::newRow("keypad-5") << int(Qt::Key_5) << true << 0x65;
    QTest::newRow("keypad-star") << int(Qt::Key_Asterisk) << true << int(VK_MULTIPLY);
    QTest::newRow("keypad-enter") << int(Qt::Key_Enter) << true << int(VK_RETURN);
    QTest::newRow("keypad-home") << int(Qt::Key_Home) << true << int(VK_HOME);
    QTest::newRow("shifted-digit") << int(Qt::Key_Exclam) << false << int('1');
    QTest::newRow("semicolon") << int(Qt::Key_Semicolon) << false << int(VK_OEM_1);
    QTest::newRow("insert") << int(Qt::Key_Insert) << false << int(VK_INSERT);
    QTest::newRow("volume-up") << int(Qt::Key_VolumeUp) << false << int(VK_VOLUME_UP);
    QTest::newRow("play-pause") << int(Qt::Key_MediaTogglePlayPause) << false
                                << int(VK_MEDIA_PLAY_PAUSE);
    QTest::newRow("accented-letter") << int(Qt::Key_Eacute) << false << int(VK_PACKET);
    QTest::newRow("unknown") << int(Qt::Key_unknown) << false << 0;
}

void TestControl::everyKeyHasAVirtualKey() {
    QFETCH(int, qtKey);
    QFETCH(bool, keypad);
    QFETCH(int, vk);
    QCOMPARE(virtualKeyFromQt(qtKey, keypad ? Qt::KeypadModifier : Qt::NoModifier), vk);
}

void TestControl::functionKeysReachOnKeyDown() {
    TForm form;
    QStringList log;
    Probe a(QStringLiteral("a"), &log, &form);
    QList<int> keys;
    QObject::connect(&a, &tk::TControl::OnKeyDown, [&](int& key, TShiftState) { keys << key; });
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    a.setFocus();
    QTRY_VERIFY(a.hasFocus());
    QTest::keyClick(&a, Qt::Key_F5);
    QTest::keyClick(&a, Qt::Key_2, Qt::KeypadModifier);
    QCOMPARE(keys, (QList<int>{VK_F1 + 4, VK_NUMPAD0 + 2}));
}

void TestControl::paintingPartOfAControlGivesTheSamePixels_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QRect>("part");
    QTest::newRow("1x-odd-corner") << 1.0 << QRect(23, 1, 31, 9);
    QTest::newRow("1x-left-edge") << 1.0 << QRect(0, 0, 3, 40);
    QTest::newRow("1x-right-edge") << 1.0 << QRect(91, 3, 6, 38);
    QTest::newRow("1.5x-odd-corner") << 1.5 << QRect(23, 1, 31, 9);
    QTest::newRow("2x-inside") << 2.0 << QRect(41, 1, 17, 13);
}

void TestControl::paintingPartOfAControlGivesTheSamePixels() {
    QFETCH(qreal, ratio);
    QFETCH(QRect, part);
    Pattern c;
    c.setBounds(0, 0, 97, 41);
    const auto render = [&](const QRegion& region) {
        QImage img(QSize(97, 41) * ratio, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(ratio);
        img.fill(Qt::black);
        c.render(&img, region.boundingRect().topLeft(), region);
        return img;
    };
    const QImage whole = render(QRegion(c.rect()));
    const QImage piece = render(QRegion(part));
    const QRect device(QPoint(qCeil(part.left() * ratio), qCeil(part.top() * ratio)),
                       QPoint(int(part.right() * ratio), int(part.bottom() * ratio)));
    QCOMPARE(piece.copy(device), whole.copy(device));
    QVERIFY(c.canvasWidths.last() < c.width()); // the piece had a picture of its own size
}

void TestControl::hugeControlPaintsOnlyWhatShows() {
    QWidget window;
    window.resize(200, 60);
    Pattern c(nullptr, &window);
    c.setBounds(-1000, 0, QWIDGETSIZE_MAX, 50);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    c.canvasWidths.clear();
    c.repaint();
    QVERIFY(!c.canvasWidths.isEmpty());
    QVERIFY(c.canvasWidths.last() <= 200 + 2 * 8 + 1);
}

// A window as large as a layout may make it costs what the screen shows of it: a picture of
// the screen's size at most, and no more memory than a few such.
void TestControl::hugeWindowPaintsOnlyWhatTheScreenShows() {
    testsupport::restartPeakResident();
    [[maybe_unused]] const qint64 before = testsupport::peakResidentKiB();
    Pattern window;
    window.setBounds(0, 0, MaxCoordinate, MaxCoordinate);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.repaint();
    QVERIFY(!window.canvasWidths.isEmpty());
    const QSize screen = window.screen()->virtualGeometry().size();
    QVERIFY(window.canvasWidths.last() <= screen.width() + 1);
#ifndef __SANITIZE_ADDRESS__ // whose shadow of Qt's untouched backing store is 512 MiB
    const qint64 grown = testsupport::peakResidentKiB() - before;
    QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("%1 KiB more at the peak").arg(grown)));
#endif
    // Moved, it shows another part, painted anew.
    window.canvasWidths.clear();
    window.move(-100, -100);
    QTRY_VERIFY(!window.canvasWidths.isEmpty());
}

void TestControl::plainParentShowsBehindATransparentChild() {
    // A parent that is no control paints a pixel of its own colour at every place.
    class Plain : public QWidget {
    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter p(this);
            for (int y = 0; y < height(); ++y)
                for (int x = 0; x < width(); ++x)
                    p.fillRect(x, y, 1, 1, QColor(x * 2, y * 4, 90));
        }
    } parent;
    parent.resize(120, 60);
    TLabel label(nullptr, &parent);
    label.setAutoSize(false);
    label.setCaption(QString());
    label.setTransparent(true);
    label.setBounds(37, 11, 30, 20);
    const QImage behind = grab(parent);
    const QImage shown = grab(label);
    for (const QPoint p : {QPoint(0, 0), QPoint(29, 19), QPoint(13, 7)})
        QCOMPARE(shown.pixel(p), behind.pixel(p + QPoint(37, 11)));
}

void TestControl::periodRule_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty-stays-empty") << QString() << QString();
    QTest::newRow("letter-gets-period") << "No such file"
                                        << "No such file.";
    QTest::newRow("period-kept") << "Done."
                                 << "Done.";
    QTest::newRow("comma-below-period") << "a,"
                                        << "a,";
    QTest::newRow("bang-below-period") << "Stop!"
                                       << "Stop!";
    QTest::newRow("chinese-gets-period") << QStringLiteral("文件") << QStringLiteral("文件.");
    QTest::newRow("astral-character-whole") << QStringLiteral("𠀀") << QStringLiteral("𠀀.");
}

void TestControl::periodRule() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(withClosingPeriod(message), shown);
}

void TestControl::errorBoxGoesThroughTheHandler() {
    QStringList seen;
    Application::setTitle(QStringLiteral("Zarvik2.2"));
    setErrorBoxHandler([&](const QString& title, const QString& text) { seen << title << text; });
    showException(std::runtime_error("Cannot open file \"/x/cj5.m\". No such file or directory"));
    setErrorBoxHandler({});
    QCOMPARE(seen, (QStringList{"Zarvik2.2",
                                "Cannot open file \"/x/cj5.m\". No such file or directory."}));
}

// The edits' menus in Chinese on a Chinese desktop (Debian's qt6-translations-l10n).
void TestControl::qtsOwnWordsSpeakTheDesktopsLanguage() {
    const std::unique_ptr<QTranslator> chinese =
        tk::qtTranslations(QLocale(QLocale::Chinese, QLocale::China));
    QVERIFY(chinese);
    QCOMPARE(chinese->translate("QLineEdit", "&Copy"), QStringLiteral("复制(&C)"));
    QVERIFY(!tk::qtTranslations(QLocale::c()));
}

// Without a handler the box shows the message as it is, also a path that looks like markup,
// and Ctrl+C copies it alone, so that a user can paste the path it names.
void TestControl::errorBoxCopiesItsMessageOnCtrlC() {
    QString copied;
    QString read; // what a screen reader says, as the eye sees it
    QTimer poll;  // the box waits in its own event loop
    connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        copied = QGuiApplication::clipboard()->text();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            read = QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
        box->done(0);
    });
    poll.start(10);
    const QString message =
        QStringLiteral("Cannot open file \"/x/<b>y/cj5.m\". No such file or directory");
    showErrorBox(message);
    QCOMPARE(copied, message + '.');
    QCOMPARE(read, message + '.');
}

void TestControl::systemColoursResolveThroughThePalette() {
    QCOMPARE(resolveColor(clBtnFace), rgb(240, 240, 240));
    QCOMPARE(resolveColor(clBtnHighlight), rgb(255, 255, 255));
    QCOMPARE(resolveColor(clBtnShadow), rgb(160, 160, 160));
    QCOMPARE(resolveColor(clWindowText), rgb(0, 0, 0));
    QCOMPARE(resolveColor(clOlive), clOlive); // plain colours pass unchanged
    QCOMPARE(toQColor(clOlive), QColor(128, 128, 0));
    QPalette p = classicPalette();
    p.setColor(QPalette::Button, QColor(1, 2, 3));
    QApplication::setPalette(p);
    QCOMPARE(resolveColor(clBtnFace), rgb(1, 2, 3));
    QApplication::setPalette(classicPalette());
}

void TestControl::colourIdentifiersRoundTrip() {
    QCOMPARE(colorFromIdent(QStringLiteral("clBtnFace")).value(), clBtnFace);
    QCOMPARE(colorFromIdent(QStringLiteral("clolive")).value(), clOlive);
    QCOMPARE(colorToIdent(clSilver).value(), QStringLiteral("clSilver"));
    QVERIFY(!colorToIdent(0x0061A588).has_value());
    QVERIFY(!colorFromIdent(QStringLiteral("clNoSuchColour")).has_value());
}

void TestControl::parentColourAndFontFollowUntilSetOwn() {
    TControl parent;
    parent.setColor(clWhite);
    TControl child(nullptr, &parent);
    QVERIFY(child.parentColor());
    QCOMPARE(child.color(), clWhite); // taken on insertion
    parent.setColor(clSilver);
    QCOMPARE(child.color(), clSilver);
    child.setColor(clOlive);
    QVERIFY(!child.parentColor());
    parent.setColor(clWhite);
    QCOMPARE(child.color(), clOlive);
    child.setParentColor(true);
    QCOMPARE(child.color(), clWhite);

    parent.setControlFont(Font(QStringLiteral("Tahoma"), 14));
    QCOMPARE(child.controlFont().height(), 14);
    child.setControlFont(Font(QStringLiteral("Tahoma"), 12));
    parent.setControlFont(Font(QStringLiteral("Tahoma"), 11));
    QCOMPARE(child.controlFont().height(), 12);
}

void TestControl::tabWalksTabStopsInTabOrder() {
    TForm form;
    QStringList log;
    Probe a(QStringLiteral("a"), &log, &form), b(QStringLiteral("b"), &log, &form),
        c(QStringLiteral("c"), &log, &form);
    TControl panel(nullptr, &form); // a container: its children follow it in tab order
    Probe d(QStringLiteral("d"), &log, &panel);
    b.setTabStop(false);
    c.setTabOrder(0); // c, a, b, panel
    form.setBounds(0, 0, 200, 200);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    c.setFocus();
    QTRY_VERIFY(c.hasFocus());
    QTest::keyClick(&c, Qt::Key_Tab);
    QVERIFY(a.hasFocus());
    QTest::keyClick(&a, Qt::Key_Tab);
    QVERIFY(d.hasFocus()); // b is no tab stop; the panel's child comes after the panel
    QTest::keyClick(&d, Qt::Key_Tab);
    QVERIFY(c.hasFocus()); // wraps round
    QTest::keyClick(&c, Qt::Key_Backtab);
    QVERIFY(d.hasFocus());
    a.setEnabled(false); // a disabled control is passed over
    QTest::keyClick(&d, Qt::Key_Tab);
    QVERIFY(c.hasFocus());
    QTest::keyClick(&c, Qt::Key_Tab);
    QVERIFY(d.hasFocus());
    // Disabled, the focused control leaves no control focused: Tab starts at the first.
    d.setEnabled(false);
    QTest::keyClick(form.windowHandle(), Qt::Key_Tab);
    QVERIFY(c.hasFocus());
}

void TestControl::tabOrderAssignmentMovesSiblings() {
    TControl parent;
    TControl a(nullptr, &parent), b(nullptr, &parent), c(nullptr, &parent);
    QCOMPARE((QList<int>{a.tabOrder(), b.tabOrder(), c.tabOrder()}), (QList<int>{0, 1, 2}));
    c.setTabOrder(0);
    QCOMPARE((QList<int>{a.tabOrder(), b.tabOrder(), c.tabOrder()}), (QList<int>{1, 2, 0}));
    a.setTabOrder(99); // beyond the end: last
    QCOMPARE((QList<int>{a.tabOrder(), b.tabOrder(), c.tabOrder()}), (QList<int>{2, 1, 0}));
    QCOMPARE(controlsInTabOrder(&parent), (QList<TControl*>{&c, &b, &a}));
}

void TestControl::exitThenEnterWhenFocusMoves() {
    TForm form, otherForm;
    QStringList log;
    Probe a(QStringLiteral("a"), &log, &form), b(QStringLiteral("b"), &log, &form);
    TControl panel(nullptr, &form);
    TCustomEdit edit(nullptr, &panel);
    QObject::connect(&edit, &tk::TControl::OnExit, [&] { log << QStringLiteral("edit:exit"); });
    int enters = 0;
    QObject::connect(&b, &tk::TControl::OnEnter, [&] { ++enters; });
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    a.setFocus();
    QTRY_VERIFY(a.hasFocus());
    log.clear();
    b.setFocus();
    QTRY_VERIFY(b.hasFocus());
    // The notifications of the move come before the new control's own focus handling.
    QCOMPARE(log, (QStringList{"a:exit", "b:enter", "b:focus"}));
    QCOMPARE(enters, 1);
    QCOMPARE(tk::FocusTracker::activeControl(&form), &b);

    // A focused control that is hidden, or disabled with its parent, or moved to another
    // window leaves once, is forgotten, and takes no more keys.
    const std::function<void()> ways[] = {
        [&] { edit.setVisible(false); }, [&] { panel.setVisible(false); },
        [&] { panel.setEnabled(false); }, [&] { edit.setParentControl(&otherForm); }};
    for (const std::function<void()>& leave : ways) {
        edit.setParentControl(&panel);
        edit.setVisible(true);
        panel.setVisible(true);
        panel.setEnabled(true);
        edit.setFocus();
        QTRY_VERIFY(edit.hasFocus());
        log.clear();
        leave();
        QTest::keyClick(form.windowHandle(), Qt::Key_X);
        QCOMPARE(log, QStringList{"edit:exit"});
        QCOMPARE(tk::FocusTracker::activeControl(&form), nullptr);
        QVERIFY(edit.text().isEmpty());
    }
}

void TestControl::acceleratorCharacterReachesTheControlThatClaimsIt() {
    TForm form;
    QStringList log;
    Probe a(QStringLiteral("a"), &log, &form), b(QStringLiteral("b"), &log, &form);
    TControl panel(nullptr, &form);
    Probe inner(QStringLiteral("inner"), &log, &panel);
    inner.accelerator = QLatin1Char('t');
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    a.setFocus();
    QTRY_VERIFY(a.hasFocus());
    log.clear();
    QTest::keyClick(&a, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(log, QStringList{"inner:char"});
    log.clear();
    QTest::keyClick(&a, Qt::Key_T); // a custom control takes no characters: offered too
    QCOMPARE(log, QStringList{"inner:char"});
    log.clear();
    QTest::keyClick(&a, Qt::Key_X);
    QVERIFY(log.isEmpty());
    a.setEnabled(false); // no control has the focus now: the window still hears Alt+T
    log.clear();
    QTest::keyClick(form.windowHandle(), Qt::Key_T, Qt::AltModifier);
    QCOMPARE(log, QStringList{"inner:char"});
}

void TestControl::enterGoesToDialogKeysUnlessTheEditWantsIt() {
    TForm form;
    QStringList log;
    Probe button(QStringLiteral("button"), &log, &form);
    button.takeDialogKeys = true;
    TCustomEdit edit(nullptr, &form);
    QString pressed;
    QObject::connect(&edit, &tk::TControl::OnKeyPress, [&](QChar& k) { pressed += k; });
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    edit.setFocus();
    QTRY_VERIFY(edit.hasFocus());
    QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
    QCOMPARE(log, QStringList{"button:dialogkey"}); // a single-line edit leaves Enter to the form
    QVERIFY(pressed.isEmpty());
    log.clear();
    edit.setWantsAllKeys(true);
    QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
    QVERIFY(log.isEmpty());
    QCOMPARE(pressed, QStringLiteral("\r"));
    QTest::keyClicks(edit.lineEdit(), QStringLiteral("ab"));
    QCOMPARE(edit.text(), QStringLiteral("ab"));
    QCOMPARE(pressed, QStringLiteral("\rab"));
}

void TestControl::clickNeedsPressAndReleaseInside() {
    QWidget host;
    host.resize(200, 100);
    TControl c(nullptr, &host);
    c.setBounds(10, 10, 50, 20);
    int clicks = 0;
    QStringList order;
    QObject::connect(&c, &tk::TControl::OnClick, [&] {
        ++clicks;
        order << "click";
    });
    QObject::connect(&c, &tk::TControl::OnMouseUp,
                     [&](TMouseButton, TShiftState, int, int) { order << "up"; });
    host.show();
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks, 1);
    QCOMPARE(order, (QStringList{"click", "up"}));
    QTest::mousePress(&c, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(80, 5)); // released outside
    QCOMPARE(clicks, 1);
    QTest::mouseClick(&c, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(clicks, 1);
}

void TestControl::labelSizesToItsCaptionAndKeepsLineBreaks() {
    TLabel label;
    label.setControlFont(Font(QStringLiteral("Tahoma"), 13));
    label.setCaption(QStringLiteral("Hx"));
    const int oneLine = label.height();
    QCOMPARE(oneLine, 16); // the font's cell height
    QVERIFY(label.width() > 0);
    label.setCaption(QStringLiteral("Hx\r\nHxHxHx"));
    QCOMPARE(label.height(), 2 * oneLine);
    label.setCaption(QStringLiteral("&Go"));
    const int withPrefix = label.width();
    label.setCaption(QStringLiteral("Go"));
    QCOMPARE(label.width(), withPrefix); // "&" is not drawn
}

void TestControl::transparentLabelShowsParentPicture() {
    TControl parent;
    parent.setBounds(0, 0, 60, 30);
    parent.setColor(clOlive);
    TLabel label(nullptr, &parent);
    label.setAutoSize(false);
    label.setBounds(10, 5, 30, 16);
    label.setCaption(QString());
    label.setColor(clWhite);
    QCOMPARE(grab(label).pixel(2, 2), qRgb(255, 255, 255));
    label.setTransparent(true);
    QCOMPARE(grab(label).pixel(2, 2), qRgb(128, 128, 0));
}

void TestControl::stayOnTopTogglesWithoutMoving() {
    TForm form;
    form.setBorderStyle(bsNone);
    form.setBounds(257, 289, 194, 233);
    form.setStayOnTop(true); // before the window exists
    QVERIFY(form.isStayOnTop());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const WId id = form.winId();
    form.setStayOnTop(false);
    QVERIFY(!form.isStayOnTop());
    form.setStayOnTop(true);
    form.setStayOnTop(true); // the band it is already in: harmless
    QVERIFY(form.isStayOnTop());
    QCOMPARE(form.winId(), id); // the same native window
    QCOMPARE(form.pos(), QPoint(257, 289));
    QCOMPARE(form.size(), QSize(194, 233));
}

void TestControl::windowFollowsTheMouseWhenNoWindowManagerMovesIt() {
    TForm form;
    QVERIFY(showFrameless(form));
    QCursor::setPos(form.mapToGlobal(QPoint(10, 10)));
    form.startSystemMove(); // the offscreen platform has no window manager to ask
    QCursor::setPos(form.mapToGlobal(QPoint(50, 30)));
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 30), QPointF(QCursor::pos()), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &move);
    QCOMPARE(form.pos(), QPoint(140, 120));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 30), QPointF(QCursor::pos()),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &release);
    QMouseEvent later(QEvent::MouseMove, QPointF(0, 0), QPointF(0, 0), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&form, &later);
    QCOMPARE(form.pos(), QPoint(140, 120)); // the move ended with the release
}

void TestControl::otherButtonsMoveTheWindowUntilTheirOwnRelease() {
    TForm form;
    QVERIFY(showFrameless(form));
    const auto send = [&form](QEvent::Type type, QPoint global, Qt::MouseButton button,
                              Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(form.mapFromGlobal(global)), QPointF(global), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(&form, &e);
    };
    QCursor::setPos(QPoint(110, 110));
    form.startSystemMove(mbRight);
    send(QEvent::MouseMove, {150, 130}, Qt::NoButton, Qt::RightButton);
    QCOMPARE(form.pos(), QPoint(140, 120));
    // Another button pressed and released on the way: nothing happens, the move goes on.
    send(QEvent::MouseButtonPress, {150, 130}, Qt::LeftButton, Qt::RightButton | Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {150, 130}, Qt::LeftButton, Qt::RightButton);
    send(QEvent::MouseMove, {160, 140}, Qt::NoButton, Qt::RightButton);
    QCOMPARE(form.pos(), QPoint(150, 130));
    send(QEvent::MouseButtonRelease, {160, 140}, Qt::RightButton, Qt::NoButton);
    send(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::NoButton);
    QCOMPARE(form.pos(), QPoint(150, 130)); // the release of the right button ended it
    QVERIFY(!QWidget::mouseGrabber());

    // The release never came (a broken grab): a move without the button ends the move.
    form.startSystemMove(mbMiddle);
    send(QEvent::MouseMove, {210, 210}, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseMove, {220, 220}, Qt::NoButton, Qt::MiddleButton);
    QCOMPARE(form.pos(), QPoint(150, 130));
    QVERIFY(!QWidget::mouseGrabber());
}

ZARVIK_TEST_MAIN(TestControl)
#include "tst_control.moc"
