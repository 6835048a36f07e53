#include "bench_data.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace geolago::bench {

namespace {

// A uniform draw in [0, 1) from the top 53 bits of the generator, the same on every
// platform (std::uniform_real_distribution is not).
double uniform(std::mt19937_64& generator)
{
    return static_cast<double>(generator() >> 11) * 0x1.0p-53;
}

}  // namespace

std::string largestFileText()
{
    std::mt19937_64 generator(20240517);
    std::string text;
    text.reserve(Points * 700);
    char number[40];
    for (int i = 1; i <= Points; ++i) {
        // Points scattered over a 12 km by 9 km city, in metres.
        const double x = 12000 * uniform(generator);
        const double y = 9000 * uniform(generator);
        text += std::to_string(i);
        for (const double coordinate : {x, y}) {
            std::snprintf(number, sizeof number, " %.17g", coordinate);
            text += number;
        }
        for (int v = 1; v <= Variables; ++v) {
            // A trend across the city plus noise, on scales from 10^-3 to 10^3 and of
            // both signs, so that tokens range from short to the longest a 17-digit
            // value takes.
            const double scale = std::pow(10.0, v % 7 - 3);
            const double trend = std::sin(x / (800.0 + 90 * v)) + std::cos(y / (600.0 + 70 * v));
            const double value = scale * (trend + 0.5 * (uniform(generator) - 0.5)) * (v % 5 == 0 ? -1 : 1);
            std::snprintf(number, sizeof number, " %.17g", value);
            text += number;
        }
        text += '\n';
    }
    return text;
}

std::string writeScaleFile(const std::string& folder, long long points)
{
    std::filesystem::create_directories(folder);
    const std::string path = (std::filesystem::path(folder) / ("scale_" + std::to_string(points) + ".txt")).string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        throw std::runtime_error("cannot write " + path);
    std::mt19937_64 generator(20261208);
    for (long long i = 0; i < points; ++i) {
        const double x = 12000 * uniform(generator);
        const double y = 9000 * uniform(generator);
        const double value = std::sin(x / 330) + std::cos(y / 290) + (uniform(generator) - 0.5) * 2;
        std::fprintf(out, "%.9g %.9g %.9g\n", x, y, value);
    }
    if (std::fclose(out) != 0)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string writeLargestFile(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    const std::string path = (std::filesystem::path(folder) / "points_1000x30.txt").string();
    std::ofstream out(path, std::ios::binary);
    out << largestFileText();
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

}  // namespace geolago::bench
