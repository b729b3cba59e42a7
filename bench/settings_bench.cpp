// Settings and form-file benchmark: deleting keys and sections of an INI document, shrinking a
// stored list, and reading a form file of many components, each at a small and a large count.
// Work that grows in proportion to the count shows a ratio near the ratio of the counts.
//
//   settings_bench
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "foundation/ApAppIniStorage.h"
#include "framework/FileRoutines.h"
#include "framework/FormFiles.h"
#include "framework/IniFiles.h"

namespace {

constexpr int kRuns = 5;

std::string Key(int i) { return "Key" + std::to_string(i); }

// N keys of one section, deleted one by one.
double DeleteKeys(int n) {
  std::unique_ptr<TMemIniFile> ini;
  return Median(
      kRuns,
      [&] {
        ini = std::make_unique<TMemIniFile>(WideString());
        for (int i = 0; i < n; ++i) ini->WriteString("S", Key(i), "v");
      },
      [&] {
        for (int i = 0; i < n; ++i) ini->DeleteKey("S", Key(i));
      });
}

// N sections, erased one by one.
double EraseSections(int n) {
  std::unique_ptr<TMemIniFile> ini;
  return Median(
      kRuns,
      [&] {
        ini = std::make_unique<TMemIniFile>(WideString());
        for (int i = 0; i < n; ++i) ini->WriteString(Key(i), "k", "v");
      },
      [&] {
        for (int i = 0; i < n; ++i) ini->EraseSection(Key(i));
      });
}

// A stored list of N items written again with one item.
double ShrinkList(int n) {
  std::unique_ptr<TApAppIniFileStorage> storage;
  TStringList full, one;
  for (int i = 0; i < n; ++i) full.Add(Key(i));
  one.Add("only");
  return Median(
      kRuns,
      [&] {
        storage = std::make_unique<TApAppIniFileStorage>(nullptr);
        storage->SetFlushOnDestroy(false);
        storage->SetDefaultSection("Main");
        storage->WriteStoredStringList("List", full);
      },
      [&] { storage->WriteStoredStringList("List", one); });
}

// A form file of N components, read into a fresh root.
double ReadForm(int n) {
  std::string text = "object L: TActionList\n";
  for (int i = 0; i < n; ++i) text += "  object A" + std::to_string(i) + ": TAction\n    Caption = 'x'\n  end\n";
  text += "end\n";
  std::unique_ptr<TComponent> root;
  return Median(
      kRuns, [&] { root.reset(); }, [&] { root.reset(ReadComponentFromText(text, nullptr, "bench")); });
}

void Line(const char* what, const std::function<double(int)>& run, int small, int large) {
  const double a = run(small), b = run(large);
  std::printf("%-34s %7d: %9.3f ms   %7d: %9.3f ms   ratio %6.1f (counts %d)\n", what, small, a, large, b,
              a > 0 ? b / a : 0.0, large / small);
}

}  // namespace

int wmain() {
  Line("INI document: delete keys", DeleteKeys, 1000, 100000);
  Line("INI document: erase sections", EraseSections, 1000, 100000);
  Line("settings: shrink a stored list", ShrinkList, 1000, 100000);
  Line("form file: read components", ReadForm, 1600, 16000);
  return 0;
}
