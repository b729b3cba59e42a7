// The customize dialog: its lists filled from the toolbar customizer, the drags between the
// list and the toolbars, and the display style of every toolbar.
#include "app/CustomizeFrm.h"

#include "app/DocumentHost.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "controls/SizeGripThemed.h"
#include "foundation/ApAppStorage.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/DragDrop.h"
#include "framework/ImageList.h"
#include "framework/ScopeGuards.h"
#include "themes/SkinControls.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinEditors.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"

HV_PUBLISH(TCustomizeForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.Method("FormShow", &T::FormShow);
  p.Method("FormClose", &T::FormClose);
  p.Method("FormPaint", &T::FormPaint);
  p.Method("lngcntrlrCustomizeLanguageChanged", &T::lngcntrlrCustomizeLanguageChanged);
  p.Method("lstbxCommandsDrawItem", &T::lstbxCommandsDrawItem);
  p.Method("lstbxCommandsStartDrag", &T::lstbxCommandsStartDrag);
  p.Method("lstbxCommandsEndDrag", &T::lstbxCommandsEndDrag);
  p.Method("lstbxCommandsDragOver", &T::lstbxCommandsDragOver);
  p.Method("lstbxCommandsDragDrop", &T::lstbxCommandsDragDrop);
  p.Method("cmbxStyleClick", &T::cmbxStyleClick);
  p.Method("actnCloseExecute", &T::actnCloseExecute);
  p.ComponentField("lblText", &T::lblText);
  p.ComponentField("lstbxCommands", &T::lstbxCommands);
  p.ComponentField("lblStyle", &T::lblStyle);
  p.ComponentField("cmbxStyle", &T::cmbxStyle);
  p.ComponentField("btnClose", &T::btnClose);
  p.ComponentField("szgrpthmdCustomize", &T::szgrpthmdCustomize);
  p.ComponentField("actnlstCustomize", &T::actnlstCustomize);
  p.ComponentField("actnClose", &T::actnClose);
  p.ComponentField("mltstrnghldrCustomize", &T::mltstrnghldrCustomize);
  p.ComponentField("lngcntrlrCustomize", &T::lngcntrlrCustomize);
}

namespace {

const wchar_t* const separatorEntry = L"--[Separator]--";

TCustomizeForm* theDialog = nullptr;

bool isSeparator(TBarCustomItem* Item) { return dynamic_cast<TBarSeparatorItem*>(Item) != nullptr; }

// The list's drag object: an item drag the toolbars accept, which tells the list how it ended
// (the framework tells a source control only of drags of the control itself).
class TCustomizeDragObject : public TSkinItemDragObject {
 public:
  TCustomizeDragObject(TCustomizeForm* Form, TBarCustomItem* Item) : TSkinItemDragObject(nullptr, Item), form_(Form) {}
  void Finished(TObject* Target, int X, int Y, bool Accepted) override {
    TSkinItemDragObject::Finished(Target, X, Y, Accepted);
    form_->lstbxCommandsEndDrag(form_->lstbxCommands, Target, X, Y);
  }

 private:
  TCustomizeForm* form_;
};

}  // namespace

std::function<void(const WideString&)>& TCustomizeForm::DebugOutput() {
  static std::function<void(const WideString&)> output = [](const WideString& Line) {
    OutputDebugStringW(Line.c_str());
  };
  return output;
}

TCustomizeForm::TCustomizeForm(TComponent* AOwner, TSkinCustomizer* Customizer)
    : TForm(AOwner),
      customizer_(Customizer),
      commands_(std::make_unique<TStringListW>()),
      separators_(std::make_unique<TStringListW>()),
      toolbars_(std::make_unique<TStringListW>()) {
  if (customizer_) customizer_->FreeNotification(this);
}

TCustomizeForm::~TCustomizeForm() {
  SetCustomizing(false);
  if (theDialog == this) theDialog = nullptr;
}

TComponent* TCustomizeForm::MainWindow() const { return customizer_ ? customizer_->Owner() : nullptr; }

void TCustomizeForm::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == customizer_) {
    // Its items go with it: nothing listed may be reached any more.
    SetCustomizing(false);
    customizer_ = nullptr;
    commands_->Clear();
    separators_->Clear();
    toolbars_->Clear();
    if (lstbxCommands) lstbxCommands->Items()->Clear();
    return;
  }
  const int toolbar = toolbars_->IndexOfObject(AComponent);
  if (toolbar >= 0) toolbars_->Delete(toolbar);
}

void TCustomizeForm::Debug(const char* What, TBarCustomItem* Item) {
  if (DebugOutput()) DebugOutput()(AnsiToWide(What) + TSkinCustomizer::GetItemDisplayCaption(Item));
}

void TCustomizeForm::FillLists() {
  commands_->Clear();
  separators_->Clear();
  for (int i = 0; i < toolbars_->Count(); ++i)
    if (auto* c = dynamic_cast<TComponent*>(toolbars_->Objects(i))) c->RemoveFreeNotification(this);
  toolbars_->Clear();
  if (!lstbxCommands) return;
  if (customizer_ && customizer_->Images()) lstbxCommands->SetItemHeight(customizer_->Images()->Height() + 4);
  commands_->AddObject(separatorEntry, nullptr);
  if (customizer_) {
    TBarRootItem* pool = customizer_->Items();
    for (int i = 0; i < pool->Count(); ++i) {
      TBarCustomItem* item = pool->Items(i);
      (isSeparator(item) ? separators_ : commands_)->AddObject(TSkinCustomizer::GetItemDisplayCaption(item), item);
    }
  }
  if (TComponent* main = MainWindow())
    for (int i = 0; i < main->ComponentCount(); ++i)
      if (IsCustomizableToolbar(main->Components(i))) {
        auto* toolbar = static_cast<TSkinToolbar*>(main->Components(i));
        toolbars_->AddObject(toolbar->Caption(), toolbar);
        toolbar->FreeNotification(this);
      }
  if (cmbxStyle && toolbars_->Count() > 0) {
    const int mode = ToolbarDisplayMode(static_cast<TComponent*>(toolbars_->Objects(0)));
    cmbxStyle->SetItemIndex(mode < cmbxStyle->Items()->Count() ? mode : -1);
  }
  lstbxCommands->Items()->Assign(commands_.get());
  lstbxCommands->SetItemIndex(0);
}

void TCustomizeForm::FormCreate(TObject*) {
  if (szgrpthmdCustomize) szgrpthmdCustomize->SetTargetControl(this);
  FillLists();
  // The main window's storage keeps the file: a copy of its own would write back, when it went,
  // what the file held when the dialog opened.
  auto* host = dynamic_cast<TDocumentHost*>(MainWindow());
  TApCustomAppStorage* storage = host ? host->SettingsStorage() : nullptr;
  if (!storage) return;
  placement_ = new TApFormStorage(this);
  placement_->SetAppStorage(storage);
  placement_->SetAppStoragePath("CustomizeForm\\");
  placement_->SetOptions({fpSize, fpLocation});
  // Placed once by the user, the dialog comes back there rather than centred again.
  if (!ReadPositionString(storage, "CustomizeForm\\NormPos").empty()) {
    SetPosition(poDesigned);
    placement_->RestoreFormPlacement();
  }
}

void TCustomizeForm::SetCustomizing(bool On) {
  if (On == customizing_) return;
  customizing_ = On;
  TComponent* main = MainWindow();
  if (!main) return;
  for (int i = 0; i < main->ComponentCount(); ++i)
    if (auto* toolbar = dynamic_cast<TSkinToolbar*>(main->Components(i)))
      On ? toolbar->BeginCustomize() : toolbar->EndCustomize();
}

void TCustomizeForm::FormShow(TObject*) { SetCustomizing(true); }

void TCustomizeForm::FormClose(TObject*, TCloseAction&) {
  SetCustomizing(false);
  if (placement_) {
    try {
      placement_->SaveFormPlacement();
    } catch (const Exception&) {
      // A settings file that refuses the write costs the dialog's place, nothing more.
    }
  }
  // The toolbars as customized are written now, not only at exit.
  if (auto* host = dynamic_cast<TDocumentHost*>(MainWindow())) host->SaveSettings();
}

void TCustomizeForm::FormPaint(TObject*) {
  if (lstbxCommands) lstbxCommands->Invalidate();
}

void TCustomizeForm::lngcntrlrCustomizeLanguageChanged(TLgLanguageController*) { FillLists(); }

void TCustomizeForm::lstbxCommandsDrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState State) {
  TCanvas* canvas = lstbxCommands->Canvas();
  auto* item = dynamic_cast<TBarCustomItem*>(lstbxCommands->Items()->Objects(Index));
  int x = Rect.Left + 2;
  if (item && item->ImageIndex() >= 0) {
    TCustomImageList* images = item->Images() ? item->Images() : (customizer_ ? customizer_->Images() : nullptr);
    if (images) images->Draw(canvas, x, Rect.Top + (Rect.Height() - images->Height()) / 2, item->ImageIndex(), true);
    x += Rect.Height();
  }
  const WideString text =
      Index == 0 ? GetHolderText(mltstrnghldrCustomize, "sSeparator") : lstbxCommands->Items()->Strings(Index);
  canvas->Brush()->SetStyle(bsClear);
  TRect r{x, Rect.Top, Rect.Right - 2, Rect.Bottom};
  canvas->DrawText(r, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (dynamic_cast<TSkinSubmenuItem*>(item)) {
    const int width = std::min(canvas->TextWidth(text), static_cast<int>(r.Width()));
    DrawSmallArrow(canvas->Handle(), x + width + 6, Rect.Top + Rect.Height() / 2, State.Contains(odSelected), true);
  }
}

TBarCustomItem* TCustomizeForm::ItemForEntry(int Index) {
  TStringsW* entries = lstbxCommands->Items();
  if (Index < 0 || Index >= entries->Count()) return nullptr;
  if (Index > 0) return dynamic_cast<TBarCustomItem*>(entries->Objects(Index));
  if (separators_->Count() == 0 && customizer_) {
    TBarCustomItem* separator = customizer_->NewUniqueSeparatorItem();
    customizer_->Items()->Add(separator);
    separators_->AddObject(TSkinCustomizer::GetItemDisplayCaption(separator), separator);
  }
  return separators_->Count() > 0 ? static_cast<TBarCustomItem*>(separators_->Objects(0)) : nullptr;
}

void TCustomizeForm::lstbxCommandsStartDrag(TObject*, TDragObject*& DragObject) {
  ChooseEntryUnderMouse(lstbxCommands);
  draggedEntry_ = lstbxCommands->ItemIndex();
  dragged_ = ItemForEntry(draggedEntry_);
  if (!dragged_) {
    draggedEntry_ = -1;
    return;
  }
  dragObject_ = std::make_unique<TCustomizeDragObject>(this, dragged_);
  DragObject = dragObject_.get();
  Debug("Start ", dragged_);
}

void TCustomizeForm::lstbxCommandsEndDrag(TObject*, TObject* Target, int, int) {
  TBarCustomItem* item = dragged_;
  const int entry = draggedEntry_;
  dragged_ = nullptr;
  draggedEntry_ = -1;
  if (!item) return;
  Debug("End ", item);
  // Only an item that really went to a toolbar leaves the list; a refused drop keeps it.
  const bool left = customizer_ && item->Parent() != customizer_->Items();
  if (Target && Target != lstbxCommands && left) {
    if (entry == 0) {
      const int at = separators_->IndexOfObject(item);
      if (at >= 0) separators_->Delete(at);
    } else if (entry > 0 && entry < lstbxCommands->Items()->Count() && lstbxCommands->Items()->Objects(entry) == item) {
      lstbxCommands->Items()->Delete(entry);
      const int at = commands_->IndexOfObject(item);
      if (at >= 0) commands_->Delete(at);
    }
  }
  // The object stays until the framework is done with it; the next drag replaces it.
}

void TCustomizeForm::lstbxCommandsDragOver(TObject*, TObject* Source, int, int, TDragState, bool& Accept) {
  Accept = dynamic_cast<TSkinItemDragObject*>(Source) != nullptr;
}

void TCustomizeForm::lstbxCommandsDragDrop(TObject*, TObject* Source, int, int) {
  auto* drag = dynamic_cast<TSkinItemDragObject*>(Source);
  if (!drag || !drag->SourceToolbar() || !customizer_) return;
  TBarCustomItem* item = drag->SourceItem();
  if (!item) return;
  if (item->Parent()) item->Parent()->Remove(item);
  customizer_->Items()->Add(item);
  const WideString caption = TSkinCustomizer::GetItemDisplayCaption(item);
  if (isSeparator(item)) {
    separators_->InsertObject(0, caption, item);
  } else {
    commands_->AddObject(caption, item);
    lstbxCommands->Items()->AddObject(caption, item);
  }
  Debug("Dropped ", item);
}

void TCustomizeForm::cmbxStyleClick(TObject*) {
  const int mode = cmbxStyle->ItemIndex();
  if (mode < 0) return;
  auto* main = dynamic_cast<TWinControl*>(MainWindow());
  if (main && main->HandleAllocated()) LockUpdate(main->Handle());
  TScopeExit unlock([&] {
    if (main && main->HandleAllocated()) LockUpdate(nullptr);
  });
  for (int i = 0; i < toolbars_->Count(); ++i)
    SetToolbarDisplayMode(static_cast<TComponent*>(toolbars_->Objects(i)), mode);
}

void TCustomizeForm::actnCloseExecute(TObject*) { Close(); }

TCustomizeForm* CustomizeDialog() { return theDialog; }

TCustomizeForm* ShowCustomizeDialog(TSkinCustomizer* Customizer) {
  if (!Customizer) return nullptr;
  if (theDialog && theDialog->Customizer() != Customizer) {
    Free(theDialog);
    theDialog = nullptr;
  }
  if (!theDialog) theDialog = New<TCustomizeForm>(Customizer->Owner(), Customizer);
  theDialog->Show();
  return theDialog;
}
