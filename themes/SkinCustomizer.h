// The toolbar customizer: spare commands, and the layout file that records which command sits on
// which toolbar, where the toolbars are, their display mode, the theme and the main form's place.
#pragma once

#include <memory>
#include <vector>

#include "foundation/UcStringLists.h"
#include "framework/Forms.h"
#include "framework/IniFiles.h"
#include "framework/StringLists.h"
#include "toolbars/BarToolbar.h"

class TSkinCustomizer;
class TSkinCustomCustomizeForm;
class TUiDispatcher;

extern const char* const SCustomizerNeedsForm;      // dropped on something but a form or frame
extern const char* const SCustomizerAlreadyExists;  // a second customizer on one owner
// Names of separators the user placed start with this text.
extern const char* const CustomizerSeparatorPrefix;
extern const char* const CustomizerLastLayout;

// Makes the customize dialog of a customizer.
using TSkinCustomizeFormClass = TSkinCustomCustomizeForm* (*)(TComponent* AOwner);
using TSkinGetCustomizeFormClassEvent = TEvent<void(TObject* Sender, TSkinCustomizeFormClass& CustomizeFormClass)>;
using TSkinExtraOptionsEvent = TEvent<void(TObject* Sender, TStringList* ExtraOptions)>;
using TSkinLayoutExtraOptionsEvent =
    TEvent<void(TObject* Sender, const AnsiString& LayoutName, TStringList* ExtraOptions)>;
using TSkinIconOptionsChangeEvent = TEvent<void(TObject* Sender, TBarCustomToolbar* Toolbar, bool UseSmallImages)>;
using TSkinAcceptItemEvent = TEvent<void(TObject* Sender, TBarCustomItem* AItem, bool& Accept)>;

// The commands of a menu bar that may take a shortcut: display captions, with the items as objects.
class TSkinMenuBarShortcuts : public TUcStringList {
  HV_CLASS(TSkinMenuBarShortcuts, TUcStringList)
 public:
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& Value) { name_ = Value; }
  TBarCustomItem* Item(int Index) const { return static_cast<TBarCustomItem*>(Objects(Index)); }

 private:
  AnsiString name_;
};

// Keeps the application's shortcuts quiet while a customize dialog is open.
class TShortCutsProcessor : public TObject {
  HV_CLASS(TShortCutsProcessor, TObject)
 public:
  TShortCutsProcessor();
  ~TShortCutsProcessor() override;
  bool Active() const { return active_; }
  void SetActive(bool Value) { active_ = Value; }

 private:
  bool Hook(TMessage& Message);
  bool active_ = false;
  bool hooked_ = false;
};

TShortCutsProcessor* ShortCutsProcessor();

// ---- the layout file's lists ----

// Writes Strings as the numbered list section: every key of the section goes first, then
// "Count" and "0".."Count-1" when there are entries.
void WriteNumberedList(TCustomIniFile* Ini, const AnsiString& Section, TStrings* Strings);
// Reads a numbered list into Strings (cleared first). A count larger than the keys the section
// holds reads only those that can exist, so a damaged count never runs away.
void ReadNumberedList(TCustomIniFile* Ini, const AnsiString& Section, TStrings* Strings);

// ---- toolbars the customizer works with ----

// A skinned toolbar whose commands the user may rearrange.
bool IsCustomizableToolbar(TComponent* AComponent);
// The display mode of a skinned toolbar (0 selective caption, 1 image only, 2 image above
// caption, 3 text only), -1 for other toolbars; modes outside 0..3 are not set.
int ToolbarDisplayMode(TComponent* Toolbar);
void SetToolbarDisplayMode(TComponent* Toolbar, int Value);

class TSkinCustomizer : public TComponent, public IBarItemsHolder {
  HV_CLASS(TSkinCustomizer, TComponent)
 public:
  // Raises EInvalidOperation when AOwner is no form or frame, or already holds a customizer.
  explicit TSkinCustomizer(TComponent* AOwner);
  ~TSkinCustomizer() override;

  TStringList* Layouts() const { return layouts_.get(); }
  // The spare commands.
  TBarRootItem* Items() const { return items_.get(); }
  TCustomImageList* Images() const { return items_->SubMenuImages(); }
  void SetImages(TCustomImageList* Value) { items_->SetSubMenuImages(Value); }
  TBarCustomToolbar* MenuBar() const { return menuBar_; }
  void SetMenuBar(TBarCustomToolbar* Value);
  bool SaveFormState() const { return saveFormState_; }
  void SetSaveFormState(bool Value) { saveFormState_ = Value; }
  TSkinCustomCustomizeForm* CustomizeForm() const { return form_; }
  bool Showing() const { return showing_; }

  // A missing file changes nothing; a damaged one loads what can be read.
  void LoadFromFile(const WideString& FileName, bool LoadLastLayout);
  // Sections of other owners in the file stay; the file is replaced only once the new text is
  // written beside it.
  void SaveToFile(const WideString& FileName);
  void Load(TStrings* Lines, bool LoadLastLayout);
  void Save(TStrings* Lines);
  // Applies the named layout of the lines, when "Layouts" lists it.
  void LoadLayout(TStrings* Lines, const AnsiString& LayoutName);
  void SaveLayout(TCustomIniFile* Ini, const AnsiString& LayoutName);

  // The text of an item in customize lists: its caption up to the first tab, accelerators
  // removed (a doubled "&" stays one); a separator shows its Name.
  static WideString GetItemDisplayCaption(TBarCustomItem* AItem);
  // A separator with a Name no component of the owner has, added to nothing.
  TBarCustomItem* NewUniqueSeparatorItem();
  // The commands of the menu bar that may take a shortcut.
  void GetShortcutsList(TSkinMenuBarShortcuts* List);
  // Toolbars whose commands take part: the owner's customizable toolbars, in component order.
  std::vector<TBarCustomToolbar*> CustomizableToolbars() const;

  // Form files hold the spare commands inside the customizer, as toolbars hold theirs: an item
  // read there joins the spare commands, and the spare commands the form owns are written there.
  TBarCustomItem* GetItems() override { return items_.get(); }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  void Show();
  void Close();

  virtual bool DoGetShortcutsList(TBarCustomItem* AItem);
  virtual void DoIconOptionsChange(TBarCustomToolbar* Toolbar, bool UseSmallImages);
  virtual void DoLoad(TStringList* ExtraOptions);
  virtual void DoSave(TStringList* ExtraOptions);
  virtual void DoLayoutLoad(const AnsiString& LayoutName, TStringList* ExtraOptions);
  virtual void DoLayoutSave(const AnsiString& LayoutName, TStringList* ExtraOptions);
  virtual void DoThemeChange();
  virtual TSkinCustomizeFormClass GetCustomizeFormClass();
  virtual void SetupForm(TSkinCustomCustomizeForm* AForm);

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
  TSkinGetCustomizeFormClassEvent OnGetCustomizeForm;
  TSkinAcceptItemEvent OnGetShortcutsList;
  TSkinExtraOptionsEvent OnLoad;
  TSkinExtraOptionsEvent OnSave;
  TSkinLayoutExtraOptionsEvent OnLayoutLoad;
  TSkinLayoutExtraOptionsEvent OnLayoutSave;
  TSkinIconOptionsChangeEvent OnIconOptionsChange;
  TNotifyEvent OnThemeChange;

  // The dialog class used when nothing else is asked for; set by the unit of the default dialog.
  static TSkinCustomizeFormClass DefaultCustomizeFormClass;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TSkinCustomCustomizeForm;
  TCustomForm* PlacementForm() const;
  void LoadLayoutFrom(TCustomIniFile* Ini, const AnsiString& LayoutName);
  void ApplyItems(TStrings* Lines);
  void ApplyPlacement(TStringList* Extra);
  void AddPlacement(TStringList* Extra);
  TBarCustomItem* SeparatorNamed(const AnsiString& AName);
  void FormClosed(bool FormGoing);
  void CollectShortcuts();

  std::unique_ptr<TStringList> layouts_;
  std::unique_ptr<TBarRootItem> items_;
  TSkinCustomCustomizeForm* form_ = nullptr;
  TBarCustomToolbar* menuBar_ = nullptr;
  bool showing_ = false;
  bool saveFormState_ = true;
  std::unique_ptr<TUiDispatcher> themeListener_;
};

// The base of customize dialogs: the lists it shows are filled before it appears.
class TSkinCustomCustomizeForm : public TForm {
  HV_CLASS(TSkinCustomCustomizeForm, TForm)
 public:
  explicit TSkinCustomCustomizeForm(TComponent* AOwner);
  TSkinCustomCustomizeForm(TComponent* AOwner, TCreateNew);
  ~TSkinCustomCustomizeForm() override;

  TSkinCustomizer* Customizer() const { return customizer_; }
  void SetCustomizer(TSkinCustomizer* Value) { customizer_ = Value; }
  bool Embedded() const { return embedded_; }
  void SetEmbedded(bool Value) { embedded_ = Value; }
  // Toolbars (caption, toolbar), commands ("--[Separator]--" first, then every spare command
  // but separators), the menu bar's shortcut list and the spare separators.
  TStringListW* ToolbarsList() const { return toolbars_.get(); }
  TStringListW* CommandsList() const { return commands_.get(); }
  TSkinMenuBarShortcuts* ShortcutsList() const { return shortcuts_.get(); }
  TList* SeparatorsList() const { return separators_.get(); }
  // Fills the four lists from the customizer.
  void FillLists();

  virtual void DoFillCommands(TStringListW* /*Toolbars*/, TStringListW* /*Commands*/,
                              TSkinMenuBarShortcuts* /*Shortcuts*/) {}
  virtual void DoIconOptionsChange(bool UseSmallImages);
  virtual void DoThemeChange() {}

 protected:
  void DoShow() override;
  void DoClose(TCloseAction& Action) override;

 private:
  void Init();
  bool embedded_ = false;
  TSkinCustomizer* customizer_ = nullptr;
  std::unique_ptr<TStringListW> toolbars_;
  std::unique_ptr<TStringListW> commands_;
  std::unique_ptr<TSkinMenuBarShortcuts> shortcuts_;
  std::unique_ptr<TList> separators_;
};
