// The application's global objects.
#include "app/Global.h"

#include "app/AppControls.h"
#include "app/DocumentTabs.h"
#include "app/Documents.h"
#include "app/ExitSettings.h"
#include "app/SchemeCatalogue.h"
#include "app/NSApColorButton.h"
#include "app/NSHotKey.h"
#include "app/NSStringGrid.h"
#include "app/Options.h"
#include "controls/ApControlClasses.h"
#include "controls/PngImageList.h"
#include "editor/TxtEdit.h"
#include "editor/TxtEditPrint.h"
#include "framework/FrameworkClasses.h"
#include "highlighting/TxtXmlHighlighter.h"
#include "themes/SkinToolbar.h"
#include "toolbars/BarItem.h"

TDocumentList* DocumentList = nullptr;
THighList* Highlighters = nullptr;

void CreateGlobals(const WideString& PreferencesFile, const WideString& HighlightersFolder) {
  FreeGlobals();
  Options = new TOptions(PreferencesFile);
  Highlighters = new THighList(HighlightersFolder);
  DocumentList = new TDocumentList;
}

void FreeGlobals() {
  delete DocumentList;
  DocumentList = nullptr;
  delete Highlighters;
  Highlighters = nullptr;
  delete Options;
  Options = nullptr;
  // The last of the settings writers has run: what they could not write is told now, once.
  TellSettingsFailures(true);
}

void RegisterAppClasses() {
  RegisterFrameworkClasses();
  RegisterTxtEditClasses();
  RegisterTxtEditPrintClasses();
  RegisterTxtXmlHighlighterClasses();
  RegisterApControlClasses();
  RegisterSkinClasses();
  RegisterClasses({&TNSHotKey::StaticClassInfo(), &TNSStringGrid::StaticClassInfo(), &TNSInfoBar::StaticClassInfo(),
                   &TNSBvLabel::StaticClassInfo(), &TDocumentTabBar::StaticClassInfo(),
                   &TPngImageList::StaticClassInfo(), &TNSApColorButton::StaticClassInfo(),
                   &TBarControlItem::StaticClassInfo()});
}
