// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/lookupclock.h"

#include <thread>

#include <QEventLoop>
#include <QTimer>

namespace corvale {

bool SystemLookupClock::runEventLoop(QEventLoop &loop, std::chrono::milliseconds limit)
{
    bool timedOut = false;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&timedOut, &loop] {
        timedOut = true;
        loop.quit();
    });
    timer.start(limit);
    loop.exec();
    return !timedOut;
}

void SystemLookupClock::pause(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

std::chrono::system_clock::time_point SystemLookupClock::now()
{
    return std::chrono::system_clock::now();
}

} // namespace corvale
