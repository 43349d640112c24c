#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <algorithm>
#include <cstdint>

namespace tk {

// The coordinates of controls: what the layouts hold, and what a control's place and size
// are kept within, so that a place plus a size is always an int.
inline constexpr int MinCoordinate = -32768;
inline constexpr int MaxCoordinate = 32767;

// The bounds a control takes for (left, top, width, height): within the coordinates, and
// no size below 0.
inline QRect boundedControlRect(int left, int top, int width, int height) {
    return QRect(std::clamp(left, MinCoordinate, MaxCoordinate),
                 std::clamp(top, MinCoordinate, MaxCoordinate), std::clamp(width, 0, MaxCoordinate),
                 std::clamp(height, 0, MaxCoordinate));
}

// A rectangle as the drawing code speaks of it: Left and Top inside, Right and Bottom
// outside, so width = Right - Left. QRect's right() is inclusive; convert explicitly.
struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    // Clamped rather than wrapped for rectangles wider than an int can say.
    constexpr int width() const { return clamped(std::int64_t(Right) - Left); }
    constexpr int height() const { return clamped(std::int64_t(Bottom) - Top); }
    constexpr bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool contains(int x, int y) const {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }

    constexpr Rect translated(int dx, int dy) const {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    // Grows every side by (dx, dy); negative values shrink it (the platform's InflateRect).
    constexpr Rect inflated(int dx, int dy) const {
        return {Left - dx, Top - dy, Right + dx, Bottom + dy};
    }
    // Empty when the rectangles do not overlap.
    constexpr Rect intersected(const Rect& o) const {
        const Rect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
                     std::min(Bottom, o.Bottom)};
        return r.isEmpty() ? Rect{} : r;
    }
    constexpr bool intersects(const Rect& o) const { return !intersected(o).isEmpty(); }

    static constexpr Rect fromSize(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

    QRect toQRect() const { return QRect(QPoint(Left, Top), QSize(width(), height())); }
    static Rect fromQRect(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;

private:
    static constexpr int clamped(std::int64_t v) {
        return int(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    }
};

// The sizes a control may take; 0 sets no limit. A layout stores only the limits set
// (Constraints.MinWidth = 40).
class TSizeConstraints {
    Q_GADGET
    Q_CLASSINFO("StoreChanged", "True")
    Q_CLASSINFO("Range:MinWidth", "0..32767")
    Q_CLASSINFO("Range:MinHeight", "0..32767")
    Q_CLASSINFO("Range:MaxWidth", "0..32767")
    Q_CLASSINFO("Range:MaxHeight", "0..32767")
    Q_PROPERTY(int MinWidth MEMBER minWidth)
    Q_PROPERTY(int MinHeight MEMBER minHeight)
    Q_PROPERTY(int MaxWidth MEMBER maxWidth)
    Q_PROPERTY(int MaxHeight MEMBER maxHeight)
public:
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;

    int width(int w) const { return limit(w, minWidth, maxWidth); }
    int height(int h) const { return limit(h, minHeight, maxHeight); }
    friend bool operator==(const TSizeConstraints&, const TSizeConstraints&) = default;

private:
    static int limit(int v, int min, int max) {
        if (max > 0 && v > max) v = max;
        return min > 0 && v < min ? min : v;
    }
};

} // namespace tk

Q_DECLARE_METATYPE(tk::TSizeConstraints)
