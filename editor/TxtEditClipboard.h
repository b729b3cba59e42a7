// The editor's clipboard transfer: the text as Unicode text for every program, and a private
// block that keeps the selection mode (and the exact bytes) for editors of this program.
//
// Private block: one byte, the selection mode (0 normal, 1 line, 2 column), then the 8-bit
// text, then a zero byte. Another program may put anything under that name, so reading trusts
// only what the block's size allows.
#pragma once

#include <string>
#include <string_view>

#include "editor/TxtEditTypes.h"
#include "framework/Types.h"
#include "framework/Win.h"

// The number of the private format, registered under "TxtEdit Control Block Type" on first use.
UINT TxtEditClipboardFormat();

std::string TxtEditEncodeClipboardBlock(TTxtSelectionMode Mode, std::string_view Text);
// False for an empty block. A mode byte above 2 reads as normal mode; the text runs to the
// block's end, without the terminating zero bytes, and keeps the zero bytes inside it.
bool TxtEditDecodeClipboardBlock(std::string_view Block, TTxtSelectionMode& Mode, AnsiString& Text);

// Replaces the clipboard's content by the text (as Unicode text and as the private block) in
// one clipboard session. Nothing happens for an empty text. Raises EClipboardException when
// the clipboard cannot be opened.
void TxtEditCopyToClipboard(const AnsiString& Text, TTxtSelectionMode Mode);

// What a paste finds on the clipboard.
struct TTxtClipboardContent {
  enum TKind { ckNone, ckBlock, ckText, ckBlockLockFailed } Kind = ckNone;
  TTxtSelectionMode Mode = smNormal;  // Block: the block's mode
  AnsiString Text;
};
// Reads the private block when there is one, else the text (Unicode text converted to the
// ANSI code page, or the 8-bit text), in one clipboard session.
TTxtClipboardContent TxtEditReadClipboard();
// The clipboard holds text or the private block.
bool TxtEditClipboardHasText();
