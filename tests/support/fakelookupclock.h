// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

#include <QList>

#include "lookup/lookupclock.h"

namespace corvale::test {

// Counts waits instead of sleeping. Event loops still run, for the asked
// time divided by `divisor` (a tenth by default), so a real server that never
// answers ends the wait quickly. Its time of day stands still but for pauses.
class FakeLookupClock final : public LookupClock
{
public:
    explicit FakeLookupClock(int divisor = 10)
        : m_divisor(divisor)
    { }

    bool runEventLoop(QEventLoop &loop, std::chrono::milliseconds limit) override;
    void pause(std::chrono::milliseconds duration) override;
    std::chrono::system_clock::time_point now() override { return time; }

    QList<std::chrono::milliseconds> waits;
    QList<std::chrono::milliseconds> pauses;
    std::chrono::system_clock::time_point time = std::chrono::system_clock::time_point(std::chrono::hours(500000));

private:
    int m_divisor;
};

} // namespace corvale::test
