#include "CodeTable.h"
#include "ProcessCounters.h"
#include "ScanLevels.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using dict::CodeTable;
using dict::TableError;

namespace {

QList<QByteArray> linesOf(const CodeTable& table) {
    QList<QByteArray> lines;
    for (std::size_t i = 0; i < table.count(); ++i) {
        const std::string_view line = table.line(static_cast<std::ptrdiff_t>(i));
        lines.append(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    }
    return lines;
}

// The first text offset (up to two past the text) where lineAt() disagrees with where the
// lines lie, or -1: every byte of a line belongs to it, terminators and beyond to none.
qsizetype lineAtDisagreement(const CodeTable& table) {
    const std::string_view text = table.text();
    std::vector<std::size_t> owner(text.size() + 2, table.count());
    for (std::size_t i = 0; i < table.count(); ++i) {
        const std::string_view line = table.line(static_cast<std::ptrdiff_t>(i));
        const auto begin = static_cast<std::size_t>(line.data() - text.data());
        std::fill_n(owner.begin() + static_cast<std::ptrdiff_t>(begin), line.size(), i);
    }
    for (std::size_t pos = 0; pos < owner.size(); ++pos)
        if (table.lineAt(pos) != owner[pos]) return static_cast<qsizetype>(pos);
    return -1;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString messageOf(CodeTable& table, const QString& path) {
    try {
        table.load(path.toStdString());
    } catch (const TableError& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("(no error)");
}

// The working directory for one test, restored afterwards.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const QString& dir) : m_previous(QDir::currentPath()) {
        QDir::setCurrent(dir);
    }
    ~ScopedCurrentDir() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

} // namespace

class TestCodeTable : public QObject {
    Q_OBJECT

private slots:
    void split_data();
    void split();
    void terminatorsAroundLongQuietText();
    void indexOutOfBounds_data();
    void indexOutOfBounds();
    void openErrorNamesFullPath_data();
    void openErrorNamesFullPath();
    void directoryIsAnOpenError();
    void failedLoadKeepsContent();
    void fileWithoutReportedSizeIsReadToTheEnd();
    void fileLargerThanATableIsRefusedUnread_data();
    void fileLargerThanATableIsRefusedUnread();
    void fileOfTheLargestSizeLoads();

private:
    QTemporaryDir m_dir;
};

void TestCodeTable::split_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("lines");
    using L = QList<QByteArray>;
    const auto b = [](const char* s, qsizetype n) { return QByteArray(s, n); };

    QTest::newRow("empty-file") << QByteArray() << L{};
    QTest::newRow("crlf-both-terminated") << QByteArray("a\r\nb\r\n") << L{"a", "b"};
    QTest::newRow("crlf-last-unterminated") << QByteArray("a\r\nb") << L{"a", "b"};
    QTest::newRow("lf-alone") << QByteArray("a\nb\n") << L{"a", "b"};
    QTest::newRow("cr-alone") << QByteArray("a\rb\r") << L{"a", "b"};
    QTest::newRow("lf-then-cr-is-two-ends") << QByteArray("a\n\rb") << L{"a", "", "b"};
    QTest::newRow("lf-cr-lf-is-two-ends") << QByteArray("a\n\r\nb") << L{"a", "", "b"};
    QTest::newRow("cr-then-crlf") << QByteArray("a\r\r\nb") << L{"a", "", "b"};
    QTest::newRow("two-lf-make-empty-line") << QByteArray("a\n\nb") << L{"a", "", "b"};
    QTest::newRow("leading-terminator") << QByteArray("\r\nb") << L{"", "b"};
    QTest::newRow("terminator-only") << QByteArray("\n") << L{""};
    QTest::newRow("nul-first-byte") << b("\0a\r\nb", 5) << L{};
    QTest::newRow("nul-ends-text") << b("a\0b\r\nc", 6) << L{"a"};
    QTest::newRow("nul-after-terminator") << b("a\r\n\0b", 5) << L{"a"};
    QTest::newRow("blanks-and-tabs-kept") << QByteArray(" a \t\r\n\tb ") << L{" a \t", "\tb "};
    QTest::newRow("duplicates-kept-in-order") << QByteArray("x\ny\nx\n") << L{"x", "y", "x"};
    QTest::newRow("gbk-bytes-untouched")
        << QByteArray("\xD7\xD6 jnd\n\x82\x7D oiar") << L{"\xD7\xD6 jnd", "\x82\x7D oiar"};
    // Three whole blocks and a short one: a group of four read here reaches past the buffer.
    QTest::newRow("200-bytes-without-line-end") << QByteArray(200, 'q') << L{QByteArray(200, 'q')};
}

void TestCodeTable::split() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, lines);

    const QString path = m_dir.filePath(QStringLiteral("split.m"));
    writeFile(path, bytes);
    CodeTable fromFile;
    fromFile.load(path.toStdString());
    QCOMPARE(linesOf(fromFile), lines);

    // The same bytes behind a first line of every length up to 70, so that each terminator
    // also falls on and around the boundaries of the blocks the splitter scans at once, with
    // every instruction set.
    atEveryScanLevel([&] {
        for (qsizetype shift = 0; shift < 70; ++shift) {
            const QByteArray first(shift, 'x');
            const QByteArray shifted = first + '\n' + bytes;
            CodeTable fromBytes;
            fromBytes.assign(
                std::string_view(shifted.constData(), static_cast<std::size_t>(shifted.size())));
            QCOMPARE(linesOf(fromBytes), QList<QByteArray>{first} + lines);
            QCOMPARE(lineAtDisagreement(fromBytes), -1);
        }
    });
}

// Long stretches without a CR or a NUL are split a group of blocks at a time: a CR, a CR LF
// pair or a NUL at every offset around those groups' edges, with enough text after it for
// whole groups.
void TestCodeTable::terminatorsAroundLongQuietText() {
    using L = QList<QByteArray>;
    const QByteArray after(600, 'y');
    atEveryScanLevel([&] {
        for (qsizetype shift = 1; shift < 600; ++shift) {
            const QByteArray before(shift, 'x');
            for (const auto& [ending, lines] : {std::pair{QByteArray("\r\n"), L{before, after}},
                                                {QByteArray("\r"), L{before, after}},
                                                {QByteArray("\n\r\n"), L{before, "", after}},
                                                {QByteArray(1, '\0'), L{before}}}) {
                const QByteArray bytes = before + ending + after + '\n';
                CodeTable table;
                table.assign(std::string_view(bytes.constData(), std::size_t(bytes.size())));
                QCOMPARE(linesOf(table), lines);
                QCOMPARE(lineAtDisagreement(table), -1);
            }
        }
    });
}

void TestCodeTable::indexOutOfBounds_data() {
    QTest::addColumn<qlonglong>("index");
    QTest::addColumn<QString>("message");
    QTest::newRow("negative") << -1LL << "List index out of bounds (-1)";
    QTest::newRow("count") << 2LL << "List index out of bounds (2)";
    QTest::newRow("far-beyond") << 100000LL << "List index out of bounds (100000)";
}

void TestCodeTable::indexOutOfBounds() {
    QFETCH(qlonglong, index);
    QFETCH(QString, message);
    CodeTable table;
    table.assign("a\nb\n");
    try {
        table.line(static_cast<std::ptrdiff_t>(index));
        QFAIL("no error raised");
    } catch (const TableError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
}

void TestCodeTable::openErrorNamesFullPath_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plain-name") << "cj5.m";
    QTest::newRow("dot-slash") << "./cj5.m";
    QTest::newRow("dot-dot-step") << "sub/../cj5.m";
}

void TestCodeTable::openErrorNamesFullPath() {
    QFETCH(QString, name);
    const ScopedCurrentDir cwd(m_dir.path());
    CodeTable table;
    QCOMPARE(messageOf(table, name),
             QStringLiteral("Cannot open file \"%1/cj5.m\". No such file or directory")
                 .arg(QDir::currentPath()));
}

void TestCodeTable::directoryIsAnOpenError() {
    const ScopedCurrentDir cwd(m_dir.path());
    QVERIFY(QDir().mkpath(QStringLiteral("cj3.m")));
    CodeTable table;
    QCOMPARE(
        messageOf(table, QStringLiteral("cj3.m")),
        QStringLiteral("Cannot open file \"%1/cj3.m\". Is a directory").arg(QDir::currentPath()));
    QVERIFY(QDir().rmdir(QStringLiteral("cj3.m")));
}

void TestCodeTable::failedLoadKeepsContent() {
    const QString good = m_dir.filePath(QStringLiteral("good.m"));
    writeFile(good, "x\ny\n");
    CodeTable table;
    table.load(good.toStdString());

    QVERIFY(
        messageOf(table, m_dir.filePath(QStringLiteral("missing.m"))).startsWith("Cannot open"));
    QVERIFY(messageOf(table, m_dir.path()).startsWith("Cannot open"));
    QCOMPARE(linesOf(table), (QList<QByteArray>{"x", "y"}));
}

void TestCodeTable::fileWithoutReportedSizeIsReadToTheEnd() {
    // procfs reports size 0 for files that do have content.
    CodeTable table;
    table.load("/proc/self/status");
    QVERIFY(table.count() > 5);
    QVERIFY(table.line(0).starts_with("Name:"));
}

void TestCodeTable::fileLargerThanATableIsRefusedUnread_data() {
    QTest::addColumn<qint64>("size");
    QTest::newRow("one byte over 64 MiB") << qint64(CodeTable::MaxBytes) + 1;
    QTest::newRow("4 GiB - 1") << qint64(UINT32_MAX);
    QTest::newRow("8 GiB") << (qint64(1) << 33);
}

void TestCodeTable::fileLargerThanATableIsRefusedUnread() {
    QFETCH(qint64, size);
    // A sparse file: it takes no disk space, but is past what a table can hold.
    const QString path = m_dir.filePath(QStringLiteral("huge.m"));
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    const bool sized = ::ftruncate(fd, off_t(size)) == 0;
    ::close(fd);
    if (!sized) QSKIP("the file system does not take a sparse file of that size");

    CodeTable table;
    table.assign("kept");
    const qint64 readBefore = testsupport::bytesReadSoFar();
    QCOMPARE(messageOf(table, path),
             QStringLiteral("Cannot open file \"%1\". The file is too large for a code table "
                            "(%2 bytes, at most 67108864)")
                 .arg(path)
                 .arg(size));
    // Refused from its size alone: not a block of it read (the count's own reads aside).
    const qint64 read = testsupport::bytesReadSoFar() - readBefore;
    QVERIFY2(readBefore >= 0 && read < 4096, qPrintable(QStringLiteral("%1 bytes read").arg(read)));
    QCOMPARE(linesOf(table), QList<QByteArray>{"kept"});
    QFile::remove(path);
}

void TestCodeTable::fileOfTheLargestSizeLoads() {
    // The worst a table of the largest size can be: a line end at every byte.
    const QString path = m_dir.filePath(QStringLiteral("largest.m"));
    const QByteArray bytes(qsizetype(CodeTable::MaxBytes), '\n');
    writeFile(path, bytes);
    CodeTable table;
    table.load(path.toStdString());
    QCOMPARE(table.count(), CodeTable::MaxBytes);
    QVERIFY(table.line(0).empty());
    QFile::remove(path);
    CodeTable assigned; // the same size handed over as bytes
    assigned.assign(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    QCOMPARE(assigned.count(), CodeTable::MaxBytes);
}

QTEST_APPLESS_MAIN(TestCodeTable)
#include "tst_dict_codetable.moc"
