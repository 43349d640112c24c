// The main window at QT_SCALE_FACTOR=1.5.
#include "HiDpiWindowTest.h"

ZARVIK_HIDPI_TEST_MAIN(1.5)
#include "moc_HiDpiWindowTest.cpp"
