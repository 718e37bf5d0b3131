#include "rawhttpserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <tuple>

namespace corvale::test {

namespace {

constexpr int kPollMs = 20;

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

// Waits for `events` on the socket, giving up when the server stops.
bool waitFor(int fd, short events, const std::atomic<bool> &stopping)
{
    while (!stopping) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, kPollMs);
        if (ready > 0)
            return true;
        if (ready < 0)
            return false;
    }
    return false;
}

// The request's method, target and the bytes read up to its head's end
// (with any body that came along), once the head has arrived; an empty
// target when the client went first. The lookup sends an empty body.
std::tuple<std::string, std::string, std::string> readRequestHead(int fd, const std::atomic<bool> &stopping)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (!waitFor(fd, POLLIN, stopping))
            return {};
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return {};
        head.append(buffer, static_cast<size_t>(got));
    }
    const size_t first = head.find(' ');
    const size_t second = head.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return {};
    return {head.substr(0, first), head.substr(first + 1, second - first - 1), head};
}

} // namespace

RawConnection::RawConnection(int socket, std::string target, const std::atomic<bool> &stopping)
    : m_socket(socket)
    , m_target(std::move(target))
    , m_stopping(stopping)
{
}

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
        if (m_socket < 0 || !waitFor(m_socket, POLLOUT, m_stopping))
            return false;
        const ssize_t sent = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

void RawConnection::sendForever(std::string_view chunk, bool chunked)
{
    std::string framed(chunk);
    if (chunked) {
        char size[16];
        const auto end = std::to_chars(size, size + sizeof size, chunk.size(), 16).ptr;
        framed = std::string(size, end) + "\r\n" + framed + "\r\n";
    }
    while (send(framed)) {
    }
}

void RawConnection::stall()
{
    char buffer[256];
    while (m_socket >= 0 && waitFor(m_socket, POLLIN, m_stopping)) {
        if (::recv(m_socket, buffer, sizeof buffer, 0) <= 0)
            return;
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
{
}

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
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
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
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

void RawHttpServer::acceptLoop()
{
    while (m_listener >= 0 && waitFor(m_listener, POLLIN, m_stopping)) {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0)
            continue;
        const std::lock_guard lock(m_mutex);
        m_connections.emplace_back([this, fd] {
            auto [method, target, head] = readRequestHead(fd, m_stopping);
            if (target.empty()) {
                ::close(fd);
                return;
            }
            {
                const std::lock_guard requestsLock(m_mutex);
                m_requests.push_back(method + ' ' + target);
                m_heads.push_back(std::move(head));
            }
            RawConnection connection(fd, std::move(target), m_stopping);
            m_script(connection);
        });
    }
}

std::string responseHead(int status, std::string_view extra)
{
    // Each answer on its own connection: the script closes it.
    return "HTTP/1.1 " + std::to_string(status) + " Scripted\r\nConnection: close\r\n" + std::string(extra);
}

std::string response(int status, std::string_view body, std::string_view contentType)
{
    return responseHead(status, "Content-Type: " + std::string(contentType) + "\r\nContent-Length: "
                                    + std::to_string(body.size()) + "\r\n")
        + "\r\n" + std::string(body);
}

} // namespace corvale::test
