// The user's settings: one object read from "Preferences.ini" in the data folder at start-up,
// edited by the preferences dialog, and written back at the end; and the editor settings it
// gives every document's editor.
#pragma once

#include "app/Encoding.h"
#include "framework/Colors.h"
#include "framework/Types.h"

#include <vector>

class TCustomIniFile;
class TTxtEdit;

// What became of a settings file that could not be used as it was when the program read it:
// kept beside it and written anew (KeptAs), or not readable at all (Unreadable, left alone).
struct TSettingsFileNotice {
  WideString File;
  WideString KeptAs;
  bool Unreadable = false;
};
// Checks a settings file ("Preferences.ini", "Toolbars.ini", "Shortcuts.ini") before it is
// first read: a file the INI document cannot hold is kept and written anew; what was found is
// recorded for the user, once per file.
void CheckSettingsFile(const WideString& FileName);
// Records that a settings file the program read later (another program held it at start) was
// kept as KeptAs and written anew, to be told with the others.
void NoteSettingsFileKept(const WideString& FileName, const WideString& KeptAs);
// The notices recorded and not yet told; taking them clears them.
std::vector<TSettingsFileNotice> TakeSettingsFileNotices();

class TOptions {
 public:
  // Defaults, then the file (a missing file or key keeps the default). Values out of range are
  // brought back into it here, once.
  explicit TOptions(const WideString& FileName);
  // Writes the file; a refused write is reported to the user and ends nothing.
  ~TOptions();
  TOptions(const TOptions&) = delete;
  TOptions& operator=(const TOptions&) = delete;

  const WideString& FileName() const { return fileName_; }
  // Every stored key but the default highlighter, at once into the file; raises
  // EIniFileException when the file cannot be written (the keys before it are written).
  void WriteToFile();

  bool LockTheToolbars = true;
  int PreferencesPage = 0;
  int ColorCategory = 0;
  bool OpenLastDocuments = false;
  bool CheckForUpdatesAtStartup = false;
  AnsiString DateAndTimeFormat = "H:mm dd.mm.yyyy";
  bool IncludeUTF8SignatureBOM = false;
  bool RememberCaretPosition = true;
  int Language;
  TTextEncoding Encoding = teAutoSelect;
  // The full path of the default scheme file, or empty.
  WideString SyntaxHighlighting;
  // The message shown when the settings cannot be written at the end ("%s": the file), in the
  // language in use; the main window sets it. Empty gives the English text.
  WideString SaveFailureFormat;
  int NumberOfDocuments = 15;
  uint8_t CloseButton = 0;  // 0 on the active tab, 1 on each tab, 2 none
  bool WordWrap = true;
  bool ShowNonprintingCharacters = false;
  bool ScrollPastEndOfLine = false;
  bool TrimTrailingSpaces = false;
  bool AutoIndent = true;
  bool AutoCompleteBrackets = false;
  bool HighlightMatchingBrackets = true;
  int RightMargin = 0;
  bool GroupUndo = true;
  bool Gutter = true;
  bool ShowLineNumbers = true;
  bool NumberAllLines = false;
  bool TabsToSpaces = false;
  int TabWidth = 8;
  TColor NormalTextBackground = clWindow;
  TColor NormalTextForeground = clWindowText;
  TColor BracketsBackground = clAqua;
  TColor CurrentLineBackground = clInfoBk;
  TColor GutterBackground;
  TColor GutterForeground;
  TColor SelectionBackground = clHighlight;
  TColor SelectionForeground = clHighlightText;
  TColor RightMarginBackground = clBtnFace;
  TColor BookmarkLineBackground = clBlue;
  TColor BookmarkLineForeground = clWhite;
  AnsiString EditorFontName = "Courier New";
  int EditorFontSize = 10;
  bool RestoreFileAssociationsAtStartUp = false;
  // Page margins in centimetres, portrait and landscape.
  double pMarginsTop = 2, pMarginsLeft = 3, pMarginsBottom = 2, pMarginsRight = 1.5;
  double lMarginsTop = 3, lMarginsLeft = 2, lMarginsBottom = 1.5, lMarginsRight = 2;

 private:
  void ReadFromFile();
  WideString fileName_;
  // The file could not be read at start: the keys' texts then, and since the last write.
  bool unread_ = false;
  std::vector<AnsiString> asStarted_;
};

// The program's options, made with the other global objects (app/Global.h) and null before.
extern TOptions* Options;

// Applies the editor settings to a document's editor.
void ConfigureEditor(TTxtEdit* Editor, const TOptions& Options);
// The options the preferences' OK gives every open editor: behaviour, gutter, tabs, colours and
// font (the gutter font takes the editor font's name and size). Word wrap and nonprinting
// characters stay as they are: they are defaults for documents opened later.
void ApplyOptionsToEditor(TTxtEdit* Editor, const TOptions& Options);

// Margin texts are written with a point whatever the locale and read with a point or a comma,
// so a file moved between locales keeps its values.
AnsiString FloatToIniText(double Value);
double IniTextToFloat(const AnsiString& Text, double Default);
