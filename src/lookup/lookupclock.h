// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

class QEventLoop;

namespace corvale {

// Every wait of a lookup goes through here, so tests can count attempts and
// pauses without sleeping for real.
class LookupClock
{
public:
    virtual ~LookupClock() = default;

    // Runs the loop until it quits or `limit` has passed; true when it quit in time.
    virtual bool runEventLoop(QEventLoop &loop, std::chrono::milliseconds limit) = 0;
    // Waits without processing window events.
    virtual void pause(std::chrono::milliseconds duration) = 0;
    // The time of day, which requests that must be spaced apart are noted with.
    virtual std::chrono::system_clock::time_point now() = 0;
};

class SystemLookupClock final : public LookupClock
{
public:
    bool runEventLoop(QEventLoop &loop, std::chrono::milliseconds limit) override;
    void pause(std::chrono::milliseconds duration) override;
    std::chrono::system_clock::time_point now() override;
};

} // namespace corvale
