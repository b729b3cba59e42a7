// Writing a file safely: the new contents go to a file beside the target, which replaces the
// target only once everything was written.
#pragma once

#include <functional>

#include "framework/Exceptions.h"
#include "framework/Streams.h"

// A safe write that failed: the message names the file and says what the system said, whose
// error code comes with it.
class EFileReplaceError : public EFCreateError {
 public:
  EFileReplaceError(const WideString& Message, unsigned long Code) : EFCreateError(Message), ErrorCode(Code) {}
  unsigned long ErrorCode;
};

// A full path as the file functions take it past MAX_PATH: "\\?\C:\..." or "\\?\UNC\server\...",
// for names long enough that a suffix would pass the limit; shorter names and names already in
// that form stay as they are.
WideString LongPathForm(const WideString& FullPath);

// Writes a file through Write into a new file beside it, under a name no other writer uses,
// which replaces it (keeping its attributes) only when everything was written and flushed: a
// failure raises (EFCreateError when the file cannot be written) and leaves the file as it was.
void WriteFileReplacing(const WideString& FileName, const std::function<void(TStream& Stream)>& Write);
