// The main window's documents: files opened in tabs with their encodings, what is reported for
// names that cannot be opened, caret positions, ".LOG" stamps, read-only files, new documents,
// dropped files and the tabs' clicks.
#include "framework/Win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <random>

#include "app/DocumentTabs.h"
#include "app/NSTextDialogs.h"
#include "app/TextFileOpening.h"
#include "app/WindowRoutines.h"
#include "framework/Application.h"
#include "framework/DateTime.h"
#include "framework/IniFiles.h"
#include "framework/Screen.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/UiStatusBars.h"
#include "themes/UiExtItems.h"

namespace {

using MainWindow = DocumentTest;

const WideString errorBox = L"|Halcorn Verdan|" + std::to_wstring(MB_ICONERROR);

struct TFixedClock : TClock {
  TDateTime Now() const override { return EncodeDate(2024, 3, 9) + EncodeTime(14, 5, 0, 0); }
};

}  // namespace

TEST_F(MainWindow, StartupFilesOpenInTabsBeforeTheNewTabButton) {
  TMainForm::StartupFiles() = {folder_.Write(L"first.txt", "alpha\nbeta\n\xe8t\xe8"),
                               folder_.Write(L"a&b.txt", "one\r\ntwo")};
  TMainForm& form = Make();
  ASSERT_EQ(DocumentList->Count(), 2);
  EXPECT_EQ(Editor(0)->Lines()->Strings(2), "\xe8t\xe8");
  EXPECT_EQ(Editor(0)->Lines()->LineBreakFormat(), lbfLF);
  // The last file opened is the active one; its tab is checked and the new-tab button stays last.
  EXPECT_EQ(form.ActiveDocument(), Doc(1));
  EXPECT_TRUE(Doc(1)->Item()->Checked() && !Doc(0)->Item()->Checked());
  ASSERT_EQ(form.tlbrTabBar->ItemCount(), 3);
  EXPECT_EQ(form.tlbrTabBar->Tab(2)->ImageIndex(), 1);
  EXPECT_EQ(Doc(1)->Item()->Caption(), L"a&&b.txt");
  EXPECT_EQ(Doc(1)->GetDisplayName(false), L"a&b.txt");
  EXPECT_EQ(Doc(1)->Item()->Hint(), Doc(1)->FileName + L"\r\nEncoding: ANSI");
}

TEST_F(MainWindow, NamesThatCannotOpenAreReportedByFileNameAlone) {
  const WideString good = folder_.Write(L"good.txt", "text"), locked = folder_.Write(L"locked.txt", "secret");
  const WideString sub = folder_.File(L"sub");
  CreateDirectoryW(sub.c_str(), nullptr);
  TMainForm& form = Make();
  TDocument* before = form.ActiveDocument();
  HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(form.OpenFiles({folder_.File(L"missing.txt"), sub, locked}, 0), 0);
  CloseHandle(lock);
  EXPECT_EQ(boxes_.Shown, (std::vector<WideString>{L"File \u201cmissing.txt\u201d not found." + errorBox,
                                                   L"Access to file \u201clocked.txt\u201d denied. Contact the "
                                                   L"administrator to obtain permission." +
                                                       errorBox}));
  EXPECT_EQ(form.ActiveDocument(), before);
  // An open file named again in other letters only comes to the front.
  EXPECT_EQ(form.OpenFiles({good, L""}, 0), 1);
  form.ActivateDocument(before);
  CharUpperW(const_cast<wchar_t*>(good.data()) + folder_.Path().size());
  EXPECT_EQ(form.OpenFiles({good}, 0), 0);
  EXPECT_EQ(DocumentList->Count(), 2);
  EXPECT_EQ(form.ActiveEditor()->TextA(), "text");
}

// Unicode names, and a Unicode code given by the open dialog, read the file even while another
// process reads it, never an empty text.
TEST_F(MainWindow, UnicodeNamesAndCodesReadTheText) {
  TMainForm& form = Make();
  const WideString name = folder_.Write(L"\u4e2d\u6587 \u0436.txt", std::string("\xFF\xFEh\0i\0", 6));
  EXPECT_EQ(form.OpenFiles({name}, 2), 1);
  EXPECT_EQ(form.ActiveEditor()->TextA(), "hi");
  const WideString held = folder_.Write(L"held.txt", "abc");
  HANDLE other = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const int documents = DocumentList->Count();
  EXPECT_EQ(form.OpenFiles({held}, 4), 1) << "another reader does not keep the text away";
  EXPECT_EQ(form.ActiveEditor()->TextA(), "abc");
  CloseHandle(other);
  EXPECT_EQ(DocumentList->Count(), documents + 1);
}

// A file that fails while it is read (here one too large for the editor, made sparse so that it
// costs no disk) leaves no half-filled document that a later save could write over it.
TEST_F(MainWindow, AFileThatFailsToLoadLeavesNoDocument) {
  const WideString big = folder_.File(L"big.txt");
  HANDLE h = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 0x90000000LL;
  SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  CloseHandle(h);
  TMainForm& form = Make();
  TDocument* before = form.ActiveDocument();
  EXPECT_EQ(form.OpenFiles({big, folder_.Write(L"after.txt", "a")}, teAnsi), 1);
  DeleteFileW(big.c_str());
  EXPECT_EQ(DocumentList->FindByFileName(big), nullptr);
  EXPECT_EQ(DocumentList->Count(), 2);
  EXPECT_EQ(form.tlbrTabBar->ItemCount(), 3);
  ASSERT_EQ(boxes_.Shown.size(), 1u);
  EXPECT_NE(boxes_.Shown[0].find(L"|Halcorn Verdan|" + std::to_wstring(MB_ICONERROR)), WideString::npos);
  EXPECT_NE(form.ActiveDocument(), before);
}

TEST_F(MainWindow, EncodingsAreDetectedAndLossIsNamed) {
  const WideString chinese = folder_.Write(L"\u4e2d\u6587.txt", "\xE4\xB8\xAD\xE6\x96\x87\r\n");
  TMainForm::StartupFiles() = {folder_.Write(L"utf8.txt", "caf\xC3\xA9\n"),
                               folder_.Write(L"be.txt", std::string("\xFE\xFF\x00\xFC", 4)), chinese};
  Make();
  ASSERT_EQ(DocumentList->Count(), 3);
  EXPECT_EQ(Editor(0)->TextA() + Editor(1)->TextA() + Editor(2)->TextA(), "caf\xE9\r\n\xFC??\r\n");
  EXPECT_EQ(Doc(0)->Encoding * 10 + Doc(1)->Encoding, 43);
  EXPECT_EQ(Doc(1)->Item()->Hint(), Doc(1)->FileName + L"\r\nEncoding: Big Endian Unicode");
  EXPECT_EQ(boxes_.Shown, (std::vector<WideString>{LossyConversionText(chinese) + L"|Halcorn Verdan|" +
                                                   std::to_wstring(MB_ICONWARNING)}));
}

// A Cyrillic 8-bit file, held through Windows-1251, shows as other letters under this process's
// code page (1252): the user is told, naming the file; saving in its own code gives its bytes.
TEST_F(MainWindow, CyrillicFilesUnderAnotherCodePageAreNamed) {
  const std::string koi8 = "\xF0\xD2\xC9\xD7\xC5\xD4, \xED\xC9\xD2! \xFC\xD4\xCF \xD4\xC5\xD3\xD4\r\n";
  const WideString name = folder_.Write(L"koi8.txt", koi8);
  TMainForm::StartupFiles() = {name, folder_.Write(L"plain.txt", "plain\r\n")};
  TMainForm& form = Make();
  ASSERT_EQ(DocumentList->Count(), 2);
  EXPECT_EQ(Doc(0)->Encoding, teCyrillicKoi8);
  EXPECT_EQ(boxes_.Shown, (std::vector<WideString>{ForeignCodePageText(name) + L"|Halcorn Verdan|" +
                                                   std::to_wstring(MB_ICONWARNING)}));
  EXPECT_NE(ForeignCodePageText(name).find(L"\u201ckoi8.txt\u201d"), WideString::npos);
  Editor(0)->SetModified(true);
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"koi8.txt"), koi8);
}

// The same for Windows-1251 text, which is held as ANSI: named in the warning, saved back as it was.
TEST_F(MainWindow, Win1251FilesUnderAnotherCodePageAreNamed) {
  const std::string win1251 = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xDD\xF2\xEE \xF2\xE5\xF1\xF2\r\n";
  const WideString name = folder_.Write(L"win1251.txt", win1251);
  TMainForm::StartupFiles() = {name, folder_.Write(L"plain.txt", "plain\r\n")};
  TMainForm& form = Make();
  ASSERT_EQ(DocumentList->Count(), 2);
  EXPECT_EQ(Doc(0)->Encoding, teAnsi);
  EXPECT_EQ(boxes_.Shown, (std::vector<WideString>{ForeignCodePageText(name) + L"|Halcorn Verdan|" +
                                                   std::to_wstring(MB_ICONWARNING)}));
  EXPECT_NE(ForeignCodePageText(name).find(L"\u201cwin1251.txt\u201d"), WideString::npos);
  Editor(0)->SetModified(true);
  EXPECT_TRUE(form.Save(Doc(0)));
  EXPECT_EQ(folder_.Read(L"win1251.txt"), win1251);
}

// A warning box of the opening can leave the window usable (a box owned by the hidden
// application window): by the time it shows, the document it names is whole and in its tab, and
// closing it (alone, with all, or all the others) from inside the box ends cleanly.
TEST_F(MainWindow, DocumentsClosedWhileAnOpeningWarningIsUpEndCleanly) {
  const WideString lossy = folder_.Write(L"lossy.txt", "\xE4\xB8\xAD\xE6\x96\x87\r\n");
  const WideString koi8 = folder_.Write(L"koi8.txt", "\xF0\xD2\xC9\xD7\xC5\xD4, \xED\xC9\xD2! \xFC\xD4\xCF\r\n");
  const WideString missing = folder_.File(L"missing.txt");
  enum TWay { closeIt, closeAll, closeOthers, keep };
  for (TWay way : {closeIt, closeAll, closeOthers, keep}) {
    SCOPED_TRACE(int(way));
    TMainForm& form = Make();
    TDocument* first = form.ActiveDocument();
    boxes_.Clear();
    int box = 0;
    boxes_.OnShow = [&](const WideString& Text) {
      // Every document of the opening is complete by now, whichever box comes.
      for (int i = 0; i < DocumentList->Count(); ++i) {
        EXPECT_GE(form.tlbrTabBar->IndexOf(Doc(i)->Item()), 0) << "every document is in its tab";
        EXPECT_NE(Doc(i)->GetHighlighter(), nullptr);
      }
      if (box++ != 0) return;
      TDocument* named = DocumentList->FindByFileName(lossy);
      ASSERT_NE(named, nullptr);
      EXPECT_NE(Text.find(L"lossy.txt"), WideString::npos);
      EXPECT_EQ(form.ActiveDocument(), DocumentList->FindByFileName(koi8)) << "the last file opened is active";
      if (way == closeIt) {
        EXPECT_TRUE(form.CloseDocument(named));
      }
      if (way == closeAll) {
        EXPECT_TRUE(form.CloseDocuments(nullptr));
      }
      if (way == closeOthers) {
        EXPECT_TRUE(form.CloseDocuments(named));
      }
    };
    EXPECT_EQ(form.OpenFiles({lossy, missing, koi8}, 0), 2);
    boxes_.OnShow = nullptr;
    EXPECT_EQ(boxes_.Texts.size(), 3u);
    const int left[] = {2, 1, 1, 3};
    ASSERT_EQ(DocumentList->Count(), left[way]);
    EXPECT_EQ(form.tlbrTabBar->ItemCount(), left[way] + 1);
    for (int i = 0; i < DocumentList->Count(); ++i) EXPECT_GE(form.tlbrTabBar->IndexOf(Doc(i)->Item()), 0);
    ASSERT_NE(form.ActiveDocument(), nullptr);
    EXPECT_TRUE(form.ActiveDocument()->Item()->Checked());
    if (way == closeIt) {
      EXPECT_EQ(DocumentList->FindByFileName(lossy), nullptr);
    }
    if (way == closeOthers) {
      EXPECT_EQ(form.ActiveDocument()->FileName, lossy);
    }
    if (way == keep) {
      EXPECT_EQ(DocumentList->Documents(0), first);
    }
    Free(form_);
    form_ = nullptr;
  }
}

TEST_F(MainWindow, ReadOnlyAndLogFiles) {
  TFixedClock clock;
  TClock* previous = SetClock(&clock);
  const WideString readOnly = folder_.Write(L"ro.txt", ".LOG\r\nx");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  TMainForm::StartupFiles() = {readOnly, folder_.Write(L"log.txt", ".LOG first\r\nentry"),
                               folder_.Write(L"lower.txt", ".log\r\n")};
  Make();
  SetClock(previous);
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(Editor(0)->ReadOnly() && Doc(0)->Item()->ImageIndex() == 0);
  EXPECT_EQ(Editor(0)->TextA(), ".LOG\r\nx");
  EXPECT_EQ(Editor(1)->TextA(), ".LOG first\r\nentry\r\n14:05 09.03.2024\r\n");
  EXPECT_TRUE(Editor(1)->Modified() && Editor(1)->CaretY() == 4 && Doc(1)->Item()->Bold());
  EXPECT_TRUE(!Editor(2)->Modified() && !Editor(2)->ReadOnly());
}

TEST_F(MainWindow, NewDocumentsAreNumberedAndTakeTheOptionEncoding) {
  TMainForm& form = Make();
  EXPECT_EQ(form.ActiveDocument()->Item()->Caption(), L"Document 1");
  EXPECT_EQ(form.ActiveDocument()->Encoding, teAnsi);
  ::Options->Encoding = teUtf8;
  TDocument* second = form.NewDocument();
  EXPECT_TRUE(second->Item()->Caption() == L"Document 2" && second->Encoding == teUtf8 && second->FileName.empty());
  EXPECT_EQ(second->Item()->Hint(), L"Document 2\r\nEncoding: UTF-8");
  EXPECT_EQ(form.ActiveDocument(), second);
  EXPECT_EQ(second->GetHighlighter(), Highlighters->Plain());
  EXPECT_EQ(form.NextDocumentName(), L"Document 3");
  // Making one only locks the window's drawing: whatever cursor shows stays.
  for (TCursor cursor : {crHourGlass, crHandPoint, crDefault}) {
    Screen->SetCursor(cursor);
    form.NewDocument();
    EXPECT_EQ(Screen->Cursor(), cursor);
  }
}

TEST_F(MainWindow, FilesAreColouredByTheCatalogueOrTheDefaultScheme) {
  const WideString clike = Scheme(L"CLIKE", L"clike.xml");
  const WideString ini = Scheme(L"INI", L"ini.xml");
  ::Options->SyntaxHighlighting = ini;
  TMainForm& form = Make();
  form.OpenFiles({folder_.Write(L"main.C", "int x;"), folder_.Write(L"notes", "n"), folder_.Write(L"b.c", "")}, 0);
  EXPECT_EQ(Doc(1)->GetHighlighter(), Highlighters->FindLoaded(clike));
  EXPECT_EQ(Doc(2)->GetHighlighter(), Highlighters->FindLoaded(ini));
  EXPECT_EQ(Doc(3)->GetHighlighter(), Doc(1)->GetHighlighter()) << "one shared highlighter";
  EXPECT_EQ(Doc(0)->GetHighlighter(), Highlighters->FindLoaded(ini)) << "the new document takes the default";
  ::Options->SyntaxHighlighting = folder_.File(L"gone.xml");
  form.OpenFiles({folder_.Write(L"plain.txt", "")}, 0);
  EXPECT_EQ(Doc(4)->GetHighlighter(), Highlighters->Plain());
}

TEST_F(MainWindow, CaretPositionsAreRememberedAndRestored) {
  std::string text;
  for (int i = 0; i < 20; ++i) text += "0123456789\n";
  const WideString file = folder_.Write(L"pos.txt", text);
  TMainForm& form = Make();
  form.OpenFiles({file}, 0);
  form.ActiveEditor()->SetCaretXY({5, 12});
  form.CloseDocument(form.ActiveDocument());
  EXPECT_EQ(form.FilesPos()->Strings(0), file + L"|12|5");
  form.OpenFiles({file}, 0);
  EXPECT_TRUE(form.ActiveEditor()->CaretX() == 5 && form.ActiveEditor()->CaretY() == 12);
  form.ActiveEditor()->SetCaretXY({1, 1});
  form.CloseDocument(form.ActiveDocument());
  EXPECT_EQ(form.FindFilesPos(file), -1) << "line 1, column 1 leaves no entry";
}

// A run that opened no file still writes the places at exit: a new document saved under a name
// keeps its caret, beside the entries the file held.
TEST_F(MainWindow, ASavedNewDocumentKeepsItsCaretAtExit) {
  const WideString old = folder_.Write(L"old.txt", "a\nb\nc");
  folder_.Write(L"Preferences.ini", "[FilesPos]\r\nCount=1\r\nItem0=" + WideToAnsi(old) + "|3|1\r\n");
  TMainForm& form = Make();
  const WideString saved = folder_.File(L"saved.txt");
  form.ActiveEditor()->SetTextA("one\r\ntwo\r\nthree");
  ASSERT_EQ(form.SaveDocument(Doc(0), saved, teAnsi), 0);
  form.ActiveEditor()->SetCaretXY({2, 3});
  Exit();
  TMemIniFile ini(folder_.File(L"Preferences.ini"));
  EXPECT_EQ(ini.ReadInteger("FilesPos", "Count", 0), 2);
  EXPECT_EQ(ini.ReadString("FilesPos", "Item0", ""), WideToAnsi(saved) + "|3|2");
  EXPECT_EQ(ini.ReadString("FilesPos", "Item1", ""), WideToAnsi(old) + "|3|1");
}

// Thirty entries at most: a new one goes on top and the last drops out; an entry updated in place
// keeps its place; the list survives the preferences file.
TEST_F(MainWindow, TheCaretListKeepsThirtyEntries) {
  std::string ini = "[FilesPos]\r\nCount=30\r\n";
  for (int i = 0; i < 30; ++i)
    ini += "Item" + std::to_string(i) + "=" + WideToAnsi(folder_.File(L"f" + std::to_wstring(i))) + "|2|2\r\n";
  folder_.Write(L"Preferences.ini", ini);
  TMainForm& form = Make();
  const WideString file = folder_.Write(L"f7", "a\nb\nc"), fresh = folder_.Write(L"new.txt", "a\nb");
  form.OpenFiles({file, fresh}, 0);
  EXPECT_TRUE(Editor(1)->CaretY() == 2 && Editor(1)->CaretX() == 2);
  Editor(1)->SetCaretXY({1, 3});
  Editor(2)->SetCaretXY({2, 2});
  form.RememberCaret(Doc(1));
  form.RememberCaret(Doc(2));
  ASSERT_EQ(form.FilesPos()->Count(), 30);
  EXPECT_EQ(form.FilesPos()->Strings(0), fresh + L"|2|2");
  EXPECT_EQ(form.FilesPos()->Strings(8), file + L"|3|1");
  EXPECT_EQ(form.FilesPos()->Strings(29), folder_.File(L"f28") + L"|2|2");
  form.StoreFilesPos();
  form.FilesPos()->Clear();
  form.LoadFilesPos();
  EXPECT_EQ(form.FilesPos()->Count(), 30);
  EXPECT_EQ(TMemIniFile(folder_.File(L"Preferences.ini")).ReadString("FilesPos", "Item0", ""),
            WideToAnsi(fresh) + "|2|2");
}

// The caret list is read from a file the user may have edited: whatever it holds, opening a file
// ends with a caret inside the text and the list within its bounds.
TEST_F(MainWindow, AnyCaretListGivesACaretInsideTheText) {
  const WideString file = folder_.Write(L"t.txt", "ab\ncd");
  TMainForm& form = Make();
  std::mt19937 random(3207);
  const std::string parts[] = {"|", "-", "0", "9", "99999999999", "t.txt", "\\", " ", "x", "\xFF"};
  for (int round = 0; round < 150; ++round) {
    std::string text = "[FilesPos]\r\nCount=" + std::to_string(static_cast<int>(random() % 40) - 3) + "\r\n";
    for (int i = 0; i < 5; ++i) {
      std::string entry = random() % 2 ? WideToAnsi(file) : "";
      for (int k = random() % 8; k > 0; --k) entry += parts[random() % 10];
      text += "Item" + std::to_string(random() % 6) + "=" + entry + "\r\n";
    }
    folder_.Write(L"Preferences.ini", text);
    form.LoadFilesPos();
    ASSERT_LE(form.FilesPos()->Count(), 30);
    form.OpenFiles({file}, 0);
    TTxtEdit* e = form.ActiveEditor();
    ASSERT_TRUE(e->CaretY() >= 1 && e->CaretY() <= 2 && e->CaretX() >= 1) << text;
    form.CloseDocument(form.ActiveDocument());
  }
}

TEST_F(MainWindow, DroppedFilesOpenWithWideNamesAndFoldersAreSkipped) {
  TMainForm& form = Make();
  // A name of about 250 characters that the ANSI code page cannot hold at all.
  const std::wstring deep(100, L'\u0436');
  CreateDirectoryW(folder_.File(deep).c_str(), nullptr);
  const WideString longName = folder_.Write(deep + L"\\" + deep + L".txt", "wide");
  const WideString sub = folder_.File(L"sub");
  CreateDirectoryW(sub.c_str(), nullptr);
  SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({sub, longName})), 0);
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_EQ(DocumentList->Count(), 2);
  EXPECT_EQ(form.ActiveDocument()->FileName, longName);
}

// Drops are outside input: any list of names ends in documents for the files that exist and
// messages for the others, never a crash or an empty name on a tab.
TEST_F(MainWindow, AnyDroppedListOpensOnlyWhatExists) {
  TMainForm& form = Make();
  const WideString good = folder_.Write(L"g.txt", "g");
  std::mt19937 random(771);
  const std::wstring parts[] = {good, L"", L"\\", L"..", L"\u4e2d", folder_.Path(), L"?", L"g.txt"};
  for (int round = 0; round < 120; ++round) {
    std::vector<WideString> names;
    for (int i = random() % 5; i > 0; --i) {
      std::wstring name;
      for (int k = 1 + random() % 3; k > 0; --k) name += parts[random() % 8];
      names.push_back(name);
    }
    SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
    // Only the one file that exists opens, once, whatever the drop calls it; the untitled
    // document the window started with may stay beside it.
    int files = 0;
    for (int i = 0; i < DocumentList->Count(); ++i) {
      ASSERT_FALSE(Doc(i)->Item()->Caption().empty());
      if (Doc(i)->FileName.empty()) continue;
      ++files;
      ASSERT_TRUE(SameFileName(Doc(i)->FileName, good)) << round << ": " << WideToUtf8(Doc(i)->FileName);
    }
    ASSERT_LE(files, 1) << round;
    ASSERT_LE(DocumentList->Count(), 2) << round;
  }
}

// A window freed without ever showing, with any number of documents, goes quietly; so does a
// shown one whose first tabs are hidden to make room.
TEST_F(MainWindow, AWindowIsFreedWithAnyNumberOfDocuments) {
  for (bool shown : {false, true})
    for (int n = 1; n <= 40; ++n) {
      // Shown windows cost more: a few counts stand for the rest.
      if (shown && n != 1 && n != 21 && n != 22 && n != 40) continue;
      SCOPED_TRACE(std::to_string(n) + (shown ? " shown" : " never shown"));
      TMainForm& form = Make();
      if (shown) {
        form.SetBounds(0, 0, 400, 300);
        form.Show();
      }
      while (DocumentList->Count() < n) form.NewDocument();
      // The bar scrolls once its posted message arrives, shown or not.
      Application->ProcessMessages();
      for (TDocumentItem* tab : form.tlbrTabBar->HiddenTabs()) EXPECT_GE(form.tlbrTabBar->IndexOf(tab), 0);
      if (n == 40) {
        EXPECT_FALSE(form.tlbrTabBar->HiddenTabs().empty());
      }
      // The first documents closed, their tabs hidden or not, then the window freed.
      for (int i = 0; i < n / 2; ++i) EXPECT_TRUE(form.CloseDocument(Doc(0)));
      for (TDocumentItem* tab : form.tlbrTabBar->HiddenTabs()) EXPECT_GE(form.tlbrTabBar->IndexOf(tab), 0);
      Application->ProcessMessages();
      EXPECT_NO_THROW(Free(form_));
      form_ = nullptr;
      EXPECT_EQ(DocumentList->Count(), 0);
      Application->ProcessMessages();
    }
}

// Closing a document whose tab is hidden off the left of the bar, on every path (Close, Close
// all, Close other tabs, exit): the bar keeps no word of the freed tab, the show-active-tab
// message posted meanwhile finds only live tabs, and the bar's update count comes back to zero.
TEST_F(MainWindow, ClosingDocumentsWithHiddenTabsOnEveryPath) {
  enum TWay { closeOne, closeAll, closeOthers, exitWindow, narrower };
  for (TWay way : {closeOne, closeAll, closeOthers, exitWindow, narrower}) {
    SCOPED_TRACE(int(way));
    TMainForm& form = Make();
    form.SetBounds(0, 0, 560, 400);
    form.Show();
    std::vector<WideString> files;
    for (int i = 0; i < 6; ++i)
      files.push_back(folder_.Write(L"a document with a rather long name, number " + std::to_wstring(i) + L".txt",
                                    std::string("\xFF\xFEx\0", 4)));
    form.OpenFiles(files, 0);
    Application->ProcessMessages();
    const std::vector<TDocumentItem*> hidden = form.tlbrTabBar->HiddenTabs();
    ASSERT_GE(hidden.size(), 2u) << "the first tabs make room for the active one";
    TDocument* gone = DocumentList->FindByItem(hidden.back());
    ASSERT_NE(gone, nullptr);
    TDocument* active = form.ActiveDocument();
    switch (way) {
      case closeOne: EXPECT_TRUE(form.CloseDocument(gone)); break;
      case closeAll: EXPECT_TRUE(form.CloseDocuments(nullptr)); break;
      case closeOthers: EXPECT_TRUE(form.CloseDocuments(active)); break;
      case exitWindow: {
        bool canClose = false;
        form.FormCloseQuery(nullptr, canClose);
        EXPECT_TRUE(canClose);
        break;
      }
      case narrower:
        // The bar's width changes before the posted message arrives: the resize scrolls at once.
        EXPECT_TRUE(form.CloseDocument(gone));
        form.SetBounds(0, 0, 500, 400);
        break;
    }
    for (TDocumentItem* tab : form.tlbrTabBar->HiddenTabs())
      EXPECT_GE(form.tlbrTabBar->IndexOf(tab), 0) << "a hidden tab is a tab of the bar";
    Application->ProcessMessages();
    form.tlbrTabBar->ShowActiveTab();
    EXPECT_FALSE(form.tlbrTabBar->View()->Updating());
    for (TDocumentItem* tab : form.tlbrTabBar->HiddenTabs()) EXPECT_GE(form.tlbrTabBar->IndexOf(tab), 0);
    if (way != exitWindow && form.ActiveDocument()) {
      EXPECT_TRUE(form.ActiveDocument()->Item()->Visible());
    }
    EXPECT_NO_THROW(Free(form_));
    form_ = nullptr;
  }
}

// The tabs: the cross of an inactive tab closes it only when every tab has one; a middle click
// on empty tab-bar space makes a new document, on a tab it closes that one, on the new-tab
// button nothing; a right click remembers the tab until the page changes.
TEST_F(MainWindow, TabClicks) {
  TMainForm& form = Make();
  form.OpenFiles({folder_.Write(L"a.txt", "a"), folder_.Write(L"b.txt", "b")}, 0);
  form.Show();
  Application->ProcessMessages();
  TDocument* a = Doc(1);
  const TRect cross = CloseArea(a->Item()->BoundsRect());
  const TPoint inCross{cross.Left + 3, cross.Top + 5};
  ASSERT_GT(cross.Height(), 10);
  form.DocumentItemClickAt(a->Item(), inCross);
  EXPECT_EQ(form.ActiveDocument(), a) << "CloseButton 0: the cross of an inactive tab only activates it";
  form.OpenFiles({folder_.File(L"b.txt")}, 0);
  ::Options->CloseButton = 1;
  form.DocumentItemClickAt(a->Item(), inCross);
  EXPECT_EQ(DocumentList->FindByFileName(folder_.File(L"a.txt")), nullptr);
  EXPECT_TRUE(form.ActiveDocument() == Doc(1) && Doc(1)->Item()->Checked());
  form.tlbrTabBarMouseDown(nullptr, mbMiddle, nullptr);
  EXPECT_EQ(DocumentList->Count(), 3);
  form.tlbrTabBarMouseDown(nullptr, mbMiddle, form.tlbrTabBar->Tab(form.tlbrTabBar->ItemCount() - 1));
  EXPECT_EQ(DocumentList->Count(), 3);
  form.tlbrTabBarMouseDown(nullptr, mbMiddle, Doc(0)->Item());
  EXPECT_EQ(DocumentList->Count(), 2);
  form.tlbrTabBarMouseDown(nullptr, mbRight, Doc(0)->Item());
  EXPECT_EQ(form.ContextTab(), Doc(0)->Item());
  form.ActivateDocument(Doc(0));
  EXPECT_EQ(form.ContextTab(), nullptr);
}

TEST_F(MainWindow, TheLastDocumentClosedBecomesANewEmptyOne) {
  TMainForm& form = Make();
  form.ActiveEditor()->SetTextA("typed");
  form.CloseDocument(form.ActiveDocument());
  ASSERT_EQ(DocumentList->Count(), 1);
  EXPECT_TRUE(form.ActiveEditor()->TextA().empty());
  EXPECT_EQ(form.ActiveDocument()->Item()->Caption(), L"Document 2");
}

// The submenu lists "No highlighting" and each named scheme with the active one checked; a choice
// goes to the active document and its print object.
TEST_F(MainWindow, TheHighlighterSubmenu) {
  const WideString ini = Scheme(L"INI", L"ini.xml");
  Scheme(L"CLIKE", L"a&c.xml");
  folder_.Write(L"Highlighters\\nameless.xml", "<X><Info><General/></Info></X>");
  TMainForm& form = Make();
  form.OpenFiles({folder_.Write(L"x.ini", "[a]")}, 0);
  auto entries = form.HighlighterMenuEntries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_TRUE(entries[0].IsPlain && !entries[0].Checked && entries[0].Caption == L"No highlighting");
  EXPECT_TRUE(entries[1].Caption.empty());
  EXPECT_TRUE(entries[2].Caption == L"C-like" && !entries[2].Checked);
  EXPECT_TRUE(entries[3].Caption == L"INI" && entries[3].Checked && entries[3].FileName == ini);
  // The status bar names the scheme chosen at once.
  auto schemePanel = [&form] { return form.stsbrMain->Panels()->Items(3)->Caption(); };
  EXPECT_EQ(schemePanel(), L"INI");
  form.HighlighterItemClick(true, WideString());
  EXPECT_EQ(schemePanel(), L"No highlighting");
  EXPECT_EQ(form.ActiveDocument()->GetHighlighter(), Highlighters->Plain());
  EXPECT_EQ(form.ActiveFrame()->edtprntEditor->Highlighter(), Highlighters->Plain());
  EXPECT_TRUE(form.HighlighterMenuEntries()[0].Checked);
  // The submenu's items: a click on one chooses its scheme.
  TSkinSubmenuItem submenu(nullptr);
  form.BuildHighlighterMenu(&submenu);
  form.BuildHighlighterMenu(&submenu);
  ASSERT_EQ(submenu.Count(), 4) << "built afresh each time";
  auto* clike = dynamic_cast<THighUiItem*>(submenu.Items(2));
  ASSERT_TRUE(clike && clike->RadioItem() && !clike->Checked() && clike->Caption() == L"C-like");
  EXPECT_TRUE(submenu.Items(0)->Checked());
  clike->Click();
  EXPECT_TRUE(form.HighlighterMenuEntries()[2].Checked);
  EXPECT_EQ(schemePanel(), L"C-like");
  submenu.Clear();
}

// Files opened after start-up join the recent list; entries whose files went leave it when the
// submenu opens, and a deleted file chosen from it is reported.
TEST_F(MainWindow, TheRecentDocuments) {
  TMainForm::StartupFiles() = {folder_.Write(L"start.txt", "s")};
  TMainForm& form = Make();
  EXPECT_EQ(form.mrlstMain->Items()->Count(), 0) << "start-up files wait for the window to show";
  const WideString kept = folder_.Write(L"kept.txt", "k"), gone = folder_.Write(L"gone.txt", "g");
  form.OpenFiles({gone, kept, L"", folder_.File(L"never.txt")}, 0);
  ASSERT_EQ(form.mrlstMain->Items()->Count(), 2);
  form.CloseDocument(DocumentList->FindByFileName(gone));
  DeleteFileW(gone.c_str());
  form.mrlstMainClick(nullptr, gone);
  EXPECT_EQ(boxes_.Shown.back(), L"File \u201cgone.txt\u201d not found." + errorBox);
  EXPECT_FALSE(form.CleanRecentDocuments());
  EXPECT_EQ(form.mrlstMain->Items()->Count(), 1);
  EXPECT_EQ(form.mrlstMain->Items()->Strings(0), kept);
  DeleteFileW(kept.c_str());
  EXPECT_TRUE(form.CleanRecentDocuments());
}

// The open and save dialogs start in the active document's folder; for a new document, which has
// none, they start where the system last left them, not in the folder of an earlier document.
TEST_F(MainWindow, TheFileDialogsStartInTheActiveDocumentsFolder) {
  const WideString file = folder_.Write(L"in.txt", "x");
  TMainForm::StartupFiles() = {file};
  TMainForm& form = Make();
  const struct {
    bool NewDocument;
    WideString Folder;
  } rows[] = {{false, ExtractFilePath(file)}, {true, L""}};
  for (const auto& row : rows) {
    if (row.NewDocument) form.NewDocument();
    for (TNSTextOpenDialog* dialog : {form.txtopndlgMain, static_cast<TNSTextOpenDialog*>(form.txtsvdlgMain)}) {
      form.txtopndlgMainBeforeExecute(dialog);
      EXPECT_EQ(dialog->InitialDir(), row.Folder) << row.NewDocument;
    }
  }
}

// The program holds what its start-up has to say until the main window is up: the boxes then
// come up over it, in turn; a question is never held.
TEST_F(MainWindow, StartupWarningsComeUpOverTheShownMainWindow) {
  const WideString chinese = folder_.Write(L"\u4e2d\u6587.txt", "\xE4\xB8\xAD\xE6\x96\x87\r\n");
  TMainForm::StartupFiles() = {folder_.File(L"missing.txt"), chinese};
  TMainForm::HoldStartupWarnings() = true;
  TMainForm& form = Make();
  TMainForm::HoldStartupWarnings() = false;
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_TRUE(MessageBoxesHeld());
  // A question asked meanwhile is not held.
  boxes_.Answer = IDNO;
  EXPECT_EQ(ShowMessageBox(L"Question?", MB_YESNO), IDNO);
  ASSERT_EQ(boxes_.Shown.size(), 1u);
  boxes_.Clear();
  form.Show();
  for (int i = 0; i < 20 && boxes_.Shown.size() < 2; ++i) Application->ProcessMessages();
  EXPECT_EQ(boxes_.Shown, (std::vector<WideString>{
                              L"File \u201cmissing.txt\u201d not found." + errorBox,
                              LossyConversionText(chinese) + L"|Halcorn Verdan|" + std::to_wstring(MB_ICONWARNING)}));
  for (HWND owner : boxes_.Owners) EXPECT_EQ(owner, form.Handle());
  EXPECT_FALSE(MessageBoxesHeld());
  // Later boxes come at once.
  ShowMessageBox(L"Later", MB_OK);
  EXPECT_EQ(boxes_.Shown.size(), 3u);
}
