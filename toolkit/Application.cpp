#include "Application.h"

#include "Font.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMessageBox>

namespace tk {

namespace {
QString g_title;
ErrorBoxHandler g_errorBoxHandler;

// The message box, with Ctrl+C copying its message on every platform, so that a user can
// paste the path it names.
class ErrorBox : public QMessageBox {
public:
    ErrorBox(const QString& title, const QString& text)
        : QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok) {
        // A message names paths, and a directory called "<b>" is no markup: shown as rich
        // text, the path the user reads would not be the one the program looked at.
        setTextFormat(Qt::PlainText);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->matches(QKeySequence::Copy)) {
            QGuiApplication::clipboard()->setText(text());
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
};
} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    registerApplicationFonts();
    if (std::unique_ptr<QTranslator> translations = qtTranslations(QLocale()))
        installTranslator(translations.release());
}

std::unique_ptr<QTranslator> qtTranslations(const QLocale& locale) {
    auto translations = std::make_unique<QTranslator>();
    if (!translations->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    return translations;
}

void Application::setTitle(const QString& title) {
    g_title = title;
    QGuiApplication::setApplicationDisplayName(title);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showException(e);
    } catch (...) {
        showErrorBox(QStringLiteral("Unknown error"));
    }
    return false;
}

QString withClosingPeriod(const QString& message) {
    if (message.isEmpty()) return message;
    // Compare the whole last character, not half of a surrogate pair.
    const char32_t last = message.size() >= 2 && message.back().isLowSurrogate()
                              ? QChar::surrogateToUcs4(message[message.size() - 2], message.back())
                              : message.back().unicode();
    return last > U'.' ? message + QLatin1Char('.') : message;
}

void showErrorBox(const QString& message) {
    const QString text = withClosingPeriod(message);
    if (g_errorBoxHandler) return g_errorBoxHandler(g_title, text);
    ErrorBox(g_title, text).exec();
}

void showException(const std::exception& e) {
    showErrorBox(QString::fromUtf8(e.what()));
}

void setErrorBoxHandler(ErrorBoxHandler handler) {
    g_errorBoxHandler = std::move(handler);
}

} // namespace tk
