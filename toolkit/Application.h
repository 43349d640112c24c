#pragma once

#include <QApplication>
#include <QLocale>
#include <QString>
#include <QTranslator>
#include <exception>
#include <functional>
#include <memory>

namespace tk {

// The program's application: its title, and the event loop that shows every exception
// leaving an event handler in the error box and carries on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    static void setTitle(const QString& title);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Qt's translations of its own words (the edits' menus, the message boxes' buttons) into the
// language of `locale`, from the folder Qt keeps them in; null where there are none. The
// application takes the desktop's, as the platform's own controls speak its language.
std::unique_ptr<QTranslator> qtTranslations(const QLocale& locale);

// The message as the error box shows it: a "." is added when the text is not empty and
// its last character sorts after ".".
QString withClosingPeriod(const QString& message);

// Shows the error box (stop icon, the application title, OK) for an error message.
void showErrorBox(const QString& message);
void showException(const std::exception& e);

// Tests replace the modal box with a recorder. Pass an empty function to restore it.
using ErrorBoxHandler = std::function<void(const QString& title, const QString& text)>;
void setErrorBoxHandler(ErrorBoxHandler handler);

} // namespace tk
