// Copying to and reading from the clipboard in the editor's formats.
#include "editor/TxtEditClipboard.h"

#include "framework/Clipboard.h"
#include "framework/CodePages.h"
#include "framework/GlobalMemory.h"

UINT TxtEditClipboardFormat() {
  static const UINT format = TClipboard::RegisterFormat(L"TxtEdit Control Block Type");
  return format;
}

std::string TxtEditEncodeClipboardBlock(TTxtSelectionMode Mode, std::string_view Text) {
  std::string block;
  block.reserve(Text.size() + 2);
  block.push_back(static_cast<char>(Mode));
  block.append(Text);
  block.push_back('\0');
  return block;
}

bool TxtEditDecodeClipboardBlock(std::string_view Block, TTxtSelectionMode& Mode, AnsiString& Text) {
  if (Block.empty()) return false;
  unsigned char mode = static_cast<unsigned char>(Block[0]);
  Mode = mode <= smColumn ? static_cast<TTxtSelectionMode>(mode) : smNormal;
  std::string_view text = Block.substr(1);
  // The block's size gives the text's length: only the one terminator goes, so that zero
  // bytes at the end of the text itself come through as well.
  if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  Text.assign(text);
  return true;
}

void TxtEditCopyToClipboard(const AnsiString& Text, TTxtSelectionMode Mode) {
  if (Text.empty()) return;
  UINT format = TxtEditClipboardFormat();
  TClipboardSession session;
  Clipboard()->SetAsWideText(AnsiToWide(Text));
  Clipboard()->SetBuffer(format, TxtEditEncodeClipboardBlock(Mode, Text));
}

namespace {

// Decodes the editor's block straight from the open clipboard's memory: a large text is
// copied once. False when the block cannot be locked.
bool ReadBlock(UINT format, TTxtClipboardContent& content) {
  HANDLE data = GetClipboardData(format);
  if (!data) return false;
  TGlobalLock lock(data);
  if (!lock.Data()) return false;
  if (TxtEditDecodeClipboardBlock({static_cast<const char*>(lock.Data()), lock.Size()}, content.Mode, content.Text))
    content.Kind = TTxtClipboardContent::ckBlock;
  return true;
}

}  // namespace

TTxtClipboardContent TxtEditReadClipboard() {
  TTxtClipboardContent content;
  UINT format = TxtEditClipboardFormat();
  TClipboardSession session;
  if (IsClipboardFormatAvailable(format)) {
    if (!ReadBlock(format, content)) {
      content.Kind = TTxtClipboardContent::ckBlockLockFailed;
      return content;
    }
    if (content.Kind == TTxtClipboardContent::ckBlock) return content;
  }
  if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    content.Text = WideToAnsi(Clipboard()->AsWideText());
    content.Kind = TTxtClipboardContent::ckText;
  } else if (IsClipboardFormatAvailable(CF_TEXT)) {
    content.Text = Clipboard()->AsText();
    content.Kind = TTxtClipboardContent::ckText;
  }
  return content;
}

bool TxtEditClipboardHasText() {
  return IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_UNICODETEXT) ||
         IsClipboardFormatAvailable(TxtEditClipboardFormat());
}
