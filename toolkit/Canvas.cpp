#include "Canvas.h"

#include "Bitmap.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace tk {

namespace {

bool isTrueColor(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

QRgb opaque(QRgb c) {
    return c | 0xFF000000u;
}

int clampToInt(qint64 v) {
    return static_cast<int>(
        std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A corner of a rounded shape is a quarter of an ellipse `w` x `h` pixels. For one of its
// top rows, run() gives the outline pixels on the left half, as offsets from the
// ellipse's left edge. The curve is sampled once per column and once per row so that it
// has no gaps where it is steep; a sample halfway between two pixels goes to the inner
// one. Rows are computed on demand: only the visible ones of a huge shape cost anything.
struct Run {
    qint64 outer = std::numeric_limits<qint64>::max();
    qint64 inner = -1;
};

class Corner {
public:
    Corner(qint64 w, qint64 h)
        : m_halfW((w + 1) / 2), m_halfH((h + 1) / 2), m_a((w - 1) / 2.0), m_b((h - 1) / 2.0),
          m_gridX(w % 2 == 0 ? 0.5 : 0.0), m_gridY(h % 2 == 0 ? 0.5 : 0.0) {}

    qint64 rows() const { return m_halfH; }
    qint64 halfWidth() const { return m_halfW; }

    Run run(qint64 row) const {
        Run r;
        const auto add = [&](qint64 col) {
            if (col < 0 || col >= m_halfW) return;
            r.outer = std::min(r.outer, col);
            r.inner = std::max(r.inner, col);
        };
        add(colOf(row));
        // The columns whose own sample lands on this row: rowOf falls as col grows.
        const qint64 first = firstCol([&](qint64 c) { return rowOf(c) <= row; });
        const qint64 past = firstCol([&](qint64 c) { return rowOf(c) < row; });
        if (first < past && rowOf(first) == row) {
            add(first);
            add(past - 1);
        }
        return r;
    }

private:
    static double nearest(double v, double grid) {
        const double k = std::ceil(v - grid - 0.5 - 1e-9);
        return std::max(k, 0.0) + grid;
    }
    static double along(double radius, double other, double otherRadius) {
        const double t = otherRadius > 0 ? other / otherRadius : 0.0;
        return radius * std::sqrt(std::max(0.0, 1.0 - t * t));
    }
    qint64 rowOf(qint64 col) const {
        return std::llround(m_b - nearest(along(m_b, m_a - double(col), m_a), m_gridY));
    }
    qint64 colOf(qint64 row) const {
        return std::llround(m_a - nearest(along(m_a, m_b - double(row), m_b), m_gridX));
    }
    template <typename Pred> qint64 firstCol(Pred pred) const {
        qint64 lo = 0, hi = m_halfW;
        while (lo < hi) {
            const qint64 mid = lo + (hi - lo) / 2;
            if (pred(mid))
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    }

    qint64 m_halfW, m_halfH;
    double m_a, m_b, m_gridX, m_gridY;
};

struct TextLine {
    qsizetype start = 0;
    qsizetype length = 0;
    QString text; // the characters drawn, ellipsis included
    int width = 0;
};

} // namespace

QString stripPrefixes(const QString& text, QList<int>* marks) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (++i >= text.size()) break;
            if (marks && text[i] != QLatin1Char('&')) marks->append(int(plain.size()));
        }
        plain += text[i];
    }
    return plain;
}

int Canvas::logicalExtent(int device, qreal ratio, qreal subpixel) {
    if (device <= 0) return 0;
    // The first logical pixel that starts at or past the end.
    qint64 v = qint64(std::ceil((device - 0.5 - subpixel) / ratio - 1e-6));
    while (v > 0 && deviceEdge(v - 1, ratio, subpixel) >= device)
        --v;
    while (deviceEdge(v, ratio, subpixel) < device)
        ++v;
    return clampToInt(v);
}

void Canvas::surfaceChanged(QPointF subpixel) {
    m_subpixel = subpixel;
    const QImage::Format f = m_image.format();
    m_mono = f == QImage::Format_Mono || f == QImage::Format_MonoLSB;
    if (m_mono) {
        // Without a colour table the bits mean nothing; give them the usual meaning.
        if (m_image.colorCount() < 2) m_image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    } else if (!isTrueColor(f) && !m_image.isNull()) {
        throw std::invalid_argument("Canvas: unsupported image format " +
                                    std::to_string(static_cast<int>(f)));
    }
    m_dpr = m_image.devicePixelRatio() > 0 ? m_image.devicePixelRatio() : 1.0;
    m_width = logicalExtent(m_image.width(), m_dpr, m_subpixel.x());
    m_height = logicalExtent(m_image.height(), m_dpr, m_subpixel.y());
    m_state.origin = QPoint();
    m_state.clip = QRegion(0, 0, m_width, m_height);
}

// --- Coordinates and clipping ---------------------------------------------------------

std::optional<QRect> Canvas::toImage(qint64 l, qint64 t, qint64 r, qint64 b) const {
    l = std::max<qint64>(l + m_state.origin.x(), 0);
    t = std::max<qint64>(t + m_state.origin.y(), 0);
    r = std::min<qint64>(r + m_state.origin.x(), m_width);
    b = std::min<qint64>(b + m_state.origin.y(), m_height);
    if (r <= l || b <= t) return std::nullopt;
    return QRect(int(l), int(t), int(r - l), int(b - t));
}

QRect Canvas::toDevice(const QRect& logical) const {
    const qint64 l = std::max<qint64>(devX(logical.left()), 0);
    const qint64 t = std::max<qint64>(devY(logical.top()), 0);
    const qint64 r =
        std::min<qint64>(devX(qint64(logical.left()) + logical.width()), m_image.width());
    const qint64 b =
        std::min<qint64>(devY(qint64(logical.top()) + logical.height()), m_image.height());
    return QRect(QPoint(int(l), int(t)), QPoint(int(r - 1), int(b - 1)));
}

void Canvas::clipRect(const Rect& r) {
    const std::optional<QRect> img = toImage(r);
    m_state.clip = img ? m_state.clip.intersected(*img) : QRegion();
}

Rect Canvas::clipBox() const {
    if (m_state.clip.isEmpty()) return {};
    return Rect::fromQRect(m_state.clip.boundingRect())
        .translated(-m_state.origin.x(), -m_state.origin.y());
}

bool Canvas::isDrawable(int x, int y) const {
    const std::optional<QRect> img = toImage(x, y, qint64(x) + 1, qint64(y) + 1);
    return img && m_state.clip.contains(img->topLeft());
}

// --- Pixels ---------------------------------------------------------------------------

std::uint32_t Canvas::deviceValue(TColor c) const {
    const QRgb rgb = toQRgb(c);
    if (!m_mono) return opaque(rgb);
    // The nearer of the two table entries.
    const auto dist = [rgb](QRgb e) {
        const int dr = qRed(rgb) - qRed(e), dg = qGreen(rgb) - qGreen(e),
                  db = qBlue(rgb) - qBlue(e);
        return dr * dr + dg * dg + db * db;
    };
    return dist(m_image.color(1)) < dist(m_image.color(0)) ? 1u : 0u;
}

void Canvas::fill(qint64 l, qint64 t, qint64 r, qint64 b, std::uint32_t value) {
    const std::optional<QRect> img = toImage(l, t, r, b);
    if (!img) return;
    for (const QRect& part : m_state.clip) {
        const QRect d = toDevice(part.intersected(*img));
        for (int y = d.top(); y <= d.bottom(); ++y) {
            if (m_mono) {
                for (int x = d.left(); x <= d.right(); ++x)
                    m_image.setPixel(x, y, value);
                continue;
            }
            auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(y));
            std::fill(line + d.left(), line + d.right() + 1, value);
        }
    }
}

void Canvas::plotPen(qint64 x, qint64 y, std::uint32_t value) {
    // A wide pen stamps a square centred on the path.
    const qint64 w = std::max(1, m_state.pen.width), l = x - (w - 1) / 2, t = y - (w - 1) / 2;
    fill(l, t, l + w, t + w, value);
}

TColor Canvas::pixel(int x, int y) const {
    const std::optional<QRect> img = toImage(x, y, qint64(x) + 1, qint64(y) + 1);
    return img ? fromQColor(QColor(m_image.pixel(toDevice(*img).topLeft()))) : clNone;
}

// --- Shapes ---------------------------------------------------------------------------

void Canvas::frameRect(const Rect& r, TColor color) {
    if (r.isEmpty()) return;
    fillRect({r.Left, r.Top, r.Right, r.Top + 1}, color);
    fillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, color);
    fillRect({r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}, color);
    fillRect({r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, color);
}

// The outline is one pixel wide in the pen colour whatever the pen width; the inside
// takes the brush unless it is clear.
void Canvas::roundRect(const Rect& r, int cornerW, int cornerH) {
    if (r.isEmpty()) return;
    const qint64 w = qint64(r.Right) - r.Left;
    const qint64 h = qint64(r.Bottom) - r.Top;
    qint64 ew = std::clamp<qint64>(cornerW, 0, w);
    qint64 eh = std::clamp<qint64>(cornerH, 0, h);
    if (ew < 2 || eh < 2) ew = eh = 0;
    const Corner corner(ew, eh);
    const qint64 halfW = corner.halfWidth();
    const qint64 cornerRows = ew ? corner.rows() : 0;

    const std::uint32_t pen = deviceValue(m_state.pen.color);
    const bool inside = m_state.brush.style == BrushStyle::Solid;
    const std::uint32_t brush = deviceValue(m_state.brush.color);
    const auto span = [this](qint64 y, qint64 x0, qint64 x1, std::uint32_t v) { // x1 exclusive
        fill(x0, y, x1, y + 1, v);
    };

    // Only the rows that can be seen matter; rows between the corners are all alike.
    const qint64 firstRow = std::max<qint64>(r.Top, -qint64(m_state.origin.y()) - 1);
    const qint64 lastRow = std::min<qint64>(r.Bottom, qint64(m_height) - m_state.origin.y() + 1);
    for (qint64 y = firstRow; y < lastRow; ++y) {
        const qint64 fromTop = y - r.Top;
        const qint64 fromBottom = r.Bottom - 1 - y;
        const qint64 row = fromTop < cornerRows      ? fromTop
                           : fromBottom < cornerRows ? fromBottom
                                                     : -1;
        // Between the corners the outline is the outermost column on either side.
        const Run run = row >= 0 ? corner.run(row) : Run{0, 0};
        if (run.inner < 0) continue;
        // The top and bottom edges, and a curve that crosses the middle: a straight line.
        if (row >= 0 ? run.inner >= halfW - 1 : fromTop == 0 || fromBottom == 0) {
            span(y, r.Left + run.outer, qint64(r.Right) - run.outer, pen);
            continue;
        }
        span(y, r.Left + run.outer, qint64(r.Left) + run.inner + 1, pen);
        span(y, qint64(r.Right) - 1 - run.inner, qint64(r.Right) - run.outer, pen);
        if (inside) span(y, qint64(r.Left) + run.inner + 1, qint64(r.Right) - 1 - run.inner, brush);
    }
}

// Pixels whose centre lies inside or on the polygon (even-odd rule) take the brush;
// the closed outline is drawn over them with the pen.
void Canvas::polygon(std::span<const QPoint> points) {
    if (points.empty()) return;
    if (m_state.brush.style == BrushStyle::Solid && points.size() >= 3) {
        const std::uint32_t brush = deviceValue(m_state.brush.color);
        const auto [top, bottom] = std::ranges::minmax(points, {}, &QPoint::y);
        std::vector<double> xs;
        const qint64 firstRow = std::max<qint64>(top.y(), -qint64(m_state.origin.y()));
        const qint64 lastRow = std::min<qint64>(bottom.y(), qint64(m_height) - m_state.origin.y());
        for (int y = int(firstRow); y < lastRow; ++y) {
            const double yc = y + 0.5;
            xs.clear();
            for (size_t i = 0; i < points.size(); ++i) {
                const QPoint a = points[i];
                const QPoint b = points[(i + 1) % points.size()];
                if (a.y() == b.y()) continue;
                const double y0 = std::min(a.y(), b.y()), y1 = std::max(a.y(), b.y());
                if (yc < y0 || yc >= y1) continue;
                const double dx = double(b.x()) - a.x(), dy = double(b.y()) - a.y();
                xs.push_back(a.x() + (yc - a.y()) * dx / dy);
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2)
                fill(qint64(std::ceil(xs[i] - 0.5)), y, qint64(std::floor(xs[i + 1] - 0.5)) + 1,
                     y + 1, brush);
        }
    }
    const std::uint32_t value = deviceValue(m_state.pen.color);
    if (points.size() == 1) return plotPen(points[0].x(), points[0].y(), value);
    for (size_t i = 0; i < points.size(); ++i)
        line(points[i], points[(i + 1) % points.size()], value);
}

void Canvas::lineTo(int x, int y) {
    line(m_state.penPos, QPoint(x, y), deviceValue(m_state.pen.color));
    m_state.penPos = QPoint(x, y);
}

void Canvas::polyline(std::span<const QPoint> points) {
    const std::uint32_t value = deviceValue(m_state.pen.color);
    for (size_t i = 1; i < points.size(); ++i)
        line(points[i - 1], points[i], value);
}

// Steps along the major axis from `from` up to, not including, `to`; the minor
// coordinate is rounded with halves going up. Steps that cannot be seen are skipped, so a
// line of any length costs only what it paints.
void Canvas::line(QPoint from, QPoint to, std::uint32_t value) {
    const qint64 dx = qint64(to.x()) - from.x();
    const qint64 dy = qint64(to.y()) - from.y();
    const qint64 steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) return;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const qint64 major0 = xMajor ? from.x() : from.y();
    const qint64 dir = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const qint64 margin = std::max(1, m_state.pen.width);
    const qint64 origin = xMajor ? m_state.origin.x() : m_state.origin.y();
    const qint64 lo = -origin - margin, hi = qint64(xMajor ? m_width : m_height) - origin + margin;
    const qint64 first = std::max<qint64>(0, dir > 0 ? lo - major0 : major0 - hi);
    const qint64 last = std::min<qint64>(steps - 1, dir > 0 ? hi - major0 : major0 - lo);
    if (first > last) return;
    if (dx == 0 || dy == 0) {
        // Along an axis the pen's stamps make one rectangle (frames are drawn so): fill it at
        // once rather than stamp by stamp.
        const qint64 w = std::max(1, m_state.pen.width), half = (w - 1) / 2;
        const qint64 a = major0 + dir * first, b = major0 + dir * last;
        const qint64 lo0 = std::min(a, b) - half, hi0 = std::max(a, b) - half + w;
        const qint64 minor = (xMajor ? from.y() : from.x()) - half;
        if (xMajor)
            fill(lo0, minor, hi0, minor + w, value);
        else
            fill(minor, lo0, minor + w, hi0, value);
        return;
    }
    // i * d reaches 2^64 for a line across the whole int range.
    __extension__ using Wide = __int128;
    const auto minorStep = [steps](qint64 i, qint64 d) { // i * d / steps, halves up
        const Wide n2 = Wide(2) * i * d + steps, d2 = Wide(2) * steps;
        return qint64(n2 >= 0 ? n2 / d2 : -((-n2 + d2 - 1) / d2));
    };
    for (qint64 i = first; i <= last; ++i) {
        const qint64 x = from.x() + (xMajor ? dir * i : minorStep(i, dx));
        const qint64 y = from.y() + (xMajor ? minorStep(i, dy) : dir * i);
        plotPen(x, y, value);
    }
}

void Canvas::drawFocusRect(const Rect& r) {
    const std::optional<QRect> img = toImage(r);
    if (!img) return;
    // Each pixel of the ring once, also when the ring is one pixel thin.
    QRegion ring(*img);
    if (const std::optional<QRect> inside = toImage(r.inflated(-1, -1))) ring -= *inside;
    for (const QRect& part : ring.intersected(m_state.clip)) {
        for (int y = part.top(); y <= part.bottom(); ++y) {
            for (int x = part.left() + (part.left() + y) % 2; x <= part.right(); x += 2) {
                const QRect d = toDevice(QRect(x, y, 1, 1));
                for (int dy = d.top(); dy <= d.bottom(); ++dy)
                    for (int dx = d.left(); dx <= d.right(); ++dx)
                        if (m_mono)
                            m_image.setPixel(dx, dy, 1u - m_image.pixelIndex(dx, dy));
                        else
                            reinterpret_cast<QRgb*>(m_image.scanLine(dy))[dx] ^= 0x00FFFFFFu;
            }
        }
    }
}

// --- Text -----------------------------------------------------------------------------

int Canvas::textWidth(const QString& text) const {
    return QFontMetrics(qfont()).horizontalAdvance(text);
}

void Canvas::drawTextLine(int x, int y, const QString& text, const QList<int>& marks,
                          bool clipToRect, const Rect& clip) {
    if (text.isEmpty() || m_width == 0 || m_height == 0) return;
    StateSaver saver(*this);
    if (clipToRect) clipRect(clip);
    if (m_state.clip.isEmpty()) return;
    const TextMetrics m = m_state.font.metrics();
    // QPainter's own 1-bit drawing maps colours its own way: draw on a true-colour copy and
    // take each pixel back as the nearer table entry.
    QImage copy = m_mono ? m_image.convertToFormat(QImage::Format_RGB32) : QImage();
    {
        QPainter p(m_mono ? &copy : &m_image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, !crispTextForTests());
        // The clip in device pixels, as the shapes see it: Qt would round a logical clip on
        // its own and let text spill into, or stop short of, a device pixel of a neighbour.
        QRegion deviceClip;
        for (const QRect& r : m_state.clip)
            deviceClip += toDevice(r);
        p.setWorldTransform(QTransform::fromScale(1 / m_dpr, 1 / m_dpr));
        p.setClipRegion(deviceClip);
        p.setWorldTransform(QTransform::fromTranslate(m_state.origin.x() + m_subpixel.x() / m_dpr,
                                                      m_state.origin.y() + m_subpixel.y() / m_dpr));
        p.setFont(qfont());
        p.setPen(toQColor(m_state.font.color()));
        p.drawText(QPoint(x, y + m.ascent), text);
    }
    for (int dy = 0; dy < copy.height(); ++dy)
        for (int dx = 0; dx < copy.width(); ++dx)
            m_image.setPixel(dx, dy, deviceValue(fromQColor(QColor(copy.pixel(dx, dy)))));
    if (marks.isEmpty()) return;
    const QFontMetrics fm(qfont());
    const int underlineY =
        std::min(y + m.ascent + std::max(1, fm.underlinePos()), y + m.height - 1);
    const int thickness = std::max(1, fm.lineWidth());
    for (int at : marks) {
        if (at < 0 || at >= text.size()) continue;
        const int len = (text[at].isHighSurrogate() && at + 1 < text.size()) ? 2 : 1;
        const int x0 = x + fm.horizontalAdvance(text.left(at));
        const int x1 = x + fm.horizontalAdvance(text.left(at + len));
        fillRect({x0, underlineY, x1, underlineY + thickness}, m_state.font.color());
    }
}

void Canvas::textOut(int x, int y, const QString& text) {
    drawText({x, y, x, y}, text,
             TextFormat::SingleLine | TextFormat::NoPrefix | TextFormat::NoClip);
}

Rect Canvas::drawText(const Rect& r, const QString& text, TextFormats flags) {
    QList<int> marks;
    const QString plain = flags.testFlag(TextFormat::NoPrefix) ? text : stripPrefixes(text, &marks);
    if (flags.testFlag(TextFormat::HidePrefix)) marks.clear();

    const QFontMetrics fm(qfont());
    const qint64 boxWidth = qint64(r.Right) - r.Left;
    const bool single = flags.testFlag(TextFormat::SingleLine);

    std::vector<TextLine> lines;
    const auto addLine = [&](qsizetype start, qsizetype length) {
        const QString shown = plain.mid(start, length);
        lines.push_back({start, length, shown, fm.horizontalAdvance(shown)});
    };
    const auto trimmedEnd = [&](qsizetype start, qsizetype end) {
        while (end > start && plain[end - 1].isSpace())
            --end;
        return end;
    };

    // One paragraph on one line, or wrapped greedily at the line-break opportunities; a
    // word wider than the box stays whole on its own line.
    const auto layOut = [&](qsizetype start, qsizetype end) {
        const auto addTrimmed = [&](qsizetype from, qsizetype to) {
            addLine(from, trimmedEnd(from, to) - from);
        };
        if (single || !flags.testFlag(TextFormat::WordBreak)) return addLine(start, end - start);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, plain.mid(start, end - start));
        qsizetype lineStart = start, lastFit = -1;
        for (qsizetype pos = finder.toNextBoundary(); pos != -1;) {
            const qsizetype at = start + pos;
            const qsizetype fitEnd = trimmedEnd(lineStart, at);
            if (fm.horizontalAdvance(plain.mid(lineStart, fitEnd - lineStart)) <= boxWidth) {
                lastFit = at;
                pos = finder.toNextBoundary();
                continue;
            }
            const qsizetype breakAt = lastFit > lineStart ? lastFit : at;
            addTrimmed(lineStart, breakAt);
            lineStart = breakAt;
            lastFit = -1;
            if (breakAt == at) pos = finder.toNextBoundary();
        }
        if (lineStart < end || lineStart == start) addTrimmed(lineStart, end);
    };
    // Paragraphs: the whole text on one line, or one per line break.
    qsizetype paragraph = 0;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (single || (plain[i] != QLatin1Char('\n') && plain[i] != QLatin1Char('\r'))) continue;
        layOut(paragraph, i);
        if (QStringView(plain).sliced(i).startsWith(u"\r\n")) ++i;
        paragraph = i + 1;
    }
    layOut(paragraph, plain.size());

    if (flags.testFlag(TextFormat::EndEllipsis)) {
        const QString dots = QStringLiteral("...");
        for (TextLine& line : lines) {
            if (line.width <= boxWidth) continue;
            qsizetype keep = line.length;
            QString shown;
            do {
                --keep;
                if (keep > 0 && line.text[keep].isLowSurrogate()) --keep;
                shown = line.text.left(std::max<qsizetype>(keep, 0)) + dots;
            } while (keep > 0 && fm.horizontalAdvance(shown) > boxWidth);
            line.length = std::max<qsizetype>(keep, 0);
            line.text = shown;
            line.width = fm.horizontalAdvance(shown);
        }
    }

    const int lineHeight = m_state.font.metrics().height;
    const int widest = std::ranges::max(lines, {}, &TextLine::width).width; // never no line
    const qint64 total = qint64(lineHeight) * qint64(lines.size());

    if (flags.testFlag(TextFormat::CalcRect)) {
        // One line: the box shrinks or grows to the text; several: the box keeps its
        // width unless a line is wider.
        const qint64 right = lines.size() == 1 ? qint64(r.Left) + widest
                                               : std::max<qint64>(r.Right, qint64(r.Left) + widest);
        return {r.Left, r.Top, clampToInt(right), clampToInt(r.Top + total)};
    }

    const qint64 top =
        single && flags.testFlag(TextFormat::VCenter)  ? (qint64(r.Top) + r.Bottom - lineHeight) / 2
        : single && flags.testFlag(TextFormat::Bottom) ? qint64(r.Bottom) - lineHeight
                                                       : qint64(r.Top);

    const bool clip = !flags.testFlag(TextFormat::NoClip);
    const bool opaque = !textIsTransparent();
    Rect bounds{std::numeric_limits<int>::max(), clampToInt(top), std::numeric_limits<int>::min(),
                clampToInt(top + total)};
    qint64 y = top;
    for (const TextLine& line : lines) {
        const qint64 x = flags.testFlag(TextFormat::Right) ? qint64(r.Right) - line.width
                         : flags.testFlag(TextFormat::Center)
                             ? (qint64(r.Left) + r.Right - line.width) / 2
                             : qint64(r.Left);
        QList<int> lineMarks;
        for (int at : marks)
            if (at >= line.start && at < line.start + line.length)
                lineMarks.append(int(at - line.start));
        const Rect cell = Rect::fromSize(clampToInt(x), clampToInt(y), line.width, lineHeight);
        if (opaque) {
            StateSaver saver(*this);
            if (clip) clipRect(r);
            fillRect(cell, m_state.brush.color);
        }
        drawTextLine(cell.Left, cell.Top, line.text, lineMarks, clip, r);
        bounds.Left = std::min(bounds.Left, cell.Left);
        bounds.Right = std::max(bounds.Right, cell.Right);
        y += lineHeight;
    }
    return bounds;
}

// --- Bitmaps --------------------------------------------------------------------------

// One axis of a picture copy: for each device pixel of the visible logical span
// [visLo, visHi) of the destination [destLo, destHi), the source device pixel it shows, or
// -1. A copy at the picture's own size goes logical pixel by logical pixel, so a line one
// logical pixel wide stays whole on any grid; a stretched copy scales device pixels.
std::vector<int> Canvas::sourceMap(qint64 destLo, qint64 destHi, qint64 visLo, qint64 visHi,
                                   bool horizontal, qint64 srcLo, qint64 srcHi, qreal srcRatio,
                                   qreal srcSubpixel, int srcDevice) const {
    const qint64 limit = horizontal ? m_image.width() : m_image.height();
    const auto dev = [&](qint64 v) { return horizontal ? devX(v) : devY(v); };
    const auto srcDev = [&](qint64 v) { return deviceEdge(v, srcRatio, srcSubpixel); };
    const qint64 base = std::max<qint64>(dev(visLo), 0);
    const qint64 end = std::min<qint64>(dev(visHi), limit);
    std::vector<int> map(size_t(std::max<qint64>(end - base, 0)), -1);
    if (map.empty()) return map;
    __extension__ using Wide = __int128;
    if (destHi - destLo == srcHi - srcLo) {
        for (qint64 u = visLo; u < visHi; ++u) {
            const qint64 i = srcLo + (u - destLo);
            const qint64 sa = std::clamp<qint64>(srcDev(i), 0, srcDevice);
            const qint64 sb = std::clamp<qint64>(srcDev(i + 1), 0, srcDevice);
            const qint64 da = dev(u), db = dev(u + 1);
            if (sb <= sa || db <= da) continue;
            for (qint64 d = std::max(da, base); d < std::min(db, end); ++d)
                map[size_t(d - base)] = int(sa + (d - da) * (sb - sa) / (db - da));
        }
        return map;
    }
    const qint64 dl = dev(destLo), dw = dev(destHi) - dl;
    const qint64 sl = srcDev(srcLo), sw = srcDev(srcHi) - sl;
    if (dw <= 0 || sw <= 0) return map;
    for (qint64 d = base; d < end; ++d) {
        const qint64 sd = sl + qint64(Wide(d - dl) * sw / dw);
        if (sd >= 0 && sd < srcDevice) map[size_t(d - base)] = int(sd);
    }
    return map;
}

// A nearest-neighbour copy, through the clip.
void Canvas::copyRect(const Rect& dest, const Bitmap& bitmap, const Rect& src,
                      std::optional<TColor> transparent) {
    const QImage& img = bitmap.image();
    if (img.isNull() || src.isEmpty() || dest.isEmpty()) return;
    const QPointF srcSubpixel = bitmap.subpixel();
    const QRgb skip = transparent ? toQRgb(*transparent) & 0xFFFFFFu : 0;
    const std::optional<QRect> visible = toImage(dest);
    if (!visible) return;
    const QImage source =
        isTrueColor(img.format()) ? img : img.convertToFormat(QImage::Format_RGB32);
    const qreal srcRatio = img.devicePixelRatio() > 0 ? img.devicePixelRatio() : 1.0;
    const qint64 ox = m_state.origin.x(), oy = m_state.origin.y();
    const std::vector<int> xs =
        sourceMap(dest.Left + ox, dest.Right + ox, visible->left(), visible->right() + 1, true,
                  src.Left, src.Right, srcRatio, srcSubpixel.x(), source.width());
    const std::vector<int> ys =
        sourceMap(dest.Top + oy, dest.Bottom + oy, visible->top(), visible->bottom() + 1, false,
                  src.Top, src.Bottom, srcRatio, srcSubpixel.y(), source.height());
    const QRect mapped = toDevice(*visible);
    for (const QRect& part : m_state.clip) {
        const QRect piece = part.intersected(*visible);
        if (piece.isEmpty()) continue;
        const QRect d = toDevice(piece);
        for (int y = d.top(); y <= d.bottom(); ++y) {
            const int sy = ys[size_t(y - mapped.top())];
            if (sy < 0) continue;
            const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
            auto* out = m_mono ? nullptr : reinterpret_cast<QRgb*>(m_image.scanLine(y));
            for (int x = d.left(); x <= d.right(); ++x) {
                const int sx = xs[size_t(x - mapped.left())];
                if (sx < 0) continue;
                const QRgb c = opaque(in[sx]);
                if (transparent && (c & 0xFFFFFFu) == skip) continue;
                if (out)
                    out[x] = c;
                else
                    m_image.setPixel(x, y, deviceValue(fromQColor(QColor(c))));
            }
        }
    }
}

void Canvas::draw(int x, int y, const Bitmap& bitmap, std::optional<TColor> transparent) {
    copyRect(Rect::fromSize(x, y, bitmap.width(), bitmap.height()), bitmap,
             Rect{0, 0, bitmap.width(), bitmap.height()}, transparent);
}

void Canvas::stretchDraw(const Rect& r, const Bitmap& bitmap) {
    copyRect(r, bitmap, Rect{0, 0, bitmap.width(), bitmap.height()});
}

} // namespace tk
