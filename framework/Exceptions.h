// The exception family of the framework. Messages are UTF-16; what() gives them as UTF-8.
// Constructors taking narrow text read it as UTF-8 (the source files are UTF-8).
#pragma once

#include <exception>
#include <string>

#include "framework/Types.h"

class Exception : public std::exception {
 public:
  explicit Exception(const WideString& message);
  explicit Exception(const char* utf8Message);
  explicit Exception(const std::string& utf8Message);
  Exception(const Exception&) = default;
  Exception& operator=(const Exception&) = default;
  ~Exception() override = default;

  const WideString& Message() const { return message_; }
  void SetMessage(const WideString& message);
  // The message as UTF-8.
  const char* what() const noexcept override { return utf8_.c_str(); }

  int HelpContext = 0;

 private:
  WideString message_;
  std::string utf8_;
};

#define HV_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {             \
   public:                               \
    using Base::Base;                    \
  }

// Raised to leave an operation silently: the application's handler shows nothing for it.
HV_DECLARE_EXCEPTION(EAbort, Exception);
HV_DECLARE_EXCEPTION(EConvertError, Exception);
HV_DECLARE_EXCEPTION(EInvalidCast, Exception);
HV_DECLARE_EXCEPTION(EInvalidArgument, Exception);
HV_DECLARE_EXCEPTION(EInvalidOperation, Exception);
HV_DECLARE_EXCEPTION(EInvalidPointer, Exception);
HV_DECLARE_EXCEPTION(ERangeError, Exception);
HV_DECLARE_EXCEPTION(EAssertionFailed, Exception);
HV_DECLARE_EXCEPTION(EOutOfResources, Exception);
HV_DECLARE_EXCEPTION(EComponentError, Exception);
HV_DECLARE_EXCEPTION(EPropertyError, Exception);
HV_DECLARE_EXCEPTION(EVariantError, Exception);
HV_DECLARE_EXCEPTION(EListError, Exception);
HV_DECLARE_EXCEPTION(EStringListError, EListError);
HV_DECLARE_EXCEPTION(EResNotFound, Exception);
HV_DECLARE_EXCEPTION(EStreamError, Exception);
HV_DECLARE_EXCEPTION(EFCreateError, EStreamError);
HV_DECLARE_EXCEPTION(EFOpenError, EStreamError);
HV_DECLARE_EXCEPTION(EFilerError, EStreamError);
HV_DECLARE_EXCEPTION(EReadError, EFilerError);
HV_DECLARE_EXCEPTION(EWriteError, EFilerError);
HV_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
HV_DECLARE_EXCEPTION(EMethodNotFound, EFilerError);
HV_DECLARE_EXCEPTION(EIniFileException, Exception);
HV_DECLARE_EXCEPTION(ERegistryException, Exception);

// An operating-system failure with its error code.
class EOSError : public Exception {
 public:
  EOSError(const WideString& message, unsigned long errorCode) : Exception(message), ErrorCode(errorCode) {}
  EOSError(const std::string& message, unsigned long errorCode) : Exception(message), ErrorCode(errorCode) {}
  unsigned long ErrorCode;
};

// The system's text for an error code, without a trailing line break.
WideString SysErrorMessage(unsigned long errorCode);
// Raises EOSError for GetLastError(): "System Error.  Code: %d.\r\n%s".
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(unsigned long errorCode);
