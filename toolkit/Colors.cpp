#include "Colors.h"

#include <QGuiApplication>
#include <array>
#include <utility>

namespace tk {

SystemColorRole systemColorRole(int index) {
    using P = QPalette;
    switch (index) {
    case 0:
        return {P::Active, P::Button}; // scroll bar
    case 1:
        return {P::Active, P::Window}; // desktop background
    case 2:
        return {P::Active, P::Highlight}; // active caption
    case 3:
        return {P::Active, P::Mid}; // inactive caption
    case 4:
        return {P::Active, P::Window}; // menu
    case 5:
        return {P::Active, P::Base}; // window
    case 6:
        return {P::Active, P::Shadow}; // window frame
    case 7:
        return {P::Active, P::WindowText}; // menu text
    case 8:
        return {P::Active, P::Text}; // window text
    case 9:
        return {P::Active, P::HighlightedText}; // caption text
    case 10:
        return {P::Active, P::Window}; // active border
    case 11:
        return {P::Active, P::Window}; // inactive border
    case 12:
        return {P::Active, P::Mid}; // application workspace
    case 13:
        return {P::Active, P::Highlight}; // highlight
    case 14:
        return {P::Active, P::HighlightedText}; // highlight text
    case 15:
        return {P::Active, P::Button}; // button face
    case 16:
        return {P::Active, P::Dark}; // button shadow
    case 17:
        return {P::Disabled, P::WindowText}; // grey text
    case 18:
        return {P::Active, P::ButtonText}; // button text
    case 19:
        return {P::Active, P::WindowText}; // inactive caption text
    case 20:
        return {P::Active, P::Light}; // button highlight
    case 21:
        return {P::Active, P::Shadow}; // 3-D dark shadow
    case 22:
        return {P::Active, P::Midlight}; // 3-D light
    case 23:
        return {P::Active, P::ToolTipText}; // info text
    case 24:
        return {P::Active, P::ToolTipBase}; // info background
    case 26:
        return {P::Active, P::Link}; // hot light
    case 27:
        return {P::Active, P::Highlight}; // gradient active caption
    case 28:
        return {P::Active, P::Mid}; // gradient inactive caption
    case 29:
        return {P::Active, P::Highlight}; // menu highlight
    case 30:
        return {P::Active, P::Window}; // menu bar
    default:
        return {P::Active, P::Window};
    }
}

TColor resolveColor(TColor c) {
    if (!isSystemColor(c)) return c;
    const SystemColorRole r = systemColorRole(c & 0xFF);
    const QPalette pal = QGuiApplication::palette();
    return fromQColor(pal.color(r.group, r.role));
}

QColor toQColor(TColor c) {
    const TColor v = resolveColor(c);
    return QColor(redOf(v), greenOf(v), blueOf(v));
}

TColor fromQColor(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}

QRgb toQRgb(TColor c) {
    const TColor v = resolveColor(c);
    return qRgb(redOf(v), greenOf(v), blueOf(v));
}

namespace {
struct NamedColor {
    const char* name;
    TColor value;
};
// Plain colours first, so that writing picks these names; system colours after.
constexpr std::array kNamedColors{
    NamedColor{"clBlack", clBlack},
    NamedColor{"clMaroon", clMaroon},
    NamedColor{"clGreen", clGreen},
    NamedColor{"clOlive", clOlive},
    NamedColor{"clNavy", clNavy},
    NamedColor{"clPurple", clPurple},
    NamedColor{"clTeal", clTeal},
    NamedColor{"clGray", clGray},
    NamedColor{"clSilver", clSilver},
    NamedColor{"clRed", clRed},
    NamedColor{"clLime", clLime},
    NamedColor{"clYellow", clYellow},
    NamedColor{"clBlue", clBlue},
    NamedColor{"clFuchsia", clFuchsia},
    NamedColor{"clAqua", clAqua},
    NamedColor{"clWhite", clWhite},
    NamedColor{"clMoneyGreen", clMoneyGreen},
    NamedColor{"clSkyBlue", clSkyBlue},
    NamedColor{"clCream", clCream},
    NamedColor{"clMedGray", clMedGray},
    NamedColor{"clNone", clNone},
    NamedColor{"clDefault", clDefault},
    NamedColor{"clScrollBar", clScrollBar},
    NamedColor{"clBackground", clBackground},
    NamedColor{"clActiveCaption", clActiveCaption},
    NamedColor{"clInactiveCaption", clInactiveCaption},
    NamedColor{"clMenu", clMenu},
    NamedColor{"clWindow", clWindow},
    NamedColor{"clWindowFrame", clWindowFrame},
    NamedColor{"clMenuText", clMenuText},
    NamedColor{"clWindowText", clWindowText},
    NamedColor{"clCaptionText", clCaptionText},
    NamedColor{"clActiveBorder", clActiveBorder},
    NamedColor{"clInactiveBorder", clInactiveBorder},
    NamedColor{"clAppWorkSpace", clAppWorkSpace},
    NamedColor{"clHighlight", clHighlight},
    NamedColor{"clHighlightText", clHighlightText},
    NamedColor{"clBtnFace", clBtnFace},
    NamedColor{"clBtnShadow", clBtnShadow},
    NamedColor{"clGrayText", clGrayText},
    NamedColor{"clBtnText", clBtnText},
    NamedColor{"clInactiveCaptionText", clInactiveCaptionText},
    NamedColor{"clBtnHighlight", clBtnHighlight},
    NamedColor{"cl3DDkShadow", cl3DDkShadow},
    NamedColor{"cl3DLight", cl3DLight},
    NamedColor{"clInfoText", clInfoText},
    NamedColor{"clInfoBk", clInfoBk},
    NamedColor{"clHotLight", clHotLight},
    NamedColor{"clGradientActiveCaption", clGradientActiveCaption},
    NamedColor{"clGradientInactiveCaption", clGradientInactiveCaption},
    NamedColor{"clMenuHighlight", clMenuHighlight},
    NamedColor{"clMenuBar", clMenuBar},
};
} // namespace

std::optional<TColor> colorFromIdent(const QString& ident) {
    for (const auto& n : kNamedColors)
        if (ident.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) return n.value;
    return std::nullopt;
}

std::optional<QString> colorToIdent(TColor c) {
    for (const auto& n : kNamedColors)
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
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(109, 109, 109));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(109, 109, 109));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(109, 109, 109));
    return p;
}

} // namespace tk
