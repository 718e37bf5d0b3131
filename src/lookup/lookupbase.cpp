// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/lookupbase.h"

#include <QUrl>

#include "util/weburl.h"

using namespace Qt::StringLiterals;

namespace corvale {

LookupBaseSetting checkLookupBase(const QString &value)
{
    const QUrl url(value, QUrl::StrictMode);
    // Every request path and its query are appended to the base: it must end
    // in "/", and a query or fragment of its own would swallow them.
    if (!isWebAddress(url) || !value.endsWith(u'/') || url.hasQuery() || url.hasFragment()) {
        return {{},
                QStringLiteral("%1 must be an http or https address ending in \"/\", without \"?\" or "
                               "\"#\", not \"%2\"")
                    .arg(QLatin1String(kLookupBaseVariable), value)};
    }
    return {value, {}};
}

LookupBaseSetting LookupBase()
{
    if (qEnvironmentVariableIsSet(kLookupBaseVariable))
        return checkLookupBase(qEnvironmentVariable(kLookupBaseVariable));
    return {QLatin1String(kDefaultLookupBase), {}};
}

} // namespace corvale
