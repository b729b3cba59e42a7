// The registration of the standard controls and common dialogs.
#include "framework/StandardClasses.h"

#include "framework/Buttons.h"
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/ListControls.h"
#include "framework/Mask.h"
#include "framework/StdCtrls.h"

void RegisterStandardClasses() {
  RegisterClasses({&TEdit::StaticClassInfo(),
                   &TMemo::StaticClassInfo(),
                   &TLabel::StaticClassInfo(),
                   &TButton::StaticClassInfo(),
                   &TCheckBox::StaticClassInfo(),
                   &TRadioButton::StaticClassInfo(),
                   &TGroupBox::StaticClassInfo(),
                   &TScrollBar::StaticClassInfo(),
                   &TComboBox::StaticClassInfo(),
                   &TListBox::StaticClassInfo(),
                   &TCheckListBox::StaticClassInfo(),
                   &TPanel::StaticClassInfo(),
                   &TBevel::StaticClassInfo(),
                   &TImage::StaticClassInfo(),
                   &TSpeedButton::StaticClassInfo(),
                   &TUpDown::StaticClassInfo(),
                   &TMaskEdit::StaticClassInfo(),
                   &TOpenDialog::StaticClassInfo(),
                   &TSaveDialog::StaticClassInfo(),
                   &TColorDialog::StaticClassInfo(),
                   &TFontDialog::StaticClassInfo(),
                   &TPrintDialog::StaticClassInfo(),
                   &TPageSetupDialog::StaticClassInfo(),
                   &TPageControl::StaticClassInfo(),
                   &TTabSheet::StaticClassInfo()});
}
