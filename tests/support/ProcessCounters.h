#pragma once

// What this process has done so far, as Linux counts it: the work a test asserts, where a
// time limit would fail at random on a busy machine or under a sanitizer.

#include <QByteArray>
#include <QFile>

namespace testsupport {

// The number after `key` in the "key: number ..." lines of the file at `path`; -1 when the
// file or the line is missing.
inline qint64 processCounter(const char* path, const QByteArray& key) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The bytes the process has had from read() and its kin so far (a read of this count
// included).
inline qint64 bytesReadSoFar() {
    return processCounter("/proc/self/io", "rchar");
}

// The most resident memory the process has had, in KiB.
inline qint64 peakResidentKiB() {
    return processCounter("/proc/self/status", "VmHWM");
}

// Lets the peak start again from what is resident now, where Linux allows it.
inline void restartPeakResident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

} // namespace testsupport
