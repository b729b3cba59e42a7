// Settings and form-file benchmark: deleting keys and sections of an INI document, shrinking a
// stored list, reading a form file of many components and parsing a float of many digits, each
// at a small and a large count.
// Work that grows in proportion to the count shows a ratio near the ratio of the counts; the
// floor line shows what the caches add to that ratio for a plain hash map on this machine.
//
//   settings_bench
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "bench/BenchSupport.h"
#include "foundation/ApAppIniStorage.h"
#include "framework/Actions.h"
#include "framework/FileRoutines.h"
#include "framework/FormFileParser.h"
#include "framework/FormFiles.h"
#include "framework/IniFiles.h"
#include "framework/StrRoutines.h"

namespace {

constexpr int kRuns = 7;

// Names of one length, so that every count does the same work per name.
std::string Key(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "Key%06d", i);
  return name;
}

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

// The floor: N upper-cased names erased from a hash map, the least an indexed deletion does.
double EraseHashed(int n) {
  std::unique_ptr<std::unordered_map<std::string, int>> names;
  return Median(
      kRuns,
      [&] {
        names = std::make_unique<std::unordered_map<std::string, int>>();
        for (int i = 0; i < n; ++i) names->emplace(AnsiUpperCase(Key(i)), i);
      },
      [&] {
        for (int i = 0; i < n; ++i) names->erase(AnsiUpperCase(Key(i)));
      });
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

// A form file whose one float value is "1." followed by N zeros, parsed.
double ParseLongFloat(int n) {
  const std::string text = "object L: TActionList\n  Tag = 1." + std::string(static_cast<size_t>(n), '0') + "\nend\n";
  return Median(
      kRuns, [] {}, [&] { formfile::ParseFormText(text, "bench"); });
}

// The floor: the same text scanned for its digits, the least any reading of the number does.
double ScanDigits(int n) {
  const std::string text = "object L: TActionList\n  Tag = 1." + std::string(static_cast<size_t>(n), '0') + "\nend\n";
  volatile size_t digits = 0;
  return Median(
      kRuns, [] {},
      [&] {
        size_t count = 0;
        for (char c : text) count += c >= '0' && c <= '9';
        digits = count;
      });
}

void Line(const char* what, const std::function<double(int)>& run, int small, int large) {
  const double a = run(small), b = run(large);
  std::printf("%-34s %7d: %9.3f ms   %7d: %9.3f ms   ratio %6.1f (counts %d)\n", what, small, a, large, b,
              a > 0 ? b / a : 0.0, large / small);
}

}  // namespace

int wmain() {
  RegisterClasses({&TActionList::StaticClassInfo(), &TAction::StaticClassInfo()});
  Line("INI document: delete keys", DeleteKeys, 1000, 10000);
  Line("floor: erase from a hash map", EraseHashed, 1000, 100000);
  Line("INI document: delete keys", DeleteKeys, 1000, 100000);
  Line("INI document: erase sections", EraseSections, 1000, 100000);
  Line("settings: shrink a stored list", ShrinkList, 1000, 100000);
  Line("form file: read components", ReadForm, 1600, 16000);
  Line("floor: scan the digits of a float", ScanDigits, 20000, 200000);
  Line("form file: parse a float of N digits", ParseLongFloat, 20000, 200000);
  return 0;
}
