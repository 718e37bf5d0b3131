#pragma once

#include <deque>
#include <memory>

#include "lookup/phone2geo.h"
#include "scriptedtransport.h"

namespace corvale::test {

inline const QString kBase = QStringLiteral("http://lookup.test/");

// A client whose every call is answered from `answers`, in order.
struct ScriptedLookup
{
    explicit ScriptedLookup(std::deque<LookupAnswer> answers)
        : client(kBase, clock, [answers, log = log](LookupClock &) {
              ++log->transportsMade;
              return std::make_unique<ScriptedTransport>(answers, log);
          })
    {
    }

    std::shared_ptr<ScriptedTransport::Log> log = std::make_shared<ScriptedTransport::Log>();
    FakeLookupClock clock;
    LookupClient client;
};

} // namespace corvale::test
