// The customizer's own customize dialog, built in code: toolbars, commands and shortcuts pages
// above a close panel.
#include "themes/SkinCustomizerForm.h"

#include <commctrl.h>

#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/DragDrop.h"
#include "framework/Format.h"
#include "framework/ShortCuts.h"
#include "themes/SkinPainters.h"
#include "themes/Ui.h"

HV_PUBLISH(TSkinHotKey) {}
HV_PUBLISH(TSkinCustomizeForm) {}

namespace {

const wchar_t* const SeparatorEntry = L"--[Separator]--";
const wchar_t* const TabCaptions[3] = {L"Toolbars", L"Commands", L"Shortcuts"};

constexpr Word ShortCutShift = 0x2000, ShortCutCtrl = 0x4000, ShortCutAlt = 0x8000;

template <class C>
C* place(TWinControl* Parent, int X, int Y, int W, int H) {
  auto* c = new C(Parent->Owner() ? Parent->Owner() : Parent);
  c->SetParent(Parent);
  c->SetBounds(X, Y, W, H);
  return c;
}

TSkinLabel* label(TWinControl* Parent, const wchar_t* Caption, int X, int Y, TWinControl* Focus = nullptr) {
  auto* l = place<TSkinLabel>(Parent, X, Y, 150, 16);
  l->SetCaption(Caption);
  if (Focus) l->SetFocusControl(Focus);
  return l;
}

void setShortCut(TBarCustomItem* Item, TShortCut Key) {
  // An action hands its shortcut to the item through the link, so both are set: the action
  // would otherwise push its old key back.
  if (auto* action = dynamic_cast<TCustomAction*>(Item->Action())) action->SetShortCut(Key);
  Item->SetShortCut(Key);
}

}  // namespace

// ---- hot-key control ----

TSkinHotKey::TSkinHotKey(TComponent* AOwner) : TWinControl(AOwner) {
  SetWidth(121);
  SetHeight(21);
  SetTabStop(true);
}

void TSkinHotKey::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  InitCommonControls();
  CreateSubClass(Params, HOTKEY_CLASSW);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TSkinHotKey::CreateWnd() {
  TWinControl::CreateWnd();
  SetHotKey(hotKey_);
}

TShortCut TSkinHotKey::HotKey() {
  if (!HandleAllocated()) return hotKey_;
  LRESULT v = SendMessageW(Handle(), HKM_GETHOTKEY, 0, 0);
  Word key = LOBYTE(LOWORD(v)), mods = HIBYTE(LOWORD(v));
  if (!key) return TShortCut(0);
  Word result = key;
  if (mods & HOTKEYF_SHIFT) result |= ShortCutShift;
  if (mods & HOTKEYF_CONTROL) result |= ShortCutCtrl;
  if (mods & HOTKEYF_ALT) result |= ShortCutAlt;
  return TShortCut(result);
}

void TSkinHotKey::SetHotKey(TShortCut Value) {
  hotKey_ = Value;
  if (!HandleAllocated()) return;
  const Word mods = ((Value & ShortCutShift) ? HOTKEYF_SHIFT : 0) | ((Value & ShortCutCtrl) ? HOTKEYF_CONTROL : 0) |
                    ((Value & ShortCutAlt) ? HOTKEYF_ALT : 0);
  SendMessageW(Handle(), HKM_SETHOTKEY, MAKEWORD(Value & 0xFF, mods), 0);
}

// ---- the dialog ----

TSkinCustomizeForm::TSkinCustomizeForm(TComponent* AOwner) : TSkinCustomCustomizeForm(AOwner, CreateNew) {
  SetCaption(L"Customize");
  SetClientWidth(342);
  SetClientHeight(321);
  Constraints()->SetMinWidth(350);
  Constraints()->SetMinHeight(350);
  SetFormStyle(fsStayOnTop);
  SetKeyPreview(true);
  BuildControls();
}

void TSkinCustomizeForm::BuildControls() {
  ClosePanel = new TSkinPanel(this);
  ClosePanel->SetParent(this);
  ClosePanel->SetHeight(36);
  ClosePanel->SetAlign(alBottom);
  ClosePanel->SetBorders(false);
  btnClose = place<TSkinButton>(ClosePanel, 256, 6, 75, 24);
  btnClose->SetCaption(L"Close");
  btnClose->SetAnchors(TAnchors{akTop, akRight});
  btnClose->OnClick = TNotifyEvent(this, &TSkinCustomizeForm::CloseClicked);

  TabControl1 = new TSkinTabControl(this);
  TabControl1->SetName("TabControl1");
  TabControl1->SetParent(this);
  TabControl1->SetAlign(alClient);
  TabControl1->SetThemeType(tttUi);
  for (int i = 0; i < 3; ++i) sheets_[i] = TabControl1->AddTab(TabCaptions[i]);
  TabControl1->SetActiveTabIndex(0);

  // Toolbars.
  TWinControl* s = sheets_[0];
  lbToolbars = place<TSkinCheckListBox>(s, 8, 24, 150, 226);
  lbToolbars->SetItemHeight(20);
  lbToolbars->OnClick = TNotifyEvent(this, &TSkinCustomizeForm::ToolbarSelected);
  lbToolbars->OnClickCheck = TNotifyEvent(this, &TSkinCustomizeForm::ToolbarChecked);
  label(s, L"&Toolbars", 8, 6, lbToolbars);
  auto* options = place<TSkinGroupBox>(s, 166, 6, 164, 180);
  options->SetCaption(L"Options");
  cbText = place<TSkinComboBox>(options, 10, 38, 148, 21);
  cbText->SetStyle(csDropDownList);
  for (const wchar_t* t : {L"Selective text on right", L"No text labels", L"Show text labels", L"Text only"})
    cbText->Items()->Add(t);
  cbText->OnChange = TNotifyEvent(this, &TSkinCustomizeForm::TextModeChosen);
  label(options, L"T&ext Options", 10, 20, cbText);
  cbIcon = place<TSkinComboBox>(options, 10, 86, 148, 21);
  cbIcon->SetStyle(csDropDownList);
  for (const wchar_t* t : {L"Large images", L"Small images"}) cbIcon->Items()->Add(t);
  cbIcon->OnChange = TNotifyEvent(this, &TSkinCustomizeForm::IconModeChosen);
  lbIconOptions = label(options, L"&Icon Options", 10, 68, cbIcon);
  btnReset = place<TSkinButton>(options, 10, 116, 148, 24);
  btnReset->SetCaption(L"&Reset to default");
  btnReset->SetVisible(false);
  cbVisible = place<TSkinCheckBox>(options, 10, 150, 148, 20);
  cbVisible->SetCaption(L"&Visible");
  cbVisible->OnClick = TNotifyEvent(this, &TSkinCustomizeForm::VisibleClicked);
  auto* themes = place<TSkinGroupBox>(s, 166, 192, 164, 56);
  themes->SetCaption(L"T&hemes");
  cbThemes = place<TSkinComboBox>(themes, 10, 22, 148, 21);
  cbThemes->SetStyle(csDropDownList);
  cbThemes->OnChange = TNotifyEvent(this, &TSkinCustomizeForm::ThemeChosen);

  // Commands.
  s = sheets_[1];
  lbCommands = place<TSkinListBox>(s, 8, 8, 326, 200);
  lbCommands->SetStyle(lbOwnerDrawFixed);
  lbCommands->SetDragMode(dmAutomatic);
  lbCommands->OnDrawItem = TDrawItemEvent(this, &TSkinCustomizeForm::DrawCommand);
  lbCommands->OnStartDrag = TStartDragEvent(this, &TSkinCustomizeForm::StartDrag);
  lbCommands->OnEndDrag = TEndDragEvent(this, &TSkinCustomizeForm::EndDrag);
  lbCommands->OnDragOver = TDragOverEvent(this, &TSkinCustomizeForm::DragOverList);
  lbCommands->OnDragDrop = TDragDropEvent(this, &TSkinCustomizeForm::DragDropList);
  auto* hint = place<TSkinLabel>(s, 8, 214, 326, 48);
  // Wrapped, the label keeps its width and takes the height its lines need.
  hint->SetWrapping(twWrap);
  hint->SetCaption(
      L"To add command buttons, drag and drop commands onto a toolbar. To remove command buttons, drag them off "
      L"the toolbar and drop them on the commands list.");

  // Shortcuts.
  s = sheets_[2];
  lbShortcuts = place<TSkinListBox>(s, 8, 8, 326, 200);
  lbShortcuts->SetStyle(lbOwnerDrawFixed);
  lbShortcuts->OnDrawItem = TDrawItemEvent(this, &TSkinCustomizeForm::DrawCommand);
  lbShortcuts->OnClick = TNotifyEvent(this, &TSkinCustomizeForm::ShortcutSelected);
  HotKey1 = place<TSkinHotKey>(s, 8, 234, 200, 22);
  label(s, L"&Shortcut", 8, 216, HotKey1);
  btnChange = place<TSkinButton>(s, 216, 233, 75, 24);
  btnChange->SetCaption(L"C&hange");
  btnChange->OnClick = TNotifyEvent(this, &TSkinCustomizeForm::ChangeClicked);
}

void TSkinCustomizeForm::DoCreate() {
  TSkinCustomCustomizeForm::DoCreate();
  ClosePanel->SetVisible(!Embedded());
  TSkinCustomizer* c = Customizer();
  if (c && c->Images()) {
    lbCommands->SetItemHeight(c->Images()->Height() + 4);
    lbShortcuts->SetItemHeight(c->Images()->Height() + 4);
  }
  bool icons = c && c->OnIconOptionsChange;
  lbIconOptions->SetVisible(icons);
  cbIcon->SetVisible(icons);
  TStringList names;
  ListThemes(&names);
  names.Sort();
  cbThemes->Items()->Clear();
  for (int i = 0; i < names.Count(); ++i) cbThemes->Items()->Add(AnsiToWide(names[i]));
  cbThemes->SetItemIndex(names.IndexOf(GetCurrentThemeName()));
  DoThemeChange();
}

int TSkinCustomizeForm::ActiveTabIndex() const { return TabControl1->ActiveTabIndex(); }

void TSkinCustomizeForm::SetActiveTabIndex(int Value) { TabControl1->SetActiveTabIndex(Value); }

void TSkinCustomizeForm::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_TAB && Shift.Contains(ssCtrl)) {
    // At either end the key steps back instead of wrapping round, as the dialog always did.
    int last = 2, i = ActiveTabIndex();
    if (Shift.Contains(ssShift))
      SetActiveTabIndex(i > 0 ? i - 1 : i + 1);
    else
      SetActiveTabIndex(i < last ? i + 1 : i - 1);
    Key = 0;
    return;
  }
  TSkinCustomCustomizeForm::KeyDown(Key, Shift);
}

void TSkinCustomizeForm::DoFillCommands(TStringListW* Toolbars, TStringListW* Commands,
                                        TSkinMenuBarShortcuts* Shortcuts) {
  lbToolbars->Items()->Assign(Toolbars);
  lbCommands->Items()->Assign(Commands);
  lbShortcuts->Items()->Assign(Shortcuts);
  for (int i = 0; i < Toolbars->Count(); ++i)
    lbToolbars->SetChecked(i, static_cast<TControl*>(Toolbars->Objects(i))->Visible());
  if (Toolbars->Count() > 0) {
    lbToolbars->SetItemIndex(0);
    ToolbarSelected(lbToolbars);
  }
}

void TSkinCustomizeForm::DoThemeChange() {
  TColor color = GetCurrentThemeName() == "Xito" ? TColor(0xE0E0E0)
                 : CurrentTheme                  ? CurrentTheme->GetViewColor(VT_TOOLBAR)
                                                 : clBtnFace;
  ClosePanel->SetColor(color);
}

TBarCustomToolbar* TSkinCustomizeForm::SelectedToolbar() {
  int i = lbToolbars->ItemIndex();
  return i < 0 ? nullptr : static_cast<TBarCustomToolbar*>(lbToolbars->Items()->Objects(i));
}

void TSkinCustomizeForm::ToolbarSelected(TObject*) {
  TBarCustomToolbar* t = SelectedToolbar();
  if (!t) return;
  cbVisible->SetChecked(t->Visible());
  cbText->SetItemIndex(ToolbarDisplayMode(t));
}

void TSkinCustomizeForm::ToolbarChecked(TObject*) {
  for (int i = 0; i < lbToolbars->Items()->Count(); ++i) {
    auto* t = static_cast<TBarCustomToolbar*>(lbToolbars->Items()->Objects(i));
    if (t->Visible() != lbToolbars->Checked(i)) t->SetVisible(lbToolbars->Checked(i));
  }
  ToolbarSelected(lbToolbars);
}

void TSkinCustomizeForm::VisibleClicked(TObject*) {
  TBarCustomToolbar* t = SelectedToolbar();
  if (!t || t->Visible() == cbVisible->Checked()) return;
  t->SetVisible(cbVisible->Checked());
  lbToolbars->SetChecked(lbToolbars->ItemIndex(), t->Visible());
}

void TSkinCustomizeForm::TextModeChosen(TObject*) {
  if (TBarCustomToolbar* t = SelectedToolbar(); t && cbText->ItemIndex() >= 0)
    SetToolbarDisplayMode(t, cbText->ItemIndex());
}

void TSkinCustomizeForm::IconModeChosen(TObject*) { DoIconOptionsChange(cbIcon->ItemIndex() == 1); }

void TSkinCustomizeForm::ThemeChosen(TObject*) {
  int i = cbThemes->ItemIndex();
  if (i >= 0) SetCurrentThemeByName(WideToAnsi(cbThemes->Items()->Strings(i)));
}

void TSkinCustomizeForm::ShortcutSelected(TObject*) {
  int i = lbShortcuts->ItemIndex();
  if (i < 0) return;
  HotKey1->SetHotKey(static_cast<TBarCustomItem*>(lbShortcuts->Items()->Objects(i))->ShortCut());
}

void TSkinCustomizeForm::ChangeClicked(TObject*) {
  int i = lbShortcuts->ItemIndex();
  if (i < 0) return;
  TStringsW* items = lbShortcuts->Items();
  auto* item = static_cast<TBarCustomItem*>(items->Objects(i));
  TShortCut key = HotKey1->HotKey();
  TBarCustomItem* other = nullptr;
  if (key != 0)
    for (int k = 0; k < items->Count() && !other; ++k)
      if (k != i && static_cast<TBarCustomItem*>(items->Objects(k))->ShortCut() == key)
        other = static_cast<TBarCustomItem*>(items->Objects(k));
  if (other) {
    WideString text = L"The shortcut is already being used by the \"" + TSkinCustomizer::GetItemDisplayCaption(other) +
                      L"\" command. Do you want to reassign it to the \"" +
                      TSkinCustomizer::GetItemDisplayCaption(item) + L"\" command?";
    if (Application->MessageBox(text, L"Change Shortcut", MB_OKCANCEL | MB_ICONWARNING) != IDOK) return;
    // One shortcut runs one command: the other command gives it up.
    setShortCut(other, TShortCut(0));
  }
  setShortCut(item, key);
  lbShortcuts->Invalidate();
}

void TSkinCustomizeForm::CloseClicked(TObject*) { Close(); }

// ---- drawing ----

void TSkinCustomizeForm::DrawCommand(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State) {
  auto* list = static_cast<TSkinListBox*>(Control);
  TCanvas* canvas = list->Canvas();
  if (list == lbCommands && Index == 0) {
    TRect r(Rect.Left + 100, Rect.Top + 4, Rect.Right - 100, Rect.Bottom - 4);
    if (CurrentTheme) {
      TUiItemInfo info;
      info.ViewType = VT_POPUPMENU;
      info.Enabled = 1;
      CurrentTheme->PaintSeparator(canvas, r, info, true, false);
    }
    return;
  }
  auto* item = static_cast<TBarCustomItem*>(list->Items()->Objects(Index));
  if (!item) return;
  int side = Rect.Height();
  TRect image(Rect.Left + 2, Rect.Top, Rect.Left + 2 + side, Rect.Bottom);
  TCustomImageList* images = item->Images() ? item->Images() : (Customizer() ? Customizer()->Images() : nullptr);
  if (images && item->ImageIndex() >= 0) {
    TRect at(image.Left + (side - images->Width()) / 2, image.Top + (side - images->Height()) / 2, 0, 0);
    at.Right = at.Left + images->Width();
    at.Bottom = at.Top + images->Height();
    if (State.Contains(odSelected))
      DrawImageWithShadow(canvas, at, images, item->ImageIndex());
    else
      images->Draw(canvas, at.Left, at.Top, item->ImageIndex(), true);
  }
  canvas->Brush()->SetStyle(bsClear);
  TRect text(image.Right + 2, Rect.Top, Rect.Right - 2, Rect.Bottom);
  WideString caption = list->Items()->Strings(Index);
  RECT r{text.Left, text.Top, text.Right, text.Bottom};
  DrawTextW(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (list == lbShortcuts && item->ShortCut() != 0) {
    WideString keys = ShortCutToText(item->ShortCut());
    RECT k{Rect.Right - 80, Rect.Top, Rect.Right - 2, Rect.Bottom};
    DrawTextW(canvas->Handle(), keys.c_str(), static_cast<int>(keys.size()), &k, DT_SINGLELINE | DT_VCENTER);
  }
}

// ---- dragging commands ----

void TSkinCustomizeForm::CommandDragStart(int Index) {
  dragged_ = nullptr;
  draggedIndex_ = Index;
  if (Index < 0 || Index >= lbCommands->Items()->Count()) return;
  if (Index > 0) {
    dragged_ = static_cast<TBarCustomItem*>(lbCommands->Items()->Objects(Index));
    return;
  }
  TList* separators = SeparatorsList();
  if (separators->Count() == 0 && Customizer()) {
    TBarCustomItem* s = Customizer()->NewUniqueSeparatorItem();
    Customizer()->Items()->Add(s);
    separators->Add(s);
  }
  if (separators->Count() > 0) dragged_ = static_cast<TBarCustomItem*>(separators->Items(0));
}

void TSkinCustomizeForm::CommandDragEnd(bool Dropped) {
  if (Dropped && draggedIndex_ >= 0) {
    if (draggedIndex_ == 0) {
      if (SeparatorsList()->Count() > 0) SeparatorsList()->Delete(0);
    } else if (draggedIndex_ < lbCommands->Items()->Count()) {
      lbCommands->Items()->Delete(draggedIndex_);
    }
  }
  dragged_ = nullptr;
  draggedIndex_ = -1;
}

void TSkinCustomizeForm::ItemDropped(TBarCustomItem* AItem) {
  if (!AItem || !Customizer()) return;
  if (AItem->Parent()) AItem->Parent()->Remove(AItem);
  Customizer()->Items()->Add(AItem);
  if (dynamic_cast<TBarSeparatorItem*>(AItem))
    SeparatorsList()->Insert(0, AItem);
  else
    lbCommands->Items()->AddObject(TSkinCustomizer::GetItemDisplayCaption(AItem), AItem);
}

void TSkinCustomizeForm::StartDrag(TObject*, TDragObject*& DragObject) {
  CommandDragStart(lbCommands->ItemIndex());
  if (!dragged_) return;
  dragObject_ = std::make_unique<TSkinItemDragObject>(nullptr, dragged_);
  DragObject = dragObject_.get();
}

void TSkinCustomizeForm::EndDrag(TObject*, TObject* Target, int, int) {
  CommandDragEnd(Target != nullptr && Target != lbCommands);
  dragObject_.reset();
}

void TSkinCustomizeForm::DragOverList(TObject*, TObject* Source, int, int, TDragState, bool& Accept) {
  // Any item may come here; only one from a toolbar changes anything when dropped.
  Accept = dynamic_cast<TSkinItemDragObject*>(Source) != nullptr;
}

void TSkinCustomizeForm::DragDropList(TObject*, TObject* Source, int, int) {
  if (auto* drag = dynamic_cast<TSkinItemDragObject*>(Source); drag && drag->SourceToolbar())
    ItemDropped(drag->SourceItem());
}

namespace {
// This dialog is what a customizer opens unless told otherwise.
const bool defaultDialogSet = [] {
  TSkinCustomizer::DefaultCustomizeFormClass = &TSkinCustomizeForm::Make;
  return true;
}();
}  // namespace
