// The toolbar customizer and its layout file "Toolbars.ini": numbered lists, the items of the
// customizable toolbars, layouts with toolbar positions and display mode, theme and placement.
#include "themes/SkinCustomizer.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "framework/Application.h"
#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "framework/FileRoutines.h"
#include "framework/Menus.h"
#include "framework/Mnemonics.h"
#include "framework/ScopeGuards.h"
#include "framework/StrRoutines.h"
#include "themes/SkinToolbar.h"
#include "themes/Ui.h"
#include "themes/UiDkPanels.h"

HV_PUBLISH(TSkinMenuBarShortcuts) {}
HV_PUBLISH(TShortCutsProcessor) {}
HV_PUBLISH(TSkinCustomizer) {
  p.Prop("MenuBar", &T::MenuBar, &T::SetMenuBar);
  p.Prop("Images", &T::Images, &T::SetImages);
  p.Prop("SaveFormState", &T::SaveFormState, &T::SetSaveFormState).Default(true);
  p.Event("OnShow", &T::OnShow);
  p.Event("OnClose", &T::OnClose);
  p.Event("OnGetCustomizeForm", &T::OnGetCustomizeForm);
  p.Event("OnGetShortcutsList", &T::OnGetShortcutsList);
  p.Event("OnLoad", &T::OnLoad);
  p.Event("OnSave", &T::OnSave);
  p.Event("OnLayoutLoad", &T::OnLayoutLoad);
  p.Event("OnLayoutSave", &T::OnLayoutSave);
  p.Event("OnIconOptionsChange", &T::OnIconOptionsChange);
  p.Event("OnThemeChange", &T::OnThemeChange);
}
HV_PUBLISH(TSkinCustomCustomizeForm) {}

const char* const SCustomizerNeedsForm = "TSkinCustomizer must be dropped only on a Form or on a Frame";
const char* const SCustomizerAlreadyExists = "There's already another instance of TSkinCustomizer";
const char* const CustomizerSeparatorPrefix = "CustomizerUniqueSeparator";
const char* const CustomizerLastLayout = "LastLayout";

TSkinCustomizeFormClass TSkinCustomizer::DefaultCustomizeFormClass = nullptr;

namespace {

// The customizer's bridge to a theme change: theme listeners are receivers, not components.
class TCustomizerThemeListener : public TUiDispatcher {
  HV_CLASS(TCustomizerThemeListener, TUiDispatcher)
 public:
  explicit TCustomizerThemeListener(TSkinCustomizer* ACustomizer = nullptr) : customizer_(ACustomizer) {}
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == UM_THEMECHANGE && Message.WParam == 3 && customizer_) customizer_->DoThemeChange();
  }

 private:
  TSkinCustomizer* customizer_;
};

// Position values of one layout: the section of a toolbar is the layout's prefix and its Name.
struct TPositionSections {
  TCustomIniFile* Ini;
  AnsiString Prefix;
  static TPositionSections& Of(void* P) { return *static_cast<TPositionSections*>(P); }
  static void WriteInt(const std::string& T, const std::string& V, int D, void* P) {
    Of(P).Ini->WriteInteger(Of(P).Prefix + T, V, D);
  }
  static void WriteStr(const std::string& T, const std::string& V, const std::string& D, void* P) {
    Of(P).Ini->WriteString(Of(P).Prefix + T, V, D);
  }
  static int ReadInt(const std::string& T, const std::string& V, int Default, void* P) {
    return Of(P).Ini->ReadInteger(Of(P).Prefix + T, V, Default);
  }
  static std::string ReadStr(const std::string& T, const std::string& V, const std::string& Default, void* P) {
    return Of(P).Ini->ReadString(Of(P).Prefix + T, V, Default);
  }
};

// "%d, %d, %d, %d" as Left, Top, Width, Height: exactly four fields, each 0 when not a number.
bool parseBounds(const AnsiString& Text, TRect& R) {
  std::vector<AnsiString> fields;
  size_t start = 0;
  for (;;) {
    size_t comma = Text.find(',', start);
    fields.push_back(Trim(Text.substr(start, comma == AnsiString::npos ? AnsiString::npos : comma - start)));
    if (comma == AnsiString::npos) break;
    start = comma + 1;
  }
  if (fields.size() != 4) return false;
  int v[4];
  for (int i = 0; i < 4; ++i) v[i] = StrToIntDef(fields[i], 0);
  R = Bounds(v[0], v[1], v[2], v[3]);
  return true;
}

AnsiString boundsText(int Left, int Top, int Width, int Height) {
  return IntToStr(Left) + ", " + IntToStr(Top) + ", " + IntToStr(Width) + ", " + IntToStr(Height);
}

}  // namespace

HV_PUBLISH(TCustomizerThemeListener) {}

// ---- the shortcut blocker ----

TShortCutsProcessor::TShortCutsProcessor() {
  if (Application) {
    Application->HookMainWindow(TWindowHook(this, &TShortCutsProcessor::Hook));
    hooked_ = true;
  }
}

TShortCutsProcessor::~TShortCutsProcessor() {
  if (hooked_ && Application) Application->UnhookMainWindow(TWindowHook(this, &TShortCutsProcessor::Hook));
}

bool TShortCutsProcessor::Hook(TMessage& Message) {
  if (!active_ || (Message.Msg != CM_APPKEYDOWN && Message.Msg != CM_APPSYSCOMMAND)) return false;
  Message.Result = 0;
  return true;
}

TShortCutsProcessor* ShortCutsProcessor() {
  static std::unique_ptr<TShortCutsProcessor> processor;
  if (!processor) processor = std::make_unique<TShortCutsProcessor>();
  return processor.get();
}

// ---- numbered lists ----

void WriteNumberedList(TCustomIniFile* Ini, const AnsiString& Section, TStrings* Strings) {
  TStringList keys;
  Ini->ReadSection(Section, &keys);
  for (int i = 0; i < keys.Count(); ++i) Ini->DeleteKey(Section, keys[i]);
  if (Strings->Count() == 0) return;
  Ini->WriteInteger(Section, "Count", Strings->Count());
  for (int i = 0; i < Strings->Count(); ++i) Ini->WriteString(Section, IntToStr(i), Strings->Strings(i));
}

void ReadNumberedList(TCustomIniFile* Ini, const AnsiString& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  TScopeExit end([Strings] { Strings->EndUpdate(); });
  Strings->Clear();
  int count = Ini->ReadInteger(Section, "Count", -1);
  TStringList keys;
  Ini->ReadSection(Section, &keys);
  count = std::min(count, keys.Count());
  for (int i = 0; i < count; ++i) Strings->Add(Ini->ReadString(Section, IntToStr(i), AnsiString()));
}

// ---- toolbars ----

bool IsCustomizableToolbar(TComponent* AComponent) {
  auto* toolbar = dynamic_cast<TSkinToolbar*>(AComponent);
  return toolbar && toolbar->Customizable();
}

int ToolbarDisplayMode(TComponent* Toolbar) {
  auto* toolbar = dynamic_cast<TSkinToolbar*>(Toolbar);
  return toolbar ? static_cast<int>(toolbar->DisplayMode()) : -1;
}

void SetToolbarDisplayMode(TComponent* Toolbar, int Value) {
  auto* toolbar = dynamic_cast<TSkinToolbar*>(Toolbar);
  if (toolbar && Value >= 0 && Value <= static_cast<int>(tbdmTextOnly))
    toolbar->SetDisplayMode(static_cast<TSkinToolbarDisplayMode>(Value));
}

// ---- the customizer ----

TSkinCustomizer::TSkinCustomizer(TComponent* AOwner)
    : TComponent(AOwner), layouts_(std::make_unique<TStringList>()), items_(std::make_unique<TBarRootItem>(nullptr)) {
  if (!dynamic_cast<TCustomForm*>(AOwner) && !dynamic_cast<TCustomFrame*>(AOwner))
    throw EInvalidOperation(SCustomizerNeedsForm);
  for (int i = 0; i < AOwner->ComponentCount(); ++i)
    if (AOwner->Components(i) != this && dynamic_cast<TSkinCustomizer*>(AOwner->Components(i)))
      throw EInvalidOperation(SCustomizerAlreadyExists);
  items_->SetParentComponentLink(this);
  themeListener_ = std::make_unique<TCustomizerThemeListener>(this);
  RegisterThemeListener(themeListener_.get());
}

TSkinCustomizer::~TSkinCustomizer() {
  Destroying();
  if (themeListener_) UnregisterThemeListener(themeListener_.get());
  if (form_) {
    form_->SetCustomizer(nullptr);
    form_->RemoveFreeNotification(this);
  }
  if (menuBar_) menuBar_->RemoveFreeNotification(this);
}

void TSkinCustomizer::SetMenuBar(TBarCustomToolbar* Value) {
  if (menuBar_ == Value) return;
  if (menuBar_) menuBar_->RemoveFreeNotification(this);
  menuBar_ = Value;
  if (menuBar_) menuBar_->FreeNotification(this);
}

void TSkinCustomizer::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == menuBar_) menuBar_ = nullptr;
  if (AComponent == form_) FormClosed(true);
}

std::vector<TBarCustomToolbar*> TSkinCustomizer::CustomizableToolbars() const {
  std::vector<TBarCustomToolbar*> result;
  if (!Owner()) return result;
  for (int i = 0; i < Owner()->ComponentCount(); ++i)
    if (IsCustomizableToolbar(Owner()->Components(i)))
      result.push_back(static_cast<TBarCustomToolbar*>(Owner()->Components(i)));
  return result;
}

void TSkinCustomizer::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  // A spare command the form does not own (made at run time by another owner) is no part of it.
  for (int i = 0; i < items_->Count(); ++i)
    if (items_->Items(i)->Owner() == Root) Proc(items_->Items(i));
}

WideString TSkinCustomizer::GetItemDisplayCaption(TBarCustomItem* AItem) {
  if (!AItem) return WideString();
  WideString text;
  if (dynamic_cast<TBarSeparatorItem*>(AItem))
    text = AnsiToWide(AItem->Name());
  else if (auto* skin = dynamic_cast<TSkinCustomItem*>(AItem))
    text = skin->Caption();
  else
    text = AItem->Caption();
  if (size_t tab = text.find(L'\t'); tab != WideString::npos) text.resize(tab);
  // "Save && Exit" shows "Save & Exit", as menus show it.
  return StripAccelChars(text);
}

TBarCustomItem* TSkinCustomizer::NewUniqueSeparatorItem() {
  AnsiString stamp = FormatDateTime("yyyymmddhhnnsszzz", Now());
  long long number = std::stoll(stamp);
  // Two separators made in one clock tick would share the time: take the next free number.
  AnsiString name;
  do {
    name = CustomizerSeparatorPrefix + IntToStr(number++);
  } while (Owner()->FindComponent(name));
  return SeparatorNamed(name);
}

TBarCustomItem* TSkinCustomizer::SeparatorNamed(const AnsiString& AName) {
  if (!IsValidIdent(AName)) return nullptr;
  if (TComponent* existing = Owner()->FindComponent(AName)) return dynamic_cast<TBarSeparatorItem*>(existing);
  auto* item = new TSkinSeparatorItem(Owner());
  item->SetName(AName);
  return item;
}

void TSkinCustomizer::GetShortcutsList(TSkinMenuBarShortcuts* List) {
  List->Clear();
  if (!menuBar_) return;
  List->SetName(menuBar_->Name());
  constexpr TBarItemStyle noShortcut = tbisHasSubmenu | tbisDivider | tbisInlineGroup | tbisIgnoresClicks;
  std::function<void(TBarCustomItem*)> walk = [&](TBarCustomItem* Parent) {
    for (int i = 0; i < Parent->Count(); ++i) {
      TBarCustomItem* item = Parent->Items(i);
      if (!(item->ItemStyle() & noShortcut) && DoGetShortcutsList(item))
        List->AddObject(GetItemDisplayCaption(item), item);
      walk(item);
    }
  };
  walk(menuBar_->Items());
}

void TSkinCustomizer::CollectShortcuts() {
  // The menu bar's commands are gathered (and offered to OnGetShortcutsList) whenever the
  // layout is read or written.
  if (!menuBar_) return;
  TSkinMenuBarShortcuts shortcuts;
  GetShortcutsList(&shortcuts);
}

// ---- events ----

bool TSkinCustomizer::DoGetShortcutsList(TBarCustomItem* AItem) {
  bool accept = true;
  if (OnGetShortcutsList) OnGetShortcutsList(this, AItem, accept);
  return accept;
}

void TSkinCustomizer::DoIconOptionsChange(TBarCustomToolbar* Toolbar, bool UseSmallImages) {
  if (OnIconOptionsChange) OnIconOptionsChange(this, Toolbar, UseSmallImages);
}

void TSkinCustomizer::DoLoad(TStringList* ExtraOptions) {
  if (OnLoad) OnLoad(this, ExtraOptions);
}

void TSkinCustomizer::DoSave(TStringList* ExtraOptions) {
  if (OnSave) OnSave(this, ExtraOptions);
}

void TSkinCustomizer::DoLayoutLoad(const AnsiString& LayoutName, TStringList* ExtraOptions) {
  if (OnLayoutLoad) OnLayoutLoad(this, LayoutName, ExtraOptions);
}

void TSkinCustomizer::DoLayoutSave(const AnsiString& LayoutName, TStringList* ExtraOptions) {
  if (OnLayoutSave) OnLayoutSave(this, LayoutName, ExtraOptions);
}

void TSkinCustomizer::DoThemeChange() {
  if (form_) form_->DoThemeChange();
  if (OnThemeChange) OnThemeChange(this);
}

TSkinCustomizeFormClass TSkinCustomizer::GetCustomizeFormClass() {
  TSkinCustomizeFormClass result = DefaultCustomizeFormClass;
  if (OnGetCustomizeForm) {
    TSkinCustomizeFormClass asked = result;
    OnGetCustomizeForm(this, asked);
    if (asked) result = asked;
  }
  return result;
}

// ---- the file ----

// The file goes through the INI document, which reads it in its text form (8-bit, UTF-8 or
// UTF-16) and writes it back in the same, and never writes over text it could not hold.
void TSkinCustomizer::LoadFromFile(const WideString& FileName, bool LoadLastLayout) {
  if (!FileExists(FileName)) return;
  TStringList lines;
  try {
    TMemIniFile(FileName).GetStrings(&lines);
  } catch (const Exception&) {
    return;  // an unreadable file is no layout: the toolbars keep their places
  }
  Load(&lines, LoadLastLayout);
}

void TSkinCustomizer::SaveToFile(const WideString& FileName) {
  TMemIniFile ini(FileName);
  TStringList lines;
  ini.GetStrings(&lines);
  Save(&lines);
  // Set anew, the document forgets that it did not understand the file: its refusal to write
  // over such a file is raised first.
  if (!ini.Understood()) ini.UpdateFile();
  ini.SetStrings(&lines);
  ini.UpdateFile();
}

void TSkinCustomizer::Save(TStrings* Lines) {
  TMemIniFile ini(L"");
  ini.SetStrings(Lines);
  TStringList extra;
  extra.Add("Theme=" + GetCurrentThemeName());
  if (saveFormState_) AddPlacement(&extra);
  DoSave(&extra);
  CollectShortcuts();
  TStringList items;
  for (int i = 0; i < Owner()->ComponentCount(); ++i) {
    TComponent* c = Owner()->Components(i);
    TBarCustomItem* root = c == this ? items_.get() : nullptr;
    if (!root && IsCustomizableToolbar(c)) root = static_cast<TBarCustomToolbar*>(c)->Items();
    if (!root) continue;
    // An item without a Name could never be found again, so it has no line.
    for (int k = 0; k < root->Count(); ++k)
      if (!root->Items(k)->Name().empty()) items.Add(c->Name() + ", " + root->Items(k)->Name());
  }
  WriteNumberedList(&ini, "Items", &items);
  WriteNumberedList(&ini, "ExtraOptions", &extra);
  SaveLayout(&ini, CustomizerLastLayout);
  ini.GetStrings(Lines);
}

void TSkinCustomizer::SaveLayout(TCustomIniFile* Ini, const AnsiString& LayoutName) {
  TStringList layoutExtra;
  DoLayoutSave(LayoutName, &layoutExtra);
  TStringList names;
  ReadNumberedList(Ini, "Layouts", &names);
  if (names.IndexOf(LayoutName) < 0) names.Add(LayoutName);
  WriteNumberedList(Ini, "Layouts", &names);
  TPositionSections sections{Ini, LayoutName + " @ "};
  SaveDockablePositions(Owner(), &TPositionSections::WriteInt, &TPositionSections::WriteStr, &sections);
  TStringList list;
  for (int i = 0; i < Owner()->ComponentCount(); ++i) {
    TComponent* c = Owner()->Components(i);
    // Dock panels are the only children a multi-dock takes, and this program has none, so
    // both sizes are always 0.
    if (!dynamic_cast<TUiMultiDock*>(c)) continue;
    list.Add(c->Name() + ".DockedWidth=0");
    list.Add(c->Name() + ".DockedHeight=0");
  }
  for (TBarCustomToolbar* t : CustomizableToolbars())
    if (int mode = ToolbarDisplayMode(t); mode >= 0) {
      list.Add("DisplayMode=" + IntToStr(mode));
      break;
    }
  list.AddStrings(&layoutExtra);
  WriteNumberedList(Ini, LayoutName + " @ ExtraOptions", &list);
  ReadNumberedList(Ini, "Layouts", layouts_.get());
}

void TSkinCustomizer::Load(TStrings* Lines, bool LoadLastLayout) {
  TMemIniFile ini(L"");
  ini.SetStrings(Lines);
  CollectShortcuts();
  TStringList items;
  ReadNumberedList(&ini, "Items", &items);
  ApplyItems(&items);
  TStringList extra;
  ReadNumberedList(&ini, "ExtraOptions", &extra);
  DoLoad(&extra);
  if (saveFormState_) ApplyPlacement(&extra);
  SetCurrentThemeByName(extra.Values("Theme"));
  ReadNumberedList(&ini, "Layouts", layouts_.get());
  if (LoadLastLayout) LoadLayoutFrom(&ini, CustomizerLastLayout);
}

void TSkinCustomizer::LoadLayout(TStrings* Lines, const AnsiString& LayoutName) {
  TMemIniFile ini(L"");
  ini.SetStrings(Lines);
  LoadLayoutFrom(&ini, LayoutName);
}

void TSkinCustomizer::LoadLayoutFrom(TCustomIniFile* Ini, const AnsiString& LayoutName) {
  if (layouts_->IndexOf(LayoutName) < 0) return;
  TPositionSections sections{Ini, LayoutName + " @ "};
  try {
    LoadDockablePositions(Owner(), &TPositionSections::ReadInt, &TPositionSections::ReadStr, &sections);
  } catch (const Exception&) {
    // A position the docks refuse leaves that toolbar where it is; the rest of the layout
    // still applies.
  }
  TStringList list;
  ReadNumberedList(Ini, LayoutName + " @ ExtraOptions", &list);
  if (list.IndexOfName("DisplayMode") >= 0) {
    // Modes outside the four the toolbars know are ignored.
    int mode = StrToIntDef(list.Values("DisplayMode"), 0);
    for (TBarCustomToolbar* t : CustomizableToolbars()) SetToolbarDisplayMode(t, mode);
  }
  DoLayoutLoad(LayoutName, &list);
}

void TSkinCustomizer::ApplyItems(TStrings* Lines) {
  std::vector<std::pair<TComponent*, TBarCustomItem*>> containers;
  for (int i = 0; i < Owner()->ComponentCount(); ++i) {
    TComponent* c = Owner()->Components(i);
    if (c == this)
      containers.emplace_back(c, items_.get());
    else if (IsCustomizableToolbar(c))
      containers.emplace_back(c, static_cast<TBarCustomToolbar*>(c)->Items());
  }
  // The toolbars lay out once, when every line is applied, not once per line.
  std::vector<TBarCustomToolbar*> grouped;
  TScopeExit endUpdates([&grouped] {
    for (TBarCustomToolbar* t : grouped) {
      t->EndUpdate();
      if (auto* skinned = dynamic_cast<TSkinToolbar*>(t)) {
        skinned->RightAlignItems();
        skinned->AnchorItems(true);
      }
    }
  });
  for (auto& [c, root] : containers)
    if (c != this) {
      static_cast<TBarCustomToolbar*>(c)->BeginUpdate();
      grouped.push_back(static_cast<TBarCustomToolbar*>(c));
    }
  std::map<AnsiString, TBarCustomItem*> byName;  // upper-case names, first match wins
  for (auto& [c, root] : containers)
    for (int k = 0; k < root->Count(); ++k)
      if (!root->Items(k)->Name().empty()) byName.emplace(UpperCase(root->Items(k)->Name()), root->Items(k));
  // A file may name an item many times, and each move of an item in the tree remakes its
  // viewers: the lines are played on lists of the containers' items first, and the tree then
  // takes the final order with at most one move per item.
  std::vector<std::vector<TBarCustomItem*>> lists;
  std::unordered_map<TBarCustomItem*, size_t> where;  // the list an item is in
  for (auto& [c, root] : containers) {
    lists.emplace_back();
    for (int k = 0; k < root->Count(); ++k) {
      lists.back().push_back(root->Items(k));
      where[root->Items(k)] = lists.size() - 1;
    }
  }
  size_t run = containers.size();
  size_t position = 0;
  for (int i = 0; i < Lines->Count(); ++i) {
    TStringList fields;
    fields.SetDelimitedText(Lines->Strings(i));
    if (fields.Count() < 2) continue;
    auto found = std::find_if(containers.begin(), containers.end(),
                              [&](auto& C) { return SameText(C.first->Name(), fields[0]); });
    if (found == containers.end()) continue;
    const size_t container = static_cast<size_t>(found - containers.begin());
    // The position restarts at 0 whenever the line names another container than the line
    // before, so lines of one toolbar split by others start over: files written here never
    // split them.
    if (container != run) {
      run = container;
      position = 0;
    }
    const AnsiString& itemName = fields[1];
    TBarCustomItem* item = nullptr;
    if (itemName.find(CustomizerSeparatorPrefix) != AnsiString::npos) {
      item = SeparatorNamed(itemName);
    } else if (auto it = byName.find(UpperCase(itemName)); it != byName.end()) {
      item = it->second;
    }
    // A container is never placed inside itself.
    if (!item || item == found->second) continue;
    std::vector<TBarCustomItem*>& list = lists[container];
    auto from = where.find(item);
    const bool inside = from != where.end() && from->second == container;
    // A position past the end is the end: an item already last there stays.
    const size_t target = std::min(position, list.size() - (inside ? 1 : 0));
    if (!inside || list[target] != item) {
      if (from != where.end()) {
        std::vector<TBarCustomItem*>& old = lists[from->second];
        old.erase(std::find(old.begin(), old.end(), item));
      }
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(target), item);
      where[item] = container;
    }
    ++position;
  }
  // Items bound for another container, or from outside any, leave their parents first; then
  // each container takes its order. An item the tree refuses stays where it is.
  for (size_t k = 0; k < containers.size(); ++k)
    for (TBarCustomItem* item : lists[k])
      if (item->Parent() && item->Parent() != containers[k].second) item->Parent()->Remove(item);
  for (size_t k = 0; k < containers.size(); ++k) {
    TBarCustomItem* root = containers[k].second;
    int at = 0;
    for (TBarCustomItem* item : lists[k]) {
      try {
        if (at < root->Count() && root->Items(at) == item) {
          ++at;
          continue;
        }
        if (item->Parent() == root)
          root->Move(root->IndexOf(item), at);
        else
          root->Insert(at, item);
        ++at;
      } catch (const Exception&) {
        // Left where it is; the next item takes this place.
      }
    }
  }
}

TCustomForm* TSkinCustomizer::PlacementForm() const {
  if (Application && Application->MainForm()) return Application->MainForm();
  return dynamic_cast<TCustomForm*>(Owner());
}

void TSkinCustomizer::AddPlacement(TStringList* Extra) {
  TCustomForm* form = PlacementForm();
  if (!form) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  GetWindowPlacement(form->Handle(), &wp);
  const char* state = "wsNormal";
  if (wp.showCmd == SW_SHOWMINIMIZED || IsIconic(form->Handle()))
    state = "wsMinimized";
  else if (wp.showCmd == SW_SHOWMAXIMIZED)
    state = "wsMaximized";
  Extra->Add(AnsiString("MainForm.WindowState=") + state);
  Extra->Add("MainForm.Bounds=" + boundsText(form->Left(), form->Top(), form->Width(), form->Height()));
  const RECT& n = wp.rcNormalPosition;
  Extra->Add("MainForm.RestoreBounds=" + boundsText(n.left, n.top, n.right - n.left, n.bottom - n.top));
}

void TSkinCustomizer::ApplyPlacement(TStringList* Extra) {
  TCustomForm* form = PlacementForm();
  if (!form) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  GetWindowPlacement(form->Handle(), &wp);
  TWindowState state = wp.showCmd == SW_SHOWMINIMIZED   ? wsMinimized
                       : wp.showCmd == SW_SHOWMAXIMIZED ? wsMaximized
                                                        : wsNormal;
  if (Extra->IndexOfName("MainForm.WindowState") >= 0) {
    int v = GetEnumValue(TypeInfoOf<TWindowState>(), Extra->Values("MainForm.WindowState"));
    if (v >= 0) state = static_cast<TWindowState>(v);
  }
  TRect r;
  if (parseBounds(Extra->Values("MainForm.Bounds"), r)) form->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  TRect restore = form->BoundsRect();
  if (parseBounds(Extra->Values("MainForm.RestoreBounds"), r)) restore = r;
  if (restore.Width() > 0 && restore.Height() > 0)
    wp.rcNormalPosition = {restore.Left, restore.Top, restore.Right, restore.Bottom};
  wp.showCmd = state == wsMinimized ? SW_SHOWMINIMIZED : state == wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  // A form not shown yet takes its place without appearing.
  if (!IsWindowVisible(form->Handle()) && wp.showCmd == SW_SHOWNORMAL) wp.showCmd = SW_HIDE;
  wp.flags = 0;
  SetWindowPlacement(form->Handle(), &wp);
}

// ---- the dialog ----

void TSkinCustomizer::Show() {
  if (!form_) {
    TSkinCustomizeFormClass cls = GetCustomizeFormClass();
    if (!cls) return;
    form_ = cls(this);
    form_->FreeNotification(this);
    form_->SetCustomizer(this);
    SetupForm(form_);
  }
  ShortCutsProcessor()->SetActive(true);
  form_->Show();
  showing_ = true;
  if (OnShow) OnShow(this);
}

void TSkinCustomizer::SetupForm(TSkinCustomCustomizeForm* AForm) {
  AForm->SetFormStyle(fsStayOnTop);
  AForm->SetBorderIcons(TBorderIcons{biSystemMenu});
  AForm->SetPosition(poMainFormCenter);
  SetToolbarsCustomizing(dynamic_cast<TWinControl*>(Owner()), false);
  SetToolbarsCustomizing(AForm, false);
}

void TSkinCustomizer::Close() {
  if (form_ && showing_) form_->Close();
  FormClosed(false);
}

void TSkinCustomizer::FormClosed(bool FormGoing) {
  if (form_) {
    SetToolbarsCustomizing(dynamic_cast<TWinControl*>(Owner()), true);
    SetToolbarsCustomizing(form_, true);
    // A dialog freed later no longer reaches back to this customizer.
    form_->SetCustomizer(nullptr);
    if (!FormGoing) form_->RemoveFreeNotification(this);
  }
  form_ = nullptr;
  if (!showing_) return;
  showing_ = false;
  if (OnClose) OnClose(this);
}

// ---- the dialog's base ----

TSkinCustomCustomizeForm::TSkinCustomCustomizeForm(TComponent* AOwner) : TForm(AOwner) { Init(); }

TSkinCustomCustomizeForm::TSkinCustomCustomizeForm(TComponent* AOwner, TCreateNew) : TForm(AOwner, CreateNew) {
  Init();
}

void TSkinCustomCustomizeForm::Init() {
  customizer_ = dynamic_cast<TSkinCustomizer*>(Owner());
  toolbars_ = std::make_unique<TStringListW>();
  commands_ = std::make_unique<TStringListW>();
  shortcuts_ = std::make_unique<TSkinMenuBarShortcuts>();
  separators_ = std::make_unique<TList>();
}

TSkinCustomCustomizeForm::~TSkinCustomCustomizeForm() {
  if (customizer_) customizer_->FormClosed(true);
  ShortCutsProcessor()->SetActive(false);
}

void TSkinCustomCustomizeForm::FillLists() {
  toolbars_->Clear();
  commands_->Clear();
  shortcuts_->Clear();
  separators_->Clear();
  if (!customizer_) return;
  for (TBarCustomToolbar* t : customizer_->CustomizableToolbars()) toolbars_->AddObject(t->Caption(), t);
  commands_->Add(L"--[Separator]--");
  TBarRootItem* spare = customizer_->Items();
  for (int i = 0; i < spare->Count(); ++i) {
    TBarCustomItem* item = spare->Items(i);
    if (dynamic_cast<TBarSeparatorItem*>(item))
      separators_->Add(item);
    else
      commands_->AddObject(TSkinCustomizer::GetItemDisplayCaption(item), item);
  }
  customizer_->GetShortcutsList(shortcuts_.get());
}

void TSkinCustomCustomizeForm::DoIconOptionsChange(bool UseSmallImages) {
  if (!customizer_) return;
  for (int i = 0; i < toolbars_->Count(); ++i)
    customizer_->DoIconOptionsChange(static_cast<TBarCustomToolbar*>(toolbars_->Objects(i)), UseSmallImages);
}

void TSkinCustomCustomizeForm::DoShow() {
  if (customizer_) {
    FillLists();
    DoFillCommands(toolbars_.get(), commands_.get(), shortcuts_.get());
  }
  TForm::DoShow();
}

void TSkinCustomCustomizeForm::DoClose(TCloseAction& Action) {
  TForm::DoClose(Action);
  Action = caFree;
}
