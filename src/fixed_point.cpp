#include "fixed_point.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

constexpr int fast_decimals = 6;
constexpr double scales[fast_decimals + 1] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
constexpr std::uint64_t integer_scales[fast_decimals + 1] = {1,     10,     100,    1000,
                                                             10000, 100000, 1000000};

// Below this, value * 10^decimals stays under 2^52, where the arithmetic
// of scaled_rounded is exact. Larger values are rare enough to leave to
// the library.
constexpr double fast_limit = 1e9;
// Below this, value * 10^6 < 0.1: it rounds to zero at any fast precision.
constexpr double rounds_to_zero = 1e-7;

// a * b == product + error exactly (Dekker's product by Veltkamp splitting),
// provided every intermediate is rounded to a double and nothing overflows
// or underflows.
void exact_product(double a, double b, double& product, double& error)
{
    constexpr double splitter = 134217729.0;  // 2^27 + 1
    const double ca = splitter * a;
    const double a_high = ca - (ca - a);
    const double a_low = a - a_high;
    const double cb = splitter * b;
    const double b_high = cb - (cb - b);
    const double b_low = b - b_high;
    product = a * b;
    error = ((a_high * b_high - product) + a_high * b_low + a_low * b_high) + a_low * b_low;
}

// magnitude * scale rounded to the nearest integer, ties to even, decided
// on the exact product rather than on its rounded double.
std::uint64_t scaled_rounded(double magnitude, double scale)
{
    double product = 0;
    double error = 0;
    exact_product(magnitude, scale, product, error);
    const auto whole = static_cast<std::uint64_t>(product);
    // Exact: product and whole share their integer bits, and 0.5 is a
    // multiple of the spacing of doubles below 2^52.
    const double past_half = (product - static_cast<double>(whole)) - 0.5;
    if (past_half > -error) {
        return whole + 1;
    }
    if (past_half < -error) {
        return whole;
    }
    return whole + (whole & 1);
}

}  // namespace

char* write_fixed(char* out, double value, int decimals)
{
    const double magnitude = std::fabs(value);
    if (decimals < 0 || decimals > fast_decimals || !(magnitude < fast_limit)) {
        return std::to_chars(out, out + max_fixed_length(decimals), value, std::chars_format::fixed,
                             decimals)
            .ptr;
    }
    const std::uint64_t scaled =
        magnitude < rounds_to_zero ? 0 : scaled_rounded(magnitude, scales[decimals]);
    if (std::signbit(value)) {
        *out++ = '-';
    }
    std::uint64_t whole = scaled / integer_scales[decimals];
    std::uint64_t fraction = scaled % integer_scales[decimals];

    char reversed[20];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    while (count > 0) {
        *out++ = reversed[--count];
    }
    if (decimals > 0) {
        *out++ = '.';
        for (int i = decimals - 1; i >= 0; --i) {
            out[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        out += decimals;
    }
    return out;
}
