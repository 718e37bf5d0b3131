#include "lookup/lookuptransport.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include "lookup/lookupclock.h"

namespace corvale {

namespace {

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

class NetworkTransport final : public LookupTransport
{
public:
    explicit NetworkTransport(LookupClock &clock)
        : m_clock(clock)
    {
    }

    LookupAnswer post(const QUrl &url, std::chrono::milliseconds wait) override
    {
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(10);

        // Deleted on every path, even while the answer is still arriving.
        std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
            m_manager.post(request, QByteArray()), [](QNetworkReply *r) {
                r->abort();
                delete r;
            });

        QEventLoop loop;
        bool tooLarge = false;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop,
                         [&tooLarge, &loop](qint64 received, qint64 total) {
                             if (received > kMaxAnswerBytes || total > kMaxAnswerBytes) {
                                 tooLarge = true;
                                 loop.quit();
                             }
                         });
        if (!reply->isFinished())
            m_clock.runEventLoop(loop, wait);

        LookupAnswer answer;
        if (tooLarge || reply->bytesAvailable() > kMaxAnswerBytes || failedInTransfer(*reply))
            return answer;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid())
            return answer;
        answer.hasStatus = true;
        answer.status = status.toInt();
        answer.contentType = reply->rawHeader(QByteArrayLiteral("Content-Type"));
        answer.url = reply->url();
        // A body still arriving when the wait ends is read as far as it came.
        answer.body = reply->readAll();
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
