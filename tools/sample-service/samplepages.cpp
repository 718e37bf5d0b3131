// SPDX-License-Identifier: GPL-3.0-or-later
#include "samplepages.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>
#include <vector>

namespace corvale {

namespace {

constexpr std::string_view kLookupStyle =
    "body{margin:0;font-family:Arial,Helvetica,sans-serif;background:#eef1f5;color:#1d2733}"
    ".banner{background:#1f3b63;color:#fff;padding:10px 16px;font-size:20px;font-weight:bold}"
    ".content{margin:16px;padding:12px 18px;background:#fff;border:1px solid #c5ccd6;max-width:640px}"
    "h2{font-size:18px;color:#1f3b63;margin:4px 0 6px}"
    ".number{font-size:22px;margin-bottom:10px}"
    "table.answer{border-collapse:collapse}"
    "table.answer td{padding:4px 10px;border-bottom:1px solid #e3e7ec;vertical-align:top}"
    "table.answer td.label{width:10em;color:#4a5666}"
    "table.answer td.place{padding-left:calc(10em + 30px)}"
    ".footer{margin:0 16px 16px;font-size:12px;color:#6b7785}";

constexpr std::string_view kMapStyle =
    "body{margin:0;font-family:Arial,Helvetica,sans-serif;background:#e6eaf0;color:#1d2733}"
    ".titleborder{background:#1f3b63;color:#fff;padding:8px 14px;font-size:18px;font-weight:bold}"
    ".titleborder span{font-weight:normal;color:#c3d1e6;margin-left:12px;font-size:15px}"
    ".map{margin:10px 10px 6px;border:1px solid #8793a3;background:#f2efe9}"
    ".map svg{display:block;width:100%;height:auto}"
    ".caption{margin:0 12px 10px;font-size:13px}";

std::string document(std::string_view title, std::string_view style, std::string_view body)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    page += htmlEscaped(title);
    page += "</title>\n<style>";
    page += style;
    page += "</style>\n</head>\n<body>\n";
    page += body;
    page += "</body>\n</html>\n";
    return page;
}

std::string lookupPage(std::string_view title, std::string_view content)
{
    std::string body = "<div class=\"banner\">Corvale Sample Lookups</div>\n<div class=\"content\">\n";
    body += content;
    body +=
        "</div>\n<div class=\"footer\">Sample lookup service for testing. "
        "Every business, number and address on these pages is fictional.</div>\n";
    return document(title, kLookupStyle, body);
}

std::string answerRow(std::string_view label, std::string_view valueHtml)
{
    return "<tr><td class=\"label\">" + std::string(label) + "</td><td>" + std::string(valueHtml) + "</td></tr>\n";
}

// Address pages follow the service's own table layout, which the client reads by its raw markup.
std::string verifyRow(std::string_view label, std::string_view valueHtml)
{
    return "<tr><td align=right>" + std::string(label) + "</td><td align=left>" + std::string(valueHtml)
        + "</td></tr>\n";
}

std::string upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string degrees(double value, char positive, char negative)
{
    return fixed(std::fabs(value), 4) + "\u00b0 " + (value < 0 ? negative : positive);
}

// --- map drawing -----------------------------------------------------------

constexpr double kMapWidth = 860;
constexpr double kMapHeight = 500;
constexpr double kPixelsPerDegreeLatitude = 40000;
constexpr double kMetresPerDegreeLatitude = 111320;
constexpr double kStreetStepLatitude = 0.001;
constexpr double kStreetStepLongitude = 0.0015;
constexpr double kGridStep = 0.005;

struct Projection
{
    double latitude;
    double longitude;
    double pixelsPerDegreeLongitude;

    explicit Projection(double lat, double lon)
        : latitude(lat)
        , longitude(lon)
        , pixelsPerDegreeLongitude(kPixelsPerDegreeLatitude * std::cos(lat * std::numbers::pi / 180))
    { }
    double x(double lon) const { return kMapWidth / 2 + (lon - longitude) * pixelsPerDegreeLongitude; }
    double y(double lat) const { return kMapHeight / 2 - (lat - latitude) * kPixelsPerDegreeLatitude; }
    double west() const { return longitude - kMapWidth / 2 / pixelsPerDegreeLongitude; }
    double east() const { return longitude + kMapWidth / 2 / pixelsPerDegreeLongitude; }
    double south() const { return latitude - kMapHeight / 2 / kPixelsPerDegreeLatitude; }
    double north() const { return latitude + kMapHeight / 2 / kPixelsPerDegreeLatitude; }
};

std::string px(double value)
{
    return fixed(value, 1);
}

// The multiples of `step` between `from` and `to`, as whole step counts.
std::vector<long> stepsBetween(double from, double to, double step)
{
    std::vector<long> steps;
    for (auto i = static_cast<long>(std::ceil(from / step)); i * step <= to; ++i)
        steps.push_back(i);
    return steps;
}

std::string line(double x1, double y1, double x2, double y2)
{
    return "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" + px(y2) + "\"/>";
}

std::string streets(const Projection &p)
{
    const auto rows = stepsBetween(p.south(), p.north(), kStreetStepLatitude);
    const auto columns = stepsBetween(p.west(), p.east(), kStreetStepLongitude);
    // Every fifth street, counted from the same origin on every map, is an avenue.
    const auto isAvenue = [](long i) { return (i % 5 + 5) % 5 == 2; };
    std::string minor;
    std::string major;
    for (const long i : rows) {
        const double y = p.y(i * kStreetStepLatitude);
        (isAvenue(i) ? major : minor) += line(0, y, kMapWidth, y);
    }
    for (const long i : columns) {
        const double x = p.x(i * kStreetStepLongitude);
        (isAvenue(i) ? major : minor) += line(x, 0, x, kMapHeight);
    }
    // A park two blocks square west of the centre, its edges on avenues so
    // that no avenue crosses it.
    const auto avenueAtOrBelow = [&isAvenue](double index) {
        auto i = static_cast<long>(std::floor(index));
        while (!isAvenue(i))
            --i;
        return static_cast<double>(i);
    };
    const double parkSouth = avenueAtOrBelow(p.latitude / kStreetStepLatitude + 2) * kStreetStepLatitude;
    const double parkWest = avenueAtOrBelow(p.longitude / kStreetStepLongitude - 3) * kStreetStepLongitude;
    const double left = p.x(parkWest) + 8;
    const double top = p.y(parkSouth + 2 * kStreetStepLatitude) + 8;
    const double width = 2 * kStreetStepLongitude * p.pixelsPerDegreeLongitude - 16;
    const double height = 2 * kStreetStepLatitude * kPixelsPerDegreeLatitude - 16;

    std::string svg = "<g stroke=\"#ffffff\" stroke-width=\"6\">" + minor + "</g>\n";
    svg += "<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" + px(width) + "\" height=\"" + px(height)
        + "\" rx=\"4\" fill=\"#c8e6b4\" stroke=\"#a6cf8f\"/>\n";
    svg += "<text x=\"" + px(left + width / 2) + "\" y=\"" + px(top + height / 2 + 4)
        + "\" text-anchor=\"middle\" font-size=\"11\" fill=\"#4c7a38\">Park</text>\n";
    svg += "<path d=\"M0," + px(kMapHeight * 0.82) + " C" + px(kMapWidth * 0.3) + "," + px(kMapHeight * 0.72) + " "
        + px(kMapWidth * 0.55) + "," + px(kMapHeight * 1.02) + " " + px(kMapWidth) + "," + px(kMapHeight * 0.9)
        + "\" fill=\"none\" stroke=\"#aad3df\" stroke-width=\"26\"/>\n";
    svg += "<g stroke=\"#d9a441\" stroke-width=\"12\">" + major + "</g>\n";
    svg += "<g stroke=\"#fbd98a\" stroke-width=\"9\">" + major + "</g>\n";
    return svg;
}

std::string graticule(const Projection &p)
{
    std::string lines;
    std::string labels;
    for (const long i : stepsBetween(p.south(), p.north(), kGridStep)) {
        const double y = p.y(i * kGridStep);
        lines += line(0, y, kMapWidth, y);
        labels += "<text x=\"6\" y=\"" + px(y - 4) + "\">" + fixed(std::fabs(i * kGridStep), 3)
            + (i < 0 ? "\u00b0S" : "\u00b0N") + "</text>";
    }
    for (const long i : stepsBetween(p.west(), p.east(), kGridStep)) {
        const double x = p.x(i * kGridStep);
        lines += line(x, 0, x, kMapHeight);
        // The north arrow stands in the top right corner.
        if (x > kMapWidth - 120)
            continue;
        labels += "<text x=\"" + px(x + 4) + "\" y=\"14\">" + fixed(std::fabs(i * kGridStep), 3)
            + (i < 0 ? "\u00b0W" : "\u00b0E") + "</text>";
    }
    return "<g stroke=\"#4f74a3\" stroke-width=\"1\" stroke-dasharray=\"4 4\" opacity=\"0.6\">" + lines + "</g>\n"
        "<g font-size=\"11\" fill=\"#2e4f7a\" stroke=\"#f2efe9\" stroke-width=\"3\" paint-order=\"stroke\">"
        + labels + "</g>\n";
}

std::string scaleBar()
{
    const double metresPerPixel = kMetresPerDegreeLatitude / kPixelsPerDegreeLatitude;
    double metres = 50;
    for (const double candidate : {100.0, 200.0, 250.0, 500.0, 1000.0}) {
        if (candidate / metresPerPixel <= 200)
            metres = candidate;
    }
    const double length = metres / metresPerPixel;
    const double left = 16;
    const double top = kMapHeight - 24;
    const std::string label = metres >= 1000 ? fixed(metres / 1000, 0) + " km" : fixed(metres, 0) + " m";
    std::string svg = "<g font-size=\"11\" fill=\"#222\">";
    svg += "<rect x=\"" + px(left - 6) + "\" y=\"" + px(top - 16) + "\" width=\"" + px(length + 52)
        + "\" height=\"30\" rx=\"3\" fill=\"#ffffff\" fill-opacity=\"0.8\"/>";
    svg += "<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" + px(length / 2)
        + "\" height=\"6\" fill=\"#222\"/>";
    svg += "<rect x=\"" + px(left + length / 2) + "\" y=\"" + px(top) + "\" width=\"" + px(length / 2)
        + "\" height=\"6\" fill=\"#fff\" stroke=\"#222\"/>";
    svg += "<text x=\"" + px(left) + "\" y=\"" + px(top - 4) + "\">0</text>";
    svg += "<text x=\"" + px(left + length + 6) + "\" y=\"" + px(top + 7) + "\">" + label + "</text></g>\n";
    return svg;
}

std::string northArrow()
{
    const std::string x = px(kMapWidth - 34);
    return "<g transform=\"translate(" + x + ",58)\"><circle r=\"20\" fill=\"#ffffff\" fill-opacity=\"0.8\" "
           "stroke=\"#8793a3\"/><polygon points=\"0,-15 7,8 0,3 -7,8\" fill=\"#1f3b63\"/>"
           "<text y=\"-24\" text-anchor=\"middle\" font-size=\"13\" font-weight=\"bold\" fill=\"#1f3b63\">N</text></g>\n";
}

// A box of text lines centred on (x, y) or, with `anchorLeft`, starting at x.
std::string labelBox(double x, double y, const std::vector<std::pair<std::string, std::string>> &lines, bool anchorLeft)
{
    std::size_t longest = 0;
    for (const auto &[text, style] : lines)
        longest = std::max(longest, text.size());
    const double width = static_cast<double>(longest) * 7.6 + 24;
    const double height = static_cast<double>(lines.size()) * 18 + 14;
    const double left = anchorLeft ? x : x - width / 2;
    const double top = y - height / 2;
    std::string svg = "<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" + px(width) + "\" height=\""
        + px(height) + "\" rx=\"5\" fill=\"#ffffff\" stroke=\"#1f3b63\" stroke-width=\"1.5\"/>";
    double baseline = top + 22;
    for (const auto &[text, style] : lines) {
        svg += "<text x=\"" + px(left + 12) + "\" y=\"" + px(baseline) + "\" " + style + ">" + htmlEscaped(text)
            + "</text>";
        baseline += 18;
    }
    return svg + "\n";
}

std::string pin(double x, double y)
{
    return "<g transform=\"translate(" + px(x) + "," + px(y) + ")\">"
           "<ellipse cx=\"0\" cy=\"0\" rx=\"9\" ry=\"3.5\" fill=\"#000\" opacity=\"0.25\"/>"
           "<path d=\"M0,0 C-4,-12 -15,-19 -15,-31 A15,15 0 1 1 15,-31 C15,-19 4,-12 0,0Z\" fill=\"#d23a2e\" "
           "stroke=\"#ffffff\" stroke-width=\"2\"/><circle cx=\"0\" cy=\"-31\" r=\"5.5\" fill=\"#ffffff\"/></g>\n";
}

std::string mapSvg(const std::optional<MapPlace> &place)
{
    const Projection projection = place ? Projection(place->latitude, place->longitude) : Projection(0, 0);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + fixed(kMapWidth, 0) + " "
        + fixed(kMapHeight, 0) + "\" font-family=\"Arial,Helvetica,sans-serif\" role=\"img\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#f2efe9\"/>\n";
    svg += streets(projection);
    if (place) {
        svg += graticule(projection);
        const double x = projection.x(place->longitude);
        const double y = projection.y(place->latitude);
        svg += pin(x, y);
        svg += labelBox(x + 24, y - 62,
                        {{place->name, "font-size=\"15\" font-weight=\"bold\" fill=\"#1f3b63\""},
                         {place->detail, "font-size=\"13\" fill=\"#333\""},
                         {degrees(place->latitude, 'N', 'S') + ", " + degrees(place->longitude, 'E', 'W'),
                          "font-size=\"12\" fill=\"#555\""}},
                        true);
        svg += scaleBar();
    } else {
        svg += labelBox(kMapWidth / 2, kMapHeight / 2,
                        {{"No map is available for this place.", "font-size=\"15\" fill=\"#1f3b63\""}}, false);
    }
    svg += northArrow();
    svg += "<text x=\"" + px(kMapWidth - 8) + "\" y=\"" + px(kMapHeight - 8)
        + "\" text-anchor=\"end\" font-size=\"10\" fill=\"#6b7785\">Sample map \u00b7 fictional data</text>\n";
    return svg + "</svg>\n";
}

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\u%04x", c);
            out += escaped.data();
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// "24 Tamarack Cres": the house number and the road.
std::pair<std::string, std::string> houseAndRoad(std::string_view street)
{
    const std::size_t blank = street.find(' ');
    if (blank == std::string_view::npos || digitsOf(street.substr(0, blank)).size() != blank)
        return {{}, std::string(street)};
    return {std::string(street.substr(0, blank)), std::string(street.substr(blank + 1))};
}

} // namespace

std::string searchAnswer(const SampleEntry *entry)
{
    if (!entry)
        return "[]";
    const bool canadian = entry->country == Country::Canada;
    const auto [house, road] = houseAndRoad(entry->street);
    const std::string country = canadian ? "Canada" : "United States";
    const std::string display = std::string(entry->street) + ", " + std::string(entry->city) + ", "
        + std::string(entry->region) + ", " + std::string(entry->postalCode) + ", " + country;
    // An index of the entry stands in for the server's own numbers.
    const auto index = std::to_string(entry - sampleEntries().data() + 1);
    const double half = 0.0001;
    std::string address = "{";
    if (!house.empty())
        address += "\"house_number\":" + jsonString(house) + ",";
    address += "\"road\":" + jsonString(road) + ",\"city\":" + jsonString(entry->city)
        + ",\"state\":" + jsonString(entry->region) + ",\"postcode\":" + jsonString(entry->postalCode)
        + ",\"country\":" + jsonString(country) + ",\"country_code\":" + (canadian ? "\"ca\"" : "\"us\"") + "}";
    return "[{\"place_id\":" + index + "00,\"licence\":\"Sample data, fictional: no OpenStreetMap data\","
        "\"osm_type\":\"node\",\"osm_id\":" + index + "000,\"lat\":\"" + fixed(entry->latitude, 4)
        + "\",\"lon\":\"" + fixed(entry->longitude, 4) + "\",\"category\":\"place\",\"type\":\"house\","
        "\"place_rank\":30,\"importance\":0.00001,\"addresstype\":\"place\",\"name\":\"\",\"display_name\":"
        + jsonString(display) + ",\"address\":" + address + ",\"boundingbox\":[\"" + fixed(entry->latitude - half, 4)
        + "\",\"" + fixed(entry->latitude + half, 4) + "\",\"" + fixed(entry->longitude - half, 4) + "\",\""
        + fixed(entry->longitude + half, 4) + "\"]}]";
}

const SampleEntry *findMarker(std::string_view marker)
{
    const auto entries = sampleEntries();
    const auto it = std::find_if(entries.begin(), entries.end(), [marker](const SampleEntry &e) {
        return !e.street.empty() && marker == fixed(e.latitude, 4) + "," + fixed(e.longitude, 4);
    });
    return it == entries.end() ? nullptr : &*it;
}

std::string htmlEscaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string phoneAnswerPage(const SampleEntry &entry)
{
    const std::string areaCode(entry.phone.substr(0, 3));
    const std::string exchange = areaCode + "-" + std::string(entry.phone.substr(3, 3));
    // The client reads this page as text lines: the heading alone on its line,
    // the number on the next, and one line per row beginning with its label.
    std::string content = "<h2>Result for Phone Number</h2>\n<div class=\"number\">" + formattedPhone(entry)
        + "</div>\n<table class=\"answer\">\n";
    if (entry.mapLink) {
        content += answerRow("Company", htmlEscaped(entry.company));
        content += answerRow("Address", htmlEscaped(entry.street));
        // The place line must be the very next line, so it gets a row of one cell.
        content += "<tr><td class=\"place\" colspan=\"2\">" + htmlEscaped(placeLine(entry)) + "</td></tr>\n";
    } else {
        content += answerRow("Rate Center", htmlEscaped(entry.city) + ", " + std::string(entry.region));
    }
    // The line type is read as the last word of this row.
    content += answerRow("Prefix", exchange + " " + std::string(entry.lineType));
    content += answerRow("Primary ZIP Code", std::string(entry.postalCode.substr(0, 5)));
    content += answerRow("Area Code", areaCode);
    if (entry.mapLink)
        content += answerRow("Map", "<a href=\"mapY.asp?phone=" + std::string(entry.phone) + "\">Map-Y</a>");
    content += "</table>\n";
    if (!entry.mapLink)
        content += "<p>No street address is published for this number.</p>\n";
    return lookupPage("Phone Number Lookup", content);
}

std::string phoneNotFoundPage(std::string_view number)
{
    return lookupPage("Phone Number Lookup",
                      "<h2>Phone Number Lookup</h2>\n<p>The number " + htmlEscaped(number)
                          + " was not found.</p>\n<p>Check the number and try again.</p>\n");
}

std::string usAddressPage(const SampleEntry &entry)
{
    std::string content =
        "<h2>Address Verification</h2>\n<p>The address below is deliverable.</p>\n"
        "<table class=\"answer\">\n";
    content += verifyRow("Address", "<b>" + htmlEscaped(upper(entry.street)) + "</b>");
    content += verifyRow("City, State ZIP",
                         "<b>" + htmlEscaped(upper(entry.city)) + " " + std::string(entry.region) + " "
                             + std::string(entry.postalCode) + "</b>");
    content += verifyRow("Address Type", "Street");
    content += "<tr><td align=\"right\">Latitude &amp; Longitude</td><td align=\"left\"><b>" + fixed(entry.latitude, 4)
        + "</b> Degrees North &nbsp;&nbsp;<b>" + fixed(std::fabs(entry.longitude), 4) + "</b> Degrees West</td></tr>\n";
    content += verifyRow("Map", "<a href=mapY.asp?zip4=" + std::string(entry.postalCode) + ">MapY</a>");
    content += "</table>\n";
    return lookupPage("Address Verification", content);
}

std::string canadianAddressPage(const SampleEntry &entry)
{
    const std::string mapLink = "mapY.asp?postcode=" + compactPostcode(entry.postalCode);
    std::string content = "<h2>Canadian Address Lookup</h2>\n<table class=\"answer\">\n";
    content += verifyRow("Street", "<b>" + htmlEscaped(entry.street) + "</b>");
    content += verifyRow("City", "<b>" + htmlEscaped(entry.city) + "</b>");
    content += verifyRow("Province", "<b>" + std::string(entry.region) + "</b>");
    content += verifyRow("Postal Code", "<b>" + std::string(entry.postalCode) + "</b>");
    content += verifyRow("Latitude", "<b>" + fixed(entry.latitude, 4) + "</b> Degrees North");
    content += verifyRow("Longitude", "<b>" + fixed(std::fabs(entry.longitude), 4) + "</b> Degrees West");
    content += verifyRow("Maps", "<a href=" + mapLink + ">Google</a>&nbsp;&nbsp;<a href=" + mapLink + ">Yahoo</a>");
    content += "</table>\n";
    return lookupPage("Canadian Address Lookup", content);
}

std::string addressNotFoundPage(Country country)
{
    const bool canadian = country == Country::Canada;
    const std::string heading = canadian ? "Canadian Address Lookup" : "Address Verification";
    return lookupPage(heading,
                      "<h2>" + heading + "</h2>\n<p>The address was not found.</p>\n<p>Check the street, city and "
                          + (canadian ? "postal code" : "ZIP code") + " and try again.</p>\n");
}

std::string mapPage(const std::optional<MapPlace> &place)
{
    std::string body = "<div class=\"titleborder\">Map-Y<span>"
        + htmlEscaped(place ? place->name : std::string("No map for this place")) + "</span></div>\n"
        + "<!--TitleBorder in Shared.asp -->\n";
    if (place) {
        const std::string latitude = fixed(place->latitude, 4);
        const std::string longitude = fixed(place->longitude, 4);
        body += "<script type=\"text/javascript\">\nvar mapLatitude = " + latitude + ";\n//alert(" + latitude
            + ")\nvar mapLongitude = " + longitude + ";\n//alert(" + longitude + ")\n</script>\n";
    }
    body += "<div class=\"map\">\n" + mapSvg(place) + "</div>\n";
    if (place) {
        body += "<div class=\"caption\"><b>" + htmlEscaped(place->name) + "</b> \u2014 " + htmlEscaped(place->detail)
            + " \u2014 " + degrees(place->latitude, 'N', 'S') + ", " + degrees(place->longitude, 'E', 'W') + "</div>\n";
    }
    return document(place ? "Map-Y: " + place->name : std::string("Map-Y"), kMapStyle, body);
}

std::string busyPage()
{
    return lookupPage("Service Busy", "<h2>Service Busy</h2>\n<p>The lookup service is busy. Please try again.</p>\n");
}

MapPlace businessPlace(const SampleEntry &entry)
{
    return {std::string(entry.company), std::string(entry.street) + ", " + placeLine(entry), entry.latitude,
            entry.longitude};
}

MapPlace zipPlace(const SampleEntry &entry)
{
    return {"ZIP " + std::string(entry.postalCode.substr(0, 5)),
            std::string(entry.city) + ", " + std::string(entry.region), entry.latitude, entry.longitude};
}

MapPlace addressPlace(const SampleEntry &entry)
{
    return {std::string(entry.street), placeLine(entry), entry.latitude, entry.longitude};
}

} // namespace corvale
