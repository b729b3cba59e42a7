// Date and time routines over TDateTime: whole days since 30 December 1899, the fraction being
// the time of day. Before that day the value is negative and the fraction still counts forward
// from midnight ("-1.25" is 29 December 1899, 06:00). Years run from 1 to 9999.
// Text forms follow FormatSettings; the current time comes through a replaceable clock.
#pragma once

#include <cstdint>

#include "framework/Conversions.h"
#include "framework/Types.h"

constexpr double HoursPerDay = 24;
constexpr double MinsPerDay = 24 * 60;
constexpr double SecsPerDay = 24 * 60 * 60;
constexpr double MSecsPerDay = 24.0 * 60 * 60 * 1000;

// ---- encoding and decoding ----
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
TDateTime EncodeDate(int year, int month, int day);  // EConvertError "Invalid argument to date encode"
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
TDateTime EncodeTime(int hour, int min, int sec, int msec);  // "Invalid argument to time encode"
// Outside years 1..9999 the parts are all 0.
void DecodeDate(TDateTime date, int& year, int& month, int& day);
void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec, int& msec);
// 1 is Sunday, 7 Saturday.
int DayOfWeek(TDateTime date);
// The date part and the time part of a value (the time part is never negative).
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
// A date and a time of day as one value; for dates before 30 December 1899 the time is
// subtracted, since the fraction counts forward from midnight on either side.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

// ---- the clock ----
class TClock {
 public:
  virtual ~TClock() = default;
  // The local date and time.
  virtual TDateTime Now() const = 0;
};
// Puts a clock in place (null: the system's) and returns the one it replaces.
TClock* SetClock(TClock* clock);
TDateTime Now();
TDateTime Date();
TDateTime Time();
int CurrentYear();

// ---- text ----
// Format letters (any case): c, d dd ddd dddd ddddd dddddd, m mm mmm mmmm (minutes right after
// an hour), yy yyyy, h hh, n nn, s ss, z zzz, t tt, am/pm a/p ampm; "/" and ":" give the
// separators; "..." and '...' are copied as they are. An empty format means "c".
AnsiString FormatDateTime(const AnsiString& format, TDateTime value);
AnsiString FormatDateTime(const AnsiString& format, TDateTime value, const TFormatSettings& settings);
AnsiString DateTimeToStr(TDateTime value);
AnsiString DateToStr(TDateTime value);
AnsiString TimeToStr(TDateTime value);

// Dates follow the order of day, month and year in ShortDateFormat; a missing year is the
// current one; two-digit years fall into the window of TwoDigitYearCenturyWindow.
bool TryStrToDate(const AnsiString& s, TDateTime& value);
TDateTime StrToDate(const AnsiString& s);  // EConvertError "'%s' is not a valid date"
TDateTime StrToDateDef(const AnsiString& s, TDateTime defaultValue);
bool TryStrToTime(const AnsiString& s, TDateTime& value);
TDateTime StrToTime(const AnsiString& s);  // "'%s' is not a valid time"
TDateTime StrToTimeDef(const AnsiString& s, TDateTime defaultValue);
bool TryStrToDateTime(const AnsiString& s, TDateTime& value);
TDateTime StrToDateTime(const AnsiString& s);  // "'%s' is not a valid date and time"
TDateTime StrToDateTimeDef(const AnsiString& s, TDateTime defaultValue);

// ---- file dates: the packed date and time of the file system (local time) ----
TDateTime FileDateToDateTime(int32_t fileDate);
int32_t DateTimeToFileDate(TDateTime value);
