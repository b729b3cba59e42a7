// A theme that paints as the default one and writes down the calls the skinned painters make,
// and a scope that makes it current under a name (the painters follow some theme names).
#pragma once

#include <string>
#include <vector>

#include "themes/SkinItem.h"
#include "themes/UiDefaultTheme.h"

struct TSkinThemeCall {
  std::string Op;
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
    Log().push_back({"Button", I});
    TUiDefaultTheme::PaintButton(C, R, I);
  }
  void PaintEditFrame(TCanvas* C, const TRect& R, const TUiItemInfo& I, const TUiEditFrameInfo& E) override {
    Log().push_back({"EditFrame", I});
    TUiDefaultTheme::PaintEditFrame(C, R, I, E);
  }
  void PaintFrameControl(TCanvas* C, const TRect& R, int Kind, int State, void* P) override {
    Log().push_back({"FrameControl", {}, State});
    TUiDefaultTheme::PaintFrameControl(C, R, Kind, State, P);
  }
  void PaintDock(TCanvas* C, const TRect& CR, const TRect& DR, int Pos) override {
    Log().push_back({"Dock", {}, Pos});
    TUiDefaultTheme::PaintDock(C, CR, DR, Pos);
  }
};

struct TSkinThemeScope {
  explicit TSkinThemeScope(const AnsiString& Name = "SkinRecorder") {
    if (!IsThemeRegistered(Name)) RegisterTheme(Name, UiThemeClassOf<TSkinRecordingTheme>());
    SetCurrentThemeByName(Name);
    TSkinRecordingTheme::Log().clear();
  }
  ~TSkinThemeScope() { SetCurrentThemeByName("Default"); }
};

// Skinned items on a root seen by a toolbar or menu view without windows; freed with it.
struct TSkinView {
  explicit TSkinView(bool Toolbar) : view(nullptr, nullptr, &root, nullptr, Toolbar, false, false) {}
  ~TSkinView() {
    while (root.Count()) {
      TBarCustomItem* item = root.Items(0);
      root.Delete(0);
      delete item;
    }
  }
  TSkinItemViewer* Add(TBarCustomItem* Item) {
    root.Add(Item);
    return dynamic_cast<TSkinItemViewer*>(view.Find(Item));
  }
  TBarRootItem root{nullptr};
  TBarView view;
};
