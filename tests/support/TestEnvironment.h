#pragma once

#include <QApplication>
#include <QTest>

namespace testenv {

// Fixed palette, Tahoma registered, crisp text: pictures do not depend on the machine.
void setUp();

} // namespace testenv

// QTEST_MAIN with the fixed environment installed before the test object is built.
#define ZARVIK_TEST_MAIN(TestObject)                                                               \
    int main(int argc, char** argv) {                                                              \
        QApplication app(argc, argv);                                                              \
        testenv::setUp();                                                                          \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
