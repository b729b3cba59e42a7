// Saving and restoring where the dockable windows of a form are, through read and write
// procedures of the caller, who decides the storage.
#include <algorithm>
#include <exception>

#include "framework/StrRoutines.h"
#include "toolbars/BarDock.h"

namespace {

constexpr int PositionRevision = 2000;

bool SameText(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           auto lower = [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; };
           return lower(X) == lower(Y);
         });
}

// Runs Body, then Finish whatever Body did; the first exception of the two goes on.
template <class TBody, class TFinish>
void RunThenFinish(TBody&& Body, TFinish&& Finish) {
  std::exception_ptr error;
  try {
    Body();
  } catch (...) {
    error = std::current_exception();
  }
  try {
    Finish();
  } catch (...) {
    if (!error) error = std::current_exception();
  }
  if (error) std::rethrow_exception(error);
}

void LoadPosition(TComponent* OwnerComponent, TBarCustomDockableWindow* W, TBarPositionReadIntProc ReadIntProc,
                  TBarPositionReadStringProc ReadStringProc, void* ExtraData) {
  const std::string& name = W->Name();
  if (ReadIntProc(name, "Rev", 0, ExtraData) != PositionRevision) return;
  W->SetVisible(ReadIntProc(name, "Visible", W->Visible() ? 1 : 0, ExtraData) != 0);
  std::string dockedTo = ReadStringProc(name, "DockedTo", "", ExtraData);
  if (dockedTo.empty()) return;
  TBarDock* dock = nullptr;
  if (dockedTo != "+") {
    dock = FindDock(OwnerComponent, dockedTo);
    if (!dock || !dock->AllowDrag()) return;
  }
  // The window arranges once, at the end.
  W->BeginUpdate();
  RunThenFinish(
      [&] {
        W->SetDockRow(ReadIntProc(name, "DockRow", W->DockRow(), ExtraData));
        W->SetDockPos(ReadIntProc(name, "DockPos", W->DockPos(), ExtraData));
        int left = ReadIntProc(name, "FloatLeft", 0, ExtraData);
        int top = ReadIntProc(name, "FloatTop", 0, ExtraData);
        TBarCustomDockableWindow::TPositionData data{true, reinterpret_cast<void*>(ReadIntProc),
                                                     reinterpret_cast<void*>(ReadStringProc), ExtraData};
        W->PositionDataExtra(name, data);
        W->SetFloatingPosition({left, top});
        if (dock)
          W->SetParent(dock);
        else
          W->SetFloating(true);
        if (W->UseLastDock()) {
          std::string last = ReadStringProc(name, "LastDock", "", ExtraData);
          if (!last.empty()) W->SetLastDock(FindDock(OwnerComponent, last));
        }
        W->Arrange();
      },
      [&] { W->EndUpdate(); });
}

}  // namespace

TBarDock* FindDock(TComponent* OwnerComponent, const std::string& AName) {
  for (int i = 0; i < OwnerComponent->ComponentCount(); ++i)
    if (auto* d = dynamic_cast<TBarDock*>(OwnerComponent->Components(i)); d && SameText(d->Name(), AName)) return d;
  return nullptr;
}

void SaveDockablePositions(TComponent* OwnerComponent, TBarPositionWriteIntProc WriteIntProc,
                           TBarPositionWriteStringProc WriteStringProc, void* ExtraData) {
  for (int i = 0; i < OwnerComponent->ComponentCount(); ++i) {
    auto* w = dynamic_cast<TBarCustomDockableWindow*>(OwnerComponent->Components(i));
    if (!w || w->Name().empty() || !(w->Floating() || w->Docked())) continue;
    std::string dockedTo;
    if (w->Floating()) {
      dockedTo = "+";
    } else if (w->CurrentDock()->AllowDrag()) {
      if (w->CurrentDock()->Name().empty()) throw EInvalidOperation(SBarDockedToNameNotSet);
      dockedTo = w->CurrentDock()->Name();
    }
    const std::string& name = w->Name();
    WriteIntProc(name, "Rev", PositionRevision, ExtraData);
    WriteIntProc(name, "Visible", w->Visible() ? 1 : 0, ExtraData);
    WriteStringProc(name, "DockedTo", dockedTo, ExtraData);
    WriteStringProc(name, "LastDock", w->LastDock() ? w->LastDock()->Name() : std::string(), ExtraData);
    WriteIntProc(name, "DockRow", w->DockRow(), ExtraData);
    WriteIntProc(name, "DockPos", w->DockPos(), ExtraData);
    WriteIntProc(name, "FloatLeft", w->FloatingPosition().X, ExtraData);
    WriteIntProc(name, "FloatTop", w->FloatingPosition().Y, ExtraData);
    TBarCustomDockableWindow::TPositionData data{false, reinterpret_cast<void*>(WriteIntProc),
                                                 reinterpret_cast<void*>(WriteStringProc), ExtraData};
    w->PositionDataExtra(name, data);
  }
}

void LoadDockablePositions(TComponent* OwnerComponent, TBarPositionReadIntProc ReadIntProc,
                           TBarPositionReadStringProc ReadStringProc, void* ExtraData) {
  std::vector<TBarDock*> docks;
  for (int i = 0; i < OwnerComponent->ComponentCount(); ++i)
    if (auto* d = dynamic_cast<TBarDock*>(OwnerComponent->Components(i))) {
      d->BeginUpdate();
      docks.push_back(d);
    }
  // Every dock is unlocked whatever the reads did; the first failure, of a read or else of an
  // unlocking, goes on to the caller once all are unlocked.
  RunThenFinish(
      [&] {
        for (int i = 0; i < OwnerComponent->ComponentCount(); ++i) {
          auto* w = dynamic_cast<TBarCustomDockableWindow*>(OwnerComponent->Components(i));
          if (w && !w->Name().empty()) LoadPosition(OwnerComponent, w, ReadIntProc, ReadStringProc, ExtraData);
        }
      },
      [&] {
        std::exception_ptr first;
        for (TBarDock* d : docks) {
          try {
            d->EndUpdate();
          } catch (...) {
            if (!first) first = std::current_exception();
          }
        }
        if (first) std::rethrow_exception(first);
      });
}
