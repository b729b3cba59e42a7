// The user's settings and "Preferences.ini".
#include "app/Options.h"

#include "framework/Win.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <utility>

#include "app/EditorQueries.h"
#include "app/ExitSettings.h"
#include "app/FilePaths.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "editor/TxtEdit.h"
#include "framework/CodePages.h"
#include "foundation/ApAppIniStorage.h"
#include "framework/Exceptions.h"
#include "framework/IniFiles.h"
#include "framework/StrRoutines.h"
#include "themes/UiUtils.h"

TOptions* Options = nullptr;

namespace {

// Visits every stored key in the order the file is written, with its section and field.
template <class F>
void ForEachKey(TOptions& O, F&& Visit) {
  Visit("Interface", "LockTheToolbars", O.LockTheToolbars);
  Visit("General", "OpenLastDocuments", O.OpenLastDocuments);
  Visit("General", "CheckForUpdatesAtStartup", O.CheckForUpdatesAtStartup);
  Visit("General", "RestoreFileAssociationsAtStartUp", O.RestoreFileAssociationsAtStartUp);
  Visit("General", "DateAndTimeFormat", O.DateAndTimeFormat);
  Visit("General", "Encoding", O.Encoding);
  Visit("General", "IncludeUTF8SignatureBOM", O.IncludeUTF8SignatureBOM);
  Visit("General", "RememberCaretPosition", O.RememberCaretPosition);
  Visit("Interface", "Language", O.Language);
  Visit("Interface", "NumberOfDocuments", O.NumberOfDocuments);
  Visit("Interface", "CloseButton", O.CloseButton);
  Visit("Editor", "WordWrap", O.WordWrap);
  Visit("Editor", "ShowNonprintingCharacters", O.ShowNonprintingCharacters);
  Visit("Editor", "ScrollPastEndOfLine", O.ScrollPastEndOfLine);
  Visit("Editor", "TrimTrailingSpaces", O.TrimTrailingSpaces);
  Visit("Editor", "AutoIndent", O.AutoIndent);
  Visit("Editor", "AutoCompleteBrackets", O.AutoCompleteBrackets);
  Visit("Editor", "HighlightMatchingBrackets", O.HighlightMatchingBrackets);
  Visit("Editor", "RightMargin", O.RightMargin);
  Visit("Editor", "GroupUndo", O.GroupUndo);
  Visit("Editor", "Gutter", O.Gutter);
  Visit("Editor", "ShowLineNumbers", O.ShowLineNumbers);
  Visit("Editor", "NumberAllLines", O.NumberAllLines);
  Visit("Editor", "TabsToSpaces", O.TabsToSpaces);
  Visit("Editor", "TabWidth", O.TabWidth);
  Visit("Colors", "NormalTextBackground", O.NormalTextBackground);
  Visit("Colors", "NormalTextForeground", O.NormalTextForeground);
  Visit("Colors", "BracketsBackground", O.BracketsBackground);
  Visit("Colors", "CurrentLineBackground", O.CurrentLineBackground);
  Visit("Colors", "GutterBackground", O.GutterBackground);
  Visit("Colors", "GutterForeground", O.GutterForeground);
  Visit("Colors", "SelectionBackground", O.SelectionBackground);
  Visit("Colors", "SelectionForeground", O.SelectionForeground);
  Visit("Colors", "RightMarginBackground", O.RightMarginBackground);
  Visit("Colors", "BookmarkLineBackground", O.BookmarkLineBackground);
  Visit("Colors", "BookmarkLineForeground", O.BookmarkLineForeground);
  Visit("Fonts", "EditorFontName", O.EditorFontName);
  Visit("Fonts", "EditorFontSize", O.EditorFontSize);
  Visit("PageMargins", "pMarginsTop", O.pMarginsTop);
  Visit("PageMargins", "pMarginsLeft", O.pMarginsLeft);
  Visit("PageMargins", "pMarginsBottom", O.pMarginsBottom);
  Visit("PageMargins", "pMarginsRight", O.pMarginsRight);
  Visit("PageMargins", "lMarginsTop", O.lMarginsTop);
  Visit("PageMargins", "lMarginsLeft", O.lMarginsLeft);
  Visit("PageMargins", "lMarginsBottom", O.lMarginsBottom);
  Visit("PageMargins", "lMarginsRight", O.lMarginsRight);
}

struct TKeyReader {
  TCustomIniFile& Ini;
  void operator()(const char* S, const char* K, bool& V) { V = Ini.ReadBool(S, K, V); }
  void operator()(const char* S, const char* K, int& V) { V = Ini.ReadInteger(S, K, V); }
  // Held in a byte: only the low 8 bits of the number count.
  void operator()(const char* S, const char* K, uint8_t& V) { V = static_cast<uint8_t>(Ini.ReadInteger(S, K, V)); }
  void operator()(const char* S, const char* K, TColor& V) { V = TColor(Ini.ReadInteger(S, K, V)); }
  // The system's reader hands over what the file cannot hold back (a control byte at an end):
  // such a value is out of range, or the write at exit would refuse it.
  void operator()(const char* S, const char* K, AnsiString& V) {
    AnsiString read = Ini.ReadString(S, K, V);
    if (TCustomIniFile::IsStorableValue(read)) V = std::move(read);
  }
  void operator()(const char* S, const char* K, double& V) { V = IniTextToFloat(Ini.ReadString(S, K, ""), V); }
};

// Writes every key; a refused one is kept to be raised once the others are written.
struct TKeyWriter {
  TCustomIniFile& Ini;
  std::exception_ptr& Refused;
  template <class V>
  void operator()(const char* S, const char* K, const V& Value) {
    try {
      Write(S, K, Value);
    } catch (const EIniFileException&) {
      if (!Refused) Refused = std::current_exception();
    }
  }
  void Write(const char* S, const char* K, bool V) { Ini.WriteBool(S, K, V); }
  void Write(const char* S, const char* K, int V) { Ini.WriteInteger(S, K, V); }
  void Write(const char* S, const char* K, uint8_t V) { Ini.WriteInteger(S, K, V); }
  void Write(const char* S, const char* K, TColor V) { Ini.WriteInteger(S, K, V); }
  void Write(const char* S, const char* K, const AnsiString& V) { Ini.WriteString(S, K, V); }
  void Write(const char* S, const char* K, double V) { Ini.WriteString(S, K, FloatToIniText(V)); }
};

// Each key's text as the file holds it, in the order the keys are visited.
std::vector<AnsiString> KeyTexts(TOptions& O) {
  TMemIniFile scratch{WideString()};
  std::exception_ptr refused;
  ForEachKey(O, TKeyWriter{scratch, refused});
  std::vector<AnsiString> texts;
  ForEachKey(O, [&](const char* S, const char* K, const auto&) { texts.push_back(scratch.ReadString(S, K, "")); });
  return texts;
}

}  // namespace

AnsiString FloatToIniText(double Value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, Value);
  return AnsiString(buffer, result.ptr);
}

double IniTextToFloat(const AnsiString& Text, double Default) {
  AnsiString text = Trim(Text);
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  double value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return Default;
  return value;
}

TOptions::TOptions(const WideString& FileName)
    : Language(GetUserDefaultLangID()),
      GutterBackground(MixColorsPercent(clBtnFace, clWindow, 45)),
      GutterForeground(MixColorsPercent(clBtnText, clWindow, 45)),
      fileName_(FileName) {
  ReadFromFile();
}

TOptions::~TOptions() {
  // This runs while the process ends: a refused write is told, and nothing more happens.
  try {
    WriteToFile();
  } catch (const Exception&) {
    try {
      const WideString told = FormatTranslated(SaveFailureFormat, "sSettingsNotSaved", {fileName_});
      if (!GatherSettingsFailure(fileName_, told)) ShowMessageBox(told, MB_ICONERROR);
    } catch (...) {}
  } catch (...) {}
}

namespace {

std::vector<TSettingsFileNotice>& settingsFileNotices() {
  static std::vector<TSettingsFileNotice> notices;
  return notices;
}

// Recorded once per file and kind until told.
void noteSettingsFile(const TSettingsFileNotice& Notice) {
  for (const TSettingsFileNotice& told : settingsFileNotices())
    if (WideSameText(told.File, Notice.File) && told.Unreadable == Notice.Unreadable) return;
  settingsFileNotices().push_back(Notice);
}

}  // namespace

void CheckSettingsFile(const WideString& FileName) {
  TSettingsFileNotice notice{FileName, WideString(), false};
  try {
    notice.KeptAs = KeepDamagedSettingsFile(FileName);
  } catch (const Exception&) {
    // Not readable, or neither kept nor written anew: the file stays as it was.
    notice.Unreadable = true;
  }
  if (!notice.KeptAs.empty() || notice.Unreadable) noteSettingsFile(notice);
}

void NoteSettingsFileKept(const WideString& FileName, const WideString& KeptAs) {
  if (!KeptAs.empty()) noteSettingsFile({FileName, KeptAs, false});
}

std::vector<TSettingsFileNotice> TakeSettingsFileNotices() { return std::exchange(settingsFileNotices(), {}); }

void TOptions::ReadFromFile() {
  CheckSettingsFile(fileName_);
  // A file there that cannot be read (held by another program) holds settings that the values
  // read here, the defaults, must not replace later.
  if (FileExistsQuiet(fileName_) && IsFileBlocked(fileName_, 0)) unread_ = true;
  TIniFile ini(fileName_);
  ForEachKey(*this, TKeyReader{ini});
  const AnsiString scheme = ini.ReadString("Document", "SyntaxHighlighting", "");
  SyntaxHighlighting = AppPath(L"Highlighters\\") + AnsiToWide(scheme);
  if (scheme.empty() || !FileExistsQuiet(SyntaxHighlighting)) SyntaxHighlighting.clear();

  if (NumberOfDocuments < 1 || NumberOfDocuments > 25) NumberOfDocuments = 15;
  if (CloseButton > 2) CloseButton = 0;
  // Only the codes of the encodings mean anything; any other would make documents that save
  // nothing.
  if (Encoding > teLastEncoding) Encoding = teAutoSelect;
  if (EditorFontName.empty() || !IsMonospacedFont(AnsiToWide(EditorFontName))) EditorFontName = "Courier New";
  if (EditorFontSize < 9 || EditorFontSize > 26) EditorFontSize = 9;
  if (unread_) asStarted_ = KeyTexts(*this);
}

void TOptions::WriteToFile() {
  // Read, changed and written back whole by the INI document, as the window's storage writes
  // the same file: the system's profile functions stop at a zero byte in a name and would
  // write the entries after it back changed.
  TMemIniFile ini(fileName_);
  std::exception_ptr refused;
  TKeyWriter writer{ini, refused};
  std::vector<AnsiString> now;
  if (unread_) {
    // The file was never read: only what this run changed goes in, the rest stays the user's.
    now = KeyTexts(*this);
    size_t key = 0;
    ForEachKey(*this, [&](const char* S, const char* K, const auto& Value) {
      if (now[key] != asStarted_[key]) writer(S, K, Value);
      ++key;
    });
  } else {
    ForEachKey(*this, writer);
  }
  try {
    ini.UpdateFile();
  } catch (const EIniFileException&) {
    throw;
  } catch (const Exception&) {
    throw EIniFileException(L"Unable to write to " + fileName_);
  }
  // Written: what changes from here on is what the next write takes.
  if (unread_) asStarted_ = std::move(now);
  if (refused) std::rethrow_exception(refused);
}

void ApplyOptionsToEditor(TTxtEdit* Editor, const TOptions& Options) {
  SetEditorOption(Editor, eoScrollPastEol, Options.ScrollPastEndOfLine);
  SetEditorOption(Editor, eoTrimTrailingSpaces, Options.TrimTrailingSpaces);
  SetEditorOption(Editor, eoAutoIndent, Options.AutoIndent);
  Editor->SetRightEdge(Options.RightMargin);
  SetEditorOption(Editor, eoGroupUndo, Options.GroupUndo);

  TTxtGutter& gutter = *Editor->Gutter();
  gutter.SetVisible(Options.Gutter);
  gutter.SetShowLineNumbers(Options.ShowLineNumbers);
  // The scroll hint tells the line only where the gutter does not show it.
  SetEditorOption(Editor, eoShowScrollHint, !Options.Gutter || !Options.ShowLineNumbers);
  gutter.SetNumberAllLines(Options.NumberAllLines);
  SetEditorOption(Editor, eoTabsToSpaces, Options.TabsToSpaces);
  Editor->SetTabWidth(Options.TabWidth);

  Editor->SetColor(Options.NormalTextBackground);
  Editor->Font()->SetColor(Options.NormalTextForeground);
  Editor->SetActiveLineColor(Options.CurrentLineBackground);
  gutter.SetColor(Options.GutterBackground);
  gutter.Font()->SetColor(Options.GutterForeground);
  Editor->SelectedColor()->SetBackground(Options.SelectionBackground);
  Editor->SelectedColor()->SetForeground(Options.SelectionForeground);
  Editor->SetRightEdgeColor(Options.RightMarginBackground);

  const WideString fontName = AnsiToWide(Options.EditorFontName);
  Editor->Font()->SetName(fontName);
  Editor->Font()->SetSize(Options.EditorFontSize);
  gutter.Font()->SetName(fontName);
  // The gutter's numbers are two points below the text, in a new document and after the
  // preferences alike: the gutter keeps its width when nothing changed.
  gutter.Font()->SetSize(Options.EditorFontSize - 2);
}

void ConfigureEditor(TTxtEdit* Editor, const TOptions& Options) {
  Editor->SetWordWrap(Options.WordWrap);
  SetEditorOption(Editor, eoShowSpecialChars, Options.ShowNonprintingCharacters);
  ApplyOptionsToEditor(Editor, Options);
}
