// Text-file encodings: detection, the Cyrillic tables, and loading and saving the editor's lines
// in each code, converting straight into the line buffer's block so that a large file is held
// once and not in a second, wide copy.
#include "app/Encoding.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditLineScan.h"
#include "foundation/UcUnicodeData.h"
#include "foundation/UcWideStrings.h"
#include "foundation/UcWideSys.h"
#include "framework/CodePages.h"
#include "framework/Exceptions.h"
#include "framework/FileReplace.h"
#include "framework/FileRoutines.h"
#include "framework/UpdateBracket.h"
#include "framework/Win.h"

const uint8_t BomUtf8[3] = {0xEF, 0xBB, 0xBF};
const uint8_t BomUtf16LE[2] = {0xFF, 0xFE};
const uint8_t BomUtf16BE[2] = {0xFE, 0xFF};

namespace {

constexpr TCodePageMap IdentityMap(const char* Name) {
  TCodePageMap map{Name, {}};
  for (int i = 0; i < 128; ++i) map.Map[static_cast<size_t>(i)] = static_cast<uint8_t>(0x80 + i);
  return map;
}

}  // namespace

const TCodePageMap FromWin1251[9] = {
    IdentityMap("WIN1251"),
    {"KOI8-R",
     {
         0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
         0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0xA8, 0xB8, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
         0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xB3, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
         0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xA3, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
         0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
         0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8, 0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1,
         0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
         0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8, 0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1,
     }},
    IdentityMap("ISO 8859-2"),
    {"ISO 8859-5",
     {
         0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
         0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
         0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA1, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
         0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xF1, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
         0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
         0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
         0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
         0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
     }},
    IdentityMap("ISO 8859-7"),
    {"DOS866",
     {
         0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xA3, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
         0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
         0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xF0, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
         0xD8, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xF1, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
         0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
         0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
         0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
         0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
     }},
    IdentityMap("MacCE"),
    IdentityMap("MacCyrillic"),
    IdentityMap("MacGreek"),
};

const TCodePageMap ToWin1251[9] = {
    IdentityMap("Win1251"),
    {"KOI8-R",
     {
         0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
         0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
         0xA0, 0xA1, 0xA2, 0xB8, 0xA4, 0xA5, 0xA6, 0xA7, 0x98, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
         0xB0, 0xB1, 0xB2, 0xA8, 0xB4, 0xB5, 0xB6, 0xB7, 0x99, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
         0xFE, 0xE0, 0xE1, 0xF6, 0xE4, 0xE5, 0xF4, 0xE3, 0xF5, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE,
         0xEF, 0xFF, 0xF0, 0xF1, 0xF2, 0xF3, 0xE6, 0xE2, 0xFC, 0xFB, 0xE7, 0xF8, 0xFD, 0xF9, 0xF7, 0xFA,
         0xDE, 0xC0, 0xC1, 0xD6, 0xC4, 0xC5, 0xD4, 0xC3, 0xD5, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE,
         0xCF, 0xDF, 0xD0, 0xD1, 0xD2, 0xD3, 0xC6, 0xC2, 0xDC, 0xDB, 0xC7, 0xD8, 0xDD, 0xD9, 0xD7, 0xDA,
     }},
    IdentityMap("ISO 8859-2"),
    {"ISO 8859-5",
     {
         0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
         0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
         0xA0, 0xA8, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
         0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
         0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
         0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
         0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
         0xF0, 0xB8, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
     }},
    IdentityMap("ISO 8859-7"),
    {"DOS866",
     {
         0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
         0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
         0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
         0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
         0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
         0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xB0, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
         0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
         0xA8, 0xB8, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
     }},
    IdentityMap("MacCE"),
    IdentityMap("MacCyrillic"),
    IdentityMap("MacGreek"),
};

HV_PUBLISH(TWideFileStream) {}

bool TWideFileStream::ModeFlags(uint16_t Mode, DWORD& Access, DWORD& Share) {
  static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  const unsigned accessBits = Mode & 3u, shareBits = (Mode & 0xF0u) >> 4;
  if (accessBits > 2 || shareBits > 4) return false;
  Access = access[accessBits];
  Share = share[shareBits];
  return true;
}

namespace {

HANDLE OpenWideFile(const WideString& FileName, uint16_t Mode) {
  if (Mode == TWideFileStream::CreateMode)
    return CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  DWORD access = 0, share = 0;
  if (!TWideFileStream::ModeFlags(Mode, access, share)) return INVALID_HANDLE_VALUE;
  return CreateFileW(FileName.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TWideFileStream::TWideFileStream(const WideString& FileName, uint16_t Mode)
    : THandleStream(OpenWideFile(FileName, Mode)) {}

TWideFileStream::~TWideFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

int CodePageTableIndex(TTextEncoding Code) {
  switch (Code) {
    case teCyrillicDos: return 5;
    case teCyrillicIso: return 3;
    case teCyrillicKoi8: return 1;
    default: return 0;
  }
}

namespace {

// Readers let others read and write the file meanwhile: a file that another program holds open
// still loads instead of coming out empty.
constexpr uint16_t kReadMode = fmOpenRead | fmShareDenyNone;

}  // namespace

// ---- detection ----

size_t Utf8SequenceLength(const uint8_t* P, size_t Available) {
  if (Available == 0) return 0;
  const unsigned b = P[0];
  if (b < 0x80) return 1;
  size_t length;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (Available < length || P[1] < low || P[1] > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (P[i] < 0x80 || P[i] > 0xBF) return 0;
  return length;
}

namespace {

constexpr size_t kSampleSize = 16384;

bool IsContinuation(uint8_t B) { return B >= 0x80 && B <= 0xBF; }

// Bytes from the stream's position, which is put back afterwards.
std::string PeekBytes(TStream* Stream, size_t Count) {
  const int64_t remaining = Stream->Size() - Stream->Position();
  if (remaining <= 0 || Count == 0) return {};
  std::string bytes(static_cast<size_t>(std::min<int64_t>(remaining, static_cast<int64_t>(Count))), '\0');
  const int got = std::max(0, Stream->Read(bytes.data(), static_cast<int>(bytes.size())));
  bytes.resize(static_cast<size_t>(got));
  Stream->Seek(-got, soCurrent);
  return bytes;
}

bool StartsWith(const std::string& Bytes, const uint8_t* Mark, size_t Length) {
  return Bytes.size() >= Length && std::memcmp(Bytes.data(), Mark, Length) == 0;
}

}  // namespace

// Every multi-byte sequence of the sample must be well formed, and there must be one. 8-bit text
// often holds a pair or a triple of bytes that happens to be UTF-8 (a DOS866 word, a Latin letter
// before a sign), and taking such a file for UTF-8 would replace its other letters. A sequence
// that starts inside the sample is read whole, past the sample's end where it reaches beyond: the
// first letter of a file may stand right at that end, and a stray byte there is as wrong as
// anywhere else. A sequence that ends right at the end of the file counts, so that a short file
// such as "é" and a line break is still UTF-8.
bool IsUTF8Text(TStream* Stream) {
  const std::string sample = PeekBytes(Stream, kSampleSize + 3);
  if (sample.empty()) return false;
  if (StartsWith(sample, BomUtf8, 3)) return true;
  const auto* p = reinterpret_cast<const uint8_t*>(sample.data());
  const size_t n = sample.size(), scanned = std::min(n, kSampleSize);
  bool sequence = false;
  for (size_t i = 0; i < scanned;) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    const size_t length = Utf8SequenceLength(p + i, n - i);
    if (length == 0) return false;
    sequence = true;
    i += length;
  }
  return sequence;
}

TTextEncoding DetectEncoding(TStream* Stream) {
  if (IsUTF8Text(Stream)) return teUtf8;
  const std::string head = PeekBytes(Stream, 2);
  if (head.size() < 2) return teAnsi;
  if (StartsWith(head, BomUtf16LE, 2)) return teUnicode;
  if (StartsWith(head, BomUtf16BE, 2)) return teBigEndianUnicode;
  return teAnsi;
}

TTextEncoding DetectFileEncoding(const WideString& FileName) {
  try {
    TFileStream stream(FileName, kReadMode);
    return DetectEncoding(&stream);
  } catch (const EFOpenError&) {
    return teAnsi;
  }
}

namespace {

// How often each Russian letter follows another inside words, on a scale of 0 (never, or too
// seldom to count) to 9 (each step doubles the frequency). Rows and columns are а-я, ё and the
// edge of the word (row: the first letter; column: the last). Made by
// scripts/make-russian-letter-pairs.py from Russian text.
constexpr int kEdge = 33;
const char kLetterPairs[34][35] = {
    "3897887949898928989546785500006889",  // а
    "7100370160780680841705500668000375",  // б
    "9050390280785894776705003309300499",  // в
    "7124560070054690720700010000000067",  // г
    "9063695280693796762703233005101397",  // д
    "4688967768999977999445666700013369",  // е
    "6300780080401820020400000000000083",  // ж
    "9470750060548880530700210007000657",  // з
    "6887794888889967999176776300007999",  // и
    "0010520010493440177000121000000029",  // й
    "9240073090281590788701701000030078",  // к
    "9613197090651790042710060006908998",  // л
    "9570090080436696040600000007000799",  // м
    "9035890590610990078763442009504798",  // н
    "2999988868999969999335688400020689",  // о
    "9000090080460495944800400005201496",  // п
    "9376497190637894677836226008300698",  // р
    "7563484090996699589725345026801988",  // с
    "9380290290754894992721050007921399",  // т
    "4646886525867717788042064700027288",  // у
    "9000050070050070513640000000100052",  // ф
    "4030050060001370520200000000010059",  // х
    "6040070090400043000400000006000075",  // ц
    "8000090080520730007300001000200095",  // ч
    "6020070080630540323200000000100074",  // ш
    "6000080070000000000300000000400080",  // щ
    "0000060000000000000000000000000260",  // ъ
    "0572581509667106647008055000000089",  // ы
    "0111130800603810065000305000005339",  // ь
    "0002000001562301227030003000000001",  // э
    "0300103000100200216000080700002008",  // ю
    "0060570601125601437004420400005579",  // я
    "4688967768999977999445666700013369",  // ё
    "9997975992979999999996686202083770",  // the start of a word
};

// What each byte is in one Cyrillic reading of a text: a Russian letter (its place in the rows
// above) or not, and its case.
struct TLetterInfo {
  bool Letter = false, Upper = false;
  uint8_t Code = 0;
};
using TReading = std::array<TLetterInfo, 256>;

// The readings in the order a tie is settled: Windows-1251 first, which loads unconverted.
constexpr int kReadingIndexes[] = {0, 1, 5, 3};

// A byte is a letter of a reading when the reading's table takes it to a Russian letter of
// Windows-1251 and the way back gives the same byte (the tables keep bytes they do not know).
TReading MakeReading(int Index) {
  TReading reading{};
  for (int b = 0x80; b < 256; ++b) {
    const uint8_t w = ToWin1251[Index].Map[static_cast<size_t>(b - 0x80)];
    if (FromWin1251[Index].Map[static_cast<size_t>(w - 0x80)] != b) continue;
    TLetterInfo& info = reading[static_cast<size_t>(b)];
    if (w == 0xA8 || w == 0xB8)
      info = {true, w == 0xA8, 32};
    else if (w >= 0xC0)
      info = {true, w < 0xE0, static_cast<uint8_t>(w & 0x1F)};
  }
  return reading;
}

const TReading& ReadingOf(int Index) {
  static const TReading readings[4] = {MakeReading(0), MakeReading(1), MakeReading(3), MakeReading(5)};
  return readings[Index == 0 ? 0 : Index == 1 ? 1 : Index == 3 ? 2 : 3];
}

bool IsAsciiLetter(uint8_t B) { return (B | 0x20) >= 'a' && (B | 0x20) <= 'z'; }

// How much a run of letters of a reading speaks for it: nothing unless it reads as a Russian word
// (two letters or more, written in small letters, in capitals or with a capital first, and no
// pair of letters that Russian does not have); else how common its pairs of letters are.
unsigned WordWeight(const TReading& Reading, const uint8_t* P, size_t N) {
  if (N < 2) return 0;
  // One letter over and over is no word, and two or three capitals are at most an abbreviation:
  // read in the code pages, such runs are mostly Western signs ("\x80\x80" is two euro signs in
  // the ANSI code page, the quotes and dashes of 0x91-0x97 are DOS866 capitals).
  if (std::all_of(P + 1, P + N, [&](uint8_t B) { return B == P[0]; })) return 0;
  if (N <= 3 && std::all_of(P, P + N, [&](uint8_t B) { return Reading[B].Upper; })) return 0;
  bool laterUpper = false, laterLower = false;
  for (size_t i = 1; i < N; ++i) (Reading[P[i]].Upper ? laterUpper : laterLower) = true;
  if (laterUpper && (laterLower || !Reading[P[0]].Upper)) return 0;
  unsigned sum = 0;
  int previous = kEdge;
  for (size_t i = 0; i <= N; ++i) {
    const int next = i < N ? Reading[P[i]].Code : kEdge;
    const int pair = kLetterPairs[previous][next] - '0';
    if (pair == 0) return 0;
    sum += static_cast<unsigned>(pair);
    previous = next;
  }
  return sum;
}

}  // namespace

// Latin text in the ANSI code page has its accented letters inside words of plain letters
// ("caf\xE9"); Cyrillic text in any of the code pages has whole words of high bytes. A high byte
// beside a plain letter speaks for Latin text; a run of high bytes that reads as a Russian word in
// one of the code pages speaks for that one. Only a clear lead for Cyrillic converts anything:
// text left as it is keeps its bytes.
TTextScript DetectTextScript(const char* Text, size_t Length) {
  const auto* p = reinterpret_cast<const uint8_t*>(Text);
  // Plain ASCII, which most large files are, decides nothing: it is skipped a word at a time.
  size_t start = 0;
  for (uint32_t w[4]; Length - start >= sizeof w; start += sizeof w) {
    std::memcpy(w, Text + start, sizeof w);
    if ((w[0] | w[1] | w[2] | w[3]) & 0x80808080u) break;
  }
  constexpr unsigned kLetter = 6;  // about what a letter of a common word weighs
  // The least a text must weigh as Cyrillic: about a common word of four letters. A lone shorter
  // run of high bytes ("\xC5\xC4\xD6", "\xA9\xAE") reads as some Russian pair or triple in one code
  // page or another far more often than it is one.
  constexpr unsigned kWord = 30;
  uint64_t latin = 0;  // wide enough for the largest file the editor holds
  uint64_t cyrillic[4] = {};
  for (size_t i = start; i < Length;) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < Length && p[end] >= 0x80) ++end;
    const bool besideLatin = (i > 0 && IsAsciiLetter(p[i - 1])) || (end < Length && IsAsciiLetter(p[end]));
    if (besideLatin) {
      latin += kLetter * std::min<uint64_t>(end - i, 2);
    } else {
      for (int r = 0; r < 4; ++r) {
        const TReading& reading = ReadingOf(kReadingIndexes[r]);
        for (size_t k = i; k < end;) {
          size_t run = k;
          while (run < end && reading[p[run]].Letter) ++run;
          cyrillic[r] += WordWeight(reading, p + k, run - k);
          k = run == k ? k + 1 : run;
        }
      }
    }
    i = end;
  }
  int best = 0;
  for (int r = 1; r < 4; ++r)
    if (cyrillic[r] > cyrillic[best]) best = r;
  TTextScript result;
  if (cyrillic[best] >= kWord && cyrillic[best] > 2 * latin) {
    result.Cyrillic = true;
    result.Index = kReadingIndexes[best];
  }
  return result;
}

int DetectCyrillicCodePage(const char* Text, size_t Length) { return DetectTextScript(Text, Length).Index; }

bool IsCyrillicWin1251Text(const char* Text, size_t Length) {
  const TTextScript script = DetectTextScript(Text, Length);
  return script.Cyrillic && script.Index == 0;
}

int DetectCyrillicCodePage(const AnsiString& Text) { return DetectCyrillicCodePage(Text.data(), Text.size()); }

// ---- byte conversion ----

namespace {

using TByteTable = std::array<uint8_t, 256>;

TByteTable ConversionTable(int From, int To) {
  TByteTable t;
  for (int b = 0; b < 256; ++b) {
    uint8_t c = static_cast<uint8_t>(b);
    if (b >= 0x80) {
      const uint8_t w = ToWin1251[From].Map[static_cast<size_t>(b - 0x80)];
      c = FromWin1251[To].Map[static_cast<size_t>(w - 0x80)];
    }
    t[static_cast<size_t>(b)] = c;
  }
  return t;
}

void CheckTableIndex(int Index) {
  if (Index < 0 || Index > 8)
    throw ERangeError(L"Code page table index out of range (" + std::to_wstring(Index) + L")");
}

void ConvertInPlace(char* P, size_t Length, const TByteTable& Table) {
  for (size_t i = 0; i < Length; ++i) P[i] = static_cast<char>(Table[static_cast<uint8_t>(P[i])]);
}

}  // namespace

AnsiString ConvertString(const AnsiString& S, int From, int To) {
  CheckTableIndex(From);
  CheckTableIndex(To);
  AnsiString result = S;
  ConvertInPlace(result.data(), result.size(), ConversionTable(From, To));
  return result;
}

void ConvertLines(TStrings* Lines, int From, int To) {
  CheckTableIndex(From);
  CheckTableIndex(To);
  const TByteTable table = ConversionTable(From, To);
  WithinUpdate(*Lines, [&] {
    for (int i = 0, n = Lines->Count(); i < n; ++i) {
      AnsiString line = Lines->Strings(i);
      ConvertInPlace(line.data(), line.size(), table);
      Lines->SetStrings(i, line);
    }
  });
}

namespace {

// The system's code page of a table index (Windows-1251 for 0).
UINT TableCodePage(int Index) { return Index == 1 ? 20866 : Index == 3 ? 28595 : Index == 5 ? 866 : 1251; }

wchar_t CharOf(UINT CodePage, uint8_t Byte) {
  const char c = static_cast<char>(Byte);
  wchar_t w = 0;
  return MultiByteToWideChar(CodePage, 0, &c, 1, &w, 1) == 1 ? w : 0;
}

// Which bytes of text held in the code page Held become another character when saved in Code:
// through the table of a Cyrillic code page, which has no place for some characters (or none
// the system knows); in any other code the byte is written, or widened, in the ANSI code page.
std::array<bool, 256> UnkeptBytes(unsigned Held, TTextEncoding Code, unsigned AnsiCodePage) {
  std::array<bool, 256> unkept{};
  const int index = CodePageTableIndex(Code);
  if (index == 0 && Held == AnsiCodePage) return unkept;
  const TByteTable save = ConversionTable(0, index);
  const UINT target = index == 0 ? AnsiCodePage : TableCodePage(index);
  for (int b = 0x80; b < 256; ++b) {
    const wchar_t was = CharOf(Held, static_cast<uint8_t>(b));
    unkept[static_cast<size_t>(b)] = was == 0 || CharOf(target, save[static_cast<size_t>(b)]) != was;
  }
  return unkept;
}

}  // namespace

unsigned HeldCodePage(TTextEncoding Code, unsigned AnsiCodePage) {
  return CodePageTableIndex(Code) != 0 ? 1251 : AnsiCodePage;
}

AnsiString UnkeptCharacters(const TTxtEditStringList* Lines, TTextEncoding HeldIn, TTextEncoding Code,
                            unsigned AnsiCodePage) {
  if (!Lines || Code < teAnsi || Code > teLastEncoding) return AnsiString();
  const unsigned held = HeldCodePage(HeldIn, AnsiCodePage);
  // Most saves keep the document's own code: their tables are made once.
  static const std::array<bool, 256> ownUnkept[3] = {UnkeptBytes(1251, teCyrillicKoi8, 1251),
                                                     UnkeptBytes(1251, teCyrillicIso, 1251),
                                                     UnkeptBytes(1251, teCyrillicDos, 1251)};
  const int index = CodePageTableIndex(Code);
  const std::array<bool, 256> unkept = held == 1251 && index != 0 ? ownUnkept[index == 1   ? 0
                                                                              : index == 3 ? 1
                                                                                           : 2]
                                                                  : UnkeptBytes(held, Code, AnsiCodePage);
  if (std::none_of(unkept.begin(), unkept.end(), [](bool b) { return b; })) return AnsiString();
  std::array<bool, 256> seen{};
  for (int i = 0, n = Lines->Count(); i < n; ++i)
    for (char c : Lines->LineView(i)) seen[static_cast<uint8_t>(c)] = true;
  AnsiString found;
  for (int b = 0x80; b < 256; ++b)
    if (unkept[static_cast<size_t>(b)] && seen[static_cast<size_t>(b)]) found += static_cast<char>(b);
  return found;
}

AnsiString UnkeptCharacters(const TTxtEditStringList* Lines, TTextEncoding Code) {
  return UnkeptCharacters(Lines, Code, Code, AnsiCodePage());
}

// ---- loading ----

namespace {

constexpr size_t kChunk = 1 << 20;

void ReadExactly(TStream& Stream, char* Buffer, size_t Count) {
  while (Count > 0) {
    const int block = static_cast<int>(std::min<size_t>(Count, 16u << 20));
    Stream.ReadBuffer(Buffer, block);
    Buffer += block;
    Count -= block;
  }
}

// Every byte of a file read as 8-bit text passes through here: the line scan's fastest path.
bool AllAscii(const char* P, size_t N) { return IsSevenBit(P, P + N); }

bool WellFormedUtf8(const uint8_t* P, size_t N) {
  for (size_t i = 0; i < N;) {
    const size_t length = Utf8SequenceLength(P + i, N - i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// For a single-byte ANSI code page, what each 16-bit character becomes: its byte when the code
// page holds it exactly, and whether the character can never be changed by composition (so that
// text made only of such characters needs no normalization). Text with any other character
// takes the general path through the system's conversion.
class TAnsiTable {
 public:
  static constexpr uint16_t Mapped = 0x100, Stable = 0x200;

  // Null for a code page of more than one byte per character.
  static const TAnsiTable* ForSystem() {
    static const std::unique_ptr<TAnsiTable> table = Build();
    return table.get();
  }
  uint16_t operator[](uint32_t Code) const { return entries_[Code]; }
  char DefaultChar() const { return defaultChar_; }

 private:
  static std::unique_ptr<TAnsiTable> Build() {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return nullptr;
    auto table = std::make_unique<TAnsiTable>();
    table->entries_.assign(0x10000, 0);
    table->defaultChar_ = static_cast<char>(info.DefaultChar[0]);
    // Characters that are neither combining marks nor changed or joined by composition: the
    // letters of Latin-1 and the other early Latin blocks, Cyrillic, general punctuation and
    // currency signs, CJK punctuation, kana, unified ideographs, Hangul syllables and the
    // full-width forms.
    static const std::pair<uint32_t, uint32_t> stable[] = {
        {0x0000, 0x02FF}, {0x0400, 0x0482}, {0x048A, 0x052F}, {0x2010, 0x2027}, {0x2030, 0x205E}, {0x20A0, 0x20BF},
        {0x3000, 0x3029}, {0x3041, 0x3096}, {0x30A0, 0x30FF}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xFF01, 0xFF60}};
    for (const auto& range : stable)
      for (uint32_t c = range.first; c <= range.second; ++c) table->entries_[c] |= Stable;
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      wchar_t wide = 0;
      if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1) continue;
      char back = 0;
      BOOL usedDefault = FALSE;
      if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, &back, 1, nullptr, &usedDefault) == 1 &&
          !usedDefault && back == byte)
        table->entries_[static_cast<uint16_t>(wide)] |= static_cast<uint16_t>(Mapped | b);
    }
    return table;
  }

  std::vector<uint16_t> entries_;
  char defaultChar_ = '?';
};

// Wide text converted into the ANSI code page at the end of a block that was sized for the
// worst case; notes whatever the code page could not hold.
class TAnsiSink {
 public:
  TAnsiSink(char* Out, size_t Capacity, bool& Lossy)
      : out_(Out), capacity_(Capacity), lossy_(Lossy), table_(TAnsiTable::ForSystem()) {}

  void PutAscii(const char* P, size_t N) {
    Reserve(N);
    std::memcpy(out_ + done_, P, N);
    done_ += N;
  }

  // Well-formed UTF-8 of stable characters goes straight through the table; anything else
  // is decoded and converted by the general path.
  void PutUtf8(const char* P, size_t N) {
    if (FastUtf8(reinterpret_cast<const uint8_t*>(P), N)) return;
    if (!WellFormedUtf8(reinterpret_cast<const uint8_t*>(P), N)) lossy_ = true;
    const WideString wide = ucutf8::Decode(P, N, true);
    Put(wide.data(), wide.size());
  }

  void PutUtf16(const wchar_t* P, size_t N) {
    if (!FastUtf16(P, N)) Put(P, N);
  }

  size_t Done() const { return done_; }

 private:
  void Reserve(size_t N) {
    if (N > capacity_ - done_) throw EReadError("Stream read error");
  }

  // Writes one table entry's byte; false for a character that the table cannot decide.
  bool PutMapped(uint32_t Code, char*& Out) {
    const uint16_t entry = (*table_)[Code];
    if (!(entry & TAnsiTable::Stable)) return false;
    if (entry & TAnsiTable::Mapped) {
      *Out++ = static_cast<char>(entry & 0xFF);
    } else {
      *Out++ = table_->DefaultChar();
      lossy_ = true;
    }
    return true;
  }

  bool FastUtf8(const uint8_t* P, size_t N) {
    if (!table_) return false;
    Reserve(N);  // one byte per character at most, and a character has a byte at least
    char* out = out_ + done_;
    const bool lossyBefore = lossy_;
    for (size_t i = 0; i < N;) {
      if (P[i] < 0x80) {
        *out++ = static_cast<char>(P[i++]);
        continue;
      }
      const size_t length = Utf8SequenceLength(P + i, N - i);
      if (length == 0 || length == 4) return Undo(lossyBefore);
      uint32_t code = length == 2 ? ((P[i] & 0x1Fu) << 6) | (P[i + 1] & 0x3Fu)
                                  : ((P[i] & 0x0Fu) << 12) | ((P[i + 1] & 0x3Fu) << 6) | (P[i + 2] & 0x3Fu);
      if (!PutMapped(code, out)) return Undo(lossyBefore);
      i += length;
    }
    done_ = static_cast<size_t>(out - out_);
    return true;
  }

  bool FastUtf16(const wchar_t* P, size_t N) {
    if (!table_) return false;
    Reserve(N);
    char* out = out_ + done_;
    const bool lossyBefore = lossy_;
    for (size_t i = 0; i < N; ++i) {
      const uint16_t u = static_cast<uint16_t>(P[i]);
      if (u < 0x80)
        *out++ = static_cast<char>(u);
      else if (!PutMapped(u, out))
        return Undo(lossyBefore);
    }
    done_ = static_cast<size_t>(out - out_);
    return true;
  }

  bool Undo(bool LossyBefore) {
    lossy_ = LossyBefore;
    return false;
  }

  void Put(const wchar_t* P, size_t N) {
    if (N == 0) return;
    // Composed characters survive the code page where decomposed ones would not; a text that
    // composition changed would be saved changed, so that is reported like any other loss.
    const WideString text(P, N);
    WideString composed = WideNormalize(text, nfC);
    const WideString& use = composed.size() <= text.size() ? composed : text;
    if (use.size() != text.size() || use != text) lossy_ = true;
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    const size_t room = std::min<size_t>(capacity_ - done_, INT_MAX);
    const int written =
        WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, use.data(), static_cast<int>(use.size()),
                            out_ + done_, static_cast<int>(room), nullptr, utf8 ? nullptr : &usedDefault);
    if (written <= 0) throw EReadError("Stream read error");
    if (usedDefault) lossy_ = true;
    done_ += static_cast<size_t>(written);
  }

  char* out_;
  size_t capacity_;
  size_t done_ = 0;
  bool& lossy_;
  const TAnsiTable* table_;
};

// How many ANSI bytes one wide unit may take at most.
size_t AnsiBytesPerUnit() {
  CPINFO info{};
  if (!GetCPInfo(CP_ACP, &info)) return 3;
  return info.MaxCharSize <= 1 ? 1 : info.MaxCharSize == 2 ? 2 : 3;
}

// Each conversion ends after the last line feed of the chunk's tail, so that no character and no
// composition is split between two conversions; a longer line is cut between two characters. What
// follows the cut is carried into the next chunk, at most a quarter of a chunk.
constexpr size_t kTail = kChunk / 4;

void ConvertUtf8(TStream& Stream, TAnsiSink& Sink) {
  std::string buffer(kChunk + kTail + 8, '\0');
  size_t carry = 0;
  for (;;) {
    const int got = std::max(0, Stream.Read(buffer.data() + carry, static_cast<int>(kChunk)));
    const size_t have = carry + static_cast<size_t>(got);
    if (have == 0) break;
    size_t cut = have;
    if (got > 0) {
      size_t i = have;
      while (i > 0 && have - i < kTail && buffer[i - 1] != '\n') --i;
      if (i > 0 && buffer[i - 1] == '\n') {
        cut = i;
      } else {
        size_t k = have - 1;
        while (k > 0 && have - k < 4 && IsContinuation(static_cast<uint8_t>(buffer[k]))) --k;
        if (k > 0 && static_cast<uint8_t>(buffer[k]) >= 0xC0) cut = k;
      }
    }
    if (AllAscii(buffer.data(), cut))
      Sink.PutAscii(buffer.data(), cut);
    else
      Sink.PutUtf8(buffer.data(), cut);
    carry = have - cut;
    std::memmove(buffer.data(), buffer.data() + cut, carry);
    if (got == 0) break;
  }
}

void ConvertUtf16(TStream& Stream, bool Swapped, TAnsiSink& Sink, bool& Lossy) {
  std::vector<wchar_t> units((kChunk + kTail) / 2 + 8);
  auto* bytes = reinterpret_cast<char*>(units.data());
  size_t carry = 0;  // bytes
  auto value = [&](size_t i) {
    const uint16_t u = static_cast<uint16_t>(units[i]);
    return Swapped ? static_cast<uint16_t>((u >> 8) | (u << 8)) : u;
  };
  for (;;) {
    const int got = std::max(0, Stream.Read(bytes + carry, static_cast<int>(kChunk)));
    const size_t have = carry + static_cast<size_t>(got);
    const size_t count = have / 2;
    size_t cut = count;
    if (got == 0) {
      if (have % 2) Lossy = true;  // half a unit can neither be shown nor written back
    } else {
      size_t i = count;
      while (i > 0 && (count - i) * 2 < kTail && value(i - 1) != 0x000A) --i;
      if (i > 0 && value(i - 1) == 0x000A)
        cut = i;
      else if (count > 0 && value(count - 1) >= 0xD800 && value(count - 1) <= 0xDBFF)
        cut = count - 1;
    }
    if (Swapped) SwapWideCharBytes(units.data(), cut);
    Sink.PutUtf16(units.data(), cut);
    carry = have - cut * 2;
    std::memmove(bytes, bytes + cut * 2, carry);
    if (got == 0) break;
  }
}

// Skips the code's mark when the stream holds all of it at its position.
void SkipMark(TStream& Stream, TTextEncoding Code) {
  const uint8_t* mark = Code == teUnicode ? BomUtf16LE : Code == teBigEndianUnicode ? BomUtf16BE : BomUtf8;
  const size_t length = Code == teUtf8 ? 3 : 2;
  if (StartsWith(PeekBytes(&Stream, length), mark, length)) Stream.Seek(static_cast<int64_t>(length), soCurrent);
}

int64_t Remaining(TStream& Stream) { return std::max<int64_t>(0, Stream.Size() - Stream.Position()); }

void LoadUnicodeLines(TTxtEditStringList* Lines, const WideString& FileName, TTextEncoding Code, bool& Lossy) {
  TFileStream stream(FileName, kReadMode);
  SkipMark(stream, Code);
  const int64_t remaining = Remaining(stream);
  const size_t perUnit = AnsiBytesPerUnit();
  // UTF-8 gives at most one unit per byte, UTF-16 one per two bytes.
  const int64_t units = Code == teUtf8 ? remaining : remaining / 2;
  const int64_t most = units * static_cast<int64_t>(perUnit);
  if (most > INT_MAX - 8) throw EReadError("Stream read error");
  bool lossy = false;
  Lines->LoadFromFill(static_cast<size_t>(most), [&](char* Block, size_t Capacity) {
    TAnsiSink sink(Block, Capacity, lossy);
    if (Code == teUtf8)
      ConvertUtf8(stream, sink);
    else
      ConvertUtf16(stream, Code == teBigEndianUnicode, sink, lossy);
    return sink.Done();
  });
  Lossy = lossy;
}

// The bytes as they are, or through Windows-1251 from a Cyrillic code page, which Detect finds
// by itself. Returns the code to report.
TTextEncoding LoadByteLines(TTxtEditStringList* Lines, const WideString& FileName, TTextEncoding Code, bool Detect,
                            bool& Lossy, bool* Cyrillic1251) {
  TFileStream stream(FileName, kReadMode);
  const int64_t size = Remaining(stream);
  if (size > INT_MAX - 8) throw EReadError("Stream read error");
  TTextEncoding used = Code;
  bool lossy = false;
  bool ascii = true;
  // Read and split a cached chunk at a time; the code page is known only once every byte is
  // seen, and converting changes no line break, so the split text is converted afterwards.
  Lines->LoadFromReader(
      static_cast<size_t>(size),
      [&](char* Dest, size_t Room) {
        const size_t n = std::min<size_t>(Room, 512u << 10);
        ReadExactly(stream, Dest, n);
        ascii = ascii && AllAscii(Dest, n);
        return n;
      },
      [&](char* Text, size_t Length) {
        int index = CodePageTableIndex(Code);
        if (Detect) {
          const TTextScript script = ascii ? TTextScript{} : DetectTextScript(Text, Length);
          index = script.Index;
          used = index == 1 ? teCyrillicKoi8 : index == 3 ? teCyrillicIso : index == 5 ? teCyrillicDos : teAnsi;
          if (Cyrillic1251) *Cyrillic1251 = script.Cyrillic && index == 0;
        }
        if (index == 0) return;
        const TByteTable load = ConversionTable(index, 0), save = ConversionTable(0, index);
        for (size_t i = 0; i < Length; ++i) {
          const uint8_t b = static_cast<uint8_t>(Text[i]);
          const uint8_t w = load[b];
          if (save[w] != b) lossy = true;  // a byte that saving would not give back
          Text[i] = static_cast<char>(w);
        }
      });
  Lossy = lossy;
  return used;
}

}  // namespace

TTextEncoding LoadTextFile(TTxtEditStringList* Lines, const WideString& FileName, TTextEncoding Code, bool& Lossy,
                           bool* Cyrillic1251) {
  Lossy = false;
  if (Cyrillic1251) *Cyrillic1251 = false;
  const TTextEncoding used = Code == teAutoSelect ? DetectFileEncoding(FileName) : Code;
  if (used >= teUnicode && used <= teUtf8) {
    LoadUnicodeLines(Lines, FileName, used, Lossy);
    return used;
  }
  return LoadByteLines(Lines, FileName, used, Code == teAutoSelect, Lossy, Cyrillic1251);
}

TTextEncoding LoadTextFile(TTxtEditStringList* Lines, const WideString& FileName, TTextEncoding Code) {
  bool lossy = false;
  return LoadTextFile(Lines, FileName, Code, lossy);
}

// ---- saving ----

namespace {

const char* LineBreakText(TTxtEditLineBreakFormat Format) {
  return Format == lbfLF ? "\n" : Format == lbfCR ? "\r" : "\r\n";
}

void WriteBytes(TStream& Stream, const void* P, size_t N) {
  const auto* bytes = static_cast<const char*>(P);
  while (N > 0) {
    const int block = static_cast<int>(std::min<size_t>(N, 16u << 20));
    Stream.WriteBuffer(bytes, block);
    bytes += block;
    N -= block;
  }
}

void WriteMark(TStream& Stream, TTextEncoding Code, bool WithBOM) {
  if (Code == teUnicode) WriteBytes(Stream, BomUtf16LE, 2);
  if (Code == teBigEndianUnicode) WriteBytes(Stream, BomUtf16BE, 2);
  if (Code == teUtf8 && WithBOM) WriteBytes(Stream, BomUtf8, 3);
}

// Wide text of code 2, 3 or 4 without a mark.
void WriteWideUnits(TStream& Stream, WideString& Text, TTextEncoding Code) {
  if (Code == teUtf8) {
    const std::string bytes = EncodeWideToUtf8(Text);
    WriteBytes(Stream, bytes.data(), bytes.size());
    return;
  }
  if (Code == teBigEndianUnicode) SwapWideCharBytes(Text);
  WriteBytes(Stream, Text.data(), Text.size() * sizeof(wchar_t));
}

void SaveUnicodeLines(TTxtEditStringList* Lines, TStream& Stream, TTextEncoding Code, bool WithBOM) {
  WriteMark(Stream, Code, WithBOM);
  const std::string_view lineBreak = LineBreakText(Lines->LineBreakFormat());
  const UINT cp = GetACP();
  WideString pending;
  auto flush = [&](bool All) {
    // The halves of a pair go out together.
    size_t keep = 0;
    if (!All && !pending.empty() && pending.back() >= 0xD800 && pending.back() <= 0xDBFF) keep = 1;
    WideString ready = pending.substr(0, pending.size() - keep);
    pending.erase(0, pending.size() - keep);
    WriteWideUnits(Stream, ready, Code);
  };
  for (int i = 0, n = Lines->Count(); i < n; ++i) {
    std::string_view line = Lines->LineView(i);
    if (!line.empty()) pending += AnsiToWide(line.data(), line.size(), cp);
    if (i + 1 < n) pending += AnsiToWide(lineBreak.data(), lineBreak.size(), cp);
    if (pending.size() >= kChunk) flush(false);
  }
  flush(true);
}

void SaveCyrillicLines(TTxtEditStringList* Lines, TStream& Stream, int Index) {
  const TByteTable table = ConversionTable(0, Index);
  const std::string_view lineBreak = LineBreakText(Lines->LineBreakFormat());
  std::string pending;
  for (int i = 0, n = Lines->Count(); i < n; ++i) {
    std::string_view line = Lines->LineView(i);
    const size_t at = pending.size();
    pending.append(line);
    ConvertInPlace(pending.data() + at, line.size(), table);
    if (i + 1 < n) pending.append(lineBreak);
    if (pending.size() >= kChunk) {
      WriteBytes(Stream, pending.data(), pending.size());
      pending.clear();
    }
  }
  WriteBytes(Stream, pending.data(), pending.size());
}

}  // namespace

bool SaveTextFile(TTxtEditStringList* Lines, const WideString& FileName, TTextEncoding Code, bool WithBOM) {
  if (Code == teAnsi) {
    Lines->SaveToFile(FileName);
    return true;
  }
  if (Code >= teUnicode && Code <= teUtf8) {
    WriteFileReplacing(FileName, [&](TStream& Stream) { SaveUnicodeLines(Lines, Stream, Code, WithBOM); });
    return true;
  }
  if (Code >= teCyrillicDos && Code <= teCyrillicKoi8) {
    WriteFileReplacing(FileName, [&](TStream& Stream) { SaveCyrillicLines(Lines, Stream, CodePageTableIndex(Code)); });
    return true;
  }
  return false;
}

bool SaveTextFile(TCustomTxtEdit* Editor, const WideString& FileName, TTextEncoding Code, bool WithBOM) {
  return SaveTextFile(Editor->Lines(), FileName, Code, WithBOM);
}

// ---- wide lists ----

void LoadWideStrings(TWideStringList* List, const WideString& FileName, TTextEncoding Code, TWideTextLayout* Layout) {
  TFileStream stream(FileName, kReadMode);
  const bool unicode = Code >= teUnicode && Code <= teUtf8;
  if (unicode) SkipMark(stream, Code);
  const int64_t remaining = Remaining(stream);
  if (remaining > INT_MAX - 8) throw EReadError("Stream read error");
  std::string bytes(static_cast<size_t>(remaining), '\0');
  ReadExactly(stream, bytes.data(), bytes.size());
  TWideTextLayout layout;
  WideString text;
  if (Code == teUnicode || Code == teBigEndianUnicode) {
    text.resize(bytes.size() / 2);
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    if (Code == teBigEndianUnicode) SwapWideCharBytes(text);
    layout.Lossy = bytes.size() % 2 != 0;
  } else if (Code == teUtf8) {
    text = DecodeUtf8ToWide(bytes);
    layout.Lossy = !WellFormedUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  } else {
    text = AnsiToWide(bytes, CP_ACP);
  }
  bool sawCR = false, sawLF = false;
  WithinUpdate(*List, [&] {
    List->Clear();
    const wchar_t* p = text.data();
    const wchar_t* end = p + text.size();
    while (p < end) {
      const wchar_t* start = p;
      while (p < end && *p != L'\r' && *p != L'\n') ++p;
      List->Add(WideString(start, p));
      if (p < end && *p == L'\r') {
        sawCR = true;
        ++p;
      }
      if (p < end && *p == L'\n') {
        sawLF = true;
        ++p;
      }
    }
  });
  layout.FinalBreak = !text.empty() && (text.back() == L'\r' || text.back() == L'\n');
  layout.LineBreak = sawCR && !sawLF ? lbfCR : sawLF && !sawCR ? lbfLF : lbfCRLF;
  if (Layout) *Layout = layout;
}

bool SaveWideStrings(TWideStringList* List, const WideString& FileName, TTextEncoding Code, bool WithBOM,
                     const TWideTextLayout* Layout) {
  if (Code < teAnsi || Code > teUtf8) return false;
  const TWideTextLayout layout = Layout ? *Layout : TWideTextLayout{};
  const std::string_view lineBreak = LineBreakText(layout.LineBreak);
  const WideString separator(lineBreak.begin(), lineBreak.end());
  WideString text = List->GetSeparatedText(separator);
  if (layout.FinalBreak && List->Count() > 0) text += separator;
  WriteFileReplacing(FileName, [&](TStream& Stream) { WriteWideText(&Stream, text, Code, WithBOM); });
  return true;
}

void WriteWideText(TStream* Stream, const WideString& Text, TTextEncoding Code, bool WithBOM) {
  if (Code == teAnsi) {
    const AnsiString bytes = WideToAnsi(Text, CP_ACP);
    WriteBytes(*Stream, bytes.data(), bytes.size());
    return;
  }
  if (Code < teUnicode || Code > teUtf8) return;
  WriteMark(*Stream, Code, WithBOM);
  WideString units = Text;
  WriteWideUnits(*Stream, units, Code);
}
