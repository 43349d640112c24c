#include "Application.h"
#include "FlatPanel.h"
#include "Gbk.h"
#include "Layout.h"
#include "ProcessCounters.h"
#include "TestEnvironment.h"
#include "zrvkf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// What the window does with tables and text it cannot make sense of: report it or carry
// on with what it could read, and answer every query with bounded work: reading no more of
// a table than it holds, and holding no more of an answer than the box shows.
namespace {

using testsupport::peakResidentKiB;

// A table that would hang the start is let go after UnblockAfterMs, so that the test
// fails rather than hangs.
constexpr int UnblockAfterMs = 6000;
constexpr qsizetype HugeLineBytes = 50 * 1024 * 1024;
// What a query may add to the memory's peak: the answer box's text and its layout, far
// less than a table line of megabytes held whole.
constexpr qint64 QueryPeakKiB = 16 * 1024;
// What a start may read besides the tables (a few hundred bytes: this count's own reads).
constexpr qint64 StartReadSlack = 64 * 1024;

QByteArray gbk(const QString& text) {
    const auto bytes = tk::gbk::encode(text);
    if (!bytes) qFatal("test text is not GBK");
    return *bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Frees a reader stuck on a named pipe after UnblockAfterMs: a writer comes (or the one
// held from the start goes) and the reader sees the end of the data. With `holdWriter` a
// writer holds the pipe open from the start, so that opening it does not block but
// reading does.
class PipeUnblocker {
public:
    PipeUnblocker(const QString& path, bool holdWriter)
        : m_path(QFile::encodeName(path)),
          m_writer(holdWriter ? ::open(m_path.constData(), O_RDWR | O_NONBLOCK) : -1),
          m_thread([this](std::stop_token stop) {
              std::mutex mutex;
              std::unique_lock lock(mutex);
              std::condition_variable_any().wait_for(
                  lock, stop, std::chrono::milliseconds(UnblockAfterMs), [] { return false; });
              if (stop.stop_requested()) return;
              m_steppedIn = true;
              if (m_writer >= 0) {
                  ::close(std::exchange(m_writer, -1));
              } else if (const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
                         fd >= 0) {
                  ::close(fd);
              }
          }) {}
    ~PipeUnblocker() {
        m_thread.request_stop();
        m_thread.join();
        if (m_writer >= 0) ::close(m_writer);
    }
    // Whether the reader waited on the pipe until it was freed.
    bool steppedIn() const { return m_steppedIn; }

private:
    QByteArray m_path;
    int m_writer;
    std::atomic<bool> m_steppedIn = false;
    std::jthread m_thread;
};

} // namespace

// The window's handlers by name, doing nothing: its layout is read into a plain form.
class WindowHandlers : public QObject {
    Q_OBJECT
public slots:
    void FormCreate() {}
    void FlatButton1Click() {}
    void FlatEdit1KeyPress() {}
    void FlatCheckBox1Click() {}
    void fltpnl1MouseDown() {}
    void lbl1MouseDown() {}
    void lbl2Click() {}
    void FlatLabel1Click() {}
};

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void unreadableTablesAreReportedOrReadAsFarAsTheyGo_data();
    void unreadableTablesAreReportedOrReadAsFarAsTheyGo();
    void tableLargerThanTheMemoryAllowedIsReported();
    void longInputIsAnsweredWithBoundedMemory_data();
    void longInputIsAnsweredWithBoundedMemory();
    void charactersGbkCannotHoldHaveTheirOwnAnswer_data();
    void charactersGbkCannotHoldHaveTheirOwnAnswer();
    void malformedLayoutNamesTheLineAndLeavesNothingBehind_data();
    void malformedLayoutNamesTheLineAndLeavesNothingBehind();
    void largestPanelPaintsWhatShowsInBoundedMemory();

private:
    // Types `text` into the input box and presses the query button; returns the answer, and
    // in `peakKiB` how far the query raised the memory's peak.
    QString query(TForm1& form, const QString& text, qint64* peakKiB = nullptr);

    QTemporaryDir m_shared; // the 50 MB table, written once per run
    QString m_hugeLine;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
    QStringList m_errors;
};

void TestBadInput::initTestCase() {
    QVERIFY(m_shared.isValid());
    m_hugeLine = m_shared.filePath(QStringLiteral("huge.m"));
    QVERIFY(writeFile(m_hugeLine, QByteArray(HugeLineBytes, 'a')));
}

void TestBadInput::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_errors.clear();
    tk::setErrorBoxHandler([this](const QString&, const QString& text) { m_errors << text; });
    // A sound Cangjie 3 table beside whatever the Cangjie 5 one is.
    QVERIFY(writeFile(QStringLiteral("cj3.m"), gbk(QStringLiteral("字 jnd 十弓木\n"))));
}

void TestBadInput::cleanup() {
    tk::setErrorBoxHandler({});
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
}

QString TestBadInput::query(TForm1& form, const QString& text, qint64* peakKiB) {
    form.FlatEdit1->setText(text);
    testsupport::restartPeakResident();
    const qint64 before = peakResidentKiB();
    form.FlatButton1->click();
    if (peakKiB) *peakKiB = before < 0 ? 0 : peakResidentKiB() - before;
    return form.FlatEdit2->text();
}

void TestBadInput::unreadableTablesAreReportedOrReadAsFarAsTheyGo_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");  // the start of the error box's text; empty: none
    QTest::addColumn<QString>("reason"); // what the error box says after the path
    QTest::addColumn<QString>("text");   // queried in the Cangjie 5 table
    QTest::addColumn<QString>("answer"); // empty: any answer will do
    const QString notFound = QString::fromUtf8(NotFoundText);
    const QString cannotOpen = QStringLiteral("Cannot open file");
    QTest::newRow("a directory") << "directory" << cannotOpen << "Is a directory."
                                 << "字" << notFound;
    QTest::newRow("a named pipe without a writer")
        << "pipe" << cannotOpen << "It is a named pipe, not a regular file."
        << "字" << notFound;
    QTest::newRow("a named pipe a writer holds open")
        << "pipe-held" << cannotOpen << "It is a named pipe, not a regular file."
        << "字" << notFound;
    QTest::newRow("a link to /dev/zero")
        << "dev-zero" << cannotOpen << "It is a character device, not a regular file."
        << "字" << notFound;
    QTest::newRow("a sparse file one byte over 64 MiB")
        << "sparse" << cannotOpen
        << "The file is too large for a code table (67108865 bytes, at most 67108864)"
        << "字" << notFound;
    QTest::newRow("empty") << "empty" << QString() << QString() << "字" << notFound;
    QTest::newRow("binary noise") << "noise" << QString() << QString() << "字" << QString();
    QTest::newRow("invalid GBK before a sound line")
        << "invalid" << QString() << QString() << "字" << QStringLiteral("字 jnd 十弓木");
    QTest::newRow("one line of 50 MB") << "huge" << QString() << QString() << "字" << notFound;
    // The whole line would freeze the window for half a minute: the box shows its start.
    QTest::newRow("one line of 50 MB that matches")
        << "huge" << QString() << QString() << "a"
        << QString(MaxAnswerLength, QLatin1Char('a')) + QChar(0x2026);
}

void TestBadInput::unreadableTablesAreReportedOrReadAsFarAsTheyGo() {
    QFETCH(QString, kind);
    QFETCH(QString, error);
    QFETCH(QString, reason);
    QFETCH(QString, text);
    QFETCH(QString, answer);
    const QString path = QStringLiteral("cj5.m");
    std::optional<PipeUnblocker> unblocker;
    if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind.startsWith(QLatin1String("pipe"))) {
        QCOMPARE(::mkfifo(qPrintable(path), 0600), 0);
        unblocker.emplace(path, kind == QLatin1String("pipe-held"));
    } else if (kind == QLatin1String("dev-zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (kind == QLatin1String("sparse")) {
        QFile sparse(path);
        QVERIFY(sparse.open(QIODevice::WriteOnly));
        QCOMPARE(::ftruncate(sparse.handle(), off_t(dict::CodeTable::MaxBytes) + 1), 0);
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(writeFile(path, {}));
    } else if (kind == QLatin1String("noise")) {
        QRandomGenerator random(20261208);
        QByteArray noise(256 * 1024, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        QVERIFY(writeFile(path, noise));
    } else if (kind == QLatin1String("invalid")) {
        // A lone lead byte at a line's end, bytes that start no character, a lead byte
        // with a trail no character has: none of them may hide the line after them.
        QVERIFY(writeFile(path, QByteArray("\x81\n\xff\xfe\x80\n\x81\x30\x81\x7f\n") +
                                    gbk(QStringLiteral("字 jnd 十弓木\n"))));
    } else {
        QVERIFY(QFile::link(m_hugeLine, path));
    }

    const QFileInfo table(path);
    const qint64 tableBytes = table.isFile() && table.size() <= qint64(dict::CodeTable::MaxBytes)
                                  ? table.size() + QFileInfo(QStringLiteral("cj3.m")).size()
                                  : 0;
    const qint64 readBefore = testsupport::bytesReadSoFar();
    TForm1 form;
    // What the start read: the tables it can hold, not a device, a pipe or a file too large
    // read through; and it never waited on a pipe.
    const qint64 read = testsupport::bytesReadSoFar() - readBefore;
    QVERIFY2(readBefore >= 0 && read <= tableBytes + StartReadSlack,
             qPrintable(QStringLiteral("%1 bytes read to start").arg(read)));
    QVERIFY(!unblocker || !unblocker->steppedIn());
    unblocker.reset();
    if (error.isEmpty()) {
        QCOMPARE(m_errors, QStringList());
    } else {
        QCOMPARE(m_errors.size(), 1);
        QCOMPARE(m_errors.front(), QStringLiteral("%1 \"%2\". %3")
                                       .arg(error, QDir::current().absoluteFilePath(path), reason));
    }
    qint64 peak = 0;
    const QString got = query(form, text, &peak);
    if (!answer.isEmpty()) QCOMPARE(got, answer);
    QVERIFY2(peak < QueryPeakKiB, qPrintable(QStringLiteral("%1 KiB more at the peak").arg(peak)));
    // The other table is untouched by this one's trouble.
    form.FlatRadioButton2->click();
    QCOMPARE(query(form, QStringLiteral("字")), QStringLiteral("字 jnd 十弓木"));
}

void TestBadInput::tableLargerThanTheMemoryAllowedIsReported() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves more address space than the limit would leave");
#else
    // A sparse file as large as a table may be: 64 MiB to the reader, no room on the disk.
    {
        QFile big(QStringLiteral("cj5.m"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(qint64(dict::CodeTable::MaxBytes)));
    }
    // What `ulimit -v` does to the program: the address space in use now and less than the
    // table needs.
    QFile statm(QStringLiteral("/proc/self/statm"));
    QVERIFY(statm.open(QIODevice::ReadOnly));
    const rlim_t inUse = statm.readAll().split(' ').value(0).toULongLong() *
                         static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    QVERIFY(inUse > 0);
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_AS, &old), 0);
    rlimit tight = old;
    tight.rlim_cur = std::min(old.rlim_max, inUse + (rlim_t(48) << 20));
    QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
    struct Restore {
        rlimit limit;
        ~Restore() { setrlimit(RLIMIT_AS, &limit); }
    } restore{old};

    TForm1 form;
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors.front().startsWith(QStringLiteral("Cannot read file")) &&
                 m_errors.front().contains(QStringLiteral("Not enough memory")),
             qPrintable(m_errors.front()));
    QCOMPARE(query(form, QStringLiteral("字")), QString::fromUtf8(NotFoundText));
    form.FlatRadioButton2->click();
    QCOMPARE(query(form, QStringLiteral("字")), QStringLiteral("字 jnd 十弓木"));
#endif
}

void TestBadInput::longInputIsAnsweredWithBoundedMemory_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("answer");
    const QString notFound = QString::fromUtf8(NotFoundText);
    QTest::newRow("100,000 times one character") << QString(100000, QChar(0x5B57)) << notFound;
    QString mixed;
    mixed.reserve(100000);
    QRandomGenerator random(9);
    while (mixed.size() < 100000)
        mixed += QChar(char16_t(0x4E00 + random.bounded(0x51A5)));
    QTest::newRow("100,000 characters, mixed") << mixed << QString();
    // The input box may keep only the start of a long paste: the character is up front.
    QTest::newRow("100,000 characters starting with one GBK cannot hold")
        << QStringLiteral("😀") + QString(99998, QChar(0x5B57)) << QString::fromUtf8(NotInGbkText);
}

void TestBadInput::longInputIsAnsweredWithBoundedMemory() {
    QFETCH(QString, text);
    QFETCH(QString, answer);
    // A table of some size, so the search has work to do.
    QByteArray table;
    for (int i = 0; i < 20000; ++i)
        table += gbk(QStringLiteral("倉 oiar 人戈日口\n"));
    table += gbk(QStringLiteral("字 jnd 十弓木\n"));
    QVERIFY(writeFile(QStringLiteral("cj5.m"), table));
    TForm1 form;
    QCOMPARE(m_errors, QStringList());

    qint64 peak = 0;
    const QString got = query(form, text, &peak);
    QVERIFY(text.startsWith(form.FlatEdit1->text()));
    if (!answer.isEmpty()) QCOMPARE(got, answer);
    QVERIFY2(peak < QueryPeakKiB, qPrintable(QStringLiteral("%1 KiB more at the peak").arg(peak)));
    // The window still answers the next query.
    QCOMPARE(query(form, QStringLiteral("字")), QStringLiteral("字 jnd 十弓木"));
}

// Text GBK cannot hold is answered from the table of every character beside the GBK ones;
// without it, or when it cannot be read, the result box says so, and the start never does.
void TestBadInput::charactersGbkCannotHoldHaveTheirOwnAnswer_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("everyCharacterTable"); // none, lines, pipe, huge, nul, empty
    QTest::addColumn<QString>("answer");
    const QString notInGbk = QString::fromUtf8(NotInGbkText);
    QTest::newRow("emoji") << QStringLiteral("😀") << "none" << notInGbk;
    QTest::newRow("beyond the BMP (CJK extension B)") << QStringLiteral("𠀀") << "none" << notInGbk;
    QTest::newRow("a Hangul syllable") << QStringLiteral("한") << "none" << notInGbk;
    QTest::newRow("GBK text with one it cannot hold")
        << QStringLiteral("字😀") << "none" << notInGbk;
    QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) << "none" << notInGbk;
    QTest::newRow("from the table of every character")
        << QStringLiteral("㗎") << "lines" << QStringLiteral("㗎 rkrd 口大口木");
    QTest::newRow("in no line of it")
        << QStringLiteral("😀") << "lines" << QString::fromUtf8(NotFoundText);
    // The test's own folder is made for each row: $TABLE stands for the table's path there.
    const QString cannotOpen = QStringLiteral("Cannot open file \"$TABLE\". ");
    QTest::newRow("a named pipe in its place")
        << QStringLiteral("㗎") << "pipe" << cannotOpen + "It is a named pipe, not a regular file";
    QTest::newRow("larger than a table may be")
        << QStringLiteral("㗎") << "huge"
        << cannotOpen +
               QStringLiteral("The file is too large for a code table (%1 bytes, at most %2)")
                   .arg(dict::CodeTable::MaxBytes + 1)
                   .arg(dict::CodeTable::MaxBytes);
    // The lines behind a NUL would be missing without a word, and "未找到" would be wrong.
    const QString cannotRead = QStringLiteral("Cannot read file \"$TABLE\". ");
    QTest::newRow("a NUL before its lines")
        << QStringLiteral("㗎") << "nul"
        << cannotRead + "It holds a NUL byte in line 1, and a code table is text";
    QTest::newRow("an empty file")
        << QStringLiteral("㗎") << "empty"
        << cannotRead + "It is empty, and a code table has a line for each character";
}

void TestBadInput::charactersGbkCannotHoldHaveTheirOwnAnswer() {
    QFETCH(QString, text);
    QFETCH(QString, everyCharacterTable);
    QFETCH(QString, answer);
    QVERIFY(writeFile(QStringLiteral("cj5.m"), gbk(QStringLiteral("字 jnd 十弓木\n"))));
    const QString path = QStringLiteral("cj5-utf8.m");
    if (everyCharacterTable == QLatin1String("lines")) {
        QVERIFY(writeFile(path, QStringLiteral("字 jnd 十弓木\n㗎 rkrd 口大口木\n").toUtf8()));
    } else if (everyCharacterTable == QLatin1String("nul")) {
        QVERIFY(
            writeFile(path, QByteArray(1, '\0') + QStringLiteral("㗎 rkrd 口大口木\n").toUtf8()));
    } else if (everyCharacterTable == QLatin1String("empty")) {
        QVERIFY(writeFile(path, QByteArray()));
    } else if (everyCharacterTable == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(qPrintable(path), 0600), 0);
    } else if (everyCharacterTable == QLatin1String("huge")) {
        QFile sparse(path);
        QVERIFY(sparse.open(QIODevice::WriteOnly));
        QCOMPARE(::ftruncate(sparse.handle(), off_t(dict::CodeTable::MaxBytes) + 1), 0);
    }
    TForm1 form;
    QCOMPARE(m_errors, QStringList());
    QCOMPARE(query(form, text),
             answer.replace(QLatin1String("$TABLE"), QDir::current().absoluteFilePath(path)));
    // A GBK query still answers from the GBK table.
    QCOMPARE(query(form, QStringLiteral("字")), QStringLiteral("字 jnd 十弓木"));
}

void TestBadInput::malformedLayoutNamesTheLineAndLeavesNothingBehind_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("line"); // -1: no error; else the line of `from` plus this many
    QTest::newRow("intact") << QString() << QString() << -1;
    QTest::newRow("unterminated string") << "Caption = 'Zarvik2.2'"
                                         << "Caption = 'Zarvik2.2" << 0;
    QTest::newRow("unknown class") << ": TFlatButton"
                                   << ": TNoSuchButton" << 0;
    QTest::newRow("text for a number") << "Left = 257"
                                       << "Left = 'abc'" << 0;
    QTest::newRow("control characters") << "ClientHeight = 233"
                                        << "ClientHeight = \x01\x02" << 0;
    // What a mutation fuzzer found: each crashed, hung or misbehaved before.
    const QString panel1 = QStringLiteral("  object FlatPanel1: TFlatPanel\n");
    QTest::newRow("a panel inside an image list (freed memory read on destruction)")
        << panel1 << "  object IL: TImageList\n    object P: TFlatPanel\n    end\n  end\n" + panel1
        << 1;
    QString nested;
    for (int i = 0; i < 10000; ++i)
        nested += QStringLiteral("object P%1: TFlatPanel\n").arg(i);
    for (int i = 0; i < 10000; ++i)
        nested += QStringLiteral("end\n");
    QTest::newRow("10,000 nested panels (stack overflow)") << panel1 << nested + panel1 << 64;
    QTest::newRow("pages style 5 (enumeration out of range)") << "      Style = pcsFlatStyle"
                                                              << "      Style = 5" << 0;
    QTest::newRow("the form at top 2147483647 (signed overflow)") << "Top = 289"
                                                                  << "Top = 2147483647" << 0;
    QTest::newRow("a plain sheet in the flat pages (error without a line)")
        << "object fltsht2: TFlatSheet"
        << "object fltsht2: TTabSheet" << 0;
    QTest::newRow("a panel 16,777,215 pixels wide (gigabytes to paint)")
        << "    Width = 194\n    Height = 233\n    TabOrder"
        << "    Width = 16777215\n    Height = 233\n    TabOrder" << 0;
}

void TestBadInput::malformedLayoutNamesTheLineAndLeavesNothingBehind() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, line);
    registerFormClasses();
    QFile file(QStringLiteral(":/forms/zrvkf.layout"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The window's own layout, read into a plain form so that its class matches the root.
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("object Form1: TForm1\n"), QStringLiteral("object Form1: TForm\n"));
    if (!from.isEmpty()) {
        const qsizetype at = text.indexOf(from);
        QVERIFY(at >= 0);
        line += int(QStringView(text).left(at).count(QLatin1Char('\n'))) + 1;
        text.replace(at, from.size(), to);
    }
    WindowHandlers handlers;

    tk::TForm form;
    const QList<QWidget*> before = form.findChildren<QWidget*>();
    try {
        tk::readLayout(&form, text, &handlers);
        if (line >= 0) QFAIL("no error");
        QVERIFY(form.findChildren<QWidget*>().size() > before.size());
        return;
    } catch (const tk::LayoutError& e) {
        if (line < 0) QFAIL(e.what());
        QCOMPARE(e.line(), line);
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("line %1").arg(line)),
                 e.what());
    }
    // Everything the reader created is gone again (ASan checks the memory).
    QCOMPARE(form.findChildren<QWidget*>(), before);
}

// The largest panel a layout may hold (the reader refuses a larger one), 32,767 pixels
// square in a small window, paints only what shows, without a picture of its whole size
// (4 GiB).
void TestBadInput::largestPanelPaintsWhatShowsInBoundedMemory() {
    tk::TForm form;
    form.setWidth(194);
    form.setHeight(233);
    auto* panel = new flat::TFlatPanel(&form, &form);
    panel->setBounds(0, 0, tk::MaxCoordinate, tk::MaxCoordinate);
    panel->setCaption(QStringLiteral("A caption repaints the whole panel"));
    panel->setStyleFace(flat::fsCustom);
    QCOMPARE(panel->size(), QSize(tk::MaxCoordinate, tk::MaxCoordinate));
    // Linux forgets the peak so far on request; elsewhere the peak before still bounds it.
    testsupport::restartPeakResident();
    const qint64 peakBefore = peakResidentKiB();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.repaint();
    QImage shown(194, 233, QImage::Format_RGB32);
    panel->render(&shown, QPoint(), QRegion(0, 0, 194, 233));
    constexpr qint64 FullPictureKiB = qint64(tk::MaxCoordinate) * tk::MaxCoordinate * 4 / 1024;
    if (peakBefore > 0) QVERIFY(peakResidentKiB() - peakBefore < FullPictureKiB / 16);
    QCOMPARE(shown.pixel(0, 100), qRgb(136, 165, 97)); // the border on the left edge
}

ZARVIK_TEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
