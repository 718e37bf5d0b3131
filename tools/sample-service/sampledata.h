// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace corvale {

enum class Country { UnitedStates, Canada };

// One row of the sample data set: a phone listing, a street address, or both.
struct SampleEntry
{
    std::string_view phone; // ten digits; empty for an address alone
    std::string_view company; // empty when the number has no published listing
    std::string_view street; // empty when no street address is published
    std::string_view city;
    std::string_view region; // state or province code
    std::string_view postalCode; // ZIP+4 ("60601-1234") or Canadian code ("K1A 0B1")
    std::string_view lineType; // phone listings only: "Landline" or "Cellular"
    bool mapLink; // the phone answer links its Map-Y page
    double latitude;
    double longitude; // west is negative
    Country country;
};

std::span<const SampleEntry> sampleEntries();

// A typed phone number, compared by its digits (a leading 1 is dropped).
const SampleEntry *findPhone(std::string_view number);
// Street and city compare without letter case and surrounding blanks; US
// addresses by the ZIP's first five characters, Canadian ones by the whole
// postal code without blanks or letter case.
const SampleEntry *findAddress(Country country, std::string_view street, std::string_view city,
                               std::string_view postalCode);
// The first US entry whose ZIP starts with the first five characters of `zip`.
const SampleEntry *findZip(std::string_view zip);
const SampleEntry *findPostcode(std::string_view postcode);

std::string digitsOf(std::string_view text);
std::string compactPostcode(std::string_view code); // "K1A0B1"
std::string formattedPhone(const SampleEntry &entry); // "(312) 555-0142"
std::string placeLine(const SampleEntry &entry); // "Chicago, IL 60601-1234"
std::string fixed(double value, int decimals);

// The data set as plain text, for people typing queries.
std::string sampleListing();

} // namespace corvale
