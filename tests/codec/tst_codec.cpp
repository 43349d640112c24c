#include "GbkCodec.h"
#include "Utf8.h"

#include <QTest>

// The codec's own UTF-8 side; its GBK rules are tested through the window's adapter
// (tests/toolkit/tst_gbk.cpp).
class TestCodec : public QObject {
    Q_OBJECT

private slots:
    void encodeRefusesMalformedUtf8_data();
    void encodeRefusesMalformedUtf8();
    void decodeGivesUtf8();
    void charAt_data();
    void charAt();
};

namespace {

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

void TestCodec::encodeRefusesMalformedUtf8_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("overlong-slash") << QByteArray("a\xC0\xAF");
    QTest::newRow("encoded-surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("cut-off-at-end") << QByteArray("\xE5\xAD\x97\xE5\xAD");
    QTest::newRow("lone-continuation") << QByteArray("\x97");
    QTest::newRow("gbk-bytes-are-not-utf8") << QByteArray("\xD7\xD6");
}

void TestCodec::encodeRefusesMalformedUtf8() {
    QFETCH(QByteArray, text);
    QVERIFY(!gbk::encode(view(text)).has_value());
}

void TestCodec::decodeGivesUtf8() {
    QCOMPARE(QByteArray::fromStdString(gbk::decode("\xD7\xD6 jnd \xCA\xAE")),
             QByteArray("字 jnd 十"));
    // Each bad byte one U+FFFD, however many there are: the buffer's estimate is exact here.
    QCOMPARE(QByteArray::fromStdString(gbk::decode("\xFF\xFF\xFF")),
             QByteArray("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"));
    QCOMPARE(QByteArray::fromStdString(gbk::decode("\x80\xD7")), QByteArray("€\xEF\xBF\xBD"));
    QCOMPARE(*gbk::encode("字 jnd 十"), std::string("\xD7\xD6 jnd \xCA\xAE"));
}

void TestCodec::charAt_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<uint>("code");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ascii") << QByteArray("a") << 0x61u << 1 << true;
    QTest::newRow("two-bytes") << QByteArray("\xC2\xA9") << 0xA9u << 2 << true;
    QTest::newRow("cjk") << QByteArray("\xE5\xAD\x97x") << 0x5B57u << 3 << true;
    QTest::newRow("supplementary") << QByteArray("\xF0\xA0\x80\x80") << 0x20000u << 4 << true;
    QTest::newRow("overlong-two") << QByteArray("\xC0\x80") << 0u << 1 << false;
    QTest::newRow("overlong-three") << QByteArray("\xE0\x80\x80") << 0u << 1 << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << 0u << 1 << false;
    QTest::newRow("beyond-10ffff") << QByteArray("\xF4\x90\x80\x80") << 0u << 1 << false;
    QTest::newRow("cut-off") << QByteArray("\xE5\xAD") << 0u << 1 << false;
    QTest::newRow("bad-continuation") << QByteArray("\xE5\x41\x97") << 0u << 1 << false;
    QTest::newRow("lone-continuation") << QByteArray("\x97") << 0u << 1 << false;
}

void TestCodec::charAt() {
    QFETCH(QByteArray, text);
    QFETCH(uint, code);
    QFETCH(int, length);
    QFETCH(bool, valid);
    const utf8::Char c = utf8::charAt(view(text), 0);
    QCOMPARE(uint(c.code), code);
    QCOMPARE(int(c.length), length);
    QCOMPARE(c.valid, valid);
}

QTEST_APPLESS_MAIN(TestCodec)
#include "tst_codec.moc"
