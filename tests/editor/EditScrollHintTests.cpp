// The vertical scroll hint: its text in both formats, where it stands, and when it shows and
// goes; and the thumb-dragging state of both scroll bars.
#include <gtest/gtest.h>

#include "editor/TxtEdit.h"
#include "framework/HintWindow.h"
#include "tests/editor/EditTestSupport.h"

namespace {

void Scroll(TTxtEdit& e, UINT Message, WORD Code, WORD Position = 0) {
  SendMessageW(e.Handle(), Message, MAKEWPARAM(Code, Position), 0);
}

bool HintShown() {
  THintWindow* hint = TCustomTxtEdit::ScrollHint();
  return hint && hint->HandleAllocated() && IsWindowVisible(hint->Handle());
}

}  // namespace

TEST(EditScrollHint, TextsOfBothFormats) {
  TEditorHost h(NumberedLines(100));
  TTxtEdit& e = h.Edit();
  const int rows = e.LinesInWindow();
  ASSERT_GT(rows, 2);
  const struct {
    int TopLine;
    TScrollHintFormat Format;
    const char* FormatText;
    std::wstring Expected;
  } cases[] = {
      {1, shfTopLineOnly, "Top Line: %d", L"Top Line: 1"},
      {37, shfTopLineOnly, "Top Line: %d", L"Top Line: 37"},
      {37, shfTopLineOnly, "Zeile %d", L"Zeile 37"},
      // A translated format that does not take a line number falls back to the program's own.
      {37, shfTopLineOnly, "Top %s", L"Top Line: 37"},
      {37, shfTopLineOnly, "%d of %d", L"Top Line: 37"},
      {1, shfTopToBottom, "Top Line: %d", L"1 - " + std::to_wstring(1 + rows)},
      {20, shfTopToBottom, "Top Line: %d", L"20 - " + std::to_wstring(20 + rows)},
      // Near the end the last row is the last line.
      {100 - rows + 1, shfTopToBottom, "Top Line: %d", std::to_wstring(100 - rows + 1) + L" - 100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.FormatText);
    e.SetTopLine(c.TopLine);
    ASSERT_EQ(e.TopLine(), c.TopLine);
    e.SetScrollHintFormat(c.Format);
    e.SetScrollHintFormatText(c.FormatText);
    EXPECT_EQ(e.ScrollHintText(), c.Expected);
  }
}

TEST(EditScrollHint, ShownWhileTheThumbIsDraggedAndHiddenAtTheEnd) {
  TEditorHost h(NumberedLines(300));
  TTxtEdit& e = h.Edit();
  e.SetScrollBars(ssBoth);
  EXPECT_EQ(e.ScrollHintFormatText(), "Top Line: %d");
  EXPECT_FALSE(e.IsScrolling());
  Scroll(e, WM_VSCROLL, SB_THUMBTRACK, 42);
  EXPECT_TRUE(e.IsScrolling());
  EXPECT_EQ(e.TopLine(), 42);
  ASSERT_TRUE(HintShown());
  THintWindow* hint = TCustomTxtEdit::ScrollHint();
  EXPECT_EQ(hint->Caption(), L"Top Line: 42");
  EXPECT_EQ(hint->Color(), e.ScrollHintColor());
  // Right-aligned 4 pixels inside the client area, 10 pixels from its top.
  RECT r{};
  GetWindowRect(hint->Handle(), &r);
  POINT corner{r.right, r.top};
  ScreenToClient(e.Handle(), &corner);
  EXPECT_EQ(corner.x, e.ClientWidth() - 4);
  EXPECT_EQ(corner.y, 10);
  // The line number follows the thumb.
  Scroll(e, WM_VSCROLL, SB_THUMBTRACK, 50);
  EXPECT_EQ(hint->Caption(), L"Top Line: 50");
  Scroll(e, WM_VSCROLL, SB_ENDSCROLL);
  EXPECT_FALSE(e.IsScrolling());
  EXPECT_FALSE(HintShown());
  // Other scrolling shows nothing.
  Scroll(e, WM_VSCROLL, SB_LINEDOWN);
  Scroll(e, WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_FALSE(HintShown());
  EXPECT_FALSE(e.IsScrolling());
}

TEST(EditScrollHint, OneHintForAllEditorsAndNoneWithoutTheOption) {
  TEditorHost a(NumberedLines(300));
  TEditorHost b(NumberedLines(300));
  b.Edit().SetOptions(b.Edit().Options() - eoShowScrollHint);
  Scroll(b.Edit(), WM_VSCROLL, SB_THUMBTRACK, 30);
  EXPECT_EQ(b.Edit().TopLine(), 30);
  EXPECT_TRUE(b.Edit().IsScrolling());
  EXPECT_FALSE(HintShown());
  Scroll(b.Edit(), WM_VSCROLL, SB_ENDSCROLL);
  Scroll(a.Edit(), WM_VSCROLL, SB_THUMBTRACK, 7);
  THintWindow* first = TCustomTxtEdit::ScrollHint();
  ASSERT_TRUE(HintShown());
  Scroll(a.Edit(), WM_VSCROLL, SB_ENDSCROLL);
  b.Edit().SetOptions(b.Edit().Options() + eoShowScrollHint);
  b.Edit().SetScrollHintFormat(shfTopToBottom);
  Scroll(b.Edit(), WM_VSCROLL, SB_THUMBTRACK, 9);
  EXPECT_EQ(TCustomTxtEdit::ScrollHint(), first);
  EXPECT_EQ(first->Caption(), L"9 - " + std::to_wstring(9 + b.Edit().LinesInWindow()));
  Scroll(b.Edit(), WM_VSCROLL, SB_ENDSCROLL);
  EXPECT_FALSE(HintShown());
}

TEST(EditScrollHint, TheHorizontalThumbTellsItIsDragged) {
  TEditorHost h(AnsiString(3000, 'x'));
  TTxtEdit& e = h.Edit();
  e.SetScrollBars(ssBoth);
  Scroll(e, WM_HSCROLL, SB_THUMBTRACK, 100);
  EXPECT_TRUE(e.IsScrolling());
  EXPECT_EQ(e.LeftChar(), 100);
  EXPECT_FALSE(HintShown());
  Scroll(e, WM_HSCROLL, SB_ENDSCROLL);
  EXPECT_FALSE(e.IsScrolling());
}

// The hint's format is a published text, stored in a form file only when it differs from the
// editor's own, so that a form can name the line otherwise (and a language file translate it).
TEST(EditScrollHint, TheFormatTextIsPublishedAndStoredWhenChanged) {
  TTxtEdit e(nullptr);
  const TPropInfo& prop = FindPropInfo(&e, "ScrollHintFormatText");
  EXPECT_FALSE(IsStoredProp(&e, prop));
  SetStrProp(&e, prop, "Line: %d");
  EXPECT_EQ(e.ScrollHintFormatText(), "Line: %d");
  EXPECT_TRUE(IsStoredProp(&e, prop));
  EXPECT_EQ(GetStrProp(&e, prop), "Line: %d");
  e.SetScrollHintFormatText("Top Line: %d");
  EXPECT_FALSE(IsStoredProp(&e, prop));
}
