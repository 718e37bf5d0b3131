// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "lookup/addressservice.h"
#include "lookup/lookupresult.h"

namespace corvale {

class LookupClock;
class LookupTransport;

// Asks the lookup service, and for addresses the address service chosen.
// Both lookups are synchronous; while they wait, pending window events are
// processed. They never raise or show anything: the outcome is in the
// outputs they assigned.
class LookupClient
{
public:
    using TransportFactory = std::function<std::unique_ptr<LookupTransport>(LookupClock &)>;

    // `base` must end in "/"; `clock` must outlive the client. Addresses go
    // to `addresses` unless it is the lookup service.
    LookupClient(QString base, LookupClock &clock, TransportFactory factory, AddressService addresses = {});
    // The network transport and the system clock.
    explicit LookupClient(QString base, AddressService addresses = {});
    ~LookupClient();

    void Phone2Geo(const QString &PhoneNumber, QString &Latitude, QString &Longitude, QString &MapLink,
                   QString &ResultText);
    void Address2Geo(const QString &Street, const QString &City, const QString &State, const QString &Zip,
                     QString &Latitude, QString &Longitude, QString &MapLink, QString &ResultText);

    void Phone2Geo(const QString &PhoneNumber, LookupResult &result);
    void Address2Geo(const QString &Street, const QString &City, const QString &State, const QString &Zip,
                     LookupResult &result);

    // The address of the service that places a phone number, or an
    // address, on its map; a saved map names it.
    QString serviceFor(bool address) const;

private:
    void nominatimAddress2Geo(const QString &Street, const QString &City, const QString &State, const QString &Zip,
                              QString &Latitude, QString &Longitude, QString &MapLink, QString &ResultText);

    QString m_base;
    AddressService m_addresses;
    RequestSpacing m_spacing;
    std::unique_ptr<LookupClock> m_ownClock;
    LookupClock &m_clock;
    TransportFactory m_factory;
};

// Form encoding of one query field (application/x-www-form-urlencoded).
QString encodeQueryField(const QString &field);

// Fills each placeholder run of `requestTemplate` with its encoded field;
// inserted text is never searched for another placeholder.
struct TemplateField
{
    QString placeholder;
    QString value;
};
QString fillTemplate(const QString &requestTemplate, const QList<TemplateField> &fields);

} // namespace corvale
