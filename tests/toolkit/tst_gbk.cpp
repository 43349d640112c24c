#include "Gbk.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestGbk : public QObject {
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void encodeRefusesWhatGbkCannotHold_data();
    void encodeRefusesWhatGbkCannotHold();
    void decode_data();
    void decode();
    void roundTrips();
};

void TestGbk::encode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("simplified-and-traditional")
        << u"字仓倉"_s << QByteArray("\xD7\xD6\xB2\xD6\x82\x7D");
    QTest::newRow("euro-single-byte") << u"€"_s << QByteArray("\x80");
    QTest::newRow("ascii-unchanged") << u"a jnd?"_s << QByteArray("a jnd?");
    QTest::newRow("radicals") << u"十弓木"_s << QByteArray("\xCA\xAE\xB9\xAD\xC4\xBE");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestGbk::encode() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const auto encoded = tk::gbk::encode(text);
    QVERIFY(encoded.has_value());
    QCOMPARE(*encoded, bytes);
}

void TestGbk::encodeRefusesWhatGbkCannotHold_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("supplementary-plane") << u"𠀀"_s;
    QTest::newRow("one-bad-among-good") << u"字𠀀仓"_s;
    QTest::newRow("lone-high-surrogate") << QString(QChar(0xD840));
    QTest::newRow("lone-low-surrogate") << (u"a"_s + QChar(0xDC00) + u"b"_s);
    QTest::newRow("hangul") << u"한"_s;
}

void TestGbk::encodeRefusesWhatGbkCannotHold() {
    QFETCH(QString, text);
    // Nothing, rather than a '?' that would match some other line.
    QVERIFY(!tk::gbk::encode(text).has_value());
}

void TestGbk::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QChar r = QChar::ReplacementCharacter;
    QTest::newRow("valid") << QByteArray("\xD7\xD6 jnd") << u"字 jnd"_s;
    QTest::newRow("euro") << QByteArray("\x80") << u"€"_s;
    QTest::newRow("lead-before-blank") << QByteArray("\x81\x20") << (QString(r) + u' ');
    QTest::newRow("ff-ff") << QByteArray("\xFF\xFF") << QString(2, r);
    QTest::newRow("truncated-at-end") << QByteArray("\xD7\xD6\xB2") << (u"字"_s + r);
    QTest::newRow("lone-lead-only") << QByteArray("\xD7") << QString(r);
    QTest::newRow("bad-then-good") << QByteArray("\xFF\xB2\xD6") << (QString(r) + u"仓"_s);
    QTest::newRow("nul-kept") << QByteArray("a\0b", 3) << QString(u"a\0b"_s);
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestGbk::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(tk::gbk::decode(bytes), text);
}

void TestGbk::roundTrips() {
    QVERIFY(tk::gbk::roundTrips(u"字 jnd 十弓木"_s));
    QVERIFY(!tk::gbk::roundTrips(u"𠀀"_s));
    QVERIFY(!tk::gbk::roundTrips(QString(QChar(0xD840))));
}

QTEST_APPLESS_MAIN(TestGbk)
#include "tst_gbk.moc"
