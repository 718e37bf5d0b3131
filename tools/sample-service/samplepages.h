// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sampledata.h"

namespace corvale {

// What a map page shows: a pin with a name and a line under it.
struct MapPlace
{
    std::string name;
    std::string detail;
    double latitude = 0;
    double longitude = 0; // west is negative
};

// The pages of the lookups/ folder. Every page is a whole UTF-8 HTML document.
std::string phoneAnswerPage(const SampleEntry &entry);
std::string phoneNotFoundPage(std::string_view number);
std::string usAddressPage(const SampleEntry &entry);
std::string canadianAddressPage(const SampleEntry &entry);
std::string addressNotFoundPage(Country country);
// Without a place: a plain street map with no pin and no coordinates.
std::string mapPage(const std::optional<MapPlace> &place);
std::string busyPage();

// What the map page shows for a phone listing, a ZIP code, a street address.
MapPlace businessPlace(const SampleEntry &entry);
MapPlace zipPlace(const SampleEntry &entry);
MapPlace addressPlace(const SampleEntry &entry);

// The address service's answer (Nominatim's search, format jsonv2) for a
// street address: a list of the entry's place, or an empty list.
std::string searchAnswer(const SampleEntry *entry);
// The entry placed at `marker` ("LAT,LON" as the search answered), if any.
const SampleEntry *findMarker(std::string_view marker);

std::string htmlEscaped(std::string_view text);

} // namespace corvale
