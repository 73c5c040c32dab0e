#include "astro/CoordinateText.h"

#include "astro/Frames.h"
#include "astro/TimeScales.h"
#include "astro/Vectors.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kMinutesPerUnit = 60.0;
constexpr double kSecondsPerUnit = 3600.0;
constexpr double kLargestUnits = 32767.0;
constexpr double kDegreesPerHour = 15.0;

// A quarter of one display step is added before splitting.
constexpr double kRoundingStep = 0.25;
// Tenths of an arcsecond per degree: the precision of signed degree texts.
constexpr double kTenthArcsecondsPerDegree = 36000.0;

// From these seconds on, the displayed value (hundredths of a second of time,
// tenths of an arcsecond) would read 60.
constexpr double kLastRASecond = 59.995;
constexpr double kLastDecSecond = 59.95;
constexpr int kLastMinute = 59;
constexpr int kLastHour = 23;

const char* const kSignedDMSFormat = "%c%02hd %02hd %04.1f";
const char* const kSexagesimalScan = "%hd%hd%lf";

const char* const kRAValueFormat = "%02hd %02hd %05.2f";
const char* const kDecValueFormat = "%c%02hd %02hd %04.1f";
const char* const kRALabelledFormat = "R.A. (%.1f): %02hdh %02hdm %05.2fs";
const char* const kDecLabelledFormat = "Dec. (%.1f): %c%02hd%c %02hd' %04.1f\"";
const char* const kRALabelFormat = "R.A. (%.1f):";
const char* const kDecLabelFormat = "Dec. (%.1f):";

const char* const kLonValueFormat = "%08.4f";
const char* const kLatValueFormat = "%+08.4f";

struct FrameLabels {
    const char* lonLabel;
    const char* latLabel;
    const char* lonLabelledFormat;
    const char* latLabelledFormat;
};
constexpr FrameLabels kEclipticLabels = {"Ecliptic Lon:", "Ecliptic Lat:", "Ecliptic Lon: %08.4f%c",
                                         "Ecliptic Lat: %+08.4f%c"};
constexpr FrameLabels kGalacticLabels = {"Galactic Lon:", "Galactic Lat:", "Galactic Lon: %08.4f%c",
                                         "Galactic Lat: %+08.4f%c"};
constexpr FrameLabels kHorizonLabels = {"Azimuth:", "Altitude:", "Azimuth: %08.4f%c",
                                        "Altitude: %+08.4f%c"};

// Seconds that would show as 60 become 0 of the next minute, and so on upwards.
void CarrySeconds(Sexagesimal& s, double lastSecond) {
    if (s.seconds >= lastSecond) {
        s.seconds = 0.0;
        ++s.minutes;
    }
    if (s.minutes > kLastMinute) {
        s.minutes = 0;
        ++s.units;
    }
}

void FormatEquatorial(double lon, double lat, int style, double epoch, std::string& lonText,
                      std::string& latText) {
    double year = YearFromJulianDate(epoch);
    char lonBuffer[64];
    char latBuffer[64];
    if (style == kCoordinateLabels) {
        std::snprintf(lonBuffer, sizeof lonBuffer, kRALabelFormat, year);
        std::snprintf(latBuffer, sizeof latBuffer, kDecLabelFormat, year);
        lonText = lonBuffer;
        latText = latBuffer;
        return;
    }
    Sexagesimal ra = SplitSexagesimal(lon * kDegreesPerRadian / kDegreesPerHour);
    CarrySeconds(ra, kLastRASecond);
    if (ra.units > kLastHour) ra.units = 0;
    Sexagesimal dec = SplitSexagesimal(lat * kDegreesPerRadian);
    CarrySeconds(dec, kLastDecSecond);
    if (style == kCoordinateValues) {
        std::snprintf(lonBuffer, sizeof lonBuffer, kRAValueFormat, ra.units, ra.minutes,
                      ra.seconds);
        std::snprintf(latBuffer, sizeof latBuffer, kDecValueFormat, dec.sign, dec.units,
                      dec.minutes, dec.seconds);
    } else {
        std::snprintf(lonBuffer, sizeof lonBuffer, kRALabelledFormat, year, ra.units, ra.minutes,
                      ra.seconds);
        std::snprintf(latBuffer, sizeof latBuffer, kDecLabelledFormat, year, dec.sign, dec.units,
                      kDegreeSign, dec.minutes, dec.seconds);
    }
    lonText = lonBuffer;
    latText = latBuffer;
}

void FormatLonLat(const FrameLabels& labels, double lon, double lat, int style,
                  std::string& lonText, std::string& latText) {
    if (style == kCoordinateLabels) {
        lonText = labels.lonLabel;
        latText = labels.latLabel;
        return;
    }
    double lonDegrees = lon * kDegreesPerRadian;
    double latDegrees = lat * kDegreesPerRadian;
    // A longitude a hair below 360 degrees is shown as 0, not as 360.0000.
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.4f", lonDegrees);
    if (std::strncmp(probe, "360.", 4) == 0) lonDegrees = 0.0;

    char lonBuffer[64];
    char latBuffer[64];
    if (style == kCoordinateValues) {
        std::snprintf(lonBuffer, sizeof lonBuffer, kLonValueFormat, lonDegrees);
        std::snprintf(latBuffer, sizeof latBuffer, kLatValueFormat, latDegrees);
    } else {
        std::snprintf(lonBuffer, sizeof lonBuffer, labels.lonLabelledFormat, lonDegrees,
                      kDegreeSign);
        std::snprintf(latBuffer, sizeof latBuffer, labels.latLabelledFormat, latDegrees,
                      kDegreeSign);
    }
    lonText = lonBuffer;
    latText = latBuffer;
}

} // namespace

Sexagesimal SplitSexagesimal(double value) {
    Sexagesimal s{'+', 0, 0, 0.0};
    if (std::isnan(value)) return s;
    s.sign = value >= 0.0 ? '+' : '-';
    double v = std::fabs(value);
    if (v > kLargestUnits) v = kLargestUnits;
    double units = std::trunc(v);
    double minutes = std::trunc((v - units) * kMinutesPerUnit);
    s.units = static_cast<std::int16_t>(units);
    s.minutes = static_cast<std::int16_t>(minutes);
    s.seconds = (v - units - minutes / kMinutesPerUnit) * kSecondsPerUnit;
    // minutes / 60 can round above the fraction it was cut from; the few ulps
    // below zero would print as "-0.00".
    if (s.seconds < 0.0) s.seconds = 0.0;
    return s;
}

Sexagesimal SplitRounded(double value, double stepsPerUnit) {
    if (stepsPerUnit > 0.0) {
        // The step goes onto the magnitude: added to a negative value it would
        // shrink it and make -0.5 show as -00 29 60.0.
        double step = kRoundingStep / stepsPerUnit;
        value = value >= 0.0 ? value + step : value - step;
    }
    return SplitSexagesimal(value);
}

std::string FormatSignedDMS(double degrees, const char* format) {
    Sexagesimal s = SplitRounded(degrees, kTenthArcsecondsPerDegree);
    if (format == nullptr) {
        // Tenths of an arcsecond: the quarter step alone does not keep 59.96"
        // from rounding up to 60.0.
        CarrySeconds(s, kLastDecSecond);
        format = kSignedDMSFormat;
    }
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, s.sign, s.units, s.minutes, s.seconds);
    return buffer;
}

double ParseSexagesimal(const std::string& text, const char* format) {
    short units = 0;
    short minutes = 0;
    double seconds = 0.0;
    if (std::sscanf(text.c_str(), format != nullptr ? format : kSexagesimalScan, &units, &minutes,
                    &seconds) < 1)
        return 0.0;
    double value = std::abs(units) + minutes / kMinutesPerUnit + seconds / kSecondsPerUnit;
    std::size_t first = 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    return first < text.size() && text[first] == '-' ? -value : value;
}

bool ReadSexagesimal(const std::string& text, int most, double& value) {
    double parts[3] = {0.0, 0.0, 0.0};
    int count = 0;
    bool negative = false;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        if (i == text.size()) break;
        if (count == most || count == 3) return false;
        // Only a decimal number: no "inf", "nan" or hexadecimal, and a sign on
        // the first number only.
        std::size_t end = i;
        while (end < text.size() && std::strchr("0123456789.eE+-", text[end]) != nullptr &&
               text[end] != '\0')
            ++end;
        std::string token = text.substr(i, end - i);
        if (count > 0 && (token[0] == '-' || token[0] == '+')) return false;
        char* stop = nullptr;
        double v = std::strtod(token.c_str(), &stop);
        if (token.empty() || *stop != '\0' || !std::isfinite(v)) return false;
        if (count == 0) negative = token[0] == '-';
        parts[count++] = std::abs(v);
        i = end;
    }
    if (count == 0) return false;
    if (count > 1 && parts[0] != std::floor(parts[0])) return false;
    for (int k = 1; k < count; ++k)
        if (parts[k] >= 60.0) return false;
    double v = parts[0] + parts[1] / kMinutesPerUnit + parts[2] / kSecondsPerUnit;
    value = negative ? -v : v;
    return true;
}

void FormatCoordinates(int frame, double lon, double lat, int style, double epoch,
                       std::string& lonText, std::string& latText) {
    lonText.clear();
    latText.clear();
    if (style != kCoordinateLabels && style != kCoordinateValues &&
        style != kCoordinateLabelledValues)
        return;
    lon = ReduceAngle(lon);
    switch (frame) {
    case kFrameEquatorial:
        FormatEquatorial(lon, lat, style, epoch, lonText, latText);
        break;
    case kFrameEcliptic:
        FormatLonLat(kEclipticLabels, lon, lat, style, lonText, latText);
        break;
    case kFrameGalactic:
        FormatLonLat(kGalacticLabels, lon, lat, style, lonText, latText);
        break;
    case kFrameHorizon:
        FormatLonLat(kHorizonLabels, lon, lat, style, lonText, latText);
        break;
    default:
        break;
    }
}
