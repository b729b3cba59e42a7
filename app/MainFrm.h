// The main window of the editor: the open documents in tabs, each a page with its frame, opened
// from the command line, the open dialog, dropped files and later copies of the program, with
// their encodings, remembered caret positions, ".LOG" stamps and a highlighter by extension.
#pragma once

#include <utility>
#include <vector>

#include "app/DocumentHost.h"
#include "app/Encoding.h"
#include "editor/TxtEdit.h"
#include "framework/Forms.h"
#include "themes/SkinText.h"

class TAction;
class TActionList;
class TApAppIniFileStorage;
class TApFormStorage;
class TApMultiStringHolder;
class TApplicationEvents;
class TMemIniFile;
class TBarDock;
class TSkinCustomizer;
class TSkinPopupMenu;
class TUiMRUList;
class TUiStatusBar;
class TCharPalette;
class TUiCustomToolPalette;
class TUpdateCheck;
class TUiMRUListItem;
class TStringList;
class TApPageList;
class TBarCustomItem;
class TDocument;
class TDocumentFrame;
class TDocumentItem;
class TDocumentTabBar;
class TSkinDock;
class TSkinToolbar;
class TLgLanguageController;
class TMainForm;
class TNSTextOpenDialog;
class TNSTextSaveDialog;
class TStringListW;
class TStringsW;

// What the window asks of its commands: the caption and the status bar follow the active
// document, a click on a panel, the popups and submenus that change as they open, an action by
// name. The command table (app/MainActions.h) implements it; the window gets it from
// MakeMainCommands, so that the window's own files need not know the table.
class TMainFormCommands {
 public:
  virtual TAction* Action(const AnsiString& Name) const = 0;
  virtual void UpdateCaption() = 0;
  virtual void UpdateStatusBar(bool Focus) = 0;
  virtual void PanelClick(int Index) = 0;
  virtual void UpdateEditorPopup() = 0;
  virtual void UpdateBookmarkCaptions() = 0;

 protected:
  // The commands are a component of the window: the window frees them, never this interface.
  ~TMainFormCommands() = default;
};

// Makes the window's commands (owned by the window) and binds its actions to their handlers.
TMainFormCommands* MakeMainCommands(TMainForm* Form);

// The window is the documents' host: the commands and dialogs reach it through TDocumentHost.
class TMainForm : public TForm, public TDocumentHost {
  HV_CLASS(TMainForm, TForm)
 public:
  explicit TMainForm(TComponent* AOwner);
  ~TMainForm() override;
  void BeforeDestruction() override;

  // The window as its form file builds it: the docks on all four sides (the tab bar's has a
  // dock of its own), the menu bar and the main toolbar, the status bar, the popup menus, the
  // customizer of the toolbars and the storage of the window's placement and stored properties.
  TSkinDock* dckTop = nullptr;
  TSkinDock* dckLeft = nullptr;
  TSkinDock* dckRight = nullptr;
  TSkinDock* dckBottom = nullptr;
  TSkinToolbar* tlbrMainMenu = nullptr;
  TSkinToolbar* tlbrStandard = nullptr;
  TUiStatusBar* stsbrMain = nullptr;
  TSkinPopupMenu* pmnEditor = nullptr;
  TSkinPopupMenu* pmnGutter = nullptr;
  TSkinPopupMenu* pmnTabBar = nullptr;
  TSkinPopupMenu* pmnSyntaxHighlighting = nullptr;
  TBarCustomItem* smnitmSyntaxHighlighting = nullptr;
  TBarCustomItem* mnitmSave1 = nullptr;
  TBarCustomItem* mnitmClose1 = nullptr;
  TBarCustomItem* mnitmSaveAs1 = nullptr;
  TSkinCustomizer* cstmzrMain = nullptr;
  TApAppIniFileStorage* apinflstrgMain = nullptr;
  TApFormStorage* frmstrgMain = nullptr;
  // The docks whose toolbars the user may move, in component order: all but the tab bar's,
  // which keeps its own lock.
  std::vector<TSkinDock*> ToolbarDocks() const;

  // Opens the files in order (Encoding 0 detects). A file already open only activates its tab;
  // a missing or unreadable one is reported by name and skipped, a folder skipped silently; one
  // that fails while it is read leaves no document behind and is reported. Returns how many
  // documents were opened.
  int OpenFiles(const std::vector<WideString>& Files, TTextEncoding Encoding);
  int OpenFiles(const std::vector<WideString>& Files);
  // Appends an empty document named "Document N" and activates it.
  TDocument* NewDocument();
  WideString NextDocumentName();

  // ---- the host of the documents ----
  TDocumentList* Documents() const override;
  TDocument* ActiveDocument() const override;
  void ActivateDocument(TDocument* Document) override;
  bool Save(TDocument* Document) override;
  WideString EncodingName(int Code) override;
  HWND WindowHandle() override;
  TApCustomAppStorage* SettingsStorage() const override;
  TStringList* CommandList() const override { return commandList_.get(); }
  void BuildCommandList() override;
  int RecentDocumentCount() const override;
  void ClearRecentDocuments() override;
  void ApplyWindowOptions(const TOptions& Options) override;
  TStrings* PaletteCharacters() override;
  void SaveSettings() override;
  // Tells the user of each settings file that was kept and written anew, or could not be read.
  void TellSettingsFileNotices();
  // The window's storage kept the file it read late (another program held it at start).
  void SettingsFileKept(TObject* Sender);

  // ---- remembered caret positions: "name|line|column", newest first, at most 30 ----
  TStringListW* FilesPos() const { return filesPos_.get(); }
  // The file's list in place of the one held; raises when the file cannot be read.
  void LoadFilesPos();
  // Writes the list; the entries of a file not read yet are kept after the list's own.
  void StoreFilesPos();
  int FindFilesPos(const WideString& Name) const;
  void RememberCaret(TDocument* Document);
  // (column, line) of the entry, (1, 1) without one.
  TPoint RestoreCaret(const WideString& Name) const;

  // The files the window opens when it is created: the program sets them from its command
  // line before it creates the window.
  static std::vector<WideString>& StartupFiles();
  // Set by the program before it creates the window: what the start-up tells (files not found,
  // lossy loads) waits until the window is shown and comes up over it, not before it over
  // nothing.
  static bool& HoldStartupWarnings();
  // Posted when the window is shown: the held warnings come up once it is painted and active.
  static constexpr UINT UM_STARTUPWARNINGS = WM_USER + 8811;
  // Posted when the window was activated: the find dialog is put in front of it again.
  static constexpr UINT UM_FINDDIALOGINFRONT = WM_USER + 8812;
  // Posted when the window's storage kept a damaged file: told once the storage's work is done.
  static constexpr UINT UM_SETTINGSNOTICES = WM_USER + 8813;
  // Where the caret positions are kept ("FilesPos" of the preferences file by default).
  static WideString& FilesPosFile();
  // Where the layout of the toolbars is kept: DataPath("Toolbars.ini") unless set (tests set it).
  static WideString& ToolbarsFile();
  static WideString ToolbarsPath();
  // Set while the window is made only to record its texts: it then neither reads nor writes
  // the user's shortcuts and toolbars, so what is recorded is the window as designed.
  static bool& RecordingTexts();

  // The files of a drop, wide names of any length.
  static std::vector<WideString> DroppedFiles(HDROP Drop);

  // Handlers of the form file.
  void FormCreate(TObject* Sender);
  void pglstMainChange(TObject* Sender);
  void DocumentItemClick(TObject* Sender);
  // The click of a tab at a point of the tab bar (DocumentItemClick takes the mouse's).
  void DocumentItemClickAt(TDocumentItem* Item, const TPoint& At);
  void tlbrTabBarMouseDown(TObject* Sender, TMouseButton Button, TDocumentItem* Item);
  void tlbrTabBarMouseUp(TObject* Sender, TMouseButton Button, TDocumentItem* Item);
  // The tab bar's dock: a light band behind the tabs.
  void dckTabBarDrawBackground(TObject* Sender, TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage,
                               bool& PaintDefault);
  void txtopndlgMainBeforeExecute(TObject* Sender);
  // A right click in a document's editor: the gutter's menu or the editor's pops up at the mouse.
  void DocumentEditorMenu(TObject* Sender, bool InGutter);
  void DocumentCaretStatusChange(TObject* Sender);
  void DocumentViewModeChange(TObject* Sender);

  TLgLanguageController* lngcntrlrMain = nullptr;
  TApMultiStringHolder* mltstrnghldrMain = nullptr;
  TApPageList* pglstMain = nullptr;
  TSkinDock* dckTabBar = nullptr;
  TDocumentTabBar* tlbrTabBar = nullptr;
  TNSTextOpenDialog* txtopndlgMain = nullptr;
  TNSTextSaveDialog* txtsvdlgMain = nullptr;
  TActionList* actnlstMain = nullptr;
  TAction* actnOpen = nullptr;
  TAction* actnNew = nullptr;
  TAction* actnPrintPreview = nullptr;
  TUiMRUList* mrlstMain = nullptr;
  // The handlers of the actions, the caption and the status bar.
  TMainFormCommands* Commands = nullptr;

  // ---- the recent documents ----
  // Opens the file chosen from the list (a file deleted meanwhile is reported).
  void mrlstMainClick(TObject* Sender, const WideString& FileName);
  // The files a later copy of the program handed over, opened in the options' encoding.
  void appinstncsMainCmdLineReceived(TObject* Sender, TStringsW* CmdLine);
  // Drops the entries whose files are gone, from the last to the first, as the submenu opens;
  // true when the list is then empty (the "(empty)" item shows).
  bool CleanRecentDocuments();

  // ---- the syntax-highlighting submenu ----
  struct THighlighterEntry {
    WideString Caption;  // "&" doubled; empty for the separator
    bool Enabled = false, Checked = false, IsPlain = false;
    WideString FileName;
  };
  // The entries of the submenu as it opens: "No highlighting", a separator, then each named scheme
  // of the catalogue; the active document's one checked.
  std::vector<THighlighterEntry> HighlighterMenuEntries();
  // The choice of an entry: the active document takes the scheme (or none), the print object and
  // the preview follow.
  void HighlighterItemClick(bool IsPlain, const WideString& FileName);
  // Fills the submenu with radio items of the entries.
  void BuildHighlighterMenu(TBarCustomItem* Submenu);
  // The submenu opens (its OnClick, also when the status bar's menu shows it).
  void BuildHighlighterMenuClick(TObject* Sender);
  // The OnClick of those items.
  void HighlighterItemClick(TObject* Sender);

  // ---- the life cycle beyond the documents: shown, destroyed, the application's hooks ----
  void FormShow(TObject* Sender);
  // The application window's hook (the framework's own shortcut relays are dropped; the end of
  // the session writes the settings, its cancelling brings a window that closed for it back).
  bool AppHook(TMessage& Message);
  // The session ends (Ending) or its end was cancelled after the close query let it go.
  void SessionEnd(bool Ending);
  // An error that reached the message loop: the update lock goes and the error is logged in
  // the data folder; nothing is shown.
  void aplctnevntsMainException(TObject* Sender, Exception& E);
  // The command items of the main menu by name (CommandList), each with its item (Shortcuts.ini).
  // Starts the update check; Silent tells only of a newer release.
  void CheckForUpdates(bool Silent);
  TUpdateCheck* UpdateCheck() const { return updateCheck_.get(); }
  // The palette of recent characters, made (seeded, then "LastChars" read) on first use.
  TCharPalette* CharPalette() const { return charPalette_; }
  TCharPalette* EnsureCharPalette();
  void CharPaletteClick(TUiCustomToolPalette* Sender, int& ACol, int& ARow, bool& AllowChange);
  // After a language switch the palette's hints take the new language's formats.
  void lngcntrlrMainLanguageChanged(TLgLanguageController* Controller);
  TApplicationEvents* aplctnevntsMain = nullptr;
  // Saves the toolbars, the caret positions, the shortcuts and the recent characters.
  void FormDestroy(TObject* Sender);
  // The window is not drawn while a toolbar moves between docks.
  void tlbrStandardDockChanging(TObject* Sender, bool Floating, TBarDock* DockingTo);
  void tlbrStandardDockChanged(TObject* Sender);
  // A left click on an enabled panel of the status bar (the highlighter's pops its menu up).
  void stsbrMainMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  // The popup menus open: the editor's shows the link commands only over a link, the tab
  // bar's the commands of one document only over a tab.
  void pmnEditorPopup(TObject* Sender);
  void pmnTabBarPopup(TObject* Sender);
  // The go-to-bookmark submenu opens: its items name the bookmarked lines.
  void smnitmGotoBookmarksClick(TObject* Sender);
  // The "Character" submenu opens: the palette comes first, enabled for an editable document.
  void smnitmCharacterClick(TObject* Sender);
  // The recent-documents submenu opens: entries of files gone are dropped first.
  void smnitmRecentDocumentsClick(TObject* Sender);
  TBarCustomItem* smnitmRecentDocuments = nullptr;
  TUiMRUListItem* mrlstitmMain = nullptr;
  TBarCustomItem* bmnitmEmpty = nullptr;
  TAction* actnExit = nullptr;
  TAction* actnCheckForUpdates = nullptr;

  // ---- saving and closing (DocumentSaving.cpp) ----
  // Writes the text without asking: 0 saved; 1 the file cannot be opened for reading, 2 not for
  // writing; 3 the write failed (the old file is left whole) or the code is no file encoding;
  // -1 no document. Code 0 keeps the document's own code.
  int SaveDocument(TDocument* Document, const WideString& FileName, TTextEncoding Encoding);
  // The question after a failed save (Result of SaveDocument): what the system said when it
  // said something, else the likely reason.
  WideString SaveFailureText(int Result, const WideString& FileName) const;
  // Save: to its own file, else under a name asked for; true only when the text reached a file.
  bool SaveAs(TDocument* Document);
  // Asks about unsaved changes; true when the document was closed (the only one is reset).
  bool CloseDocument(TDocument* Document);
  // Turns the document into a new empty one.
  void ResetDocument(TDocument* Document);
  // Closes every document but Except (null: all), asking about the modified ones; true when
  // it went ahead. While exiting, "LastDocuments.dat" is written first.
  bool CloseDocuments(TDocument* Except);
  // The document of the remembered context tab, else the active one.
  TDocument* ContextDocument() const;
  // Where the open documents are listed at exit: LastDocumentsFile when set (tests set it), else
  // DataPath("LastDocuments.dat").
  static WideString& LastDocumentsFile();
  static WideString LastDocumentsPath();
  // The files to open at start-up from that list: none unless the options ask for them.
  std::vector<WideString> LastDocuments() const;
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  // Set while the window is asked to close.
  bool Exiting = false;

  // The tab remembered by a right click, until the next page change.
  TDocumentItem* ContextTab() const { return contextTab_; }
  // Set once the window has shown: later opens go on the recent list and take the focus.
  bool StartupDone = false;
  int NewDocumentNumber = 1;

 protected:
  void WndProc(TMessage& Message) override;
  void ShowStartupWarnings();
  void CreateWnd() override;

 private:
  AnsiString Message(const AnsiString& Name) const;
  WideString WideMessage(const AnsiString& Name) const;
  // The holder's text with each "%s" replaced by the next argument.
  WideString MessageWith(const AnsiString& Name, std::initializer_list<WideString> Args) const;
  TDocument* CreateDocument(const WideString& Caption);
  // Steps of opening one file; the document made, or null.
  TDocument* OpenFile(const WideString& Name, TTextEncoding Encoding, TDocument*& ToActivate);
  // The caption and the application's title name the active document now.
  void ShowActiveCaption();
  void LoadDocument(TDocument* Document, const WideString& Name, TTextEncoding Encoding);
  // The file's entries added to the list once; a file that cannot be read is logged once.
  void ReadFilesPos();
  void MergeFilesPos(TMemIniFile& Ini);
  void InsertTab(TDocument* Document);
  void FocusEditor(TDocument* Document);
  // The tab bar's new-tab button.
  void NewTabButtonClick(TObject* Sender);
  // The catalogue's scheme for the extension, else the default scheme, else none.
  TTxtCustomHighlighter* HighlighterFor(const WideString& Ext);

  void StartLifeCycle();
  void EndLifeCycle();
  // What the exit writes: the toolbars, the caret positions, the shortcuts, the palette's
  // characters; each file's failure is logged and costs only that file (at exit it is also told).
  void WriteExitSettings();
  // The close query let the window go: its place is written here, once, and no refused write
  // stops the close any more.
  void ClosingForGood();

  std::unique_ptr<TStringListW> filesPos_;
  std::unique_ptr<TStringList> commandList_;
  std::unique_ptr<TUpdateCheck> updateCheck_;
  TCharPalette* charPalette_ = nullptr;
  // The file's caret positions are in the list; a failure to read them was logged.
  bool filesPosRead_ = false;
  bool filesPosFailureLogged_ = false;
  TDocumentItem* newTabButton_ = nullptr;
  TDocumentItem* contextTab_ = nullptr;
  bool closing_ = false;
  bool destroyed_ = false;
  // The end of the session wrote the exit's settings already.
  bool exitSettingsWritten_ = false;
  // The system's error code of the last failed save, 0 when it gave none, and the file that
  // holds the text it could not put in place (empty when none does).
  unsigned long saveError_ = 0;
  WideString saveKeptFile_;
};

extern TMainForm* MainForm;

// The file names the program was started with (not the program's own name).
std::vector<WideString> CommandLineFiles();
