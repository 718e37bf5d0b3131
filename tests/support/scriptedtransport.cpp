// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedtransport.h"

namespace corvale::test {

LookupAnswer ScriptedTransport::send(const LookupRequest &request, std::chrono::milliseconds)
{
    const QUrl &url = request.url;
    m_log->requests.append(url);
    if (m_answers.empty())
        return noStatus();
    LookupAnswer next = m_answers.front();
    m_answers.pop_front();
    if (next.url.isEmpty())
        next.url = url;
    return next;
}

LookupAnswer answer(int status, const QByteArray &body, const QByteArray &contentType)
{
    LookupAnswer a;
    a.hasStatus = true;
    a.status = status;
    a.body = body;
    a.contentType = contentType;
    return a;
}

LookupAnswer noStatus()
{
    return {};
}

} // namespace corvale::test
