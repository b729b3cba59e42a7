// A form with docks, customizable toolbars of named commands and a customizer, for the
// customizer and customize dialog tests.
#pragma once

#include "framework/CodePages.h"
#include "framework/Forms.h"
#include "themes/SkinCustomizer.h"
#include "themes/Ui.h"

// Skinned toolbars are made apart, so that tests of other skinned units can use this form.
TBarCustomToolbar* NewSkinToolbar(TComponent* AOwner);
void SetCustomizable(TBarCustomToolbar* Toolbar, bool Value);
inline int Mode(TBarCustomToolbar* T) { return ToolbarDisplayMode(T); }

class TMenuParent : public TBarCustomItem {
 public:
  explicit TMenuParent(TComponent* AOwner) : TBarCustomItem(AOwner) { SetItemStyle(ItemStyle() | tbisHasSubmenu); }
};

struct TLayoutForm {
  TLayoutForm() : Form(nullptr, CreateNew) {
    UiStartUp();
    Form.SetBounds(50, 60, 500, 400);
    Top = Dock("TopDock", dpTop);
    Left = Dock("LeftDock", dpLeft);
    A = Toolbar("TbA", Top, {"Open", "Save", "Print"});
    Fixed = Toolbar("TbFixed", Top, {"Help"});
    SetCustomizable(Fixed, false);
    C = new TSkinCustomizer(&Form);
    C->SetName("Cstmzr");
    for (const char* n : {"Spare1", "Spare2"}) C->Items()->Add(Item(n));
    B = Toolbar("TbB", Left, {"Cut", "Copy"});
  }
  ~TLayoutForm() {
    for (int i = Form.ComponentCount(); i-- > 0;)
      if (auto* t = dynamic_cast<TBarCustomToolbar*>(Form.Components(i))) {
        for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
        delete t;
      }
  }
  TBarDock* Dock(const char* Name, TBarDockPosition Pos) {
    auto* d = new TBarDock(&Form);
    d->SetName(Name);
    d->SetPosition(Pos);
    d->SetParent(&Form);
    return d;
  }
  TBarCustomItem* Item(const char* Name) {
    auto* item = new TBarCustomItem(&Form);
    item->SetName(Name);
    item->SetCaption(AnsiToWide(Name));
    return item;
  }
  TBarCustomToolbar* Toolbar(const char* Name, TBarDock* D, std::initializer_list<const char*> Items) {
    auto* t = NewSkinToolbar(&Form);
    t->SetName(Name);
    for (const char* n : Items) t->Items()->Add(Item(n));
    t->SetParent(D);
    return t;
  }
  static std::string Names(TBarCustomItem* Root) {
    std::string s;
    for (int i = 0; i < Root->Count(); ++i) s += (i ? "," : "") + Root->Items(i)->Name();
    return s;
  }
  std::string Saved() {
    TStringList lines;
    C->Save(&lines);
    return lines.Text();
  }
  void Load(const std::string& Text, bool Last = true) {
    TStringList lines;
    lines.SetText(Text);
    C->Load(&lines, Last);
  }
  TForm Form;
  TBarDock *Top, *Left;
  TBarCustomToolbar *A, *B, *Fixed;
  TSkinCustomizer* C;
};
