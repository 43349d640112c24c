#include "CodeTable.h"
#include "FirstLineIndex.h"
#include "Lookup.h"

#include <QFile>
#include <QHash>
#include <QSet>
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
    void indexAnswersAsTheScan_data();
    void indexAnswersAsTheScan();
    void everyGbkLineStandsInTheTableOfEveryCharacter_data();
    void everyGbkLineStandsInTheTableOfEveryCharacter();

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

void TestGeneratedTables::tableWide_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("minLines");
    QTest::newRow("cj5") << "cj5.m" << 20000;
    QTest::newRow("cj3") << "cj3.m" << 20000;
    QTest::newRow("cj5-utf8") << "cj5-utf8.m" << 75000;
    QTest::newRow("cj3-utf8") << "cj3-utf8.m" << 74000;
}

void TestGeneratedTables::tableWide() {
    QFETCH(QString, file);
    QFETCH(int, minLines);
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
    // Each character's own line first, by the index (which answers as a scan per character
    // would; see indexAnswersAsTheScan), or a query would show another's.
    const dict::FirstLineIndex index(t);
    for (std::size_t i = 0; i < t.count(); ++i) {
        const std::string_view line = t.line(static_cast<std::ptrdiff_t>(i));
        if (!isValidText(cd.get(), line))
            QFAIL(qPrintable(QStringLiteral("line %1 is not valid %2").arg(i + 1).arg(encoding)));
        const auto own = index.findFirstLine(line.substr(0, firstCharLength(t, line)));
        if (own != i)
            QFAIL(qPrintable(QStringLiteral("the character of line %1 is found in line %2")
                                 .arg(i + 1)
                                 .arg(own ? qlonglong(*own) + 1 : -1)));
    }
}

// For every character of a table, and for characters and texts it does not hold, the index
// answers what a scan does. The tables of every character are checked at every `stride`th
// character: a scan per character of them would take minutes.
void TestGeneratedTables::indexAnswersAsTheScan_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("stride");
    QTest::newRow("cj5") << "cj5.m" << 1;
    QTest::newRow("cj3") << "cj3.m" << 1;
    QTest::newRow("cj5-utf8") << "cj5-utf8.m" << 61;
}

void TestGeneratedTables::indexAnswersAsTheScan() {
    QFETCH(QString, file);
    QFETCH(int, stride);
    const CodeTable& t = table(file);
    const dict::FirstLineIndex index(t);
    const auto check = [&](std::string_view needle) {
        const auto scanned = dict::findFirstLine(t, needle);
        if (index.findFirstLine(needle) != scanned)
            QFAIL(qPrintable(u"\"%1\" is found in line %2 by a scan, not by the index"_s
                                 .arg(QString::fromUtf8(bytesOf(needle).toHex(' ')))
                                 .arg(scanned ? qlonglong(*scanned) + 1 : -1)));
    };
    // Every character of every line, each once.
    const std::string_view text = t.text();
    QSet<QByteArray> seen;
    int count = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = dict::charLength(t.encoding(), text, pos);
        const std::string_view character = text.substr(pos, length);
        pos += length;
        const QByteArray bytes = bytesOf(character);
        if (character == "\n" || seen.contains(bytes)) continue;
        seen.insert(bytes);
        if (count++ % stride == 0) check(character);
        if (QTest::currentTestFailed()) return;
    }
    // Not in the table: a character of neither, one GBK holds that is not a table's, a byte
    // that starts no character, and texts of several characters (the index scans for those).
    for (const QString& absent : {u"😀"_s, u"㊣"_s, u"字字"_s, u"jnd 十"_s}) {
        QStringEncoder encoder(t.encoding() == TextEncoding::Gbk ? "GBK" : "UTF-8");
        const QByteArray bytes = encoder.encode(absent);
        if (!encoder.hasError()) check(view(bytes)); // a GBK table never sees 😀
    }
    check("\x81");
    check("\xFF");
}

// For a character GBK holds, the table of every character answers with the very line of
// the GBK table.
void TestGeneratedTables::everyGbkLineStandsInTheTableOfEveryCharacter_data() {
    QTest::addColumn<QString>("gbkFile");
    QTest::addColumn<QString>("utf8File");
    QTest::newRow("cj5") << "cj5.m"
                         << "cj5-utf8.m";
    QTest::newRow("cj3") << "cj3.m"
                         << "cj3-utf8.m";
}

void TestGeneratedTables::everyGbkLineStandsInTheTableOfEveryCharacter() {
    QFETCH(QString, gbkFile);
    QFETCH(QString, utf8File);
    const CodeTable& gbkTable = table(gbkFile);
    const CodeTable& utf8Table = table(utf8File);
    const dict::FirstLineIndex index(utf8Table);
    for (std::size_t i = 0; i < gbkTable.count(); ++i) {
        QStringDecoder decoder("GBK");
        const QByteArray line =
            QString(decoder.decode(bytesOf(gbkTable.line(std::ptrdiff_t(i))))).toUtf8();
        const std::string_view utf8Line = view(line);
        const auto found =
            index.findFirstLine(utf8Line.substr(0, firstCharLength(utf8Table, utf8Line)));
        if (!found || bytesOf(utf8Table.line(std::ptrdiff_t(*found))) != line)
            QFAIL(qPrintable(u"line %1 of %2, %3, is not in %4"_s.arg(i + 1).arg(
                gbkFile, QString::fromUtf8(line), utf8File)));
    }
}

QTEST_APPLESS_MAIN(TestGeneratedTables)
#include "tst_dict_tables.moc"
