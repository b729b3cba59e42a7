// File names and the file system: splitting and joining names, file and folder tests, folder
// creation and removal, attributes and dates, and searching a folder. Names are wide; both
// "\" and "/" separate folders, ":" ends a drive. Names compare without regard to case.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/CodePages.h"
#include "framework/Types.h"

// ---- names ----
// Up to and including the last separator ("C:\dir\" of "C:\dir\a.txt").
WideString ExtractFilePath(const WideString& fileName);
// The folder without its trailing separator, except for a root ("C:\", "\").
WideString ExtractFileDir(const WideString& fileName);
WideString ExtractFileName(const WideString& fileName);
WideString ExtractFileDrive(const WideString& fileName);
// From the last "." of the name part on (".txt"), empty when there is none.
WideString ExtractFileExt(const WideString& fileName);
WideString ChangeFileExt(const WideString& fileName, const WideString& extension);
WideString IncludeTrailingPathDelimiter(const WideString& path);
WideString ExcludeTrailingPathDelimiter(const WideString& path);
bool IsPathDelimiter(const WideString& s, int index);  // 1-based
// The full, absolute name (GetFullPathNameW): relative names against the current folder,
// "." and ".." resolved. An empty name stays empty.
WideString ExpandFileName(const WideString& fileName);
bool SameFileName(const WideString& a, const WideString& b);

AnsiString ExtractFilePath(const AnsiString& fileName);
AnsiString ExtractFileName(const AnsiString& fileName);
AnsiString ExtractFileExt(const AnsiString& fileName);
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);

// ---- tests and changes ----
// A file (not a folder) of that name exists; never true for names with "*" or "?".
bool FileExists(const WideString& fileName);
bool DirectoryExists(const WideString& directory);
inline bool FileExists(const AnsiString& fileName) { return FileExists(AnsiToWide(fileName)); }
// Creates the folder and every missing folder above it; true when it exists afterwards.
bool ForceDirectories(const WideString& directory);
bool CreateDir(const WideString& directory);
bool RemoveDir(const WideString& directory);
bool DeleteFile(const WideString& fileName);
bool RenameFile(const WideString& oldName, const WideString& newName);
WideString GetCurrentDir();
bool SetCurrentDir(const WideString& directory);

// ---- attributes, dates ----
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;

// The attributes, or -1 when the file does not exist.
int FileGetAttr(const WideString& fileName);
// 0 on success, else the system's error code.
int FileSetAttr(const WideString& fileName, int attr);
// The last-write time as a packed file date, or -1 when the file does not exist.
int32_t FileAge(const WideString& fileName);
// The last-write time in local time; false when the file does not exist.
bool FileAge(const WideString& fileName, TDateTime& dateTime);
// The size in bytes, or -1 when the file does not exist.
int64_t FileSize(const WideString& fileName);

// ---- searching a folder ----
// One entry found. The search handle belongs to the record and is closed by FindClose or
// when the record goes away.
struct TSearchRec {
  int32_t Time = 0;  // packed local file date of the last write
  int64_t Size = 0;
  int Attr = 0;
  WideString Name;
  int ExcludeAttr = 0;
  TDateTime TimeStamp = 0;

  TSearchRec();
  ~TSearchRec();
  TSearchRec(TSearchRec&&) noexcept;
  TSearchRec& operator=(TSearchRec&&) noexcept;
  TSearchRec(const TSearchRec&) = delete;
  TSearchRec& operator=(const TSearchRec&) = delete;

  struct THandleOwner;
  std::unique_ptr<THandleOwner> Handle;
};

// 0 when an entry matching the pattern was found, else the system's error code. Entries that
// are hidden, system files, folders or volume labels are found only when attr names them.
int FindFirst(const WideString& path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// ---- temporary files ----
// The folder for temporary files, with a trailing separator.
WideString GetTempDir();
// Creates an empty file with a unique name in the folder and returns its name.
WideString CreateTempFile(const WideString& directory, const WideString& prefix);

// A new, empty, uniquely named folder under the temporary folder, removed with everything in
// it when the object goes away (for tests and scratch work).
class TTempDirectory {
 public:
  explicit TTempDirectory(const WideString& prefix = L"hv");
  ~TTempDirectory();
  TTempDirectory(const TTempDirectory&) = delete;
  TTempDirectory& operator=(const TTempDirectory&) = delete;

  // The folder's name with a trailing separator.
  const WideString& Path() const { return path_; }
  WideString File(const WideString& name) const { return path_ + name; }

 private:
  WideString path_;
};

// Deletes a folder and everything below it (read-only files too); false when anything
// remains afterwards.
bool DeleteTree(const WideString& directory);
