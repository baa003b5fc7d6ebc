#include <windows.h>

#include "core/engine_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

class EngineTimeTest : public ::testing::Test {
protected:
    // Local time is the C library's: pinning the zone to UTC makes conversions exact.
    static void SetUpTestSuite()
    {
        _putenv("TZ=UTC");
        _tzset();
    }
};

void ExpectDate(const DateTime& value, int year, int month, int day, int hour, int minute, int second)
{
    EXPECT_EQ(value.year, year);
    EXPECT_EQ(value.month, month);
    EXPECT_EQ(value.day, day);
    EXPECT_EQ(value.hour, hour);
    EXPECT_EQ(value.minute, minute);
    EXPECT_EQ(value.second, second);
}

TEST_F(EngineTimeTest, EpochIsFirstOfJanuary1970)
{
    DateTime epoch = QV_TimeToDateTime(0);
    ExpectDate(epoch, 1970, 1, 1, 0, 0, 0);
    EXPECT_EQ(epoch.weekday, 0);
    EXPECT_EQ(epoch.day_of_year, 0);
}

TEST_F(EngineTimeTest, LeapDayKeepsMonthAndDayOneBased)
{
    ExpectDate(QV_TimeToDateTime(951782400u), 2000, 2, 29, 0, 0, 0);
    ExpectDate(QV_TimeToDateTime(951782400u - 1), 2000, 2, 28, 23, 59, 59);
}

// The argument is unsigned: values past 2038 are dates after it, not before 1970.
TEST_F(EngineTimeTest, SecondsAboveTheSignedRangeAreLaterDates)
{
    ExpectDate(QV_TimeToDateTime(0x80000000u), 2038, 1, 19, 3, 14, 8);
    ExpectDate(QV_TimeToDateTime(0xFFFFFFFFu), 2106, 2, 7, 6, 28, 15);
}

TEST_F(EngineTimeTest, DateTimeBytesSitWhereTheProgramLibraryReadsThem)
{
    DateTime value = QV_TimeToDateTime(0xFFFFFFFFu);   // 2106-02-07 06:28:15
    unsigned char bytes[sizeof(DateTime)];
    static_assert(sizeof(DateTime) == 16, "DateTime is 16 bytes");
    memcpy(bytes, &value, sizeof bytes);
    EXPECT_EQ(bytes[0] | (bytes[1] << 8), 2106);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[3], 7);
    EXPECT_EQ(bytes[4], 6);
    EXPECT_EQ(bytes[5], 28);
    EXPECT_EQ(bytes[6], 15);
    EXPECT_EQ(bytes[7], 0);

    DateTime now = QV_GetDateTime();
    memcpy(bytes, &now, sizeof bytes);
    int32_t weekday;
    memcpy(&weekday, bytes + 8, 4);
    EXPECT_EQ(weekday, now.weekday);
    EXPECT_EQ(bytes[12] | (bytes[13] << 8), now.day_of_year);
    EXPECT_EQ(bytes[14], 0);
    EXPECT_EQ(bytes[15], 0);
}

// Day of the week by Sakamoto's method, 0 being Sunday.
int WeekdayOf(int year, int month, int day)
{
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

int DayOfYear(int year, int month, int day)
{
    static const int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return before[month - 1] + day - 1 + (leap && month > 2 ? 1 : 0);
}

TEST_F(EngineTimeTest, CurrentDateTimeAgreesWithTheCalendarClock)
{
    // Retried when the second changes between the two readings.
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint32_t before = QV_GetCalendarTime();
        DateTime now = QV_GetDateTime();
        uint32_t after = QV_GetCalendarTime();
        if (before != after)
            continue;
        DateTime converted = QV_TimeToDateTime(before);
        ExpectDate(now, converted.year, converted.month, converted.day, converted.hour, converted.minute,
                   converted.second);
        EXPECT_EQ(now.weekday, WeekdayOf(now.year, now.month, now.day));
        EXPECT_EQ(now.day_of_year, DayOfYear(now.year, now.month, now.day));
        EXPECT_EQ(now.reserved7, 0);
        EXPECT_EQ(now.reserved14, 0);
        return;
    }
    FAIL() << "the calendar clock never held still";
}

TEST_F(EngineTimeTest, CalendarTimeIsTheCLibraryClock)
{
    uint32_t before = static_cast<uint32_t>(_time64(nullptr));
    uint32_t value = QV_GetCalendarTime();
    uint32_t after = static_cast<uint32_t>(_time64(nullptr));
    EXPECT_GE(value, before);
    EXPECT_LE(value, after);
}

TEST_F(EngineTimeTest, CurrentDateTimeIgnoresNull)
{
    QVI_GetCurrentDateTime(nullptr);
}

TEST_F(EngineTimeTest, MillisecondsCountFromTheEngineStartTime)
{
    QVI_SetEngineStartTime();
    uint32_t first = QV_GetMilliseconds();
    uint32_t second = QV_GetMilliseconds();
    EXPECT_GE(second, first);
    // Resetting the start brings the count back down to (at most) what had passed before.
    QVI_SetEngineStartTime();
    uint32_t third = QV_GetMilliseconds();
    uint32_t raw = GetTickCount();
    EXPECT_LE(third, QV_GetMilliseconds());
    EXPECT_LT(third, raw) << "the start time must be subtracted";
}

}  // namespace
