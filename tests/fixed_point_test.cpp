#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "fixed_point.h"

namespace {

std::string ours(double value, int decimals)
{
    char text[max_fixed_length(6)];
    return std::string(text, write_fixed(text, value, decimals));
}

// The C library's printf is the reference for every byte.
std::string printfs(double value, int decimals)
{
    char text[max_fixed_length(6) + 1];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void expect_like_printf(const std::vector<double>& values)
{
    for (const double value : values) {
        for (const double signed_value : {value, -value}) {
            for (const int decimals : {2, 6}) {
                ASSERT_EQ(ours(signed_value, decimals), printfs(signed_value, decimals))
                    << std::hexfloat << signed_value << " with " << decimals << " decimals";
            }
        }
    }
}

TEST(FixedPoint, SpecialValues)
{
    const double inf = std::numeric_limits<double>::infinity();
    expect_like_printf({0.0, 1.0, 1e-7, 0.9999995, 0.999999500000001, 9.995, 0.005, 0.015, inf,
                        std::numeric_limits<double>::denorm_min(),
                        std::numeric_limits<double>::min(), std::numeric_limits<double>::max(),
                        std::nextafter(1e9, 0.0), 1e9, 123456789.123456789, 4503599627370496.5});
    EXPECT_EQ(ours(-1e-9, 6), "-0.000000");
    EXPECT_EQ(ours(-0.0, 2), "-0.00");
    EXPECT_EQ(ours(0.125, 2), "0.12");  // exactly half: to even
    EXPECT_EQ(ours(0.375, 2), "0.38");
    EXPECT_EQ(ours(0.0078125, 6), "0.007812");
    EXPECT_EQ(ours(std::numeric_limits<double>::quiet_NaN(), 6).substr(0, 3), "nan");
}

TEST(FixedPoint, ExactHalvesRoundToEven)
{
    // k / 2^n has a finite binary expansion, so scaled by 10^d it can land
    // exactly on a half.
    std::vector<double> values;
    for (int n = 1; n <= 30; ++n) {
        for (int k = 1; k < 4000; k += 1 + k / 7) {
            values.push_back(std::ldexp(k, -n));
            values.push_back(350 + std::ldexp(k, -n));
        }
    }
    expect_like_printf(values);
}

TEST(FixedPoint, NeighboursOfRoundingBoundaries)
{
    // The doubles next to x.xxxxxx5 and x.xx5, where a rounding error in
    // the scaling would show.
    std::vector<double> values;
    std::mt19937_64 random(7);
    std::uniform_int_distribution<long> digits(0, 999999999);
    for (int i = 0; i < 20000; ++i) {
        const double boundary = (static_cast<double>(digits(random)) + 0.5) / 1e6;
        double below = boundary;
        double above = boundary;
        for (int step = 0; step < 3; ++step) {
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, 1e300);
            values.push_back(below);
            values.push_back(above);
        }
        values.push_back(boundary);
        values.push_back((static_cast<double>(digits(random) % 100000) + 0.5) / 100);
    }
    expect_like_printf(values);
}

TEST(FixedPoint, RandomValuesOfEveryScale)
{
    std::vector<double> values;
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int i = 0; i < 200000; ++i) {
        values.push_back(unit(random) * std::pow(10.0, exponent(random) / 4.0));
    }
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t b = bits(random);
        double any = 0;
        static_assert(sizeof any == sizeof b);
        std::memcpy(&any, &b, sizeof any);
        if (std::isfinite(any)) {
            values.push_back(std::fabs(any));
        }
    }
    expect_like_printf(values);
}

}  // namespace
