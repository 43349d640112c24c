#include "CodeTable.h"
#include "Lookup.h"

#include <QFile>
#include <QStringEncoder>
#include <QTest>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <string>

using dict::CodeTable;
using namespace Qt::StringLiterals;

// The generated cj5.m and cj3.m, read from the data folder the build leaves them in.
class TestGeneratedTables : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsLine_data();
    void holdsLine();
    void tableWide_data();
    void tableWide();

private:
    const CodeTable& table(const QString& name) { return name == "cj5.m" ? m_cj5 : m_cj3; }
    CodeTable m_cj5;
    CodeTable m_cj3;
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

// Strict: iconv refuses every byte sequence that is not an assigned GBK character.
bool isValidGbk(iconv_t cd, std::string_view line) {
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

std::size_t firstCharLength(std::string_view line) {
    return line.empty() ? 0 : dict::gbkCharLength(line, 0);
}

} // namespace

void TestGeneratedTables::initTestCase() {
    const QByteArray dir = qgetenv("ZARVIK_DATA_DIR");
    QVERIFY2(!dir.isEmpty(), "ZARVIK_DATA_DIR is not set (ctest sets it)");
    m_cj5.load(dir.toStdString() + "/cj5.m");
    m_cj3.load(dir.toStdString() + "/cj3.m");
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
}

void TestGeneratedTables::holdsLine() {
    QFETCH(QString, file);
    QFETCH(QString, character);
    QFETCH(QString, line);
    const CodeTable& t = table(file);
    const auto found = dict::findFirstLine(t, view(gbk(character)));
    QVERIFY(found.has_value());
    QCOMPARE(bytesOf(t.line(static_cast<std::ptrdiff_t>(*found))), gbk(line));
}

void TestGeneratedTables::tableWide_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("cj5") << "cj5.m";
    QTest::newRow("cj3") << "cj3.m";
}

void TestGeneratedTables::tableWide() {
    QFETCH(QString, file);
    const CodeTable& t = table(file);

    QVERIFY2(t.count() > 20000, qPrintable(QString::number(t.count())));
    QFile raw(qEnvironmentVariable("ZARVIK_DATA_DIR") + u'/' + file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    QVERIFY(!bytes.contains('\r'));
    QVERIFY(bytes.endsWith('\n'));
    QCOMPARE(std::size_t(bytes.count('\n')), t.count());
    QCOMPARE(bytesOf(t.line(0)), gbk(u"日 a 日"_s));

    const std::unique_ptr<void, int (*)(iconv_t)> cd(::iconv_open("UTF-8", "GBK"), ::iconv_close);
    QVERIFY(cd.get() != reinterpret_cast<iconv_t>(-1));
    for (std::size_t i = 0; i < t.count(); ++i) {
        const std::string_view line = t.line(static_cast<std::ptrdiff_t>(i));
        if (!isValidGbk(cd.get(), line))
            QFAIL(qPrintable(QStringLiteral("line %1 is not valid GBK").arg(i + 1)));
        // Every character finds its own line first, or a query would show another's.
        const auto own = dict::findFirstLine(t, line.substr(0, firstCharLength(line)));
        if (own != i)
            QFAIL(qPrintable(QStringLiteral("the character of line %1 is found in line %2")
                                 .arg(i + 1)
                                 .arg(own ? qlonglong(*own) + 1 : -1)));
    }
}

QTEST_APPLESS_MAIN(TestGeneratedTables)
#include "tst_dict_tables.moc"
