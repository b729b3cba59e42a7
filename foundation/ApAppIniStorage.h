// The INI-file back end of the settings storage: a path's part before its last "\" is the
// section, the rest the key; every value type has a fixed text in the file; the whole file is
// read and written at once.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "foundation/ApAppStorage.h"
#include "framework/IniFiles.h"

HV_ENUM(TFileLocation, flCustom, flWindows, flTemp, flExeFile, flUserFolder)

using TApGetFileNameEvent = TEvent<void(TObject* Sender, AnsiString& FileName)>;

// A storage kept in one file, named by FileName and Location.
class TApCustomAppMemoryFileStorage : public TApCustomAppStorage {
  HV_CLASS(TApCustomAppMemoryFileStorage, TApCustomAppStorage)
 public:
  explicit TApCustomAppMemoryFileStorage(TComponent* AOwner);

  const AnsiString& FileName() const { return fileName_; }
  // Gets the default extension when it has none; a new name flushes the old file first and
  // reloads from the new one (not while the component is being loaded).
  void SetFileName(const AnsiString& Value);
  TFileLocation Location() const { return location_; }
  void SetLocation(TFileLocation Value);
  const TApGetFileNameEvent& OnGetFileName() const { return onGetFileName_; }
  void SetOnGetFileName(const TApGetFileNameEvent& Value);
  // The file the storage reads and writes: empty when FileName is empty (except with
  // flCustom, where OnGetFileName may still name one).
  AnsiString FullFileName();
  // The file named in full in UTF-16, so that a folder named outside the ANSI code page keeps
  // its name; while set, it is the file the storage reads and writes, whatever FileName and
  // Location say. A new name flushes the old file first and reloads from the new one.
  const WideString& WideFileName() const { return wideFileName_; }
  void SetWideFileName(const WideString& Value);
  // The file the storage reads and writes, with every folder in UTF-16.
  WideString FullWideFileName();

  // The whole content as text.
  virtual AnsiString GetAsString() = 0;
  virtual void SetAsString(const AnsiString& Value) = 0;

  void Reload() override;

 protected:
  TApCustomAppMemoryFileStorage(TComponent* AOwner, std::unique_ptr<TApAppStorageOptions> Options);
  virtual AnsiString DefaultExtension() const { return AnsiString(); }
  virtual AnsiString DoGetFileName();
  bool GetPhysicalReadOnly() override { return physicalReadOnly_; }
  bool AutoReloadActive() override { return !loadedOnce_ || AutoReload(); }
  void UpdatePhysicalReadOnly();
  void MarkLoaded() { loadedOnce_ = true; }
  void MarkUnread() { loadedOnce_ = false; }
  bool LoadedOnce() const { return loadedOnce_; }
  // Flushes, applies the change, recomputes the read-only state and reloads.
  template <class F>
  void ChangeFile(F Change);

 private:
  AnsiString fileName_;
  WideString wideFileName_;
  TFileLocation location_ = flExeFile;
  TApGetFileNameEvent onGetFileName_;
  bool physicalReadOnly_ = false;
  bool loadedOnce_ = false;
};

class TApAppIniStorageOptions : public TApAppStorageOptions {
  HV_CLASS(TApAppIniStorageOptions, TApAppStorageOptions)
 public:
  TApAppIniStorageOptions();
  void Assign(TPersistent* Source) override;

  // "\" doubled and line breaks written as "\n" (read back as CR LF).
  bool ReplaceCRLF() const { return replaceCRLF_; }
  virtual void SetReplaceCRLF(bool Value) { replaceCRLF_ = Value; }
  // Values beginning or ending with a blank written in double quotes.
  bool PreserveLeadingTrailingBlanks() const { return preserveBlanks_; }
  virtual void SetPreserveLeadingTrailingBlanks(bool Value) { preserveBlanks_ = Value; }

 private:
  bool replaceCRLF_ = false;
  bool preserveBlanks_ = false;
};

// Values that the INI text could not hold as they are (line breaks, blanks at either end), or
// that begin like the safe form, are written in the safe form: a DEL character, then the text
// in double quotes with "\\", "\r" and "\n" escapes, so that every value reads back exactly;
// every other value is written as it is, and a file written without the safe form reads
// exactly as written. ReplaceCRLF and PreserveBlanks are the two optional escapes of the format
// (with ReplaceCRLF every line break reads back as CR LF).
AnsiString IniEncodeValue(const AnsiString& Value, bool ReplaceCRLF, bool PreserveBlanks);
AnsiString IniDecodeValue(const AnsiString& Text, bool ReplaceCRLF, bool PreserveBlanks);

class TApCustomAppIniStorage : public TApCustomAppMemoryFileStorage {
  HV_CLASS(TApCustomAppIniStorage, TApCustomAppMemoryFileStorage)
 public:
  explicit TApCustomAppIniStorage(TComponent* AOwner);
  ~TApCustomAppIniStorage() override;

  TApAppIniStorageOptions* IniStorageOptions() const { return static_cast<TApAppIniStorageOptions*>(StorageOptions()); }
  const AnsiString& DefaultSection() const { return defaultSection_; }
  void SetDefaultSection(const AnsiString& Value) { defaultSection_ = Value; }
  TMemIniFile& IniFile() { return *ini_; }

  AnsiString GetAsString() override;
  void SetAsString(const AnsiString& Value) override;

  void EnumFolders(const AnsiString& Path, TStrings& Strings, bool ReportListAsValue = true) override;
  void EnumValues(const AnsiString& Path, TStrings& Strings, bool ReportListAsValue = true) override;

 protected:
  AnsiString DefaultExtension() const override { return "ini"; }

  virtual AnsiString ReadValue(const AnsiString& Section, const AnsiString& Key);
  virtual void WriteValue(const AnsiString& Section, const AnsiString& Key, const AnsiString& Value);
  virtual void RemoveValue(const AnsiString& Section, const AnsiString& Key);

  // One change of the document: a value written (Value as the program gave it), a value or the
  // list stored under Key removed, or Section with every section below it removed.
  enum class TIniChangeKind { Write, Remove, RemoveTree };
  struct TIniChange {
    TIniChangeKind Kind;
    AnsiString Section, Key, Value;
  };
  // Every change of the document passes here, after the reload and before the flush they ask
  // for; the file storage weighs it first against what the run started with.
  virtual void Change(const TIniChange& C) { Apply(C); }
  // Makes the change in the document.
  void Apply(const TIniChange& C);
  // Told of every value the program reads or looks for (Section already made whole).
  virtual void ValueRead(const AnsiString& /*Section*/, const AnsiString& /*Key*/) {}
  // Raises "TApAppIniFileStorage.ReadValue: Section undefined" when no section can be made.
  AnsiString CheckSection(const AnsiString& Section) const;

  bool IsFolderInt(const AnsiString& Path, bool ListIsValue) override;
  bool PathExistsInt(const AnsiString& Path) override;
  bool ValueStoredInt(const AnsiString& Path) override;
  void DeleteValueInt(const AnsiString& Path) override;
  void DeleteSubTreeInt(const AnsiString& Path) override;
  int DoReadInteger(const AnsiString& Path, int Default) override;
  void DoWriteInteger(const AnsiString& Path, int Value) override;
  long double DoReadFloat(const AnsiString& Path, long double Default) override;
  void DoWriteFloat(const AnsiString& Path, long double Value) override;
  AnsiString DoReadString(const AnsiString& Path, const AnsiString& Default) override;
  void DoWriteString(const AnsiString& Path, const AnsiString& Value) override;
  int DoReadBinary(const AnsiString& Path, void* Buf, int Count) override;
  void DoWriteBinary(const AnsiString& Path, const void* Buf, int Count) override;

  // Reloads first when the storage asks for it (a file never read that cannot be opened leaves
  // the document as it is); flushes after a change when it asks for it.
  void ReloadIfNeeded();
  void FlushIfNeeded();

 private:
  // The section and key of a path (an empty section is the default one).
  void MapPath(const AnsiString& Path, AnsiString& Section, AnsiString& Key);
  bool KeyExists(const AnsiString& Path);

  std::unique_ptr<TMemIniFile> ini_;
  AnsiString defaultSection_;
};

// A settings file that the INI document cannot hold as it is (a stray byte in UTF-8, text of
// another code page) is kept whole beside it, under the name DamagedSettingsFileName gives, and
// written anew with what could be read from it, so that the settings are not refused at every
// later write. Gives the kept copy's name; empty when the file is missing or sound, which is
// never touched. A file that cannot be read raises EFOpenError and stays as it is; one that
// cannot be kept or written anew raises EIniFileException and stays as it is.
WideString KeepDamagedSettingsFile(const WideString& FileName);
// "Name (damaged).ini" beside "Name.ini", or "Name (damaged 2).ini" and so on when taken.
WideString DamagedSettingsFileName(const WideString& FileName);

// The application's INI storage: flushed to and reloaded from its file.
//
// A file another program held when the storage first named it holds the user's settings,
// while the program started on its defaults. What the program holds as it starts is recorded
// (RecordStartingValues), and once the file is read only what the run changed goes over the
// file's values: a value written as it started leaves the file's own, a value written otherwise
// (before the file could be read or after) is written, a removal of what the run started
// without leaves the file's. A list ("Count" and its items) the run changed, one it started
// with or one it wrote before the file could be read, takes the run's changes over the file's
// list as it is at each write (another copy of the program may change it meanwhile): the items
// the run added (new to its start, or moved ahead of another item of its start, as a history
// does with an item used again) go in front in the run's order, the items of its start that it
// dropped go, every other item of the file's list stays in its order, but for the items the run
// itself put there before and no longer holds; no item is listed twice, and the list keeps to its
// limit (LimitList). An item is its value with whatever
// is stored below it. A value or list the program read from the file once it could be read is
// its own from then on, whatever it writes. Without a recorded start, every value the run
// writes is written (a list written before the file could be read is still put together with
// the file's) and the rest stays the file's.
class TApAppIniFileStorage : public TApCustomAppIniStorage {
  HV_CLASS(TApAppIniFileStorage, TApCustomAppIniStorage)
 public:
  explicit TApAppIniFileStorage(TComponent* AOwner);
  // Writes the file when FlushOnDestroy is set; a failure to write goes to the application's
  // exception handling, since a destructor cannot raise it.
  ~TApAppIniFileStorage() override;

  // Writes the whole document (creating the file's folders) unless the storage is read-only
  // or has no file; raises EFCreateError when the file cannot be written and
  // EIniFileException when the file held text the document could not keep (it stays as it is).
  void Flush() override;
  // Reads the file again; a missing file empties the document, and a damaged one is kept
  // beside it and written anew (KeepDamagedSettingsFile), and OnFileKept is called. A file that
  // cannot be opened before it was ever read raises EFOpenError, leaves the document on what
  // the run writes and is read at the next read or write that can; until then the storage
  // writes nothing into it, and what the run changed meanwhile goes over what it holds then.
  void Reload() override;
  // Where the damaged file read last was kept; empty when none was.
  const WideString& KeptFileName() const { return keptFileName_; }
  // Records what Write writes as the values the program starts with, while the file could not
  // be read yet (nothing is written); a value keeps the first one recorded.
  void RecordStartingValues(const std::function<void()>& Write) override;
  void LimitList(const AnsiString& Path, int MaxCount) override;

  // Called when the storage has kept a damaged file beside it (KeptFileName), so that the user
  // is told.
  TNotifyEvent OnFileKept;

 protected:
  void Change(const TIniChange& C) override;
  void ValueRead(const AnsiString& Section, const AnsiString& Key) override;

 private:
  using TValues = std::map<AnsiString, AnsiString>;
  // Values by section and key, upper case.
  using TTree = std::map<AnsiString, TValues>;
  // An item of a list: its value, and the values stored below it by their sections' paths below
  // the item's ("" for the item's own section).
  struct TListItem {
    bool HasValue = false;
    AnsiString Value;
    TTree Below;
    auto operator<=>(const TListItem&) const = default;
  };
  using TItems = std::vector<TListItem>;
  // A list whose items the run changes over the file's: its section as the program names it,
  // what the run wrote of it (over what it started with), the file's list as the other programs
  // have it, and what the run put into the file last; Changed once the run's items first
  // differed from its start.
  struct TListMerge {
    AnsiString Name;
    TTree Run;
    TItems File, Written;
    bool Changed = false;
  };

  // The items of the list at Root in the tree, in the order of their numbers: those below its
  // Count, or every one there when Count is no number.
  static TItems ListItems(const TTree& Tree, const AnsiString& Root);

  // Whether the change alters what the run started with (or what the storage cannot tell).
  bool RunChanged(const TIniChange& C);
  // The section, at or above Section, of a list the run started with; empty when none is.
  AnsiString ListRoot(const AnsiString& Section) const;
  bool StartedBelow(const AnsiString& Root) const;
  bool Owned(const AnsiString& Section, const AnsiString& Key) const;
  // Takes a change of the items of a list whose items the run puts over the file's (one it
  // started with, or among Lists, those it wrote before the file could be read), and puts the
  // list together anew in the document; false for any other change.
  bool MergeList(const TIniChange& C, const std::set<AnsiString>& Lists);
  // The merged lists Which picks are the run's own from now on, as a whole.
  void OwnMergedLists(const std::function<bool(const AnsiString& Root)>& Which);
  // The document's sections at or below Root, with their values as the program wrote them.
  TTree DocumentBelow(const AnsiString& Root);
  void PutMergedList(const AnsiString& Root);
  // What the run changed before the file could be read, done over what the file holds.
  void ReplayPending();
  void ForgetRunsStart();

  WideString keptFileName_;
  // The file read last, and the one that could not be read when first named.
  WideString readName_, awaitedName_;
  bool recordingStart_ = false;
  // By section and key, upper case: what the program held as it started without its file.
  TTree starting_;
  // Values ("SECTION\x01KEY") and subtrees (sections) that the run changed or read from the
  // file: every later write of them is the run's.
  std::set<AnsiString> ownKeys_, ownRoots_;
  // The changes made while the file could not be read, until a flush writes them.
  std::vector<TIniChange> pending_;
  // By list section, upper case.
  std::map<AnsiString, TListMerge> merges_;
  std::map<AnsiString, int> limits_;
};
