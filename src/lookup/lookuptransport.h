// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <memory>
#include <utility>

#include <QByteArray>
#include <QList>
#include <QUrl>

namespace corvale {

class LookupClock;

// One exchange with the service, as the transport saw it when the wait ended.
struct LookupAnswer
{
    bool hasStatus = false; // false: no answer began within the wait, a page (200) had not
                            // ended by then, or the exchange failed
    int status = 0;
    QByteArray body;
    QByteArray contentType; // the Content-Type header as sent
    QUrl url; // where the answer came from (after redirects)
};

// What one exchange asks for. The lookup service is sent an empty form
// (POST); the address service is asked with GET and headers of its own.
struct LookupRequest
{
    QUrl url;
    bool post = true;
    QList<std::pair<QByteArray, QByteArray>> headers = {}; // sent on every redirect too
};

// The request object of one lookup call: reused for every attempt of the call.
class LookupTransport
{
public:
    virtual ~LookupTransport() = default;

    // Sends `request` and waits up to `wait` for the answer, processing
    // window events meanwhile.
    virtual LookupAnswer send(const LookupRequest &request, std::chrono::milliseconds wait) = 0;
};

// Largest answer body a lookup reads. A larger page (200), or a larger
// redirect, is a failed exchange; any other status keeps its status and
// comes without its body.
inline constexpr qint64 kMaxAnswerBytes = 8 * 1024 * 1024;

std::unique_ptr<LookupTransport> makeNetworkTransport(LookupClock &clock);

} // namespace corvale
