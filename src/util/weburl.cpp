// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/weburl.h"

#include <QUrl>

namespace corvale {

bool isWebAddress(const QUrl &url)
{
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        && !url.host().isEmpty();
}

} // namespace corvale
