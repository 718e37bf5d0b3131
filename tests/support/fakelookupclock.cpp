// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakelookupclock.h"

#include <QEventLoop>
#include <QTimer>

namespace corvale::test {

bool FakeLookupClock::runEventLoop(QEventLoop &loop, std::chrono::milliseconds limit)
{
    waits.append(limit);
    bool timedOut = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&timedOut, &loop] {
        timedOut = true;
        loop.quit();
    });
    timer.start(limit / m_divisor);
    loop.exec();
    return !timedOut;
}

void FakeLookupClock::pause(std::chrono::milliseconds duration)
{
    pauses.append(duration);
    time += duration;
}

} // namespace corvale::test
