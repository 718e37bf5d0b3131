// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace corvale {

// An answer page of the phone lookup grown to `bytes` with what such pages
// hold: headings, paragraphs and small tables of listings, the same on
// every run. The answer's own rows come first.
inline std::string tablesAndParagraphs(size_t bytes)
{
    std::string page =
        "<!DOCTYPE html><html><head><title>Phone Number Lookup</title></head><body>"
        "<h2>Result for Phone Number</h2><div class=\"number\">(312) 555-0142</div>"
        "<table class=\"answer\"><tr><td>Company</td><td>Lakeshore Lantern Works</td></tr>"
        "<tr><td>Address</td><td>410 W Marlow Ave</td></tr><tr><td colspan=\"2\">Chicago, IL 60601-1234</td></tr>"
        "<tr><td>Prefix</td><td>312-555 Landline</td></tr><tr><td>Primary ZIP Code</td><td>60601</td></tr>"
        "<tr><td>Map</td><td><a href=\"mapY.asp?phone=3125550142\">Map-Y</a></td></tr></table>\n";
    const std::string end = "</body></html>\n";
    for (int n = 1;; ++n) {
        const std::string number = std::to_string(n);
        const std::string listing = "<h3>Nearby listing " + number + "</h3><p>The listing below was found near "
            "the number searched for. Its address and line type are as the exchange reported them; the distance "
            "is measured from the centre of ZIP code 60601 &amp; rounded to a tenth of a mile.</p>"
            "<table class=\"listing\"><tr><td class=\"label\">Company</td><td>Business " + number + "</td></tr>"
            "<tr><td class=\"label\">Address</td><td>" + number + " W Marlow Ave</td></tr>"
            "<tr><td class=\"label\">Distance</td><td>0." + std::to_string(n % 10) + " miles</td></tr></table>\n";
        if (page.size() + listing.size() + end.size() > bytes)
            break;
        page += listing;
    }
    // White space makes up the size exactly.
    page.append(bytes > page.size() + end.size() ? bytes - page.size() - end.size() : 0, ' ');
    return page + end;
}

} // namespace corvale
