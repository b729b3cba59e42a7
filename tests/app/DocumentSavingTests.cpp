// Saving and closing documents: the result codes of a save, files that stay whole when a write
// fails, the questions and their answers, the close-all dialog and the list of the last documents.
#include <deque>
#include <random>

#include "app/CloseAllFrm.h"
#include "app/DocumentSaving.h"
#include "app/DocumentTabs.h"
#include "app/NSTextDialogs.h"
#include "framework/Exceptions.h"
#include "framework/FileReplace.h"
#include "toolbars/BarMRU.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

const UINT yesNo = MB_YESNO | MB_ICONWARNING, yesNoCancel = MB_YESNOCANCEL | MB_ICONWARNING;

// Answers each box with the next answer given (Cancel once they run out) and records it.
struct TAnsweringBoxes : TMessageBoxHandler {
  TAnsweringBoxes() : previous(Application->SetMessageBoxHandler(this)) {}
  ~TAnsweringBoxes() override { Application->SetMessageBoxHandler(previous); }
  int Show(HWND, const WideString& Text, const WideString&, UINT Flags) override {
    shown.push_back(Text + L"|" + std::to_wstring(Flags));
    if (answers.empty()) return IDCANCEL;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  TMessageBoxHandler* previous;
  std::deque<int> answers;
  std::vector<WideString> shown;
};

// The save dialog's stand-in: what it was offered, and the name and code it answers with.
struct TDialogScript {
  bool Confirm = true;
  WideString Name;
  int Encoding = 1;
  std::vector<WideString> Offered;
  std::vector<int> OfferedEncoding;
};
TDialogScript* dialogScript = nullptr;

bool scriptedDialog(TNSTextSaveDialog* Dialog) {
  dialogScript->Offered.push_back(Dialog->FileName());
  dialogScript->OfferedEncoding.push_back(Dialog->EncodingIndex());
  if (!dialogScript->Confirm) return false;
  Dialog->SetFileName(dialogScript->Name);
  Dialog->SetEncodingIndex(dialogScript->Encoding);
  return true;
}

// A disk that fills up: some bytes reach the new file, then the write fails.
bool fullDiskWriter(TCustomTxtEdit*, const WideString& FileName, TTextEncoding, bool) {
  WriteFileReplacing(FileName, [](TStream& Stream) {
    Stream.WriteBuffer("partial", 7);
    throw EWriteError(L"There is not enough space on the disk.");
  });
  return true;
}

// What the close-all dialog's stand-in does: press one of its buttons, after unchecking some.
struct TCloseAllScript {
  int Shown = 0, Entries = 0, CheckedEntries = 0;
  std::vector<int> Uncheck;
  char Button = 'n';  // 's' Save, 'n' Don't save, 'c' Cancel
};
TCloseAllScript* closeAllScript = nullptr;

int scriptedCloseAll(TCloseAllForm* Dialog) {
  ++closeAllScript->Shown;
  closeAllScript->Entries = Dialog->Count();
  for (int i = 0; i < Dialog->Count(); ++i) closeAllScript->CheckedEntries += Dialog->Checked(i);
  for (int i : closeAllScript->Uncheck) Dialog->SetChecked(i, false);
  Dialog->SetModalResult(mrNone);
  if (closeAllScript->Button == 's') Dialog->actnSaveExecute(nullptr);
  if (closeAllScript->Button == 'n') Dialog->actnDontSaveExecute(nullptr);
  if (closeAllScript->Button == 'c') Dialog->actnCancelExecute(nullptr);
  return Dialog->ModalResult();
}

class Saving : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    dialogScript = &dialog_;
    closeAllScript = &closeAll_;
    previousDialog_ = SetSaveDialogRunner(scriptedDialog);
    previousCloseAll_ = SetCloseAllRunner(scriptedCloseAll);
    TMainForm::LastDocumentsFile() = folder_.File(L"LastDocuments.dat");
  }
  void TearDown() override {
    SetSaveDialogRunner(previousDialog_);
    SetCloseAllRunner(previousCloseAll_);
    SetTextFileWriter(nullptr);
    TMainForm::LastDocumentsFile().clear();
    DocumentTest::TearDown();
  }
  // The form with the files opened (relative names in the scratch folder), each then typed into.
  TMainForm& Open(std::initializer_list<std::pair<const wchar_t*, const char*>> Files, bool Modify = true) {
    std::vector<WideString> names;
    for (const auto& [name, text] : Files) names.push_back(folder_.Write(name, text));
    TMainForm::StartupFiles() = names;
    TMainForm& form = Make();
    for (int i = 0; Modify && i < DocumentList->Count(); ++i) Type(i, "edited ");
    return form;
  }
  void Type(int Index, const AnsiString& Text) {
    Editor(Index)->SetTextA(Text + Editor(Index)->TextA());
    Editor(Index)->SetModified(true);
  }
  // The text of a question as the user reads it.
  static WideString Question(const std::string& Item, const WideString& Name, UINT Flags) {
    const std::pair<const char*, const wchar_t*> texts[] = {
        {"sSaveChangesTo", L"Save changes to \u201c%s\u201d?"},
        {"sFileBlockedFullAccess",
         L"Unable to save \u201c%s\u201d. Probably, access to folder denied. Would you "
         L"like to save the document in another location?"},
        {"sLossySave",
         L"Some characters of \u201c%s\u201d could not be shown when it was opened. Saving replaces "
         L"them in the file. Save anyway?"}};
    WideString text;
    for (const auto& [item, format] : texts)
      if (Item == item) text = format;
    return text.replace(text.find(L"%s"), 2, Name) + L"|" + std::to_wstring(Flags);
  }
  void Restart() {
    Free(form_);
    form_ = nullptr;
    FreeGlobals();
    CreateGlobals(folder_.File(L"Preferences.ini"), folder_.File(L"Highlighters"));
  }
  bool Exists(const WideString& Name) { return GetFileAttributesW(Name.c_str()) != INVALID_FILE_ATTRIBUTES; }

  TAnsweringBoxes answers_;
  TDialogScript dialog_;
  TCloseAllScript closeAll_;
  TSaveDialogRunner previousDialog_ = nullptr;
  TCloseAllRunner previousCloseAll_ = nullptr;
};

// Every result code, and what a save changes on the document only when it succeeded.
TEST_F(Saving, SaveDocumentResultCodes) {
  TMainForm& form = Open({{L"a.txt", "old"}});
  TDocument* document = Doc(0);
  EXPECT_EQ(form.SaveDocument(nullptr, folder_.File(L"x.txt"), teAnsi), -1);
  const DWORD free = 0xFFFF;
  struct Case {
    const char* what;
    DWORD share;  // how another program holds a.txt; free for not at all
    TTextEncoding code;
    int result;
    const char* onDisk;
  } cases[] = {
      {"held without sharing", 0, teAnsi, 1, "old"},
      {"held by a writer that lets others only read", FILE_SHARE_READ, teAnsi, 2, "old"},
      {"not a file encoding", free, 8, 3, "old"},
      {"saved", free, teAnsi, 0, "edited old"},
      {"auto-select keeps the code", free, teAutoSelect, 0, "edited old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Editor(0)->SetModified(true);
    HANDLE other = c.share == free ? INVALID_HANDLE_VALUE
                                   : CreateFileW(folder_.File(L"a.txt").c_str(), c.share ? GENERIC_WRITE : GENERIC_READ,
                                                 c.share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(form.SaveDocument(document, folder_.File(L"a.txt"), c.code), c.result);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    EXPECT_EQ(folder_.Read(L"a.txt"), c.onDisk);
    EXPECT_EQ(Editor(0)->Modified(), c.result != 0);
    EXPECT_EQ(document->Encoding, teAnsi);
  }
  // Under a new name in UTF-8: the tab, the hint and the code follow the file.
  Editor(0)->SetModified(true);
  ASSERT_EQ(form.SaveDocument(document, folder_.File(L"b&c.txt"), teUtf8), 0);
  EXPECT_EQ(document->FileName, folder_.File(L"b&c.txt"));
  EXPECT_EQ(document->Encoding, teUtf8);
  EXPECT_EQ(document->Item()->Caption(), L"b&&c.txt");
  EXPECT_EQ(document->Item()->Hint(), folder_.File(L"b&c.txt") + L"\r\nEncoding: UTF-8");
  EXPECT_FALSE(document->Item()->Bold());
}

// A disk that fills up while the file is written leaves the old file whole and the document
// unsaved; the question offers another place, and "No" ends there.
TEST_F(Saving, AFailingWriteLeavesTheOldFileAndAsks) {
  TMainForm& form = Open({{L"a.txt", "precious text"}});
  SetTextFileWriter(fullDiskWriter);
  answers_.answers = {IDNO};
  EXPECT_EQ(form.SaveDocument(Doc(0), Doc(0)->FileName, teAnsi), 3);
  EXPECT_FALSE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"a.txt"), "precious text");
  EXPECT_TRUE(Editor(0)->Modified());
  EXPECT_EQ(answers_.shown, std::vector<WideString>{Question("sFileBlockedFullAccess", Doc(0)->FileName, yesNo)});
  // "Yes" goes on to Save As, offered the same name; cancelling it saves nothing.
  answers_.answers = {IDYES};
  dialog_.Confirm = false;
  EXPECT_FALSE(form.Save(Doc(0)));
  EXPECT_EQ(dialog_.Offered, std::vector<WideString>{Doc(0)->FileName});
  EXPECT_TRUE(Editor(0)->Modified());
}

// A read-only file is saved and keeps its attribute.
TEST_F(Saving, ReadOnlyAttributeIsKept) {
  const WideString name = folder_.Write(L"ro.txt", "old");
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY);
  TMainForm::StartupFiles() = {name};
  TMainForm& form = Make();
  Editor(0)->SetReadOnly(false);
  Type(0, "new ");
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"ro.txt"), "new old");
  EXPECT_EQ(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Save As proposes a name from the text and the document's code, and never writes over a file
// that another tab holds, also when the document saved is not the active one.
TEST_F(Saving, SaveAsProposalsAndOtherDocumentsNames) {
  TMainForm& form = Open({{L"one.txt", "1"}, {L"two.txt", "2"}});
  TDocument* fresh = form.NewDocument();
  fresh->Frame()->edtDocument->SetTextA("\r\n...Hello, world!\r\nmore");
  fresh->Encoding = teUnicode;
  dialog_.Name = folder_.File(L"two.txt");
  form.ActivateDocument(Doc(0));
  EXPECT_FALSE(form.SaveAs(fresh));
  EXPECT_EQ(dialog_.Offered, std::vector<WideString>{L"Hello"});
  EXPECT_EQ(dialog_.OfferedEncoding, std::vector<int>{teUnicode});
  EXPECT_EQ(form.ActiveDocument(), Doc(1)) << "the document that has the file comes forward";
  EXPECT_EQ(folder_.Read(L"two.txt"), "2");
  // The active document's own name is refused too for another document.
  form.ActivateDocument(Doc(0));
  dialog_.Name = folder_.File(L"ONE.TXT");
  EXPECT_FALSE(form.SaveAs(Doc(1)));
  EXPECT_EQ(folder_.Read(L"one.txt"), "1");
  // A new name: written in the code chosen, and on the recent list.
  dialog_.Name = folder_.File(L"hello.txt");
  dialog_.Encoding = teUtf8;
  EXPECT_TRUE(form.SaveAs(fresh));
  EXPECT_EQ(folder_.Read(L"hello.txt"), "\r\n...Hello, world!\r\nmore");
  EXPECT_EQ(form.mrlstMain->Items()->IndexOf(folder_.File(L"hello.txt")), 0);
  // An empty text proposes the tab's name.
  TDocument* empty = form.NewDocument();
  dialog_.Confirm = false;
  EXPECT_FALSE(form.SaveAs(empty));
  EXPECT_EQ(dialog_.Offered.back(), empty->GetDisplayName(false));
}

// The answers to "Save changes?" when one document closes.
TEST_F(Saving, CloseDocumentAnswers) {
  struct Case {
    int answer;
    bool named, dialogConfirms, closed;
    const char* onDisk;
  } cases[] = {
      {IDYES, true, true, true, "edited a"},
      {IDYES, false, false, false, "a"},
      {IDNO, true, true, true, "a"},
      {IDCANCEL, true, true, false, "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer * 10 + c.named);
    TMainForm& form = Open({{L"a.txt", "a"}, {L"b.txt", "b"}});
    if (!c.named) Doc(0)->FileName.clear();
    dialog_.Confirm = c.dialogConfirms;
    answers_.answers = {c.answer};
    answers_.shown.clear();
    EXPECT_EQ(form.CloseDocument(Doc(0)), c.closed);
    EXPECT_EQ(DocumentList->Count(), c.closed ? 1 : 2);
    EXPECT_EQ(folder_.Read(L"a.txt"), c.onDisk);
    ASSERT_EQ(answers_.shown.size(), 1u);
    EXPECT_EQ(answers_.shown[0], Question("sSaveChangesTo", c.named ? L"a.txt" : L"a.txt", yesNoCancel));
    Restart();
  }
}

// The only document is made new instead of closed; "Cancel" keeps its text.
TEST_F(Saving, TheOnlyDocumentIsReset) {
  TMainForm& form = Open({{L"a.txt", "a"}});
  answers_.answers = {IDCANCEL};
  EXPECT_FALSE(form.CloseDocument(Doc(0)));
  EXPECT_EQ(Editor(0)->TextA(), "edited a");
  const int next = form.NewDocumentNumber;
  answers_.answers = {IDNO};
  EXPECT_TRUE(form.CloseDocument(Doc(0)));
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(Doc(0)->Item()->Caption(), L"Document " + std::to_wstring(next));
  EXPECT_EQ(form.NewDocumentNumber, next + 1);
  EXPECT_TRUE(Doc(0)->FileName.empty());
  EXPECT_EQ(Editor(0)->TextA(), "");
  EXPECT_FALSE(Editor(0)->Modified());
  EXPECT_EQ(folder_.Read(L"a.txt"), "a");
}

// Closing all: no question without changes, one question for one document, the dialog for more.
TEST_F(Saving, CloseDocumentsAsksByTheNumberOfModifiedDocuments) {
  TMainForm& form = Open({{L"a.txt", "a"}, {L"b.txt", "b"}, {L"c.txt", "c"}}, false);
  EXPECT_TRUE(form.CloseDocuments(Doc(0)));
  EXPECT_TRUE(answers_.shown.empty());
  EXPECT_EQ(closeAll_.Shown, 0);
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(form.ActiveDocument(), Doc(0));
  form.OpenFiles({folder_.File(L"b.txt"), folder_.File(L"c.txt")});
  Type(1, "x");
  answers_.answers = {IDCANCEL};
  EXPECT_FALSE(form.CloseDocuments(nullptr));
  EXPECT_EQ(answers_.shown, std::vector<WideString>{Question("sSaveChangesTo", L"b.txt", yesNoCancel)});
  EXPECT_EQ(form.ActiveDocument(), Doc(1)) << "the document asked about comes forward";
  EXPECT_EQ(DocumentList->Count(), 3);
  Type(0, "x"), Type(2, "x");
  closeAll_.Button = 'c';
  EXPECT_FALSE(form.CloseDocuments(nullptr));
  EXPECT_EQ(closeAll_.Shown, 1);
  EXPECT_EQ(closeAll_.Entries, 3);
  EXPECT_EQ(closeAll_.CheckedEntries, 3);
  EXPECT_EQ(DocumentList->Count(), 3);
  closeAll_.Button = 'n';
  EXPECT_TRUE(form.CloseDocuments(nullptr));
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_TRUE(Doc(0)->FileName.empty());
  EXPECT_EQ(folder_.Read(L"a.txt") + folder_.Read(L"b.txt") + folder_.Read(L"c.txt"), "abc");
}

// "Save" in the dialog saves the checked documents; one whose save fails stays open, and the
// window does not close.
TEST_F(Saving, CloseAllSaveKeepsWhatCouldNotBeSaved) {
  TMainForm& form = Open({{L"a.txt", "a"}, {L"b.txt", "b"}, {L"c.txt", "c"}});
  Doc(1)->FileName.clear();  // never saved: Save As, which is cancelled
  dialog_.Confirm = false;
  closeAll_.Button = 's';
  closeAll_.Uncheck = {2};
  form.Exiting = true;
  EXPECT_FALSE(form.CloseDocuments(nullptr));
  form.Exiting = false;
  EXPECT_EQ(folder_.Read(L"a.txt"), "edited a");
  EXPECT_EQ(folder_.Read(L"c.txt"), "c");
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(Editor(0)->TextA(), "edited b");
  EXPECT_FALSE(Exists(TMainForm::LastDocumentsFile()));
}

// At exit the open documents whose files exist are listed, before the window goes.
TEST_F(Saving, ExitWritesLastDocuments) {
  struct Case {
    bool option;
    std::vector<WideString> listed;
  } cases[] = {{true, {L"a.txt", L"\u0436.txt"}}, {false, {}}};
  for (const Case& c : cases) {
    TMainForm& form = Open({{L"a.txt", "a"}, {L"\u0436.txt", "b"}}, false);
    form.NewDocument();
    ::Options->OpenLastDocuments = c.option;
    bool canClose = false;
    form.FormCloseQuery(&form, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_FALSE(form.Exiting);
    EXPECT_EQ(DocumentList->Count(), 0);
    std::vector<WideString> expected;
    for (const WideString& name : c.listed) expected.push_back(folder_.File(name));
    EXPECT_EQ(ReadLastDocuments(TMainForm::LastDocumentsFile()), expected);
    EXPECT_TRUE(Exists(TMainForm::LastDocumentsFile()));
    Restart();
  }
  // The next start opens them again, before the files named on the command line.
  ::Options->OpenLastDocuments = true;
  WriteLastDocuments(TMainForm::LastDocumentsFile(), {folder_.File(L"a.txt")});
  TMainForm::StartupFiles() = {folder_.File(L"\u0436.txt")};
  Make();
  ASSERT_EQ(DocumentList->Count(), 2);
  EXPECT_EQ(Doc(0)->FileName, folder_.File(L"a.txt"));
}

// A list that cannot be written is reported and the program still closes.
TEST_F(Saving, AFailingLastDocumentsWriteIsReported) {
  TMainForm& form = Open({{L"a.txt", "a"}}, false);
  TMainForm::LastDocumentsFile() = folder_.File(L"no such folder\\LastDocuments.dat");
  bool canClose = false;
  form.FormCloseQuery(&form, canClose);
  EXPECT_TRUE(canClose);
  ASSERT_EQ(answers_.shown.size(), 1u);
  EXPECT_NE(answers_.shown[0].find(L"|" + std::to_wstring(MB_ICONERROR)), WideString::npos);
  EXPECT_EQ(DocumentList->Count(), 0);
}

// The commands act on the tab under the last right click, else on the active one.
TEST_F(Saving, ActionsHonourTheContextTab) {
  TMainForm& form = Open({{L"a.txt", "a"}, {L"b.txt", "b"}, {L"c.txt", "c"}});
  form.tlbrTabBarMouseDown(&form, mbRight, Doc(0)->Item());
  form.actnSaveExecute(nullptr);
  EXPECT_EQ(folder_.Read(L"a.txt"), "edited a");
  EXPECT_EQ(folder_.Read(L"c.txt"), "c");
  form.tlbrTabBarMouseDown(&form, mbRight, Doc(1)->Item());
  dialog_.Name = folder_.File(L"b2.txt");
  form.actnSaveAsExecute(nullptr);
  EXPECT_EQ(folder_.Read(L"b2.txt"), "edited b");
  form.tlbrTabBarMouseDown(&form, mbRight, Doc(1)->Item());
  answers_.answers = {IDNO};  // the one other modified document
  form.actnCloseOtherTabsExecute(nullptr);
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(Doc(0)->FileName, folder_.File(L"b2.txt"));
  EXPECT_EQ(form.ActiveDocument(), Doc(0));
  form.tlbrTabBarMouseDown(&form, mbRight, nullptr);
  form.actnCloseExecute(nullptr);
  EXPECT_TRUE(Doc(0)->FileName.empty());
}

// "Save all" writes the modified documents only; a file nobody edited is left as it is.
TEST_F(Saving, SaveAllSavesOnlyModifiedDocuments) {
  TMainForm& form = Open({{L"a.txt", "a"}, {L"b.txt", "b\nb"}}, false);
  Type(0, "x");
  folder_.Write(L"b.txt", "changed outside");
  form.actnSaveAllExecute(nullptr);
  EXPECT_EQ(folder_.Read(L"a.txt"), "xa");
  EXPECT_EQ(folder_.Read(L"b.txt"), "changed outside");
  EXPECT_TRUE(dialog_.Offered.empty());
}

// A document that lost characters when it was loaded asks before its file is replaced.
TEST_F(Saving, ALossyDocumentAsksBeforeSaving) {
  TMainForm& form = Open({{L"u.txt", "\xEF\xBB\xBF\xE4\xB8\xAD"}});
  ASSERT_TRUE(Doc(0)->Lossy);
  answers_.shown.clear();  // the warning given when it was opened
  answers_.answers = {IDNO};
  EXPECT_FALSE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"u.txt"), "\xEF\xBB\xBF\xE4\xB8\xAD");
  EXPECT_EQ(answers_.shown, std::vector<WideString>{Question("sLossySave", Doc(0)->FileName, yesNo)});
  answers_.answers = {IDYES};
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_FALSE(Doc(0)->Lossy);
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_EQ(answers_.shown.size(), 2u) << "asked once";
}

TEST(LastDocumentsFile, RoundTripAndMalformedLines) {
  TTestFolder folder;
  const std::vector<WideString> names = {L"C:\\a b\\one.txt", L"C:\\\u4e2d\\two.txt"};
  WriteLastDocuments(folder.File(L"l.dat"), names);
  EXPECT_EQ(ReadLastDocuments(folder.File(L"l.dat")), names);
  WriteLastDocuments(folder.File(L"ansi.dat"), {L"C:\\x.txt"});
  EXPECT_EQ(folder.Read(L"ansi.dat"), "C:\\x.txt\r\n");
  EXPECT_TRUE(ReadLastDocuments(folder.File(L"missing.dat")).empty());
  EXPECT_EQ(ParseLastDocuments("a\r\n\r\nb\rc\nd\x01x\ne"), (std::vector<WideString>{L"a", L"b", L"c", L"e"}));
}

// Thousands of mutated lists: each gives names without control characters, never a crash.
TEST(LastDocumentsFile, FuzzedBytes) {
  std::mt19937 random(33);
  const std::string seeds[] = {"C:\\a.txt\r\nD:\\b.txt\r\n",
                               "\xEF\xBB\xBF"
                               "C:\\\xE4\xB8\xAD.txt\r\n"};
  for (int round = 0; round < 4000; ++round) {
    std::string bytes = seeds[round % 2];
    for (int edits = random() % 8; edits > 0; --edits) {
      const size_t at = bytes.empty() ? 0 : random() % bytes.size();
      switch (random() % 3) {
        case 0: bytes.insert(at, 1, static_cast<char>(random())); break;
        case 1:
          if (!bytes.empty()) bytes.erase(at, 1);
          break;
        default:
          if (!bytes.empty()) bytes[at] = static_cast<char>(random());
          break;
      }
    }
    for (const WideString& name : ParseLastDocuments(bytes)) {
      ASSERT_FALSE(name.empty());
      for (wchar_t c : name) ASSERT_GE(c, 32);
    }
  }
}

}  // namespace
