// The main window of the editor: for now the documents named on the command line, each in an
// editor that fills the window, the first of them shown (an empty one without files).
#pragma once

#include <vector>

#include "editor/TxtEdit.h"
#include "framework/Forms.h"

class TLgLanguageController;

class TMainForm : public TForm {
  HV_CLASS(TMainForm, TForm)
 public:
  explicit TMainForm(TComponent* AOwner) : TForm(AOwner) {}

  // Opens the files in order; a missing or unreadable one is reported and skipped, a folder
  // skipped silently. Returns how many were opened.
  int OpenFiles(const std::vector<WideString>& Files);
  // An editor for a new empty document.
  TTxtEdit* NewDocument();
  // The documents' editors in the order they were opened, and the one shown.
  const std::vector<TTxtEdit*>& Editors() const { return editors_; }
  TTxtEdit* ActiveEditor() const { return active_; }
  void ShowEditor(TTxtEdit* Editor);

  // The files the window opens when it is created: the program sets them from its command
  // line before it creates the window.
  static std::vector<WideString>& StartupFiles();

  void FormCreate(TObject* Sender);

  // The texts of the window in the current language (its form file holds it).
  TLgLanguageController* LanguageController = nullptr;

 private:
  TTxtEdit* CreateEditor();
  bool OpenFile(const WideString& Name);
  void ReportFileError(const wchar_t* Format, const WideString& Name);

  std::vector<TTxtEdit*> editors_;
  TTxtEdit* active_ = nullptr;
};

extern TMainForm* MainForm;

// The file names the program was started with (not the program's own name).
std::vector<WideString> CommandLineFiles();
