#include "CodeTable.h"
#include "FirstLineIndex.h"
#include "Lookup.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <string>

using dict::CodeTable;
using dict::TextEncoding;
using namespace Qt::StringLiterals;

// The generated tables, read from the data folder the build leaves them in: cj5.m and cj3.m
// in GBK, cj5-utf8.m and cj3-utf8.m of every character in UTF-8.
class TestGeneratedTables : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsLine_data();
    void holdsLine();
    void tableWide_data();
    void tableWide();

private:
    const CodeTable& table(const QString& name) const { return *m_tables.value(name); }
    QHash<QString, const CodeTable*> m_tables;
    CodeTable m_cj5;
    CodeTable m_cj3;
    CodeTable m_cj5Utf8{TextEncoding::Utf8};
    CodeTable m_cj3Utf8{TextEncoding::Utf8};
};

namespace {

// Qt's own GBK encoder (through ICU): a second opinion beside the iconv the generator uses.
QByteArray gbk(const QString& text) {
    QStringEncoder encoder("GBK"); // fresh per string: its error flag is sticky
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) qFatal("test text has no GBK form");
    return bytes;
}

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray bytesOf(std::string_view line) {
    return QByteArray(line.data(), static_cast<qsizetype>(line.size()));
}

// The line in its table's encoding.
QByteArray encoded(const CodeTable& table, const QString& line) {
    return table.encoding() == TextEncoding::Gbk ? gbk(line) : line.toUtf8();
}

// Strict: iconv refuses every byte sequence that is not an assigned character.
bool isValidText(iconv_t cd, std::string_view line) {
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(line.data());
    std::size_t inLeft = line.size();
    char out[1024];
    while (inLeft > 0) {
        char* dst = out;
        std::size_t outLeft = sizeof out;
        if (::iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1) &&
            errno != E2BIG)
            return false;
    }
    return true;
}

std::size_t firstCharLength(const CodeTable& table, std::string_view line) {
    return line.empty() ? 0 : dict::charLength(table.encoding(), line, 0);
}

} // namespace

void TestGeneratedTables::initTestCase() {
    const QByteArray dir = qgetenv("ZARVIK_DATA_DIR");
    QVERIFY2(!dir.isEmpty(), "ZARVIK_DATA_DIR is not set (ctest sets it)");
    for (auto [name, table] :
         {std::pair{"cj5.m", &m_cj5}, std::pair{"cj3.m", &m_cj3},
          std::pair{"cj5-utf8.m", &m_cj5Utf8}, std::pair{"cj3-utf8.m", &m_cj3Utf8}}) {
        table->load(dir.toStdString() + '/' + name);
        m_tables.insert(QString::fromLatin1(name), table);
    }
}

void TestGeneratedTables::holdsLine_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("line");
    QTest::newRow("cj5-zi") << "cj5.m" << u"字"_s << u"字 jnd 十弓木"_s;
    QTest::newRow("cj3-zi") << "cj3.m" << u"字"_s << u"字 jnd 十弓木"_s;
    QTest::newRow("cj5-simplified-cang") << "cj5.m" << u"仓"_s << u"仓 osu 人尸山"_s;
    QTest::newRow("cj3-simplified-cang") << "cj3.m" << u"仓"_s << u"仓 osu 人尸山"_s;
    QTest::newRow("cj5-traditional-cang") << "cj5.m" << u"倉"_s << u"倉 oiar 人戈日口"_s;
    QTest::newRow("cj5-every-code-of-huang")
        << "cj5.m" << u"黃"_s << u"黃 tlwc 廿中田金 tmwc 廿一田金 tmlc 廿一中金"_s;
    QTest::newRow("cj3-huang-has-one-code") << "cj3.m" << u"黃"_s << u"黃 tmwc 廿一田金"_s;
    QTest::newRow("utf8-zi") << "cj5-utf8.m" << u"字"_s << u"字 jnd 十弓木"_s;
    QTest::newRow("utf8-cantonese-ga") << "cj5-utf8.m" << u"㗎"_s << u"㗎 rkrd 口大口木"_s;
    QTest::newRow("utf8-beyond-the-bmp") << "cj5-utf8.m" << u"𨋢"_s << u"𨋢 jjyt 十十卜廿"_s;
    QTest::newRow("utf8-cj3-ga") << "cj3-utf8.m" << u"㗎"_s << u"㗎 rkrd 口大口木"_s;
}

void TestGeneratedTables::holdsLine() {
    QFETCH(QString, file);
    QFETCH(QString, character);
    QFETCH(QString, line);
    const CodeTable& t = table(file);
    const auto found = dict::findFirstLine(t, view(encoded(t, character)));
    QVERIFY(found.has_value());
    QCOMPARE(bytesOf(t.line(static_cast<std::ptrdiff_t>(*found))), encoded(t, line));
}

// Every line of each table: valid text, its character's own line first, by the index and
// (at every `scanStride`th line: a scan per line of the large tables would take minutes)
// by a scan; for a GBK table, the same line in the table of every character (`twin`).
void TestGeneratedTables::tableWide_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("minLines");
    QTest::addColumn<int>("scanStride");
    QTest::addColumn<QString>("twin");
    QTest::newRow("cj5") << "cj5.m" << 20000 << 1 << "cj5-utf8.m";
    QTest::newRow("cj3") << "cj3.m" << 20000 << 1 << "cj3-utf8.m";
    QTest::newRow("cj5-utf8") << "cj5-utf8.m" << 75000 << 61 << QString();
    QTest::newRow("cj3-utf8") << "cj3-utf8.m" << 74000 << 61 << QString();
}

void TestGeneratedTables::tableWide() {
    QFETCH(QString, file);
    QFETCH(int, minLines);
    QFETCH(int, scanStride);
    QFETCH(QString, twin);
    const CodeTable& t = table(file);

    QVERIFY2(t.count() > std::size_t(minLines), qPrintable(QString::number(t.count())));
    QFile raw(qEnvironmentVariable("ZARVIK_DATA_DIR") + u'/' + file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    QVERIFY(!bytes.contains('\r'));
    QVERIFY(bytes.endsWith('\n'));
    QCOMPARE(std::size_t(bytes.count('\n')), t.count());
    QCOMPARE(bytesOf(t.line(0)), encoded(t, u"日 a 日"_s));

    const char* encoding = t.encoding() == TextEncoding::Gbk ? "GBK" : "UTF-8";
    const std::unique_ptr<void, int (*)(iconv_t)> cd(::iconv_open("UTF-8", encoding),
                                                     ::iconv_close);
    QVERIFY(cd.get() != reinterpret_cast<iconv_t>(-1));
    const dict::FirstLineIndex index(t);
    const std::optional<dict::FirstLineIndex> twinIndex =
        twin.isEmpty() ? std::nullopt : std::optional<dict::FirstLineIndex>(table(twin));
    const auto fail = [&](std::size_t i, const QString& what, std::optional<std::size_t> found) {
        QFAIL(qPrintable(u"line %1: %2 finds line %3"_s.arg(i + 1).arg(what).arg(
            found ? qlonglong(*found) + 1 : -1)));
    };
    // One decoder for all: each line is whole, valid GBK, so none leaves it half a character.
    QStringDecoder toUnicode("GBK");
    for (std::size_t i = 0; i < t.count(); ++i) {
        const std::string_view line = t.line(static_cast<std::ptrdiff_t>(i));
        if (!isValidText(cd.get(), line))
            QFAIL(qPrintable(QStringLiteral("line %1 is not valid %2").arg(i + 1).arg(encoding)));
        // Each character's own line first, or a query would show another's.
        const std::string_view character = line.substr(0, firstCharLength(t, line));
        if (const auto own = index.findFirstLine(character); own != i)
            return fail(i, u"the index"_s, own);
        if (i % std::size_t(scanStride) == 0)
            if (const auto scanned = dict::findFirstLine(t, character); scanned != i)
                return fail(i, u"a scan"_s, scanned);
        if (!twinIndex) continue;
        const QByteArray utf8 = QString(toUnicode.decode(bytesOf(line))).toUtf8();
        const auto same = twinIndex->findFirstLine(view(utf8).substr(0, utf8.indexOf(' ')));
        if (!same || bytesOf(table(twin).line(std::ptrdiff_t(*same))) != utf8)
            return fail(i, twin, same);
    }
    // Not a table's character: one of neither kind, one GBK holds, letters, a blank, bytes
    // that start no character, texts of several characters (for which the index scans).
    for (const QString& absent : {u"😀"_s, u"㊣"_s, u"a"_s, u" "_s, u"字字"_s, u"jnd 十"_s}) {
        QStringEncoder encoder(encoding);
        const QByteArray needle = encoder.encode(absent);
        if (!encoder.hasError()) // a GBK table never sees 😀
            QCOMPARE(index.findFirstLine(view(needle)), dict::findFirstLine(t, view(needle)));
    }
    for (const std::string_view needle : {"\x81", "\xFF"})
        QCOMPARE(index.findFirstLine(needle), dict::findFirstLine(t, needle));
}

QTEST_APPLESS_MAIN(TestGeneratedTables)
#include "tst_dict_tables.moc"
