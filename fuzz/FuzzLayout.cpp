// The layout reader on arbitrary text, with every class of the toolkit and the flat control
// set registered, offscreen. What it checks:
//   - reading fails only with a LayoutError (anything else escapes and is a crash);
//   - a layout that was read can be written, read back into a fresh root, and written again
//     to the same text (with the root hidden: where a shown window lies is the window
//     system's choice);
//   - the controls read paint (when they are small enough to paint at all);
//   - destroying everything afterwards is clean (ASan, LSan).

#include "Classes.h"
#include "Component.h"
#include "Form.h"
#include "Layout.h"
#include "Registration.h"

#include <QApplication>
#include <QImage>
#include <QRegularExpression>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Painting a control makes a picture of its whole size: keep to sizes a test can afford.
constexpr qint64 MaxPaintedPixels = qint64(1) << 20;

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "invariant broken: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// The class the layout's first header names, so that the fuzzer may try any root.
QString rootClassOf(const QString& text) {
    static const QRegularExpression header(
        QStringLiteral("^\\s*object\\s+[A-Za-z_]\\w*\\s*:\\s*([A-Za-z_]\\w*)"));
    return header.match(text).captured(1);
}

// A fresh root of that class, or a plain form when there is no such class.
std::unique_ptr<QObject> makeRoot(const QString& className) {
    if (tk::isLayoutClassRegistered(className)) {
        std::unique_ptr<QObject> root(tk::createLayoutObject(className, nullptr));
        if (tk::asComponent(root.get())) return root;
    }
    return std::make_unique<tk::TForm>();
}

// What layouts bind their events to: a handler that takes no values fits every event.
class Handlers : public QObject {
    Q_OBJECT
public slots:
    void Handler() {}
};

bool paintable(QWidget* root) {
    const auto small = [](const QWidget* w) {
        return qint64(w->width()) * w->height() <= MaxPaintedPixels;
    };
    if (!small(root)) return false;
    const QList<QWidget*> children = root->findChildren<QWidget*>();
    for (const QWidget* w : children)
        if (!small(w)) return false;
    return true;
}

void paint(QObject* root) {
    auto* widget = qobject_cast<QWidget*>(root);
    if (!widget || !paintable(widget) || widget->width() <= 0 || widget->height() <= 0) return;
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    widget->render(&image);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    static int argc = 1;
    static char name[] = "fuzz_layout";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the fuzzer ends through exit(), and a static application would run
    // Qt's clean-up routines after the library's own global statics (the accessibility
    // observers' list among them) are gone, crashing on the way out.
    static auto* app = new QApplication(argc, argv);
    (void)app;
    tk::registerToolkitClasses();
    flat::registerFlatClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString rootClass = rootClassOf(text);
    Handlers handlers;
    {
        std::unique_ptr<QObject> root = makeRoot(rootClass);
        try {
            tk::readLayout(root.get(), text, &handlers);
        } catch (const tk::LayoutError&) {
            root.reset();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return 0;
        }
        // A shown window is placed by the window system, which keeps its frame on the screen:
        // the round trip is checked on the hidden window, so that only the layout counts.
        if (auto* window = qobject_cast<QWidget*>(root.get())) window->hide();
        paint(root.get());

        const QString written = tk::writeLayout(root.get());
        std::unique_ptr<QObject> copy = makeRoot(rootClass);
        try {
            tk::readLayout(copy.get(), written, &handlers);
        } catch (const tk::LayoutError& e) {
            fail("a written layout does not read back",
                 QString::fromUtf8(e.what()) + '\n' + written);
        }
        const QString again = tk::writeLayout(copy.get());
        if (again != written)
            fail("a layout read back writes differently", written + "----\n" + again);
    }
    // Controls that let go of a part once control is back in the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

#include "FuzzLayout.moc"
