// Text-file encodings: the codes a document carries, the detection of UTF-8, byte-order marks
// and Cyrillic code pages, and the loading and saving of the editor's 8-bit lines in each code.
//
// The editor's lines are 8-bit text in the ANSI code page. Loading tells the caller when the
// file held more than the lines can (characters outside the code page, malformed UTF-8, a cut
// UTF-16 unit, Cyrillic bytes that the tables do not give back), so that nobody saves over such
// a file unaware. The line-break style and a final line break survive every code.
#pragma once

#include <array>
#include <cstdint>

#include "editor/TxtEditTextBuffer.h"
#include "framework/Streams.h"
#include "framework/Types.h"

class TCustomTxtEdit;
class TWideStringList;

using TTextEncoding = uint8_t;
constexpr TTextEncoding teAutoSelect = 0;  // not a file encoding: detect when loading
constexpr TTextEncoding teAnsi = 1;
constexpr TTextEncoding teUnicode = 2;           // UTF-16 little endian, mark FF FE
constexpr TTextEncoding teBigEndianUnicode = 3;  // UTF-16 big endian, mark FE FF
constexpr TTextEncoding teUtf8 = 4;              // mark EF BB BF only when asked
constexpr TTextEncoding teCyrillicDos = 5;       // code page 866
constexpr TTextEncoding teCyrillicIso = 6;       // ISO 8859-5
constexpr TTextEncoding teCyrillicKoi8 = 7;      // KOI8-R
constexpr TTextEncoding teLastEncoding = 7;

extern const uint8_t BomUtf8[3];
extern const uint8_t BomUtf16LE[2];
extern const uint8_t BomUtf16BE[2];

// A Cyrillic code page's name and the images of the bytes 0x80-0xFF (entry i is byte 0x80 + i).
struct TCodePageMap {
  const char* Name;
  std::array<uint8_t, 128> Map;
};
// Index 0 is Windows-1251 itself, 1 KOI8-R, 3 ISO 8859-5, 5 DOS866; the other records keep
// their places with identity maps.
extern const TCodePageMap FromWin1251[9];
extern const TCodePageMap ToWin1251[9];
// A file stream over a handle opened by a wide name. CreateMode creates or truncates the file
// (reading and writing, no sharing); any other mode opens an existing file: the low two bits
// give the access (0 read, 1 write, 2 both; 3 is invalid), bits 4-7 the sharing (0x00 and 0x10
// none, 0x20 others may read, 0x30 others may write, 0x40 both; above is invalid). Nothing is
// raised when the mode is invalid or the file cannot be opened: the handle is then invalid,
// size and position read as -1, a read gives nothing and a write raises the stream's write
// error.
class TWideFileStream : public THandleStream {
  HV_CLASS(TWideFileStream, THandleStream)
 public:
  static constexpr uint16_t CreateMode = 0xFFFF;
  TWideFileStream(const WideString& FileName, uint16_t Mode);
  ~TWideFileStream() override;
  TWideFileStream(const TWideFileStream&) = delete;
  TWideFileStream& operator=(const TWideFileStream&) = delete;
  // The access and sharing flags of a mode other than CreateMode; false for an invalid one.
  static bool ModeFlags(uint16_t Mode, DWORD& Access, DWORD& Share);
};

// The table index of a document code: 5 -> 5, 6 -> 3, 7 -> 1, any other code -> 0.
int CodePageTableIndex(TTextEncoding Code);

// Whether the next 16384 bytes of the stream (fewer at its end) look like UTF-8: a UTF-8 mark,
// or a first multi-byte sequence that is well formed. The position is kept.
bool IsUTF8Text(TStream* Stream);
// 4 for UTF-8, 2 or 3 for a UTF-16 mark, else 1. The position is kept.
TTextEncoding DetectEncoding(TStream* Stream);
// The same for a file; a file that cannot be opened gives 1.
TTextEncoding DetectFileEncoding(const WideString& FileName);

// What an 8-bit text read with detection is: Cyrillic text and the table index of its code page
// (0 Windows-1251, 1, 3 or 5), or text to keep as it is (index 0, not Cyrillic): Latin text in
// the ANSI code page, ASCII, and whatever does not clearly read as Russian words. Loading, its
// warning and the queries below all ask this one routine.
struct TTextScript {
  int Index = 0;
  bool Cyrillic = false;
};
TTextScript DetectTextScript(const char* Text, size_t Length);
// The table index DetectTextScript finds.
int DetectCyrillicCodePage(const AnsiString& Text);
int DetectCyrillicCodePage(const char* Text, size_t Length);
// Whether DetectTextScript finds Cyrillic text in Windows-1251.
bool IsCyrillicWin1251Text(const char* Text, size_t Length);
// Byte conversion between table indexes: through Windows-1251, bytes below 0x80 unchanged.
AnsiString ConvertString(const AnsiString& S, int From, int To);
void ConvertLines(TStrings* Lines, int From, int To);
// The code page the lines of a document loaded in Code hold their characters in: Windows-1251,
// through which the Cyrillic code pages are converted, or the ANSI code page.
unsigned HeldCodePage(TTextEncoding Code, unsigned AnsiCodePage);
// The distinct characters of the lines (their bytes, ascending) that saving in Code changes:
// read in the code page of a document loaded in HeldIn, they come out of the save as other
// characters, because Code's code page has no place for them (its table writes another
// character) or because the bytes are written, or widened, in an ANSI code page that reads them
// otherwise. Empty when the save keeps every character.
AnsiString UnkeptCharacters(const TTxtEditStringList* Lines, TTextEncoding HeldIn, TTextEncoding Code,
                            unsigned AnsiCodePage);
// The same for lines held in Code itself, under the process's ANSI code page.
AnsiString UnkeptCharacters(const TTxtEditStringList* Lines, TTextEncoding Code);

// Fills the lines from the file; Code 0 detects. Returns the code used, which the caller keeps
// for the document. Lossy tells that the lines do not hold everything the file holds, so that
// saving would change the file. Failures raise (EFOpenError when the file cannot be opened)
// and leave the lines as they were. Cyrillic1251, when given, tells that detection found
// Cyrillic text in Windows-1251 (loaded as ANSI, which shows it only under that code page).
TTextEncoding LoadTextFile(TTxtEditStringList* Lines, const WideString& FileName, TTextEncoding Code, bool& Lossy,
                           bool* Cyrillic1251 = nullptr);
TTextEncoding LoadTextFile(TTxtEditStringList* Lines, const WideString& FileName, TTextEncoding Code);

// Writes the lines in Code, with their line-break style; WithBOM matters only for code 4. The
// text goes beside the file first and replaces it only when it was written whole, so a failed
// save raises and leaves the old file as it was. Codes 0 and above 7 write nothing and give
// false.
bool SaveTextFile(TTxtEditStringList* Lines, const WideString& FileName, TTextEncoding Code, bool WithBOM);
bool SaveTextFile(TCustomTxtEdit* Editor, const WideString& FileName, TTextEncoding Code, bool WithBOM);

// How a file's text was broken into lines, which a wide list does not keep itself.
struct TWideTextLayout {
  TTxtEditLineBreakFormat LineBreak = lbfCRLF;
  bool FinalBreak = false;  // the text ended with a line break
  bool Lossy = false;       // malformed UTF-8 or a last odd byte of UTF-16 was met
};

// A wide list from or to a file in codes 1-4 (other codes read as 1). Lines break at CR, LF and
// CR LF only. Loading raises EFOpenError when the file cannot be opened.
void LoadWideStrings(TWideStringList* List, const WideString& FileName, TTextEncoding Code,
                     TWideTextLayout* Layout = nullptr);
// Writes nothing and gives false for codes outside 1-4; otherwise replaces the file as
// SaveTextFile does. Without a layout the lines are joined by CR LF with no final break.
bool SaveWideStrings(TWideStringList* List, const WideString& FileName, TTextEncoding Code, bool WithBOM,
                     const TWideTextLayout* Layout = nullptr);
// One wide text in code 1 (ANSI), 2, 3 or 4 (with its mark as for saving); other codes write
// nothing. Every unit is written, zero units included.
void WriteWideText(TStream* Stream, const WideString& Text, TTextEncoding Code, bool WithBOM);

// The well-formed UTF-8 sequence at P (at most Available bytes): its length (1 for a 7-bit
// byte), or 0 when it is malformed or cut off.
size_t Utf8SequenceLength(const uint8_t* P, size_t Available);
