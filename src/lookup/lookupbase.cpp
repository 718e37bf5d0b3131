// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/lookupbase.h"

#include <QUrl>

#include "util/weburl.h"

using namespace Qt::StringLiterals;

namespace corvale {

bool isServiceBase(const QString &value)
{
    const QUrl url(value, QUrl::StrictMode);
    return isWebAddress(url) && value.endsWith(u'/') && !url.hasQuery() && !url.hasFragment();
}

LookupBaseSetting checkLookupBase(const QString &value)
{
    if (!isServiceBase(value)) {
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
