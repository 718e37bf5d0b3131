// SPDX-License-Identifier: GPL-3.0-or-later
// Serves a phone answer page of a given size, and its map page, on
// 127.0.0.1 until stopped: what corvale-lookup reads when its peak memory
// is measured. Usage: answerserver BYTES; prints the base address first.

#include <cstdio>
#include <string>

#include <httplib.h>

#include "benchpages.h"
#include "samplepages.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("Usage: answerserver BYTES\n", stderr);
        return 2;
    }
    const std::string page = corvale::tablesAndParagraphs(std::stoul(argv[1]));
    const std::string map = corvale::mapPage(corvale::businessPlace(*corvale::findPhone("3125550142")));

    // Sent as it is: cpp-httplib compresses what set_content gives it, and
    // takes seconds over a page this size.
    const auto serve = [](const std::string &body) {
        return [&body](const httplib::Request &, httplib::Response &response) {
            response.set_content_provider(body.size(), "text/html; charset=utf-8",
                                          [&body](size_t offset, size_t length, httplib::DataSink &sink) {
                                              return sink.write(body.data() + offset, length);
                                          });
        };
    };
    httplib::Server server;
    server.Post("/lookups/phonelocation.asp", serve(page));
    server.Post("/lookups/mapY.asp", serve(map));
    const int port = server.bind_to_any_port("127.0.0.1");
    std::printf("http://127.0.0.1:%d/\n", port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
