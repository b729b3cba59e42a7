// The registration of the framework's component classes.
#include "framework/FrameworkClasses.h"

#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/HintWindow.h"
#include "framework/Menus.h"
#include "framework/StandardClasses.h"
#include "framework/Timer.h"

void RegisterFrameworkClasses() {
  RegisterClasses({&TControl::StaticClassInfo(), &TWinControl::StaticClassInfo(), &TGraphicControl::StaticClassInfo(),
                   &TCustomControl::StaticClassInfo(), &TScrollingWinControl::StaticClassInfo(),
                   &TCustomFrame::StaticClassInfo(), &TFrame::StaticClassInfo(), &TCustomForm::StaticClassInfo(),
                   &TForm::StaticClassInfo(), &THintWindow::StaticClassInfo(), &TApplicationEvents::StaticClassInfo(),
                   &TTimer::StaticClassInfo(), &TMainMenu::StaticClassInfo(), &TPopupMenu::StaticClassInfo(),
                   &TMenuItem::StaticClassInfo(), &TActionList::StaticClassInfo(), &TAction::StaticClassInfo(),
                   &THintAction::StaticClassInfo()});
  RegisterStandardClasses();
}
