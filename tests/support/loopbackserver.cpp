#include "loopbackserver.h"

namespace corvale::test {

namespace {

std::string rawQuery(const std::string &target)
{
    const auto mark = target.find('?');
    return mark == std::string::npos ? std::string() : target.substr(mark + 1);
}

} // namespace

LoopbackServer::LoopbackServer()
{
    // Recorded before routing, so requests whose handler stalls or drops the
    // connection are counted too.
    server.set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &) {
        const std::lock_guard lock(m_mutex);
        m_received.push_back({request.method, request.path, rawQuery(request.target),
                              request.get_header_value("Content-Type"), request.body});
        return httplib::Server::HandlerResponse::Unhandled;
    });
}

LoopbackServer::~LoopbackServer()
{
    server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

void LoopbackServer::start()
{
    m_port = server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { server.listen_after_bind(); });
    // stop() does nothing until the server runs, so a quick test could hang in join().
    while (!server.is_running())
        std::this_thread::yield();
}

QString LoopbackServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

std::vector<ReceivedRequest> LoopbackServer::received() const
{
    const std::lock_guard lock(m_mutex);
    return m_received;
}

size_t LoopbackServer::requestCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_received.size();
}

} // namespace corvale::test
