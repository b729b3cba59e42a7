// Makes the small controls known by class name to form files.
#include "controls/ApControlClasses.h"

#include "controls/ApColorBox.h"
#include "controls/ApPageList.h"
#include "controls/ApSpin.h"
#include "controls/SizeGripThemed.h"

void RegisterApControlClasses() {
  RegisterClasses({&TApPageList::StaticClassInfo(), &TApStandardPage::StaticClassInfo(), &TSizeGrip::StaticClassInfo(),
                   &TSizeGripThemed::StaticClassInfo(), &TApSpinEdit::StaticClassInfo(),
                   &TApSpinButton::StaticClassInfo(), &TApColorSquare::StaticClassInfo()});
}
