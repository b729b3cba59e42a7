// What the document tests share: the program's classes registered, fresh global objects over a
// scratch folder (preferences file and scheme folder), message boxes recorded, a main window.
#pragma once

#include "framework/Win.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "app/DocumentFrm.h"
#include "app/Documents.h"
#include "app/Global.h"
#include "app/MainDataModule.h"
#include "app/MainFrm.h"
#include "app/Options.h"
#include "app/SchemeCatalogue.h"
#include "framework/Application.h"
#include "highlighting/TxtXmlBundledSchemes.h"
#include "tests/common/MessageBoxRecorder.h"
#include "tests/framework/TestFiles.h"

// A drop of the names as the shell hands it over (wide names, one zero after each, two at the end).
inline HGLOBAL MakeDrop(const std::vector<WideString>& Names) {
  std::wstring list;
  for (const WideString& n : Names) list += n + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * 2);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * 2);
  GlobalUnlock(memory);
  return memory;
}

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
  // The window as a user ends it: the close query, then the window and the options go.
  void Exit() {
    bool canClose = false;
    form_->FormCloseQuery(form_, canClose);
    Free(form_);
    form_ = nullptr;
    FreeGlobals();
  }
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

// The document tests of a main window on the screen: the data module's images, and the window
// shown and painted.
class ShownWindowTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    module_.reset(New<TMainDataModule>(nullptr));
  }
  void TearDown() override {
    DocumentTest::TearDown();
    module_.reset();
  }
  TMainForm& Shown() {
    TMainForm& form = Make();
    form.Show();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    return form;
  }

  std::unique_ptr<TMainDataModule> module_;
};
