#pragma once

// What the astro tests share: true constants (the program's own are rounded to
// ten digits), the angle between two vectors, the CSV fixtures, and a process
// time zone held for the length of a test.

#include "astro/Vectors.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace astro_test {

constexpr double kTruePi = 3.14159265358979323846;
constexpr double kTurn = 2.0 * kTruePi;
constexpr double kDeg = kTruePi / 180.0;
constexpr double kArcsec = kDeg / 3600.0;

// Robust for tiny angles, unlike acos of the dot product.
inline double AngleBetween(const Vector3& a, const Vector3& b) {
    Vector3 cross;
    CrossProduct(a, b, cross);
    return std::atan2(VectorLength(cross), DotProduct(a, b));
}

// Difference of two angles folded into (-pi, pi].
inline double AngleDifference(double a, double b) {
    return std::remainder(a - b, kTurn);
}

inline std::string SourceRoot() {
    std::string file = __FILE__;
    for (int up = 0; up < 3; ++up)
        file.erase(file.rfind('/'));
    return file;
}

// The numeric rows of a CSV fixture under the source tree; lines that start
// with '#' or a letter are comments and headers.
inline std::vector<std::vector<double>> ReadCsv(const std::string& path) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(SourceRoot() + "/" + path);
    std::string line, field;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || std::isalpha(static_cast<unsigned char>(line[0])))
            continue;
        std::vector<double> row;
        std::istringstream fields(line);
        while (std::getline(fields, field, ','))
            row.push_back(std::strtod(field.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

} // namespace astro_test
