// Calendar arithmetic, the clock, and the text forms of dates and times.
#include "framework/DateTime.h"

#include <cmath>

#include "framework/Win.h"

namespace {

// Day numbers count from 1 January of year 1 (day 1); 30 December 1899 is day 693594.
constexpr long long kDateDelta = 693594;
constexpr long long kMaxDayNumber = 3652059;  // 31 December 9999
constexpr long long kMSecsPerDay = 86400000;

const int kDaysBefore[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};

long long DayNumber(int year, int month, int day) {
  long long y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400 + kDaysBefore[IsLeapYear(year) ? 1 : 0][month - 1] + day;
}

// Splits a value into its day number and the milliseconds of its time of day, rounding to the
// nearest millisecond (a time that rounds up to midnight moves to the next day, away from
// 30 December 1899). False when the value lies outside years 1..9999.
bool Split(TDateTime value, long long& dayNumber, long long& msec) {
  if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return false;
  double whole = std::trunc(value);
  msec = std::llround(std::fabs(value - whole) * MSecsPerDay);
  long long days = static_cast<long long>(whole);
  if (msec >= kMSecsPerDay) {
    msec -= kMSecsPerDay;
    days += value < 0 ? -1 : 1;
  }
  dayNumber = days + kDateDelta;
  return dayNumber >= 1 && dayNumber <= kMaxDayNumber;
}

void DecodeDayNumber(long long dayNumber, int& year, int& month, int& day) {
  long long t = dayNumber - 1;
  long long y = 1;
  y += t / 146097 * 400;
  t %= 146097;
  long long i = t / 36524;
  t %= 36524;
  if (i == 4) {
    i = 3;
    t += 36524;
  }
  y += i * 100;
  y += t / 1461 * 4;
  t %= 1461;
  i = t / 365;
  t %= 365;
  if (i == 4) {
    i = 3;
    t += 365;
  }
  y += i;
  year = static_cast<int>(y);
  const int* before = kDaysBefore[IsLeapYear(year) ? 1 : 0];
  month = 1;
  while (t >= before[month]) ++month;
  day = static_cast<int>(t - before[month - 1]) + 1;
}

class TSystemClock : public TClock {
 public:
  TDateTime Now() const override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return EncodeDate(st.wYear, st.wMonth, st.wDay) + EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  }
};

TSystemClock systemClock;
TClock* currentClock = &systemClock;

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  const int* before = kDaysBefore[IsLeapYear(year) ? 1 : 0];
  return before[month] - before[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  date = static_cast<double>(DayNumber(year, month, day) - kDateDelta);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime d = 0;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time) {
  if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000) return false;
  time = (((hour * 60 + min) * 60 + sec) * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime t = 0;
  if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError("Invalid argument to time encode");
  return t;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec, int& msec) {
  long long dayNumber = 0, ms = 0;
  year = month = day = hour = min = sec = msec = 0;
  if (!Split(value, dayNumber, ms)) return;
  DecodeDayNumber(dayNumber, year, month, day);
  msec = static_cast<int>(ms % 1000);
  sec = static_cast<int>(ms / 1000 % 60);
  min = static_cast<int>(ms / 60000 % 60);
  hour = static_cast<int>(ms / 3600000);
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
  int h, n, s, z;
  DecodeDateTime(date, year, month, day, h, n, s, z);
}

void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec) {
  int y, m, d;
  DecodeDateTime(time, y, m, d, hour, min, sec, msec);
}

int DayOfWeek(TDateTime date) {
  long long dayNumber = 0, ms = 0;
  if (!Split(date, dayNumber, ms)) return 0;
  return static_cast<int>(dayNumber % 7) + 1;
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }
TDateTime TimeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }
TDateTime ComposeDateTime(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }

TClock* SetClock(TClock* clock) {
  TClock* previous = currentClock == &systemClock ? nullptr : currentClock;
  currentClock = clock ? clock : &systemClock;
  return previous;
}

TDateTime Now() { return currentClock->Now(); }
TDateTime Date() { return DateOf(Now()); }
TDateTime Time() { return TimeOf(Now()); }

int CurrentYear() {
  int y, m, d;
  DecodeDate(Now(), y, m, d);
  return y;
}

// ---------------------------------------------------------------- formatting

namespace {

AnsiString Digits(int value, int width) {
  AnsiString s = std::to_string(value);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool StartsWithNoCase(const AnsiString& s, size_t at, const char* token) {
  for (size_t k = 0; token[k]; ++k)
    if (at + k >= s.size() || Upper(s[at + k]) != Upper(token[k])) return false;
  return true;
}

class TDateFormatter {
 public:
  TDateFormatter(TDateTime value, const TFormatSettings& fs) : fs_(fs) {
    DecodeDateTime(value, year_, month_, day_, hour_, min_, sec_, msec_);
    dayOfWeek_ = DayOfWeek(value);
  }

  void Append(const AnsiString& format, int depth) {
    // Nested formats (ddddd, c, t...) may name each other; two levels are all that make sense.
    if (depth > 2) return;
    char lastToken = ' ';
    size_t i = 0;
    while (i < format.size()) {
      char starter = format[i];
      char token = Upper(starter);
      if (token >= 'A' && token <= 'Z') {
        if (token == 'M' && lastToken == 'H') token = 'N';
        lastToken = token;
      }
      size_t count = 1;
      auto takeCount = [&] {
        while (i + count < format.size() && Upper(format[i + count]) == Upper(starter)) ++count;
      };
      switch (token) {
        case 'Y':
          takeCount();
          out += count <= 2 ? Digits(year_ % 100, 2) : Digits(year_, 4);
          break;
        case 'M':
          takeCount();
          if (count == 1)
            out += std::to_string(month_);
          else if (count == 2)
            out += Digits(month_, 2);
          else if (month_ >= 1)
            out += (count == 3 ? fs_.ShortMonthNames : fs_.LongMonthNames)[month_ - 1];
          break;
        case 'D':
          takeCount();
          if (count == 1)
            out += std::to_string(day_);
          else if (count == 2)
            out += Digits(day_, 2);
          else if (count <= 4) {
            if (dayOfWeek_ >= 1) out += (count == 3 ? fs_.ShortDayNames : fs_.LongDayNames)[dayOfWeek_ - 1];
          } else {
            Append(count == 5 ? fs_.ShortDateFormat : fs_.LongDateFormat, depth + 1);
          }
          break;
        case 'H': {
          takeCount();
          int h = hour_;
          if (TwelveHourClockAhead(format, i + count)) h = h % 12 == 0 ? 12 : h % 12;
          out += count == 1 ? std::to_string(h) : Digits(h, 2);
          break;
        }
        case 'N':
          takeCount();
          out += count == 1 ? std::to_string(min_) : Digits(min_, 2);
          break;
        case 'S':
          takeCount();
          out += count == 1 ? std::to_string(sec_) : Digits(sec_, 2);
          break;
        case 'Z':
          takeCount();
          out += count <= 2 ? std::to_string(msec_) : Digits(msec_, 3);
          break;
        case 'T':
          takeCount();
          Append(count == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth + 1);
          break;
        case 'C':
          takeCount();
          Append(fs_.ShortDateFormat, depth + 1);
          if (hour_ || min_ || sec_ || msec_) {
            out += ' ';
            Append(fs_.LongTimeFormat, depth + 1);
          }
          break;
        case 'A': count = AmPm(format, i); break;
        case '/':
          if (fs_.DateSeparator) out += fs_.DateSeparator;
          break;
        case ':':
          if (fs_.TimeSeparator) out += fs_.TimeSeparator;
          break;
        case '\'':
        case '"': {
          size_t close = format.find(starter, i + 1);
          if (close == AnsiString::npos) close = format.size();
          out.append(format, i + 1, close - i - 1);
          count = close < format.size() ? close - i + 1 : close - i;
          break;
        }
        default: out += starter; break;
      }
      i += count;
    }
  }

  AnsiString out;

 private:
  // Whether the next "a" outside quotes before another hour starts an AM/PM marker.
  static bool TwelveHourClockAhead(const AnsiString& f, size_t from) {
    char quote = 0;
    for (size_t k = from; k < f.size(); ++k) {
      char c = f[k];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '\'' || c == '"') {
        quote = c;
      } else if (c == 'h' || c == 'H') {
        return false;
      } else if (c == 'a' || c == 'A') {
        return StartsWithNoCase(f, k, "AM/PM") || StartsWithNoCase(f, k, "A/P") || StartsWithNoCase(f, k, "AMPM");
      }
    }
    return false;
  }

  // Writes an AM/PM marker at i; returns the characters it took.
  size_t AmPm(const AnsiString& f, size_t i) {
    bool pm = hour_ >= 12;
    if (StartsWithNoCase(f, i, "AM/PM")) {
      out.append(f, pm ? i + 3 : i, 2);  // the marker keeps the letter case of the format
      return 5;
    }
    if (StartsWithNoCase(f, i, "A/P")) {
      out += f[pm ? i + 2 : i];
      return 3;
    }
    if (StartsWithNoCase(f, i, "AMPM")) {
      out += pm ? fs_.TimePMString : fs_.TimeAMString;
      return 4;
    }
    out += f[i];
    return 1;
  }

  const TFormatSettings& fs_;
  int year_ = 0, month_ = 0, day_ = 0, hour_ = 0, min_ = 0, sec_ = 0, msec_ = 0, dayOfWeek_ = 0;
};

}  // namespace

AnsiString FormatDateTime(const AnsiString& format, TDateTime value, const TFormatSettings& settings) {
  TDateFormatter f(value, settings);
  f.Append(format.empty() ? AnsiString("C") : format, 0);
  return f.out;
}

AnsiString FormatDateTime(const AnsiString& format, TDateTime value) {
  return FormatDateTime(format, value, FormatSettings);
}

AnsiString DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }
AnsiString DateToStr(TDateTime value) { return FormatDateTime("ddddd", value); }
AnsiString TimeToStr(TDateTime value) { return FormatDateTime("tt", value); }

// ---------------------------------------------------------------- parsing

namespace {

enum TDateOrder { doMDY, doDMY, doYMD };

TDateOrder GetDateOrder(const AnsiString& format) {
  char quote = 0;
  for (char c : format) {
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') quote = c;
    switch (Upper(c)) {
      case 'D': return doDMY;
      case 'Y': return doYMD;
      case 'M': return doMDY;
      default: break;
    }
  }
  return doMDY;
}

class TDateScanner {
 public:
  TDateScanner(const AnsiString& s, const TFormatSettings& fs) : s_(s), fs_(fs) {}

  void Blanks() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }
  bool AtEnd() {
    Blanks();
    return pos_ == s_.size();
  }
  size_t Position() const { return pos_; }
  void Rewind(size_t pos) { pos_ = pos; }

  bool Number(int& value, int& length) {
    Blanks();
    size_t start = pos_;
    long long v = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (pos_ - start >= 9) return false;
      v = v * 10 + (s_[pos_++] - '0');
    }
    length = static_cast<int>(pos_ - start);
    value = static_cast<int>(v);
    return length > 0;
  }

  bool Char(char c) {
    size_t save = pos_;
    Blanks();
    if (c != '\0' && pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    pos_ = save;
    return false;
  }

  bool Symbol(const AnsiString& symbol) {
    if (symbol.empty()) return false;
    size_t save = pos_;
    Blanks();
    if (StartsWithNoCase(s_, pos_, symbol.c_str())) {
      pos_ += symbol.size();
      return true;
    }
    pos_ = save;
    return false;
  }

  bool Date(TDateTime& value) {
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!Number(n1, l1) || !Char(fs_.DateSeparator) || !Number(n2, l2)) return false;
    TDateOrder order = GetDateOrder(fs_.ShortDateFormat);
    int y, m, d, yearLength;
    if (Char(fs_.DateSeparator)) {
      if (!Number(n3, l3)) return false;
      switch (order) {
        case doMDY: y = n3, yearLength = l3, m = n1, d = n2; break;
        case doDMY: y = n3, yearLength = l3, d = n1, m = n2; break;
        default: y = n1, yearLength = l1, m = n2, d = n3; break;
      }
      if (yearLength <= 2) y = WindowYear(y);
    } else {
      y = CurrentYear();
      if (order == doDMY)
        d = n1, m = n2;
      else
        m = n1, d = n2;
    }
    return TryEncodeDate(y, m, d, value);
  }

  bool Time(TDateTime& value) {
    int baseHour = MarkerHour();
    int hour, min = 0, sec = 0, msec = 0, length;
    if (!Number(hour, length)) return false;
    if (Char(fs_.TimeSeparator)) {
      if (!Number(min, length)) return false;
      if (Char(fs_.TimeSeparator)) {
        if (!Number(sec, length)) return false;
        if (Char(fs_.DecimalSeparator) && !Number(msec, length)) return false;
      }
    }
    if (baseHour < 0) baseHour = MarkerHour();
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      hour = hour % 12 + baseHour;
    }
    return TryEncodeTime(hour, min, sec, msec, value);
  }

 private:
  int WindowYear(int y) const {
    int current = CurrentYear();
    int base = current - fs_.TwoDigitYearCenturyWindow;
    y += base / 100 * 100;
    if (fs_.TwoDigitYearCenturyWindow > 0 && y < base) y += 100;
    return y;
  }

  // 0 for a morning marker, 12 for an afternoon one, -1 when none is here.
  int MarkerHour() {
    if (Symbol(fs_.TimeAMString) || Symbol("AM")) return 0;
    if (Symbol(fs_.TimePMString) || Symbol("PM")) return 12;
    return -1;
  }

  const AnsiString& s_;
  const TFormatSettings& fs_;
  size_t pos_ = 0;
};

}  // namespace

bool TryStrToDate(const AnsiString& s, TDateTime& value) {
  TDateScanner scan(s, FormatSettings);
  TDateTime d = 0;
  if (!scan.Date(d) || !scan.AtEnd()) return false;
  value = d;
  return true;
}

bool TryStrToTime(const AnsiString& s, TDateTime& value) {
  TDateScanner scan(s, FormatSettings);
  TDateTime t = 0;
  if (!scan.Time(t) || !scan.AtEnd()) return false;
  value = t;
  return true;
}

bool TryStrToDateTime(const AnsiString& s, TDateTime& value) {
  TDateScanner scan(s, FormatSettings);
  TDateTime d = 0, t = 0;
  if (scan.Date(d)) {
    if (scan.AtEnd()) {
      value = d;
      return true;
    }
    if (!scan.Time(t) || !scan.AtEnd()) return false;
    value = ComposeDateTime(d, t);
    return true;
  }
  scan.Rewind(0);
  if (!scan.Time(t) || !scan.AtEnd()) return false;
  value = t;
  return true;
}

TDateTime StrToDate(const AnsiString& s) {
  TDateTime v = 0;
  if (!TryStrToDate(s, v)) RaiseConvertError(s, L"is not a valid date");
  return v;
}

TDateTime StrToTime(const AnsiString& s) {
  TDateTime v = 0;
  if (!TryStrToTime(s, v)) RaiseConvertError(s, L"is not a valid time");
  return v;
}

TDateTime StrToDateTime(const AnsiString& s) {
  TDateTime v = 0;
  if (!TryStrToDateTime(s, v)) RaiseConvertError(s, L"is not a valid date and time");
  return v;
}

TDateTime StrToDateDef(const AnsiString& s, TDateTime defaultValue) {
  TDateTime v = 0;
  return TryStrToDate(s, v) ? v : defaultValue;
}

TDateTime StrToTimeDef(const AnsiString& s, TDateTime defaultValue) {
  TDateTime v = 0;
  return TryStrToTime(s, v) ? v : defaultValue;
}

TDateTime StrToDateTimeDef(const AnsiString& s, TDateTime defaultValue) {
  TDateTime v = 0;
  return TryStrToDateTime(s, v) ? v : defaultValue;
}

// ---------------------------------------------------------------- file dates

TDateTime FileDateToDateTime(int32_t fileDate) {
  uint32_t v = static_cast<uint32_t>(fileDate);
  unsigned date = v >> 16, time = v & 0xFFFF;
  TDateTime d = 0, t = 0;
  if (!TryEncodeDate(static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 15),
                     static_cast<int>(date & 31), d) ||
      !TryEncodeTime(static_cast<int>(time >> 11), static_cast<int>((time >> 5) & 63),
                     static_cast<int>((time & 31) * 2), 0, t))
    throw EConvertError("Invalid argument to date encode");
  return d + t;
}

int32_t DateTimeToFileDate(TDateTime value) {
  int y, m, d, h, n, s, z;
  DecodeDateTime(value, y, m, d, h, n, s, z);
  if (y < 1980 || y > 2107) return 0;
  uint32_t date = static_cast<uint32_t>(((y - 1980) << 9) | (m << 5) | d);
  uint32_t time = static_cast<uint32_t>((h << 11) | (n << 5) | (s / 2));
  return static_cast<int32_t>((date << 16) | time);
}
