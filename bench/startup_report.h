#pragma once

#include <QFile>
#include <QTest>
#include <QWidget>

#include <cstdio>

// Waits for `window` to be exposed, then tells the runner, with the resident memory
// at that moment, and ends the probe.
inline int reportExposed(QWidget *window)
{
    if (!QTest::qWaitForWindowExposed(window, 20000))
        return 1;
    QFile status(QStringLiteral("/proc/self/status"));
    long residentKiB = -1;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                residentKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    std::printf("exposed %ld\n", residentKiB);
    std::fflush(stdout);
    return 0;
}
