// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <deque>
#include <memory>

#include <QList>
#include <QUrl>

#include "lookup/lookuptransport.h"

namespace corvale::test {

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
    { }

    LookupAnswer send(const LookupRequest &request, std::chrono::milliseconds wait) override;

private:
    std::deque<LookupAnswer> m_answers;
    std::shared_ptr<Log> m_log;
};

LookupAnswer answer(int status, const QByteArray &body = {}, const QByteArray &contentType = "text/html");
LookupAnswer noStatus();

} // namespace corvale::test
