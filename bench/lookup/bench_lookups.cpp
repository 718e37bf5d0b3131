// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <memory>

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>

#include "lookup/lookupclient.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

// The sample lookup service on loopback, for all the benchmarks of a run.
class SampleService
{
public:
    SampleService()
    {
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(QStringLiteral(CORVALE_SAMPLE_SERVICE), {u"--port"_s, u"0"_s});
        if (m_process.waitForReadyRead(10000))
            m_base = QString::fromLatin1(m_process.readLine().trimmed());
    }

    ~SampleService()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }

    const QString &base() const { return m_base; }

private:
    QProcess m_process;
    QString m_base;
};

const SampleService &service()
{
    static const SampleService running;
    return running;
}

// What the lookup sends, as a plain POST of an empty form with a manager
// of its own, as the lookup has.
QByteArray bareExchange(QNetworkAccessManager &manager, const QString &url)
{
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    const std::unique_ptr<QNetworkReply> reply(manager.post(request, QByteArray()));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    return reply->readAll();
}

bool serviceUp(benchmark::State &state)
{
    if (service().base().isEmpty())
        state.SkipWithError("the sample lookup service did not start");
    return !service().base().isEmpty();
}

// Times one lookup, as `lookUp` makes it, with a client of its own each time.
template<typename LookUp>
void timeLookup(benchmark::State &state, LookUp lookUp)
{
    if (!serviceUp(state))
        return;
    for (auto _ : state) {
        LookupClient client(service().base());
        LookupResult result;
        lookUp(client, result);
        if (result.MapLink.isEmpty()) {
            state.SkipWithError("the lookup found nothing");
            break;
        }
    }
}

void BM_Phone2Geo(benchmark::State &state)
{
    timeLookup(state, [](LookupClient &client, LookupResult &result) { client.Phone2Geo(u"3125550142"_s, result); });
}
BENCHMARK(BM_Phone2Geo)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The answer page and the map page.
void BM_PhoneExchangesBare(benchmark::State &state)
{
    if (!serviceUp(state))
        return;
    for (auto _ : state) {
        QNetworkAccessManager manager;
        benchmark::DoNotOptimize(
            bareExchange(manager, service().base() + u"lookups/phonelocation.asp?number=3125550142&submit1=Process"_s));
        benchmark::DoNotOptimize(bareExchange(manager, service().base() + u"lookups/mapY.asp?phone=3125550142"_s));
    }
}
BENCHMARK(BM_PhoneExchangesBare)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Address2Geo(benchmark::State &state)
{
    timeLookup(state, [](LookupClient &client, LookupResult &result) {
        client.Address2Geo(u"410 W Marlow Ave"_s, u"Chicago"_s, u"IL"_s, u"60601"_s, result);
    });
}
BENCHMARK(BM_Address2Geo)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_AddressExchangeBare(benchmark::State &state)
{
    if (!serviceUp(state))
        return;
    for (auto _ : state) {
        QNetworkAccessManager manager;
        benchmark::DoNotOptimize(bareExchange(
            manager,
            service().base()
                + u"lookups/addressverify.asp?Address=410+W+Marlow+Ave&city=Chicago&state=IL&zip=60601&Query=Submit1"_s));
    }
}
BENCHMARK(BM_AddressExchangeBare)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

} // namespace corvale

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
