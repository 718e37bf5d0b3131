// SPDX-License-Identifier: GPL-3.0-or-later
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include "sampledata.h"
#include "samplepages.h"

namespace corvale {

namespace {

constexpr const char *kUsage =
    "Usage: corvale-sample-service [--port N] [--fail-first N] [--delay-ms N] [--list] [--help]\n"
    "\n"
    "A stand-in for the outside lookup service of Corvale. Answers the pages\n"
    "lookups/phonelocation.asp, lookups/addressverify.asp,\n"
    "lookups/CanadianAddressVerify.asp and lookups/mapY.asp (POST or GET, fields\n"
    "in the query string) from a small built-in set of fictional listings, and\n"
    "stands in for a Nominatim server: GET search (structured, format jsonv2) and\n"
    "the map page export/embed.html for its street addresses.\n"
    "\n"
    "  --port N        listen on 127.0.0.1 port N; 0 (the default) takes a free port\n"
    "  --fail-first N  answer 500 to the first N requests for a lookups/ page\n"
    "  --delay-ms N    wait N milliseconds before answering each request\n"
    "  --list          print the sample numbers and addresses, then exit\n"
    "  --help          print this text, then exit\n"
    "\n"
    "The first line on stdout is the base address, e.g. http://127.0.0.1:8047/.\n"
    "Every request is logged to stderr as one line: METHOD /path?query.\n"
    "SIGINT or SIGTERM stops the service.\n";

struct Options
{
    int port = 0;
    int failFirst = 0;
    int delayMs = 0;
    bool list = false;
    bool help = false;
};

std::optional<int> parseCount(std::string_view text, int max)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > max)
        return std::nullopt;
    return value;
}

std::optional<Options> parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--list") {
            options.list = true;
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg == "--port" || arg == "--fail-first" || arg == "--delay-ms") {
            const auto value = i + 1 < argc ? parseCount(argv[++i], arg == "--port" ? 65535 : 1'000'000'000)
                                            : std::nullopt;
            if (!value) {
                std::fprintf(stderr, "corvale-sample-service: %s needs a whole number in range\n", argv[i - 1]);
                return std::nullopt;
            }
            (arg == "--port" ? options.port : arg == "--fail-first" ? options.failFirst : options.delayMs) = *value;
        } else {
            std::fprintf(stderr, "corvale-sample-service: unknown option %s\n", argv[i]);
            return std::nullopt;
        }
    }
    return options;
}

void sendPage(httplib::Response &response, std::string page)
{
    response.set_content(std::move(page), "text/html; charset=utf-8");
}

// The client POSTs with its fields in the query string; a browser GETs.
void serve(httplib::Server &server, const std::string &pattern, const httplib::Server::Handler &handler)
{
    server.Get(pattern, handler);
    server.Post(pattern, handler);
}

std::optional<MapPlace> mapPlaceFor(const httplib::Request &request)
{
    if (request.has_param("phone")) {
        if (const SampleEntry *entry = findPhone(request.get_param_value("phone")))
            return entry->company.empty() ? zipPlace(*entry) : businessPlace(*entry);
    } else if (request.has_param("zip4")) {
        if (const SampleEntry *entry = findZip(request.get_param_value("zip4")))
            return zipPlace(*entry);
    } else if (request.has_param("postcode")) {
        if (const SampleEntry *entry = findPostcode(request.get_param_value("postcode")))
            return addressPlace(*entry);
    }
    return std::nullopt;
}

void addRoutes(httplib::Server &server)
{
    serve(server, R"(/lookups/phonelocation\.asp)", [](const httplib::Request &request, httplib::Response &response) {
        const std::string number = request.get_param_value("number");
        const SampleEntry *entry = findPhone(number);
        sendPage(response, entry ? phoneAnswerPage(*entry) : phoneNotFoundPage(number));
    });
    serve(server, R"(/lookups/addressverify\.asp)", [](const httplib::Request &request, httplib::Response &response) {
        const SampleEntry *entry = findAddress(Country::UnitedStates, request.get_param_value("Address"),
                                               request.get_param_value("city"), request.get_param_value("zip"));
        sendPage(response, entry ? usAddressPage(*entry) : addressNotFoundPage(Country::UnitedStates));
    });
    serve(server, R"(/lookups/CanadianAddressVerify\.asp)",
          [](const httplib::Request &request, httplib::Response &response) {
              const SampleEntry *entry = findAddress(Country::Canada, request.get_param_value("Street"),
                                                     request.get_param_value("city"),
                                                     request.get_param_value("Postcode"));
              sendPage(response, entry ? canadianAddressPage(*entry) : addressNotFoundPage(Country::Canada));
          });
    serve(server, R"(/lookups/mapY\.asp)", [](const httplib::Request &request, httplib::Response &response) {
        sendPage(response, mapPage(mapPlaceFor(request)));
    });
    server.Get("/search", [](const httplib::Request &request, httplib::Response &response) {
        const std::string street = request.get_param_value("street");
        const std::string city = request.get_param_value("city");
        const std::string code = request.get_param_value("postalcode");
        const SampleEntry *entry = findAddress(Country::UnitedStates, street, city, code);
        response.set_content(searchAnswer(entry ? entry : findAddress(Country::Canada, street, city, code)),
                             "application/json; charset=utf-8");
    });
    server.Get("/export/embed.html", [](const httplib::Request &request, httplib::Response &response) {
        const SampleEntry *entry = findMarker(request.get_param_value("marker"));
        sendPage(response, mapPage(entry ? std::optional(addressPlace(*entry)) : std::nullopt));
    });
}

// Logging, the delay and the forced failures apply before any page is made.
void addFaults(httplib::Server &server, const Options &options, std::atomic<long> &lookupsSeen)
{
    server.set_pre_routing_handler(
        [&options, &lookupsSeen](const httplib::Request &request, httplib::Response &response) {
            std::fprintf(stderr, "%s %s\n", request.method.c_str(), request.target.c_str());
            if (options.delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(options.delayMs));
            if (request.path.starts_with("/lookups/") && lookupsSeen++ < options.failFirst) {
                response.status = 500;
                sendPage(response, busyPage());
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
}

int run(const Options &options)
{
    // Blocked here, the stop signals are taken by sigwait below and never
    // interrupt the server's threads, which inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    httplib::Server server;
    // Without the library's SO_REUSEPORT a second service on a taken port
    // fails instead of sharing it unnoticed.
    server.set_socket_options([](socket_t socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    // An answer goes out in two writes, head and body; with Nagle's algorithm
    // the body waits for the client's delayed acknowledgement of the head,
    // some 40 ms on every request after a connection's first.
    server.set_tcp_nodelay(true);
    std::atomic<long> lookupsSeen = 0;
    addRoutes(server);
    addFaults(server, options, lookupsSeen);

    const int port = options.port == 0 ? server.bind_to_any_port("127.0.0.1")
                                       : (server.bind_to_port("127.0.0.1", options.port) ? options.port : -1);
    if (port <= 0) {
        std::fprintf(stderr, "corvale-sample-service: cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }
    std::thread listener([&server] {
        server.listen_after_bind();
        // Wakes the wait below should the listener end by itself.
        kill(getpid(), SIGTERM);
    });
    // A stop before the listener runs would be lost, so the address, which
    // callers wait for, is told only once it runs.
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::printf("http://127.0.0.1:%d/\n", port);
    std::fflush(stdout);

    int signalNumber = 0;
    sigwait(&stopSignals, &signalNumber);
    server.stop();
    listener.join();
    return 0;
}

} // namespace

} // namespace corvale

int main(int argc, char **argv)
{
    const auto options = corvale::parseOptions(argc, argv);
    if (!options) {
        std::fputs("Try --help.\n", stderr);
        return 2;
    }
    if (options->help) {
        std::fputs(corvale::kUsage, stdout);
        return 0;
    }
    if (options->list) {
        std::fputs(corvale::sampleListing().c_str(), stdout);
        return 0;
    }
    return corvale::run(*options);
}
