// Menu items, native menus, actions on menu items, shortcuts, owner drawing and popping up.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/Bitmap.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "tests/framework/GraphicsTestSupport.h"
#include "tests/framework/MessagePump.h"

namespace {

struct Clicks {
  std::string log;
  void A(TObject*) { log += "a"; }
  void B(TObject*) { log += "b"; }
  void Parent(TObject*) { log += "p"; }
  void Execute(TObject*) { log += "x"; }
  void Update(TObject* Sender) {
    log += "u";
    static_cast<TCustomAction*>(Sender)->SetEnabled(enable);
  }
  bool enable = true;
};

TMenuItem* NewItem(TComponent* owner, const WideString& caption, TShortCut shortCut = TShortCut(0)) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->SetShortCut(shortCut);
  return item;
}

// The native entries of a menu, as text: "caption[flags]" joined by "|".
std::wstring Entries(HMENU menu) {
  std::wstring out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 255;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if (i) out += L"|";
    if (info.fType & MFT_SEPARATOR) {
      out += L"-";
      continue;
    }
    out += text;
    std::wstring flags;
    if (info.fState & MFS_CHECKED) flags += L"c";
    if (info.fState & MFS_DISABLED) flags += L"d";
    if (info.fState & MFS_DEFAULT) flags += L"D";
    if (info.fType & MFT_RADIOCHECK) flags += L"r";
    if (info.hSubMenu) flags += L">";
    if (info.fType & MFT_OWNERDRAW) flags += L"o";
    if (!flags.empty()) out += L"[" + flags + L"]";
  }
  return out;
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

WideString lastHint = L"unset";
void RecordHint(const WideString& hint) { lastHint = hint; }

// The requests Windows sends to an owner-drawn menu, filled in for one item (drawn on the whole
// surface) and handed to the menu; the answer is whether the menu took them.
MEASUREITEMSTRUCT MeasureRequest(TMenuItem* item) {
  MEASUREITEMSTRUCT mis{};
  mis.CtlType = ODT_MENU;
  mis.itemData = reinterpret_cast<ULONG_PTR>(item);
  return mis;
}

DRAWITEMSTRUCT DrawRequest(TMenuItem* item, const TTestPicture& surface) {
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_MENU;
  dis.itemData = reinterpret_cast<ULONG_PTR>(item);
  dis.hDC = surface.DC();
  dis.rcItem = RECT{0, 0, surface.Width(), surface.Height()};
  return dis;
}

template <class Request>
bool Send(TMenu& menu, UINT message, Request& request) {
  LRESULT result = 0;
  return menu.HandleMenuMessage(message, 0, reinterpret_cast<LPARAM>(&request), result);
}

}  // namespace

TEST(MenuCaptions, HotkeysAreStrippedAndCompared) {
  EXPECT_EQ(StripHotkey(L"&File"), L"File");
  EXPECT_EQ(StripHotkey(L"Save &As..."), L"Save As...");
  EXPECT_EQ(StripHotkey(L"Tom && Jerry"), L"Tom & Jerry");
  EXPECT_EQ(StripHotkey(L"trailing&"), L"trailing");
  EXPECT_EQ(GetHotkey(L"Save &as"), L'A');
  EXPECT_EQ(GetHotkey(L"Tom && &Jerry"), L'J');
  EXPECT_EQ(GetHotkey(L"No hot key &&"), 0);
  EXPECT_TRUE(SameCaption(L"&Open...", L"O&PEN..."));
  EXPECT_FALSE(SameCaption(L"&Open", L"Open..."));
}

TEST(MenuItem, TreeOperationsAndTheirErrors) {
  TComponent owner(nullptr);
  TMenuItem* root = NewItem(&owner, L"root");
  TMenuItem* a = NewItem(&owner, L"&Alpha");
  TMenuItem* b = NewItem(&owner, L"Beta");
  TMenuItem* c = NewItem(&owner, L"Gamma");
  root->Add(a);
  root->Add(c);
  root->Insert(1, b);
  EXPECT_EQ(c->MenuIndex(), 2);
  EXPECT_EQ(root->Find(L"alpha"), a);
  EXPECT_EQ(root->Find(L"Delta"), nullptr);
  EXPECT_THROW(root->Add(a), EMenuError);  // already has a parent
  EXPECT_THROW(a->Add(root), EMenuError);  // would hang the tree into itself
  EXPECT_THROW(root->Insert(5, NewItem(&owner, L"x")), EMenuError);
  EXPECT_THROW(root->Items(3), EMenuError);
  TMenuItem stray(nullptr);
  EXPECT_THROW(root->Remove(&stray), EMenuError);

  c->SetMenuIndex(0);
  EXPECT_EQ(root->Items(0), c);
  root->Delete(0);  // taken out, not freed
  EXPECT_EQ(c->Parent(), nullptr);
  EXPECT_EQ(root->Count(), 2);
  root->Add(c);

  // Freeing an item takes it out of its parent; freeing a parent frees its sub-items.
  delete b;
  EXPECT_EQ(root->Count(), 2);
  int before = owner.ComponentCount();
  root->Clear();
  EXPECT_EQ(root->Count(), 0);
  EXPECT_EQ(owner.ComponentCount(), before - 2);
}

TEST(MenuItem, CommandsAreUniqueAndReachTheirItem) {
  Clicks clicks;
  TPopupMenu menu(nullptr);
  TMenuItem* a = NewItem(&menu, L"A");
  TMenuItem* b = NewItem(&menu, L"B");
  a->OnClick = TNotifyEvent(&clicks, &Clicks::A);
  b->OnClick = TNotifyEvent(&clicks, &Clicks::B);
  menu.Items()->Add(a);
  a->Add(b);
  EXPECT_NE(a->Command(), b->Command());
  EXPECT_NE(a->Command(), 0u);
  EXPECT_EQ(menu.FindItem(b->Command(), fkCommand), b);
  EXPECT_TRUE(menu.DispatchCommand(static_cast<WORD>(b->Command())));
  EXPECT_EQ(clicks.log, "b");
  EXPECT_FALSE(menu.DispatchCommand(0xFFFE));
}

TEST(NativeMenu, EntriesShowCaptionShortcutAndState) {
  TPopupMenu menu(nullptr);
  TMenuItem* open = NewItem(&menu, L"&Open...", TextToShortCut("Ctrl+O"));
  TMenuItem* line = NewItem(&menu, L"-");
  TMenuItem* wrap = NewItem(&menu, L"&Wrap");
  TMenuItem* hidden = NewItem(&menu, L"Hidden");
  TMenuItem* recent = NewItem(&menu, L"&Recent", TextToShortCut("Ctrl+R"));
  TMenuItem* first = NewItem(&menu, L"first.txt");
  for (TMenuItem* i : {open, line, wrap, hidden, recent}) menu.Items()->Add(i);
  recent->Add(first);
  wrap->SetChecked(true);
  hidden->SetVisible(false);
  open->SetDefault(true);
  EXPECT_EQ(Narrow(Entries(menu.Handle())), "&Open...\tCtrl+O[D]|-|&Wrap[c]|&Recent[>]");

  // Changes reach the native menu at once.
  open->SetEnabled(false);
  hidden->SetVisible(true);
  wrap->SetCaption(L"&Word wrap");
  EXPECT_EQ(Narrow(Entries(menu.Handle())), "&Open...\tCtrl+O[dD]|-|&Word wrap[c]|Hidden|&Recent[>]");
  EXPECT_EQ(Narrow(Entries(recent->Handle())), "first.txt");
  recent->Clear();
  EXPECT_EQ(Narrow(Entries(menu.Handle())), "&Open...\tCtrl+O[dD]|-|&Word wrap[c]|Hidden|&Recent\tCtrl+R");
}

TEST(NativeMenu, TheMenuBarShowsNoShortcuts) {
  TMainMenu menu(nullptr);
  TMenuItem* file = NewItem(&menu, L"&File");
  TMenuItem* help = NewItem(&menu, L"&Help", TextToShortCut("F1"));
  TMenuItem* save = NewItem(&menu, L"&Save", TextToShortCut("Ctrl+S"));
  menu.Items()->Add(file);
  menu.Items()->Add(help);
  file->Add(save);
  EXPECT_EQ(Narrow(Entries(menu.Handle())), "&File[>]|&Help");
  EXPECT_EQ(Narrow(Entries(file->Handle())), "&Save\tCtrl+S");
}

TEST(MenuItem, RadioItemsAndDefaultsKeepOnePerGroup) {
  TPopupMenu menu(nullptr);
  TMenuItem* a = NewItem(&menu, L"A");
  TMenuItem* b = NewItem(&menu, L"B");
  TMenuItem* c = NewItem(&menu, L"C");
  TMenuItem* other = NewItem(&menu, L"Other");
  for (TMenuItem* i : {a, b, c, other}) {
    menu.Items()->Add(i);
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
  }
  other->SetGroupIndex(2);
  a->SetChecked(true);
  other->SetChecked(true);
  b->SetChecked(true);
  EXPECT_EQ(Narrow(Entries(menu.Handle())), "A[r]|B[cr]|C[r]|Other[cr]");
  a->SetDefault(true);
  c->SetDefault(true);
  EXPECT_FALSE(a->Default());
  EXPECT_TRUE(c->Default());
}

TEST(MenuItem, AutoCheckTogglesOnClickAndDisabledItemsDoNothing) {
  Clicks clicks;
  TMenuItem item(nullptr);
  item.SetAutoCheck(true);
  item.OnClick = TNotifyEvent(&clicks, &Clicks::A);
  item.Click();
  EXPECT_TRUE(item.Checked());
  item.Click();
  EXPECT_FALSE(item.Checked());
  item.SetEnabled(false);
  item.Click();
  EXPECT_FALSE(item.Checked());
  EXPECT_EQ(clicks.log, "aa");
}

TEST(MenuActions, ItemsFollowTheirAction) {
  Clicks clicks;
  TPopupMenu menu(nullptr);
  TAction action(nullptr);
  action.SetCaption(L"&Save");
  action.SetShortCut(TextToShortCut("Ctrl+S"));
  action.SetHint(L"Save|Saves the document");
  action.SetOnExecute(TNotifyEvent(&clicks, &Clicks::Execute));
  TMenuItem* item = NewItem(&menu, L"");
  menu.Items()->Add(item);
  item->SetAction(&action);
  EXPECT_EQ(item->Caption(), L"&Save");
  EXPECT_EQ(item->ShortCut(), TextToShortCut("Ctrl+S"));
  EXPECT_EQ(item->Hint(), L"Save|Saves the document");
  EXPECT_TRUE(item->OnClick == action.OnExecute());

  action.SetCaption(L"Save &all");
  action.SetEnabled(false);
  action.SetChecked(true);
  action.SetVisible(false);
  EXPECT_EQ(Narrow(Entries(menu.Handle())), "");
  action.SetVisible(true);
  action.SetEnabled(true);
  EXPECT_EQ(Narrow(Entries(menu.Handle())), "Save &all\tCtrl+S[c]");

  // Values the action supplies are not written to form files.
  EXPECT_FALSE(item->IsCaptionStored());
  EXPECT_FALSE(item->IsOnClickStored());

  item->Click();
  EXPECT_EQ(clicks.log, "x");
}

TEST(MenuActions, ARenamedItemIsStoredUntilTheActionChangesAgain) {
  TAction action(nullptr);
  action.SetCaption(L"Find");
  TMenuItem item(nullptr);
  item.SetAction(&action);
  EXPECT_FALSE(item.IsCaptionStored());
  item.SetCaption(L"Search");
  EXPECT_TRUE(item.IsCaptionStored());
  // Any change of the action brings all its values back to its clients.
  action.SetCaption(L"Find...");
  EXPECT_EQ(item.Caption(), L"Find...");
  EXPECT_FALSE(item.IsCaptionStored());
}

TEST(MenuActions, ItsOwnClickHandlerWinsOverTheActions) {
  Clicks clicks;
  TAction action(nullptr);
  action.SetOnExecute(TNotifyEvent(&clicks, &Clicks::Execute));
  TMenuItem item(nullptr);
  item.OnClick = TNotifyEvent(&clicks, &Clicks::A);
  item.SetAction(&action);
  // Linking replaces the item's handler; one set afterwards is the item's own.
  EXPECT_TRUE(item.OnClick == action.OnExecute());
  item.OnClick = TNotifyEvent(&clicks, &Clicks::A);
  item.Click();
  EXPECT_EQ(clicks.log, "a");
  item.OnClick = action.OnExecute();
  item.Click();
  EXPECT_EQ(clicks.log, "ax");
  // A new execute handler of the action reaches items that used the old one.
  action.SetOnExecute(TNotifyEvent(&clicks, &Clicks::B));
  EXPECT_TRUE(item.OnClick == TNotifyEvent(&clicks, &Clicks::B));
}

TEST(MenuActions, PopupUpdatesTheSubItemsActions) {
  Clicks clicks;
  TPopupMenu menu(nullptr);
  TAction action(nullptr);
  action.OnUpdate = TNotifyEvent(&clicks, &Clicks::Update);
  TMenuItem* edit = NewItem(&menu, L"&Edit");
  TMenuItem* cut = NewItem(&menu, L"");
  menu.Items()->Add(edit);
  edit->Add(cut);
  cut->SetAction(&action);
  edit->OnClick = TNotifyEvent(&clicks, &Clicks::Parent);
  clicks.enable = false;
  EXPECT_TRUE(menu.DispatchPopup(edit->Handle()));
  EXPECT_EQ(clicks.log, "up");
  EXPECT_FALSE(cut->Enabled());
  EXPECT_FALSE(menu.DispatchPopup(reinterpret_cast<HMENU>(0x1234)));
}

TEST(MenuShortCuts, ShortCutsClickNestedItemsThroughEnabledParents) {
  Clicks clicks;
  TMainMenu menu(nullptr);
  TMenuItem* file = NewItem(&menu, L"&File");
  TMenuItem* recent = NewItem(&menu, L"Recent");
  TMenuItem* open = NewItem(&menu, L"Open", TextToShortCut("Ctrl+O"));
  TMenuItem* hiddenItem = NewItem(&menu, L"Hidden", TextToShortCut("Ctrl+H"));
  menu.Items()->Add(file);
  file->Add(recent);
  recent->Add(open);
  file->Add(hiddenItem);
  hiddenItem->SetVisible(false);
  open->OnClick = TNotifyEvent(&clicks, &Clicks::A);
  hiddenItem->OnClick = TNotifyEvent(&clicks, &Clicks::B);
  recent->OnClick = TNotifyEvent(&clicks, &Clicks::Parent);

  EXPECT_TRUE(menu.IsShortCut(TextToShortCut("Ctrl+O")));
  EXPECT_EQ(clicks.log, "pa");                             // the parent hears its sub-menu "open" first
  EXPECT_TRUE(menu.IsShortCut(TextToShortCut("Ctrl+H")));  // hidden items keep their shortcuts
  EXPECT_EQ(clicks.log, "pab");
  EXPECT_FALSE(menu.IsShortCut(TextToShortCut("Ctrl+Q")));
  recent->SetEnabled(false);
  EXPECT_FALSE(menu.IsShortCut(TextToShortCut("Ctrl+O")));
  recent->SetEnabled(true);
  open->SetEnabled(false);
  EXPECT_FALSE(menu.IsShortCut(TextToShortCut("Ctrl+O")));
  EXPECT_EQ(clicks.log, "pabp");
}

TEST(MenuShortCuts, TheActionUpdatesBeforeItsShortCutRuns) {
  Clicks clicks;
  TMainMenu menu(nullptr);
  TAction action(nullptr);
  action.SetShortCut(TextToShortCut("Ctrl+V"));
  action.SetOnExecute(TNotifyEvent(&clicks, &Clicks::Execute));
  action.OnUpdate = TNotifyEvent(&clicks, &Clicks::Update);
  TMenuItem* edit = NewItem(&menu, L"&Edit");
  TMenuItem* paste = NewItem(&menu, L"");
  menu.Items()->Add(edit);
  edit->Add(paste);
  paste->SetAction(&action);
  clicks.enable = false;
  EXPECT_FALSE(menu.IsShortCut(TextToShortCut("Ctrl+V")));
  EXPECT_EQ(clicks.log.find('x'), std::string::npos);
  clicks.enable = true;
  EXPECT_TRUE(menu.IsShortCut(TextToShortCut("Ctrl+V")));
  EXPECT_NE(clicks.log.find('x'), std::string::npos);
}

TEST(MenuHints, SelectingAnItemGivesItsLongHint) {
  TMenuHintHandler previous = SetMenuHintHandler(&RecordHint);
  TPopupMenu menu(nullptr);
  TMenuItem* open = NewItem(&menu, L"Open");
  TMenuItem* recent = NewItem(&menu, L"Recent");
  open->SetHint(L"Open|Opens a file");
  recent->SetHint(L"Files used lately");
  menu.Items()->Add(open);
  menu.Items()->Add(recent);
  recent->Add(NewItem(&menu, L"a.txt"));
  HMENU h = menu.Handle();
  LRESULT result = 0;
  HWND window = PopupList().Window();
  SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(open->Command(), MF_STRING), reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(lastHint, L"Opens a file");
  SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP), reinterpret_cast<LPARAM>(h));
  EXPECT_EQ(lastHint, L"Files used lately");
  SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(lastHint, L"");
  lastHint = L"x";
  EXPECT_FALSE(
      menu.HandleMenuMessage(WM_MENUSELECT, MAKEWPARAM(0xFFF0, MF_STRING), reinterpret_cast<LPARAM>(h), result));
  SetMenuHintHandler(previous);
}

TEST(NativeMenu, HandlesAreFreedWhateverTheOrderOfDestruction) {
  int before = TMenuHandle::LiveCount();
  for (int round = 0; round < 50; ++round) {
    TComponent form(nullptr);
    auto* menu = new TMainMenu(&form);
    TMenuItem* file = NewItem(&form, L"File");
    TMenuItem* recent = NewItem(&form, L"Recent");
    menu->Items()->Add(file);
    file->Add(recent);
    recent->Add(NewItem(&form, L"a"));
    menu->Handle();
    recent->Handle();
    if (round % 3 == 1) delete menu;    // the menu before its items
    if (round % 3 == 2) delete recent;  // a sub-menu on its own
  }
  EXPECT_EQ(TMenuHandle::LiveCount(), before);
}

TEST(OwnerDrawMenu, MeasureAndDrawGoThroughTheItems) {
  TPopupMenu menu(nullptr);
  menu.SetOwnerDraw(true);
  TMenuItem* item = NewItem(&menu, L"&Print", TextToShortCut("Ctrl+P"));
  TMenuItem* line = NewItem(&menu, L"-");
  menu.Items()->Add(item);
  menu.Items()->Add(line);
  EXPECT_EQ(Narrow(Entries(menu.Handle())), "[o]|-");

  MEASUREITEMSTRUCT mis = MeasureRequest(item);
  ASSERT_TRUE(Send(menu, WM_MEASUREITEM, mis));
  EXPECT_GT(mis.itemWidth, 20u);
  EXPECT_GT(mis.itemHeight, 8u);
  // An item not in this menu is not this menu's business.
  TMenuItem stranger(nullptr);
  mis.itemData = reinterpret_cast<ULONG_PTR>(&stranger);
  EXPECT_FALSE(Send(menu, WM_MEASUREITEM, mis));

  TTestPicture surface(120, 24, 0x00FF00);
  DRAWITEMSTRUCT dis = DrawRequest(item, surface);
  dis.itemState = ODS_SELECTED;
  ASSERT_TRUE(Send(menu, WM_DRAWITEM, dis));
  uint32_t highlight = ColorToRGB(clHighlight);
  EXPECT_EQ(surface.Pixel(1, 1), highlight);
  EXPECT_EQ(surface.Pixel(118, 22), highlight);
  EXPECT_GT(surface.Count(ColorToRGB(clHighlightText)), 10);  // the caption and shortcut text
}

TEST(OwnerDrawMenu, HandlersReplaceTheFrameworksDrawing) {
  struct Painter {
    int measured = 0;
    TOwnerDrawState state;
    bool plainSelected = false;
    void Measure(TObject*, TCanvas*, int& width, int& height) {
      ++measured;
      width = 77;
      height = 33;
    }
    void Advanced(TObject*, TCanvas* canvas, const TRect& rect, TOwnerDrawState s) {
      state = s;
      canvas->Brush()->SetColor(clRed);
      canvas->FillRect(rect);
    }
    void Plain(TObject*, TCanvas*, const TRect&, bool selected) { plainSelected = selected; }
  } painter;
  TPopupMenu menu(nullptr);
  menu.SetOwnerDraw(true);
  TMenuItem* item = NewItem(&menu, L"Item");
  menu.Items()->Add(item);
  item->OnMeasureItem = TMenuMeasureItemEvent(&painter, &Painter::Measure);
  MEASUREITEMSTRUCT mis = MeasureRequest(item);
  Send(menu, WM_MEASUREITEM, mis);
  EXPECT_EQ(mis.itemWidth, 77u);
  EXPECT_EQ(mis.itemHeight, 33u);

  TTestPicture surface(40, 20);
  DRAWITEMSTRUCT dis = DrawRequest(item, surface);
  item->OnDrawItem = TMenuDrawItemEvent(&painter, &Painter::Plain);
  dis.itemState = ODS_SELECTED;
  Send(menu, WM_DRAWITEM, dis);
  EXPECT_TRUE(painter.plainSelected);
  item->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&painter, &Painter::Advanced);
  dis.itemState = ODS_CHECKED | ODS_GRAYED;
  Send(menu, WM_DRAWITEM, dis);
  EXPECT_TRUE((painter.state == TOwnerDrawState{odChecked, odGrayed}));
  EXPECT_EQ(surface.Count(0x0000FF), 40 * 20);
}

TEST(PopupMenu, PopsUpAndClicksTheChosenItem) {
  Clicks clicks;
  struct Driver {
    void Popped(TObject*) {
      // Keys queued before the menu loop starts: the first item is selected and chosen.
      HWND w = PopupList().Window();
      PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0);
    }
  } driver;
  TPopupMenu menu(nullptr);
  TMenuItem* a = NewItem(&menu, L"&First");
  TMenuItem* b = NewItem(&menu, L"&Second");
  a->OnClick = TNotifyEvent(&clicks, &Clicks::A);
  b->OnClick = TNotifyEvent(&clicks, &Clicks::B);
  menu.Items()->Add(a);
  menu.Items()->Add(b);
  menu.OnPopup = TNotifyEvent(&driver, &Driver::Popped);
  menu.Popup(100, 100);
  EXPECT_EQ(clicks.log, "b");
}

namespace {
// A solid bitmap of the given size and colour.
std::unique_ptr<TBitmap> SolidBitmap(int width, int height, TColor color) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(width, height);
  bitmap->Canvas()->Brush()->SetColor(color);
  bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
  return bitmap;
}
}  // namespace

TEST(MenuImages, AMenuWithImagesDrawsItsItemsWithThem) {
  TComponent form(nullptr);
  auto* images = new TImageList(&form);
  images->SetMasked(false);
  images->Add(SolidBitmap(16, 16, clBlue).get(), nullptr);
  auto* menu = new TPopupMenu(&form);
  TMenuItem* item = NewItem(&form, L"Blue");
  menu->Items()->Add(item);
  item->SetImageIndex(0);
  EXPECT_EQ(Narrow(Entries(menu->Handle())), "Blue");
  menu->SetImages(images);
  EXPECT_EQ(Narrow(Entries(menu->Handle())), "[o]");

  TTestPicture surface(100, 20);
  DRAWITEMSTRUCT dis = DrawRequest(item, surface);
  ASSERT_TRUE(Send(*menu, WM_DRAWITEM, dis));
  EXPECT_EQ(surface.Count(0xFF0000, 0, 0, 20, 20), 16 * 16);

  // The image list goes: the menu shows text again.
  delete images;
  EXPECT_EQ(Narrow(Entries(menu->Handle())), "Blue");
}

TEST(MenuImages, AnItemBitmapIsShownBesideTheCaption) {
  TPopupMenu menu(nullptr);
  TMenuItem* item = NewItem(&menu, L"Red");
  menu.Items()->Add(item);
  item->SetBitmap(SolidBitmap(12, 12, clRed).get());
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_BITMAP;
  GetMenuItemInfoW(menu.Handle(), 0, TRUE, &info);
  EXPECT_NE(info.hbmpItem, nullptr);

  menu.SetOwnerDraw(true);
  TTestPicture surface(100, 20);
  DRAWITEMSTRUCT dis = DrawRequest(item, surface);
  ASSERT_TRUE(Send(menu, WM_DRAWITEM, dis));
  EXPECT_EQ(surface.Count(0x0000FF, 0, 0, 20, 20), 12 * 12);
}

TEST(ActionListImages, TheListForgetsAnImageListThatGoes) {
  TComponent form(nullptr);
  auto* images = new TImageList(&form);
  auto* list = new TActionList(&form);
  list->SetImages(images);
  delete images;
  EXPECT_EQ(list->Images(), nullptr);
}
