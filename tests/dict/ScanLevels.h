#pragma once

#include "ByteScan.h"

#include <QTest>

// Runs `check` once at every instruction set level the processor supports, from the plain
// one up, so that the narrower scans are tested on a wide processor too (each level checked
// to be the one running, or every pass would run the widest); the widest level is restored
// afterwards, also when a check fails.
template <class Check> void atEveryScanLevel(Check check) {
    using dict::bytescan::Level;
    struct Restore {
        ~Restore() { dict::bytescan::restrictLevel(dict::bytescan::supportedLevel()); }
    } restore;
    const auto widest = static_cast<int>(dict::bytescan::supportedLevel());
    for (int level = 0; level <= widest; ++level) {
        dict::bytescan::restrictLevel(static_cast<Level>(level));
        QCOMPARE(static_cast<int>(dict::bytescan::activeLevel()), level);
        check();
        if (QTest::currentTestFailed()) {
            qWarning("failed at scan level %d", level);
            return;
        }
    }
}
