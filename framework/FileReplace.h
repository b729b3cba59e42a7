// Writing a file safely: the new contents go to a file beside the target, which replaces the
// target only once everything was written.
#pragma once

#include <functional>

#include "framework/Exceptions.h"
#include "framework/Streams.h"

// A safe write that failed: the message names the file and says what the system said, whose
// error code comes with it. When the old file was gone and the new contents could not take its
// place, they stay in KeptFile, which the message names too (else KeptFile is empty).
class EFileReplaceError : public EFCreateError {
 public:
  EFileReplaceError(const WideString& Message, unsigned long Code, const WideString& Kept = WideString())
      : EFCreateError(Message), ErrorCode(Code), KeptFile(Kept) {}
  unsigned long ErrorCode;
  WideString KeptFile;
};

// The system's calls that put the written file in place of the old one; tests put failing ones
// in place. Each answers false with the thread's last error set when it fails.
class TFileReplaceCalls {
 public:
  virtual ~TFileReplaceCalls() = default;
  // ReplaceFileW of Target by Replacement, keeping more of the old file (its creation time, its
  // security).
  virtual bool Replace(const WideString& Target, const WideString& Replacement);
  // MoveFileExW of Source onto Target, over a file of that name, written through.
  virtual bool Move(const WideString& Source, const WideString& Target);
};
// Puts calls in place (null: the system's) and returns the ones they replace (null for the
// system's).
TFileReplaceCalls* SetFileReplaceCalls(TFileReplaceCalls* Calls);

// A full path as the file functions take it past MAX_PATH: "\\?\C:\..." or "\\?\UNC\server\...",
// for names long enough that a suffix would pass the limit; shorter names and names already in
// that form stay as they are.
WideString LongPathForm(const WideString& FullPath);

// Writes a file through Write into a new file beside it, under a name no other writer uses,
// which replaces it (keeping its attributes) only when everything was written and flushed: a
// failure raises (EFCreateError when the file cannot be written) and leaves the file as it was,
// or, where the system's replace lost the old file and the new one cannot be moved to its name
// either, keeps the new file and names it (EFileReplaceError::KeptFile).
void WriteFileReplacing(const WideString& FileName, const std::function<void(TStream& Stream)>& Write);
