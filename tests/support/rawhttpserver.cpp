// SPDX-License-Identifier: GPL-3.0-or-later
#include "rawhttpserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

namespace corvale::test {

namespace {

int listenOnLoopback(int &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(fd, 16) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Waits for `events` on the socket, in short steps so that a stopping server is noticed.
bool waitFor(int fd, short events, const std::atomic<bool> &stopping)
{
    for (pollfd p{fd, events, 0}; !stopping;) {
        if (const int ready = ::poll(&p, 1, 20); ready != 0)
            return ready > 0;
    }
    return false;
}

// What arrived up to the end of the request's head (with any body that came
// along); empty when the client went first.
std::string readRequestHead(int fd, const std::atomic<bool> &stopping)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = waitFor(fd, POLLIN, stopping) ? ::recv(fd, buffer, sizeof buffer, 0) : 0;
        if (got <= 0)
            return {};
        head.append(buffer, static_cast<size_t>(got));
    }
    return head;
}

std::string baseOf(int port)
{
    return "http://127.0.0.1:" + std::to_string(port) + '/';
}

} // namespace

RawConnection::RawConnection(int socket, std::string target, const std::atomic<bool> &stopping)
    : m_socket(socket)
    , m_target(std::move(target))
    , m_stopping(stopping)
{ }

RawConnection::~RawConnection()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

int RawConnection::localPort() const
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

bool RawConnection::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = m_socket >= 0 && waitFor(m_socket, POLLOUT, m_stopping)
            ? ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL)
            : 0;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

void RawConnection::sendForever(std::string_view chunk, bool chunked)
{
    char size[20];
    std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
    const std::string framed = chunked ? size + std::string(chunk) + "\r\n" : std::string(chunk);
    while (send(framed)) {
    }
}

void RawConnection::stall()
{
    char buffer[256];
    while (m_socket >= 0 && waitFor(m_socket, POLLIN, m_stopping) && ::recv(m_socket, buffer, sizeof buffer, 0) > 0) {
    }
}

void RawConnection::reset()
{
    const linger abortive{1, 0};
    ::setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    ::close(m_socket);
    m_socket = -1;
}

RawHttpServer::RawHttpServer(Script script)
    : m_script(std::move(script))
    , m_listener(listenOnLoopback(m_port))
    , m_acceptor([this] { acceptLoop(); })
{ }

RawHttpServer::~RawHttpServer()
{
    m_stopping = true;
    m_acceptor.join();
    for (std::thread &connection : m_connections)
        connection.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

QString RawHttpServer::base() const
{
    return QString::fromStdString(baseOf(m_port));
}

std::vector<std::string> RawHttpServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<std::string> RawHttpServer::heads() const
{
    const std::lock_guard lock(m_mutex);
    return m_heads;
}

QString RawHttpServer::refusingBase()
{
    int port = 0;
    ::close(listenOnLoopback(port));
    return QString::fromStdString(baseOf(port));
}

void RawHttpServer::acceptLoop()
{
    while (m_listener >= 0 && waitFor(m_listener, POLLIN, m_stopping)) {
        if (const int fd = ::accept(m_listener, nullptr, nullptr); fd >= 0) {
            const std::lock_guard lock(m_mutex);
            m_connections.emplace_back([this, fd] {
                std::string head = readRequestHead(fd, m_stopping);
                const size_t first = head.find(' ');
                const size_t second = head.find(' ', first + 1);
                RawConnection connection(
                    fd, second == std::string::npos ? std::string() : head.substr(first + 1, second - first - 1),
                    m_stopping);
                if (connection.target().empty())
                    return;
                {
                    const std::lock_guard requestsLock(m_mutex);
                    m_requests.push_back(head.substr(0, second));
                    m_heads.push_back(std::move(head));
                }
                m_script(connection);
            });
        }
    }
}

std::string responseHead(int status, std::string_view extra)
{
    // Each answer on its own connection: the script closes it.
    return "HTTP/1.1 " + std::to_string(status) + " Scripted\r\nConnection: close\r\n" + std::string(extra);
}

std::string response(int status, std::string_view body, std::string_view contentType)
{
    return responseHead(status,
                        "Content-Type: " + std::string(contentType)
                            + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n")
        + "\r\n" + std::string(body);
}

} // namespace corvale::test
