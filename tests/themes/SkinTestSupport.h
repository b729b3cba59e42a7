// A theme that paints as the default one and writes down every call a skinned painter or viewer
// makes of it, and a scope that makes it (or another named theme) current.
#pragma once

#include <string>
#include <vector>

#include "themes/Ui.h"
#include "themes/UiDefaultTheme.h"

struct TSkinThemeCall {
  std::string Op;
  TRect R;
  TUiItemInfo Info;
  int Extra = 0;
};

class TSkinRecordingTheme : public TUiDefaultTheme {
 public:
  using TUiDefaultTheme::TUiDefaultTheme;
  static std::vector<TSkinThemeCall>& Log() {
    static std::vector<TSkinThemeCall> log;
    return log;
  }
  static std::string Ops() {
    std::string s;
    for (const TSkinThemeCall& c : Log()) s += (s.empty() ? "" : " ") + c.Op;
    return s;
  }
  void PaintButton(TCanvas* C, const TRect& R, const TUiItemInfo& I) override {
    Log().push_back({"Button", R, I, I.IsPopupParent});
    TUiDefaultTheme::PaintButton(C, R, I);
  }
  void PaintMenuItem(TCanvas* C, const TRect& R, const TUiItemInfo& I) override {
    Log().push_back({"MenuItem", R, I});
    TUiDefaultTheme::PaintMenuItem(C, R, I);
  }
  void PaintFrame(TCanvas* C, const TRect& R, const TUiItemInfo& I) override {
    Log().push_back({"Frame", R, I});
    TUiDefaultTheme::PaintFrame(C, R, I);
  }
  void PaintEditFrame(TCanvas* C, const TRect& R, const TUiItemInfo& I, const TUiEditFrameInfo& E) override {
    Log().push_back({"EditFrame", R, I});
    TUiDefaultTheme::PaintEditFrame(C, R, I, E);
  }
  void PaintFrameControl(TCanvas* C, const TRect& R, int Kind, int State, void* P) override {
    Log().push_back({"FrameControl", R, {}, State});
    TUiDefaultTheme::PaintFrameControl(C, R, Kind, State, P);
  }
  void PaintDock(TCanvas* C, const TRect& CR, const TRect& DR, int Pos) override {
    Log().push_back({"Dock", DR, {}, Pos});
    TUiDefaultTheme::PaintDock(C, CR, DR, Pos);
  }
  void PaintDropDownArrow(TCanvas* C, const TRect& R, const TUiItemInfo& I) override {
    Log().push_back({"DropDownArrow", R, I});
    TUiDefaultTheme::PaintDropDownArrow(C, R, I);
  }
  void PaintCheckMark(TCanvas* C, const TRect& R, const TUiItemInfo& I) override {
    Log().push_back({"CheckMark", R, I});
    TUiDefaultTheme::PaintCheckMark(C, R, I);
  }
  void PaintImage(TCanvas* C, const TRect& R, const TUiItemInfo& I, TCustomImageList* L, int Index) override {
    Log().push_back({"Image", R, I, Index});
    TUiDefaultTheme::PaintImage(C, R, I, L, Index);
  }
  void PaintCaption(TCanvas* C, const TRect& R, const TUiItemInfo& I, const WideString& S, UINT F, bool Rot) override {
    Log().push_back({"Caption", R, I});
    TUiDefaultTheme::PaintCaption(C, R, I, S, F, Rot);
  }
};

// Makes a theme of the given name current for the scope ("SkinRecorder" is the recording theme; the
// other names register it under themselves), then "Default" again.
struct TSkinThemeScope {
  explicit TSkinThemeScope(const AnsiString& Name = "SkinRecorder") {
    if (!IsThemeRegistered(Name)) RegisterTheme(Name, UiThemeClassOf<TSkinRecordingTheme>());
    SetCurrentThemeByName(Name);
    TSkinRecordingTheme::Log().clear();
  }
  ~TSkinThemeScope() { SetCurrentThemeByName("Default"); }
};
