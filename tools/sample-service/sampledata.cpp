// SPDX-License-Identifier: GPL-3.0-or-later
#include "sampledata.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <iterator>

namespace corvale {

namespace {

constexpr auto US = Country::UnitedStates;
constexpr auto CA = Country::Canada;

// Every business, street and number here is made up; the numbers lie in the
// 555-0100..555-0199 block that is never assigned to anyone.
constexpr std::array kEntries{
    //          phone         company                        street                   city             region postal
    //          code   line type   map    latitude  longitude  country
    SampleEntry{"3125550142", "Lakeshore Lantern Works", "410 W Marlow Ave", "Chicago", "IL", "60601-1234", "Landline",
                true, 41.8853, -87.6298, US},
    SampleEntry{"2065550117", "Puget Tinsmith Cooperative", "88 Harborview Pl", "Seattle", "WA", "98101-2710",
                "Landline", true, 47.6080, -122.3352, US},
    SampleEntry{"6175550163", "Beacon Quill Bookbinders", "27 Cordwain St", "Boston", "MA", "02108-3305", "Landline",
                true, 42.3570, -71.0630, US},
    SampleEntry{"5125550188", "Bluebonnet Kiln & Pottery", "1200 Pecan Hollow Rd", "Austin", "TX", "78701-4412",
                "Landline", true, 30.2700, -97.7431, US},
    SampleEntry{"4155550126", "", "", "San Francisco", "CA", "94103", "Cellular", false, 37.7725, -122.4091, US},
    SampleEntry{"3035550150", "", "", "Denver", "CO", "80202", "Landline", false, 39.7527, -104.9992, US},
    SampleEntry{"", "", "1550 Juniper Ter", "Portland", "OR", "97205-1123", "", false, 45.5190, -122.6850, US},
    SampleEntry{"", "", "77 Foxglove Ln", "Madison", "WI", "53703-2210", "", false, 43.0747, -89.3841, US},
    SampleEntry{"", "", "24 Tamarack Cres", "Ottawa", "ON", "K1A 0B1", "", false, 45.4215, -75.6972, CA},
    SampleEntry{"", "", "310 Cedar Wharf Rd", "Vancouver", "BC", "V6B 4Y8", "", false, 49.2827, -123.1207, CA},
    SampleEntry{"", "", "95 Rue des Tisserands", "Montréal", "QC", "H2Y 1C6", "", false, 45.5048, -73.5550, CA},
};

// Trimmed, inner runs of blanks made one, ASCII letters in lower case.
std::string folded(std::string_view text)
{
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

template<typename Predicate>
const SampleEntry *findFirst(Predicate matches)
{
    const auto it = std::find_if(kEntries.begin(), kEntries.end(), matches);
    return it == kEntries.end() ? nullptr : &*it;
}

} // namespace

std::span<const SampleEntry> sampleEntries()
{
    return kEntries;
}

std::string digitsOf(std::string_view text)
{
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c >= '0' && c <= '9'; });
    return out;
}

const SampleEntry *findPhone(std::string_view number)
{
    std::string digits = digitsOf(number);
    if (digits.size() == 11 && digits.front() == '1')
        digits.erase(0, 1);
    if (digits.empty())
        return nullptr;
    return findFirst([&](const SampleEntry &e) { return e.phone == digits; });
}

const SampleEntry *findAddress(Country country, std::string_view street, std::string_view city,
                               std::string_view postalCode)
{
    const std::string wantedStreet = folded(street);
    const std::string wantedCity = folded(city);
    const std::string wantedCode = country == Country::Canada ? compactPostcode(postalCode)
                                                              : std::string(postalCode.substr(0, 5));
    return findFirst([&](const SampleEntry &e) {
        if (e.country != country || e.street.empty())
            return false;
        const std::string code = country == Country::Canada ? compactPostcode(e.postalCode)
                                                            : std::string(e.postalCode.substr(0, 5));
        return folded(e.street) == wantedStreet && folded(e.city) == wantedCity && code == wantedCode;
    });
}

const SampleEntry *findZip(std::string_view zip)
{
    const std::string_view wanted = zip.substr(0, 5);
    if (wanted.size() < 5)
        return nullptr;
    return findFirst([&](const SampleEntry &e) {
        return e.country == Country::UnitedStates && e.postalCode.substr(0, 5) == wanted;
    });
}

const SampleEntry *findPostcode(std::string_view postcode)
{
    const std::string wanted = compactPostcode(postcode);
    return findFirst(
        [&](const SampleEntry &e) { return e.country == Country::Canada && compactPostcode(e.postalCode) == wanted; });
}

std::string compactPostcode(std::string_view code)
{
    std::string out;
    for (const char c : code) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string formattedPhone(const SampleEntry &entry)
{
    const std::string_view p = entry.phone;
    return "(" + std::string(p.substr(0, 3)) + ") " + std::string(p.substr(3, 3)) + "-" + std::string(p.substr(6));
}

std::string placeLine(const SampleEntry &entry)
{
    return std::string(entry.city) + ", " + std::string(entry.region) + " " + std::string(entry.postalCode);
}

std::string fixed(double value, int decimals)
{
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
    return buffer.data();
}

std::string sampleListing()
{
    std::string phones = "Phone numbers (lookups/phonelocation.asp):\n";
    std::string us = "US addresses (lookups/addressverify.asp): street | city | state | ZIP\n";
    std::string ca = "Canadian addresses (lookups/CanadianAddressVerify.asp): street | city | province | postal code\n";
    for (const SampleEntry &e : kEntries) {
        if (!e.phone.empty()) {
            phones += "  " + formattedPhone(e) + "  " + std::string(e.lineType) + (e.mapLink ? ", map" : ", no map")
                + "  ";
            phones += e.company.empty() ? placeLine(e)
                                        : std::string(e.company) + ", " + std::string(e.street) + ", " + placeLine(e);
            phones += "\n";
        }
        if (e.street.empty())
            continue;
        std::string &list = e.country == Country::Canada ? ca : us;
        list += "  " + std::string(e.street) + " | " + std::string(e.city) + " | " + std::string(e.region) + " | "
            + std::string(e.postalCode) + "  (" + fixed(e.latitude, 4) + ", " + fixed(e.longitude, 4) + ")\n";
    }
    return phones + "\n" + us + "\n" + ca + "\nAny other number or address answers \"was not found\".\n";
}

} // namespace corvale
