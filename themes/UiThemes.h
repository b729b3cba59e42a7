// The theme interface every themed painter asks for colours, margins and metrics, the registry
// of themes by name with counted instances, and the manager that watches system changes and
// keeps the system facts and visual-style handles that painting reads.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Colors.h"
#include "framework/Messages.h"
#include "framework/Object.h"
#include "framework/Types.h"
#include "framework/VisualStyles.h"
#include "framework/Win.h"

class TCanvas;
class TCustomImageList;
class TStrings;
class TUtilityWindow;

// Notices: the manager's system-change notice (WParam 1, 2, 3 after a change; 4 activated,
// 5 deactivated), the theme-change notice the nexus relays to theme listeners, and the
// queries a view or control answers.
constexpr UINT UM_SYSTEMCHANGE = 1336;
constexpr UINT UM_THEMECHANGE = 1338;
constexpr UINT UM_GETVIEWTYPE = 1261;
constexpr UINT UM_GETBACKGROUNDCOLOR = 1262;

// View types.
constexpr int VT_TOOLBAR = 0x1000;
constexpr int VT_PLAINTOOLBAR = 0x1001;
constexpr int VT_MENUBAR = 0x1002;
constexpr int VT_OPAQUEITEMS = 0x200;
constexpr int VT_RESIZABLE = 0x400;
constexpr int VT_FLOATING = 0x800;
constexpr int VT_POPUP = 0x2000;
constexpr int VT_POPUPMENU = 0x2001;
constexpr int VT_LISTPOPUP = 0x2002;
constexpr int VT_TOOLBOXPOPUP = 0x2004;
constexpr int VT_CHEVRONPOPUP = 0x2008;
constexpr int VT_DOCKPANEL = 0x4000;
constexpr int VT_STATUSBAR = 0x10000;

// Item options.
constexpr uint32_t IO_TOOLBARSTYLE = 0x01;
constexpr uint32_t IO_SUBMENU = 0x04;
constexpr uint32_t IO_COMBO = 0x08;
constexpr uint32_t IO_DESIGNING = 0x10;
constexpr uint32_t IO_APPACTIVE = 0x20;

// State flags of an item.
constexpr int ISF_DISABLED = 1;
constexpr int ISF_HOT = 2;
constexpr int ISF_PUSHED = 4;
constexpr int ISF_SELECTED = 8;

// The state of an item handed to the theme's item operations.
struct TUiItemInfo {
  int ViewType = 0;
  uint32_t ItemOptions = 0;
  uint8_t Enabled = 0;
  uint8_t Pushed = 0;     // held down, or its sub-menu is open
  uint8_t HoverKind = 0;  // 0 none, 1 selected while disabled and not under the mouse, 2 selected
  uint8_t Selected = 0;   // the item is checked
  uint8_t ImageShown = 0;
  int ImageWidth = 0;
  int ImageHeight = 0;
  uint8_t IsVertical = 0;
  // Toolbar style: 0 plain, 1 sub-menu item with a drop-down arrow, 2 split item, 3 the arrow
  // part of a split item while it is painted.
  uint8_t IsPopupParent = 0;
  uint8_t DropDownPushed = 0;
  int PopupMargin = 0;
};

// 1 disabled, 2 hot, 4 pushed, 8 selected.
int GetStateFlags(const TUiItemInfo& ItemInfo);
// An item info from a flag word: bits 0x0F the state flags, bits 0xF00 the kind of view
// (0x000 toolbar, 0x100 dock panel, 0x200 status-bar area).
TUiItemInfo SimplifiedItemInfo(int Flags);

// Margins by name, never by a rectangle's order.
struct TUiMargins {
  int Left = 0;
  int Right = 0;
  int Top = 0;
  int Bottom = 0;
  bool operator==(const TUiMargins&) const = default;
};

// The frame of an edit or combo item.
struct TUiEditFrameInfo {
  int FrameState = 0;   // state flags
  int ButtonKind = 0;   // 0 none, 1 drop-down button, 2 spin buttons
  int ButtonState = 0;  // as in TUiEditButtonInfo
  int ButtonWidth = 0;  // 0: the theme's own width
};

// The button part of an edit frame: kind 1 drop-down, 2 spin buttons; state bits 1 disabled,
// 2 hot, 4 pressed (spin buttons: 4 up pressed, 8 down pressed).
struct TUiEditButtonInfo {
  int ButtonKind = 0;
  int ButtonState = 0;
};

// The caption bar and border of a dock panel.
struct TUiDockPanelInfo {
  HWND Window = nullptr;
  int ViewType = 0;
  bool IsVertical = false;
  WideString Caption;
  int CloseButtonState = 0;  // 1 shown, 2 hot, 4 pushed
};

// The frame and caption of a floating toolbar window.
struct TUiFloatingBorderInfo {
  HWND Window = nullptr;
  int ViewType = 0;
  TPoint BorderSize;
  bool ShowCaption = false;
  WideString Caption;
  bool Active = false;
  int CloseButtonState = 0;  // 1 shown, 2 hot, 4 pushed
  int PaintParts = 0;        // 1 frame, 2 caption, 4 close button
};

// The non-client frame of a popup window.
struct TUiPopupInfo {
  HWND Window = nullptr;
  int ViewType = 0;
  TPoint BorderSize;
  TRect ParentRect;  // the item that opened the popup, in the popup's coordinates
};

// The non-client area of a docked toolbar: border, drag handle, close button.
struct TUiToolbarInfo {
  HWND Window = nullptr;
  int ViewType = 0;
  bool IsVertical = false;
  bool Docked = true;        // docked toolbars get a drag handle
  int BorderStyle = 0;       // 0 none, 1 single
  int DragHandleStyle = 0;   // 0 double, 1 none, 2 single
  int CloseButtonState = 0;  // 1 shown, 2 hot, 4 pushed
  TPoint BorderSize;
};

// A message receiver that is not a control: themes, the nexus.
class TUiDispatcher : public TObject {
  HV_CLASS(TUiDispatcher, TObject)
 public:
  virtual void Dispatch(TMessage& Message);
};

// Hands a message to a listener: a control's or a dispatcher's handler.
void UiDispatch(TObject* Listener, TMessage& Message);

// The painter and metric provider every themed control asks.
class TUiTheme : public TUiDispatcher {
  HV_CLASS(TUiTheme, TUiDispatcher)
 public:
  explicit TUiTheme(const AnsiString& AName);
  const AnsiString& Name() const { return name_; }

  virtual TPoint GetImageOffset(TCanvas* Canvas, const TUiItemInfo& ItemInfo, TCustomImageList* ImageList) = 0;
  virtual TColor GetItemColor(const TUiItemInfo& ItemInfo) = 0;
  virtual TColor GetItemTextColor(const TUiItemInfo& ItemInfo) = 0;
  virtual TColor GetItemImageBackground(const TUiItemInfo& ItemInfo) = 0;
  virtual TUiMargins GetMargins(int MarginID) = 0;
  virtual int GetPopupShadowType() = 0;
  virtual TPoint GetViewBorder(int ViewType) = 0;
  virtual TColor GetViewColor(int ViewType) = 0;
  virtual TUiMargins GetViewMargins(int ViewType) = 0;
  virtual void PaintBackgnd(TCanvas* Canvas, const TRect& ARect, const TRect& PaintRect, const TRect& ClipRect,
                            TColor Color, bool Transparent, int ViewType) = 0;
  virtual void PaintButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) = 0;
  virtual void PaintCaption(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, const WideString& Caption,
                            UINT Format, bool Rotated) = 0;
  virtual void PaintCheckMark(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) = 0;
  virtual void PaintChevron(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) = 0;
  virtual void PaintEditFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                              const TUiEditFrameInfo& EditFrameInfo) = 0;
  virtual void PaintEditButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                               const TUiEditButtonInfo& EditButtonInfo) = 0;
  virtual void PaintDock(TCanvas* Canvas, const TRect& ClientRect, const TRect& DockRect, int DockPosition) = 0;
  virtual void PaintDockPanelNCArea(TCanvas* Canvas, const TRect& ARect, const TUiDockPanelInfo& DockPanelInfo) = 0;
  virtual void PaintDropDownArrow(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) = 0;
  virtual void PaintFloatingBorder(TCanvas* Canvas, const TRect& ARect,
                                   const TUiFloatingBorderInfo& FloatingBorderInfo) = 0;
  virtual void PaintFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) = 0;
  virtual void PaintImage(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, TCustomImageList* ImageList,
                          int ImageIndex) = 0;
  virtual void PaintMDIButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, UINT ButtonKind) = 0;
  virtual void PaintMenuItem(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) = 0;
  virtual void PaintMenuItemFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) = 0;
  virtual void PaintPageScrollButton(TCanvas* Canvas, const TRect& ARect, int ButtonType, bool Hot) = 0;
  virtual void PaintPopupNCArea(TCanvas* Canvas, const TRect& ARect, const TUiPopupInfo& PopupInfo) = 0;
  virtual void PaintSeparator(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, bool Horizontal,
                              bool LineOnly) = 0;
  virtual void PaintToolbarNCArea(TCanvas* Canvas, const TRect& ARect, const TUiToolbarInfo& ToolbarInfo) = 0;
  virtual void PaintFrameControl(TCanvas* Canvas, const TRect& ARect, int Kind, int State, void* Params) = 0;
  virtual void PaintStatusBar(TCanvas* Canvas, const TRect& ARect, int Part) = 0;
  virtual int GetIntegerMetrics(int Index) = 0;
  virtual bool GetBooleanMetrics(int Index) = 0;

 private:
  AnsiString name_;
};

// The "virtual constructor" of a theme class: makes a theme of that class under a name.
using TUiThemeClass = TUiTheme* (*)(const AnsiString& AName);
template <class T>
TUiTheme* UiThemeFactory(const AnsiString& AName) {
  return new T(AName);
}
template <class T>
constexpr TUiThemeClass UiThemeClassOf() {
  return &UiThemeFactory<T>;
}

// ---- registry ----
// Errors raise Exception with fixed texts; the registry is then unchanged.

void RegisterTheme(const AnsiString& Name, TUiThemeClass ThemeClass);
bool IsThemeRegistered(const AnsiString& Name);
int FindThemeIndex(const AnsiString& Name);
void ListThemes(TStrings* Strings);
// The theme of that name, made on first use; each call counts.
TUiTheme* AcquireTheme(const AnsiString& Name);
// Gives back one count; the last frees the theme and sets Theme to null.
void ReleaseTheme(TUiTheme*& Theme);
// Removes every registration (instances still held are freed); for the unit's end and tests.
void ClearThemeRegistry();

void AddSystemChangeListener(TObject* Obj);
void RemoveSystemChangeListener(TObject* Obj);

// ---- system facts, kept up to date by the theme manager ----

enum TUiThemeClassId {
  ucButton,
  ucScrollBar,
  ucRebar,
  ucToolbar,
  ucWindow,
  ucComboBox,
  ucExplorerBar,
  ucStatus,
  ucSpin,
  ucCount
};

extern bool ThemesUsable;
extern bool FlatMenuStyle;
extern TColor MenuColor;
extern TColor MenuTextColor;
extern TColor ToolbarFillColor;
extern TColor ToolbarTextColor;
extern bool LowColorDisplay;
extern bool WhiteButtonFace;
// LowColorDisplay or WhiteButtonFace: images are then never drawn faded.
extern bool LowColorOrWhiteFace;
extern TColor HotLightColor;
// The visual-style handle of a class, null when not open.
HTHEME UiThemeHandle(TUiThemeClassId Id);

class TUiThemeManager : public TObject {
  HV_CLASS(TUiThemeManager, TObject)
 public:
  TUiThemeManager();
  ~TUiThemeManager() override;

  // Whether visual styles may be used at all; takes effect at the next system update.
  bool AllowThemes() const { return allowThemes_; }
  void SetAllowThemes(bool Value) { allowThemes_ = Value; }
  int MenuStyle() const { return menuStyle_; }
  HWND Handle() const;
  const std::vector<TObject*>& Listeners() const { return listeners_; }
  HTHEME ThemeHandle(TUiThemeClassId Id) const { return Id >= 0 && Id < ucCount ? handles_[Id] : nullptr; }

  void AddListener(TObject* Obj) { listeners_.push_back(Obj); }
  void RemoveListener(TObject* Obj);
  // Re-reads the system facts and reopens the visual-style handles.
  void SystemUpdate();

  // Sends a message to every listener in order; the last result (0 for none).
  LRESULT Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam);

 private:
  bool HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);
  void CloseHandles();

  HTHEME handles_[ucCount] = {};
  bool allowThemes_ = true;
  int menuStyle_ = 0;
  std::vector<TObject*> listeners_;
  std::unique_ptr<TUtilityWindow> window_;
};

// The manager, made with the unit.
TUiThemeManager* UiThemeManager();
// Whether the platform is Windows NT at least major.minor.
bool IsWindowsNTAtLeast(int Major, int Minor);
