#include "Colors.h"

#include <QGuiApplication>

namespace tk {

namespace {

struct NamedColor {
    const char* name;
    TColor value;
    // Where a system colour comes from.
    QPalette::ColorGroup group = QPalette::Active;
    QPalette::ColorRole role = QPalette::Window;
};
#define TK_NAMED_PLAIN(name, value) NamedColor{#name, name},
#define TK_NAMED_SYSTEM(name, index, group, role)                                                  \
    NamedColor{#name, name, QPalette::group, QPalette::role},
constexpr NamedColor NamedColors[] = {TK_PLAIN_COLORS(TK_NAMED_PLAIN)
                                          TK_SYSTEM_COLORS(TK_NAMED_SYSTEM)};

} // namespace

TColor resolveColor(TColor c) {
    if (!isSystemColor(c)) return c;
    // A system-colour number without an entry of its own shows the window colour.
    NamedColor found{"", c};
    for (const NamedColor& n : NamedColors)
        if (isSystemColor(n.value) && (n.value & 0xFF) == (c & 0xFF)) found = n;
    return fromQColor(QGuiApplication::palette().color(found.group, found.role));
}

QRgb toQRgb(TColor c) {
    const TColor v = resolveColor(c);
    return qRgb(redOf(v), greenOf(v), blueOf(v));
}

std::optional<TColor> colorFromIdent(const QString& ident) {
    for (const NamedColor& n : NamedColors)
        if (ident.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) return n.value;
    return std::nullopt;
}

std::optional<QString> colorToIdent(TColor c) {
    for (const NamedColor& n : NamedColors)
        if (n.value == c) return QString::fromLatin1(n.name);
    return std::nullopt;
}

QPalette classicPalette() {
    QPalette p;
    const auto set = [&p](QPalette::ColorRole role, QColor c) {
        for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(g, role, c);
    };
    set(QPalette::Window, QColor(240, 240, 240));
    set(QPalette::WindowText, QColor(0, 0, 0));
    set(QPalette::Base, QColor(255, 255, 255));
    set(QPalette::AlternateBase, QColor(245, 245, 245));
    set(QPalette::Text, QColor(0, 0, 0));
    set(QPalette::Button, QColor(240, 240, 240));
    set(QPalette::ButtonText, QColor(0, 0, 0));
    set(QPalette::Light, QColor(255, 255, 255));
    set(QPalette::Midlight, QColor(227, 227, 227));
    set(QPalette::Mid, QColor(191, 205, 219));
    set(QPalette::Dark, QColor(160, 160, 160));
    set(QPalette::Shadow, QColor(105, 105, 105));
    set(QPalette::Highlight, QColor(0, 120, 215));
    set(QPalette::HighlightedText, QColor(255, 255, 255));
    set(QPalette::ToolTipBase, QColor(255, 255, 225));
    set(QPalette::ToolTipText, QColor(0, 0, 0));
    set(QPalette::Link, QColor(0, 102, 204));
    set(QPalette::BrightText, QColor(255, 255, 255));
    set(QPalette::PlaceholderText, QColor(109, 109, 109));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(109, 109, 109));
    return p;
}

} // namespace tk
