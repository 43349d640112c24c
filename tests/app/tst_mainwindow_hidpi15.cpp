#include "HiDpiWindowTest.h"

// The main window at QT_SCALE_FACTOR=1.5.
class TestHiDpiWindow15 : public QObject {
    Q_OBJECT
    hidpi::WindowChecks m_checks{1.5};
private slots:
    void init() { m_checks.init(); }
    void cleanup() { m_checks.cleanup(); }
    void windowKeepsItsLogicalLayout() { m_checks.windowKeepsItsLogicalLayout(); }
    void outlineIsWholeDevicePixels() { m_checks.outlineIsWholeDevicePixels(); }
    void everyLogicalPixelMatchesScaleOne() { m_checks.everyLogicalPixelMatchesScaleOne(); }
};

ZARVIK_HIDPI_TEST_MAIN(TestHiDpiWindow15, 1.5)
#include "tst_mainwindow_hidpi15.moc"
