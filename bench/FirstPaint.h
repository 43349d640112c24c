#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

// bench/report.sh times start-up, the program's against a plain Qt window's (baseline/),
// by one hook that both carry: with ZARVIK_REPORT_FIRST_PAINT set, the wall clock in
// microseconds goes to stderr once the first paint of `window` has been handed to the
// window system.
class FirstPaintReporter : public QObject {
public:
    explicit FirstPaintReporter(QWidget* window) : QObject(window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_window) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, this, [] {
                const auto now = std::chrono::system_clock::now().time_since_epoch();
                std::fprintf(
                    stderr, "first-paint %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
            });
        }
        return false;
    }

private:
    QWidget* m_window;
};
