#pragma once

// What the astro tests share: true constants (the program's own are rounded to
// ten digits), the angle between two vectors, the CSV fixtures.

#include "astro/Vectors.h"

#include <cctype>
#include <cmath>
#include <fstream>
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

// Numeric rows of a CSV fixture (path from the source root); '#' and header lines skipped.
inline std::vector<std::vector<double>> ReadCsv(const std::string& path) {
    std::string root = __FILE__;
    root.erase(root.rfind("/tests/astro/"));
    std::vector<std::vector<double>> rows;
    std::ifstream in(root + "/" + path);
    std::string line, field;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || std::isalpha(static_cast<unsigned char>(line[0])))
            continue;
        std::istringstream fields(line);
        rows.emplace_back();
        while (std::getline(fields, field, ','))
            rows.back().push_back(std::strtod(field.c_str(), nullptr));
    }
    return rows;
}

} // namespace astro_test
