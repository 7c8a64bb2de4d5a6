// Numeric conversions with the system's integer semantics, free of undefined behaviour.
#pragma once

#include <cmath>
#include <limits>

namespace kavren {

// INT(x): truncate toward zero, saturating at the 32-bit limits; NaN gives 0.
inline int ifix(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return std::numeric_limits<int>::max();
    if (x <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(x);
}

// NINT(x): round half away from zero, saturating as ifix.
inline int nint(double x) {
    if (std::isnan(x)) return 0;
    return ifix(x >= 0.0 ? std::floor(x + 0.5) : std::ceil(x - 0.5));
}

}  // namespace kavren
