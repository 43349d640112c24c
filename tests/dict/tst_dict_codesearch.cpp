#include "CodeSearch.h"
#include "CodeTable.h"
#include "Quick.h"

#include <QTest>
#include <numeric>

using dict::CodeMatch;
using dict::CodeTable;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(dict::CodeMatch)

class TestCodeSearch : public QObject {
    Q_OBJECT

private slots:
    void codesOfLine_data();
    void codesOfLine();
    void findLinesByCode_data();
    void findLinesByCode();
    void quickLine_data();
    void quickLine();
};

// GBK: 字 D7 D6, 十弓木 CA AE B9 AD C4 BE; 0x81 0x61 is one character whose trail byte is 'a'.
void TestCodeSearch::codesOfLine_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("codes");

    QTest::newRow("one-code") << QByteArray("\xD7\xD6 jnd \xCA\xAE\xB9\xAD\xC4\xBE")
                              << QStringList{"jnd"};
    QTest::newRow("two-codes") << QByteArray("\xD7\xD6 jnd x nd y") << QStringList{"jnd", "nd"};
    QTest::newRow("single-byte-character") << QByteArray("a a x") << QStringList{"a"};
    QTest::newRow("runs-of-blanks-and-tabs")
        << QByteArray("  \xD7\xD6 \t jnd  x\t") << QStringList{"jnd"};
    QTest::newRow("code-without-radicals") << QByteArray("\xD7\xD6 jnd") << QStringList{"jnd"};
    QTest::newRow("upper-case-kept") << QByteArray("\xD7\xD6 JnD x") << QStringList{"JnD"};
    QTest::newRow("trail-byte-letter-is-no-code") << QByteArray("\x81"
                                                                "a b x")
                                                  << QStringList{"b"};
    // Lines of another form hold no codes at all, not the codes before the fault.
    QTest::newRow("two-characters-first") << QByteArray("\xD7\xD6\xD7\xD6 jnd x") << QStringList{};
    QTest::newRow("digit-in-a-later-code") << QByteArray("\xD7\xD6 jnd x j1 y") << QStringList{};
    QTest::newRow("only-a-character") << QByteArray("\xD7\xD6") << QStringList{};
    QTest::newRow("empty") << QByteArray() << QStringList{};
}

void TestCodeSearch::codesOfLine() {
    QFETCH(QByteArray, line);
    QFETCH(QStringList, codes);
    QStringList found;
    for (const std::string_view code :
         dict::codesOfLine(std::string_view(line.constData(), std::size_t(line.size()))))
        found << QString::fromLatin1(code.data(), qsizetype(code.size()));
    QCOMPARE(found, codes);
}

void TestCodeSearch::findLinesByCode_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<CodeMatch>("match");
    QTest::addColumn<QList<int>>("lines");

    const QByteArray table = "a a x\n"
                             "\xD7\xD6 jnd x\n"
                             "b jn x jnd y\n"
                             "\n"
                             "c hjnd x\n"
                             "d jndd x\n";
    QTest::newRow("exact-in-table-order")
        << table << QByteArray("jnd") << CodeMatch::Exact << QList<int>{1, 2};
    QTest::newRow("exact-ignores-case")
        << table << QByteArray("JNd") << CodeMatch::Exact << QList<int>{1, 2};
    QTest::newRow("first-and-last-letters-in-upper-case")
        << QByteArray("\xD7\xD6 AJZ x\n") << QByteArray("ajz") << CodeMatch::Exact << QList<int>{0};
    QTest::newRow("prefix") << table << QByteArray("jn") << CodeMatch::Prefix
                            << QList<int>{1, 2, 5};
    QTest::newRow("prefix-is-not-infix")
        << table << QByteArray("nd") << CodeMatch::Prefix << QList<int>{};
    QTest::newRow("a-line-counts-once")
        << table << QByteArray("j") << CodeMatch::Prefix << QList<int>{1, 2, 5};
    QTest::newRow("radicals-are-no-code")
        << table << QByteArray("x") << CodeMatch::Exact << QList<int>{};
    QTest::newRow("character-is-no-code")
        << table << QByteArray("b") << CodeMatch::Exact << QList<int>{};
    QTest::newRow("empty-code") << table << QByteArray() << CodeMatch::Prefix << QList<int>{};
    QTest::newRow("not-letters") << table << QByteArray("j d") << CodeMatch::Prefix << QList<int>{};
    QTest::newRow("empty-table") << QByteArray() << QByteArray("a") << CodeMatch::Exact
                                 << QList<int>{};
    // Quick codes: the first and the last key; codes of one or two keys as they are.
    QTest::newRow("quick") << table << QByteArray("jd") << CodeMatch::QuickExact
                           << QList<int>{1, 2, 5};
    QTest::newRow("quick-of-two-keys")
        << table << QByteArray("jn") << CodeMatch::QuickExact << QList<int>{2};
    QTest::newRow("quick-prefix") << table << QByteArray("h") << CodeMatch::QuickPrefix
                                  << QList<int>{4};
    // Codes found sixteen bytes at a time: at every offset across a block's edge, after a tab.
    QByteArray shifted;
    for (int pad = 0; pad < 20; ++pad)
        shifted += "\xD7\xD6" + QByteArray(pad, ' ') + (pad % 2 ? " jnd x\n" : "\tJND x\n");
    QList<int> all(20);
    std::iota(all.begin(), all.end(), 0);
    QTest::newRow("every-offset") << shifted << QByteArray("jnd") << CodeMatch::Exact << all;
}

void TestCodeSearch::findLinesByCode() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, code);
    QFETCH(CodeMatch, match);
    QFETCH(QList<int>, lines);
    CodeTable table;
    table.assign(std::string_view(text.constData(), std::size_t(text.size())));
    QList<int> found;
    for (const std::size_t index : dict::findLinesByCode(
             table, std::string_view(code.constData(), std::size_t(code.size())), match))
        found << int(index);
    QCOMPARE(found, lines);
    QList<int> indexed;
    const bool quick = match == CodeMatch::QuickExact || match == CodeMatch::QuickPrefix;
    const bool prefix = match == CodeMatch::Prefix || match == CodeMatch::QuickPrefix;
    for (const std::size_t index :
         dict::CodeIndex(table, quick)
             .findLines(std::string_view(code.constData(), std::size_t(code.size())), prefix))
        indexed << int(index);
    QCOMPARE(indexed, lines);
}

// Lines as the tables of every character hold them, in UTF-8.
void TestCodeSearch::quickLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("quick");
    QTest::newRow("one-key") << u"日 a 日"_s << u"日 a 日"_s;
    QTest::newRow("two-keys") << u"乙 nu 弓山"_s << u"乙 nu 弓山"_s;
    QTest::newRow("x-codes-keep-their-x") << u"冇 kb 大月 xkb 難大月"_s << u"冇 kb 大月 xb 難月"_s;
    QTest::newRow("merging-in-order")
        << u"梨 hnd 竹弓木 xhnd 難竹弓木 hxnd 竹難弓木"_s << u"梨 hd 竹木 xd 難木"_s;
    QTest::newRow("beyond-the-bmp") << u"𨋢 jjyt 十十卜廿"_s << u"𨋢 jt 十廿"_s;
    QTest::newRow("no-codes-stays") << u"字字 jnd x"_s << u"字字 jnd x"_s;
}

void TestCodeSearch::quickLine() {
    QFETCH(QString, line);
    QFETCH(QString, quick);
    const QByteArray bytes = line.toUtf8();
    QCOMPARE(
        QString::fromStdString(dict::quickLine({bytes.constData(), std::size_t(bytes.size())})),
        quick);
}

QTEST_APPLESS_MAIN(TestCodeSearch)
#include "tst_dict_codesearch.moc"
