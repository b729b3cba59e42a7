// A form with docks on its edges and toolbars of fixed-size buttons, for the dock tests.
#pragma once

#include <memory>

#include "framework/Forms.h"
#include "tests/toolbars/BarPopupTestSupport.h"
#include "toolbars/BarToolbar.h"

struct TDockForm {
  TDockForm() : Form(nullptr, CreateNew) {
    Form.SetBounds(40, 40, 400, 300);
    for (auto [dock, pos, name] : {std::tuple{&Top, dpTop, "TopDock"}, {&Left, dpLeft, "LeftDock"}}) {
      *dock = new TBarDock(&Form);
      (*dock)->SetName(name);
      (*dock)->SetPosition(pos);
      (*dock)->SetParent(&Form);
    }
  }
  // A toolbar of Count buttons of 23 x 22 docked in Dock.
  TBarCustomToolbar* Toolbar(const char* Name, int Count, TBarDock* Dock, int Row = 0, int Pos = -1) {
    auto* t = new TBarCustomToolbar(&Form);
    t->SetName(Name);
    t->SetHideWhenInactive(false);
    for (int i = 0; i < Count; ++i) {
      auto* item = new TSizedItem(23, 22);
      Items.emplace_back(item);
      t->Items()->Add(item);
    }
    t->SetDockRow(Row);
    t->SetDockPos(Pos);
    if (Dock) t->SetParent(Dock);
    return t;
  }
  void Show() {
    Form.Show();
    PumpMessagesFor(30);
  }
  TRect ScreenRect(TWinControl* C) {
    RECT r{};
    GetWindowRect(C->Handle(), &r);
    return {r.left, r.top, r.right, r.bottom};
  }
  ~TDockForm() {
    // The toolbars go before the items they show.
    for (int i = Form.ComponentCount(); i-- > 0;)
      if (auto* t = dynamic_cast<TBarCustomToolbar*>(Form.Components(i))) {
        for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
        delete t;
      }
  }
  TForm Form;
  TBarDock* Top = nullptr;
  TBarDock* Left = nullptr;
  std::vector<std::unique_ptr<TSizedItem>> Items;
};
