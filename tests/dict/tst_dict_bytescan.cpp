#include "ByteScan.h"
#include "ScanLevels.h"

#include <QFile>
#include <QSet>
#include <QTest>
#include <memory>
#include <string>

namespace bytescan = dict::bytescan;

namespace {

// Bytes from a small alphabet, so that near misses (first and last byte right, middle
// wrong) are common; the same every run.
std::string pseudoText(std::size_t size, std::string_view alphabet, unsigned seed) {
    std::string text(size, '\0');
    for (char& c : text) {
        seed = seed * 1103515245u + 12345u;
        c = alphabet[(seed >> 16) % alphabet.size()];
    }
    return text;
}

// A heap copy of exactly the text's size: a read past its end is a fault the sanitizers see.
class ExactCopy {
public:
    explicit ExactCopy(std::string_view text)
        : m_bytes(std::make_unique<char[]>(text.size())), m_size(text.size()) {
        std::copy(text.begin(), text.end(), m_bytes.get());
    }
    std::string_view view() const { return {m_bytes.get(), m_size}; }

private:
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size;
};

// Offsets on and around the edges of 16-, 32- and 64-byte blocks.
constexpr std::size_t edgeOffsets[] = {0, 1, 15, 16, 17, 31, 32, 33, 62, 63, 64, 65, 127, 128, 129};

} // namespace

class TestByteScan : public QObject {
    Q_OBJECT

private slots:
    void findAgreesWithPlainSearch();
    void findRefusesWhatCannotMatch();
    void codeStartsAgreeWithPlainSearch();
    void supportedLevelIsTheWidestTheProcessorLists();
};

// Every needle length from 1 to 24, starting on block edges and ending on the text's last
// byte, found from before, at and after where it stands.
void TestByteScan::findAgreesWithPlainSearch() {
    atEveryScanLevel([] {
        for (const std::size_t size : {std::size_t{40}, std::size_t{160}, std::size_t{300}}) {
            const ExactCopy copy(pseudoText(size, "ab\xD7\xD6", static_cast<unsigned>(size)));
            const std::string_view text = copy.view();
            for (std::size_t length = 1; length <= 24 && length <= size; ++length) {
                std::vector<std::size_t> starts(std::begin(edgeOffsets), std::end(edgeOffsets));
                starts.push_back(size - length);
                starts.push_back(size - length - 1);
                for (const std::size_t start : starts) {
                    if (start + length > size) continue;
                    const std::string_view needle = text.substr(start, length);
                    for (const std::size_t from : {std::size_t{0}, start, start + 1}) {
                        const std::size_t found = bytescan::find(text, from, needle);
                        if (found != text.find(needle, from))
                            QFAIL(qPrintable(QStringLiteral("size %1, needle %2 at %3, from %4: %5")
                                                 .arg(size)
                                                 .arg(length)
                                                 .arg(start)
                                                 .arg(from)
                                                 .arg(qlonglong(found))));
                    }
                }
            }
        }
    });
}

void TestByteScan::findRefusesWhatCannotMatch() {
    atEveryScanLevel([] {
        const ExactCopy copy(pseudoText(200, "ab", 7));
        const std::string_view text = copy.view();
        QCOMPARE(bytescan::find(text, 0, "c"), text.npos);
        QCOMPARE(bytescan::find(text, 0, "ac"), text.npos);  // last byte never there
        QCOMPARE(bytescan::find(text, 0, ""), text.npos);    // empty needle
        QCOMPARE(bytescan::find(text, 201, "a"), text.npos); // from past the end
        QCOMPARE(bytescan::find(text.substr(0, 3), 0, text.substr(0, 4)), text.npos);
        QCOMPARE(bytescan::find(text, 199, text.substr(199)), std::size_t{199});
    });
}

// Every offset of texts thick with blanks, tabs and letters in both cases, including a
// trail byte that could pass for a letter.
void TestByteScan::codeStartsAgreeWithPlainSearch() {
    atEveryScanLevel([] {
        for (const std::size_t size : {std::size_t{1}, std::size_t{70}, std::size_t{200}}) {
            const ExactCopy copy(pseudoText(size, " \tjJx\x81", static_cast<unsigned>(size)));
            const std::string_view text = copy.view();
            for (std::size_t from = 0; from <= size + 1; ++from) {
                std::size_t expected = text.npos;
                for (std::size_t pos = std::max<std::size_t>(from, 1); pos < size; ++pos)
                    if ((text[pos] | 0x20) == 'j' &&
                        (text[pos - 1] == ' ' || text[pos - 1] == '\t')) {
                        expected = pos;
                        break;
                    }
                QCOMPARE(bytescan::findCodeStart(text, from, 'j'), expected);
            }
        }
    });
}

// The kernel lists in /proc/cpuinfo what the processor has and the system saves on a switch:
// the widest level those flags allow is the one to take, and no wider.
void TestByteScan::supportedLevelIsTheWidestTheProcessorLists() {
#if defined(__x86_64__)
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (!cpuinfo.open(QIODevice::ReadOnly)) QSKIP("no /proc/cpuinfo to compare with");
    QSet<QByteArray> flags;
    for (const QByteArray& line : cpuinfo.readAll().split('\n'))
        if (line.startsWith("flags")) {
            for (const QByteArray& flag : line.mid(line.indexOf(':') + 1).simplified().split(' '))
                flags.insert(flag);
            break;
        }
    const bool bits = flags.contains("bmi1") && flags.contains("popcnt");
    const bytescan::Level widest =
        bits && flags.contains("avx512f") && flags.contains("avx512bw") ? bytescan::Level::Avx512
        : bits && flags.contains("avx2")                                ? bytescan::Level::Avx2
                                                                        : bytescan::Level::Sse2;
    QCOMPARE(static_cast<int>(bytescan::supportedLevel()), static_cast<int>(widest));
#else
    QCOMPARE(static_cast<int>(bytescan::supportedLevel()),
             static_cast<int>(bytescan::Level::Portable));
#endif
}

QTEST_APPLESS_MAIN(TestByteScan)
#include "tst_dict_bytescan.moc"
