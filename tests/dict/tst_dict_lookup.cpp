#include "CodeTable.h"
#include "FirstLineIndex.h"
#include "Lookup.h"
#include "ScanLevels.h"

#include <QTest>

using dict::CodeTable;

namespace {

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

class TestLookup : public QObject {
    Q_OBJECT

private slots:
    void firstContainingLine_data();
    void firstContainingLine();
    void manyFalseHitsInOneLine();
};

// GBK: 字 D7 D6, 仓 B2 D6, 植 D6 B2, 啊 B0 A1; 0x81 0x61 is one character whose trail
// byte is the letter 'a'.
void TestLookup::firstContainingLine_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<int>("line"); // -1: no line

    const auto b = [](const char* s, qsizetype n) { return QByteArray(s, n); };

    QTest::newRow("lowest-index-wins")
        << QByteArray("x\n\xD7\xD6 a\ny\n\xD7\xD6 b\n") << QByteArray("\xD7\xD6") << 1;
    QTest::newRow("match-inside-line") << QByteArray("ab\ncd ef\n") << QByteArray("d e") << 1;
    QTest::newRow("whole-line") << QByteArray("ab\nabc\n") << QByteArray("abc") << 1;
    QTest::newRow("line-after-crlf") << QByteArray("ab\r\ncd") << QByteArray("cd") << 1;
    QTest::newRow("trailing-blank-needs-blank")
        << QByteArray("ab\nab \n") << QByteArray("ab ") << 1;
    QTest::newRow("case-sensitive") << QByteArray("A\na\n") << QByteArray("a") << 1;
    QTest::newRow("longer-than-every-line") << QByteArray("ab\ncd\n") << QByteArray("abc") << -1;
    QTest::newRow("empty-needle") << QByteArray("ab\n") << QByteArray() << -1;
    QTest::newRow("empty-table") << QByteArray() << QByteArray("a") << -1;
    QTest::newRow("not-across-line-ends") << QByteArray("ab\ncd\n") << QByteArray("b\nc") << -1;
    QTest::newRow("needle-with-nul") << b("ab\0cd", 5) << b("b\0c", 3) << -1;
    QTest::newRow("text-after-nul-unseen") << b("ab\0cd", 5) << QByteArray("cd") << -1;

    // Character boundaries: a match must start where a character of the line starts.
    QTest::newRow("across-two-characters")
        << QByteArray("\xD7\xD6\xB2\xD6\n\xD6\xB2 x\n") << QByteArray("\xD6\xB2") << 1;
    QTest::newRow("letter-as-trail-byte") << QByteArray("\x81"
                                                        "a zz\nb a\n")
                                          << QByteArray("a") << 1;
    QTest::newRow("letter-after-trail-byte-same-line") << QByteArray("\x81"
                                                                     "aa\n")
                                                       << QByteArray("a") << 0;
    QTest::newRow("odd-offsets-only")
        << QByteArray("\xB0\xA1\xB0\xA1\xB0\xA1\n") << QByteArray("\xA1\xB0") << -1;
    QTest::newRow("lead-before-blank-is-single") << QByteArray("\x81 a\n") << QByteArray(" a") << 0;
    QTest::newRow("lead-byte-ff-is-single") << QByteArray("\xFF"
                                                          "a\n")
                                            << QByteArray("a") << 0;
    QTest::newRow("lone-lead-at-line-end") << QByteArray("x\x81\n\x81"
                                                         "a\n")
                                           << QByteArray("\x81") << 0;
    QTest::newRow("lead-not-joined-across-lines")
        << QByteArray("\x81\na\n") << QByteArray("a") << 1;
    QTest::newRow("lone-lead-byte-starts-a-character")
        << QByteArray("\xB0\xA1\n") << QByteArray("\xB0") << 0;
    QTest::newRow("trail-byte-80") << QByteArray("\x82\x80"
                                                 "A\n\x80"
                                                 "A\n")
                                   << QByteArray("\x80"
                                                 "A")
                                   << 1;
    // A false hit on a trail byte, and the true one a byte on, inside the same needle's span.
    QTest::newRow("next-hit-one-byte-on")
        << QByteArray("\x81\xB0\xB0\xB0\n") << QByteArray("\xB0\xB0") << 0;
    QTest::newRow("needle-with-cr") << QByteArray("ab\rcd\n") << QByteArray("b\rc") << -1;
}

void TestLookup::firstContainingLine() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, needle);
    QFETCH(int, line);

    // Behind a first line that moves the rest across the edges of the scan's blocks.
    atEveryScanLevel([&] {
        for (const int shift : {0, 13, 62}) {
            const QByteArray first(shift, '_');
            CodeTable table;
            table.assign(view(first + '\n' + text));
            const auto found = dict::findFirstLine(table, view(needle));
            QCOMPARE(found ? static_cast<int>(*found) - 1 : -1, line);
            QCOMPARE(dict::FirstLineIndex(table).findFirstLine(view(needle)), found);
        }
    });
}

// A line of lead-and-'a' characters holds 'a' at every trail byte; the scan must still
// reject every one of them and find the later line, without walking the line per hit.
void TestLookup::manyFalseHitsInOneLine() {
    QByteArray text;
    for (int i = 0; i < 200000; ++i)
        text += "\x81"
                "a";
    text += "\nza\n";
    CodeTable table;
    table.assign(view(text));
    atEveryScanLevel([&] {
        const auto found = dict::findFirstLine(table, "a");
        QVERIFY(found.has_value());
        QCOMPARE(*found, std::size_t(1));
    });
}

QTEST_APPLESS_MAIN(TestLookup)
#include "tst_dict_lookup.moc"
