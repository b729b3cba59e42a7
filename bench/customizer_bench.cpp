// Toolbar layout file benchmark: a "Toolbars.ini" of many item lines applied to a shown form's
// customizable toolbar, against the floor of reading the same lines into an INI document.
//
//   customizer_bench [lines]      (20000 by default)
#include <cstdio>
#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "framework/IniFiles.h"
#include "themes/SkinCustomizer.h"
#include "themes/SkinToolbar.h"
#include "themes/Ui.h"

namespace {

constexpr int kRuns = 5;
constexpr int kItems = 30;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int lines = argc > 1 ? static_cast<int>(std::wcstol(argv[1], nullptr, 10)) : 20000;
  UiStartUp();
  TForm form(nullptr, CreateNew);
  form.SetBounds(40, 40, 900, 300);
  auto* dock = new TSkinDock(&form);
  dock->SetPosition(dpTop);
  dock->SetParent(&form);
  auto* toolbar = new TSkinToolbar(&form);
  toolbar->SetName("Tb");
  toolbar->SetHideWhenInactive(false);
  for (int i = 0; i < kItems; ++i) {
    auto* item = new TSkinItem(&form);
    item->SetName("Item" + std::to_string(i));
    item->SetCaption(L"Item " + std::to_wstring(i));
    toolbar->Items()->Add(item);
  }
  toolbar->SetParent(dock);
  auto* customizer = new TSkinCustomizer(&form);
  customizer->SetName("Cstmzr");
  customizer->SetSaveFormState(false);
  form.Show();
  Pump();

  // Lines naming the items in turn move an item to the end with every line past the first
  // round; lines naming the last item again move nothing; lines naming no item are skipped.
  auto itemLines = [&](auto&& Name) {
    std::string t = "[Items]\r\nCount=" + std::to_string(lines) + "\r\n";
    for (int i = 0; i < lines; ++i) t += std::to_string(i) + "=Tb, " + Name(i) + "\r\n";
    auto list = std::make_unique<TStringList>();
    list->SetText(t);
    return list;
  };
  const auto turns = itemLines([](int i) { return "Item" + std::to_string(i % kItems); });
  const auto last = itemLines([](int i) { return "Item" + std::to_string(std::min(i, kItems - 1)); });
  const auto unknown = itemLines([](int i) { return "Gone" + std::to_string(i % kItems); });
  const double floor = Median(
      kRuns, [] {},
      [&] {
        TMemIniFile ini(L"");
        ini.SetStrings(turns.get());
      });
  auto load = [&](TStringList* Text) {
    return Median(
        kRuns, [] {}, [&] { customizer->Load(Text, false); });
  };
  std::printf("floor: %d lines into an INI document     %9.3f ms\n", lines, floor);
  std::printf("items named in turn, moving each line     %9.3f ms   (goal 500 ms)\n", load(turns.get()));
  std::printf("the last item named again and again       %9.3f ms\n", load(last.get()));
  std::printf("items that do not exist                   %9.3f ms\n", load(unknown.get()));
  for (int i = form.ComponentCount(); i-- > 0;)
    if (auto* t = dynamic_cast<TSkinToolbar*>(form.Components(i))) {
      for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
      delete t;
    }
  return 0;
}
