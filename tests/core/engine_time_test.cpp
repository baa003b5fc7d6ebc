#include "platform/windows/win32.h"

#include "core/engine_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

std::string DateOf(uint32_t seconds) {
    const DateTime t = QV_TimeToDateTime(seconds);
    char text[32];
    snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

int DayOfYear(int year, int month, int day) {
    static const int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return before[month - 1] + day - 1 + (leap && month > 2 ? 1 : 0);
}

TEST(EngineTime, DatesKeepMonthAndDayOneBasedSecondsAreUnsignedAndTheCurrentDateAgreesWithTheCalendarClock) {
    // Local time is the C library's: pinning the zone to UTC makes conversions exact.
    _putenv("TZ=UTC");
    _tzset();
    EXPECT_EQ(DateOf(951782400u), "2000-02-29 00:00:00");
    EXPECT_EQ(DateOf(951782400u - 1), "2000-02-28 23:59:59");
    // The argument is unsigned: values past 2038 are dates after it, not before 1970. The
    // program library reads the record by its bytes.
    EXPECT_EQ(DateOf(0x80000000u), "2038-01-19 03:14:08");
    const DateTime value = QV_TimeToDateTime(0xFFFFFFFFu);
    unsigned char bytes[sizeof(DateTime)];
    static_assert(sizeof(DateTime) == 16, "DateTime is 16 bytes");
    memcpy(bytes, &value, sizeof bytes);
    // TimeToDateTime fills the first six fields only.
    const unsigned char expected[8] = {0x3A, 0x08, 2, 7, 6, 28, 15, 0};  // 2106-02-07 06:28:15
    EXPECT_EQ(memcmp(bytes, expected, sizeof expected), 0);
    // The current date and time agree with the calendar clock and fill every field.
    QVI_GetCurrentDateTime(nullptr);   // ignored, no crash
    // Retried when the second changes between the two readings.
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint32_t before = QV_GetCalendarTime();
        DateTime now = QV_GetDateTime();
        if (before != QV_GetCalendarTime())
            continue;
        DateTime converted = QV_TimeToDateTime(before);
        EXPECT_EQ(memcmp(&now, &converted, 8), 0);
        EXPECT_EQ(now.weekday, static_cast<int>((before / 86400 + 4) % 7));   // 1970-01-01 was a Thursday
        EXPECT_EQ(now.day_of_year, DayOfYear(now.year, now.month, now.day));
        return;
    }
    FAIL() << "the calendar clock never held still";
}

}  // namespace
