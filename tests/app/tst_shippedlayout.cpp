#include "Application.h"
#include "Layout.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"
#include "zrvkf.h"

#include <QFile>
#include <QTest>

// The window's layout as shipped: what the running window writes back is the file itself,
// every flat control in it with its Version.
class TestShippedLayout : public QObject {
    Q_OBJECT
private slots:
    void writingTheRunningWindowReproducesTheFile() {
        testsupport::WorkingFolder folder; // no tables: the window still builds
        tk::setErrorBoxHandler([](const QString&, const QString&) {});
        TForm1 form;
        tk::setErrorBoxHandler({});
        const QString written = tk::writeLayout(&form);
        if (written != shipped()) {
            const QStringList a = written.split(QLatin1Char('\n'));
            const QStringList b = shipped().split(QLatin1Char('\n'));
            for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
                QVERIFY2(a[i] == b[i], qPrintable(QStringLiteral("line %1: written '%2', "
                                                                 "shipped '%3'")
                                                      .arg(i + 1)
                                                      .arg(a[i], b[i])));
            QCOMPARE(a.size(), b.size());
        }
    }

private:
    static QString shipped() {
        QFile f(QStringLiteral(":/forms/zrvkf.layout"));
        if (!f.open(QIODevice::ReadOnly)) qFatal("the window's layout is missing");
        return QString::fromUtf8(f.readAll());
    }
};

ZARVIK_TEST_MAIN(TestShippedLayout)
#include "tst_shippedlayout.moc"
