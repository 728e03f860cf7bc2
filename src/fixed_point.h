#pragma once

#include <limits>

// The longest fixed-point double: sign, 309 integer digits, point, decimals.
constexpr int max_fixed_length(int decimals)
{
    return 1 + std::numeric_limits<double>::max_exponent10 + 1 + 1 + decimals;
}

// Writes `value` in fixed-point with `decimals` decimals, exactly as "%.*f"
// does in the "C" locale: correctly rounded from the stored double, ties to
// even, a minus sign kept on values that round to zero. The same bytes on
// every platform, whichever C runtime is linked. `out` must have room for
// max_fixed_length(decimals) characters; returns the end of what it wrote.
char* write_fixed(char* out, double value, int decimals);
