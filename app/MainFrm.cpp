// The main window of the editor.
#include "app/MainFrm.h"

#include "app/DocumentEditor.h"
#include "app/TextFileOpening.h"
#include "foundation/LgLanguage.h"
#include "framework/Application.h"
#include "framework/FileRoutines.h"
#include "highlighting/TxtXmlBundledSchemes.h"

TMainForm* MainForm = nullptr;

HV_PUBLISH(TMainForm) {
  p.Method("FormCreate", &T::FormCreate);
  p.ComponentField("LanguageController", &T::LanguageController);
}

std::vector<WideString> CommandLineFiles() {
  std::vector<WideString> files;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return files;
  for (int i = 1; i < count; ++i) files.emplace_back(args[i]);
  LocalFree(args);
  return files;
}

std::vector<WideString>& TMainForm::StartupFiles() {
  static std::vector<WideString> files;
  return files;
}

void TMainForm::FormCreate(TObject*) {
  OpenFiles(StartupFiles());
  if (editors_.empty()) NewDocument();
}

TTxtEdit* TMainForm::CreateEditor() {
  auto* editor = new TTxtEdit(this);
  editor->SetVisible(false);
  editor->SetParent(this);
  editor->SetAlign(alClient);
  ApplyDocumentEditorSettings(*editor);
  editors_.push_back(editor);
  return editor;
}

TTxtEdit* TMainForm::NewDocument() {
  TTxtEdit* editor = CreateEditor();
  ShowEditor(editor);
  return editor;
}

void TMainForm::ShowEditor(TTxtEdit* Editor) {
  if (!Editor || Editor == active_) return;
  Editor->SetVisible(true);
  if (active_) active_->SetVisible(false);
  active_ = Editor;
  SetActiveControl(Editor);
}

int TMainForm::OpenFiles(const std::vector<WideString>& Files) {
  int opened = 0;
  for (const WideString& file : Files) {
    if (file.empty()) continue;
    if (OpenFile(ExpandFileName(file))) ++opened;
  }
  return opened;
}

void TMainForm::ReportFileError(const wchar_t* Format, const WideString& Name) {
  WideString text = Format;
  const size_t at = text.find(L"%s");
  if (at != WideString::npos) text.replace(at, 2, ExtractFileName(Name));
  Application->MessageBox(text, L"Halcorn Verdan", MB_ICONERROR);
}

namespace {

// Whether the file can be opened for reading while others read and write it.
bool CanOpenForReading(const WideString& Name) {
  HANDLE h = CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

}  // namespace

bool TMainForm::OpenFile(const WideString& Name) {
  if (!FileExists(Name)) {
    if (!DirectoryExists(Name)) ReportFileError(L"File \u201c%s\u201d not found.", Name);
    return false;
  }
  if (!CanOpenForReading(Name)) {
    ReportFileError(L"Access to file \u201c%s\u201d denied. Contact the administrator to obtain permission.", Name);
    return false;
  }
  TTxtEdit* editor = CreateEditor();
  try {
    OpenTextFile(editor->Lines(), Name);
  } catch (const Exception& e) {
    // A file that fails while it is read leaves no document behind; the others still open.
    editors_.pop_back();
    Free(editor);
    Application->MessageBox(e.Message(), L"Halcorn Verdan", MB_ICONERROR);
    return false;
  }
  // Coloured by the bundled scheme that lists the file's extension, if one does.
  editor->SetHighlighter(CreateHighlighterForFile(this, Name));
  if (!active_) ShowEditor(editor);
  return true;
}
