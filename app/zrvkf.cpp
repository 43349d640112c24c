#include "zrvkf.h"

#include "Application.h"
#include "Classes.h"
#include "Layout.h"

#include <exception>
#include <optional>
#include <stdexcept>

void registerFormClasses() {
    tk::registerToolkitClasses();
    tk::registerLayoutClass<TForm1>(QStringLiteral("TForm1"));
}

TForm1::TForm1(tk::Component* owner) : tk::TForm(owner) {
    registerFormClasses();
    tk::LayoutBindings bindings;
    bindings.bindEvent = [this](QObject* target, const QString& event, const QString& handler) {
        bindEvent(target, event, handler);
    };
    tk::readLayoutFile(this, QStringLiteral(":/forms/zrvkf.layout"), bindings);
    // Creation completes whatever FormCreate reports.
    try {
        if (OnCreate) OnCreate();
    } catch (const std::exception& e) {
        tk::showException(e);
    }
}

void TForm1::bindEvent(QObject* target, const QString& event, const QString& handler) {
    if (target == this && event == QLatin1String("OnCreate") &&
        handler == QLatin1String("FormCreate")) {
        OnCreate = [this] { FormCreate(); };
        return;
    }
    throw std::runtime_error(
        QStringLiteral("No handler %1 for %2").arg(handler, event).toStdString());
}

void TForm1::FormCreate() {
    // Each table loads on its own, so a missing cj5.m does not leave cj3.m unread, and the
    // window goes on top in any case, so that the "置顶" box never shows a state the window
    // is not in. The failures are reported afterwards, Cangjie 5 first.
    std::optional<dict::TableError> cj5Error;
    std::optional<dict::TableError> cj3Error;
    try {
        m_cj5.load(Cj5FileName);
    } catch (const dict::TableError& e) {
        cj5Error = e;
    }
    try {
        m_cj3.load(Cj3FileName);
    } catch (const dict::TableError& e) {
        cj3Error = e;
    }
    setStayOnTop(true);
    if (cj5Error) tk::showException(*cj5Error);
    if (cj3Error) tk::showException(*cj3Error);
}
