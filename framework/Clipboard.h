// The clipboard: text in both character types and blocks of any registered format, always
// read and written inside one open session.
//
// Every operation opens the clipboard for itself when no session is open. Writing outside a
// session replaces what the clipboard held; inside a session the first write empties the
// clipboard and later writes add their formats beside it, so that one copy can offer several
// formats:
//
//   TClipboardSession session;          // opens (or raises EClipboardException)
//   Clipboard()->SetAsWideText(text);
//   Clipboard()->SetBuffer(myFormat, block);
//                                        // closed when the session ends
#pragma once

#include <memory>
#include <string>

#include "framework/Exceptions.h"
#include "framework/Persistent.h"
#include "framework/Win.h"

class TUtilityWindow;

HV_DECLARE_EXCEPTION(EClipboardException, Exception);

class TClipboard : public TPersistent {
  HV_CLASS(TClipboard, TPersistent)
 public:
  TClipboard();
  ~TClipboard() override;

  // Nested opens count; the clipboard closes with the last Close. Open tries a few times while
  // another program holds the clipboard, then raises EClipboardException "Cannot open
  // clipboard" (with the system's reason). Close without an open session does nothing.
  void Open();
  void Close();
  bool IsOpen() const { return openCount_ > 0; }

  // Empties the clipboard.
  void Clear();
  bool HasFormat(UINT Format) const;

  // Text up to its first zero character; "" when the clipboard holds no text.
  AnsiString AsText();
  void SetAsText(const AnsiString& Value);
  WideString AsWideText();
  void SetAsWideText(const WideString& Value);

  // The bytes of the clipboard's block in Format, with the block's exact length (zero bytes
  // inside it included); "" when the format is absent. The system keeps no empty blocks:
  // SetBuffer raises EClipboardException "Cannot put an empty block on the clipboard".
  std::string GetBuffer(UINT Format);
  void SetBuffer(UINT Format, const void* Data, size_t Size);
  void SetBuffer(UINT Format, const std::string& Data) { SetBuffer(Format, Data.data(), Data.size()); }

  // The formats the clipboard holds now, in the order the system lists them.
  int FormatCount();
  UINT Formats(int Index);

  // The number of a private format of that name (the same in every process); raises EOSError
  // when the system refuses the name.
  static UINT RegisterFormat(const WideString& Name);

 private:
  // Prepares a write: the first write of a session empties the clipboard.
  void Adding();
  HWND Window();

  std::unique_ptr<TUtilityWindow> window_;
  int openCount_ = 0;
  bool emptied_ = false;
};

// Opens the clipboard for the lifetime of the object.
class TClipboardSession {
 public:
  explicit TClipboardSession(TClipboard* Board);
  TClipboardSession();  // the global clipboard
  TClipboardSession(const TClipboardSession&) = delete;
  TClipboardSession& operator=(const TClipboardSession&) = delete;
  ~TClipboardSession();

 private:
  TClipboard* board_;
};

// The program's clipboard object (made on first use).
TClipboard* Clipboard();
