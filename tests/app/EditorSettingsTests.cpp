// Every document's editor carries the editor settings before anything of it is painted, however
// the document was opened; the preferences dialog applies them again without changing what
// nothing asked to change.
#include "framework/Win.h"

#include <map>
#include <string>

#include "app/PreferencesFrm.h"
#include "editor/TxtEditBufferPlugin.h"
#include "framework/Application.h"
#include "framework/ListControls.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinEditors.h"

namespace {

// Lines of 120 characters: words of ten letters between single blanks.
std::string wideText() {
  std::string text;
  for (int i = 1; i <= 40; ++i) {
    std::string line = "Line " + std::to_string(i) + " ";
    while (line.size() < 120) line += "abcdefghij ";
    text += line.substr(0, 120) + "\r\n";
  }
  return text;
}

// What is wrong with the editor's rows for its window as it is now; empty when nothing is. A
// row is never wider than the text area and ends after a blank (every line has blanks in reach).
std::string wrapFault(TTxtEdit* E) {
  if (!E->WordWrap()) return "not wrapped";
  const int width = (E->ClientWidth() - E->GutterWidth() - 2) / std::max(E->CharWidth(), 1);
  if (width < 20) return "a text area of " + std::to_string(width) + " columns";
  if (E->CharsInWindow() != width)
    return "wrapped for " + std::to_string(E->CharsInWindow()) + " columns, not " + std::to_string(width);
  ITxtEditBufferPlugin* rows = E->WordWrapPlugin();
  for (int line = 1; line <= E->Lines()->Count(); ++line) {
    const AnsiString text = E->Lines()->Strings(line - 1);
    const int first = E->LineToRow(line), last = E->LineToRow(line + 1) - 1;
    size_t at = 0;
    for (int row = first; row <= last; ++row) {
      const int length = rows->GetRowLength(row);
      at += static_cast<size_t>(length);
      const std::string where = "line " + std::to_string(line) + ", row " + std::to_string(row - first + 1);
      if (length > width) return where + " is " + std::to_string(length) + " long";
      if (row < last && text[at - 1] != ' ') return where + " breaks inside a word";
    }
    if (at != text.size()) return "line " + std::to_string(line) + " rows cover " + std::to_string(at);
  }
  return std::string();
}

// The first paint of every editor window, looked at just before it happens: paints sent at once
// (an update forced by a window) and those fetched from the queue alike.
class TFirstPaints {
 public:
  TFirstPaints() {
    current = this;
    sent_ = SetWindowsHookExW(WH_CALLWNDPROC, &Sent, nullptr, GetCurrentThreadId());
    fetched_ = SetWindowsHookExW(WH_GETMESSAGE, &Fetched, nullptr, GetCurrentThreadId());
  }
  ~TFirstPaints() {
    UnhookWindowsHookEx(sent_);
    UnhookWindowsHookEx(fetched_);
    current = nullptr;
  }
  // What was wrong with the window's rows at its first paint; "never painted" when it was not.
  std::string At(HWND Window) const {
    auto found = faults_.find(Window);
    return found == faults_.end() ? "never painted" : found->second;
  }

 private:
  void Paint(HWND Window) {
    if (faults_.count(Window)) return;
    if (auto* e = dynamic_cast<TTxtEdit*>(FindControl(Window))) faults_[Window] = wrapFault(e);
  }
  static LRESULT CALLBACK Sent(int Code, WPARAM W, LPARAM L) {
    auto* m = reinterpret_cast<CWPSTRUCT*>(L);
    if (Code == HC_ACTION && current && m->message == WM_PAINT) current->Paint(m->hwnd);
    return CallNextHookEx(nullptr, Code, W, L);
  }
  static LRESULT CALLBACK Fetched(int Code, WPARAM W, LPARAM L) {
    auto* m = reinterpret_cast<MSG*>(L);
    if (Code == HC_ACTION && W == PM_REMOVE && current && m->message == WM_PAINT) current->Paint(m->hwnd);
    return CallNextHookEx(nullptr, Code, W, L);
  }
  static inline TFirstPaints* current = nullptr;
  HHOOK sent_ = nullptr, fetched_ = nullptr;
  std::map<HWND, std::string> faults_;
};

class EditorSettings : public ShownWindowTest {
 protected:
  void SetUp() override {
    ShownWindowTest::SetUp();
    ::Options->WordWrap = true;
    // Plain text, shown through the catalogue's plain scheme, which nothing has scanned yet.
    file_ = folder_.Write(L"wide.txt", wideText());
  }
  void TearDown() override {
    TMainForm::LastDocumentsFile().clear();
    ShownWindowTest::TearDown();
  }
  void Settle() {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  }
  // The opened document's editor: painted, and wrapped for its window at its first paint.
  void ExpectWrappedAtFirstPaint(const TFirstPaints& Paints) {
    TDocument* document = DocumentList->FindByFileName(file_);
    ASSERT_TRUE(document);
    TTxtEdit* e = document->Frame()->edtDocument;
    ASSERT_TRUE(e->HandleAllocated());
    EXPECT_EQ(Paints.At(e->Handle()), "");
    EXPECT_EQ(wrapFault(e), "");
    EXPECT_GT(e->DisplayLineCount(), e->Lines()->Count());
  }
  WideString file_;
};

}  // namespace

TEST_F(EditorSettings, TheLastDocumentsOfTheStartAreWrappedBeforeTheirFirstPaint) {
  ::Options->OpenLastDocuments = true;
  TMainForm::LastDocumentsFile() = folder_.Write(L"LastDocuments.dat", WideToAnsi(file_) + "\r\n");
  TFirstPaints paints;
  Shown();
  ExpectWrappedAtFirstPaint(paints);
}

TEST_F(EditorSettings, CommandLineFilesAreWrappedBeforeTheirFirstPaint) {
  TMainForm::StartupFiles() = {file_};
  TFirstPaints paints;
  Shown();
  ExpectWrappedAtFirstPaint(paints);
}

TEST_F(EditorSettings, OpenDialogFilesAreWrappedBeforeTheirFirstPaint) {
  TMainForm& form = Shown();
  TFirstPaints paints;
  // What the open dialog hands over: the names and the encoding row's choice.
  form.OpenFiles({file_}, teAutoSelect);
  Settle();
  ExpectWrappedAtFirstPaint(paints);
}

TEST_F(EditorSettings, HandedOverFilesAreWrappedBeforeTheirFirstPaint) {
  TMainForm& form = Shown();
  TFirstPaints paints;
  form.OpenFiles({file_});
  Settle();
  ExpectWrappedAtFirstPaint(paints);
}

TEST_F(EditorSettings, DroppedFilesAreWrappedBeforeTheirFirstPaint) {
  TMainForm& form = Shown();
  TFirstPaints paints;
  SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({file_})), 0);
  Settle();
  ExpectWrappedAtFirstPaint(paints);
}

// Preferences' OK with nothing changed leaves the gutter as it is; so does a font size changed
// there and changed back.
TEST_F(EditorSettings, TheGutterKeepsItsWidthThroughPreferences) {
  TMainForm& form = Shown();
  TTxtEdit* e = form.ActiveEditor();
  const int width = e->GutterWidth(), fontSize = e->Gutter()->Font()->Size();
  const std::wstring textSize = std::to_wstring(::Options->EditorFontSize);
  ASSERT_GT(width, 0);
  auto ok = [&](const wchar_t* Size) {
    auto* dialog = New<TPreferencesForm>(nullptr, &form);
    if (Size) dialog->cmbxEditorFontSize->SetItemIndex(dialog->cmbxEditorFontSize->Items()->IndexOf(Size));
    dialog->actnOKExecute(nullptr);
    Free(dialog);
    Settle();
  };
  ok(nullptr);
  EXPECT_EQ(e->GutterWidth(), width);
  EXPECT_EQ(e->Gutter()->Font()->Size(), fontSize);
  ok(L"14");
  EXPECT_GT(e->GutterWidth(), width);
  EXPECT_EQ(e->Gutter()->Font()->Size(), 12);
  ok(textSize.c_str());
  EXPECT_EQ(e->GutterWidth(), width);
  EXPECT_EQ(e->Gutter()->Font()->Size(), fontSize);
}
