// The main data module and the lookup that lets form files name its lists.
#include "app/MainDataModule.h"

#include "controls/PngImageList.h"
#include "framework/FormFiles.h"
#include "framework/StrRoutines.h"

TMainDataModule* MainDataModule = nullptr;

HV_PUBLISH(TMainDataModule) {
  p.ComponentField("pngmglstMain", &T::pngmglstMain);
  p.ComponentField("pngmglstTabs", &T::pngmglstTabs);
  p.ComponentField("pngmglstBanner", &T::pngmglstBanner);
  p.ComponentField("pngmglstPrintPreview", &T::pngmglstPrintPreview);
  p.ComponentField("pngmglstBookmarks", &T::pngmglstBookmarks);
}

namespace {

TComponent* FindMainDataModule(std::string_view Name) {
  return MainDataModule && SameText(MainDataModule->Name(), Name) ? MainDataModule : nullptr;
}

}  // namespace

TMainDataModule::TMainDataModule(TComponent* AOwner) : TComponent(AOwner) {
  RegisterClass(TPngImageList::StaticClassInfo());
  RegisterFindGlobalComponent(&FindMainDataModule);
}

TMainDataModule::~TMainDataModule() {
  if (MainDataModule == this) MainDataModule = nullptr;
}

void TMainDataModule::AfterConstruction() {
  TComponent::AfterConstruction();
  if (constructed_) return;
  constructed_ = true;
  // The lookup finds the module while its own file is read, so that the references waiting for
  // it resolve at the end of that read.
  TMainDataModule* previous = MainDataModule;
  MainDataModule = this;
  try {
    InitInheritedComponent(this, TComponent::StaticClassInfo());
  } catch (...) {
    MainDataModule = previous;
    throw;
  }
}
