// The character map dialog over the character grid.
#include "app/CharacterFrm.h"

#include "app/CharPalette.h"
#include "app/DocumentHost.h"
#include "app/Documents.h"
#include "app/NSStringGrid.h"
#include "app/Options.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "editor/TxtEdit.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/Format.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Win.h"
#include "themes/SkinToolbar.h"

HV_PUBLISH(TCharacterForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormShow", &T::FormShow);
  p.Method("strngrdCharacterClick", &T::strngrdCharacterClick);
  p.Method("strngrdCharacterDblClick", &T::strngrdCharacterDblClick);
  p.Method("strngrdCharacterKeyDown", &T::strngrdCharacterKeyDown);
  p.Method("strngrdCharacterDrawCell", &T::strngrdCharacterDrawCell);
  p.Method("actnInsertUpdate", &T::actnInsertUpdate);
  p.Method("actnInsertExecute", &T::actnInsertExecute);
  p.Method("actnInsertCodeExecute", &T::actnInsertCodeExecute);
  p.Method("actnInsertHTMLCodeExecute", &T::actnInsertHTMLCodeExecute);
  p.Method("actnCopyExecute", &T::actnCopyExecute);
  p.Method("actnCloseExecute", &T::actnCloseExecute);
  p.ComponentField("strngrdCharacter", &T::strngrdCharacter);
  p.ComponentField("lblCharCode", &T::lblCharCode);
  p.ComponentField("lblShortcutKey", &T::lblShortcutKey);
  p.ComponentField("btnInsert", &T::btnInsert);
  p.ComponentField("btnClose", &T::btnClose);
  p.ComponentField("pmnCharacter", &T::pmnCharacter);
  p.ComponentField("actnlstCharacter", &T::actnlstCharacter);
  p.ComponentField("actnInsert", &T::actnInsert);
  p.ComponentField("actnInsertCode", &T::actnInsertCode);
  p.ComponentField("actnInsertHTMLCode", &T::actnInsertHTMLCode);
  p.ComponentField("actnCopy", &T::actnCopy);
  p.ComponentField("actnClose", &T::actnClose);
  p.ComponentField("mltstrnghldrCharacter", &T::mltstrnghldrCharacter);
  p.ComponentField("frmstrgCharacter", &T::frmstrgCharacter);
  p.ComponentField("lngcntrlrCharacter", &T::lngcntrlrCharacter);
}

namespace {

constexpr int maxRecent = 15;
TStrings* recentList = nullptr;

}  // namespace

TStrings* RecentCharacters() {
  static TStringList own;
  return recentList ? recentList : &own;
}

void SetRecentCharacters(TStrings* List) { recentList = List; }

TCharacterForm* CharacterForm = nullptr;

TCharacterForm::TCharacterForm(TComponent* AOwner, TDocument* Document, TDocumentHost* Host)
    : TForm(AOwner), document_(Document), host_(Host) {}

TCharacterForm::~TCharacterForm() {
  if (CharacterForm == this) CharacterForm = nullptr;
}

TDocument* TCharacterForm::Target() const {
  if (document_) return document_;
  return host_ ? host_->ActiveDocument() : nullptr;
}

int TCharacterForm::CurrentCode() const { return CellCode(strngrdCharacter->Col(), strngrdCharacter->Row()); }

void TCharacterForm::FormCreate(TObject*) {
  // The map's place is kept in the main window's settings.
  if (host_) frmstrgCharacter->SetAppStorage(host_->SettingsStorage());
  TNSStringGrid& grid = *strngrdCharacter;
  grid.SetColCount(16);
  grid.SetRowCount(14);
  grid.Canvas()->SetFont(grid.Font());
  std::vector<int> widths(16, 0);
  for (int r = 0; r < 14; ++r)
    for (int c = 0; c < 16; ++c) {
      const WideString text = AnsiToWide(AnsiString(1, static_cast<char>(CellCode(c, r))));
      grid.SetCells(c, r, text);
      widths[c] = std::max(widths[c], grid.Canvas()->TextWidth(text) + 10);
    }
  widths = FitColumnWidths(widths, grid.ClientWidth(), grid.GridLineWidth());
  for (int c = 0; c < 16; ++c) grid.SetColWidths(c, widths[c]);
  strngrdCharacterClick(nullptr);
}

void TCharacterForm::FormShow(TObject*) {
  TStrings* recent = RecentCharacters();
  if (recent->Count() == 0) return;
  const int code = StrToIntDef(recent->Strings(0), 32);
  if (code >= 32 && code <= 255) strngrdCharacter->SetCurrent(code % 16, code / 16 - 2);
}

void TCharacterForm::strngrdCharacterClick(TObject*) {
  const int code = CurrentCode();
  // Formatted as the status bar formats the same text, so that both show "0xE9".
  lblCharCode->SetCaption(FormatHolderText(mltstrnghldrCharacter, "sCharCode", {code, code}));
  lblShortcutKey->SetCaption(FormatHolderText(mltstrnghldrCharacter, "sShortcutKeys", {code}));
}

void TCharacterForm::strngrdCharacterDblClick(TObject*) { actnInsert->Execute(); }

void TCharacterForm::strngrdCharacterKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_RETURN) actnInsert->Execute();
}

void TCharacterForm::strngrdCharacterDrawCell(TObject*, int ACol, int ARow, TRect Rect, bool Selected) {
  TCanvas& c = *strngrdCharacter->Canvas();
  const int code = CellCode(ACol, ARow);
  if (!Selected && IndexOfExact(RecentCharacters(), std::to_string(code)) >= 0) {
    c.Brush()->SetColor(::Options ? ::Options->CurrentLineBackground : clInfoBk);
    c.Font()->SetColor(clInfoText);
  }
  c.FillRect(Rect);
  // The cell's character as the ANSI code page reads the code, which is what inserting it puts
  // into the document: 8-bit drawing would read it in the grid font's character set instead
  // (Cyrillic letters over Western codes).
  const WideString text = AnsiToWide(AnsiString(1, static_cast<char>(code)));
  RECT r = ToRECT(Rect);
  SetBkMode(c.Handle(), TRANSPARENT);
  ::DrawTextW(c.Handle(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TCharacterForm::actnInsertUpdate(TObject* Sender) {
  if (auto* action = dynamic_cast<TAction*>(Sender)) action->SetEnabled(Target() && Target()->CanEdit());
}

void TCharacterForm::InsertText(const AnsiString& Text) {
  if (TDocument* document = Target(); document && document->CanEdit()) document->Editor()->SetSelText(Text);
}

void TCharacterForm::actnInsertExecute(TObject*) {
  if (!Target() || !Target()->CanEdit()) return;
  const int code = CurrentCode();
  InsertText(AnsiString(1, static_cast<char>(code)));
  AddToHistory(RecentCharacters(), std::to_string(code), maxRecent);
  strngrdCharacter->Invalidate();
  if (strngrdCharacter->HandleAllocated() && IsWindowVisible(strngrdCharacter->Handle())) strngrdCharacter->SetFocus();
}

void TCharacterForm::actnInsertCodeExecute(TObject*) { InsertText(std::to_string(CurrentCode())); }

void TCharacterForm::actnInsertHTMLCodeExecute(TObject*) { InsertText("&#" + std::to_string(CurrentCode()) + ";"); }

void TCharacterForm::actnCopyExecute(TObject*) {
  CopyWideTextToClipboard(AnsiToWide(AnsiString(1, static_cast<char>(CurrentCode()))));
}

void TCharacterForm::actnCloseExecute(TObject*) { Close(); }

bool TCharacterForm::SelectCharacter(int Code) {
  if (Code < 1 || Code > 255) return false;
  const WideString text = AnsiToWide(AnsiString(1, static_cast<char>(Code)));
  for (int row = 0; row < strngrdCharacter->RowCount(); ++row)
    for (int col = 0; col < strngrdCharacter->ColCount(); ++col)
      if (strngrdCharacter->Cells(col, row) == text) {
        strngrdCharacter->SetCurrent(col, row);
        return true;
      }
  return false;
}

TCharacterForm* ShowCharacterDialog(TDocumentHost& Host, int SelectCode) {
  // The map marks and extends the palette's list, so the palette comes first.
  SetRecentCharacters(Host.PaletteCharacters());
  if (!CharacterForm) CharacterForm = New<TCharacterForm>(Application, nullptr, &Host);
  CharacterForm->Show();
  if (SelectCode) CharacterForm->SelectCharacter(SelectCode);
  CharacterForm->strngrdCharacter->Invalidate();
  return CharacterForm;
}

void FreeCharacterForm() {
  delete std::exchange(CharacterForm, nullptr);
  SetRecentCharacters(nullptr);
}
