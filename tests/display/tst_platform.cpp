#include "Platform.h"
#include "TestHelpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using tk::DisplayAnswer;
using tk::DisplaySituation;
using tk::PlatformChoice;

namespace {

constexpr DisplayAnswer Up = DisplayAnswer::Answers;
constexpr DisplayAnswer Down = DisplayAnswer::Absent;
constexpr DisplayAnswer Silent = DisplayAnswer::Silent;

// A situation with fixed answers, counting the probes it was asked.
struct FakeSituation {
    DisplaySituation s;
    int probes = 0;

    FakeSituation(QByteArray chosen, QByteArray x, QByteArray wayland, DisplayAnswer xUp,
                  DisplayAnswer waylandUp, bool plugin = true) {
        s.chosenPlatform = std::move(chosen);
        s.xDisplay = std::move(x);
        s.waylandDisplay = std::move(wayland);
        s.xAnswers = [this, xUp] { return ++probes, xUp; };
        s.waylandAnswers = [this, waylandUp] { return ++probes, waylandUp; };
        s.waylandPluginInstalled = [plugin] { return plugin; };
    }
};

// A listening Unix socket, as a compositor opens one, that answers as a compositor answers
// the probe: what a connection sends first comes back.
class AnsweringSocket {
public:
    explicit AnsweringSocket(const QString& path) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(path);
        std::memcpy(address.sun_path, p.constData(), std::size_t(p.size()));
        m_ok = m_fd >= 0 &&
               ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
               ::listen(m_fd, 4) == 0;
        if (m_ok) m_answerer = std::thread([this] { answer(); });
    }
    ~AnsweringSocket() {
        if (m_fd < 0) return;
        ::shutdown(m_fd, SHUT_RDWR); // ends a waiting accept()
        if (m_answerer.joinable()) m_answerer.join();
        ::close(m_fd);
    }
    bool ok() const { return m_ok; }

private:
    void answer() {
        for (int c; (c = ::accept(m_fd, nullptr, nullptr)) >= 0; ::close(c)) {
            char request[64];
            const ssize_t got = ::recv(c, request, sizeof request, 0);
            if (got > 0) (void)::send(c, request, std::size_t(got), MSG_NOSIGNAL);
        }
    }

    int m_fd = -1;
    bool m_ok = false;
    std::thread m_answerer;
};

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
    void probesOnlyWhatTheChoiceNeeds();
    void qtOptionsWinOverTheEnvironment();
    void probesConnectForReal();
};

void TestPlatform::choice_data() {
    testsupport::addColumns<QByteArray, QByteArray, QByteArray, DisplayAnswer, DisplayAnswer, bool,
                            QByteArray>(
        {"chosen", "x", "wayland", "xUp", "waylandUp", "plugin", "platform"});
    QTest::addColumn<QStringList>("failureNames"); // empty: no failure

    const QStringList none;
    // Nothing chosen: X11 wherever it answers, Wayland only without it.
    QTest::newRow("both-displays-take-xwayland")
        << QByteArray() << QByteArray(":0") << QByteArray("wayland-0") << Up << Up << true
        << QByteArray("xcb") << none;
    QTest::newRow("x-only") << QByteArray() << QByteArray(":0") << QByteArray() << Up << Down
                            << true << QByteArray("xcb") << none;
    QTest::newRow("wayland-only") << QByteArray() << QByteArray() << QByteArray("wayland-1") << Down
                                  << Up << true << QByteArray("wayland") << none;
    QTest::newRow("dead-x-beside-wayland")
        << QByteArray() << QByteArray(":79") << QByteArray("wayland-1") << Down << Up << true
        << QByteArray("wayland") << none;
    QTest::newRow("no-display-at-all")
        << QByteArray() << QByteArray() << QByteArray() << Down << Down << true << QByteArray()
        << QStringList{"no X11 display (DISPLAY is not set)",
                       "no Wayland display (WAYLAND_DISPLAY is not set)"};
    QTest::newRow("dead-x") << QByteArray() << QByteArray(":79") << QByteArray() << Down << Down
                            << true << QByteArray()
                            << QStringList{"no X11 display at \":79\"", "no Wayland display"};
    QTest::newRow("dead-wayland") << QByteArray() << QByteArray() << QByteArray("wayland-9") << Down
                                  << Down << true << QByteArray()
                                  << QStringList{"no Wayland display at \"wayland-9\""};
    // A server that takes the connection and never answers (a stopped one) is none either.
    QTest::newRow("stopped-x-beside-wayland")
        << QByteArray() << QByteArray(":5") << QByteArray("wayland-1") << Silent << Up << true
        << QByteArray("wayland") << none;
    QTest::newRow("wayland-without-qt-plugin")
        << QByteArray() << QByteArray() << QByteArray("wayland-1") << Down << Up << false
        << QByteArray() << QStringList{"\"wayland-1\"", "qt6-wayland"};
    // The user's choice stands; it fails early only where it can be seen to fail.
    QTest::newRow("offscreen-needs-no-display")
        << QByteArray("offscreen") << QByteArray() << QByteArray() << Down << Down << true
        << QByteArray() << none;
    QTest::newRow("chosen-list-with-offscreen")
        << QByteArray("wayland;offscreen") << QByteArray() << QByteArray() << Down << Down << true
        << QByteArray() << none;
    QTest::newRow("chosen-xcb-answers")
        << QByteArray("xcb") << QByteArray(":0") << QByteArray("wayland-0") << Up << Up << true
        << QByteArray() << none;
    QTest::newRow("chosen-wayland-beside-x")
        << QByteArray("wayland") << QByteArray(":0") << QByteArray("wayland-0") << Up << Up << true
        << QByteArray() << none;
    QTest::newRow("chosen-xcb-without-x")
        << QByteArray("xcb") << QByteArray(":79") << QByteArray("wayland-0") << Down << Up << true
        << QByteArray() << QStringList{"chosen platform \"xcb\"", "no X11 display at \":79\""};
    QTest::newRow("chosen-list-with-options-none-answers")
        << QByteArray("wayland-egl;XCB:nosm") << QByteArray() << QByteArray() << Down << Down
        << true << QByteArray() << QStringList{"no Wayland display", "no X11 display"};
    QTest::newRow("chosen-wayland-twice-named-once")
        << QByteArray("wayland;wayland-egl") << QByteArray() << QByteArray() << Down << Down
        << true << QByteArray() << QStringList{"no Wayland display"};
}

void TestPlatform::choice() {
    QFETCH(QByteArray, chosen);
    QFETCH(QByteArray, x);
    QFETCH(QByteArray, wayland);
    QFETCH(DisplayAnswer, xUp);
    QFETCH(DisplayAnswer, waylandUp);
    QFETCH(bool, plugin);
    QFETCH(QByteArray, platform);
    QFETCH(QStringList, failureNames);
    FakeSituation fake(chosen, x, wayland, xUp, waylandUp, plugin);
    const PlatformChoice c = tk::choosePlatform(fake.s);
    QCOMPARE(c.platform, platform);
    QCOMPARE(c.failure.isEmpty(), failureNames.isEmpty());
    QVERIFY2(!c.failure.contains(QLatin1Char('\n')), qPrintable(c.failure));
    for (const QString& name : failureNames) // each reason once
        QVERIFY2(c.failure.count(name) == 1, qPrintable(c.failure));
}

void TestPlatform::probesOnlyWhatTheChoiceNeeds() {
    // Each probe is a connection to a display server at start-up.
    FakeSituation x("", ":0", "wayland-0", Up, Up);
    QCOMPARE(tk::choosePlatform(x.s).platform, QByteArray("xcb"));
    QCOMPARE(x.probes, 1);
    FakeSituation offscreen("offscreen", ":0", "wayland-0", Up, Up);
    tk::choosePlatform(offscreen.s);
    QCOMPARE(offscreen.probes, 0);
    FakeSituation twice("xcb;xcb", ":79", "", Down, Down);
    tk::choosePlatform(twice.s);
    QCOMPARE(twice.probes, 1);
}

void TestPlatform::qtOptionsWinOverTheEnvironment() {
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", ":5");
    qputenv("WAYLAND_DISPLAY", "wayland-3");
    const char* plain[] = {"zarvik"};
    DisplaySituation s = tk::currentDisplaySituation(1, plain);
    QCOMPARE(s.chosenPlatform, QByteArray("xcb"));
    QCOMPARE(s.xDisplay, QByteArray(":5"));
    QCOMPARE(s.waylandDisplay, QByteArray("wayland-3"));
    const char* options[] = {"zarvik", "--platform", "offscreen", "-display", ":7", "-platform"};
    s = tk::currentDisplaySituation(6, options);
    QCOMPARE(s.chosenPlatform, QByteArray("offscreen")); // a trailing option without value is none
    QCOMPARE(s.xDisplay, QByteArray(":7"));
    qunsetenv("QT_QPA_PLATFORM");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
}

void TestPlatform::probesConnectForReal() {
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qunsetenv("WAYLAND_SOCKET");
    AnsweringSocket compositor(runtime.filePath(QStringLiteral("wayland-test")));
    QVERIFY(compositor.ok());
    QFile plainFile(runtime.filePath(QStringLiteral("not-a-socket")));
    QVERIFY(plainFile.open(QIODevice::WriteOnly));

    const auto waylandAnswers = [](const char* name) {
        qputenv("WAYLAND_DISPLAY", name);
        const char* argv[] = {"zarvik"};
        return tk::currentDisplaySituation(1, argv).waylandAnswers();
    };
    QCOMPARE(waylandAnswers("wayland-test"), Up);
    QCOMPARE(waylandAnswers(qPrintable(runtime.filePath(QStringLiteral("wayland-test")))), Up);
    QCOMPARE(waylandAnswers("wayland-none"), Down);
    QCOMPARE(waylandAnswers("not-a-socket"), Down);
    QCOMPARE(waylandAnswers(qPrintable(QString(200, QLatin1Char('w')))), Down); // too long a path
    qunsetenv("WAYLAND_DISPLAY");

    int n = 7919;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
           QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
        ++n;
    for (const QByteArray& display : {":" + QByteArray::number(n), QByteArray("garbage")}) {
        qputenv("DISPLAY", display);
        const char* argv[] = {"zarvik"};
        QCOMPARE(tk::currentDisplaySituation(1, argv).xAnswers(), Down);
    }
    qunsetenv("DISPLAY");
}

QTEST_APPLESS_MAIN(TestPlatform)
#include "tst_platform.moc"
