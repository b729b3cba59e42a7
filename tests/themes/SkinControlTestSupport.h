// What the skinned-control and status-bar tests share: a theme that records its calls and paints
// plain colours, a shown form, and message pumping.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "themes/Ui.h"

// One call of the recording theme.
struct TPaintCall {
  TPaintCall() = default;
  TPaintCall(const std::string& AName, const TRect& ARect, const TUiItemInfo& AInfo = {}, int APart = 0)
      : Name(AName), Rect(ARect), Info(AInfo), Part(APart) {}
  std::string Name;
  TRect Rect;
  TUiItemInfo Info;
  int Part = 0;  // status-bar part or frame-control kind
  WideString Text;
  UINT Format = 0;  // text format or frame-control state
  TUiEditFrameInfo Frame;
};

// Paints every status-bar part, button and frame in a colour of its own, so pixels tell which
// call painted them.
class TColorTheme : public TUiTheme {
 public:
  static constexpr COLORREF BarColor = 0x00C000;
  static constexpr COLORREF FrameColor = 0x0000C0;
  static constexpr COLORREF LastFrameColor = 0xC00000;
  static constexpr COLORREF GripColor = 0xC000C0;
  static constexpr COLORREF ButtonColor = 0x00C0C0;
  static constexpr COLORREF EditFrameColor = 0x804000;
  static constexpr COLORREF TextColor = 0x102030;
  static constexpr COLORREF DisabledTextColor = 0x808080;

  explicit TColorTheme(const AnsiString& AName) : TUiTheme(AName) {}
  std::vector<TPaintCall> Calls;
  std::vector<TPaintCall> Named(const std::string& Name) const {
    std::vector<TPaintCall> r;
    for (const auto& c : Calls)
      if (c.Name == Name) r.push_back(c);
    return r;
  }

  TPoint GetImageOffset(TCanvas*, const TUiItemInfo&, TCustomImageList*) override { return {}; }
  TColor GetItemColor(const TUiItemInfo&) override { return clNone; }
  TColor GetItemTextColor(const TUiItemInfo& I) override { return TColor(I.Enabled ? TextColor : DisabledTextColor); }
  TColor GetItemImageBackground(const TUiItemInfo&) override { return clNone; }
  TUiMargins GetMargins(int Id) override { return Id == 3 ? TUiMargins{1, 3, 1, 1} : TUiMargins{}; }
  int GetPopupShadowType() override { return 0; }
  TPoint GetViewBorder(int) override { return {}; }
  TColor GetViewColor(int) override { return clBtnFace; }
  TUiMargins GetViewMargins(int) override { return {}; }
  void PaintBackgnd(TCanvas*, const TRect&, const TRect&, const TRect&, TColor, bool, int) override {}
  void PaintButton(TCanvas* C, const TRect& R, const TUiItemInfo& I) override {
    Record("PaintButton", R, I);
    Fill(C, R, ButtonColor);
  }
  void PaintCaption(TCanvas* C, const TRect& R, const TUiItemInfo& I, const WideString& S, UINT F, bool) override {
    TPaintCall c{"PaintCaption", R, I};
    c.Text = S;
    c.Format = F;
    Calls.push_back(c);
    TRect r = R;
    C->Brush()->SetStyle(bsClear);
    C->DrawText(r, S, F);
  }
  void PaintCheckMark(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintChevron(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintEditFrame(TCanvas* C, const TRect& R, const TUiItemInfo& I, const TUiEditFrameInfo& E) override {
    TPaintCall c{"PaintEditFrame", R, I};
    c.Frame = E;
    Calls.push_back(c);
    Frame(C, R, EditFrameColor);
  }
  void PaintEditButton(TCanvas*, const TRect&, const TUiItemInfo&, const TUiEditButtonInfo&) override {}
  void PaintDock(TCanvas* C, const TRect& R, const TRect&, int) override { Fill(C, R, BarColor); }
  void PaintDockPanelNCArea(TCanvas*, const TRect&, const TUiDockPanelInfo&) override {}
  void PaintDropDownArrow(TCanvas*, const TRect& R, const TUiItemInfo& I) override {
    Record("PaintDropDownArrow", R, I);
  }
  void PaintFloatingBorder(TCanvas*, const TRect&, const TUiFloatingBorderInfo&) override {}
  void PaintFrame(TCanvas* C, const TRect& R, const TUiItemInfo& I) override {
    Record("PaintFrame", R, I);
    Frame(C, R, FrameColor);
  }
  void PaintImage(TCanvas*, const TRect& R, const TUiItemInfo& I, TCustomImageList*, int) override {
    Record("PaintImage", R, I);
  }
  void PaintMDIButton(TCanvas*, const TRect&, const TUiItemInfo&, UINT) override {}
  void PaintMenuItem(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintMenuItemFrame(TCanvas*, const TRect&, const TUiItemInfo&) override {}
  void PaintPageScrollButton(TCanvas*, const TRect&, int, bool) override {}
  void PaintPopupNCArea(TCanvas*, const TRect&, const TUiPopupInfo&) override {}
  void PaintSeparator(TCanvas*, const TRect&, const TUiItemInfo&, bool, bool) override {}
  void PaintToolbarNCArea(TCanvas*, const TRect&, const TUiToolbarInfo&) override {}
  void PaintFrameControl(TCanvas* C, const TRect& R, int Kind, int State, void*) override {
    TPaintCall c{"PaintFrameControl", R, {}, Kind};
    c.Format = static_cast<UINT>(State);
    Calls.push_back(c);
    Fill(C, R, ButtonColor);
  }
  void PaintStatusBar(TCanvas* C, const TRect& R, int Part) override {
    TPaintCall c{"PaintStatusBar", R, {}, Part};
    Calls.push_back(c);
    switch (Part) {
      case 0: Fill(C, R, BarColor); break;
      case 1: Frame(C, R, FrameColor); break;
      case 2: Frame(C, R, LastFrameColor); break;
      default: Fill(C, R, GripColor);
    }
  }
  int GetIntegerMetrics(int Index) override { return Index == 20 ? 9 : 0; }
  bool GetBooleanMetrics(int) override { return false; }

 private:
  void Record(const char* Name, const TRect& R, const TUiItemInfo& I) { Calls.push_back({Name, R, I}); }
  static void Fill(TCanvas* C, const TRect& R, COLORREF Color) {
    TBrushHandle b(CreateSolidBrush(Color));
    RECT r = ToRECT(R);
    FillRect(C->Handle(), &r, b.Get());
  }
  static void Frame(TCanvas* C, const TRect& R, COLORREF Color) {
    TBrushHandle b(CreateSolidBrush(Color));
    RECT r = ToRECT(R);
    FrameRect(C->Handle(), &r, b.Get());
  }
};

// Makes the recording theme current for a test and "Default" again after it.
class TColorThemeScope {
 public:
  TColorThemeScope() {
    if (!IsThemeRegistered("Colours")) RegisterTheme("Colours", UiThemeClassOf<TColorTheme>());
    SetCurrentThemeByName("Colours");
  }
  ~TColorThemeScope() { SetCurrentThemeByName("Default"); }
  TColorTheme* operator->() const { return static_cast<TColorTheme*>(CurrentTheme); }
};

// A shown form without a form file, at a fixed place.
class TSkinFormTest : public testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr, CreateNew);
    form->SetBounds(40, 40, 480, 320);
    form->Show();
    Pump();
  }
  void TearDown() override {
    delete form;
    Pump();
  }
  template <class T>
  T* Child(TWinControl* Parent = nullptr) {
    auto* c = new T(form);
    c->SetParent(Parent ? Parent : form);
    return c;
  }
  static void Pump() { Application->ProcessMessages(); }
  TForm* form = nullptr;
};

inline COLORREF PixelOf(TWinControl* Control, int X, int Y) {
  HDC dc = GetDC(Control->Handle());
  COLORREF c = GetPixel(dc, X, Y);
  ReleaseDC(Control->Handle(), dc);
  return c;
}

// The message of the exception Work raises (of type E), or "" when it raises none.
template <class E>
WideString MessageOf(const std::function<void()>& Work) {
  try {
    Work();
  } catch (const E& e) {
    return e.Message();
  }
  return WideString();
}

inline LPARAM PointParam(int X, int Y) { return MAKELPARAM(static_cast<WORD>(X), static_cast<WORD>(Y)); }
