#include "Font.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QRawFont>
#include <QtEndian>
#include <cmath>
#include <utility>

namespace tk {

namespace {
bool g_crisp = false;

int roundHalfUp(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}
} // namespace

void setCrispTextForTests(bool on) {
    g_crisp = on;
}
bool crispTextForTests() {
    return g_crisp;
}

QFont Font::toQFont() const {
    QFont f(m_name);
    f.setPixelSize(m_height > 0 ? m_height : 1);
    f.setBold(m_style.testFlag(fsBold));
    f.setItalic(m_style.testFlag(fsItalic));
    f.setUnderline(m_style.testFlag(fsUnderline));
    f.setStrikeOut(m_style.testFlag(fsStrikeOut));
    if (g_crisp) {
        f.setStyleStrategy(QFont::NoAntialias);
        f.setHintingPreference(QFont::PreferDefaultHinting);
    }
    return f;
}

TextMetrics Font::metrics() const {
    // Measuring is on every paint path; the OS/2 table does not change for a given face.
    static QHash<QString, TextMetrics> cache;
    const QFont qf = toQFont();
    const QString key = qf.key();
    if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;

    TextMetrics m;
    const QRawFont raw = QRawFont::fromFont(qf);
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    if (os2.size() >= 78 && raw.unitsPerEm() > 0) {
        const auto u16 = [&](int o) {
            return qFromBigEndian<quint16>(reinterpret_cast<const uchar*>(os2.constData()) + o);
        };
        const double px = qf.pixelSize();
        m.ascent = roundHalfUp(u16(74) * px / raw.unitsPerEm());
        m.descent = roundHalfUp(u16(76) * px / raw.unitsPerEm());
    } else {
        const QFontMetrics fm(qf);
        m.ascent = fm.ascent();
        m.descent = fm.descent();
    }
    m.height = m.ascent + m.descent;
    cache.insert(key, m);
    return m;
}

void registerApplicationFonts() {
    static bool done = false;
    if (std::exchange(done, true)) return;
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) return;
    for (const char* file :
         {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        const QString path = QString::fromLatin1(file);
        if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
    }
}

} // namespace tk
