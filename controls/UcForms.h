// The Unicode side of the application object: its title and hint as wide texts, and the hint
// of the control under the mouse brought up to date while the program is idle.
#pragma once

#include "framework/Application.h"

class TUcApplication : public TComponent {
  HV_CLASS(TUcApplication, TComponent)
 public:
  explicit TUcApplication(TComponent* AOwner);
  // Leaves the application window's hooks; an application already gone, or a hook already
  // removed, is no failure.
  ~TUcApplication() override;

  // The application's hint (the long part of the hint under the mouse).
  WideString Hint() const;
  void SetHint(const WideString& Value);
  // The application's title: the window's text once the window exists; set before, it is
  // given to the window when that is made.
  WideString Title() const;
  void SetTitle(const WideString& Value);
  // What the idle update does: the hint := the long hint of the control under the mouse.
  void UpdateHint();
  // The hook on the application window (installed by the constructor).
  bool MainWindowHook(TMessage& Message);

 private:
  void Idle(TObject* Sender, bool& Done);

  TApplicationEvents* events_ = nullptr;
  bool hooked_ = false;
};

// The one Unicode application object, made on first use (null without an Application).
TUcApplication* UcApplication();
