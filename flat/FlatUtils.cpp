#include "FlatUtils.h"

#include "Gbk.h"

#include <QByteArrayView>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace flat {

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const qint64 p = qint64(a) * b;
    qint64 q = p / c;
    const qint64 r = p % c;
    if (2 * std::llabs(r) >= std::llabs(qint64(c))) q += ((p < 0) != (c < 0)) ? -1 : 1;
    return int(q);
}

int clampToInt(qint64 v) {
    return int(
        std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool isStraight(TFillDirection d) {
    return d == fdTopToBottom || d == fdBottomToTop || d == fdLeftToRight || d == fdRightToLeft;
}

} // namespace

QString localColorName(const TStandardColor& entry) {
    return tk::gbk::decode(QByteArrayView(entry.LocalName));
}

QString englishColorName(const TStandardColor& entry) {
    return QString::fromLatin1(entry.EnglishName);
}

TColor DarkenColor(TColor color, int amount) {
    const TColor c = tk::resolveColor(color);
    const auto channel = [amount](int v) {
        return int(std::clamp<qint64>(qint64(v) - amount, 0, 255));
    };
    return tk::rgb(channel(tk::redOf(c)), channel(tk::greenOf(c)), channel(tk::blueOf(c)));
}

void LinearGradientFill(Canvas& canvas, Rect r, TColor c1, TColor c2, TFillDirection direction,
                        int colors) {
    if (!isStraight(direction))
        throw std::invalid_argument("LinearGradientFill: the direction must be top-to-bottom, "
                                    "bottom-to-top, left-to-right or right-to-left");
    if (r.isEmpty()) return;
    if (colors < 2) {
        canvas.fillRect(r, tk::resolveColor(c1));
        return;
    }
    const bool startsFirst = direction == fdTopToBottom || direction == fdLeftToRight;
    const TColor first = tk::resolveColor(startsFirst ? c1 : c2);
    const TColor last = tk::resolveColor(startsFirst ? c2 : c1);
    const int dr = tk::redOf(last) - tk::redOf(first);
    const int dg = tk::greenOf(last) - tk::greenOf(first);
    const int db = tk::blueOf(last) - tk::blueOf(first);

    const bool vertical = direction == fdTopToBottom || direction == fdBottomToTop;
    const qint64 origin = vertical ? r.Top : r.Left;
    const qint64 extent = vertical ? qint64(r.Bottom) - r.Top : qint64(r.Right) - r.Left;
    const qint64 bands = std::max<qint64>(2, std::min<qint64>(colors, extent));
    const qint64 size = extent / bands;
    // A band across the rectangle, from `from` to `to` along the direction.
    const auto band = [&](qint64 from, qint64 to) {
        return vertical ? Rect{r.Left, clampToInt(from), r.Right, clampToInt(to)}
                        : Rect{clampToInt(from), r.Top, clampToInt(to), r.Bottom};
    };
    if (size > 0) {
        for (int i = 0; i < bands; ++i) {
            const int steps = int(bands - 1);
            const TColor c = tk::rgb(tk::redOf(first) + mulDiv(i, dr, steps),
                                     tk::greenOf(first) + mulDiv(i, dg, steps),
                                     tk::blueOf(first) + mulDiv(i, db, steps));
            canvas.fillRect(band(origin + i * size, origin + (i + 1) * size), c);
        }
    }
    const qint64 rest = extent % bands;
    if (rest > 0) canvas.fillRect(band(origin + extent - rest, origin + extent), last);
}

void GradientFill(Canvas& canvas, Rect r, TColor start, TColor end, TFillDirection direction,
                  int colors) {
    switch (direction) {
    case fdTopToBottom:
    case fdBottomToTop:
    case fdLeftToRight:
    case fdRightToLeft:
        LinearGradientFill(canvas, r, start, end, direction, colors);
        return;
    case fdCenterToVerti: {
        const int half = RectHeight(r) / 2;
        LinearGradientFill(canvas, {r.Left, r.Top, r.Right, r.Top + half}, start, end,
                           fdTopToBottom, colors);
        LinearGradientFill(canvas, {r.Left, r.Top + half, r.Right, r.Bottom}, start, end,
                           fdBottomToTop, colors);
        return;
    }
    case fdCenterToHoriz: {
        const int half = RectWidth(r) / 2;
        LinearGradientFill(canvas, {r.Left, r.Top, r.Left + half, r.Bottom}, start, end,
                           fdLeftToRight, colors);
        LinearGradientFill(canvas, {r.Left + half, r.Top, r.Right, r.Bottom}, start, end,
                           fdRightToLeft, colors);
        return;
    }
    case fdXPFace:
        XPFaceFill(canvas, r, start, end, colors);
        return;
    }
    throw std::invalid_argument("GradientFill: unknown fill direction " +
                                std::to_string(int(direction)));
}

// The steps build on each other: the blends read back what the earlier steps painted.
// The whole face is clipped to `r`, so a face smaller than its border stays inside.
void XPFaceFill(Canvas& canvas, Rect r, TColor start, TColor end, int colors) {
    if (r.isEmpty()) return;
    constexpr int B = XPFaceBorder;
    constexpr int BlendColors = 8;
    Canvas::StateSaver saver(canvas);
    canvas.clipRect(r);
    const TColor lighter = DarkenColor(start, -XPFaceLighten);
    const auto leftBlend = [&] {
        for (int y = r.Top + B; y < r.Bottom; ++y)
            LinearGradientFill(canvas, {r.Left + 1, y, r.Left + B, y + 1}, canvas.pixel(r.Left, y),
                               canvas.pixel(r.Left + B + 1, y), fdLeftToRight, BlendColors);
    };

    canvas.frameRect(r, end);
    LinearGradientFill(canvas, {r.Left + B, r.Top + B, r.Right, r.Bottom - B}, end, start,
                       fdTopToBottom, colors);
    LinearGradientFill(canvas, {r.Left + B, r.Bottom - B, r.Right, r.Bottom}, start, end,
                       fdTopToBottom, colors);
    leftBlend();
    LinearGradientFill(canvas, {r.Left + B, r.Top, r.Right, r.Top + 1}, lighter, start,
                       fdTopToBottom, BlendColors);
    LinearGradientFill(canvas, {r.Left + B, r.Top + 1, r.Right, r.Top + B}, start, end,
                       fdTopToBottom, BlendColors);
    LinearGradientFill(canvas, {r.Left, r.Top + B, r.Left + 1, r.Bottom}, lighter, start,
                       fdLeftToRight, BlendColors);
    leftBlend();
    // The corner: each pass draws an L in the colour found just below it.
    for (int i = 0; i <= B; ++i) {
        canvas.setPenColor(canvas.pixel(r.Left + i, r.Top + B + 1));
        canvas.moveTo(r.Left + i, r.Top + B);
        canvas.lineTo(r.Left + i, r.Top + i);
        canvas.lineTo(r.Left + B, r.Top + i);
    }
}

void DrawSolidFrame(Canvas& canvas, Rect r, TColor color, int width) {
    Canvas::StateSaver saver(canvas);
    canvas.setPen({color, 1});
    Rect q{r.Left, r.Top, r.Right - 1, r.Bottom - 1};
    // Rings past the middle would cross over and paint outside the rectangle.
    for (int k = 0; k < width && q.Left <= q.Right && q.Top <= q.Bottom; ++k) {
        canvas.polyline({{q.Left, q.Bottom}, {q.Left, q.Top}, {q.Right, q.Top}});
        canvas.polyline({{q.Right, q.Top}, {q.Right, q.Bottom}, {q.Left - 1, q.Bottom}});
        q = q.inflated(-1, -1);
    }
}

void DrawCheckMark(Canvas& canvas, Rect r, TColor color) {
    Canvas::StateSaver saver(canvas);
    canvas.setPen({color, 1});
    const int d = (RectWidth(r) - 12) / 2;
    const int x0 = r.Left + d, y0 = r.Top + d;
    for (int k = 0; k < 3; ++k) {
        canvas.moveTo(x0 + 2, y0 + 5 + k);
        canvas.lineTo(x0 + 4, y0 + 7 + k);
        canvas.lineTo(x0 + 10, y0 + 1 + k);
    }
}

void TileBitmap(Canvas& canvas, Rect r, const tk::Bitmap& bitmap) {
    if (bitmap.width() <= 0 || bitmap.height() <= 0) return;
    const qint64 bw = bitmap.width(), bh = bitmap.height();
    Canvas::StateSaver saver(canvas);
    canvas.clipRect(r);
    // Tiles wholly outside the visible part are skipped: they would be cut away anyway.
    const Rect visible = canvas.clipBox().intersected(r);
    if (visible.isEmpty()) return;
    const qint64 columns = (qint64(r.Right) - r.Left) / bw;
    const qint64 rows = (qint64(r.Bottom) - r.Top) / bh;
    const qint64 firstColumn = std::max<qint64>(0, (qint64(visible.Left) - r.Left) / bw);
    const qint64 lastColumn = std::min(columns, (qint64(visible.Right) - 1 - r.Left) / bw);
    const qint64 firstRow = std::max<qint64>(0, (qint64(visible.Top) - r.Top) / bh);
    const qint64 lastRow = std::min(rows, (qint64(visible.Bottom) - 1 - r.Top) / bh);
    for (qint64 i = firstColumn; i <= lastColumn; ++i)
        for (qint64 j = firstRow; j <= lastRow; ++j)
            canvas.draw(clampToInt(r.Left + i * bw), clampToInt(r.Top + j * bh), bitmap);
}

tk::Bitmap MakeDisabledBitmap(const tk::Bitmap& source, TColor keyColor, TColor backColor,
                              TColor highlightColor, TColor shadowColor, bool drawHighlight) {
    const QImage& src = source.image();
    const int w = src.width(), h = src.height();
    if (w == 0 || h == 0) return {};

    const QRgb key = tk::toQRgb(keyColor) & 0xFFFFFFu;
    const bool keyIsWhite = key == 0xFFFFFFu;
    std::vector<bool> mask(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool set;
            if (source.isMonochrome())
                set = src.pixelIndex(x, y) == 0 || keyIsWhite;
            else
                set = (src.pixel(x, y) & 0xFFFFFFu) == key;
            mask[size_t(y) * size_t(w) + size_t(x)] = set;
        }
    }

    QImage out(w, h, QImage::Format_RGB32);
    if (out.isNull()) throw std::runtime_error("MakeDisabledBitmap: cannot allocate the picture");
    out.setDevicePixelRatio(src.devicePixelRatio());
    out.fill(tk::toQRgb(backColor) | 0xFF000000u);
    const auto paint = [&](QRgb color, int dx, int dy) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (mask[size_t(y) * size_t(w) + size_t(x)] && x + dx < w && y + dy < h)
                    out.setPixel(x + dx, y + dy, color | 0xFF000000u);
    };
    if (drawHighlight) paint(tk::toQRgb(highlightColor), 1, 1);
    paint(tk::toQRgb(shadowColor), 0, 0);
    return tk::Bitmap(out);
}

TGlyphTextLayout CalcGlyphTextLayout(Canvas& canvas, Rect client, QPoint offset,
                                     const QString& caption, const tk::Bitmap* glyph, int numGlyphs,
                                     int margin, int spacing, TButtonLayout layout) {
    const QPoint clientSize(RectWidth(client), RectHeight(client));
    QPoint glyphSize;
    // A glyph strip that claims no images is read as one image rather than divided by 0.
    if (glyph) glyphSize = QPoint(glyph->width() / std::max(numGlyphs, 1), glyph->height());

    Rect textBounds;
    QPoint textSize;
    if (!caption.isEmpty()) {
        textBounds = canvas.drawText({0, 0, clientSize.x(), 0}, caption,
                                     tk::TextFormat::CalcRect | tk::TextFormat::SingleLine);
        textSize = QPoint(RectWidth(textBounds), RectHeight(textBounds));
    }

    // Along the layout's axis the glyph and the caption follow each other; across it each
    // is centred on its own.
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    const auto along = [horizontal](QPoint& p) -> int& { return horizontal ? p.rx() : p.ry(); };
    const auto across = [horizontal](QPoint& p) -> int& { return horizontal ? p.ry() : p.rx(); };
    QPoint c = clientSize, g = glyphSize, t = textSize, glyphPos, textPos;
    across(glyphPos) = (across(c) - across(g) + 1) / 2;
    across(textPos) = (across(c) - across(t) + 1) / 2;

    // Widths decide, in either layout.
    if (t.x() == 0 || g.x() == 0) spacing = 0;
    if (margin == -1 && spacing == -1) {
        margin = (along(c) - along(g) - along(t)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (along(c) - (along(g) + spacing + along(t)) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (along(c) - (margin + along(g)) - along(t)) / 2;
    }

    if (layout == blGlyphLeft || layout == blGlyphTop) {
        along(glyphPos) = margin;
        along(textPos) = margin + along(g) + spacing;
    } else {
        along(glyphPos) = along(c) - margin - along(g);
        along(textPos) = along(glyphPos) - spacing - along(t);
    }

    const QPoint shift(client.Left + offset.x(), client.Top + offset.y());
    return {glyphPos + shift,
            textBounds.translated(textPos.x() + shift.x(), textPos.y() + shift.y())};
}

void drawControlCaption(Canvas& canvas, const Rect& r, const QString& caption,
                        tk::TextFormats flags, bool enabled) {
    if (enabled) {
        canvas.drawText(r, caption, flags);
        return;
    }
    Canvas::StateSaver saver(canvas);
    canvas.setFontColor(tk::clBtnHighlight);
    canvas.drawText(r.translated(1, 1), caption, flags);
    canvas.setFontColor(tk::clBtnShadow);
    canvas.drawText(r, caption, flags);
}

tk::TextFormats alignmentFormat(tk::TAlignment a) {
    if (a == tk::taCenter) return tk::TextFormat::Center;
    return a == tk::taRightJustify ? tk::TextFormat::Right : tk::TextFormat::Left;
}

QString RemoveAmpersand(const QString& text) {
    QString out = text;
    if (const qsizetype at = out.indexOf(QLatin1Char('&')); at >= 0) out.remove(at, 1);
    return out;
}

int RectWidth(const Rect& r) {
    return clampToInt(qint64(r.Right) - r.Left);
}

int RectHeight(const Rect& r) {
    return clampToInt(qint64(r.Bottom) - r.Top);
}

bool RectsIntersect(const Rect& a, const Rect& b) {
    return a.intersects(b);
}

// --- Helpers that work on controls ----------------------------------------------------

TColor DrawFlatBorder(const tk::TControl& control, Canvas& canvas, TColor borderColor,
                      TColor flatColor, TColor focusedColor, bool mouseIn, bool focused) {
    Rect r{0, 0, control.width(), control.height()};
    canvas.frameRect(r, borderColor);
    const TColor inner = !control.isDesigning() && (focused || mouseIn) ? focusedColor : flatColor;
    for (int ring = 0; ring < 2; ++ring) {
        r = r.inflated(-1, -1);
        canvas.frameRect(r, inner);
    }
    return inner;
}

bool trackHover(bool& mouseIn, bool entering) {
    if (entering ? !tk::applicationHasActiveWindow() : !mouseIn) return false;
    mouseIn = entering;
    return true;
}

void DrawFace(const tk::TControl& control, Canvas& canvas, Rect r, bool transparent,
              TStyleFace face, TColor start, TColor stop, TFillDirection direction) {
    constexpr int FaceBands = 60;
    if (transparent)
        DrawParentBackground(control, canvas);
    else if (face == fsCustom)
        GradientFill(canvas, r, start, stop, direction, FaceBands);
    else
        canvas.fillRect(r, control.color());
}

void DrawParentBackground(const QWidget& control, Canvas& canvas) {
    tk::paintParentBackground(&control, canvas);
}

void PlaceTicket(TTicketPosition position, const QWidget& control, tk::TControl& ticket,
                 int spacing) {
    // In 64 bits: a layout may hold any TicketSpace, and the sums must not wrap.
    const QRect c = control.geometry();
    const qint64 w = ticket.width();
    const qint64 h = ticket.height();
    const qint64 centredTop = c.y() + (qint64(c.height()) - h) / 2;
    qint64 x = c.x();
    qint64 y = c.y();
    switch (position) {
    case poLeft:
        x = c.x() - w - spacing;
        y = centredTop;
        break;
    case poTop:
        y = c.y() - h - spacing;
        break;
    case poRight:
        x = qint64(c.x()) + c.width() + spacing;
        y = centredTop;
        break;
    case poBottom:
        y = qint64(c.y()) + c.height() + spacing;
        break;
    }
    // The far edge must stay an int too.
    const auto place = [](qint64 v, qint64 extent) {
        return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(),
                                      std::numeric_limits<int>::max() - extent));
    };
    ticket.setBounds(place(x, w), place(y, h), int(w), int(h));
}

} // namespace flat
