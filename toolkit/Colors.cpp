#include "Colors.h"

#include <QGuiApplication>
#include <utility>

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
    using enum QPalette::ColorRole;
    static constexpr std::pair<QPalette::ColorRole, QRgb> Roles[] = {
        {Window, 0xF0F0F0},         {WindowText, 0x000000},
        {Base, 0xFFFFFF},           {AlternateBase, 0xF5F5F5},
        {Text, 0x000000},           {Button, 0xF0F0F0},
        {ButtonText, 0x000000},     {Light, 0xFFFFFF},
        {Midlight, 0xE3E3E3},       {Mid, 0xBFCDDB},
        {Dark, 0xA0A0A0},           {Shadow, 0x696969},
        {Highlight, 0x0078D7},      {HighlightedText, 0xFFFFFF},
        {ToolTipBase, 0xFFFFE1},    {ToolTipText, 0x000000},
        {Link, 0x0066CC},           {BrightText, 0xFFFFFF},
        {PlaceholderText, 0x6D6D6D}};
    QPalette p;
    for (const auto& [role, rgb] : Roles)
        p.setColor(QPalette::All, role, QColor(rgb));
    for (auto role : {WindowText, Text, ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(109, 109, 109));
    return p;
}

} // namespace tk
