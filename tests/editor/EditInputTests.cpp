// Keyboard and mouse messages sent to a real editor window: typing, keys through the key map,
// Shift with the arrows, clicks, double clicks, dragging a selection, the wheel, drag-scrolling,
// input-method results, dropped files and the text messages.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "editor/TxtEdit.h"
#include "framework/Clipboard.h"
#include "framework/GlobalMemory.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

// A key pressed and released while the modifier keys are held.
void Key(HWND wnd, WORD vk, std::initializer_list<int> held = {}) {
  THeldKeys keys(held);
  SendMessageW(wnd, WM_KEYDOWN, vk, 1);
  SendMessageW(wnd, WM_KEYUP, vk, 0xC0000001);
}

void Chars(HWND wnd, const wchar_t* text) {
  for (; *text; ++text) SendMessageW(wnd, WM_CHAR, *text, 1);
}

// The middle of a cell in client coordinates.
POINT CellCenter(TEditorHost& h, int column, int row) {
  const TRect r = h.Cell(column, row);
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

// The left button pressed at one point (with the flags of held keys), moved to another, released.
void Drag(HWND wnd, POINT from, POINT to, WPARAM flags = 0) {
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON | flags, At(from));
  if (to.x != from.x || to.y != from.y) SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON | flags, At(to));
  SendMessageW(wnd, WM_LBUTTONUP, flags, At(to));
}

void MoveCursorTo(HWND wnd, POINT p) {
  ClientToScreen(wnd, &p);
  SetCursorPos(p.x, p.y);
}

// An editor whose input-method result is chosen by the test.
class TImeEdit : public TTxtEdit {
 public:
  using TTxtEdit::TTxtEdit;
  WideString result;
  using TCustomTxtEdit::ComputeDragScroll;
  using TCustomTxtEdit::ScrollTimerHandler;

 protected:
  WideString ImeResultString() override { return result; }
};

}  // namespace

TEST(EditInput, TypingThroughCharacterMessages) {
  TEditorHost h;
  Chars(h.Wnd(), L"Hi there");
  EXPECT_EQ(h.Edit().TextA(), "Hi there");
  // A key that runs a command does not also type its character.
  Key(h.Wnd(), VK_RETURN);
  SendMessageW(h.Wnd(), WM_CHAR, L'\r', 1);
  Chars(h.Wnd(), L"x");
  EXPECT_EQ(h.Edit().TextA(), "Hi there\r\nx");
  // A character the code page cannot hold is not typed as a question mark.
  Chars(h.Wnd(), L"\u0416");
  EXPECT_EQ(h.Edit().TextA(), "Hi there\r\nx");
  Chars(h.Wnd(), L"\u00e9");
  EXPECT_EQ(Line(h.Edit(), 2), "x\xe9");
}

TEST(EditInput, ShiftArrowsSelectAndKeysRunCommands) {
  TEditorHost h("abcdef");
  TTxtEdit& e = h.Edit();
  e.SetCaretXY({2, 1});
  Key(h.Wnd(), VK_RIGHT, {VK_SHIFT});
  Key(h.Wnd(), VK_RIGHT, {VK_SHIFT});
  EXPECT_EQ(e.SelText(), "bc");
  Key(h.Wnd(), 'C', {VK_CONTROL});
  SendMessageW(h.Wnd(), WM_CHAR, 3, 1);  // the control character Ctrl+C also produces
  EXPECT_EQ(Clipboard()->AsWideText(), L"bc");
  Key(h.Wnd(), VK_END);
  Key(h.Wnd(), 'V', {VK_CONTROL});
  EXPECT_EQ(e.TextA(), "abcdefbc");
  Key(h.Wnd(), 'Z', {VK_CONTROL});
  EXPECT_EQ(e.TextA(), "abcdef");
  Key(h.Wnd(), 'Z', {VK_CONTROL, VK_SHIFT});
  EXPECT_EQ(e.TextA(), "abcdefbc");
}

TEST(EditInput, AltBackspaceUndoesWithoutItsCharacter) {
  TEditorHost h;
  Chars(h.Wnd(), L"ab");
  SendMessageW(h.Wnd(), WM_SYSKEYDOWN, VK_BACK, 0x20000001);
  EXPECT_EQ(h.Edit().TextA(), "");
  SendMessageW(h.Wnd(), WM_SYSCHAR, VK_BACK, 0x20000001);
  EXPECT_EQ(h.Edit().TextA(), "");
}

TEST(EditInput, ClickPlacesTheCaretAndShiftClickExtends) {
  TEditorHost h("hello world\r\nsecond line");
  TTxtEdit& e = h.Edit();
  Drag(h.Wnd(), CellCenter(h, 3, 1), CellCenter(h, 3, 1));
  // The nearest cell boundary: the middle of the third cell rounds to one of its sides.
  EXPECT_TRUE(e.CaretX() == 3 || e.CaretX() == 4);
  EXPECT_EQ(e.CaretY(), 1);
  const TRect r = h.Cell(7, 2);
  const POINT left{r.Left, (r.Top + r.Bottom) / 2};
  Drag(h.Wnd(), left, left, MK_SHIFT);
  EXPECT_TRUE(e.SelAvail());
  EXPECT_EQ(e.BlockEnd(), BufferCoord(7, 2));
}

// A click places the caret on the row clicked: right of a wrapped row's end it stays at that
// row's end, below the text it goes to the last row at the column clicked (a tab's cells
// mapping to the tab), and the right button moves it too with eoRightMouseMovesCursor.
TEST(EditInput, AClickPlacesTheCaretOnTheRowClicked) {
  const std::string wrapped = std::string(40, 'a') + " " + std::string(20, 'b');
  struct Case {
    const char* Name;
    std::string Text;
    bool Wrap;
    UINT Message;
    TDisplayCoord Cell;
    TBufferCoord Caret;
    TDisplayCoord Shown;
  } cases[] = {
      {"right of a wrapped row", wrapped, true, WM_LBUTTONDOWN, {44, 1}, {42, 1}, {42, 1}},
      {"on the next row", wrapped, true, WM_LBUTTONDOWN, {1, 2}, {42, 1}, {1, 2}},
      {"below the text", "ab\r\n\tx", false, WM_LBUTTONDOWN, {5, 6}, {1, 2}, {1, 2}},
      {"below wrapped text", wrapped, true, WM_LBUTTONDOWN, {5, 6}, {46, 1}, {5, 2}},
      {"the right button", wrapped, true, WM_RBUTTONDOWN, {44, 1}, {42, 1}, {42, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorHost h(c.Text);
    TTxtEdit& e = h.Edit();
    e.SetOptions(e.Options() + eoRightMouseMovesCursor);
    e.SetWordWrap(c.Wrap);
    const TRect r = h.Cell(c.Cell.Column, c.Cell.Row);
    SendMessageW(h.Wnd(), c.Message, c.Message == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON,
                 MAKELPARAM(r.Left, r.Top + 2));
    SendMessageW(h.Wnd(), c.Message + 1, 0, MAKELPARAM(r.Left, r.Top + 2));
    EXPECT_EQ(e.CaretXY(), c.Caret);
    EXPECT_EQ(e.DisplayXY(), c.Shown);
  }
}

TEST(EditInput, AltDragSelectsAColumn) {
  TEditorHost h;
  TTxtEdit& e = h.Edit();
  e.SetOptions(e.Options() + eoAltSetsColumnMode);
  e.SetTextA("abcdef\r\nghijkl");
  const TRect a = h.Cell(2, 1), b = h.Cell(4, 2);
  {
    THeldKeys alt{VK_MENU};
    Drag(h.Wnd(), {a.Left, a.Top + 2}, {b.Left, b.Top + 2});
  }
  EXPECT_EQ(e.ActiveSelectionMode(), smColumn);
  EXPECT_EQ(e.SelText(), "bc\r\nhi");
}

TEST(EditInput, DoubleClickSelectsTheWord) {
  TEditorHost h("one two three");
  TTxtEdit& e = h.Edit();
  const POINT p = CellCenter(h, 6, 1);
  MoveCursorTo(h.Wnd(), p);
  SendMessageW(h.Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(p));
  SendMessageW(h.Wnd(), WM_LBUTTONUP, 0, At(p));
  SendMessageW(h.Wnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(p));
  SendMessageW(h.Wnd(), WM_LBUTTONUP, 0, At(p));
  EXPECT_EQ(e.SelText(), "two");
}

TEST(EditInput, PressInsideTheSelectionAndReleaseCollapsesIt) {
  TEditorHost h("abcdefgh");
  TTxtEdit& e = h.Edit();
  Select(e, {2, 1}, {7, 1});
  const TRect c = h.Cell(4, 1);
  SendMessageW(h.Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.Left, c.Top + 2));
  EXPECT_TRUE(e.SelAvail());  // a drag may still start
  SendMessageW(h.Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(c.Left, c.Top + 2));
  EXPECT_FALSE(e.SelAvail());
}

TEST(EditInput, DraggingASelectionMovesIt) {
  TEditorHost h("abc XYZ def");
  TTxtEdit& e = h.Edit();
  Select(e, {5, 1}, {8, 1});
  const TRect from = h.Cell(6, 1), to = h.Cell(12, 1);
  const int y = (from.Top + from.Bottom) / 2;
  POINT start{from.Left, y}, end{to.Left, y};
  MoveCursorTo(h.Wnd(), start);
  SendMessageW(h.Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(start));
  // Past the drag threshold the drag starts; the drop lands at the end of the line.
  POINT mid{start.x + 20, y};
  MoveCursorTo(h.Wnd(), mid);
  SendMessageW(h.Wnd(), WM_MOUSEMOVE, MK_LBUTTON, At(mid));
  MoveCursorTo(h.Wnd(), end);
  SendMessageW(h.Wnd(), WM_MOUSEMOVE, MK_LBUTTON, At(end));
  SendMessageW(h.Wnd(), WM_MOUSEMOVE, MK_LBUTTON, At(end));
  SendMessageW(h.Wnd(), WM_LBUTTONUP, 0, At(end));
  h.Settle();
  EXPECT_EQ(e.TextA(), "abc  defXYZ");
  // One undo step puts it back.
  EXPECT_EQ(TextAfterUndo(e), "abc XYZ def");
}

TEST(EditInput, TheWheelScrollsThreeRowsANotch) {
  TEditorHost h(NumberedLines(200));
  TTxtEdit& e = h.Edit();
  POINT p = CellCenter(h, 1, 1);
  ClientToScreen(h.Wnd(), &p);
  SendMessageW(h.Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-60)), MAKELPARAM(p.x, p.y));
  EXPECT_EQ(e.TopLine(), 1);
  SendMessageW(h.Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-60)), MAKELPARAM(p.x, p.y));
  EXPECT_EQ(e.TopLine(), 4);
  SendMessageW(h.Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(p.x, p.y));
  EXPECT_EQ(e.TopLine(), 1);
}

TEST(EditInput, TheWheelScrollsWhateverTheWheelEventsSay) {
  struct TWheelTaker {
    void Wheel(TObject*, TShiftState, int, TPoint, bool& Handled) { Handled = ++calls > 0; }
    void UpDown(TObject*, TShiftState, TPoint, bool& Handled) { Handled = ++calls > 0; }
    int calls = 0;
  } taker;
  for (const bool wheel : {true, false}) {  // OnMouseWheel, else OnMouseWheelDown, handles it
    TEditorHost h(NumberedLines(200));
    if (wheel) h.Edit().OnMouseWheel = TMouseWheelEvent(&taker, &TWheelTaker::Wheel);
    if (!wheel) h.Edit().OnMouseWheelDown = TMouseWheelUpDownEvent(&taker, &TWheelTaker::UpDown);
    POINT p = CellCenter(h, 1, 1);
    ClientToScreen(h.Wnd(), &p);
    EXPECT_EQ(SendMessageW(h.Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(p.x, p.y)), 1) << wheel;
    EXPECT_EQ(h.Edit().TopLine(), 4) << wheel;
    EXPECT_EQ(taker.calls, 0) << wheel;
  }
}

TEST(EditInput, DragScrollingBelowTheText) {
  TEditorHost h;
  // A control of a subclass reaches the timer's handler.
  TForm& form = h.Form();
  auto* e = new TImeEdit(&form);
  e->SetParent(&form);
  e->SetBorderStyle(bsNone);
  e->SetScrollBars(ssNone);
  e->SetBounds(0, 0, 300, 10 * e->TextHeight());
  e->SetTextA(NumberedLines(100));
  h.Settle();
  const int rows = e->LinesInWindow();
  ASSERT_GT(rows, 0);
  const int below = rows * e->TextHeight() + 2 * e->TextHeight() + 1;  // two whole rows under the text
  SendMessageW(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 2));
  POINT p{40, below};
  MoveCursorTo(e->Handle(), p);
  SendMessageW(e->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(p));
  e->ScrollTimerHandler(nullptr);
  EXPECT_EQ(e->TopLine(), 1 + 3);  // (two rows below + 1) rows a tick
  {
    THeldKeys shift{VK_SHIFT};
    e->ScrollTimerHandler(nullptr);
  }
  EXPECT_EQ(e->TopLine(), 4 + 3 * rows);
  SendMessageW(e->Handle(), WM_LBUTTONUP, 0, At(p));
}

TEST(EditInput, InputMethodResultsAndTheCharactersThatFollow) {
  TEditorHost h;
  TForm& form = h.Form();
  auto* e = new TImeEdit(&form);
  e->SetParent(&form);
  e->SetBounds(0, 0, 200, 100);
  e->result = L"\u00e9t\u00e9s";
  SendMessageW(e->Handle(), WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  EXPECT_EQ(e->TextA(), "\xe9t\xe9s");
  // The window then receives the result again as one character message per UTF-16 unit.
  Chars(e->Handle(), L"\u00e9t\u00e9s");
  EXPECT_EQ(e->TextA(), "\xe9t\xe9s");
  Chars(e->Handle(), L"!");
  EXPECT_EQ(e->TextA(), "\xe9t\xe9s!");
}

namespace {
struct TDropLog {
  std::vector<WideString> files;
  TPoint at;
  void Dropped(TObject*, int X, int Y, TStringsW* Files) {
    at = {X, Y};
    for (int i = 0; i < Files->Count(); ++i) files.push_back(Files->Strings(i));
  }
};

// The header of a dropped-files block (the shell's layout).
struct TDropHeader {
  DWORD pFiles;
  POINT pt;
  BOOL fNC;
  BOOL fWide;
};

// A dropped-files block as the shell builds it: the header, then each name and a final zero.
HGLOBAL MakeDrop(const std::vector<WideString>& names, POINT at) {
  size_t size = sizeof(TDropHeader) + sizeof(wchar_t);
  for (const WideString& n : names) size += (n.size() + 1) * sizeof(wchar_t);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* drop = static_cast<TDropHeader*>(GlobalLock(mem));
  drop->pFiles = sizeof(TDropHeader);
  drop->pt = at;
  drop->fWide = TRUE;
  auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(TDropHeader));
  for (const WideString& n : names) {
    std::memcpy(text, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
    text += n.size() + 1;
  }
  GlobalUnlock(mem);
  return mem;
}
}  // namespace

TEST(EditInput, DroppedFileNamesArriveWhole) {
  TEditorHost h;
  TTxtEdit& e = h.Edit();
  e.SetOptions(e.Options() + eoDropFiles);
  TDropLog log;
  e.OnDropFiles = TDropFilesEvent(&log, &TDropLog::Dropped);
  const WideString longName = L"C:\\" + WideString(400, L'x') + L".txt";
  HGLOBAL drop = MakeDrop({L"C:\\a.txt", longName}, {12, 34});
  SendMessageW(h.Wnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  ASSERT_EQ(log.files.size(), 2u);
  EXPECT_EQ(log.files[0], L"C:\\a.txt");
  EXPECT_EQ(log.files[1], longName);
  EXPECT_EQ(log.at, (TPoint{12, 34}));
}

TEST(EditInput, TextMessages) {
  TEditorHost h("abc\r\nd");
  TTxtEdit& e = h.Edit();
  EXPECT_EQ(SendMessageW(h.Wnd(), WM_GETTEXTLENGTH, 0, 0), 6);
  wchar_t buffer[4] = {L'#', L'#', L'#', L'#'};
  EXPECT_EQ(SendMessageW(h.Wnd(), WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(buffer[0], L'#');  // a buffer of size 0 is left alone
  EXPECT_EQ(SendMessageW(h.Wnd(), WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)), 2);
  EXPECT_EQ(WideString(buffer), L"ab");
  EXPECT_EQ(buffer[3], L'#');
  EXPECT_EQ(SendMessageW(h.Wnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"new")), 1);
  EXPECT_EQ(e.TextA(), "new");

  e.SelectAll();
  EXPECT_EQ(SendMessageW(h.Wnd(), WM_COPY, 0, 0), 1);
  EXPECT_EQ(Clipboard()->AsWideText(), L"new");
  SendMessageW(h.Wnd(), WM_CLEAR, 0, 0);
  EXPECT_EQ(e.TextA(), "");
  SendMessageW(h.Wnd(), WM_PASTE, 0, 0);
  EXPECT_EQ(e.TextA(), "new");
  SendMessageW(h.Wnd(), WM_UNDO, 0, 0);
  EXPECT_EQ(e.TextA(), "");

  const LRESULT code = SendMessageW(h.Wnd(), WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTARROWS);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  EXPECT_TRUE(code & DLGC_WANTALLKEYS);
  EXPECT_FALSE(code & DLGC_WANTTAB);
  e.SetWantTabs(true);
  EXPECT_TRUE(SendMessageW(h.Wnd(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
}

namespace {
struct TGutterLog {
  int line = 0;
  TTxtEditMark* mark = nullptr;
  int clicks = 0;
  void Clicked(TObject*, TMouseButton, int, int, int Line, TTxtEditMark* Mark) {
    ++clicks;
    line = Line;
    mark = Mark;
  }
};
}  // namespace

TEST(EditInput, GutterClicksNameTheLineAndTheMark) {
  TEditorHost h("a\r\nb\r\nc");
  TTxtEdit& e = h.Edit();
  e.SetBookMark(1, 1, 2);
  TGutterLog log;
  e.OnGutterClick = TGutterClickEvent(&log, &TGutterLog::Clicked);
  const POINT p{3, h.Cell(1, 2).Top + 2};
  Drag(h.Wnd(), p, p);
  EXPECT_EQ(log.line, 2);
  ASSERT_NE(log.mark, nullptr);
  EXPECT_EQ(log.mark->BookmarkNumber(), 1);
}

TEST(EditInput, PositionOfTheMouse) {
  TEditorHost host("abc\r\ndefgh");
  TTxtEdit& e = host.Edit();
  TBufferCoord p{7, 7};
  struct TCase {
    POINT at;  // client pixels
    bool inside;
    TBufferCoord expected;
  };
  const TCase cases[] = {
      {CellCenter(host, 2, 2), true, {2, 2}},
      {CellCenter(host, 1, 1), true, {1, 1}},
      {{host.Width() - 1, host.Height() - 1},
       true,
       e.DisplayToBufferPos(e.PixelsToRowColumn(host.Width() - 1, host.Height() - 1))},
      {{-5, 10}, false, {7, 7}},
      {{10, host.Height() + 3}, false, {7, 7}},
  };
  for (const TCase& c : cases) {
    MoveCursorTo(host.Wnd(), c.at);
    p = {7, 7};
    EXPECT_EQ(e.GetPositionOfMouse(p), c.inside) << c.at.x << "," << c.at.y;
    EXPECT_EQ(p, c.expected) << c.at.x << "," << c.at.y;
  }
  TTxtEdit windowless(nullptr);
  EXPECT_FALSE(windowless.GetPositionOfMouse(p));
}

namespace {

// Counts the menu-key commands that reach the editor's top-level window, and keeps them from
// opening anything.
int menuKeys = 0;
WNDPROC formProc = nullptr;
LRESULT CALLBACK CountMenuKey(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_SYSCOMMAND && (WParam & 0xFFF0) == SC_KEYMENU) {
    ++menuKeys;
    return 0;
  }
  return CallWindowProcW(formProc, Wnd, Msg, WParam, LParam);
}

}  // namespace

TEST(EditInput, LettingAltGoAfterAnAltDragOpensNoMenu) {
  // Alt alone still asks for the menu; Alt held for a column drag or a click does not, and the
  // next Alt alone asks again.
  struct {
    const char* Name;
    bool Click, Move;
    int MenuKeys;
  } const cases[] = {
      {"alone", false, false, 1},
      {"drag", true, true, 0},
      {"click", true, false, 0},
  };
  TEditorHost h;
  TTxtEdit& e = h.Edit();
  e.SetOptions(e.Options() + eoAltSetsColumnMode);
  e.SetTextA("abcdef\r\nghijkl");
  const HWND form = h.Form().Handle();
  formProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountMenuKey)));
  const TRect a = h.Cell(2, 1), b = h.Cell(4, 2);
  auto altPress = [&](bool Click, bool Move) {
    {
      THeldKeys alt{VK_MENU};
      SendMessageW(h.Wnd(), WM_SYSKEYDOWN, VK_MENU, 0x20380001);
      if (Click) Drag(h.Wnd(), {a.Left, a.Top + 2}, Move ? POINT{b.Left, b.Top + 2} : POINT{a.Left, a.Top + 2});
    }
    SendMessageW(h.Wnd(), WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0380001));
  };
  for (const auto& c : cases) {
    menuKeys = 0;
    altPress(c.Click, c.Move);
    EXPECT_EQ(menuKeys, c.MenuKeys) << c.Name;
    menuKeys = 0;
    altPress(false, false);
    EXPECT_EQ(menuKeys, 1) << c.Name << ", then Alt alone";
  }
  EXPECT_EQ(e.ActiveSelectionMode(), smColumn);
  SetWindowLongPtrW(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(formProc));
}

// A key that the key-down event takes (sets to 0) still ends a two-key chord begun before it.
TEST(EditInput, AKeyTakenByTheKeyDownEventEndsAChord) {
  struct TTakeF5 {
    void KeyDown(TObject*, Word& Key, TShiftState) {
      if (Key == VK_F5) Key = 0;
    }
  } take;
  for (const bool between : {false, true}) {
    TEditorHost h("ab");
    TTxtEdit& e = h.Edit();
    TTxtEditKeyStroke* chord = e.Keystrokes()->AddKeyStroke(ecSelectAll, 'K', {ssCtrl});
    chord->SetKey2('X');
    e.OnKeyDown = TKeyEvent(&take, &TTakeF5::KeyDown);
    Key(h.Wnd(), 'K', {VK_CONTROL});
    if (between) Key(h.Wnd(), VK_F5);
    Key(h.Wnd(), 'X');
    EXPECT_EQ(e.SelAvail(), !between) << between;
  }
}

// A cancel-mode message (a dialog or a message box coming up) lets go of the mouse that a press
// in the text captured: the window that comes up gets the mouse.
TEST(EditInput, CancelModeLetsTheMouseGo) {
  TEditorHost h("abc");
  SendMessageW(h.Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(CellCenter(h, 2, 1)));
  ASSERT_EQ(GetCapture(), h.Wnd());
  SendMessageW(h.Wnd(), WM_CANCELMODE, 0, 0);
  EXPECT_NE(GetCapture(), h.Wnd());
}
