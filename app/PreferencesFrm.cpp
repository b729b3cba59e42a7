// The preferences dialog: the options shown in its controls, written back and applied on OK in
// eight steps; the colour pages, the command list, the recent list and the associations.
#include "app/PreferencesFrm.h"

#include "app/AppControls.h"
#include "app/Associations.h"
#include "app/DocumentHost.h"
#include "app/Documents.h"
#include "app/KeyboardShortcutsFrm.h"
#include "app/NSApColorButton.h"
#include "app/Options.h"
#include "app/Startup.h"
#include "app/FilePaths.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "controls/ApPageList.h"
#include "controls/ApSpin.h"
#include "editor/TxtEdit.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/ScopeGuards.h"
#include "framework/Screen.h"
#include "themes/UiExtItems.h"
#include "framework/ShortCuts.h"
#include "framework/StdCtrls.h"
#include "themes/SkinControls.h"
#include "themes/SkinEditors.h"
#include "toolbars/BarItem.h"

HV_PUBLISH(TPreferencesForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormClose", &T::FormClose);
  p.Method("FormPaint", &T::FormPaint);
  p.Method("lstbxPreferencesClick", &T::lstbxPreferencesClick);
  p.Method("lstbxPreferencesMouseMove", &T::lstbxPreferencesMouseMove);
  p.Method("lstbxPreferencesDrawItem", &T::lstbxPreferencesDrawItem);
  p.Method("chckbxRightMarginClick", &T::chckbxRightMarginClick);
  p.Method("chckbxGutterClick", &T::chckbxGutterClick);
  p.Method("cmbxCategoryClick", &T::cmbxCategoryClick);
  p.Method("cmbxEditorFontNameDropDown", &T::cmbxEditorFontNameDropDown);
  p.Method("lstbxCommandsDrawItem", &T::lstbxCommandsDrawItem);
  p.Method("actnEditExecute", &T::actnEditExecute);
  p.Method("actnEditUpdate", &T::actnEditUpdate);
  p.Method("actnClearListExecute", &T::actnClearListExecute);
  p.Method("actnClearListUpdate", &T::actnClearListUpdate);
  p.Method("actnOKExecute", &T::actnOKExecute);
  p.Method("actnCancelExecute", &T::actnCancelExecute);
#define HV_FIELD(N) p.ComponentField(#N, &T::N)
  HV_FIELD(lstbxPreferences);
  HV_FIELD(pglstPreferences);
  HV_FIELD(stndrdpgGeneral);
  HV_FIELD(stndrdpgEditing);
  HV_FIELD(stndrdpgDisplay);
  HV_FIELD(stndrdpgColors);
  HV_FIELD(stndrdpgKeyboardShortcuts);
  HV_FIELD(stndrdpgAdvanced);
  HV_FIELD(stndrdpgIntegration);
  HV_FIELD(chckbxOpenLastDocuments);
  HV_FIELD(chckbxCheckForUpdatesAtStartup);
  HV_FIELD(cmbxLanguage);
  HV_FIELD(cmbxDateAndTimeFormat);
  HV_FIELD(cmbxDefaultEncoding);
  HV_FIELD(chckbxIncludeUTF8SignatureBOM);
  HV_FIELD(chckbxRememberCaretPosition);
  HV_FIELD(chckbxWordWrap);
  HV_FIELD(chckbxShowNonprintingCharacters);
  HV_FIELD(chckbxScrollPastEndOfLine);
  HV_FIELD(chckbxTrimTrailingSpaces);
  HV_FIELD(chckbxAutoIndent);
  HV_FIELD(chckbxGroupUndo);
  HV_FIELD(chckbxHighlightMatchingBrackets);
  HV_FIELD(chckbxAutoCompleteBrackets);
  HV_FIELD(chckbxTabsToSpaces);
  HV_FIELD(spnedtTabWidth);
  HV_FIELD(chckbxGutter);
  HV_FIELD(chckbxShowLineNumbers);
  HV_FIELD(chckbxNumberAllLines);
  HV_FIELD(chckbxRightMargin);
  HV_FIELD(lblPosition);
  HV_FIELD(spnedtPosition);
  HV_FIELD(cmbxEditorFontName);
  HV_FIELD(cmbxEditorFontSize);
  HV_FIELD(cmbxCategory);
  HV_FIELD(pglstColors);
  HV_FIELD(clrbtnNormalTextBackground);
  HV_FIELD(clrbtnNormalTextForeground);
  HV_FIELD(clrbtnGutterBackground);
  HV_FIELD(clrbtnGutterForeground);
  HV_FIELD(clrbtnRightMarginBackground);
  HV_FIELD(clrbtnBracketsBackground);
  HV_FIELD(clrbtnSelectionBackground);
  HV_FIELD(clrbtnSelectionForeground);
  HV_FIELD(clrbtnCurrentLineBackground);
  HV_FIELD(clrbtnBookmarkLineBackground);
  HV_FIELD(clrbtnBookmarkLineForeground);
  HV_FIELD(lstbxCommands);
  HV_FIELD(btnEdit);
  HV_FIELD(spnedtNumberOfDocuments);
  HV_FIELD(btnClearList);
  HV_FIELD(cmbxCloseButton);
  HV_FIELD(pnlBanner);
  HV_FIELD(chckbxTextDocuments);
  HV_FIELD(chckbxSetupInformation);
  HV_FIELD(chckbxConfigurationSettings);
  HV_FIELD(chckbxLogFiles);
  HV_FIELD(chckbxOther);
  HV_FIELD(edtOther);
  HV_FIELD(chckbxRestoreFileAssociationsAtStartup);
  HV_FIELD(btnOK);
  HV_FIELD(btnCancel);
  HV_FIELD(actnlstPreferences);
  HV_FIELD(actnOK);
  HV_FIELD(actnCancel);
  HV_FIELD(actnEdit);
  HV_FIELD(actnClearList);
  HV_FIELD(mltstrnghldrPreferences);
  HV_FIELD(lngcntrlrPreferences);
#undef HV_FIELD
}

namespace {

// A number field's text, or the default when it does not parse.
int fieldNumber(TApSpinEdit* Field, int Default) { return StrToIntDef(WideToAnsi(Field->Text()), Default); }

constexpr int commandIndent = 14;

// The shortcut a command entry shows: the action's shortcut, and ", ..." when it has more (also
// after no first one: the entry still tells that keys run the command).
WideString entryShortcut(TBarCustomItem* Item) {
  TCustomAction* action = CommandAction(Item);
  if (!action) return WideString();
  WideString text = ShortCutToText(action->ShortCut());
  if (action->SecondaryShortCuts()->Count() > 0) text += L", ...";
  return text;
}

}  // namespace

int MenuDepth(TBarCustomItem* Item) {
  int depth = -1;
  for (TBarCustomItem* p = Item ? Item->Parent() : nullptr; p; p = p->Parent()) ++depth;
  return std::max(depth, 0);
}

TCommandEntryLayout CommandEntryLayout(TBarCustomItem* Item, const TRect& Rect, int TextHeight,
                                       const std::function<int(const WideString&)>& ShortcutWidth) {
  TCommandEntryLayout layout;
  const int left = Rect.Left + 4;
  const int middle = Rect.Top + (Rect.Height() - TextHeight) / 2;
  layout.CaptionRect = TRect{left, middle, Rect.Right, middle + TextHeight};
  if (!Item) return layout;
  if (CommandAction(Item)) {
    layout.CaptionRect.Left += commandIndent * MenuDepth(Item);
    layout.Shortcut = entryShortcut(Item);
    if (!layout.Shortcut.empty()) {
      const int right = Rect.Right - commandIndent;
      layout.ShortcutRect = TRect{right - ShortcutWidth(layout.Shortcut), middle, right, middle + TextHeight};
      layout.CaptionRect.Right = layout.ShortcutRect.Left;
    }
  } else if (MenuDepth(Item) > 0) {
    layout.CaptionRect.Left += commandIndent;
    layout.CaptionRect.Right = Rect.Right - 10;
    layout.Arrow = true;
    layout.ArrowAt = TPoint{Rect.Right - 8, Rect.Top + Rect.Height() / 2};
  }
  return layout;
}

WideString& TPreferencesForm::LanguagesFolder() {
  static WideString folder;
  return folder;
}

TPreferencesForm::TPreferencesForm(TComponent* AOwner, TDocumentHost* Host) : TForm(AOwner), host_(Host) {}

std::vector<std::pair<TNSApColorButton*, TColor*>> TPreferencesForm::ColorFields(TOptions& O) {
  return {{clrbtnNormalTextBackground, &O.NormalTextBackground},
          {clrbtnNormalTextForeground, &O.NormalTextForeground},
          {clrbtnGutterBackground, &O.GutterBackground},
          {clrbtnGutterForeground, &O.GutterForeground},
          {clrbtnRightMarginBackground, &O.RightMarginBackground},
          {clrbtnBracketsBackground, &O.BracketsBackground},
          {clrbtnSelectionBackground, &O.SelectionBackground},
          {clrbtnSelectionForeground, &O.SelectionForeground},
          {clrbtnCurrentLineBackground, &O.CurrentLineBackground},
          {clrbtnBookmarkLineBackground, &O.BookmarkLineBackground},
          {clrbtnBookmarkLineForeground, &O.BookmarkLineForeground}};
}

void TPreferencesForm::FormCreate(TObject*) {
  SetListItemHeight(lstbxPreferences);
  SetListItemHeight(lstbxCommands);
  // 1. The languages found, the current one selected.
  TLgLanguageManager& languages = LangManager();
  const WideString folder = LanguagesFolder().empty() ? AppPath(L"Languages\\") : LanguagesFolder();
  languages.ScanForLanguageFiles(folder, L"*.lng", false);
  for (int i = 0; i < languages.GetLanguageCount(); ++i) cmbxLanguage->Items()->Add(languages.GetLanguageNames(i));
  cmbxLanguage->SetItemIndex(languages.GetLanguageIndex());
  for (int size = 9; size <= 26; ++size) cmbxEditorFontSize->Items()->Add(std::to_wstring(size));
  for (int code = 0; code < 8; ++code)
    cmbxDefaultEncoding->Items()->Add(host_ ? host_->EncodingName(code) : WideString(1, L'0' + code));
  if (host_ && host_->CommandList()) {
    TStringList* commands = host_->CommandList();
    for (int i = 0; i < commands->Count(); ++i)
      if (auto* item = dynamic_cast<TBarCustomItem*>(commands->Objects(i)))
        lstbxCommands->Items()->AddObject(item->Caption(), item);
  }
  if (!::Options) return;
  TOptions& o = *::Options;
  // 2. The page shown last while the program runs.
  lstbxPreferences->SetItemIndex(std::clamp(o.PreferencesPage, 0, lstbxPreferences->Items()->Count() - 1));
  pglstPreferences->SetActivePageIndex(lstbxPreferences->ItemIndex());
  // 3. Every control from its option.
  chckbxOpenLastDocuments->SetChecked(o.OpenLastDocuments);
  chckbxCheckForUpdatesAtStartup->SetChecked(o.CheckForUpdatesAtStartup);
  cmbxDateAndTimeFormat->SetText(AnsiToWide(o.DateAndTimeFormat));
  cmbxDefaultEncoding->SetItemIndex(o.Encoding);
  chckbxIncludeUTF8SignatureBOM->SetChecked(o.IncludeUTF8SignatureBOM);
  chckbxRememberCaretPosition->SetChecked(o.RememberCaretPosition);
  chckbxWordWrap->SetChecked(o.WordWrap);
  chckbxShowNonprintingCharacters->SetChecked(o.ShowNonprintingCharacters);
  chckbxScrollPastEndOfLine->SetChecked(o.ScrollPastEndOfLine);
  chckbxTrimTrailingSpaces->SetChecked(o.TrimTrailingSpaces);
  chckbxAutoIndent->SetChecked(o.AutoIndent);
  chckbxGroupUndo->SetChecked(o.GroupUndo);
  chckbxHighlightMatchingBrackets->SetChecked(o.HighlightMatchingBrackets);
  chckbxAutoCompleteBrackets->SetChecked(o.AutoCompleteBrackets);
  chckbxTabsToSpaces->SetChecked(o.TabsToSpaces);
  spnedtTabWidth->SetValue(o.TabWidth);
  chckbxGutter->SetChecked(o.Gutter);
  chckbxShowLineNumbers->SetChecked(o.ShowLineNumbers);
  chckbxNumberAllLines->SetChecked(o.NumberAllLines);
  chckbxGutterClick(nullptr);
  if (o.RightMargin > 0) {
    chckbxRightMargin->SetChecked(true);
    spnedtPosition->SetValue(o.RightMargin);
  }
  chckbxRightMarginClick(nullptr);
  cmbxEditorFontName->Items()->Add(AnsiToWide(o.EditorFontName));
  cmbxEditorFontName->SetItemIndex(0);
  cmbxEditorFontSize->SetItemIndex(cmbxEditorFontSize->Items()->IndexOf(std::to_wstring(o.EditorFontSize)));
  spnedtNumberOfDocuments->SetValue(o.NumberOfDocuments);
  cmbxCloseButton->SetItemIndex(o.CloseButton);
  for (auto& [button, option] : ColorFields(o)) button->SetColor(*option);
  // 5. The colour category shown last.
  cmbxCategory->SetItemIndex(std::clamp(o.ColorCategory, 0, cmbxCategory->Items()->Count() - 1));
  cmbxCategoryClick(nullptr);
  // 6. The associations.
  FillIntegration();
}

void TPreferencesForm::FillIntegration() {
  TAssociationChoice fromForm;
  fromForm.OtherText = edtOther->Text();
  const TAssociationChoice choice = ReadAssociationChoice(*::Options, fromForm);
  chckbxTextDocuments->SetChecked(choice.Txt);
  chckbxSetupInformation->SetChecked(choice.Inf);
  chckbxConfigurationSettings->SetChecked(choice.Ini);
  chckbxLogFiles->SetChecked(choice.Log);
  chckbxOther->SetChecked(choice.Other);
  edtOther->SetText(choice.OtherText);
  chckbxRestoreFileAssociationsAtStartup->SetChecked(choice.RestoreAtStartUp);
  const bool admin = IsAdministrator();
  pnlBanner->SetVisible(!admin);
  for (TControl* c :
       std::initializer_list<TControl*>{chckbxTextDocuments, chckbxSetupInformation, chckbxConfigurationSettings,
                                        chckbxLogFiles, chckbxOther, edtOther, chckbxRestoreFileAssociationsAtStartup})
    c->SetEnabled(admin);
}

void TPreferencesForm::FormClose(TObject*, TCloseAction&) {
  if (!::Options) return;
  ::Options->PreferencesPage = pglstPreferences->GetActivePageIndex();
  ::Options->ColorCategory = pglstColors->GetActivePageIndex();
}

void TPreferencesForm::FormPaint(TObject*) { lstbxPreferences->Invalidate(); }

void TPreferencesForm::lstbxPreferencesClick(TObject*) {
  const int index = lstbxPreferences->ItemIndex();
  if (index >= 0 && index != pglstPreferences->GetActivePageIndex()) pglstPreferences->SetActivePageIndex(index);
}

void TPreferencesForm::lstbxPreferencesMouseMove(TObject*, TShiftState Shift, int, int) {
  // Dragging over the list turns the pages as the selection follows the mouse.
  if (Shift.Contains(ssLeft)) lstbxPreferencesClick(nullptr);
}

void TPreferencesForm::lstbxPreferencesDrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState) {
  TCanvas* canvas = lstbxPreferences->Canvas();
  canvas->Brush()->SetStyle(bsClear);
  TRect text{Rect.Left + 4, Rect.Top, Rect.Right, Rect.Bottom};
  canvas->DrawText(text, lstbxPreferences->Items()->Strings(Index),
                   DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (Index != 3) return;
  // The pages of the options themselves end with "Colors": an etched line sets them apart.
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnShadow);
  canvas->FillRect(TRect{Rect.Left, Rect.Bottom - 2, Rect.Right, Rect.Bottom - 1});
  canvas->Brush()->SetColor(clBtnHighlight);
  canvas->FillRect(TRect{Rect.Left, Rect.Bottom - 1, Rect.Right, Rect.Bottom});
}

void TPreferencesForm::chckbxRightMarginClick(TObject*) {
  lblPosition->SetEnabled(chckbxRightMargin->Checked());
  spnedtPosition->SetEnabled(chckbxRightMargin->Checked());
}

void TPreferencesForm::chckbxGutterClick(TObject*) {
  chckbxShowLineNumbers->SetEnabled(chckbxGutter->Checked());
  chckbxNumberAllLines->SetEnabled(chckbxGutter->Checked());
}

void TPreferencesForm::cmbxCategoryClick(TObject*) {
  const int index = cmbxCategory->ItemIndex();
  if (index >= 0 && index < pglstColors->GetPageCount()) pglstColors->SetActivePageIndex(index);
}

void TPreferencesForm::cmbxEditorFontNameDropDown(TObject*) {
  TStringsW* items = cmbxEditorFontName->Items();
  if (items->Count() != 1) return;
  const WideString current = items->Strings(0);
  const TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  TScopeExit cursor([&] { Screen->SetCursor(saved); });
  items->BeginUpdate();
  TScopeExit update([&] { items->EndUpdate(); });
  TStringsW* fonts = Screen->Fonts();
  for (int i = 0; i < fonts->Count(); ++i)
    if (IsMonospacedFont(fonts->Strings(i))) items->Add(fonts->Strings(i));
  if (items->Count() == 1) return;
  items->Delete(0);
  const int index = items->IndexOf(current);
  if (index >= 0) {
    cmbxEditorFontName->SetItemIndex(index);
  } else {
    items->Insert(0, current);
    cmbxEditorFontName->SetItemIndex(0);
  }
}

void TPreferencesForm::lstbxCommandsDrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState State) {
  TCanvas* canvas = lstbxCommands->Canvas();
  auto* item = dynamic_cast<TBarCustomItem*>(lstbxCommands->Items()->Objects(Index));
  const int height = canvas->TextHeight(WideString(L"Wg"));
  const TCommandEntryLayout layout =
      CommandEntryLayout(item, Rect, height, [&](const WideString& Text) { return canvas->TextWidth(Text); });
  canvas->Brush()->SetStyle(bsClear);
  TRect caption = layout.CaptionRect;
  // Captions keep their accelerators in the menu; here they are plain text.
  canvas->DrawText(caption, StripHotkey(lstbxCommands->Items()->Strings(Index)),
                   DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (!layout.Shortcut.empty()) {
    TRect keys = layout.ShortcutRect;
    canvas->DrawText(keys, layout.Shortcut, DT_SINGLELINE | DT_NOPREFIX | DT_RIGHT);
  }
  if (layout.Arrow)
    DrawSmallArrow(canvas->Handle(), layout.ArrowAt.X, layout.ArrowAt.Y, State.Contains(odSelected), false);
}

TBarCustomItem* TPreferencesForm::SelectedCommand() const {
  const int index = lstbxCommands->ItemIndex();
  if (index < 0 || index >= lstbxCommands->Items()->Count()) return nullptr;
  return dynamic_cast<TBarCustomItem*>(lstbxCommands->Items()->Objects(index));
}

void TPreferencesForm::actnEditUpdate(TObject*) { actnEdit->SetEnabled(CommandAction(SelectedCommand()) != nullptr); }

void TPreferencesForm::actnEditExecute(TObject*) {
  TBarCustomItem* item = SelectedCommand();
  if (!CommandAction(item) || !host_) return;
  // The shortcuts take effect at once, so their file is written at once too.
  if (ExecuteKeyboardShortcutsDialog(item, host_->CommandList())) host_->SaveSettings();
  lstbxCommands->Invalidate();
}

void TPreferencesForm::actnClearListUpdate(TObject*) {
  actnClearList->SetEnabled(host_ && host_->RecentDocumentCount() > 0);
}

void TPreferencesForm::actnClearListExecute(TObject*) {
  if (!host_) return;
  try {
    host_->ClearRecentDocuments();
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
}

bool TPreferencesForm::ApplyAssociations() {
  TAssociationChoice choice;
  choice.Txt = chckbxTextDocuments->Checked();
  choice.Inf = chckbxSetupInformation->Checked();
  choice.Ini = chckbxConfigurationSettings->Checked();
  choice.Log = chckbxLogFiles->Checked();
  choice.Other = chckbxOther->Checked();
  choice.OtherText = edtOther->Text();
  choice.RestoreAtStartUp = chckbxRestoreFileAssociationsAtStartup->Checked();
  return ApplyAssociationChoice(choice, *::Options);
}

void TPreferencesForm::ApplyLanguage() {
  TLgLanguageManager& languages = LangManager();
  const int index = std::max(cmbxLanguage->ItemIndex(), 0);
  if (index >= languages.GetLanguageCount()) return;
  const LANGID id = languages.GetLanguageIDs(index);
  ::Options->Language = id;
  if (id != languages.GetLanguageID()) languages.SetLanguageID(id);
}

void TPreferencesForm::actnOKExecute(TObject*) {
  TOptions& o = *::Options;
  const HWND window = host_ ? host_->WindowHandle() : nullptr;
  if (window) LockUpdate(window);
  TScopeExit unlock([] { LockUpdate(nullptr); });
  // 1. General options, the recent list's length and the close button.
  o.OpenLastDocuments = chckbxOpenLastDocuments->Checked();
  o.CheckForUpdatesAtStartup = chckbxCheckForUpdatesAtStartup->Checked();
  o.DateAndTimeFormat = WideToAnsi(cmbxDateAndTimeFormat->Text());
  if (cmbxDefaultEncoding->ItemIndex() >= 0) o.Encoding = TTextEncoding(cmbxDefaultEncoding->ItemIndex());
  o.IncludeUTF8SignatureBOM = chckbxIncludeUTF8SignatureBOM->Checked();
  o.RememberCaretPosition = chckbxRememberCaretPosition->Checked();
  o.NumberOfDocuments = std::clamp(fieldNumber(spnedtNumberOfDocuments, 15), 1, 25);
  if (cmbxCloseButton->ItemIndex() >= 0) o.CloseButton = static_cast<uint8_t>(cmbxCloseButton->ItemIndex());
  if (host_) host_->ApplyWindowOptions(o);
  // 2. Editing and display options and the colours.
  o.WordWrap = chckbxWordWrap->Checked();
  o.ShowNonprintingCharacters = chckbxShowNonprintingCharacters->Checked();
  o.ScrollPastEndOfLine = chckbxScrollPastEndOfLine->Checked();
  o.TrimTrailingSpaces = chckbxTrimTrailingSpaces->Checked();
  o.AutoIndent = chckbxAutoIndent->Checked();
  o.GroupUndo = chckbxGroupUndo->Checked();
  o.HighlightMatchingBrackets = chckbxHighlightMatchingBrackets->Checked();
  o.AutoCompleteBrackets = chckbxAutoCompleteBrackets->Checked();
  o.TabsToSpaces = chckbxTabsToSpaces->Checked();
  o.TabWidth = std::clamp(fieldNumber(spnedtTabWidth, 8), 1, 50);
  o.Gutter = chckbxGutter->Checked();
  o.ShowLineNumbers = chckbxShowLineNumbers->Checked();
  o.NumberAllLines = chckbxNumberAllLines->Checked();
  o.RightMargin = chckbxRightMargin->Checked() ? std::clamp(fieldNumber(spnedtPosition, 80), 1, 2048) : 0;
  // The font chosen in the list is taken only now, so that Cancel leaves it as it was.
  if (cmbxEditorFontName->ItemIndex() >= 0)
    o.EditorFontName = WideToAnsi(cmbxEditorFontName->Items()->Strings(cmbxEditorFontName->ItemIndex()));
  const int sizeIndex = cmbxEditorFontSize->ItemIndex();
  o.EditorFontSize = sizeIndex < 0 ? 10 : StrToIntDef(WideToAnsi(cmbxEditorFontSize->Items()->Strings(sizeIndex)), 10);
  for (auto& [button, option] : ColorFields(o)) *option = button->Color();
  // 3. Every open document's editor, then its printing.
  if (TDocumentList* documents = host_ ? host_->Documents() : nullptr)
    for (int i = 0; i < documents->Count(); ++i) {
      TDocument* document = documents->Documents(i);
      ApplyOptionsToEditor(document->Editor(), o);
      document->PreparePrinting(false);
    }
  // 4. The active document's editor takes the focus back.
  if (host_ && host_->ActiveInEditView() && window && IsWindowVisible(window)) {
    TTxtEdit* editor = host_->ActiveEditor();
    if (editor->CanFocus()) editor->SetFocus();
  }
  // 5 and 6. The associations and the start-up option. A refused registry write is told once
  // and stops nothing that follows.
  if (!ApplyAssociations()) ShowMessageBox(GetHolderText(mltstrnghldrPreferences, "sAssociationsFailed"), MB_ICONERROR);
  // 7. The language: every form takes it.
  ApplyLanguage();
  // 8. The command list follows the menu as it is now.
  if (host_) host_->BuildCommandList();
  // 9. Written now, not only at exit: a crash later loses none of it.
  if (host_) host_->SaveSettings();
  SetModalResult(mrOk);
}

void TPreferencesForm::actnCancelExecute(TObject*) { SetModalResult(mrCancel); }

bool ExecutePreferencesDialog(TDocumentHost* Host) {
  auto* form = New<TPreferencesForm>(nullptr, Host);
  TScopeExit free([&] { delete form; });
  return form->ShowModal() == mrOk;
}
