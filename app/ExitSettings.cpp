// The settings files the exit could not write, gathered and told together once.
#include "app/ExitSettings.h"

#include "framework/Win.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/WindowRoutines.h"

namespace {

struct TRefusedFile {
  WideString FileName, Message;
};

// Whether the exit gathers refusals, what it gathered and not told yet, and what it told.
struct TRefusals {
  bool Gathering = false;
  std::vector<TRefusedFile> Gathered, Told;
};

TRefusals& refusals() {
  static TRefusals r;
  return r;
}

bool names(const std::vector<TRefusedFile>& List, const WideString& FileName) {
  return std::any_of(List.begin(), List.end(),
                     [&](const TRefusedFile& F) { return lstrcmpiW(F.FileName.c_str(), FileName.c_str()) == 0; });
}

}  // namespace

void GatherSettingsFailures() {
  refusals().Gathering = true;
  refusals().Told.clear();
}

bool GatherSettingsFailure(const WideString& FileName, const WideString& Message) {
  TRefusals& r = refusals();
  if (!r.Gathering) return false;
  if (!names(r.Gathered, FileName) && !names(r.Told, FileName)) r.Gathered.push_back({FileName, Message});
  return true;
}

void TellSettingsFailures(bool Finish) {
  TRefusals& r = refusals();
  const std::vector<TRefusedFile> failures = std::exchange(r.Gathered, {});
  r.Told.insert(r.Told.end(), failures.begin(), failures.end());
  if (Finish) {
    r.Gathering = false;
    r.Told.clear();
  }
  if (failures.empty()) return;
  WideString text;
  for (const TRefusedFile& failure : failures) text += (text.empty() ? L"" : L"\r\n") + failure.Message;
  try {
    ShowMessageBox(text, MB_ICONERROR);
  } catch (...) {}
}
