// Skinned toolbars for the customizer's test form.
#include "tests/themes/CustomizerTestSupport.h"

#include "themes/SkinToolbar.h"

TBarCustomToolbar* NewSkinToolbar(TComponent* AOwner) { return new TSkinToolbar(AOwner); }

void SetCustomizable(TBarCustomToolbar* Toolbar, bool Value) {
  static_cast<TSkinToolbar*>(Toolbar)->SetCustomizable(Value);
}
