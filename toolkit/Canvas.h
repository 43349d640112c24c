#pragma once

#include "Colors.h"
#include "Font.h"
#include "Geometry.h"

#include <QFlags>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRegion>
#include <QSize>
#include <QString>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

namespace tk {

class Bitmap;

enum class BrushStyle { Solid, Clear };

struct Brush {
    TColor color = clWhite;
    BrushStyle style = BrushStyle::Solid;
    friend bool operator==(const Brush&, const Brush&) = default;
};

struct Pen {
    TColor color = clBlack;
    int width = 1;
    friend bool operator==(const Pen&, const Pen&) = default;
};

// Whether text output first fills its cell with the brush colour. A clear brush also
// means no background, as the controls expect when they say "brush style clear".
enum class TextBackground { Opaque, Transparent };

// The text formatting flags of drawText.
enum class TextFormat : unsigned {
    Left = 0x0,
    Center = 0x1,
    Right = 0x2,
    VCenter = 0x4,    // single line only
    Bottom = 0x8,     // single line only
    WordBreak = 0x10, // wrap at break opportunities to the rectangle's width
    SingleLine = 0x20,
    NoClip = 0x100,
    CalcRect = 0x400, // measure only: nothing is drawn
    NoPrefix = 0x800, // "&" is shown as typed
    EndEllipsis = 0x8000,
    HidePrefix = 0x100000, // "&" is removed but the character after it is not underlined
};
Q_DECLARE_FLAGS(TextFormats, TextFormat)

// The text as it shows: "&x" is x, marked as the accelerator, "&&" is "&", and a lone "&"
// at the end goes. `marks` gets the positions of the marked characters in the result.
QString stripPrefixes(const QString& text, QList<int>* marks = nullptr);

// A drawing surface with the semantics the flat controls were written against:
// rectangles are half-open, lines leave out their end point, a frame is a 1-pixel ring,
// the focus rectangle inverts every other pixel. It works in logical pixels on a QImage
// of any device pixel ratio: shapes cover whole logical pixels, text goes through QPainter
// at device resolution so it stays sharp. It draws straight into the image it wraps and
// must not outlive it. Construction is cheap; the canvas opens a QPainter only for the
// duration of one text operation and writes every other pixel itself.
//
// The device grid: logical (0, 0) lies `subpixel` device pixels from the image's first
// pixel (each coordinate in [-0.5, 0.5)), and logical pixel v covers the device pixels
// from round(v * ratio + subpixel) up to round((v + 1) * ratio + subpixel), halves
// rounding up. So every logical pixel is whole device pixels, neighbours meet without a
// gap, and at a ratio of 1 or 2 it is simply v * ratio. A non-zero subpixel is for a
// picture that Qt places at a fractional device position (a child widget at a ratio of
// 1.5): given that position, its lines fall where those of its parent's picture would.
//
// Supported image formats: RGB32, ARGB32, ARGB32_Premultiplied, and Mono/MonoLSB (colours
// are mapped to the nearer entry of the colour table). Anything else is refused.
class Canvas {
    struct State {
        Pen pen;
        Brush brush;
        Font font;
        TextBackground textBackground = TextBackground::Opaque;
        QPoint penPos;
        QPoint origin;
        QRegion clip; // logical image coordinates
    };

public:
    explicit Canvas(QImage& image, QPointF subpixel = {}) : m_image(image) {
        surfaceChanged(subpixel);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Logical size of the image.
    int width() const { return m_width; }
    int height() const { return m_height; }
    qreal devicePixelRatio() const { return m_dpr; }
    // The subpixel a picture needs so that, drawn at this canvas's (0, 0), its pixels land
    // one to one on the canvas's.
    QPointF subpixelAtOrigin() const {
        return subpixelAt(QPointF(m_state.origin) * m_dpr + m_subpixel);
    }

    // The first device pixel of logical coordinate `v` on a grid of `ratio` and `subpixel`.
    static qint64 deviceEdge(qint64 v, qreal ratio, qreal subpixel) {
        return qint64(std::floor(double(v) * ratio + subpixel + 0.5 + 1e-6));
    }
    // How many logical pixels an image `device` pixels long holds on that grid (the last
    // one may be cut short).
    static int logicalExtent(int device, qreal ratio, qreal subpixel);
    // Splits the device position Qt paints a picture at into the whole pixel the picture
    // starts at and the subpixel of its logical origin (Qt rounds halves up).
    static QPoint devicePixelAt(QPointF devicePos) {
        return QPoint(int(deviceEdge(0, 1, devicePos.x())), int(deviceEdge(0, 1, devicePos.y())));
    }
    static QPointF subpixelAt(QPointF devicePos) {
        return devicePos - QPointF(devicePixelAt(devicePos));
    }

    // The image was replaced or resized, its grid now at `subpixel`: the clip becomes the
    // whole image and the origin (0, 0); pen, brush and font stay.
    void surfaceChanged(QPointF subpixel);

    // --- State. Change it inside a StateSaver scope so that no change outlives its use.
    const Pen& pen() const { return m_state.pen; }
    void setPen(const Pen& p) { m_state.pen = p; }
    void setPenColor(TColor c) { m_state.pen.color = c; }
    void setPenWidth(int w) { m_state.pen.width = w; }

    void setBrush(const Brush& b) { m_state.brush = b; }
    void setBrushColor(TColor c) { m_state.brush.color = c; }
    void setBrushStyle(BrushStyle s) { m_state.brush.style = s; }

    const Font& font() const { return m_state.font; }
    void setFont(const Font& f) {
        m_state.font = f;
        m_qfont.reset();
    }
    void setFontColor(TColor c) { m_state.font.setColor(c); }

    void setTextBackground(TextBackground b) { m_state.textBackground = b; }

    // Where the canvas's (0, 0) lies in the image, in logical pixels.
    QPoint origin() const { return m_state.origin; }
    void setOrigin(QPoint p) { m_state.origin = p; }
    void moveOrigin(int dx, int dy) { m_state.origin += QPoint(dx, dy); }

    // Narrows the drawable area to its intersection with `r` (canvas coordinates).
    void clipRect(const Rect& r);
    // Takes `r` out of the drawable area.
    void excludeClipRect(const Rect& r) {
        if (const std::optional<QRect> img = toImage(r)) m_state.clip -= *img;
    }
    // The bounding rectangle of the drawable area, in canvas coordinates.
    Rect clipBox() const;
    bool isDrawable(int x, int y) const;

    // Saves every piece of state (pen, brush, font, text background, pen position, clip,
    // origin) and puts it back when the scope ends, on every path.
    class StateSaver {
    public:
        explicit StateSaver(Canvas& c) : m_canvas(c), m_saved(c.m_state) {}
        ~StateSaver() {
            m_canvas.m_state = m_saved;
            m_canvas.m_qfont.reset();
        }
        StateSaver(const StateSaver&) = delete;
        StateSaver& operator=(const StateSaver&) = delete;

    private:
        Canvas& m_canvas;
        State m_saved;
    };

    // --- Shapes. Colours are resolved through the palette when they are used. Outlines of
    // rectangles, round rects, ellipses and polygons are one pixel wide whatever the pen
    // width; a wider pen thickens lines and polylines only.
    // With the brush (nothing when clear), or solid in `color` whatever the brush.
    void fillRect(const Rect& r) {
        if (m_state.brush.style == BrushStyle::Solid) fillRect(r, m_state.brush.color);
    }
    void fillRect(const Rect& r, TColor color) {
        fill(r.Left, r.Top, r.Right, r.Bottom, deviceValue(color));
    }
    // A 1-pixel ring in the brush colour or in `color`.
    void frameRect(const Rect& r) { frameRect(r, m_state.brush.color); }
    void frameRect(const Rect& r, TColor color);
    void rectangle(const Rect& r) { roundRect(r, 0, 0); } // pen outline, brush inside
    void roundRect(const Rect& r, int cornerW, int cornerH);
    // Inscribed in r: corners as large as the shape, so the whole outline is curved.
    void ellipse(const Rect& r) { roundRect(r, INT_MAX, INT_MAX); }
    void polygon(std::span<const QPoint> points); // brush inside, pen outline (closed)
    void polygon(std::initializer_list<QPoint> points) { polygon(std::span(points)); }

    // Lines leave out their end point, so a polyline paints every vertex but the last.
    void moveTo(int x, int y) { m_state.penPos = QPoint(x, y); }
    void lineTo(int x, int y);
    QPoint penPos() const { return m_state.penPos; }
    void polyline(std::span<const QPoint> points);
    void polyline(std::initializer_list<QPoint> points) { polyline(std::span(points)); }

    // Outside the image, pixel() answers clNone.
    TColor pixel(int x, int y) const;
    void setPixel(int x, int y, TColor color) {
        fill(x, y, qint64(x) + 1, qint64(y) + 1, deviceValue(color));
    }

    // --- Text, in the font's colour. The baseline lies at the font's cell ascent below
    // the top of each line; a line is the cell height (ascent + descent) tall.
    TextMetrics fontMetrics() const { return m_state.font.metrics(); }
    void textOut(int x, int y, const QString& text);
    // Draws `text` in `r` by `flags` and returns the rectangle the text occupies (with
    // CalcRect: only measures). "&" marks the next character unless NoPrefix.
    Rect drawText(const Rect& r, const QString& text, TextFormats flags);
    int textWidth(const QString& text) const;
    int textHeight(const QString&) const { return fontMetrics().height; }
    QSize textExtent(const QString& text) const { return {textWidth(text), textHeight(text)}; }

    // --- Bitmaps, at their logical size unless stretched; pixels in `transparent` are left
    // out.
    void draw(int x, int y, const Bitmap& bitmap, std::optional<TColor> transparent = {});
    void stretchDraw(const Rect& r, const Bitmap& bitmap);
    // The part `src` (the bitmap's logical pixels) of the bitmap, stretched into `dest`.
    void copyRect(const Rect& dest, const Bitmap& bitmap, const Rect& src,
                  std::optional<TColor> transparent = std::nullopt);

    // The dotted focus rectangle: every other pixel of the ring is inverted, by the parity
    // of its image position, so drawing it twice removes it.
    void drawFocusRect(const Rect& r);

private:
    // Logical image rectangle -> device rectangle of whole logical pixels.
    QRect toDevice(const QRect& logical) const;
    qint64 devX(qint64 v) const { return deviceEdge(v, m_dpr, m_subpixel.x()); }
    qint64 devY(qint64 v) const { return deviceEdge(v, m_dpr, m_subpixel.y()); }
    // Canvas rectangle -> logical image rectangle, clamped to the image. The sides are 64-bit
    // so that shapes reaching past the int range need no clamping of their own.
    std::optional<QRect> toImage(qint64 l, qint64 t, qint64 r, qint64 b) const;
    std::optional<QRect> toImage(const Rect& r) const {
        return toImage(r.Left, r.Top, r.Right, r.Bottom);
    }
    std::uint32_t deviceValue(TColor c) const;
    // Fills the part of a canvas rectangle inside the clip.
    void fill(qint64 l, qint64 t, qint64 r, qint64 b, std::uint32_t value);
    void plotPen(qint64 x, qint64 y, std::uint32_t value);
    void line(QPoint from, QPoint to, std::uint32_t value);
    bool textIsTransparent() const {
        return m_state.textBackground == TextBackground::Transparent ||
               m_state.brush.style == BrushStyle::Clear;
    }
    const QFont& qfont() const {
        if (!m_qfont) m_qfont = m_state.font.toQFont();
        return *m_qfont;
    }
    void drawTextLine(int x, int y, const QString& text, const QList<int>& marks, bool clipToRect,
                      const Rect& clip);
    // Which source device pixel each device pixel of one axis shows, or -1.
    std::vector<int> sourceMap(qint64 destLo, qint64 destHi, qint64 visLo, qint64 visHi,
                               bool horizontal, qint64 srcLo, qint64 srcHi, qreal srcRatio,
                               qreal srcSubpixel, int srcDevice) const;

    QImage& m_image;
    qreal m_dpr = 1.0;
    QPointF m_subpixel;
    int m_width = 0;
    int m_height = 0;
    bool m_mono = false;
    State m_state;
    mutable std::optional<QFont> m_qfont;
};

} // namespace tk

Q_DECLARE_OPERATORS_FOR_FLAGS(tk::TextFormats)
