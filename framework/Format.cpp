// The formatting engine behind Format and WideFormat: one template over the character type.
#include "framework/Format.h"

#include <climits>
#include <cstdint>

#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/Exceptions.h"

TFormatArg& TFormatArg::operator=(const TFormatArg& o) {
  kind_ = o.kind_;
  int_ = o.int_;
  float_ = o.float_;
  char_ = o.char_;
  wchar_ = o.wchar_;
  pointer_ = o.pointer_;
  // A single character is held inside the argument itself; the copy must point at its own.
  ansi_ = o.ansi_.data() == &o.char_ ? std::string_view(&char_, 1) : o.ansi_;
  wide_ = o.wide_.data() == &o.wchar_ ? std::wstring_view(&wchar_, 1) : o.wide_;
  return *this;
}

namespace {

template <class C>
using Str = std::basic_string<C>;

struct TBadFormat {};

// The largest width or precision a directive may ask for: enough for any text a program
// shows, and a bound on what a hostile format can make us allocate.
constexpr long long kMaxFieldSize = 1 << 20;

Str<char> Convert(const AnsiString& s, char*) { return s; }
Str<wchar_t> Convert(const AnsiString& s, wchar_t*) { return AnsiToWide(s); }

template <class C>
Str<C> FromAnsi(const AnsiString& s) {
  return Convert(s, static_cast<C*>(nullptr));
}

template <class C>
Str<C> StringArg(const TFormatArg& a) {
  if constexpr (std::is_same_v<C, char>) {
    if (a.Kind() == TFormatArg::kAnsi) return Str<C>(a.Ansi());
    return WideToAnsi(WideString(a.Wide()));
  } else {
    if (a.Kind() == TFormatArg::kWide) return Str<C>(a.Wide());
    return AnsiToWide(a.Ansi().data(), a.Ansi().size());
  }
}

bool IsInteger(const TFormatArg& a) { return a.Kind() <= TFormatArg::kUnsigned64; }
bool Is64(const TFormatArg& a) { return a.Kind() == TFormatArg::kSigned64 || a.Kind() == TFormatArg::kUnsigned64; }

AnsiString PadDigits(AnsiString digits, int precision) {
  if (precision > 0 && static_cast<int>(digits.size()) < precision)
    digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
  return digits;
}

AnsiString DecimalText(const TFormatArg& a, int precision) {
  long long v = a.Int();
  switch (a.Kind()) {
    case TFormatArg::kUnsigned32: return PadDigits(std::to_string(static_cast<uint32_t>(v)), precision);
    case TFormatArg::kUnsigned64: return PadDigits(std::to_string(static_cast<uint64_t>(v)), precision);
    default: {
      uint64_t magnitude = v < 0 ? ~static_cast<uint64_t>(v) + 1 : static_cast<uint64_t>(v);
      return (v < 0 ? "-" : "") + PadDigits(std::to_string(magnitude), precision);
    }
  }
}

AnsiString UnsignedText(const TFormatArg& a, int precision) {
  uint64_t v = static_cast<uint64_t>(a.Int());
  if (!Is64(a)) v &= 0xFFFFFFFFu;
  return PadDigits(std::to_string(v), precision);
}

AnsiString HexText(const TFormatArg& a, int precision) {
  return PadDigits(Is64(a) ? IntToHex(a.Int(), 1) : IntToHex(static_cast<int>(a.Int()), 1), precision);
}

AnsiString FloatText(const TFormatArg& a, char type, int precision) {
  long double v = a.Float();
  switch (type) {
    case 'E': return FloatToStrF(v, ffExponent, precision < 0 ? 15 : precision, 3);
    case 'F': return FloatToStrF(v, ffFixed, 18, precision < 0 ? 2 : precision);
    case 'G': return FloatToStrF(v, ffGeneral, precision < 0 ? 15 : precision, 0);
    case 'N': return FloatToStrF(v, ffNumber, 18, precision < 0 ? 2 : precision);
    default: return FloatToStrF(v, ffCurrency, 18, precision < 0 ? FormatSettings.CurrencyDecimals : precision);
  }
}

template <class C>
class TFormatter {
 public:
  TFormatter(const Str<C>& format, std::initializer_list<TFormatArg> args)
      : f_(format), args_(args.begin()), count_(args.size()) {}

  Str<C> Run() {
    Str<C> out;
    out.reserve(f_.size() + 16);
    while (i_ < f_.size()) {
      C c = f_[i_++];
      if (c != C('%')) {
        out += c;
        continue;
      }
      if (At() == C('%')) {
        ++i_;
        out += C('%');
        continue;
      }
      Directive(out);
    }
    return out;
  }

 private:
  C At() const { return i_ < f_.size() ? f_[i_] : C(0); }

  const TFormatArg& NextArg() {
    if (next_ >= count_) throw TBadFormat();
    return args_[next_++];
  }

  // A number, or "*" for the next argument; false when neither is there.
  bool ReadNumber(int& value) {
    if (At() == C('*')) {
      ++i_;
      const TFormatArg& a = NextArg();
      if (!IsInteger(a) || a.Int() < -kMaxFieldSize || a.Int() > kMaxFieldSize) throw TBadFormat();
      value = static_cast<int>(a.Int());
      return true;
    }
    if (At() < C('0') || At() > C('9')) return false;
    long long v = 0;
    while (At() >= C('0') && At() <= C('9')) {
      v = v * 10 + (At() - C('0'));
      if (v > kMaxFieldSize) throw TBadFormat();
      ++i_;
    }
    value = static_cast<int>(v);
    return true;
  }

  void Directive(Str<C>& out) {
    int number = 0;
    bool have = ReadNumber(number);
    if (have && At() == C(':')) {
      ++i_;
      if (number < 0) throw TBadFormat();
      next_ = static_cast<size_t>(number);
      have = false;
    }
    bool left = false;
    if (!have && At() == C('-')) {
      left = true;
      ++i_;
    }
    int width = 0;
    if (have || ReadNumber(number)) width = number;
    if (width < 0) {
      left = true;
      width = -width;
    }
    int precision = -1;
    if (At() == C('.')) {
      ++i_;
      if (!ReadNumber(precision)) precision = 0;
    }
    C t = At();
    // A wide character beyond ASCII is no directive letter, whatever its low byte says.
    if (t == C(0) || static_cast<unsigned>(t) > 0x7F) throw TBadFormat();
    ++i_;
    char type = static_cast<char>(t >= C('a') && t <= C('z') ? t - C('a') + C('A') : t);
    Str<C> text = Render(type, NextArg(), precision);
    if (static_cast<int>(text.size()) < width) {
      Str<C> pad(static_cast<size_t>(width) - text.size(), C(' '));
      text = left ? text + pad : pad + text;
    }
    out += text;
  }

  Str<C> Render(char type, const TFormatArg& a, int precision) {
    switch (type) {
      case 'D':
        if (!IsInteger(a)) throw TBadFormat();
        return FromAnsi<C>(DecimalText(a, precision));
      case 'U':
        if (!IsInteger(a)) throw TBadFormat();
        return FromAnsi<C>(UnsignedText(a, precision));
      case 'X':
        if (!IsInteger(a)) throw TBadFormat();
        return FromAnsi<C>(HexText(a, precision));
      case 'E':
      case 'F':
      case 'G':
      case 'N':
      case 'M':
        if (a.Kind() != TFormatArg::kFloat) throw TBadFormat();
        return FromAnsi<C>(FloatText(a, type, precision));
      case 'P':
        if (a.Kind() != TFormatArg::kPointer) throw TBadFormat();
        return FromAnsi<C>(IntToHex(static_cast<long long>(reinterpret_cast<uintptr_t>(a.Pointer())),
                                    static_cast<int>(sizeof(void*) * 2)));
      case 'S': {
        if (a.Kind() != TFormatArg::kAnsi && a.Kind() != TFormatArg::kWide) throw TBadFormat();
        Str<C> s = StringArg<C>(a);
        if (precision >= 0 && s.size() > static_cast<size_t>(precision)) s.resize(static_cast<size_t>(precision));
        return s;
      }
      default: throw TBadFormat();
    }
  }

  const Str<C>& f_;
  const TFormatArg* args_;
  size_t count_;
  size_t i_ = 0;
  size_t next_ = 0;
};

}  // namespace

AnsiString FormatArgs(const AnsiString& format, std::initializer_list<TFormatArg> args) {
  try {
    return TFormatter<char>(format, args).Run();
  } catch (const TBadFormat&) {
    throw EConvertError(L"Format '" + AnsiToWide(format) + L"' invalid or incompatible with argument");
  }
}

WideString WideFormatArgs(const WideString& format, std::initializer_list<TFormatArg> args) {
  try {
    return TFormatter<wchar_t>(format, args).Run();
  } catch (const TBadFormat&) {
    throw EConvertError(L"Format '" + format + L"' invalid or incompatible with argument");
  }
}
