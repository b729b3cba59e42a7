// The character map: the characters of codes 32 to 255 of the ANSI code page in a grid, inserted
// into the active document (as the character, its code or its HTML reference) or copied; the
// characters inserted join the recent-characters list and are marked in the grid.
#pragma once

#include "framework/Forms.h"

class TAction;
class TActionList;
class TApFormStorage;
class TApMultiStringHolder;
class TButton;
class TDocument;
class TDocumentHost;
class TLabel;
class TLgLanguageController;
class TNSStringGrid;
class TSkinPopupMenu;
class TStrings;

// The recent characters, decimal codes newest first (at most 15). The character palette puts
// its own list in place; null brings back the dialog's own.
TStrings* RecentCharacters();
void SetRecentCharacters(TStrings* List);

class TCharacterForm : public TForm {
  HV_CLASS(TCharacterForm, TForm)
 public:
  // Without a document the map works on the host's active one, whichever it is when a command
  // runs.
  TCharacterForm(TComponent* AOwner, TDocument* Document = nullptr, TDocumentHost* Host = nullptr);
  ~TCharacterForm() override;
  TDocument* Target() const;

  // The character code of a cell.
  static int CellCode(int Col, int Row) { return (Row + 2) * 16 + Col; }
  // The code of the current cell.
  int CurrentCode() const;
  // Makes the first cell that shows the character of the code current; false when none does.
  bool SelectCharacter(int Code);

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void strngrdCharacterClick(TObject* Sender);
  void strngrdCharacterDblClick(TObject* Sender);
  void strngrdCharacterKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void strngrdCharacterDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, bool Selected);
  void actnInsertUpdate(TObject* Sender);
  void actnInsertExecute(TObject* Sender);
  void actnInsertCodeExecute(TObject* Sender);
  void actnInsertHTMLCodeExecute(TObject* Sender);
  void actnCopyExecute(TObject* Sender);
  void actnCloseExecute(TObject* Sender);

  TNSStringGrid* strngrdCharacter = nullptr;
  TLabel* lblCharCode = nullptr;
  TLabel* lblShortcutKey = nullptr;
  TButton* btnInsert = nullptr;
  TButton* btnClose = nullptr;
  TSkinPopupMenu* pmnCharacter = nullptr;
  TActionList* actnlstCharacter = nullptr;
  TAction* actnInsert = nullptr;
  TAction* actnInsertCode = nullptr;
  TAction* actnInsertHTMLCode = nullptr;
  TAction* actnCopy = nullptr;
  TAction* actnClose = nullptr;
  TApMultiStringHolder* mltstrnghldrCharacter = nullptr;
  TApFormStorage* frmstrgCharacter = nullptr;
  TLgLanguageController* lngcntrlrCharacter = nullptr;

 private:
  void InsertText(const AnsiString& Text);

  TDocument* document_;
  TDocumentHost* host_;
};

// The map the main window shows: made once, owned by the application, shown beside the main
// window without blocking it; null until first shown.
extern TCharacterForm* CharacterForm;
// Shows that map for the host's documents, on the character of SelectCode when a cell shows it;
// its recent characters are the host's palette.
TCharacterForm* ShowCharacterDialog(TDocumentHost& Host, int SelectCode = 0);
// Frees the map (the main window does so before its palette goes).
void FreeCharacterForm();
