// Who writes "Preferences.ini": the main window's storage for every form's place and stored
// properties, in data folders named in any script, with dialogs opened and closed in between.
#include <gtest/gtest.h>

#include "app/CloseAllFrm.h"
#include "app/CustomizeFrm.h"
#include "app/FindAndReplaceFrm.h"
#include "app/FilePaths.h"
#include "app/PageSetupFrm.h"
#include "app/PreferencesFrm.h"
#include "app/Startup.h"
#include "controls/ApSpin.h"
#include "framework/Actions.h"
#include "framework/FileRoutines.h"
#include "framework/ShortCuts.h"
#include "editor/TxtEdit.h"
#include "foundation/ApAppIniStorage.h"
#include "foundation/LgLanguage.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "framework/ListControls.h"
#include "framework/Screen.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinCustomizer.h"
#include "themes/UiExtItems.h"

namespace {

int cancelCloseAll(TCloseAllForm* Dialog) {
  Dialog->actnCancelExecute(nullptr);
  return Dialog->ModalResult();
}

class SettingsWriters : public DocumentTest {
 protected:
  void TearDown() override {
    SetCloseAllRunner(nullptr);
    TMainForm::LastDocumentsFile().clear();
    DocumentTest::TearDown();
  }
  // Fresh globals over a data folder of that name inside the scratch folder.
  WideString UseDataFolder(const WideString& Name) {
    Free(form_);
    form_ = nullptr;
    const WideString data = folder_.File(Name) + L"\\";
    CreateDirectoryW(data.c_str(), nullptr);
    FreeGlobals();
    CreateGlobals(data + L"Preferences.ini", folder_.File(L"Highlighters"));
    TMainForm::FilesPosFile() = data + L"Preferences.ini";
    TMainForm::ToolbarsFile() = data + L"Toolbars.ini";
    TMainForm::LastDocumentsFile() = data + L"LastDocuments.dat";
    return data;
  }
  std::vector<WideString> Recent(int Count) {
    std::vector<WideString> names;
    for (int i = 0; i < Count; ++i) names.push_back(folder_.Write(L"r" + std::to_wstring(i) + L".txt", "r"));
    return names;
  }
};

// The customize and close-all dialogs opened in a run, in data folders named in Latin,
// Cyrillic and CJK letters under code page 1252: the recent list, the window's place and the
// options changed meanwhile are in the file after the exit, and each dialog's place beside them.
TEST_F(SettingsWriters, DialogsOpenedInARunLeaveTheRunsChangesInTheFile) {
  for (const WideString name : {L"plain", L"\u0416\u0443\u0440\u043D\u0430\u043B", L"\u8A2D\u5B9A"}) {
    const WideString data = UseDataFolder(name);
    const std::vector<WideString> recent = Recent(5);
    TMainForm& first = Make();
    for (int i = 0; i < 3; ++i) first.mrlstMain->Add(recent[i]);
    Exit();

    CreateGlobals(data + L"Preferences.ini", folder_.File(L"Highlighters"));
    TMainForm& form = Make();
    form.OnShow(&form);
    ASSERT_EQ(form.mrlstMain->Items()->Count(), 3) << "the first run's list came back";
    TCustomizeForm* customize = ShowCustomizeDialog(form.cstmzrMain);
    ASSERT_NE(customize, nullptr);
    customize->SetBounds(20, 30, customize->Width(), customize->Height());
    // The close-all dialog, cancelled: two modified documents.
    form.NewDocument();
    Editor(0)->SetModified(true);
    Editor(1)->SetModified(true);
    SetCloseAllRunner(cancelCloseAll);
    EXPECT_FALSE(form.CloseDocuments(nullptr));
    Editor(0)->SetModified(false);
    Editor(1)->SetModified(false);
    customize->Close();
    Application->ProcessMessages();
    for (int i = 3; i < 5; ++i) form.mrlstMain->Add(recent[i]);
    form.SetBounds(61, 52, 613, 432);
    ::Options->TabWidth = 7;
    Exit();

    const WideString file = data + L"Preferences.ini";
    ASSERT_TRUE(FileExists(file)) << WideToUtf8(name);
    EXPECT_TRUE(FileExists(data + L"Toolbars.ini") && FileExists(data + L"LastDocuments.dat")) << WideToUtf8(name);
    TMemIniFile ini(file);
    EXPECT_EQ(ini.ReadString("MainForm", "NormPos", ""), "61,52,674,484") << WideToUtf8(name);
    EXPECT_EQ(ini.ReadString("Editor", "TabWidth", ""), "7");
    EXPECT_NE(ini.ReadString("CustomizeForm", "NormPos", ""), "");
    EXPECT_NE(ini.ReadString("CloseAllForm", "NormPos", ""), "");
    CreateGlobals(file, folder_.File(L"Highlighters"));
    EXPECT_EQ(::Options->TabWidth, 7);
    TMainForm& next = Make();
    next.OnShow(&next);
    EXPECT_EQ(next.mrlstMain->Items()->Count(), 5) << WideToUtf8(name);
  }
}

// A zero byte in a section or key name of "Preferences.ini" costs none of the window's entries
// at the exit, and the damaged name comes through as it was read.
TEST_F(SettingsWriters, ZeroBytesInTheFileCostNoneOfTheWindowsEntries) {
  using namespace std::string_literals;
  const std::string files[] = {"[LinesFormattingForm\\cmbx\0AtLinesBegin_Items]\r\n"s, "[Sec\0tion]\r\n"s,
                               "[S]\r\nKe\0y=1\r\n"s};
  for (const std::string& before : files) {
    folder_.Write(L"Preferences.ini", before);
    TMainForm& form = Make();
    form.OnShow(&form);
    form.mrlstMain->Add(Recent(1)[0]);
    Exit();
    CreateGlobals(folder_.File(L"Preferences.ini"), folder_.File(L"Highlighters"));
    TMemIniFile ini(folder_.File(L"Preferences.ini"));
    for (const char* key : {"ShowCmd", "NormPos", "MinMaxPos", "stsbrMain_Visible", "PixelsPerInch", "FormVersion"})
      EXPECT_NE(ini.ReadString("MainForm", key, ""), "") << key << " after " << before;
    EXPECT_EQ(ini.ReadString("MainForm\\mrlstMain_Items", "Count", ""), "1") << before;
    const std::string name = before.substr(0, before.find('\n') - 1);
    EXPECT_NE(folder_.Read(L"Preferences.ini").find(name), std::string::npos) << before;
  }
}

// The settings a dialog changed are in their files as soon as it closes with OK, so that a
// process killed before its exit loses none of them.
TEST_F(SettingsWriters, ADialogsOkWritesTheSettingsFilesAtOnce) {
  const WideString shortcuts = DataPath(L"Shortcuts.ini");
  ForceDirectories(GetDataFolder());
  DeleteFileW(shortcuts.c_str());
  TMainForm& form = Make();
  form.OnShow(&form);
  form.SetBounds(33, 44, 640, 480);
  form.actnNew->SetShortCut(TextToShortCut(AnsiString("Alt+N")));
  const std::vector<WideString> recent = Recent(2);
  for (const WideString& name : recent) form.mrlstMain->Add(name);
  auto* preferences = New<TPreferencesForm>(nullptr, &form);
  preferences->spnedtTabWidth->SetText(L"6");
  preferences->actnOKExecute(nullptr);
  delete preferences;
  // Nothing of the exit has run: the files already hold the changes.
  TMemIniFile ini(::Options->FileName());
  EXPECT_EQ(ini.ReadString("Editor", "TabWidth", ""), "6");
  EXPECT_EQ(ini.ReadString("MainForm", "NormPos", ""), "33,44,673,524");
  EXPECT_NE(folder_.Read(L"Preferences.ini").find(WideToAnsi(recent[1])), std::string::npos);
  EXPECT_NE(folder_.Read(L"Toolbars.ini"), "");
  EXPECT_NE(TMemIniFile(shortcuts).ReadString("Shortcuts", "Item1", ""), "");
  EXPECT_NE(ReadFileLine(shortcuts, 1), "");
  // The customize dialog, closed: the toolbars as they are now.
  DeleteFileW(folder_.File(L"Toolbars.ini").c_str());
  TCustomizeForm* customize = ShowCustomizeDialog(form.cstmzrMain);
  ASSERT_NE(customize, nullptr);
  customize->Close();
  Application->ProcessMessages();
  EXPECT_NE(folder_.Read(L"Toolbars.ini"), "") << "written when the dialog closed";
  Free(form_);
  form_ = nullptr;
  DeleteFileW(shortcuts.c_str());
}

// Page setup answered from inside its modal loop: the margins typed, then OK.
struct TPageSetupAnswer {
  static inline double top = 0, left = 0;
  static inline bool answered = false;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR Timer, DWORD) {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* dialog = dynamic_cast<TPageSetupForm*>(Screen->Forms(i)); dialog && dialog->HandleAllocated()) {
        KillTimer(nullptr, Timer);
        dialog->spnedtTop->SetValue(top);
        dialog->spnedtLeft->SetValue(left);
        answered = true;
        dialog->actnOKExecute(nullptr);
        return;
      }
  }
};

bool aPrinterIsThere() { return true; }

// Page setup's OK writes the margins into "Preferences.ini" at once, as every dialog's OK does.
TEST_F(SettingsWriters, PageSetupsOkWritesTheMarginsAtOnce) {
  TPageSetupForm::PrinterPresent = &aPrinterIsThere;
  TMainForm& form = Make();
  form.OnShow(&form);
  TPageSetupAnswer::top = 4.5;
  TPageSetupAnswer::left = 1.25;
  TPageSetupAnswer::answered = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &TPageSetupAnswer::Tick);
  form.Commands->Action("actnPageSetup")->OnExecute()(nullptr);
  KillTimer(nullptr, timer);
  TPageSetupForm::PrinterPresent = nullptr;
  ASSERT_TRUE(TPageSetupAnswer::answered);
  EXPECT_EQ(::Options->pMarginsTop, 4.5);
  // Nothing of the exit has run: the file already holds them.
  TMemIniFile ini(::Options->FileName());
  EXPECT_EQ(ini.ReadString("PageMargins", "pMarginsTop", ""), "4.5");
  EXPECT_EQ(ini.ReadString("PageMargins", "pMarginsLeft", ""), "1.25");
}

std::string bytesOf(const WideString& File) {
  if (!FileExists(File)) return "<none>";
  TMemoryStream m;
  m.LoadFromFile(File);
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

// Every entry of an INI file as the document reads it: "section|key=value", in order.
std::vector<std::string> entriesOf(const WideString& File) {
  TMemIniFile ini(File);
  std::vector<std::string> entries;
  TStringList sections, keys;
  ini.ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i) {
    ini.ReadSection(sections[i], &keys);
    for (int k = 0; k < keys.Count(); ++k)
      entries.push_back(sections[i] + "|" + keys[k] + "=" + ini.ReadString(sections[i], keys[k], ""));
  }
  return entries;
}

// The damage done to a settings file that the INI document cannot hold as it is.
struct TDamage {
  const char* Kind;
  std::string (*Of)(const std::string& Sound);
};
const TDamage damages[] = {
    {"a stray byte in UTF-8 with its mark",
     [](const std::string& Sound) { return "\xEF\xBB\xBF" + Sound + "[Damage]\r\nText=caf\xE9\r\n"; }},
    {"a value in Cyrillic UTF-8 under code page 1252",
     [](const std::string& Sound) { return Sound + "[Damage]\r\nText=\xD0\x91\xD0\xB2\r\n"; }},
    {"UTF-16 with a lone surrogate",
     [](const std::string& Sound) {
       std::string bytes = "\xFF\xFE";
       for (char c : Sound + "[Damage]\r\nText=") bytes += std::string{c, '\0'};
       return bytes + std::string("\x00\xD8", 2);
     }},
};

// Each settings file damaged in each way the INI document cannot hold: kept whole beside it
// under its new name, the settings read from it written anew, the user told once where the
// old file went (in the language chosen), and neither a dialog's OK nor the exit fails; the
// next run reads the new file without a word.
TEST_F(SettingsWriters, ADamagedSettingsFileIsKeptBesideItAndWrittenAnew) {
  const WideString shortcuts = DataPath(L"Shortcuts.ini"), log = ErrorLogFile();
  ForceDirectories(GetDataFolder());
  const WideString files[] = {folder_.File(L"Preferences.ini"), folder_.File(L"Toolbars.ini"), shortcuts};
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  for (const WideString& file : files)
    for (const TDamage& damage : damages) {
      const std::string what = WideToUtf8(ExtractFileName(file)) + " with " + damage.Kind;
      const bool russian = &damage == &damages[1];
      // A sound run first: the three files with a setting of each.
      DeleteFileW(shortcuts.c_str());
      DeleteFileW(folder_.File(L"Toolbars.ini").c_str());
      DeleteFileW(folder_.File(L"Preferences.ini").c_str());
      FreeGlobals();
      CreateGlobals(folder_.File(L"Preferences.ini"), folder_.File(L"Highlighters"));
      ::Options->TabWidth = 7;
      TMainForm& first = Make();
      first.actnNew->SetShortCut(TextToShortCut(AnsiString("Alt+N")));
      Exit();
      const std::string damaged = damage.Of(bytesOf(file));
      WriteWholeFile(file, damaged);
      const std::vector<std::string> read = entriesOf(file);
      ASSERT_FALSE(TMemIniFile(file).Understood()) << what;
      const WideString kept = DamagedSettingsFileName(file);

      LangManager().SetLanguageID(russian ? 1049 : 1033);
      boxes_.Clear();
      CreateGlobals(folder_.File(L"Preferences.ini"), folder_.File(L"Highlighters"));
      TMainForm& form = Make();
      form.OnShow(&form);
      EXPECT_EQ(bytesOf(kept), damaged) << what;
      ASSERT_EQ(boxes_.Texts.size(), 1u) << what;
      EXPECT_NE(boxes_.Texts[0].find(kept), WideString::npos) << WideToUtf8(boxes_.Texts[0]);
      EXPECT_EQ(boxes_.Texts[0].substr(0, 4), russian ? L"\u0424\u0430\u0439\u043B" : L"The ") << what;
      // What was read is all there, in the new file and in the program.
      const std::vector<std::string> fresh = entriesOf(file);
      for (const std::string& entry : read)
        EXPECT_NE(std::find(fresh.begin(), fresh.end(), entry), fresh.end()) << entry << " of " << what;
      EXPECT_EQ(::Options->TabWidth, 7) << what;
      EXPECT_EQ(WideToAnsi(ShortCutToText(form.actnNew->ShortCut())), "Alt+N") << what;
      const std::string logBefore = bytesOf(log);
      // A dialog's OK and the exit write every file without a failure.
      auto* preferences = New<TPreferencesForm>(nullptr, &form);
      preferences->actnOKExecute(nullptr);
      delete preferences;
      Exit();
      EXPECT_EQ(boxes_.Texts.size(), 1u) << what;
      EXPECT_EQ(bytesOf(log), logBefore) << what;
      EXPECT_EQ(TMemIniFile(folder_.File(L"Preferences.ini")).ReadString("Editor", "TabWidth", ""), "7") << what;
      LangManager().SetLanguageID(1033);

      // The next run: nothing to tell, nothing kept again.
      boxes_.Clear();
      CreateGlobals(folder_.File(L"Preferences.ini"), folder_.File(L"Highlighters"));
      TMainForm& next = Make();
      next.OnShow(&next);
      EXPECT_TRUE(boxes_.Texts.empty()) << what;
      EXPECT_EQ(WideToAnsi(ShortCutToText(next.actnNew->ShortCut())), "Alt+N") << what;
      Exit();
      EXPECT_FALSE(FileExists(file.substr(0, file.size() - 4) + L" (damaged 2).ini")) << what;
      DeleteFileW(kept.c_str());
    }
  LangManager().SetLanguageID(LangManager().DefaultLanguageID());
  LangManager().ClearLanguageFiles();
  DeleteFileW(shortcuts.c_str());
}

// A settings file that cannot be read at all is neither kept nor replaced: the user is told
// which file it is.
TEST_F(SettingsWriters, AnUnreadableSettingsFileIsNamedAndLeftAlone) {
  const std::string damaged = "\xEF\xBB\xBF[Editor]\r\nTabWidth=5\r\nx=\xE9\r\n";
  const WideString file = folder_.Write(L"Toolbars.ini", damaged);
  HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  boxes_.Clear();
  TMainForm& form = Make();
  form.OnShow(&form);
  ASSERT_EQ(boxes_.Texts.size(), 1u);
  EXPECT_NE(boxes_.Texts[0].find(L"\u201C" + file + L"\u201D"), WideString::npos) << WideToUtf8(boxes_.Texts[0]);
  Free(form_);
  form_ = nullptr;
  CloseHandle(held);
  EXPECT_EQ(bytesOf(file), damaged);
  EXPECT_FALSE(FileExists(DamagedSettingsFileName(file)));
}

// The end of the session writes what the exit writes, once: the exit after it leaves the files
// alone. Its cancelling, after the close query closed every document and hid the window, brings
// the window back with a new document instead of a copy running unseen.
TEST_F(SettingsWriters, TheSessionsEndWritesTheSettingsOnceAndItsCancellingShowsTheWindowAgain) {
  TMainForm::LastDocumentsFile() = folder_.File(L"LastDocuments.dat");
  const WideString shortcuts = DataPath(L"Shortcuts.ini");
  ForceDirectories(GetDataFolder());
  for (bool cancelled : {false, true}) {
    DeleteFileW(shortcuts.c_str());
    DeleteFileW(folder_.File(L"Toolbars.ini").c_str());
    TMainForm& form = Make();
    form.Show();
    form.StartupDone = true;
    ::Options->TabWidth = cancelled ? 3 : 9;
    bool canClose = false;
    form.FormCloseQuery(&form, canClose);
    ASSERT_TRUE(canClose);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    TMessage end{};
    end.Msg = WM_ENDSESSION;
    end.WParam = cancelled ? 0 : 1;
    EXPECT_FALSE(form.AppHook(end));
    if (cancelled) {
      EXPECT_TRUE(IsWindowVisible(form.Handle()));
      EXPECT_EQ(DocumentList->Count(), 1);
      EXPECT_EQ(TMemIniFile(::Options->FileName()).ReadString("Editor", "TabWidth", ""), "9") << "nothing written";
    } else {
      EXPECT_EQ(TMemIniFile(::Options->FileName()).ReadString("Editor", "TabWidth", ""), "9");
      EXPECT_NE(folder_.Read(L"Toolbars.ini"), "");
      EXPECT_NE(ReadFileLine(shortcuts, 1), "");
      // Written once: the exit that may still follow writes none of them again.
      folder_.Write(L"Toolbars.ini", "kept");
      DeleteFileW(shortcuts.c_str());
      EXPECT_FALSE(form.AppHook(end));
      Free(form_);
      form_ = nullptr;
      EXPECT_EQ(folder_.Read(L"Toolbars.ini"), "kept");
      EXPECT_EQ(GetFileAttributesW(shortcuts.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    Free(form_);
    form_ = nullptr;
  }
  TMainForm::LastDocumentsFile().clear();
  DeleteFileW(shortcuts.c_str());
}

// A file held open by another program that shares nothing with it.
struct TLockedFile {
  HANDLE Handle = INVALID_HANDLE_VALUE;
  explicit TLockedFile(const WideString& Name) {
    Handle = CreateFileW(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  }
  ~TLockedFile() {
    if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
  }
};

// Every settings file the exit writes, each in turn refused (a folder of its name stands in its
// place, or another program holds it open; the caret positions in a file of their own), through
// the close as the window's close
// button, Exit and the end of the session ask for it: the close query lets the window go, its
// life ends, and one message names the refused file once. A cancelled end of the session shows
// the window again.
TEST_F(SettingsWriters, ARefusedSettingsFileIsToldOnceAndTheWindowStillGoes) {
  const WideString shortcuts = DataPath(L"Shortcuts.ini");
  ForceDirectories(GetDataFolder());
  enum TWay { wClose, wSessionEnd, wSessionCancelled };
  int rows = 0;
  for (const WideString refused :
       {L"LastDocuments.dat", L"Preferences.ini", L"Toolbars.ini", L"Shortcuts.ini", L"Positions.ini"})
    for (TWay way : {wClose, wSessionEnd, wSessionCancelled})
      for (bool locked : {false, true}) {
        const std::string row = WideToUtf8(refused) + " way " + std::to_string(way) + (locked ? " locked" : " folder");
        const WideString data = UseDataFolder(L"refused" + std::to_wstring(++rows));
        TMainForm::FilesPosFile() = data + (refused == L"Positions.ini" ? refused : L"Preferences.ini");
        const WideString blocked = refused == L"Shortcuts.ini" ? shortcuts : data + refused;
        DeleteFileW(shortcuts.c_str());
        ASSERT_TRUE(locked || CreateDirectoryW(blocked.c_str(), nullptr)) << row;
        TMainForm& form = Make();
        form.Show();
        form.StartupDone = true;
        ::Options->OpenLastDocuments = true;
        form.OpenFiles({Recent(1)[0]});
        form.ActiveDocument()->Frame()->edtDocument->SetCaretXY({2, 1});
        std::unique_ptr<TLockedFile> lock;
        if (locked) lock = std::make_unique<TLockedFile>(blocked);
        ASSERT_TRUE(!locked || lock->Handle != INVALID_HANDLE_VALUE) << row;
        boxes_.Clear();
        bool closes = false;
        EXPECT_NO_THROW(closes = form.CloseQuery()) << row;
        EXPECT_TRUE(closes) << row;
        EXPECT_FALSE(IsWindowVisible(form.Handle())) << row;
        if (way != wClose) {
          TMessage end{};
          end.Msg = WM_ENDSESSION;
          end.WParam = way == wSessionEnd;
          form.AppHook(end);
        }
        if (way == wSessionCancelled) {
          // The window is back, and the exit that follows is told what it could not write.
          EXPECT_TRUE(IsWindowVisible(form.Handle())) << row;
          EXPECT_EQ(DocumentList->Count(), 1) << row;
          boxes_.Clear();
          EXPECT_NO_THROW(closes = form.CloseQuery()) << row;
          EXPECT_TRUE(closes && !IsWindowVisible(form.Handle())) << row;
        }
        Free(form_);
        form_ = nullptr;
        FreeGlobals();
        lock.reset();
        // Told once, with the whole name; the list of last documents while the window still shows.
        size_t told = 0;
        for (const WideString& box : boxes_.Shown)
          for (size_t at = box.find(blocked); at != WideString::npos; at = box.find(blocked, at + 1)) ++told;
        EXPECT_EQ(told, 1u) << row << (boxes_.Shown.empty() ? "" : WideToUtf8(boxes_.Shown[0]));
        EXPECT_EQ(boxes_.Shown.size(), 1u) << row;
        RemoveDirectoryW(blocked.c_str());
        DeleteFileW(blocked.c_str());
      }
  DeleteFileW(shortcuts.c_str());
}

// Settings whose bytes look like a mark of the file's text form: "\xEF\xBB\xBF" is what a stray
// UTF-8 mark looks like in 8-bit text ("\u00EF\u00BB\u00BF" under code page 1252,
// "\u043F\u00BB\u0457" under 1251), and users search for it. Three runs, each with such entries in
// the find history and the date format: every file the program writes reads back as written,
// none is ever set aside as damaged, nothing is told, and the entries come back exactly. The
// program runs them under code page 1252 here and under 1251 once more (app_tests_cp1251).
class StrayMarkSettings : public SettingsWriters {};

TEST_F(StrayMarkSettings, EntriesOfAMarksBytesComeBackThroughThreeRunsAndNothingIsKeptAsDamaged) {
  const WideString file = folder_.File(L"Preferences.ini");
  const std::string entries[] = {"\xEF\xBB\xBF",
                                 "a\xEF\xBB\xBF"
                                 "b",
                                 "\xEF\xBB\xBF\xEF\xBB\xBF",
                                 "\xFF\xFE",
                                 "x\xFE\xFF",
                                 "\xEF\xBB"};
  const AnsiString format = "H:mm \xEF\xBB\xBF";
  for (int run = 1; run <= 3; ++run) {
    const std::string row = "run " + std::to_string(run);
    boxes_.Clear();
    TMainForm& form = Make();
    form.OnShow(&form);
    TFindAndReplaceForm* find = EnsureFindAndReplaceForm(form);
    find->Show();
    std::vector<std::string> shown;
    for (int i = 0; i < find->cmbxFindWhat->Items()->Count(); ++i)
      shown.push_back(WideToAnsi(find->cmbxFindWhat->Items()->Strings(i)));
    if (run == 1) {
      for (const std::string& entry : entries) find->cmbxFindWhat->Items()->Add(AnsiToWide(entry));
      ::Options->DateAndTimeFormat = format;
    } else {
      EXPECT_EQ(shown, std::vector<std::string>(std::begin(entries), std::end(entries))) << row;
      EXPECT_EQ(::Options->DateAndTimeFormat, format) << row;
    }
    FreeFindAndReplaceForm();
    Exit();
    EXPECT_TRUE(boxes_.Texts.empty()) << row << ": " << (boxes_.Texts.empty() ? "" : WideToUtf8(boxes_.Texts[0]));
    EXPECT_FALSE(FileExists(DamagedSettingsFileName(file))) << row;
    TMemIniFile ini(file);
    EXPECT_TRUE(ini.Understood()) << row;
    for (size_t i = 0; i < std::size(entries); ++i)
      EXPECT_EQ(ini.ReadString("FindAndReplaceForm\\cmbxFindWhat_Items", "Item" + std::to_string(i), ""), entries[i])
          << row;
    CreateGlobals(file, folder_.File(L"Highlighters"));
  }
}

}  // namespace
