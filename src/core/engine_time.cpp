#include "core/engine_time.h"

#include "platform/os.h"

#include <ctime>

namespace {

uint32_t g_engineStartTime = 0;

// Local-time conversion of seconds since 1970; false when the C library refuses the value.
bool ToLocalTime(__time64_t seconds, struct tm* out)
{
    return _localtime64_s(out, &seconds) == 0;
}

void FillDateAndClock(const struct tm& local, DateTime* out)
{
    out->year = static_cast<uint16_t>(1900 + local.tm_year);
    out->month = static_cast<uint8_t>(local.tm_mon + 1);
    out->day = static_cast<uint8_t>(local.tm_mday);
    out->hour = static_cast<uint8_t>(local.tm_hour);
    out->minute = static_cast<uint8_t>(local.tm_min);
    out->second = static_cast<uint8_t>(local.tm_sec);
}

}  // namespace

void QV_Sleep(uint32_t milliseconds)
{
    QVI_OsSleep(milliseconds);
}

uint32_t QV_GetMilliseconds()
{
    // Unsigned subtraction: correct across the 49.7-day wrap of the system clock.
    return QVI_OsMilliseconds() - g_engineStartTime;
}

void QVI_SetEngineStartTime()
{
    g_engineStartTime = QVI_OsMilliseconds();
}

uint32_t QV_GetCalendarTime()
{
    return static_cast<uint32_t>(_time64(nullptr));
}

DateTime QV_TimeToDateTime(uint32_t seconds)
{
    // weekday and day_of_year stay 0: this conversion fills year to second only.
    DateTime result = {};
    struct tm local = {};
    if (!ToLocalTime(static_cast<__time64_t>(seconds), &local))
        return result;
    FillDateAndClock(local, &result);
    return result;
}

void QVI_GetCurrentDateTime(DateTime* out)
{
    if (!out)
        return;
    *out = DateTime{};
    struct tm local = {};
    if (!ToLocalTime(_time64(nullptr), &local))
        return;
    FillDateAndClock(local, out);
    out->weekday = local.tm_wday;
    out->day_of_year = static_cast<uint16_t>(local.tm_yday);
}

DateTime QV_GetDateTime()
{
    DateTime result = {};
    QVI_GetCurrentDateTime(&result);
    return result;
}
