// The exception base and the system-error helpers.
#include "framework/Exceptions.h"

#include "framework/CodePages.h"
#include "framework/Win.h"

Exception::Exception(const WideString& message) : message_(message), utf8_(WideToUtf8(message)) {}

Exception::Exception(const char* utf8Message)
    : message_(Utf8ToWide(utf8Message ? utf8Message : "")), utf8_(utf8Message ? utf8Message : "") {}

Exception::Exception(const std::string& utf8Message) : message_(Utf8ToWide(utf8Message)), utf8_(utf8Message) {}

void Exception::SetMessage(const WideString& message) {
  message_ = message;
  utf8_ = WideToUtf8(message);
}

WideString SysErrorMessage(unsigned long errorCode) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                               FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  WideString text;
  if (n > 0 && buffer) {
    text.assign(buffer, n);
    while (!text.empty() &&
           (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
      text.pop_back();
    if (!text.empty()) text += L'.';
  }
  if (buffer) LocalFree(buffer);
  return text;
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(unsigned long errorCode) {
  WideString message;
  if (errorCode != 0)
    message = L"System Error.  Code: " + std::to_wstring(errorCode) + L".\r\n" + SysErrorMessage(errorCode);
  else
    message = L"A call to an OS function failed";
  throw EOSError(message, errorCode);
}
