// The close-all dialog: which of several modified documents to save before they are closed.
#include "app/CloseAllFrm.h"

#include "app/DocumentHost.h"
#include "app/Documents.h"
#include "app/ProductIdentity.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "controls/ApThemes.h"
#include "controls/SizeGripThemed.h"
#include "editor/TxtEdit.h"
#include "foundation/ApAppStorage.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/ExtCtrls.h"
#include "framework/Icon.h"
#include "framework/Picture.h"
#include "framework/Screen.h"
#include "framework/StdCtrls.h"

HV_PUBLISH(TCloseFile) {}

HV_PUBLISH(TCloseAllForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormShow", &T::FormShow);
  p.Method("FormPaint", &T::FormPaint);
  p.Method("lstbxCloseAllDrawItem", &T::lstbxCloseAllDrawItem);
  p.Method("lstbxCloseAllKeyDown", &T::lstbxCloseAllKeyDown);
  p.Method("actnSaveExecute", &T::actnSaveExecute);
  p.Method("actnSaveUpdate", &T::actnSaveUpdate);
  p.Method("actnDontSaveExecute", &T::actnDontSaveExecute);
  p.Method("actnCancelExecute", &T::actnCancelExecute);
  p.ComponentField("imgCloseAll", &T::imgCloseAll);
  p.ComponentField("lblCloseAll", &T::lblCloseAll);
  p.ComponentField("lstbxCloseAll", &T::lstbxCloseAll);
  p.ComponentField("btnSave", &T::btnSave);
  p.ComponentField("btnDontSave", &T::btnDontSave);
  p.ComponentField("btnCancel", &T::btnCancel);
  p.ComponentField("actnlstCloseAll", &T::actnlstCloseAll);
  p.ComponentField("actnSave", &T::actnSave);
  p.ComponentField("actnDontSave", &T::actnDontSave);
  p.ComponentField("actnCancel", &T::actnCancel);
  p.ComponentField("actnSaveAll", &T::actnSaveAll);
  p.ComponentField("szgrpthmdCloseAll", &T::szgrpthmdCloseAll);
  p.ComponentField("lngcntrlrCloseAll", &T::lngcntrlrCloseAll);
}

namespace {

// OBM_CHECKBOXES and IDI_WARNING as numbers (the headers give them only to some builds).
constexpr WORD obmCheckBoxes = 32759;
constexpr WORD idiWarning = 32515;

int showModally(TCloseAllForm* Dialog) { return Dialog->ShowModal(); }

TCloseAllRunner closeAllRunner = showModally;

}  // namespace

TCloseAllRunner SetCloseAllRunner(TCloseAllRunner Runner) {
  TCloseAllRunner previous = closeAllRunner;
  closeAllRunner = Runner ? Runner : showModally;
  return previous;
}

int RunCloseAllDialog(TCloseAllForm* Dialog) { return closeAllRunner(Dialog); }

TCloseAllForm::TCloseAllForm(TComponent* AOwner, TDocumentHost* Host) : TForm(AOwner), host_(Host) {}

TCloseAllForm::~TCloseAllForm() {
  if (placement_) {
    try {
      placement_->SaveFormPlacement();
      // The storage may have gone before the dialog (it tells the placement so).
      if (TApCustomAppStorage* storage = placement_->AppStorage()) storage->Flush();
    } catch (const Exception&) {
      // A settings file that cannot be written costs the dialog's place, nothing more.
    }
  }
  // The entries go before their objects, last to first.
  if (lstbxCloseAll)
    for (int i = Count() - 1; i >= 0; --i) lstbxCloseAll->Items()->SetObjects(i, nullptr);
  while (!files_.empty()) files_.pop_back();
}

void TCloseAllForm::FormCreate(TObject*) {
  SetCaption(ProductName);
  // The system's check-box bitmap holds the box in its states, four across and three down.
  if (HBITMAP boxes = LoadBitmapW(nullptr, MAKEINTRESOURCEW(obmCheckBoxes))) {
    BITMAP info{};
    if (GetObjectW(boxes, sizeof info, &info)) checkSize_ = {info.bmWidth / 4, info.bmHeight / 3};
    DeleteObject(boxes);
  }
  imgCloseAll->Picture()->Icon()->SetHandle(LoadIconW(nullptr, MAKEINTRESOURCEW(idiWarning)));
  // The height SetListItemHeight gives, measured without making the list's window yet.
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, lstbxCloseAll->Font()->Handle());
    SIZE size{};
    if (GetTextExtentPoint32W(dc, L"Wg", 2, &size)) lstbxCloseAll->SetItemHeight(size.cy + 7);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  if (szgrpthmdCloseAll) szgrpthmdCloseAll->SetTargetControl(this);
}

void TCloseAllForm::FormShow(TObject*) { lstbxCloseAll->Invalidate(); }

void TCloseAllForm::FormPaint(TObject*) { lstbxCloseAll->Invalidate(); }

void TCloseAllForm::PlaceOnScreen(TApCustomAppStorage* Storage) {
  // A settings file that cannot be read or written costs the dialog its place, nothing more: the
  // closing goes on, and the exit's own writing tells of the file.
  if (Storage && !placement_) {
    placement_ = new TApFormStorage(this);
    placement_->SetAppStorage(Storage);
    placement_->SetAppStoragePath("CloseAllForm\\");
    placement_->SetOptions({fpSize, fpLocation});
    try {
      placement_->RestoreFormPlacement();
    } catch (const Exception&) {}
  }
  if (Left() + Top() != 0) return;
  SetLeft((Screen->Width() - Width()) / 2);
  SetTop((Screen->Height() - Height()) / 2);
  try {
    if (placement_) placement_->SaveFormPlacement();
  } catch (const Exception&) {}
}

void TCloseAllForm::AddDocument(TDocument* Document) {
  auto file = std::make_unique<TCloseFile>();
  file->Document = Document;
  file->Text = AnsiToWide(NameFromText(Document->Editor()->TextA(), 1));
  lstbxCloseAll->Items()->AddObject(Document->GetDisplayName(false), file.get());
  files_.push_back(std::move(file));
  SetChecked(Count() - 1, true);
}

int TCloseAllForm::Count() const { return lstbxCloseAll->Items()->Count(); }

TCloseFile* TCloseAllForm::Entry(int Index) const {
  return Index >= 0 && Index < Count() ? dynamic_cast<TCloseFile*>(lstbxCloseAll->Items()->Objects(Index)) : nullptr;
}

bool TCloseAllForm::Checked(int Index) const { return lstbxCloseAll->Selected(Index); }

void TCloseAllForm::SetChecked(int Index, bool Value) { lstbxCloseAll->SetSelected(Index, Value); }

void TCloseAllForm::lstbxCloseAllDrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState State) {
  // The canvas comes prepared by the list: a checked (selected) entry in the highlight colours.
  TCanvas* canvas = lstbxCloseAll->Canvas();
  const bool checked = Checked(Index);
  canvas->FillRect(Rect);
  int x = Rect.Left + 4;
  RECT box{x, Rect.Top + (Rect.Height() - checkSize_.cy) / 2, 0, 0};
  box.right = box.left + checkSize_.cx;
  box.bottom = box.top + checkSize_.cy;
  bool drawn = false;
  if (ThemesActive())
    if (HTHEME theme = ApOpenThemeData(lstbxCloseAll->Handle(), L"BUTTON")) {
      // BP_CHECKBOX, CBS_UNCHECKEDNORMAL or CBS_CHECKEDNORMAL.
      drawn = ApDrawThemeBackground(theme, canvas->Handle(), 3, checked ? 5 : 1, box);
      ApCloseThemeData(theme);
    }
  if (!drawn) DrawFrameControl(canvas->Handle(), &box, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
  x += checkSize_.cx + 4;
  const WideString name = lstbxCloseAll->Items()->Strings(Index);
  SetBkMode(canvas->Handle(), TRANSPARENT);
  TRect text{x, Rect.Top, Rect.Right, Rect.Bottom};
  canvas->DrawText(text, name, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (TCloseFile* file = Entry(Index)) {
    TRect second{x + canvas->TextWidth(name) + 12, Rect.Top, Rect.Right, Rect.Bottom};
    if (second.Left < second.Right) {
      if (!checked) canvas->Font()->SetColor(clGrayText);
      canvas->DrawText(second, file->Text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
  }
  // The keyboard walks the entries: the one it stands on shows it (the entry is drawn whole each
  // time, so the rectangle is drawn once over a fresh background).
  if (State.Contains(odFocused) && !State.Contains(odNoFocusRect)) {
    canvas->Font()->SetColor(clWindowText);
    canvas->Brush()->SetColor(clWindow);
    canvas->DrawFocusRect(Rect);
  }
}

void TCloseAllForm::lstbxCloseAllKeyDown(TObject*, Word& Key, TShiftState Shift) {
  if (Shift != TShiftState{ssCtrl}) return;
  const int count = Count();
  switch (Key) {
    case 'A':
      for (int i = 0; i < count; ++i) SetChecked(i, true);
      break;
    case 'D':
      for (int i = 0; i < count; ++i) SetChecked(i, false);
      break;
    case 'I':
      for (int i = 0; i < count; ++i) SetChecked(i, !Checked(i));
      break;
    default: return;
  }
  Key = 0;
  lstbxCloseAll->Invalidate();
}

void TCloseAllForm::actnSaveExecute(TObject*) {
  unsaved_.clear();
  for (int i = 0; i < Count(); ++i)
    if (Checked(i) && (!host_ || !host_->Save(Entry(i)->Document))) unsaved_.push_back(Entry(i)->Document);
  SetModalResult(mrYes);
}

void TCloseAllForm::actnSaveUpdate(TObject*) {
  bool any = false;
  for (int i = 0; i < Count() && !any; ++i) any = Checked(i);
  actnSave->SetEnabled(any);
}

void TCloseAllForm::actnDontSaveExecute(TObject*) {
  unsaved_.clear();
  SetModalResult(mrYes);
}

void TCloseAllForm::actnCancelExecute(TObject*) { SetModalResult(mrNo); }
