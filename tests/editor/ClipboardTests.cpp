// The editor's clipboard block, copying in one session, and reading what other programs leave.
#include <gtest/gtest.h>

#include "editor/TxtEditClipboard.h"
#include "editor/TxtEditTextUtils.h"
#include "framework/Clipboard.h"
#include "framework/CodePages.h"
#include "tests/framework/Joined.h"

TEST(ClipboardBlock, EncodesModeTextAndTerminator) {
  std::string block = TxtEditEncodeClipboardBlock(smColumn, "ab");
  EXPECT_EQ(block, std::string("\x02"
                               "ab\0",
                               4));
  TTxtSelectionMode mode = smNormal;
  AnsiString text;
  ASSERT_TRUE(TxtEditDecodeClipboardBlock(block, mode, text));
  EXPECT_EQ(mode, smColumn);
  EXPECT_EQ(text, "ab");
}

TEST(ClipboardBlock, UntrustedBlocksAreReadSafely) {
  TTxtSelectionMode mode = smLine;
  AnsiString text = "unchanged";
  EXPECT_FALSE(TxtEditDecodeClipboardBlock(std::string_view(), mode, text));
  EXPECT_EQ(text, "unchanged");

  // A mode byte outside 0..2 is normal mode.
  ASSERT_TRUE(TxtEditDecodeClipboardBlock(std::string("\x07xy\0", 4), mode, text));
  EXPECT_EQ(mode, smNormal);
  EXPECT_EQ(text, "xy");

  // No terminator: the text ends with the block, nothing beyond it is read.
  std::string unterminated(
      "\x01"
      "abcdef",
      7);
  ASSERT_TRUE(TxtEditDecodeClipboardBlock(std::string_view(unterminated.data(), 4), mode, text));
  EXPECT_EQ(mode, smLine);
  EXPECT_EQ(text, "abc");

  // Only the mode byte: an empty text.
  ASSERT_TRUE(TxtEditDecodeClipboardBlock(std::string("\x02", 1), mode, text));
  EXPECT_EQ(text, "");
}

TEST(ClipboardBlock, ZeroBytesInsideTheTextSurvive) {
  std::string withZero("a\0b", 3);
  TTxtSelectionMode mode;
  AnsiString text;
  ASSERT_TRUE(TxtEditDecodeClipboardBlock(TxtEditEncodeClipboardBlock(smNormal, withZero), mode, text));
  EXPECT_EQ(text, withZero);
  // Zero bytes at the end of the text, or nothing else.
  for (const std::string& zeros : {std::string("a\0", 2), std::string("\0\0", 2), std::string(1, '\0')}) {
    ASSERT_TRUE(TxtEditDecodeClipboardBlock(TxtEditEncodeClipboardBlock(smLine, zeros), mode, text));
    EXPECT_EQ(text, zeros);
    EXPECT_EQ(mode, smLine);
  }
}

TEST(EditorClipboard, CopyPutsBothFormatsAndReadsTheBlockBack) {
  std::string withZero("line1\r\nx\0y", 10);
  TxtEditCopyToClipboard(withZero, smLine);
  EXPECT_TRUE(TxtEditClipboardHasText());
  EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_TRUE(Clipboard()->HasFormat(TxtEditClipboardFormat()));
  // Other programs see the text up to the zero.
  EXPECT_EQ(Clipboard()->AsWideText(), L"line1\r\nx");
  TTxtClipboardContent c = TxtEditReadClipboard();
  EXPECT_EQ(c.Kind, TTxtClipboardContent::ckBlock);
  EXPECT_EQ(c.Mode, smLine);
  EXPECT_EQ(c.Text, withZero);
}

TEST(EditorClipboard, AnotherProgramsTextReplacesTheBlockEntirely) {
  TxtEditCopyToClipboard("old", smColumn);
  Clipboard()->SetAsWideText(L"new \u00e9");  // as another program would: the clipboard is emptied
  EXPECT_FALSE(Clipboard()->HasFormat(TxtEditClipboardFormat()));
  TTxtClipboardContent c = TxtEditReadClipboard();
  EXPECT_EQ(c.Kind, TTxtClipboardContent::ckText);
  EXPECT_EQ(c.Text, WideToAnsi(L"new \u00e9"));
}

TEST(EditorClipboard, HostileBlockFromAnotherProgram) {
  {
    TClipboardSession session;
    Clipboard()->SetAsWideText(L"plain");
    Clipboard()->SetBuffer(TxtEditClipboardFormat(), std::string("\xFFzz", 3));
  }
  TTxtClipboardContent c = TxtEditReadClipboard();
  EXPECT_EQ(c.Kind, TTxtClipboardContent::ckBlock);
  EXPECT_EQ(c.Mode, smNormal);
  EXPECT_EQ(c.Text, "zz");
}

TEST(EditorClipboard, EmptyTextCopiesNothing) {
  Clipboard()->SetAsWideText(L"keep");
  TxtEditCopyToClipboard("", smNormal);
  EXPECT_EQ(Clipboard()->AsWideText(), L"keep");
}

TEST(EditorClipboard, CopyRaisesWhenTheClipboardIsHeld) {
  Clipboard()->SetAsWideText(L"before");
  // Another window holds the clipboard open.
  HWND other = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  ASSERT_TRUE(OpenClipboard(other));
  EXPECT_THROW(TxtEditCopyToClipboard("x", smNormal), EClipboardException);
  CloseClipboard();
  DestroyWindow(other);
  EXPECT_EQ(Clipboard()->AsWideText(), L"before");
}

TEST(TextPieces, SplitAtEveryKindOfBreak) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(TxtSplitPieces("a\r\nb\rc\nd", false), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(TxtSplitPieces("a\r\n", false), (V{"a", ""}));
  EXPECT_EQ(TxtSplitPieces("", false), (V{""}));
  EXPECT_EQ(TxtSplitPieces("\n\n", false), (V{"", "", ""}));
  EXPECT_EQ(TxtSplitPieces("\r\r\n", false), (V{"", "", ""}));
}

TEST(TextPieces, WholeLinesEndWithTheirBreak) {
  using V = std::vector<std::string_view>;
  // Three lines copied in line mode are three pieces, not four.
  EXPECT_EQ(TxtSplitPieces("a\r\nb\r\nc\r\n", true), (V{"a", "b", "c"}));
  EXPECT_EQ(TxtSplitPieces("a\r\nb", true), (V{"a", "b"}));
  EXPECT_EQ(TxtSplitPieces("\r\n", true), (V{""}));
  EXPECT_EQ(TxtSplitPieces("\r\n\r\n", true), (V{"", ""}));
}

TEST(TextBlanks, LeadingBlanksAndIndentStrings) {
  // Control characters count as blanks.
  EXPECT_EQ(Joined({"  \tx", "\x01 x", "    ", ""}, [](const char* s) { return TxtLeadingBlanks(s, true, 4); }),
            "4|2|4|0");
  EXPECT_EQ(TxtLeadingBlanks("  \tx", false, 4), 3);
  EXPECT_EQ(TxtLeadingBlanks("\t\t", true, 0), 2);
  EXPECT_EQ(TxtIndentString(10, true, 4), "\t\t  ");
  EXPECT_EQ(TxtIndentString(3, true, 4), "   ");
  EXPECT_EQ(TxtIndentString(10, false, 4), "          ");
  EXPECT_EQ(TxtIndentString(0, true, 4), "");
  EXPECT_EQ(TxtTrimTrailingBlanks("a b \t "), "a b");
  EXPECT_EQ(TxtTrimTrailingBlanks(" \t"), "");
  EXPECT_EQ(Joined({" \t ", "", " x"}, [](const char* s) { return TxtStringIsBlank(s); }), "true|true|false");
}

TEST(TextBlanks, TrailingSpacesAndBlankStrings) {
  const struct {
    const char* Text;
    const char* Trimmed;
    bool Blank;
  } cases[] = {
      {"", "", true},
      {" ", "", true},
      {"\t \t", "", true},
      {"a", "a", false},
      {"a  ", "a", false},
      {"a\t", "a", false},
      {" a b \t", " a b", false},
      // Other control characters are not blanks here.
      {"a\x01", "a\x01", false},
      {"\x01", "\x01", false},
      {"a \r", "a \r", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrimTrailingSpaces(c.Text), c.Trimmed) << c.Text;
    EXPECT_EQ(StringIsBlank(c.Text), c.Blank) << c.Text;
  }
}
