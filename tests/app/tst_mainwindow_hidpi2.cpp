// The main window at QT_SCALE_FACTOR=2.
#include "HiDpiWindowTest.h"

ZARVIK_HIDPI_TEST_MAIN(2)
#include "moc_HiDpiWindowTest.cpp"
