// The main window of the editor. For now an empty sizeable window with the product's name.
#pragma once

#include "framework/Forms.h"

class TMainForm : public TForm {
  HV_CLASS(TMainForm, TForm)
 public:
  explicit TMainForm(TComponent* AOwner) : TForm(AOwner) {}
};

extern TMainForm* MainForm;
