// What the skinned-control and status-bar tests share: a theme that records its calls and paints
// plain colours, a shown form, and small helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "framework/ImageList.h"
#include "themes/Ui.h"
#include "themes/UiDefaultTheme.h"

// One call of the colour theme.
struct TPaintCall {
  TPaintCall(std::string N = {}, TRect R = {}, TUiItemInfo I = {}, int P = 0, WideString T = {}, UINT F = 0,
             TUiEditFrameInfo E = {})
      : Name(std::move(N)), Rect(R), Info(I), Part(P), Text(std::move(T)), Format(F), Frame(E) {}
  std::string Name;
  TRect Rect;
  TUiItemInfo Info;
  int Part = 0;  // status-bar part
  WideString Text;
  UINT Format = 0;  // text format or frame-control state
  TUiEditFrameInfo Frame;
};

// Paints status-bar parts, buttons and frames each in a colour of its own, so pixels tell which
// call painted them; the rest is the default theme's.
class TColorTheme : public TUiDefaultTheme {
 public:
  static constexpr COLORREF BarColor = 0x00C000, FrameColor = 0x0000C0, LastFrameColor = 0xC00000, GripColor = 0xC000C0,
                            ButtonColor = 0x00C0C0, TextColor = 0x102030;

  using TUiDefaultTheme::TUiDefaultTheme;
  std::vector<TPaintCall> Calls;
  std::vector<TPaintCall> Named(const std::string& Name) const {
    std::vector<TPaintCall> r;
    for (const auto& c : Calls)
      if (c.Name == Name) r.push_back(c);
    return r;
  }

  TColor GetItemTextColor(const TUiItemInfo& I) override { return TColor(I.Enabled ? TextColor : 0x808080); }
  TUiMargins GetMargins(int Id) override { return Id == 3 ? TUiMargins{1, 3, 1, 1} : TUiMargins{}; }
  int GetIntegerMetrics(int Index) override { return Index == 20 ? 9 : TUiDefaultTheme::GetIntegerMetrics(Index); }
  void PaintButton(TCanvas* C, const TRect& R, const TUiItemInfo& I) override { Record("PaintButton", C, R, I, 0); }
  void PaintFrame(TCanvas* C, const TRect& R, const TUiItemInfo& I) override { Record("PaintFrame", C, R, I, -1); }
  void PaintDropDownArrow(TCanvas*, const TRect& R, const TUiItemInfo& I) override {
    Calls.push_back({"PaintDropDownArrow", R, I});
  }
  void PaintCaption(TCanvas* C, const TRect& R, const TUiItemInfo& I, const WideString& S, UINT F, bool) override {
    Calls.push_back({"PaintCaption", R, I, 0, S, F});
    TRect r = R;
    C->Brush()->SetStyle(bsClear);
    C->DrawText(r, S, F);
  }
  void PaintEditFrame(TCanvas*, const TRect& R, const TUiItemInfo& I, const TUiEditFrameInfo& E) override {
    Calls.push_back({"PaintEditFrame", R, I, 0, L"", 0, E});
  }
  void PaintFrameControl(TCanvas* C, const TRect& R, int, int State, void*) override {
    Calls.push_back({"PaintFrameControl", R, {}, 0, L"", static_cast<UINT>(State)});
    Fill(C, R, ButtonColor, false);
  }
  void PaintStatusBar(TCanvas* C, const TRect& R, int Part) override {
    Calls.push_back({"PaintStatusBar", R, {}, Part});
    const COLORREF colours[] = {BarColor, FrameColor, LastFrameColor, GripColor};
    Fill(C, R, colours[Part], Part == 1 || Part == 2);
  }

 private:
  void Record(const char* Name, TCanvas* C, const TRect& R, const TUiItemInfo& I, int Frame) {
    Calls.push_back({Name, R, I});
    Fill(C, R, Frame ? FrameColor : ButtonColor, Frame != 0);
  }
  static void Fill(TCanvas* C, const TRect& R, COLORREF Color, bool FrameOnly) {
    TBrushHandle b(CreateSolidBrush(Color));
    RECT r = ToRECT(R);
    FrameOnly ? FrameRect(C->Handle(), &r, b.Get()) : FillRect(C->Handle(), &r, b.Get());
  }
};

// Makes the colour theme current for a test and "Default" again after it.
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

inline LPARAM PointParam(int X, int Y) { return MAKELPARAM(static_cast<WORD>(X), static_cast<WORD>(Y)); }

// Makes the list hold one 8 x 8 image of pure red.
inline void AddRedImage(TCustomImageList& Images) {
  Images.SetWidth(8);
  Images.SetHeight(8);
  TBitmap red;
  red.SetSize(8, 8);
  red.Canvas()->Brush()->SetColor(TColor(0x0000FF));
  red.Canvas()->FillRect(TRect{0, 0, 8, 8});
  Images.AddMasked(&red, clNone);
}

// A press and release of the left button at a client point.
inline void ClickAt(TWinControl* Control, int X, int Y) {
  SendMessageW(Control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(X, Y));
  SendMessageW(Control->Handle(), WM_LBUTTONUP, 0, PointParam(X, Y));
}
