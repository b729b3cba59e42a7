// The thread hook hub: per-thread hooks with reference counts per hook type.
#include "toolbars/BarHook.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/CallbackGuard.h"
#include "framework/SystemHandles.h"

namespace {

constexpr int HookTypes = 3;
constexpr int WindowsHookIds[HookTypes] = {WH_CALLWNDPROC, WH_CBT, WH_GETMESSAGE};

struct User {
  void* Id;
  THookProcCodes Events;
  unsigned InstalledTypes;  // bit per hook type
};

struct Registration {
  THookHandler Proc;
  std::vector<User> Users;  // newest first
  // A procedure hears every event any of its users asked for.
  THookProcCodes Events() const {
    THookProcCodes all;
    for (const User& u : Users) all += u.Events;
    return all;
  }
};

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);
constexpr HOOKPROC HookProcs[HookTypes] = {CallWndProcHook, CbtHook, GetMessageHook};

struct ThreadHooks {
  THookHandle Handles[HookTypes];
  int Counts[HookTypes] = {};
  std::vector<Registration> Registrations;
};

thread_local ThreadHooks hooks;

unsigned TypesFor(THookProcCodes events) {
  unsigned types = 0;
  if (events.Contains(hkActivate) || events.Contains(hkActivateApp) || events.Contains(hkWindowPosChanged)) types |= 1;
  if (events.Contains(hkDestroyWindow)) types |= 2;
  if (events.Contains(hkGetMessage)) types |= 4;
  return types;
}

void InstallTypes(User& user, unsigned types) {
  unsigned added = types & ~user.InstalledTypes;
  for (int t = 0; t < HookTypes; ++t)
    if (added & (1u << t)) ++hooks.Counts[t];
  user.InstalledTypes |= added;
  for (int t = 0; t < HookTypes; ++t)
    if ((user.InstalledTypes & (1u << t)) && !hooks.Handles[t])
      hooks.Handles[t] = THookHandle(WindowsHookIds[t], HookProcs[t]);
}

void UninstallTypes(unsigned types) {
  for (int t = 0; t < HookTypes; ++t) {
    if (!(types & (1u << t))) continue;
    if (hooks.Counts[t] > 0) --hooks.Counts[t];
    if (hooks.Counts[t] == 0) hooks.Handles[t].Reset();
  }
}

Registration* Find(THookHandler proc) {
  for (Registration& r : hooks.Registrations)
    if (r.Proc == proc) return &r;
  return nullptr;
}

// Calls every procedure that wants the event; a procedure may add or remove registrations
// while it runs, so the list is looked at afresh for each one.
void Dispatch(THookProcCode code, HWND wnd, WPARAM wParam, LPARAM lParam) {
  std::vector<THookHandler> procs;
  for (const Registration& r : hooks.Registrations)
    if (r.Events().Contains(code)) procs.push_back(r.Proc);
  for (THookHandler proc : procs) {
    Registration* r = Find(proc);
    // Each procedure is heard on its own: one that raises neither unwinds through the system's
    // hook chain nor keeps the others from their event.
    if (r && r->Events().Contains(code))
      RunWindowCallback(
          nullptr,
          [&] {
            proc(code, wnd, wParam, lParam);
            return 0;
          },
          0);
  }
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = hooks.Handles[0].Get();
  if (code == HC_ACTION) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    switch (msg->message) {
      case WM_ACTIVATE: Dispatch(hkActivate, msg->hwnd, msg->wParam, msg->lParam); break;
      case WM_ACTIVATEAPP: Dispatch(hkActivateApp, msg->hwnd, msg->wParam, msg->lParam); break;
      case WM_WINDOWPOSCHANGED: Dispatch(hkWindowPosChanged, msg->hwnd, msg->wParam, msg->lParam); break;
      default: break;
    }
  }
  return CallNextHookEx(self, code, wParam, lParam);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = hooks.Handles[1].Get();
  if (code == HCBT_DESTROYWND) Dispatch(hkDestroyWindow, reinterpret_cast<HWND>(wParam), 0, 0);
  return CallNextHookEx(self, code, wParam, lParam);
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = hooks.Handles[2].Get();
  if (code == HC_ACTION) Dispatch(hkGetMessage, nullptr, wParam, lParam);
  return CallNextHookEx(self, code, wParam, lParam);
}

}  // namespace

void InstallHookProc(void* AUser, THookHandler AProc, THookProcCodes AEvents) {
  if (!AProc) return;
  Registration* r = Find(AProc);
  if (!r) {
    hooks.Registrations.push_back({AProc, {}});
    r = &hooks.Registrations.back();
  }
  auto it = std::find_if(r->Users.begin(), r->Users.end(), [&](const User& u) { return u.Id == AUser; });
  if (it == r->Users.end()) it = r->Users.insert(r->Users.begin(), User{AUser, {}, 0});
  it->Events += AEvents;
  InstallTypes(*it, TypesFor(AEvents));
}

void UninstallHookProc(void* AUser, THookHandler AProc) {
  Registration* r = Find(AProc);
  if (!r) return;
  auto it = std::find_if(r->Users.begin(), r->Users.end(), [&](const User& u) { return u.Id == AUser; });
  if (it == r->Users.end()) return;
  unsigned types = it->InstalledTypes;
  r->Users.erase(it);
  if (r->Users.empty()) hooks.Registrations.erase(hooks.Registrations.begin() + (r - hooks.Registrations.data()));
  UninstallTypes(types);
  if (hooks.Registrations.empty()) hooks.Registrations.shrink_to_fit();
}

int HookTypeRefCount(int HookType) { return HookType >= 0 && HookType < HookTypes ? hooks.Counts[HookType] : 0; }

bool HookTypeInstalled(int HookType) {
  return HookType >= 0 && HookType < HookTypes && static_cast<bool>(hooks.Handles[HookType]);
}
