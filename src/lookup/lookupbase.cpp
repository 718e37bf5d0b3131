#include "lookup/lookupbase.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace corvale {

LookupBaseSetting checkLookupBase(const QString &value)
{
    const QUrl url(value, QUrl::StrictMode);
    const bool webScheme = url.scheme() == u"http"_s || url.scheme() == u"https"_s;
    // Every request path and its query are appended to the base: a query or
    // fragment of its own would swallow them.
    if (!url.isValid() || !webScheme || url.host().isEmpty() || !value.endsWith(u'/') || url.hasQuery()
        || url.hasFragment()) {
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
