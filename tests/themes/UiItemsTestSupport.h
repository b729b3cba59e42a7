// A theme that records the calls a themed painter makes, with metrics a test may fix, and
// a canvas on a memory bitmap in the menu font.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/GdiHandles.h"
#include "tests/common/TestPicture.h"
#include "themes/UiDefaultTheme.h"
#include "themes/UiItems.h"

// Inside an unnamed namespace: the skinned painters' tests have a recording theme of that name too.
namespace {
class TRecordingTheme : public TUiDefaultTheme {
 public:
  TRecordingTheme() : TUiDefaultTheme("Recorder") {}
  struct TCall {
    std::string Name;
    TRect R;
    TUiItemInfo Info;
  };
  std::vector<TCall> Calls;
  std::map<int, int> IntegerMetrics;
  std::map<int, bool> BooleanMetrics;

  std::string Names() const {
    std::string s;
    for (const auto& c : Calls) s += (s.empty() ? "" : " ") + c.Name;
    return s;
  }
  const TCall* Find(const std::string& Name) const {
    for (const auto& c : Calls)
      if (c.Name == Name) return &c;
    return nullptr;
  }
  void Add(const std::string& Name, const TRect& R, const TUiItemInfo& Info) { Calls.push_back({Name, R, Info}); }

  int GetIntegerMetrics(int Index) override {
    auto it = IntegerMetrics.find(Index);
    return it != IntegerMetrics.end() ? it->second : TUiDefaultTheme::GetIntegerMetrics(Index);
  }
  bool GetBooleanMetrics(int Index) override {
    auto it = BooleanMetrics.find(Index);
    return it != BooleanMetrics.end() ? it->second : TUiDefaultTheme::GetBooleanMetrics(Index);
  }
  TColor GetItemTextColor(const TUiItemInfo& I) override {
    Add("TextColor", {}, I);
    return TUiDefaultTheme::GetItemTextColor(I);
  }
  void PaintButton(TCanvas*, const TRect& R, const TUiItemInfo& I) override {
    Add(I.IsPopupParent == 3 ? "Button3" : "Button", R, I);
  }
  void PaintMenuItem(TCanvas*, const TRect& R, const TUiItemInfo& I) override { Add("MenuItem", R, I); }
  void PaintMenuItemFrame(TCanvas*, const TRect& R, const TUiItemInfo& I) override { Add("MenuItemFrame", R, I); }
  void PaintDropDownArrow(TCanvas*, const TRect& R, const TUiItemInfo& I) override { Add("Arrow", R, I); }
  void PaintCaption(TCanvas*, const TRect& R, const TUiItemInfo& I, const WideString& Caption, UINT,
                    bool Rotated) override {
    Add(std::string(Rotated ? "RotatedCaption:" : "Caption:") + std::string(Caption.begin(), Caption.end()), R, I);
  }
  void PaintImage(TCanvas*, const TRect& R, const TUiItemInfo& I, TCustomImageList*, int) override {
    Add("Image", R, I);
  }
  void PaintCheckMark(TCanvas*, const TRect& R, const TUiItemInfo& I) override { Add("Check", R, I); }
  void PaintChevron(TCanvas*, const TRect& R, const TUiItemInfo& I) override { Add("Chevron", R, I); }
  void PaintSeparator(TCanvas*, const TRect& R, const TUiItemInfo& I, bool Horizontal, bool LineOnly) override {
    Add(std::string("Separator") + (Horizontal ? "H" : "V") + (LineOnly ? "L" : ""), R, I);
  }
  void PaintDock(TCanvas*, const TRect& R, const TRect&, int) override { Add("Dock", R, {}); }
  void PaintBackgnd(TCanvas* C, const TRect& A, const TRect& P, const TRect& Clip, TColor Color, bool Transparent,
                    int ViewType) override {
    TUiItemInfo info;
    info.ViewType = ViewType;
    Add(Transparent ? "BackgndT" : "Backgnd", A, info);
    TUiDefaultTheme::PaintBackgnd(C, A, P, Clip, Color, Transparent, ViewType);
  }
};
}  // namespace

// Makes a theme current for the length of a test and puts the old one back.
struct TThemeSwap {
  explicit TThemeSwap(TUiTheme* Theme) : saved(CurrentTheme) { CurrentTheme = Theme; }
  ~TThemeSwap() { CurrentTheme = saved; }
  TUiTheme* saved;
};

// A white picture with its canvas in the menu font.
struct TItemPicture : TTestPicture {
  TItemPicture(int W, int H) : TTestPicture(W, H) { Canvas()->Font()->Assign(GetToolbarFont()); }
  int TextWidth(const WideString& S) {
    SIZE sz{};
    GetTextExtentPoint32W(Canvas()->Handle(), S.c_str(), static_cast<int>(S.size()), &sz);
    return sz.cx;
  }
  int TextHeight() {
    TEXTMETRICW tm{};
    GetTextMetricsW(Canvas()->Handle(), &tm);
    return tm.tmHeight;
  }
};
