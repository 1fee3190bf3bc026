#pragma once
#include <cmath>
#include <cstdint>

namespace polyvane {

// Truncates toward zero and keeps the low 16 bits of the integer, as a signed 16-bit value. Defined
// for every double: values too large for any integer type wrap as their integer would, NaN gives 0.
inline std::int16_t TruncToInt16(double value) {
    if (!std::isfinite(value))
        return 0;
    double t = std::trunc(value);
    if (t >= -2147483648.0 && t < 2147483648.0)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::int32_t>(t)));
    double r = std::fmod(t, 65536.0); // exact
    if (r < 0)
        r += 65536.0;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(r)));
}

// Truncates toward zero to a 32-bit integer; out-of-range values wrap as two's complement, NaN gives 0.
inline std::int32_t TruncToInt32(double value) {
    if (!std::isfinite(value))
        return 0;
    double t = std::trunc(value);
    if (t >= -2147483648.0 && t < 2147483648.0)
        return static_cast<std::int32_t>(t);
    double r = std::fmod(t, 4294967296.0);
    if (r < 0)
        r += 4294967296.0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(r));
}

} // namespace polyvane
