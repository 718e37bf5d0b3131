#pragma once

#include <chrono>
#include <deque>
#include <memory>

#include <QList>
#include <QUrl>

#include "lookup/lookupclock.h"
#include "lookup/lookuptransport.h"

namespace corvale::test {

// Counts waits instead of sleeping. Event loops still run, for the asked
// time divided by `divisor` (a tenth by default), so a real server that never
// answers ends the wait quickly.
class FakeLookupClock final : public LookupClock
{
public:
    explicit FakeLookupClock(int divisor = 10)
        : m_divisor(divisor)
    {
    }

    bool runEventLoop(QEventLoop &loop, std::chrono::milliseconds limit) override;
    void pause(std::chrono::milliseconds duration) override;

    QList<std::chrono::milliseconds> waits;
    QList<std::chrono::milliseconds> pauses;

private:
    int m_divisor;
};

// Hands back prepared answers in order; an answer with status 200 and
// `page` as its UTF-8 body when given text.
class ScriptedTransport final : public LookupTransport
{
public:
    struct Log
    {
        QList<QUrl> requests;
        int transportsMade = 0;
    };

    ScriptedTransport(std::deque<LookupAnswer> answers, std::shared_ptr<Log> log)
        : m_answers(std::move(answers))
        , m_log(std::move(log))
    {
    }

    LookupAnswer post(const QUrl &url, std::chrono::milliseconds wait) override;

private:
    std::deque<LookupAnswer> m_answers;
    std::shared_ptr<Log> m_log;
};

LookupAnswer answer(int status, const QByteArray &body = {}, const QByteArray &contentType = "text/html");
LookupAnswer noStatus();

} // namespace corvale::test
