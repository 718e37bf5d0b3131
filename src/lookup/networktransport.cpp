// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/lookuptransport.h"

#include <memory>

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "lookup/lookupclock.h"
#include "util/weburl.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

// As many as a browser follows before it gives up.
constexpr int kMaxRedirects = 10;

// Qt reads an answer in a thread of its own, faster than this one takes it
// on a fast connection, and reports progress only now and then: by the time
// an answer shows more than kMaxAnswerBytes, gigabytes may have been read.
// A read buffer makes Qt stop reading from the connection when it is full,
// but its reading thread learns of it only if the request is not yet under
// way: a request with no body to upload starts at once, so the buffer is set
// before the answer comes. Qt may stop up to one block short of the buffer's
// end, so it is well past the largest answer read.
constexpr qint64 kReadBuffer = 2 * kMaxAnswerBytes;

// A connection that broke, or a protocol the client could not follow, fails
// the exchange; an answer with an HTTP error status does not.
bool failedInTransfer(const QNetworkReply &reply)
{
    if (!reply.isFinished())
        return false;
    const QNetworkReply::NetworkError error = reply.error();
    return (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
        || (error >= QNetworkReply::ProtocolUnknownError && error <= QNetworkReply::ProtocolFailure);
}

struct ReplyDeleter
{
    // Deleted on every path, even while the answer is still arriving.
    void operator()(QNetworkReply *reply) const
    {
        reply->abort();
        delete reply;
    }
};

// One exchange: the request and those its redirects lead to, followed
// here so that each is read with the buffer above. Ends the loop when an
// answer is complete, too large, or a redirect cannot be followed.
class Exchange
{
public:
    Exchange(QNetworkAccessManager &manager, QEventLoop &loop)
        : m_manager(manager)
        , m_loop(loop)
    { }

    void send(const LookupRequest &asked)
    {
        m_asked = asked;
        const bool post = asked.post;
        QNetworkRequest request(asked.url);
        for (const auto &[name, value] : asked.headers)
            request.setRawHeader(name, value);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        if (post) {
            request.setHeader(QNetworkRequest::ContentTypeHeader,
                              QByteArrayLiteral("application/x-www-form-urlencoded"));
            request.setHeader(QNetworkRequest::ContentLengthHeader, 0);
        }
        m_reply.reset(post ? m_manager.sendCustomRequest(request, QByteArrayLiteral("POST")) : m_manager.get(request));
        m_reply->setReadBufferSize(kReadBuffer);
        QNetworkReply *reply = m_reply.get();
        QObject::connect(reply, &QNetworkReply::finished, &m_loop, [this] { finished(); });
        QObject::connect(reply, &QNetworkReply::readyRead, &m_loop, [this, reply] {
            if (reply->bytesAvailable() > kMaxAnswerBytes)
                stop(true);
        });
        QObject::connect(reply, &QNetworkReply::downloadProgress, &m_loop, [this](qint64, qint64 total) {
            if (total > kMaxAnswerBytes)
                stop(true);
        });
    }

    QNetworkReply &reply() const { return *m_reply; }
    bool tooLarge() const { return m_tooLarge; }
    // A redirect that went on too long, or to a less safe address.
    bool redirectRefused() const { return m_redirectRefused; }

private:
    void stop(bool tooLarge)
    {
        m_tooLarge = m_tooLarge || tooLarge;
        m_loop.quit();
    }

    void finished()
    {
        const QUrl target = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
        if (target.isEmpty() || failedInTransfer(*m_reply)) {
            stop(false);
            return;
        }
        const QUrl from = m_reply->url();
        const QUrl to = from.resolved(target);
        // As browsers follow: never from https down to http.
        const bool lessSafe = from.scheme() == u"https"_s && to.scheme() == u"http"_s;
        if (++m_redirects > kMaxRedirects || !isWebAddress(to) || lessSafe) {
            m_redirectRefused = true;
            stop(false);
            return;
        }
        // A form sent to an address that moved is asked for with GET, as
        // browsers do, except after 307 and 308.
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        LookupRequest next = m_asked;
        next.url = to;
        next.post = m_asked.post && (status == 307 || status == 308);
        // Still inside its own signal: the finished reply goes later.
        QNetworkReply *done = m_reply.release();
        done->disconnect(&m_loop);
        done->deleteLater();
        send(next);
    }

    QNetworkAccessManager &m_manager;
    QEventLoop &m_loop;
    std::unique_ptr<QNetworkReply, ReplyDeleter> m_reply;
    LookupRequest m_asked;
    int m_redirects = 0;
    bool m_tooLarge = false;
    bool m_redirectRefused = false;
};

class NetworkTransport final : public LookupTransport
{
public:
    explicit NetworkTransport(LookupClock &clock)
        : m_clock(clock)
    { }

    LookupAnswer send(const LookupRequest &request, std::chrono::milliseconds wait) override
    {
        QEventLoop loop;
        Exchange exchange(m_manager, loop);
        exchange.send(request);
        if (!exchange.reply().isFinished())
            m_clock.runEventLoop(loop, wait);

        QNetworkReply &reply = exchange.reply();
        LookupAnswer answer;
        if (exchange.redirectRefused() || failedInTransfer(reply))
            return answer;
        const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid())
            return answer;
        const bool tooLarge = exchange.tooLarge() || reply.bytesAvailable() > kMaxAnswerBytes;
        // A page is read only whole: one cut short by the wait would read as
        // another answer. Any other status is retried whatever its body, but
        // a redirect is not followed past an oversized one.
        const bool redirect = !reply.attribute(QNetworkRequest::RedirectionTargetAttribute).isNull();
        if (status.toInt() == 200 ? tooLarge || !reply.isFinished() : tooLarge && redirect)
            return answer;
        answer.hasStatus = true;
        answer.status = status.toInt();
        answer.contentType = reply.rawHeader(QByteArrayLiteral("Content-Type"));
        answer.url = reply.url();
        if (!tooLarge)
            answer.body = reply.readAll();
        return answer;
    }

private:
    LookupClock &m_clock;
    QNetworkAccessManager m_manager;
};

} // namespace

std::unique_ptr<LookupTransport> makeNetworkTransport(LookupClock &clock)
{
    return std::make_unique<NetworkTransport>(clock);
}

} // namespace corvale
