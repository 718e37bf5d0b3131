// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <QString>

namespace corvale::test {

// One accepted connection, its request read. What is sent back is up to the
// script: any bytes, a stall, a reset.
class RawConnection
{
public:
    RawConnection(int socket, std::string target, const std::atomic<bool> &stopping);
    ~RawConnection();

    Q_DISABLE_COPY_MOVE(RawConnection)

    const std::string &target() const { return m_target; } // path and query, as sent
    int localPort() const;

    // False once the client has gone.
    bool send(std::string_view bytes);
    // Sends `chunk` again and again, as chunked encoding when `chunked`,
    // until the client goes.
    void sendForever(std::string_view chunk, bool chunked);
    // Sends nothing more until the client goes or the server stops.
    void stall();
    // Ends the connection with a reset instead of a close.
    void reset();

private:
    int m_socket;
    std::string m_target;
    const std::atomic<bool> &m_stopping;
};

// A TCP server on 127.0.0.1 for answers that no HTTP library sends: wrong
// lengths, bodies that stall or never end, connections dropped halfway.
// Every connection gets a thread of its own that runs the script.
class RawHttpServer
{
public:
    using Script = std::function<void(RawConnection &)>;

    explicit RawHttpServer(Script script);
    ~RawHttpServer();

    Q_DISABLE_COPY_MOVE(RawHttpServer)

    QString base() const; // "http://127.0.0.1:PORT/"
    std::vector<std::string> requests() const; // "METHOD target" of each, in order
    // Each request as it came: its head, and any body sent with it.
    std::vector<std::string> heads() const;

    // The base address of a port nothing listens on.
    static QString refusingBase();

private:
    void acceptLoop();

    Script m_script;
    int m_port = 0;
    int m_listener; // after m_port, which opening it sets
    std::atomic<bool> m_stopping = false;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<std::string> m_heads;
    std::vector<std::thread> m_connections;
    std::thread m_acceptor;
};

// An HTTP/1.1 answer head without the blank line that ends it; `extra` holds
// further header lines, each ending in CR LF.
std::string responseHead(int status, std::string_view extra = "Content-Type: text/html\r\n");
// A whole answer with its Content-Length.
std::string response(int status, std::string_view body, std::string_view contentType = "text/html");

} // namespace corvale::test
