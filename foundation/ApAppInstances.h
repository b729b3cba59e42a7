// The single-instance component: a copy that would exceed the allowed number of running copies
// activates the first one, hands it its command line, and ends.
#pragma once

#include <cstdint>

#include "foundation/SysAppInstances.h"
#include "framework/Component.h"
#include "framework/Delegate.h"

using TInstanceChangeEvent = TEvent<void(TObject* Sender, DWORD ProcessId)>;
using TUserNotifyEvent = TEvent<void(TObject* Sender, int Param)>;
using TDataAvailableEvent = TEvent<void(TObject* Sender, int Kind, const void* Data, uint32_t Size)>;
// The parameters of the other copy's command line, one per line, as Unicode.
using TCmdLineReceivedEvent = TEvent<void(TObject* Sender, TStringsW* CmdLine)>;

class TApAppInstances : public TComponent {
  HV_CLASS(TApAppInstances, TComponent)
 public:
  static constexpr const wchar_t* WindowClassName = L"ApAppInstances_WindowClass";

  explicit TApAppInstances(TComponent* AOwner);
  ~TApAppInstances() override;

  // The instance check (once the owner is read): a copy past MaxInstances whose earlier copies
  // are active is rejected and ends the process.
  void Loaded() override;

  bool Active() const { return active_; }
  void SetActive(bool Value) { active_ = Value; }
  bool AutoActivate() const { return autoActivate_; }
  void SetAutoActivate(bool Value) { autoActivate_ = Value; }
  int MaxInstances() const { return maxInstances_; }
  void SetMaxInstances(int Value) { maxInstances_ = Value; }
  bool SendCmdLine() const { return sendCmdLine_; }
  void SetSendCmdLine(bool Value) { sendCmdLine_ = Value; }
  HWND Handle() const { return wnd_; }
  // Called from OnRejected when the hand-over reached no running copy (the one found was
  // ending): this copy then runs as the first, so that the files it was given are not lost.
  void KeepRunning() { keepRunning_ = true; }

  virtual void WndProc(TMessage& Message);

  TInstanceChangeEvent OnInstanceCreated;
  TInstanceChangeEvent OnInstanceDestroyed;
  TUserNotifyEvent OnUserNotify;
  TDataAvailableEvent OnDataAvailable;
  TCmdLineReceivedEvent OnCmdLineReceived;
  TNotifyEvent OnRejected;

 protected:
  virtual void DoInstanceCreated(DWORD ProcessId);
  virtual void DoInstanceDestroyed(DWORD ProcessId);
  virtual void DoUserNotify(int Param);
  virtual void DoDataAvailable(int Kind, const void* Data, uint32_t Size);
  virtual void DoCmdLineReceived(TStringsW* CmdLine);
  virtual void DoRejected();
  // Ends the process of a rejected copy at once.
  virtual void Terminate();
  // Asks the other copies whether they are active; true when all that answered are.
  bool QueryOthersActive();

 private:
  static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

  HWND wnd_ = nullptr;
  bool active_ = true;
  bool autoActivate_ = true;
  int maxInstances_ = 1;
  bool sendCmdLine_ = true;
  bool keepRunning_ = false;
};
