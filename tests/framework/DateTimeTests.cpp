// Dates and times: calendar edges, negative date-times, text forms, parsing, the clock seam.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/DateTime.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"

namespace {

class TFixedClock : public TClock {
 public:
  explicit TFixedClock(TDateTime t) : time(t) {}
  TDateTime Now() const override { return time; }
  TDateTime time;
};

class DateTimeTest : public testing::Test {
 protected:
  void SetUp() override { previous_ = SetClock(&clock_); }
  void TearDown() override { SetClock(previous_); }

  TFormatSettingsOverride settings_{TFormatSettings::English()};
  // Wednesday 14 March 2024, 15:09:26.535
  TFixedClock clock_{EncodeDate(2024, 3, 14) + EncodeTime(15, 9, 26, 535)};
  TClock* previous_ = nullptr;
};

struct TParts {
  int y, m, d, h, n, s, z;
  bool operator==(const TParts&) const = default;
};

TParts Parts(TDateTime v) {
  TParts p{};
  DecodeDateTime(v, p.y, p.m, p.d, p.h, p.n, p.s, p.z);
  return p;
}

}  // namespace

TEST_F(DateTimeTest, CalendarEdges) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0) << "1900 is no leap year";
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(Joined({2000, 2024, 1900, 2023}, [](int y) { return IsLeapYear(y); }), "true|true|false|false");
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  TDateTime d = 0;
  // Year, month and day as one number.
  EXPECT_EQ(Joined({20000229, 19000229, 20230431, 101, 100000101, 20231301, 20230100},
                   [&](int v) { return TryEncodeDate(v / 10000, v / 100 % 100, v % 100, d); }),
            "true|false|false|false|false|false|false");
  EXPECT_EQ(Raised<EConvertError>([] { EncodeDate(2023, 2, 29); }), "Invalid argument to date encode");
  EXPECT_EQ(Raised<EConvertError>([] { EncodeTime(24, 0, 0, 0); }), "Invalid argument to time encode");
  EXPECT_EQ(Raised<EConvertError>([] { EncodeTime(0, 60, 0, 0); }), "Invalid argument to time encode");
  EXPECT_EQ(Raised<EConvertError>([] { EncodeTime(0, 0, 0, 1000); }), "Invalid argument to time encode");
}

TEST_F(DateTimeTest, DecodeRoundTripsEveryDayOfSomeYears) {
  for (int y : {1, 4, 100, 400, 1600, 1899, 1900, 2000, 2024, 9999}) {
    for (int m = 1; m <= 12; ++m) {
      for (int d = 1; d <= DaysInMonth(y, m); ++d) {
        int yy, mm, dd;
        DecodeDate(EncodeDate(y, m, d), yy, mm, dd);
        ASSERT_EQ(yy * 10000 + mm * 100 + dd, y * 10000 + m * 100 + d);
      }
    }
  }
}

TEST_F(DateTimeTest, NegativeDateTimesCountTheTimeForward) {
  EXPECT_EQ(Parts(-1.25), (TParts{1899, 12, 29, 6, 0, 0, 0}));
  EXPECT_EQ(Parts(-0.5), (TParts{1899, 12, 30, 12, 0, 0, 0}));
  EXPECT_EQ(Parts(ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(18, 0, 0, 0))),
            (TParts{1899, 12, 29, 18, 0, 0, 0}));
  EXPECT_EQ(Parts(ComposeDateTime(EncodeDate(2000, 1, 1), EncodeTime(18, 0, 0, 0))), (TParts{2000, 1, 1, 18, 0, 0, 0}));
  EXPECT_EQ(DayOfWeek(0), 7) << "30 December 1899 was a Saturday";
  EXPECT_EQ(DayOfWeek(-1), 6);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 14)), 5);
  EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2) << "a Monday in the proleptic calendar";
}

TEST_F(DateTimeTest, TimesRoundToTheMillisecondAndCarryOverMidnight) {
  EXPECT_EQ(Parts(EncodeTime(23, 59, 59, 999)), (TParts{1899, 12, 30, 23, 59, 59, 999}));
  EXPECT_EQ(Parts(EncodeDate(2000, 12, 31) + 0.99999999999), (TParts{2001, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Parts(-1.99999999999), (TParts{1899, 12, 28, 0, 0, 0, 0}));
  EXPECT_EQ(Parts(EncodeDate(2024, 3, 14) + EncodeTime(15, 9, 26, 535)), (TParts{2024, 3, 14, 15, 9, 26, 535}));
  // Outside years 1..9999 every part is 0 rather than garbage.
  EXPECT_EQ(Parts(-700000), (TParts{0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Parts(3000000), (TParts{0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Parts(std::nan("")), (TParts{0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(DateTimeTest, ClockSeam) {
  EXPECT_EQ(Now(), clock_.time);
  EXPECT_EQ(Date(), EncodeDate(2024, 3, 14));
  EXPECT_NEAR(Time(), EncodeTime(15, 9, 26, 535), 1e-9);
  EXPECT_EQ(CurrentYear(), 2024);
  TClock* mine = SetClock(nullptr);
  EXPECT_EQ(mine, &clock_);
  EXPECT_GT(Now(), EncodeDate(2020, 1, 1)) << "the system clock is back";
  SetClock(&clock_);
}

TEST_F(DateTimeTest, FormatDateTimeLetters) {
  TDateTime v = clock_.time;
  // "m" right after an hour means minutes.
  EXPECT_EQ(
      Joined({"yyyy-mm-dd hh:nn:ss.zzz", "d/m/yy", "ddd dddd mmm mmmm", "h:mm", "hh:mm:ss", "h:nn am/pm", "h:nn a/p",
              "hh ampm", "\"Year\" yyyy 'at' h", "YYYY", "ddddd", "dddddd", "t", "tt", "c", "'unclosed"},
             [&](const char* f) { return FormatDateTime(f, v); }),
      "2024-03-14 15:09:26.535|14/3/24|Thu Thursday Mar March|15:09|15:09:26|3:09 pm|3:09 p|03 PM|Year 2024 at "
      "15|2024|3/14/2024|Thursday, March 14, 2024|3:09 PM|3:09:26 PM|3/14/2024 3:09:26 PM|unclosed");
  EXPECT_EQ(FormatDateTime("h:nn AM/PM", v - 0.5), "3:09 AM");
  EXPECT_EQ(FormatDateTime("h ampm", EncodeTime(0, 30, 0, 0)), "12 AM");
  EXPECT_EQ(FormatDateTime("h ampm", EncodeTime(12, 30, 0, 0)), "12 PM");
  EXPECT_EQ(FormatDateTime("z", EncodeTime(0, 0, 0, 7)), "7");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 14)), "3/14/2024") << "no time at midnight";
  EXPECT_EQ(FormatDateTime("", EncodeDate(2024, 3, 14)), "3/14/2024");
  EXPECT_EQ(FormatDateTime("yyyy", -1.25), "1899");
}

TEST_F(DateTimeTest, FormattingFollowsTheSettings) {
  FormatSettings.DateSeparator = '.';
  FormatSettings.TimeSeparator = '-';
  FormatSettings.ShortDateFormat = "dd/MM/yyyy";
  FormatSettings.LongTimeFormat = "hh:mm:ss";
  FormatSettings.LongMonthNames[2] = "M\xE4rz";
  TDateTime v = clock_.time;
  EXPECT_EQ(DateToStr(v), "14.03.2024");
  EXPECT_EQ(TimeToStr(v), "15-09-26");
  EXPECT_EQ(DateTimeToStr(v), "14.03.2024 15-09-26");
  EXPECT_EQ(FormatDateTime("mmmm", v), "M\xE4rz");
  // A format naming itself cannot recurse without end.
  FormatSettings.ShortDateFormat = "ddddd";
  EXPECT_EQ(FormatDateTime("ddddd", v), "");
}

TEST_F(DateTimeTest, ParseDatesInEachOrder) {
  EXPECT_EQ(StrToDate("3/14/2024"), EncodeDate(2024, 3, 14));
  EXPECT_EQ(StrToDate(" 3 / 14 / 2024 "), EncodeDate(2024, 3, 14));
  EXPECT_EQ(StrToDate("3/14"), EncodeDate(2024, 3, 14)) << "the current year";
  EXPECT_EQ(StrToDate("2/29/2000"), EncodeDate(2000, 2, 29));
  FormatSettings.ShortDateFormat = "dd.MM.yyyy";
  FormatSettings.DateSeparator = '.';
  EXPECT_EQ(StrToDate("14.3.2024"), EncodeDate(2024, 3, 14));
  EXPECT_EQ(StrToDate("14.3"), EncodeDate(2024, 3, 14));
  FormatSettings.ShortDateFormat = "yyyy-MM-dd";
  FormatSettings.DateSeparator = '-';
  EXPECT_EQ(StrToDate("2024-03-14"), EncodeDate(2024, 3, 14));
  EXPECT_EQ(StrToDate("0001-01-01"), EncodeDate(1, 1, 1));
}

TEST_F(DateTimeTest, TwoDigitYearsFallIntoTheWindow) {
  // Current year 2024, window 50: two-digit years cover 1974..2073.
  EXPECT_EQ(StrToDate("1/1/73"), EncodeDate(2073, 1, 1));
  EXPECT_EQ(StrToDate("1/1/74"), EncodeDate(1974, 1, 1));
  EXPECT_EQ(StrToDate("1/1/00"), EncodeDate(2000, 1, 1));
  EXPECT_EQ(StrToDate("1/1/0024"), EncodeDate(24, 1, 1)) << "four digits are taken as written";
  FormatSettings.TwoDigitYearCenturyWindow = 0;
  EXPECT_EQ(StrToDate("1/1/99"), EncodeDate(2099, 1, 1));
}

TEST_F(DateTimeTest, ImpossibleDatesAreRejected) {
  for (const char* bad : {"2/30/2024", "2/29/2023", "13/1/2024", "0/1/2024", "1/0/2024", "1/1/10000", "", "1/",
                          "/1/2024", "1/1/2024/", "1-1-2024", "a/b/c", "1/1/2024x", "99999999999/1/1"}) {
    TDateTime v = 123;
    EXPECT_FALSE(TryStrToDate(bad, v)) << bad;
    EXPECT_EQ(v, 123);
  }
  EXPECT_EQ(Raised<EConvertError>([] { StrToDate("2/30/2024"); }), "'2/30/2024' is not a valid date");
  EXPECT_EQ(StrToDateDef("nonsense", 5), 5);
}

TEST_F(DateTimeTest, ParseTimes) {
  EXPECT_DOUBLE_EQ(StrToTime("15:09"), EncodeTime(15, 9, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("15:09:26"), EncodeTime(15, 9, 26, 0));
  EXPECT_DOUBLE_EQ(StrToTime("15:09:26.535"), EncodeTime(15, 9, 26, 535));
  EXPECT_DOUBLE_EQ(StrToTime("3:09 PM"), EncodeTime(15, 9, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:00 am"), EncodeTime(0, 0, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:00 PM"), EncodeTime(12, 0, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("PM 1:00"), EncodeTime(13, 0, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("5"), EncodeTime(5, 0, 0, 0));
  for (const char* bad : {"24:00", "12:60", "12:00:60", "13:00 PM", "0:30 AM", "12:", "", "x", "12:00 XM"}) {
    TDateTime v = 7;
    EXPECT_FALSE(TryStrToTime(bad, v)) << bad;
    EXPECT_EQ(v, 7);
  }
  EXPECT_EQ(Raised<EConvertError>([] { StrToTime("25:00"); }), "'25:00' is not a valid time");
  EXPECT_EQ(StrToTimeDef("x", 0.5), 0.5);
}

TEST_F(DateTimeTest, ParseDateTimes) {
  EXPECT_EQ(StrToDateTime("3/14/2024 3:09:26 PM"), EncodeDate(2024, 3, 14) + EncodeTime(15, 9, 26, 0));
  EXPECT_EQ(StrToDateTime("3/14/2024"), EncodeDate(2024, 3, 14));
  EXPECT_DOUBLE_EQ(StrToDateTime("10:30"), EncodeTime(10, 30, 0, 0));
  // Before 30 December 1899 the time must still count forward from midnight.
  TDateTime early = StrToDateTime("12/29/1899 18:00");
  EXPECT_EQ(Parts(early), (TParts{1899, 12, 29, 18, 0, 0, 0}));
  EXPECT_EQ(Raised<EConvertError>([] { StrToDateTime("3/14/2024 25:00"); }),
            "'3/14/2024 25:00' is not a valid date and time");
  EXPECT_EQ(StrToDateTimeDef("x", 1), 1);
  // What DateTimeToStr writes, StrToDateTime reads back.
  TDateTime whole = EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 58, 0);
  EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(whole)), whole);
}

TEST_F(DateTimeTest, FileDates) {
  TDateTime v = EncodeDate(2024, 3, 14) + EncodeTime(15, 9, 26, 0);
  int32_t packed = DateTimeToFileDate(v);
  EXPECT_DOUBLE_EQ(FileDateToDateTime(packed), v);
  EXPECT_EQ(DateTimeToFileDate(EncodeDate(1970, 1, 1)), 0) << "before 1980 there is no file date";
  EXPECT_EQ(Raised<EConvertError>([] { FileDateToDateTime(0); }), "Invalid argument to date encode");
}
