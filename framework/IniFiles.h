// INI files: "[Section]" lines, each followed by "key=value" lines. TMemIniFile holds the whole
// document in memory and writes it with UpdateFile; TIniFile reads and writes the file itself
// at every call through the system's profile functions, so comments and layout survive.
// Section and key names compare without regard to case. TMemIniFile reads 8-bit text in the
// ANSI code page, UTF-8 (with or without its mark) and UTF-16 with a mark, and writes the file
// back in the form it came in.
//
// Names and values that the file cannot hold raise EIniFileException on writing instead of
// spoiling the file: line breaks anywhere, a key containing "=" or starting with ";" or "[", a
// value beginning or ending with a blank or a control character (reading trims them away).
#pragma once

#include <list>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/Object.h"
#include "framework/StringLists.h"
#include "framework/Types.h"

class TStream;

class TCustomIniFile : public TObject {
  HV_CLASS(TCustomIniFile, TObject)
 public:
  explicit TCustomIniFile(const WideString& FileName) : fileName_(FileName) {}

  const WideString& FileName() const { return fileName_; }

  // Whether the section holds at least one key.
  virtual bool SectionExists(const AnsiString& Section);
  virtual bool ValueExists(const AnsiString& Section, const AnsiString& Ident);

  virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) = 0;
  virtual void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) = 0;
  // The integer text form, hexadecimal included ("$1F", "0x1F"); the default for anything else.
  int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default);
  void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
  // Written "1" or "0"; any integer other than 0 reads as true.
  bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
  void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  // The locale's float, date and time texts; the default when the text does not convert.
  double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default);
  void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);
  TDateTime ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
  TDateTime ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
  TDateTime ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
  void WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  void WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  void WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
  // Binary data as hexadecimal text, two digits per byte. Reading writes the bytes into the
  // stream and gives their number (0 when the key is missing or the text is not hexadecimal).
  int ReadBinaryStream(const AnsiString& Section, const AnsiString& Name, TStream* Value);
  // Writes the stream from its position to its end.
  void WriteBinaryStream(const AnsiString& Section, const AnsiString& Name, TStream* Value);

  // The key names of a section; the section names; the section as "key=value" lines. Each
  // clears the list first.
  virtual void ReadSection(const AnsiString& Section, TStrings* Strings) = 0;
  virtual void ReadSections(TStrings* Strings) = 0;
  virtual void ReadSectionValues(const AnsiString& Section, TStrings* Strings) = 0;
  virtual void EraseSection(const AnsiString& Section) = 0;
  virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident) = 0;
  virtual void UpdateFile() = 0;

  // Whether a value reads back as written: no line break, and no blank or control character
  // at either end (reading trims them).
  static bool IsStorableValue(const AnsiString& Value);

 protected:
  void SetFileName(const WideString& FileName) { fileName_ = FileName; }
  // Raises EIniFileException when the file cannot hold the name or the value.
  static void CheckStorable(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);

 private:
  WideString fileName_;
};

// The text forms of an INI file.
enum class TIniEncoding { Ansi, Utf8, Utf8Marked, Utf16LE, Utf16BE };

class TMemIniFile : public TCustomIniFile {
  HV_CLASS(TMemIniFile, TCustomIniFile)
 public:
  // Reads the file when it exists; a missing file is an empty document. Zero bytes inside names
  // and values are kept and written back as they are. A file whose text cannot be held as it
  // is (UTF-16 without its mark, broken UTF-8 or UTF-16, characters the ANSI code page lacks)
  // is read as far as it goes, but is never written back: UpdateFile and SaveToFile raise
  // EIniFileException until the document is loaded, cleared or set anew.
  explicit TMemIniFile(const WideString& FileName);
  ~TMemIniFile() override;

  bool SectionExists(const AnsiString& Section) override;
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident) override;
  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  // Writes the whole document to FileName.
  void UpdateFile() override;
  // Writes the whole document to the named file, in the text form the document was read in;
  // 8-bit text that would read back as other text (letters that make UTF-8, the bytes of a
  // UTF-8 mark amid text that is UTF-8 otherwise, zero bytes that look like UTF-16) is written
  // in UTF-8 after its mark instead, and the document keeps that form. Whatever the document
  // holds reads back byte for byte.
  void SaveToFile(const WideString& Name);
  TIniEncoding Encoding() const { return encoding_; }
  // False when the file read last held text that the document could not keep as it was.
  bool Understood() const { return understood_; }
  // Makes a document read from a file it did not understand one that can be written: of what
  // was read it keeps every section and entry that reads back as it is when written in the
  // file's text form (or in UTF-8, for 8-bit text, as SaveToFile writes it), and drops the rest.
  // Characters the file's form could not bring into the code page were already read as their
  // replacements and stay so.
  void KeepWhatReadsBack();

  void Clear();
  // The document as lines: "[Section]", "key=value" lines and an empty line after each
  // section (the list is cleared first).
  void GetStrings(TStrings* List);
  // Replaces the document with the lines: each line and each name and value is trimmed, empty
  // lines and lines starting with ";" are skipped, a key line without "=" is a key with an
  // empty value, a value may contain "=", and a repeated section adds to the first one. Keys
  // before the first section belong to a section without a name, written first, untitled.
  void SetStrings(TStrings* List);
  // Points the document at another file; with Reload, reads it (a missing file empties it).
  void Rename(const WideString& FileName, bool Reload);

 private:
  struct TSection;
  using TSectionList = std::list<TSection>;
  TSection* FindSection(const AnsiString& Name) const;
  TSection& AddSection(const AnsiString& Name);
  void LoadValues();
  void Parse(TStrings* List);

  // Lists, so that erasing an entry leaves the positions of the others alone.
  TSectionList sections_;
  std::unordered_map<AnsiString, TSectionList::iterator> sectionIndex_;  // upper-case name
  TIniEncoding encoding_ = TIniEncoding::Ansi;
  bool understood_ = true;
};

class TIniFile : public TCustomIniFile {
  HV_CLASS(TIniFile, TCustomIniFile)
 public:
  // A name without a folder refers to the Windows folder, as the profile functions have it.
  explicit TIniFile(const WideString& FileName) : TCustomIniFile(FileName) {}

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) override;
  // Raises EIniFileException "Unable to write to %s" when the file cannot be written.
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  // Flushes what the system may still hold for the file.
  void UpdateFile() override;
};
