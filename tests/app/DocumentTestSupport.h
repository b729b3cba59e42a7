// What the document tests share: the program's classes registered, fresh global objects over a
// scratch folder (preferences file and scheme folder), message boxes recorded, a main window.
#pragma once

#include <gtest/gtest.h>

#include "app/DocumentFrm.h"
#include "app/Documents.h"
#include "app/Global.h"
#include "app/MainFrm.h"
#include "app/Options.h"
#include "app/SchemeCatalogue.h"
#include "highlighting/TxtXmlBundledSchemes.h"
#include "tests/common/MessageBoxRecorder.h"
#include "tests/framework/TestFiles.h"

class DocumentTest : public testing::Test {
 protected:
  void SetUp() override {
    RegisterAppClasses();
    CreateDirectoryW(folder_.File(L"Highlighters").c_str(), nullptr);
    CreateGlobals(folder_.File(L"Preferences.ini"), folder_.File(L"Highlighters"));
    TMainForm::FilesPosFile() = folder_.File(L"Preferences.ini");
    TMainForm::ToolbarsFile() = folder_.File(L"Toolbars.ini");
  }
  void TearDown() override {
    Free(form_);
    TMainForm::StartupFiles().clear();
    TMainForm::FilesPosFile().clear();
    TMainForm::ToolbarsFile().clear();
    FreeGlobals();
  }
  TMainForm& Make() { return *(form_ = New<TMainForm>(nullptr)); }
  // A bundled scheme written into the catalogue's folder under another name.
  WideString Scheme(const WideString& Bundled, const WideString& As) {
    return folder_.Write(L"Highlighters\\" + As, BundledSchemeText(Bundled));
  }
  TDocument* Doc(int Index) { return DocumentList->Documents(Index); }
  TTxtEdit* Editor(int Index) { return Doc(Index)->Frame()->edtDocument; }

  TMessageBoxRecorder boxes_;
  TMainForm* form_ = nullptr;
  TTestFolder folder_;
};
