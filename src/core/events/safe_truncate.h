#pragma once

#include <cmath>
#include <cstdint>

// Float to int toward zero without the undefined behaviour of an out-of-range cast:
// positions come from window messages and from axes the program may have set to
// anything, NaN and infinities included. NaN gives 0; values beyond int32 are clamped.
inline int32_t QVI_TruncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
