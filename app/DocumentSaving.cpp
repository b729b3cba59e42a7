// Saving documents to their files or under new names, and closing them one by one or all at once
// with the questions that keep unsaved work from being lost.
#include "app/DocumentSaving.h"

#include "app/AppServices.h"
#include "app/CloseAllFrm.h"
#include "app/DocumentFrm.h"
#include "app/DocumentTabs.h"
#include "app/Documents.h"
#include "app/FilePaths.h"
#include "app/Global.h"
#include "app/MainFrm.h"
#include "app/NSTextDialogs.h"
#include "app/Options.h"
#include "app/Startup.h"
#include "app/TextFileOpening.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "framework/CodePages.h"
#include "framework/Exceptions.h"
#include "framework/FileReplace.h"
#include "framework/FileRoutines.h"
#include "framework/Mnemonics.h"
#include "framework/ScopeGuards.h"
#include "themes/UiExtItems.h"

namespace {

bool writeWithSaveTextFile(TCustomTxtEdit* Editor, const WideString& FileName, TTextEncoding Code, bool WithBOM) {
  return SaveTextFile(Editor, FileName, Code, WithBOM);
}

bool runSaveDialog(TNSTextSaveDialog* Dialog) { return Dialog->Execute(); }

TTextFileWriter textFileWriter = writeWithSaveTextFile;
TSaveDialogRunner saveDialogRunner = runSaveDialog;

constexpr UINT questionFlags = MB_YESNO | MB_ICONWARNING;  // 52

constexpr UINT closeQuestionFlags = MB_YESNOCANCEL | MB_ICONWARNING;  // 51
constexpr size_t maxLastDocumentsBytes = 4 << 20;

// What loading changed (characters lost, line breaks made alike) reaches the file only when the
// user says so; the questions name the file.
bool savingOverItsFileConfirmed(const TDocument* Document, const WideString& LossyQuestion,
                                const WideString& LineBreaksQuestion) {
  if (Document->Lossy && ShowMessageBox(LossyQuestion, questionFlags) != IDYES) return false;
  return !Document->MixedLineBreaks || ShowMessageBox(LineBreaksQuestion, questionFlags) == IDYES;
}

// Asks before a save that would change characters of the document (held as its encoding HeldIn
// holds them), naming them: IDYES when there are none.
int unkeptCharactersAnswer(TTxtEditStringList* Lines, const WideString& FileName, const WideString& EncodingName,
                           TTextEncoding HeldIn, TTextEncoding Encoding, const WideString& Format) {
  const AnsiString unkept = UnkeptCharacters(Lines, HeldIn, Encoding, AnsiCodePage());
  if (unkept.empty()) return IDYES;
  return ShowMessageBox(
      UnkeptCharactersText(FileName, EncodingName, unkept, Format, HeldCodePage(HeldIn, AnsiCodePage())),
      closeQuestionFlags);
}

bool setReadOnly(const WideString& Name, bool ReadOnly) {
  const DWORD attributes = GetFileAttributesW(Name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  const DWORD wanted = ReadOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~FILE_ATTRIBUTE_READONLY;
  return wanted == attributes || SetFileAttributesW(Name.c_str(), wanted);
}

bool isReadOnly(const WideString& Name) {
  const DWORD attributes = GetFileAttributesW(Name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

const char* blockMessage(int Result) {
  switch (Result) {
    case 1: return "sFileBlockedWrite";
    case 2: return "sFileBlockedRead";
    default: return "sFileBlockedFullAccess";
  }
}

}  // namespace

TTextFileWriter SetTextFileWriter(TTextFileWriter Writer) {
  TTextFileWriter previous = textFileWriter;
  textFileWriter = Writer ? Writer : writeWithSaveTextFile;
  return previous;
}

TSaveDialogRunner SetSaveDialogRunner(TSaveDialogRunner Runner) {
  TSaveDialogRunner previous = saveDialogRunner;
  saveDialogRunner = Runner ? Runner : runSaveDialog;
  return previous;
}

// ---- the list of the last documents ----

void WriteLastDocuments(const WideString& FileName, const std::vector<WideString>& Names) {
  std::string ansi, utf8 = "\xEF\xBB\xBF";
  bool lossy = false;
  for (const WideString& name : Names) {
    bool lost = false;
    ansi += WideToAnsiChecked(name, lost) + "\r\n";
    lossy = lossy || lost;
    utf8 += WideToUtf8(name) + "\r\n";
  }
  // A name outside the code page would come back as another name; UTF-8 keeps every one.
  const std::string& bytes = lossy ? utf8 : ansi;
  WriteFileReplacing(FileName, [&](TStream& Stream) {
    if (!bytes.empty()) Stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  });
}

std::vector<WideString> ParseLastDocuments(const std::string& Bytes) {
  std::vector<WideString> names;
  const bool utf8 = Bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  size_t at = utf8 ? 3 : 0;
  while (at < Bytes.size()) {
    size_t end = Bytes.find_first_of("\r\n", at);
    if (end == std::string::npos) end = Bytes.size();
    const std::string line = Bytes.substr(at, end - at);
    at = end < Bytes.size() && Bytes[end] == '\r' && end + 1 < Bytes.size() && Bytes[end + 1] == '\n' ? end + 2
                                                                                                      : end + 1;
    if (line.empty() || line.size() > 32767) continue;
    const WideString name = utf8 ? Utf8ToWide(line) : AnsiToWide(line);
    bool control = false;
    for (wchar_t c : name) control = control || c < 32;
    if (!control && !name.empty()) names.push_back(name);
  }
  return names;
}

std::vector<WideString> ReadLastDocuments(const WideString& FileName) {
  if (!FileExistsQuiet(FileName)) return {};
  try {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
    const int64_t size = stream.Size();
    if (size <= 0 || static_cast<uint64_t>(size) > maxLastDocumentsBytes) return {};
    std::string bytes(static_cast<size_t>(size), '\0');
    bytes.resize(static_cast<size_t>(std::max<int32_t>(0, stream.Read(bytes.data(), static_cast<int32_t>(size)))));
    return ParseLastDocuments(bytes);
  } catch (const Exception&) {
    return {};
  }
}

// ---- saving ----

WideString& TMainForm::LastDocumentsFile() {
  static WideString file;
  return file;
}

WideString TMainForm::LastDocumentsPath() {
  return LastDocumentsFile().empty() ? DataPath(L"LastDocuments.dat") : LastDocumentsFile();
}

std::vector<WideString> TMainForm::LastDocuments() const {
  if (!::Options || !::Options->OpenLastDocuments) return {};
  return ReadLastDocuments(LastDocumentsPath());
}

TDocument* TMainForm::ContextDocument() const {
  if (contextTab_)
    if (TDocument* document = DocumentList->FindByItem(contextTab_)) return document;
  return ActiveDocument();
}

int TMainForm::SaveDocument(TDocument* Document, const WideString& FileName, TTextEncoding Encoding) {
  if (!Document) return -1;
  SetWaitCursor(true);
  TScopeExit restoreCursor([] { SetWaitCursor(false); });
  // "Auto-select" names no file encoding: the document keeps the code it has.
  if (Encoding == teAutoSelect)
    Encoding = Document->Encoding >= teAnsi && Document->Encoding <= teLastEncoding ? Document->Encoding : teAnsi;
  if (Encoding > teLastEncoding) return 3;
  const bool exists = FileExistsQuiet(FileName);
  if (exists && IsFileBlocked(FileName, 0)) return 1;
  // A read-only file is written with its attribute cleared, so write access is tested only then.
  const bool wasReadOnly = exists && isReadOnly(FileName);
  if (wasReadOnly) setReadOnly(FileName, false);
  TScopeExit restoreAttribute([&] {
    if (wasReadOnly) setReadOnly(FileName, true);
  });
  if (exists && IsFileBlocked(FileName, 1)) return 2;
  TTxtEdit* editor = Document->Frame()->edtDocument;
  saveError_ = 0;
  saveKeptFile_.clear();
  try {
    if (!textFileWriter(editor, FileName, Encoding, ::Options->IncludeUTF8SignatureBOM)) return 3;
  } catch (const EFileReplaceError& e) {
    // The user hears what the system said (a full disk is no denied folder), and where the text
    // is when the old file was lost on the way.
    saveError_ = e.ErrorCode;
    saveKeptFile_ = e.KeptFile;
    return 3;
  } catch (const EOSError& e) {
    saveError_ = e.ErrorCode;
    return 3;
  } catch (const std::exception&) {
    return 3;
  }
  Document->Item()->SetCaption(EscapeAmpersands(ExtractFileName(FileName)));
  Document->FileName = FileName;
  Document->Encoding = Encoding;
  Document->Lossy = false;
  Document->MixedLineBreaks = false;
  Document->Item()->SetHint(MessageWith("sDocItemHint", {FileName, EncodingName(Encoding)}));
  editor->SetModified(false);
  Document->Item()->SetBold(false);
  // The window's caption names the file now, not once the application is idle again.
  ShowActiveCaption();
  return 0;
}

WideString TMainForm::SaveFailureText(int Result, const WideString& FileName) const {
  if (Result == 3 && saveError_ != 0) {
    WideString said = SysErrorMessage(saveError_);
    if (!saveKeptFile_.empty()) said += L" " + MessageWith("sSaveKeptIn", {saveKeptFile_});
    return MessageWith("sSaveFailed", {FileName, said});
  }
  return MessageWith(blockMessage(Result), {FileName});
}

bool TMainForm::Save(TDocument* Document) {
  if (!Document) return false;
  if (Document->FileName.empty()) return SaveAs(Document);
  if (!savingOverItsFileConfirmed(Document, MessageWith("sLossySave", {Document->FileName}),
                                  MixedLineBreaksText(Document->FileName, WideMessage("sMixedLineBreaks"))))
    return false;
  switch (unkeptCharactersAnswer(Document->Frame()->edtDocument->Lines(), Document->FileName,
                                 EncodingName(Document->Encoding), Document->Encoding, Document->Encoding,
                                 WideMessage("sUnkeptCharacters"))) {
    case IDYES: break;
    case IDNO: return SaveAs(Document);
    default: return false;
  }
  const int result = SaveDocument(Document, Document->FileName, Document->Encoding);
  if (result == 0) return true;
  if (result > 0 && ShowMessageBox(SaveFailureText(result, Document->FileName), questionFlags) == IDYES)
    return SaveAs(Document);
  return false;
}

bool TMainForm::SaveAs(TDocument* Document) {
  if (!Document) return false;
  WideString proposed = Document->FileName;
  if (proposed.empty()) proposed = AnsiToWide(NameFromText(Document->Frame()->edtDocument->TextA(), 0));
  if (proposed.empty()) proposed = Document->GetDisplayName(false);
  const WideString folder = ExtractFilePath(proposed);
  txtsvdlgMain->SetFileName(!folder.empty() && CanEnterFolder(folder) ? proposed : ExtractFileName(proposed));
  txtsvdlgMain->SetEncodingIndex(Document->Encoding);
  if (!saveDialogRunner(txtsvdlgMain)) return false;
  const WideString chosen = ExpandPath(txtsvdlgMain->FileName());
  // Another open document's file is never written over from here: that document comes forward.
  if (TDocument* other = DocumentList->FindByFileName(chosen); other && other != Document) {
    ActivateDocument(other);
    return false;
  }
  if (LowerFileName(chosen) == LowerFileName(Document->FileName) &&
      !savingOverItsFileConfirmed(Document, MessageWith("sLossySave", {chosen}),
                                  MixedLineBreaksText(chosen, WideMessage("sMixedLineBreaks"))))
    return false;
  TTextEncoding encoding = static_cast<TTextEncoding>(txtsvdlgMain->EncodingIndex());
  if (encoding == teAutoSelect) encoding = Document->Encoding;
  switch (unkeptCharactersAnswer(Document->Frame()->edtDocument->Lines(), chosen, EncodingName(encoding),
                                 Document->Encoding, encoding, WideMessage("sUnkeptCharacters"))) {
    case IDYES: break;
    case IDNO: return SaveAs(Document);
    default: return false;
  }
  const int result = SaveDocument(Document, chosen, static_cast<TTextEncoding>(txtsvdlgMain->EncodingIndex()));
  if (result == 0) {
    if (mrlstMain) mrlstMain->Add(chosen);
    return true;
  }
  if (result > 0 && ShowMessageBox(SaveFailureText(result, chosen), questionFlags) == IDYES) return SaveAs(Document);
  return false;
}

// ---- closing ----

void TMainForm::ResetDocument(TDocument* Document) {
  if (!Document) return;
  Document->Item()->SetCaption(NextDocumentName());
  Document->FileName.clear();
  Document->Encoding =
      ::Options->Encoding == teAutoSelect || ::Options->Encoding > teLastEncoding ? teAnsi : ::Options->Encoding;
  Document->Orientation = 0;
  Document->Lossy = false;
  Document->MixedLineBreaks = false;
  Document->Item()->SetHint(
      MessageWith("sDocItemHint", {Document->GetDisplayName(false), EncodingName(Document->Encoding)}));
  Document->Item()->SetImageIndex(-1);
  TTxtEdit* editor = Document->Frame()->edtDocument;
  ConfigureEditor(editor, *::Options);
  editor->ClearAll();
  Document->SetHighlighter(HighlighterFor(WideString()));
  editor->Lines()->SetLineBreakFormat(lbfCRLF);
  editor->SetReadOnly(false);
  Document->Item()->SetBold(false);
  Document->SetViewMode(0);
  ++NewDocumentNumber;
}

// Asks whether to save the document's changes: true to go on closing it.
static bool askToSave(TMainForm& Form, TDocument* Document, const WideString& Question) {
  switch (ShowMessageBox(Question, closeQuestionFlags)) {
    case IDYES:
      // A save that failed or was cancelled keeps the document open.
      return Form.Save(Document);
    case IDNO: return true;
    default: return false;
  }
}

bool TMainForm::CloseDocument(TDocument* Document) {
  if (!Document) return false;
  if (Document->Frame()->edtDocument->Modified() &&
      !askToSave(*this, Document, MessageWith("sSaveChangesTo", {Document->GetDisplayName(false)})))
    return false;
  tlbrTabBar->BeginUpdate();
  LockWindowUpdate(HandleAllocated() ? Handle() : nullptr);
  TScopeExit unlock([this] {
    tlbrTabBar->EndUpdate();
    LockWindowUpdate(nullptr);
  });
  if (DocumentList->Count() == 1) {
    ResetDocument(Document);
    pglstMainChange(this);
    return true;
  }
  const bool wasActive = Document == ActiveDocument();
  const int index = tlbrTabBar->IndexOf(Document->Item());
  closing_ = true;
  {
    TScopeExit notClosing([this] { closing_ = false; });
    RememberCaret(Document);
    if (mrlstMain && !Document->FileName.empty()) mrlstMain->Add(Document->FileName);
    if (contextTab_ == Document->Item()) contextTab_ = nullptr;
    DocumentList->Items().Remove(Document);
  }
  if (wasActive) {
    // The tab that took the closed one's place, else the one before it.
    if (TDocument* next = DocumentList->FindByItem(tlbrTabBar->Tab(std::min(index, tlbrTabBar->ItemCount() - 2))))
      pglstMain->SetActivePage(next->Page());
  }
  pglstMainChange(this);
  return true;
}

bool TMainForm::CloseDocuments(TDocument* Except) {
  tlbrTabBar->BeginUpdate();
  TScopeExit endUpdate([this] { tlbrTabBar->EndUpdate(); });
  std::vector<TDocument*> modified;
  for (int i = 0; i < DocumentList->Count(); ++i) {
    TDocument* document = DocumentList->Documents(i);
    if (document != Except && document->Frame()->edtDocument->Modified()) modified.push_back(document);
  }
  // Documents whose save failed stay open, and then the window does not close either.
  std::vector<TDocument*> kept;
  // The dialog is made, placed and its place kept at every closing, shown only for more than one.
  auto* dialog = New<TCloseAllForm>(this, this);
  TScopeExit freeDialog([dialog] { delete dialog; });
  dialog->PlaceOnScreen(SettingsStorage());
  for (TDocument* document : modified) dialog->AddDocument(document);
  if (modified.size() > 1) {
    if (RunCloseAllDialog(dialog) != mrYes) return false;
    kept = dialog->Unsaved();
  } else if (modified.size() == 1) {
    TDocument* document = modified.front();
    if (document != ActiveDocument()) ActivateDocument(document);
    if (!askToSave(*this, document, MessageWith("sSaveChangesTo", {document->GetDisplayName(false)}))) return false;
  }
  const bool exiting = Exiting && kept.empty();
  auto skipped = [&](TDocument* document) {
    return document == Except || std::find(kept.begin(), kept.end(), document) != kept.end();
  };
  if (exiting) {
    std::vector<WideString> names;
    for (int i = 0; i < DocumentList->Count() && ::Options->OpenLastDocuments; ++i) {
      TDocument* document = DocumentList->Documents(i);
      if (!document->FileName.empty() && FileExistsQuiet(document->FileName)) names.push_back(document->FileName);
    }
    // Written while the window still shows, so that a failure is seen and costs only the list.
    try {
      WriteLastDocuments(LastDocumentsPath(), names);
    } catch (const Exception& e) {
      LogError(ErrorLogFile(), e.Message());
      ShowMessageBox(MessageWith("sLastDocumentsNotSaved", {LastDocumentsPath()}), MB_ICONERROR);
    }
    if (HandleAllocated()) Hide();
  }
  LockUpdate(HandleAllocated() ? Handle() : nullptr);
  closing_ = true;
  {
    TScopeExit release([this] {
      closing_ = false;
      LockUpdate(nullptr);
    });
    for (int i = DocumentList->Count() - 1; i >= 0; --i) {
      TDocument* document = DocumentList->Documents(i);
      if (skipped(document)) continue;
      if (DocumentList->Count() > 1 || exiting) {
        RememberCaret(document);
        if (contextTab_ == document->Item()) contextTab_ = nullptr;
        DocumentList->Items().Remove(document);
      } else {
        ResetDocument(document);
      }
    }
    if (Except && DocumentList->FindByItem(Except->Item()))
      pglstMain->SetActivePage(Except->Page());
    else if (!exiting && DocumentList->Count() > 0 && !ActiveDocument())
      pglstMain->SetActivePage(DocumentList->Documents(0)->Page());
  }
  if (!exiting) pglstMainChange(this);
  return kept.empty();
}

void TMainForm::FormCloseQuery(TObject*, bool& CanClose) {
  Exiting = true;
  TScopeExit done([this] { Exiting = false; });
  // Files handed over from here on would go down with this window's documents.
  LeaveSingleInstance();
  CanClose = false;
  TScopeExit rejoin([&] {
    if (!CanClose) RejoinSingleInstance();
  });
  CanClose = CloseDocuments(nullptr);
  if (CanClose) ClosingForGood();
}
