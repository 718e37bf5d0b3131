// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup/inputrules.h"

#include <QStringList>

namespace corvale {

QString normalisePhoneNumber(const QString &typed)
{
    QString number = typed;
    for (const QChar separator : {u'-', u'(', u'.', u')', u' '})
        number.remove(separator);
    return number;
}

bool isAddressComplete(const QString &street, const QString &city, const QString &state, const QString &zip)
{
    return state.size() == 2 && zip.size() >= 5 && !city.isEmpty() && !street.isEmpty();
}

QString invalidNumberMessage()
{
    return QStringList{QStringLiteral("Valid entries look like any of these:"),
                       QStringLiteral("2223334444"),
                       QStringLiteral("(222)333-4444"),
                       QStringLiteral("(222) 333-4444"),
                       QStringLiteral("222-333-4444"),
                       QStringLiteral("222.333.4444")}
        .join(QStringLiteral("\r\n"));
}

} // namespace corvale
