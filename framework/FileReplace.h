// Writing a file safely: the new contents go to a file beside the target, which replaces the
// target only once everything was written.
#pragma once

#include <functional>

#include "framework/Streams.h"

// Writes a file through Write into a new file beside it, under a name no other writer uses,
// which replaces it (keeping its attributes) only when everything was written and flushed: a
// failure raises (EFCreateError when the file cannot be written) and leaves the file as it was.
void WriteFileReplacing(const WideString& FileName, const std::function<void(TStream& Stream)>& Write);
