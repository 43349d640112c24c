// Renders each flat control in its states into PNG files, with an index.html to view them
// side by side:
//
//   zarvik_gallery <folder> [--scale N]
//
// The pictures use the tests' fixed palette and crisp Tahoma, so they show what the pixel
// tests check. A family adds its shots with one add...Shots function below.

#include "FlatCtrls.h"
#include "TestEnvironment.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QTextStream>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace flat;

namespace {

struct Shot {
    QString file;    // without extension
    QString caption; // what the picture shows
    // Builds the scene under `host` (a face-coloured control) and returns what to picture:
    // the host itself when the scene spreads over it (a label and its ticket).
    std::function<QWidget*(tk::TControl& host)> build;
};

tk::Font tahoma(int px) {
    return tk::Font(QStringLiteral("Tahoma"), px);
}

void addPanelShots(std::vector<Shot>& shots) {
    const auto panel = [](tk::TControl& host) {
        auto* p = new TFlatPanel(nullptr, &host);
        p->setBounds(0, 0, 185, 41);
        return p;
    };
    shots.push_back({"panel-default", "new panel", panel});
    shots.push_back({"panel-olive-border", "ColorBorder clOlive", [panel](tk::TControl& h) {
                         auto* p = panel(h);
                         p->setColorBorder(tk::clOlive);
                         return p;
                     }});
    shots.push_back({"panel-transborder", "TransBorder", [panel](tk::TControl& h) {
                         auto* p = panel(h);
                         p->setTransBorder(true);
                         return p;
                     }});
    for (auto [name, dir] :
         {std::pair{"left-to-right", fdLeftToRight}, std::pair{"top-to-bottom", fdTopToBottom},
          std::pair{"center-to-verti", fdCenterToVerti}, std::pair{"xp-face", fdXPFace}}) {
        shots.push_back({QStringLiteral("panel-custom-%1").arg(QLatin1String(name)),
                         QStringLiteral("StyleFace fsCustom, %1").arg(QLatin1String(name)),
                         [panel, dir](tk::TControl& h) {
                             auto* p = panel(h);
                             p->setStyleFace(fsCustom);
                             p->setGradientDirection(dir);
                             return p;
                         }});
    }
    shots.push_back({"panel-transparent", "Transparent over a gradient panel", [](tk::TControl& h) {
                         auto* back = new TFlatPanel(nullptr, &h);
                         back->setBounds(0, 0, 185, 61);
                         back->setStyleFace(fsCustom);
                         back->setGradientDirection(fdTopToBottom);
                         auto* p = new TFlatPanel(nullptr, back);
                         p->setBounds(10, 10, 165, 41);
                         p->setTransparent(true);
                         p->setCaption(QStringLiteral("Transparent"));
                         return back;
                     }});
    for (auto [name, a] : {std::pair{"left", tk::taLeftJustify}, std::pair{"center", tk::taCenter},
                           std::pair{"right", tk::taRightJustify}}) {
        shots.push_back({QStringLiteral("panel-caption-%1").arg(QLatin1String(name)),
                         QStringLiteral("caption, %1").arg(QLatin1String(name)),
                         [panel, a](tk::TControl& h) {
                             auto* p = panel(h);
                             p->setAlignment(a);
                             p->setCaption(QStringLiteral("&Caption 查询"));
                             return p;
                         }});
    }
    shots.push_back(
        {"panel-caption-disabled", "disabled: engraved caption", [panel](tk::TControl& h) {
             auto* p = panel(h);
             p->setCaption(QStringLiteral("&Disabled 关于"));
             p->setEnabled(false);
             return p;
         }});
}

void addLabelShots(std::vector<Shot>& shots) {
    for (auto [name, pos] : {std::pair{"left", poLeft}, std::pair{"top", poTop},
                             std::pair{"right", poRight}, std::pair{"bottom", poBottom}}) {
        shots.push_back({QStringLiteral("label-ticket-%1").arg(QLatin1String(name)),
                         QStringLiteral("label with its ticket, %1").arg(QLatin1String(name)),
                         [pos](tk::TControl& h) -> QWidget* {
                             h.setControlFont(tahoma(14));
                             auto* l = new TFlatLabel(nullptr, &h);
                             l->setControlFont(tahoma(12));
                             l->setBounds(60, 30, 101, 20);
                             l->setCaption(QStringLiteral("来自 example.org"));
                             l->setCursorId(tk::crHandPoint);
                             l->ticket()->setCaption(QStringLiteral("Web:"));
                             l->setTicketPosition(pos);
                             return &h;
                         }});
    }
    shots.push_back({"label-disabled", "disabled label and ticket", [](tk::TControl& h) {
                         h.setControlFont(tahoma(14));
                         auto* l = new TFlatLabel(nullptr, &h);
                         l->setControlFont(tahoma(12));
                         l->setBounds(60, 30, 101, 20);
                         l->setCaption(QStringLiteral("Disabled"));
                         l->ticket()->setCaption(QStringLiteral("Web:"));
                         l->setEnabled(false);
                         return &h;
                     }});
}

// A 16 x 16 black check mark on white: white, the bottom-left pixel, is drawn transparent.
QImage checkGlyph() {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 4; ++i)
            img.setPixel(2 + i, 7 + i + k, qRgb(0, 0, 0));
        for (int i = 0; i < 8; ++i)
            img.setPixel(5 + i, 10 - i + k, qRgb(0, 0, 0));
    }
    return img;
}

void addButtonShots(std::vector<Shot>& shots) {
    const auto button = [](tk::TControl& h) {
        h.setControlFont(tahoma(14));
        auto* b = new TFlatButton(nullptr, &h);
        b->setBounds(0, 0, 66, 22);
        b->setCaption(QStringLiteral("查询"));
        return b;
    };
    const auto hot = [](TFlatButton* b) {
        QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(b, &e);
    };
    const auto press = [](TFlatButton* b) {
        int space = tk::VK_SPACE;
        b->keyDown(space, {});
    };
    shots.push_back({"button-idle", "idle", button});
    shots.push_back({"button-default", "Default: two-pixel idle frame", [button](tk::TControl& h) {
                         auto* b = button(h);
                         b->setDefault(true);
                         return b;
                     }});
    shots.push_back({"button-hot", "hot: FoisColor bold caption, focus rectangle",
                     [button, hot](tk::TControl& h) {
                         auto* b = button(h);
                         hot(b);
                         return b;
                     }});
    shots.push_back({"button-pressed", "pressed: caption one pixel down and right",
                     [button, press](tk::TControl& h) {
                         auto* b = button(h);
                         press(b);
                         return b;
                     }});
    shots.push_back({"button-latched", "latched in a group", [button](tk::TControl& h) {
                         auto* b = button(h);
                         b->setGroupIndex(1);
                         b->setDown(true);
                         return b;
                     }});
    shots.push_back({"button-disabled", "disabled: engraved caption", [button](tk::TControl& h) {
                         auto* b = button(h);
                         b->setEnabled(false);
                         return b;
                     }});
    for (auto [name, layout] : {std::pair{"left", blGlyphLeft}, std::pair{"top", blGlyphTop}}) {
        shots.push_back({QStringLiteral("button-glyph-%1").arg(QLatin1String(name)),
                         QStringLiteral("glyph, %1").arg(QLatin1String(name)),
                         [layout](tk::TControl& h) {
                             h.setControlFont(tahoma(14));
                             auto* b = new TFlatButton(nullptr, &h);
                             b->setBounds(0, 0, 90, 44);
                             b->setCaption(QStringLiteral("&OK"));
                             b->setGlyphImage(checkGlyph());
                             b->setButtonLayout(layout);
                             return b;
                         }});
    }
    shots.push_back({"button-glyph-hot", "glyph lifted while hot", [hot](tk::TControl& h) {
                         h.setControlFont(tahoma(14));
                         auto* b = new TFlatButton(nullptr, &h);
                         b->setBounds(0, 0, 90, 44);
                         b->setCaption(QStringLiteral("&OK"));
                         b->setGlyphImage(checkGlyph());
                         hot(b);
                         return b;
                     }});
    shots.push_back({"button-glyph-disabled", "disabled: embossed glyph", [](tk::TControl& h) {
                         h.setControlFont(tahoma(14));
                         auto* b = new TFlatButton(nullptr, &h);
                         b->setBounds(0, 0, 90, 44);
                         b->setCaption(QStringLiteral("&OK"));
                         b->setGlyphImage(checkGlyph());
                         b->setEnabled(false);
                         return b;
                     }});
}

void sendLeftPress(QWidget* w) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

void addEditShots(std::vector<Shot>& shots) {
    // As the main window's input box: Tahoma 13, centred, on the parent's colour.
    const auto edit = [](tk::TControl& h, const QString& text) {
        auto* e = new TFlatEdit(nullptr, nullptr);
        e->setControlFont(tahoma(13));
        e->setAlignment(tk::taCenter);
        e->setText(text);
        e->setHint(QStringLiteral("Type here"));
        e->setParentControl(&h);
        e->setBounds(0, 0, 81, 22);
        return e;
    };
    // Focus and hover need an active window.
    const auto activate = [](tk::TControl& h) {
        h.show();
        if (!QTest::qWaitForWindowActive(&h))
            throw std::runtime_error("the gallery's window did not become active");
    };
    shots.push_back({"edit-normal", "normal",
                     [edit](tk::TControl& h) { return edit(h, QStringLiteral("仓")); }});
    shots.push_back({"edit-hover", "mouse over", [edit, activate](tk::TControl& h) {
                         auto* e = edit(h, QStringLiteral("仓"));
                         activate(h);
                         e->lineEdit()->clearFocus();
                         QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
                         QApplication::sendEvent(e, &enter);
                         return e;
                     }});
    shots.push_back(
        {"edit-focused", "focused: the text selected", [edit, activate](tk::TControl& h) {
             auto* e = edit(h, QStringLiteral("仓"));
             activate(h);
             e->setFocus();
             return e;
         }});
    shots.push_back({"edit-placeholder", "empty and unfocused: the Hint",
                     [edit](tk::TControl& h) { return edit(h, QString()); }});
    shots.push_back({"edit-disabled", "disabled", [edit](tk::TControl& h) {
                         auto* e = edit(h, QStringLiteral("仓"));
                         e->setEnabled(false);
                         return e;
                     }});
    shots.push_back({"edit-result", "read-only result box, Tahoma 14", [](tk::TControl& h) {
                         auto* e = new TFlatEdit(nullptr, &h);
                         e->setControlFont(tahoma(14));
                         e->setAlignment(tk::taCenter);
                         e->setReadOnly(true);
                         e->setBounds(0, 0, 155, 23);
                         e->setText(QStringLiteral("仓 oiru 人戈山"));
                         return e;
                     }});
    shots.push_back(
        {"edit-ticket", "with its ticket on the left", [edit](tk::TControl& h) -> QWidget* {
             h.setControlFont(tahoma(14));
             auto* e = edit(h, QStringLiteral("仓"));
             e->setBounds(60, 30, 81, 22);
             e->ticket()->setCaption(QStringLiteral("Code:"));
             return &h;
         }});
}

void addCheckBoxShots(std::vector<Shot>& shots) {
    const auto box = [](tk::TControl& h, TCheckBoxState state) {
        h.setControlFont(tahoma(14));
        auto* b = new TFlatCheckBox(nullptr, &h);
        b->setCaption(QStringLiteral("置顶 &Top"));
        b->setState(state);
        return b;
    };
    for (auto [name, state] : {std::pair{"unchecked", cbUnchecked}, std::pair{"checked", cbChecked},
                               std::pair{"grayed", cbGrayed}}) {
        shots.push_back(
            {QStringLiteral("checkbox-%1").arg(QLatin1String(name)),
             QStringLiteral("State %1 (grayed looks unchecked)").arg(QLatin1String(name)),
             [box, state](tk::TControl& h) { return box(h, state); }});
    }
    // Without an active window there is no real focus: the entry notification sets the
    // focus look.
    shots.push_back(
        {"checkbox-focused", "focused: ColorFocused box, focus rectangle", [box](tk::TControl& h) {
             auto* b = box(h, cbChecked);
             b->enter();
             return b;
         }});
    shots.push_back({"checkbox-pressed", "pressed while focused: ColorDown box, toggled",
                     [box](tk::TControl& h) {
                         auto* b = box(h, cbUnchecked);
                         b->enter();
                         sendLeftPress(b);
                         return b;
                     }});
    shots.push_back({"checkbox-right", "Layout lpRight: the width stays", [box](tk::TControl& h) {
                         auto* b = box(h, cbChecked);
                         b->setLayoutPosition(lpRight);
                         return b;
                     }});
    shots.push_back({"checkbox-opaque", "Transparent False, Color $E1EAEB", [box](tk::TControl& h) {
                         auto* b = box(h, cbChecked);
                         b->setTransparent(false);
                         b->setColor(0x00E1EAEB);
                         return b;
                     }});
    shots.push_back(
        {"checkbox-disabled", "disabled: shadow mark, engraved caption", [box](tk::TControl& h) {
             auto* b = box(h, cbChecked);
             b->setEnabled(false);
             return b;
         }});
}

void addRadioButtonShots(std::vector<Shot>& shots) {
    const auto radio = [](tk::TControl& h, bool checked) {
        h.setControlFont(tahoma(14));
        auto* r = new TFlatRadioButton(nullptr, &h);
        r->setCaption(QStringLiteral("仓五 &Five"));
        r->setChecked(checked);
        return r;
    };
    shots.push_back(
        {"radio-unchecked", "unchecked", [radio](tk::TControl& h) { return radio(h, false); }});
    shots.push_back({"radio-checked", "checked: the 8 x 8 dot",
                     [radio](tk::TControl& h) { return radio(h, true); }});
    shots.push_back({"radio-right", "Layout lpRight", [radio](tk::TControl& h) {
                         auto* r = radio(h, true);
                         r->setLayoutPosition(lpRight);
                         return r;
                     }});
    shots.push_back(
        {"radio-disabled", "disabled: shadow dot, engraved caption", [radio](tk::TControl& h) {
             auto* r = radio(h, true);
             r->setEnabled(false);
             return r;
         }});
}

void addGroupShots(std::vector<Shot>& shots) {
    shots.push_back({"group-main-window", "the main window's frame around two sibling buttons",
                     [](tk::TControl& h) -> QWidget* {
                         h.setControlFont(tahoma(14));
                         auto* g = new TFlatRadioGroup(nullptr, &h);
                         g->setBounds(8, 4, 174, 65);
                         g->setCaption(QStringLiteral("字典选择"));
                         auto* five = new TFlatRadioButton(nullptr, &h);
                         five->setBounds(24, 28, 60, 17);
                         five->setCaption(QStringLiteral("仓五"));
                         five->setChecked(true);
                         auto* three = new TFlatRadioButton(nullptr, &h);
                         three->setBounds(104, 28, 60, 17);
                         three->setCaption(QStringLiteral("仓三"));
                         return &h;
                     }});
    const auto group = [](tk::TControl& h) {
        h.setBounds(0, 0, 220, 130);
        h.setControlFont(tahoma(13));
        auto* g = new TFlatRadioGroup(nullptr, &h);
        g->setCaption(QStringLiteral("&Items & more"));
        g->setItems({QStringLiteral("&One"), QStringLiteral("&Two"), QStringLiteral("T&hree"),
                     QStringLiteral("&Four"), QStringLiteral("F&ive")});
        g->setColumns(2);
        g->setItemIndex(3);
        return g;
    };
    shots.push_back({"group-items", "five items in two columns, ItemIndex 3; '&' shown as typed",
                     [group](tk::TControl& h) { return group(h); }});
    shots.push_back(
        {"group-custom-face", "StyleFace fsCustom: the gradient", [group](tk::TControl& h) {
             auto* g = group(h);
             g->setStyleFace(fsCustom);
             return g;
         }});
    for (auto [name, a] : {std::pair{"center", stCenter}, std::pair{"right", stRight}}) {
        shots.push_back({QStringLiteral("group-caption-%1").arg(QLatin1String(name)),
                         QStringLiteral("Alignment %1").arg(QLatin1String(name)),
                         [group, a](tk::TControl& h) {
                             auto* g = group(h);
                             g->setAlignment(a);
                             return g;
                         }});
    }
    shots.push_back({"group-top-line", "Border brOnlyTopLine", [group](tk::TControl& h) {
                         auto* g = group(h);
                         g->setBorder(brOnlyTopLine);
                         return g;
                     }});
    shots.push_back(
        {"group-disabled", "disabled: engraved caption and items", [group](tk::TControl& h) {
             auto* g = group(h);
             g->setEnabled(false);
             return g;
         }});
}

// Without an active window there is no real focus: a focus event sent to the inner combo
// box sets the focus look.
TDefineComboBox* comboFocused(TDefineComboBox* box) {
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(box->comboBox(), &in);
    return box;
}

void addComboShots(std::vector<Shot>& shots) {
    const auto combo = [](tk::TControl& h, tk::TComboBoxStyle style) {
        h.setControlFont(tahoma(13));
        auto* b = new TDefineComboBox(nullptr, &h);
        b->setBounds(70, 30, 120, 20);
        b->setComboStyle(style);
        b->setItems(
            {QStringLiteral("apple 苹果"), QStringLiteral("banana"), QStringLiteral("cherry")});
        b->setItemIndex(0);
        b->ticket()->setCaption(QStringLiteral("Fruit:"));
        return b;
    };
    shots.push_back({"combo-dropdown", "editable drop-down with its ticket, flat colour",
                     [combo](tk::TControl& h) -> QWidget* {
                         combo(h, tk::csDropDown);
                         return &h;
                     }});
    shots.push_back({"combo-dropdown-focused", "editable drop-down, focused",
                     [combo](tk::TControl& h) { return comboFocused(combo(h, tk::csDropDown)); }});
    shots.push_back({"combo-list", "drop-down list",
                     [combo](tk::TControl& h) { return combo(h, tk::csDropDownList); }});
    shots.push_back({"combo-dropped", "list open: the arrow points up", [combo](tk::TControl& h) {
                         auto* b = combo(h, tk::csDropDownList);
                         b->setDroppedDown(true);
                         return b;
                     }});
    shots.push_back({"combo-disabled", "disabled: engraved arrow", [combo](tk::TControl& h) {
                         auto* b = combo(h, tk::csDropDown);
                         b->setEnabled(false);
                         return b;
                     }});
    const auto colorBox = [](tk::TControl& h) {
        h.setControlFont(tahoma(13));
        auto* b = new TDefineColorBox(nullptr, &h);
        b->setBounds(70, 30, 120, 20);
        b->ticket()->setCaption(QStringLiteral("颜色:"));
        return b;
    };
    shots.push_back({"colorbox-local", "colour box with local names and its ticket",
                     [colorBox](tk::TControl& h) -> QWidget* {
                         auto* b = colorBox(h);
                         b->winId(); // creates the native window, and with it the list
                         b->selectColor(tk::clRed);
                         return &h;
                     }});
    shots.push_back({"colorbox-english", "English names", [colorBox](tk::TControl& h) {
                         auto* b = colorBox(h);
                         b->setLanguage(TDefineColorBox::nlEnglish);
                         b->winId(); // creates the native window, and with it the list
                         b->selectColor(tk::clSkyBlue);
                         return b;
                     }});
    shots.push_back({"colorbox-no-names", "names hidden: the swatch fills the item",
                     [colorBox](tk::TControl& h) {
                         auto* b = colorBox(h);
                         b->setShowNames(false);
                         b->winId(); // creates the native window, and with it the list
                         b->selectColor(tk::clOlive);
                         return b;
                     }});
    shots.push_back({"colorbox-list", "the open list", [colorBox](tk::TControl& h) -> QWidget* {
                         auto* b = colorBox(h);
                         b->winId(); // creates the native window, and with it the list
                         b->setDroppedDown(true);
                         return b->listView();
                     }});
}

void addPagesShots(std::vector<Shot>& shots) {
    // Three flat sheets, the first selected; with HotTrack the mouse rests on the second tab.
    const auto pages = [](tk::TControl& h, TPagesPosition pos, bool hot) {
        auto* pc = new TFlatPages(nullptr, &h);
        pc->setControlFont(tahoma(12));
        pc->setBounds(0, 0, 200, 76);
        pc->setTabPosition(pos);
        pc->setHotTrack(hot);
        const tk::TColor colors[] = {tk::clBtnFace, tk::rgb(250, 230, 200), tk::rgb(210, 230, 250)};
        const char* captions[] = {"查询", "关于", "Help"};
        for (int i = 0; i < 3; ++i) {
            auto* s = new TFlatSheet(nullptr, pc);
            s->setCaption(QString::fromUtf8(captions[i]));
            s->setColor(colors[i]);
        }
        if (hot) {
            const tk::Rect r = pc->tabRect(1);
            const QPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            QMouseEvent move(QEvent::MouseMove, at, pc->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(pc, &move);
        }
        return pc;
    };
    for (auto [name, pos] : {std::pair{"top", tpTop}, std::pair{"bottom", tpBottom},
                             std::pair{"left", tpLeft}, std::pair{"right", tpRight}}) {
        shots.push_back({QStringLiteral("pages-%1").arg(QLatin1String(name)),
                         QStringLiteral("pcsFlatStyle, tabs %1").arg(QLatin1String(name)),
                         [pages, pos](tk::TControl& h) { return pages(h, pos, false); }});
        shots.push_back(
            {QStringLiteral("pages-%1-hot").arg(QLatin1String(name)),
             QStringLiteral("tabs %1, HotTrack, mouse on the second tab").arg(QLatin1String(name)),
             [pages, pos](tk::TControl& h) { return pages(h, pos, true); }});
    }
    shots.push_back({"pages-gradient-sheet", "sheet BGStyle bgsGradient", [pages](tk::TControl& h) {
                         auto* pc = pages(h, tpTop, false);
                         pc->flatSheet(0).setBGStyle(bgsGradient);
                         return pc;
                     }});
    shots.push_back(
        {"pages-main-window", "the main window's pages: 192 x 208, Tahoma 14", [](tk::TControl& h) {
             auto* pc = new TFlatPages(nullptr, &h);
             pc->setControlFont(tahoma(14));
             pc->setBounds(0, 0, 192, 208);
             for (const char* caption : {"查询", "关于"})
                 (new TFlatSheet(nullptr, pc))->setCaption(QString::fromUtf8(caption));
             return pc;
         }});
}

QImage render(const Shot& shot, int scale) {
    tk::TControl host;
    host.setBounds(0, 0, 220, 80);
    QWidget* subject = shot.build(host);
    QImage img = subject->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (scale > 1)
        img = img.scaled(img.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return img;
}

void writeIndex(const QDir& dir, const std::vector<Shot>& shots) {
    QFile f(dir.filePath(QStringLiteral("index.html")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw std::runtime_error("cannot write " + f.fileName().toStdString());
    QTextStream out(&f);
    out << "<!doctype html><meta charset=\"utf-8\"><title>Zarvik flat controls</title>\n"
           "<style>img{image-rendering:pixelated;border:1px dashed #ccc}"
           "figure{display:inline-block;margin:8px}</style>\n";
    for (const Shot& s : shots)
        out << "<figure><img src=\"" << s.file << ".png\"><figcaption>" << s.file << ": "
            << s.caption.toHtmlEscaped() << "</figcaption></figure>\n";
}

int run(int argc, char** argv) {
    QStringList args = QCoreApplication::arguments().mid(1);
    int scale = 1;
    if (const qsizetype i = args.indexOf(QStringLiteral("--scale")); i >= 0) {
        bool ok = false;
        scale = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
        if (!ok || scale < 1 || scale > 16) {
            std::fputs("zarvik_gallery: --scale takes a whole number from 1 to 16\n", stderr);
            return 2;
        }
        args.remove(i, 2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: %s <folder> [--scale N]\n",
                     argc > 0 ? argv[0] : "zarvik_gallery");
        return 2;
    }
    QDir dir(args.front());
    if (!dir.mkpath(QStringLiteral(".")))
        throw std::runtime_error("cannot create " + dir.path().toStdString());

    std::vector<Shot> shots;
    addPanelShots(shots);
    addLabelShots(shots);
    addPagesShots(shots);
    addCheckBoxShots(shots);
    addRadioButtonShots(shots);
    addGroupShots(shots);
    addButtonShots(shots);
    addEditShots(shots);
    addComboShots(shots);
    for (const Shot& s : shots) {
        const QString path = dir.filePath(s.file + QStringLiteral(".png"));
        if (!render(s, scale).save(path))
            throw std::runtime_error("cannot write " + path.toStdString());
    }
    writeIndex(dir, shots);
    std::printf("%zu pictures in %s\n", shots.size(), qPrintable(dir.absolutePath()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testenv::setUp();
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarvik_gallery: %s\n", e.what());
        return 1;
    }
}
