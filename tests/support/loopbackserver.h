#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

#include <QString>

namespace corvale::test {

// What the server saw of one request.
struct ReceivedRequest
{
    std::string method;
    std::string path;
    std::string query;   // raw, as sent
    std::string contentType;
    std::string body;
};

// An HTTP server on 127.0.0.1 and a free port, serving from its own thread
// until it is destroyed. Handlers are set on `server` before start().
class LoopbackServer
{
public:
    LoopbackServer();
    ~LoopbackServer();

    void start();
    QString base() const;   // "http://127.0.0.1:PORT/"
    std::vector<ReceivedRequest> received() const;
    size_t requestCount() const;

    httplib::Server server;

private:
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<ReceivedRequest> m_received;
};

} // namespace corvale::test
