// Renders each flat control in its states into PNG files, with an index.html to view them
// side by side:
//
//   zarvik_gallery <folder> [--scale N]
//
// The pictures use the tests' fixed palette and crisp Tahoma, so they show what the pixel
// tests check. A family adds its shots with one add...Shots function below.

#include "FlatCtrls.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
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
                             p->setBackgropOrien(dir);
                             return p;
                         }});
    }
    shots.push_back({"panel-transparent", "Transparent over a gradient panel", [](tk::TControl& h) {
                         auto* back = new TFlatPanel(nullptr, &h);
                         back->setBounds(0, 0, 185, 61);
                         back->setStyleFace(fsCustom);
                         back->setBackgropOrien(fdTopToBottom);
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
                             h.setFont(tahoma(14));
                             auto* l = new TFlatLabel(nullptr, &h);
                             l->setFont(tahoma(12));
                             l->setBounds(60, 30, 101, 20);
                             l->setCaption(QStringLiteral("来自 example.org"));
                             l->setCursorId(tk::crHandPoint);
                             l->ticket()->setCaption(QStringLiteral("Web:"));
                             l->setTicketPosition(pos);
                             return &h;
                         }});
    }
    shots.push_back({"label-disabled", "disabled label and ticket", [](tk::TControl& h) {
                         h.setFont(tahoma(14));
                         auto* l = new TFlatLabel(nullptr, &h);
                         l->setFont(tahoma(12));
                         l->setBounds(60, 30, 101, 20);
                         l->setCaption(QStringLiteral("Disabled"));
                         l->ticket()->setCaption(QStringLiteral("Web:"));
                         l->setEnabled(false);
                         return &h;
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
