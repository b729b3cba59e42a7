// Saving and closing documents: the result codes of a save, files that stay whole when a write
// fails, the questions and their answers, the close-all dialog and the list of the last documents.
#include <algorithm>
#include <random>

#include "app/CloseAllFrm.h"
#include "app/DocumentSaving.h"
#include "app/DocumentTabs.h"
#include "app/Encoding.h"
#include "app/FilePaths.h"
#include "app/NSTextDialogs.h"
#include "app/TextFileOpening.h"
#include "framework/Actions.h"
#include "framework/Exceptions.h"
#include "framework/FileReplace.h"
#include "framework/ScopeGuards.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/MessageBoxRecorder.h"

namespace {

// The stand-ins of the save dialog (the names offered; the name and code answered, none when
// Name is empty) and of the close-all dialog (which entries to uncheck, which button to press).
struct TScript {
  WideString Name;
  int Encoding = teAnsi;
  std::vector<WideString> Offered;
  int Entries = 0;
  std::vector<int> Uncheck;
  bool Save = false;  // else Cancel
  bool DontSave = false;
  TRect Bounds;  // where the dialog came up
} script;

bool scriptedDialog(TNSTextSaveDialog* Dialog) {
  script.Offered.push_back(Dialog->FileName() + L"|" + std::to_wstring(Dialog->EncodingIndex()));
  Dialog->SetFileName(script.Name);
  Dialog->SetEncodingIndex(script.Encoding);
  return !script.Name.empty();
}

int scriptedCloseAll(TCloseAllForm* Dialog) {
  script.Entries = Dialog->Count();
  script.Bounds = Dialog->BoundsRect();
  for (int i : script.Uncheck) Dialog->SetChecked(i, false);
  if (script.DontSave)
    Dialog->actnDontSaveExecute(nullptr);
  else
    script.Save ? Dialog->actnSaveExecute(nullptr) : Dialog->actnCancelExecute(nullptr);
  return Dialog->ModalResult();
}

// A disk that fills up: some bytes reach the new file, then the write fails.
bool fullDiskWriter(TCustomTxtEdit*, const WideString& FileName, TTextEncoding, bool) {
  WriteFileReplacing(FileName, [](TStream& Stream) {
    Stream.WriteBuffer("partial", 7);
    throw EWriteError(L"There is not enough space on the disk.");
  });
  return true;
}

// A write that the system refuses with the code below, after some bytes reached the new file.
DWORD refusal = ERROR_DISK_FULL;
bool refusingWriter(TCustomTxtEdit*, const WideString& FileName, TTextEncoding, bool) {
  WriteFileReplacing(FileName, [](TStream& Stream) {
    Stream.WriteBuffer("partial", 7);
    SetLastError(refusal);
    throw EWriteError("Stream write error");
  });
  return true;
}

const WideString saveChanges = L"Save changes to \u201c%s\u201d?|Halcorn Verdan|51";

WideString With(WideString Format, const WideString& Name) { return Format.replace(Format.find(L"%s"), 2, Name); }

class Saving : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    script = TScript();
    SetSaveDialogRunner(scriptedDialog);
    SetCloseAllRunner(scriptedCloseAll);
    TMainForm::LastDocumentsFile() = folder_.File(L"LastDocuments.dat");
  }
  void TearDown() override {
    SetSaveDialogRunner(nullptr), SetCloseAllRunner(nullptr), SetTextFileWriter(nullptr);
    TMainForm::LastDocumentsFile().clear();
    DocumentTest::TearDown();
  }
  // The window with the files (names in the scratch folder, each holding its own name), each
  // typed into when Modify says so.
  TMainForm& Open(std::vector<const wchar_t*> Files, const char* Modify = "xxx") {
    std::vector<WideString> names;
    for (const wchar_t* name : Files) names.push_back(folder_.Write(name, WideToUtf8(name)));
    TMainForm::StartupFiles() = names;
    TMainForm& form = Make();
    for (int i = 0; i < DocumentList->Count(); ++i)
      if (Modify[i] == 'x') Type(i);
    return form;
  }
  void Type(int Index) {
    Editor(Index)->SetTextA("edited " + Editor(Index)->TextA());
    Editor(Index)->SetModified(true);
  }
  void Restart() {
    Free(form_), form_ = nullptr;
    CreateGlobals(folder_.File(L"Preferences.ini"), folder_.File(L"Highlighters"));
  }

  // Each box answered in turn, Cancel once the answers have run out.
  TMessageBoxRecorder answers_{IDCANCEL};
};

// Every result code; a document counts as saved only when its text reached the file.
TEST_F(Saving, SaveDocumentResultCodes) {
  TMainForm& form = Open({L"a"});
  EXPECT_EQ(form.SaveDocument(nullptr, L"x", teAnsi), -1);
  const DWORD none = 0xFFFF;
  struct Case {
    DWORD access, share;  // how another program holds the file
    TTextEncoding code;
    int result;
    const char* onDisk;
  } cases[] = {{GENERIC_READ, 0, teAnsi, 1, "a"},
               {GENERIC_WRITE, FILE_SHARE_READ, teAnsi, 2, "a"},
               {0, none, 8, 3, "a"},
               {0, none, teAutoSelect, 0, "edited a"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    HANDLE other = c.share == none
                       ? INVALID_HANDLE_VALUE
                       : CreateFileW(Doc(0)->FileName.c_str(), c.access, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(form.SaveDocument(Doc(0), Doc(0)->FileName, c.code), c.result);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    EXPECT_EQ(folder_.Read(L"a"), c.onDisk);
    EXPECT_EQ(Editor(0)->Modified(), c.result != 0);
  }
  Editor(0)->SetModified(true);
  ASSERT_EQ(form.SaveDocument(Doc(0), folder_.File(L"b&c.txt"), teUtf8), 0);
  EXPECT_EQ(Doc(0)->Item()->Caption(), L"b&&c.txt");
  EXPECT_EQ(Doc(0)->Item()->Hint(), folder_.File(L"b&c.txt") + L"\r\nEncoding: UTF-8");
}

// A failed save says what the system said (a full disk is no denied folder), naming the file;
// the old file stays whole and no temporary file is left.
TEST_F(Saving, AFailedSaveSaysWhatTheSystemSaid) {
  TMainForm& form = Open({L"a"});
  const WideString missingFolder = folder_.File(L"gone\\a.txt");
  struct Case {
    DWORD code;
    bool missing;  // the document's folder is gone: the system's own refusal
  } cases[] = {{ERROR_DISK_FULL, false},
               {ERROR_HANDLE_DISK_FULL, false},
               {ERROR_WRITE_FAULT, false},
               {ERROR_PATH_NOT_FOUND, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    answers_.Clear();
    refusal = c.code;
    SetTextFileWriter(c.missing ? nullptr : refusingWriter);
    if (c.missing) Doc(0)->FileName = missingFolder;
    answers_.Answers = {IDNO};
    EXPECT_FALSE(form.Save(Doc(0)));
    ASSERT_EQ(answers_.Texts.size(), 1u);
    EXPECT_EQ(answers_.Texts[0], L"Unable to save \u201c" + Doc(0)->FileName + L"\u201d. " + SysErrorMessage(c.code) +
                                     L" Would you like to save the document in another location?");
    EXPECT_FALSE(SysErrorMessage(c.code).empty());
    EXPECT_TRUE(Editor(0)->Modified());
  }
  EXPECT_EQ(folder_.Read(L"a"), "a");
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(folder_.File(L"a.*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file is left";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

// The system's replace lost the old file (it could not move the new one to its name) and the
// move after it fails too: the text stays in the temporary file, which the question names after
// what the system said; the document keeps its edits and its name, and saves once the system
// works again.
TEST_F(Saving, ASaveThatLostTheOldFileSaysWhereTheTextIs) {
  TMainForm& form = Open({L"a"});
  struct TLosingCalls : TFileReplaceCalls {
    DWORD Code = ERROR_UNABLE_TO_MOVE_REPLACEMENT;
    bool Replace(const WideString& Target, const WideString&) override {
      DeleteFileW(Target.c_str());
      SetLastError(Code);
      return false;
    }
    bool Move(const WideString&, const WideString&) override {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
  } calls;
  TFileReplaceCalls* previous = SetFileReplaceCalls(&calls);
  TScopeExit restore([&] { SetFileReplaceCalls(previous); });
  const WideString name = Doc(0)->FileName;
  for (DWORD code : {ERROR_UNABLE_TO_MOVE_REPLACEMENT, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}) {
    SCOPED_TRACE(code);
    folder_.Write(L"a", "a");
    calls.Code = code;
    answers_.Clear();
    answers_.Answers = {IDNO};
    EXPECT_FALSE(form.Save(Doc(0)));
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder_.File(L"a.*.tmp").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "the text is kept";
    FindClose(search);
    const WideString kept = folder_.File(found.cFileName);
    EXPECT_EQ(folder_.Read(found.cFileName), "edited a");
    ASSERT_EQ(answers_.Texts.size(), 1u);
    EXPECT_EQ(answers_.Texts[0], L"Unable to save \u201c" + name + L"\u201d. " + SysErrorMessage(code) +
                                     L" The new text is kept in \u201c" + kept +
                                     L"\u201d. Would you like to save the document in another location?");
    EXPECT_TRUE(Editor(0)->Modified());
    EXPECT_EQ(Doc(0)->FileName, name);
    DeleteFileW(kept.c_str());
  }
  // A failure that says nothing of a kept file does not repeat the last one's.
  answers_.Clear();
  answers_.Answers = {IDNO};
  refusal = ERROR_DISK_FULL;
  SetTextFileWriter(refusingWriter);
  EXPECT_FALSE(form.Save(Doc(0)));
  ASSERT_EQ(answers_.Texts.size(), 1u);
  EXPECT_EQ(answers_.Texts[0].find(L"kept"), WideString::npos);
  SetTextFileWriter(nullptr);
  SetFileReplaceCalls(previous);
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"a"), "edited a");
  EXPECT_FALSE(Editor(0)->Modified());
}

// A full disk leaves the old file whole and asks for another place; a read-only file is saved
// and keeps its attribute.
TEST_F(Saving, FailingWritesAndReadOnlyFiles) {
  TMainForm& form = Open({L"a", L"ro"});
  SetTextFileWriter(fullDiskWriter);
  answers_.Answers = {IDYES};  // Save As then offers the same name; cancelled
  EXPECT_FALSE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"a"), "a");
  EXPECT_TRUE(Editor(0)->Modified());
  ASSERT_EQ(answers_.Shown.size(), 1u);
  EXPECT_NE(answers_.Shown[0].find(Doc(0)->FileName + L"\u201d. Probably, access to folder denied."), WideString::npos);
  EXPECT_EQ(script.Offered, std::vector<WideString>{Doc(0)->FileName + L"|1"});
  SetTextFileWriter(nullptr);
  SetFileAttributesW(Doc(1)->FileName.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(form.Save(Doc(1)));
  EXPECT_EQ(folder_.Read(L"ro"), "edited ro");
  EXPECT_TRUE(GetFileAttributesW(Doc(1)->FileName.c_str()) & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(Doc(1)->FileName.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Save As proposes a name from the text and never writes over another tab's file, also when the
// document saved is not the active one.
TEST_F(Saving, SaveAsProposalsAndOtherDocumentsNames) {
  TMainForm& form = Open({L"one", L"two"});
  TDocument* fresh = form.NewDocument();
  fresh->Frame()->edtDocument->SetTextA("\r\n...Hello, world!\r\nmore");
  fresh->Encoding = teUnicode;
  form.ActivateDocument(Doc(0));
  for (const wchar_t* taken : {L"two", L"ONE"}) {
    script.Name = folder_.File(taken);
    EXPECT_FALSE(form.SaveAs(fresh));
    EXPECT_EQ(form.ActiveDocument(), DocumentList->FindByFileName(script.Name)) << "its document comes forward";
  }
  EXPECT_EQ(folder_.Read(L"one") + folder_.Read(L"two"), "onetwo");
  EXPECT_EQ(script.Offered.front(), L"Hello|2");
  script.Name = folder_.File(L"hello.txt");
  script.Encoding = teUtf8;
  EXPECT_TRUE(form.SaveAs(fresh));
  EXPECT_EQ(folder_.Read(L"hello.txt"), "\r\n...Hello, world!\r\nmore");
}

// The answers to "Save changes?"; a save that fails or is cancelled keeps the document open; the
// only document is made new instead of closed.
TEST_F(Saving, CloseDocumentAnswers) {
  struct Case {
    int answer;
    bool named, closed;
    const char* onDisk;
  } cases[] = {{IDYES, true, true, "edited a"},
               {IDYES, false, false, "a"},
               {IDNO, true, true, "a"},
               {IDCANCEL, true, false, "a"}};
  for (const Case& c : cases) {
    TMainForm& form = Open({L"a", L"b"});
    if (!c.named) Doc(0)->FileName.clear();
    answers_.Answers = {c.answer};
    answers_.Clear();
    EXPECT_EQ(form.CloseDocument(Doc(0)), c.closed);
    EXPECT_EQ(DocumentList->Count(), c.closed ? 1 : 2);
    EXPECT_EQ(folder_.Read(L"a"), c.onDisk);
    EXPECT_EQ(answers_.Shown, std::vector<WideString>{With(saveChanges, L"a")});
    if (c.answer == IDNO) {
      const int next = form.NewDocumentNumber;
      answers_.Answers = {IDNO};
      EXPECT_TRUE(form.CloseDocument(Doc(0)));
      EXPECT_EQ(Doc(0)->Item()->Caption(), L"Document " + std::to_wstring(next));
      EXPECT_TRUE(Doc(0)->FileName.empty() && Editor(0)->TextA().empty() && !Editor(0)->Modified());
    }
    Restart();
  }
}

// No question without changes, one question for one document, the dialog for more; its "Save"
// keeps what could not be saved, and then the window stays.
TEST_F(Saving, CloseDocumentsByTheNumberOfModifiedDocuments) {
  TMainForm& form = Open({L"a", L"b", L"c"}, "...");
  EXPECT_TRUE(form.CloseDocuments(Doc(0)));
  EXPECT_TRUE(answers_.Shown.empty());
  form.OpenFiles({folder_.File(L"b"), folder_.File(L"c")});
  Type(1);
  EXPECT_FALSE(form.CloseDocuments(nullptr));
  EXPECT_EQ(answers_.Shown, std::vector<WideString>{With(saveChanges, L"b")});
  EXPECT_EQ(form.ActiveDocument(), Doc(1)) << "the document asked about comes forward";
  Type(0), Type(2);
  EXPECT_FALSE(form.CloseDocuments(nullptr));
  EXPECT_EQ(script.Entries, 3);
  EXPECT_NE(folder_.Read(L"Preferences.ini").find("[CloseAllForm]"), std::string::npos) << "its place is kept";
  Doc(1)->FileName.clear();  // Save As, cancelled
  script.Save = true;
  script.Uncheck = {2};
  form.Exiting = true;
  EXPECT_FALSE(form.CloseDocuments(nullptr));
  EXPECT_EQ(folder_.Read(L"a") + folder_.Read(L"c"), "edited ac");
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(Editor(0)->TextA(), "edited b");
  EXPECT_EQ(GetFileAttributesW(TMainForm::LastDocumentsFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Every closing keeps the close-all dialog's place; a settings file that refuses it costs only it.
TEST_F(Saving, EveryClosingKeepsTheCloseAllDialogsPlace) {
  script.DontSave = true;
  const WideString preferences = folder_.File(L"Preferences.ini");
  const struct {
    const char* Modify;
    int Answer;
    bool Refused, Closed;
  } cases[] = {{"...", IDCANCEL, false, true}, {".x.", IDNO, false, true}, {".x.", IDCANCEL, false, false},
               {"xx.", IDCANCEL, false, true}, {"...", IDNO, true, true},  {".x.", IDNO, true, true},
               {"xx.", IDNO, true, true}};
  for (const auto& c : cases) {
    TMainForm& form = Open({L"a", L"b", L"c"}, c.Modify);
    DeleteFileW(preferences.c_str());
    ASSERT_TRUE(!c.Refused || CreateDirectoryW(preferences.c_str(), nullptr));
    answers_.Answers = {c.Answer};
    bool closed = false;
    EXPECT_NO_THROW(closed = form.CloseDocuments(nullptr)) << c.Modify << c.Refused;
    EXPECT_EQ(closed, c.Closed) << c.Modify << c.Refused;
    EXPECT_EQ(DocumentList->Count(), c.Closed ? 1 : 3) << c.Modify << c.Refused;
    if (c.Refused)
      RemoveDirectoryW(preferences.c_str());
    else
      EXPECT_NE(folder_.Read(L"Preferences.ini").find("[CloseAllForm]"), std::string::npos) << c.Modify;
    Restart();
  }
}

// Whatever closes documents, typing goes on in the editor of the document active afterwards,
// also when the one that had the keyboard was closed.
TEST_F(Saving, ClosingLeavesTheFocusInTheActiveEditor) {
  script.DontSave = true;
  const struct {
    const char* Modify;
    const char* Action;
  } cases[] = {
      {"xx.", "actnCloseAll"},        // the close-all dialog, "Don't save"
      {"x..", "actnCloseAll"},        // one question, "No"
      {"...", "actnCloseAll"},        // nothing asked
      {"..x", "actnClose"},           // the active one, asked about
      {"...", "actnClose"},           // the active one, not asked
      {"xx.", "actnCloseOtherTabs"},  // the active one stays
  };
  for (const auto& c : cases) {
    TMainForm& form = Open({L"a", L"b", L"c"}, c.Modify);
    form.Show();
    form.StartupDone = true;
    form.ActivateDocument(Doc(2));
    Editor(2)->SetFocus();
    answers_.Answers = {IDNO};
    dynamic_cast<TAction*>(form.FindComponent(c.Action))->Execute();
    Application->ProcessMessages();
    ASSERT_NE(form.ActiveEditor(), nullptr);
    EXPECT_EQ(GetFocus(), form.ActiveEditor()->Handle()) << c.Action << " " << c.Modify;
    Restart();
  }
}

// The close-all dialog comes up in the middle of the screen the first time, wherever the main
// window is, and where it was left after that.
TEST_F(Saving, TheCloseAllDialogComesUpInTheMiddleOfTheScreenTheFirstTime) {
  TMainForm& form = Open({L"a", L"b"});
  form.SetBounds(40, 30, 500, 400);
  form.Show();
  EXPECT_FALSE(form.CloseDocuments(nullptr));
  const TRect first = script.Bounds;
  EXPECT_EQ(first.Left, (GetSystemMetrics(SM_CXSCREEN) - first.Width()) / 2);
  EXPECT_EQ(first.Top, (GetSystemMetrics(SM_CYSCREEN) - first.Height()) / 2);
  form.SetBounds(300, 200, 500, 400);
  EXPECT_FALSE(form.CloseDocuments(nullptr));
  EXPECT_EQ(script.Bounds, first) << "a placed dialog keeps its place";
}

// At exit the open documents whose files exist are listed, or none when the option is off; a
// list that cannot be written is reported and the window still closes.
TEST_F(Saving, ExitWritesLastDocuments) {
  for (const WideString list : {L"l.dat", L"off.dat", L"missing\\l.dat"}) {
    TMainForm& form = Open({L"a", L"\u0436"}, "...");
    form.NewDocument();
    ::Options->OpenLastDocuments = list != L"off.dat";
    TMainForm::LastDocumentsFile() = folder_.File(list);
    answers_.Clear();
    bool canClose = false;
    form.FormCloseQuery(&form, canClose);
    EXPECT_TRUE(canClose && !form.Exiting && DocumentList->Count() == 0);
    EXPECT_EQ(answers_.Shown.size(), list == L"missing\\l.dat" ? 1u : 0u);
    Restart();
  }
  EXPECT_EQ(ReadLastDocuments(folder_.File(L"l.dat")),
            (std::vector<WideString>{folder_.File(L"a"), folder_.File(L"\u0436")}));
  EXPECT_NE(GetFileAttributesW(folder_.File(L"off.dat").c_str()), INVALID_FILE_ATTRIBUTES);
  ::Options->OpenLastDocuments = true;  // the next start opens them again
  TMainForm::LastDocumentsFile() = folder_.File(L"l.dat");
  EXPECT_EQ(Make().ActiveDocument()->FileName, folder_.File(L"\u0436"));
}

// The commands act on the tab of the last right click, else on the active one; "Save all"
// leaves unmodified files alone; a document that lost characters asks first.
TEST_F(Saving, ActionsSaveAllAndLossyDocuments) {
  TMainForm& form = Open({L"a", L"b", L"c"}, "x.x");
  form.tlbrTabBarMouseDown(&form, mbRight, Doc(0)->Item());
  ASSERT_TRUE(form.Commands->Action("actnSave")->Execute());
  EXPECT_EQ(folder_.Read(L"a") + folder_.Read(L"c"), "edited ac");
  folder_.Write(L"b", "changed outside");
  ASSERT_TRUE(form.Commands->Action("actnSaveAll")->Execute());
  EXPECT_EQ(folder_.Read(L"b") + folder_.Read(L"c"), "changed outsideedited c");
  form.tlbrTabBarMouseDown(&form, mbRight, Doc(1)->Item());
  Type(0);
  answers_.Answers = {IDNO};
  ASSERT_TRUE(form.Commands->Action("actnCloseOtherTabs")->Execute());
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_EQ(Doc(0)->FileName, folder_.File(L"b"));
  Doc(0)->Lossy = true;
  Type(0);
  answers_.Clear();
  answers_.Answers = {IDNO, IDYES};
  EXPECT_FALSE(form.Save(Doc(0)));
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_EQ(answers_.Shown.size(), 2u) << "asked until it was saved";
  EXPECT_EQ(folder_.Read(L"b"), "edited b");
}

// A file whose lines end in different breaks is held in one style: saving over it asks first,
// naming it; "No" leaves its bytes as they were, "Yes" makes the breaks alike, and then nothing
// is asked again. A file of one style, or a save under another name, asks nothing.
TEST_F(Saving, MixedLineBreaksAskBeforeTheyAreMadeAlike) {
  const WideString question =
      L"The lines of \u201c%s\u201d do not all end in the same line break. Saving makes them all the same in "
      L"the file. Save anyway?|Halcorn Verdan|52";
  const struct {
    const wchar_t* Name;
    std::string Bytes;
    bool Mixed;
  } cases[] = {
      {L"ansi.txt", "a\r\nb\nc\rd\xE9", true},
      {L"utf8.txt",
       "\xEF\xBB\xBF"
       "a\nb\r\nc\xC3\xA9",
       true},
      {L"utf16.txt",
       std::string("\xFF\xFE"
                   "a\0\r\0b\0\n\0",
                   10),
       true},
      {L"utf16be.txt", std::string("\xFE\xFF\0a\0\r\0\n\0b\0\r", 12), true},
      {L"koi8.txt", "\xF0\xD2\xC9\xD7\xC5\xD4\r\n\xED\xC9\xD2\n", true},
      {L"crlf.txt", "a\r\nb\r\n", false},
      {L"cr.txt", "a\rb\r", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.Name));
    TMainForm::StartupFiles() = {folder_.Write(c.Name, c.Bytes)};
    TMainForm& form = Make();
    EXPECT_EQ(Doc(0)->MixedLineBreaks, c.Mixed);
    Type(0);
    answers_.Clear();
    answers_.Answers = {IDNO};
    EXPECT_EQ(form.Save(Doc(0)), !c.Mixed);
    if (c.Mixed) {
      EXPECT_EQ(answers_.Shown, std::vector<WideString>{With(question, Doc(0)->FileName)});
      EXPECT_EQ(folder_.Read(c.Name), c.Bytes);
      answers_.Answers = {IDYES};
      EXPECT_TRUE(form.Save(Doc(0)));
      EXPECT_NE(folder_.Read(c.Name), c.Bytes);
      Type(0);
      EXPECT_TRUE(form.Save(Doc(0)));
      EXPECT_EQ(answers_.Shown.size(), 2u);
    } else {
      EXPECT_TRUE(answers_.Shown.empty());
    }
    Restart();
  }
  // Under another name the file itself is not written: nothing to ask.
  TMainForm::StartupFiles() = {folder_.Write(L"m.txt", "a\r\nb\nc")};
  TMainForm& form = Make();
  script.Name = folder_.File(L"other.txt");
  answers_.Clear();
  EXPECT_TRUE(form.SaveAs(Doc(0)));
  EXPECT_TRUE(answers_.Shown.empty());
  EXPECT_EQ(folder_.Read(L"m.txt"), "a\r\nb\nc");
  EXPECT_EQ(folder_.Read(L"other.txt"), "a\r\nb\r\nc");
}

// The example of a mixed file: what saving makes of it once the user agreed.
TEST_F(Saving, MixedLineBreaksBecomeTheFirstStyleOnceConfirmed) {
  TMainForm::StartupFiles() = {folder_.Write(L"m.txt", "a\r\nb\nc\rd\xE9")};
  TMainForm& form = Make();
  answers_.Answers = {IDYES};
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"m.txt"), "a\r\nb\r\nc\r\nd\xE9");
}

// Thousands of mutated lists: names without control characters each time, never a crash.
TEST(LastDocumentsFile, FuzzedBytes) {
  std::mt19937 random(33);
  const std::string seeds[] = {"C:\\a.txt\r\nD:\\b.txt\r\n", std::string("\xEF\xBB\xBF") + "C:\\\xE4\xB8\xAD.txt\r\n"};
  for (int round = 0; round < 4000; ++round) {
    std::string bytes = seeds[round % 2];
    for (int edits = random() % 8; edits > 0 && !bytes.empty(); --edits) {
      const size_t at = random() % bytes.size();
      if (random() % 2)
        bytes.insert(at, 1, static_cast<char>(random()));
      else
        bytes[at] = static_cast<char>(random());
    }
    for (const WideString& name : ParseLastDocuments(bytes))
      for (wchar_t c : name) ASSERT_GE(c, 32);
  }
  EXPECT_EQ(ParseLastDocuments("a\r\n\r\nb\rc\nd\x01x\ne"), (std::vector<WideString>{L"a", L"b", L"c", L"e"}));
}

// Save all saves every edited document, the first one too.
TEST_F(Saving, SaveAllSavesEveryEditedDocument) {
  TMainForm& form = Open({L"a", L"b", L"c"}, "xxx");
  ASSERT_TRUE(form.Commands->Action("actnSaveAll")->Execute());
  EXPECT_EQ(folder_.Read(L"a") + "|" + folder_.Read(L"b") + "|" + folder_.Read(L"c"), "edited a|edited b|edited c");
  EXPECT_TRUE(answers_.Shown.empty());
}

// A save under a name names the window at once, before the application is idle again.
TEST_F(Saving, ASaveNamesTheWindowAtOnce) {
  TMainForm& form = Open({});
  form.ActiveEditor()->SetTextA("text");
  script.Name = folder_.File(L"named.txt");
  ASSERT_TRUE(form.SaveAs(form.ActiveDocument()));
  EXPECT_EQ(form.Caption(), script.Name + L" \u2014 Halcorn Verdan");
}

// Save all leaves unchanged documents alone: the file of one that another program changed
// meanwhile keeps that change, and a new empty document asks for no name.
TEST_F(Saving, SaveAllLeavesUnchangedDocumentsAlone) {
  TMainForm& form = Open({L"a", L"b"}, "x.");
  form.NewDocument();
  folder_.Write(L"b", "changed outside");
  ASSERT_TRUE(form.Commands->Action("actnSaveAll")->Execute());
  EXPECT_EQ(folder_.Read(L"a") + "|" + folder_.Read(L"b"), "edited a|changed outside");
  EXPECT_TRUE(script.Offered.empty());
}

// A character the Cyrillic code page has no place for (the micro sign, B5) is named before the
// save, with the file and the encoding: Cancel saves nothing, No chooses another encoding in the
// save dialog, Yes writes what the code page's table gives. Codes that keep every byte, and text
// the code page holds whole, ask nothing.
TEST_F(Saving, CharactersTheCodePageCannotKeepAreNamedBeforeTheSave) {
  const struct {
    TTextEncoding Code;
    const char* Text;
    bool Asks;
  } cases[] = {{teCyrillicDos,
                "a\xB5"
                "b",
                true},
               {teCyrillicIso,
                "a\xB5"
                "b",
                true},
               {teCyrillicKoi8,
                "a\xB5"
                "b",
                true},
               {teCyrillicKoi8, "\xCF\xF0\xE8\xB8", false},
               {teAnsi,
                "a\xB5"
                "b",
                false},
               {teUtf8,
                "a\xB5"
                "b",
                false},
               {teUnicode,
                "a\xB5"
                "b",
                false},
               {teCyrillicDos, "\xB5\xB6\xA7\xE0", true}};
  TMainForm& form = Open({L"a"}, ".");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Code) + " " + c.Text);
    folder_.Write(L"a", "old");
    Doc(0)->Encoding = c.Code;
    Editor(0)->SetTextA(c.Text);
    Editor(0)->SetModified(true);
    answers_.Clear();
    answers_.Answers = {IDCANCEL};
    EXPECT_EQ(form.Save(Doc(0)), !c.Asks);
    if (!c.Asks) {
      EXPECT_TRUE(answers_.Shown.empty());
      continue;
    }
    const AnsiString unkept = UnkeptCharacters(Editor(0)->Lines(), c.Code);
    EXPECT_EQ(answers_.Shown,
              (std::vector<WideString>{UnkeptCharactersText(Doc(0)->FileName, form.EncodingName(c.Code), unkept) +
                                       L"|Halcorn Verdan|51"}));
    EXPECT_EQ(folder_.Read(L"a"), "old") << "Cancel";
    answers_.Answers = {IDYES};
    EXPECT_TRUE(form.Save(Doc(0)));
    EXPECT_EQ(folder_.Read(L"a"), ConvertString(c.Text, 0, CodePageTableIndex(c.Code))) << "Yes";
  }
  EXPECT_NE(
      UnkeptCharactersText(L"C:\\x\\a.txt", L"KOI8", "\xB5").find(L"\u201ca.txt\u201d holds characters that KOI8"),
      WideString::npos);
  EXPECT_NE(UnkeptCharactersText(L"a", L"KOI8", "\xB5\xB6").find(L"\u00b5 \u00b6"), WideString::npos);
  // No: the save dialog, where UTF-8 keeps the character; a dialog cancelled saves nothing.
  Doc(0)->Encoding = teCyrillicKoi8;
  Editor(0)->SetTextA("a\xB5");
  folder_.Write(L"a", "old");
  answers_.Answers = {IDNO};
  EXPECT_FALSE(form.Save(Doc(0)));
  EXPECT_EQ(script.Offered.size(), 1u);
  EXPECT_EQ(folder_.Read(L"a"), "old");
  answers_.Answers = {IDNO};
  script.Name = folder_.File(L"a");
  script.Encoding = teUtf8;
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"a"), "a\xC2\xB5");
  EXPECT_EQ(Doc(0)->Encoding, teUtf8);
  // Save as in a code page that cannot keep it asks the same; Cancel writes no new file.
  answers_.Clear();
  answers_.Answers = {IDCANCEL};
  script.Name = folder_.File(L"koi8.txt");
  script.Encoding = teCyrillicKoi8;
  EXPECT_FALSE(form.SaveAs(Doc(0)));
  EXPECT_EQ(answers_.Shown.size(), 1u);
  EXPECT_FALSE(FileExistsQuiet(folder_.File(L"koi8.txt")));
}

std::wstring Decoded(UINT CodePage, const std::string& Bytes) {
  std::wstring text(Bytes.size(), L'\0');
  const int n = MultiByteToWideChar(CodePage, 0, Bytes.data(), static_cast<int>(Bytes.size()), text.data(),
                                    static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::max(n, 0)));
  return text;
}

// Generated texts saved in every code: in the Unicode codes and ANSI every byte reads back as it
// was; in a Cyrillic code page the characters of the file, read in that code page, are those of
// the text read as Windows-1251, except exactly the ones UnkeptCharacters named. No save loses a
// character without the question.
TEST(UnkeptCharacters, NoSaveLosesACharacterUnnamed) {
  TTestFolder folder;
  const WideString name = folder.File(L"fuzz.txt");
  std::mt19937 random(52);
  for (int round = 0; round < 1500; ++round) {
    const auto code = static_cast<TTextEncoding>(teAnsi + random() % teLastEncoding);
    TTxtEditStringList lines;
    std::string joined;
    for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
      AnsiString line;
      for (int k = 1 + static_cast<int>(random() % 24); k > 0; --k) {
        char c = static_cast<char>(random() % 3 ? 0x80 + random() % 128 : 1 + random() % 127);
        if (c == '\r' || c == '\n') c = 'x';
        line += c;
      }
      lines.Add(line);
      joined += (joined.empty() ? "" : "\r\n") + line;
    }
    SCOPED_TRACE("round " + std::to_string(round) + ", code " + std::to_string(code));
    const AnsiString unkept = UnkeptCharacters(&lines, code);
    ASSERT_TRUE(SaveTextFile(&lines, name, code, false));
    const int index = CodePageTableIndex(code);
    if (index == 0) {
      EXPECT_EQ(unkept, "");
      TTxtEditStringList back;
      LoadTextFile(&back, name, code);
      ASSERT_EQ(back.Text(), lines.Text());
      continue;
    }
    std::string file = folder.Read(L"fuzz.txt");
    while (!file.empty() && (file.back() == '\n' || file.back() == '\r')) file.pop_back();
    const std::wstring was = Decoded(1251, joined);
    const std::wstring saved = Decoded(index == 1 ? 20866 : index == 3 ? 28595 : 866, file);
    ASSERT_EQ(saved.size(), was.size());
    std::string changed;
    for (size_t k = 0; k < was.size(); ++k)
      if (saved[k] != was[k] && changed.find(joined[k]) == std::string::npos) changed += joined[k];
    std::sort(changed.begin(), changed.end(), [](char a, char b) { return uint8_t(a) < uint8_t(b); });
    ASSERT_EQ(changed, std::string(unkept));
  }
}

}  // namespace
