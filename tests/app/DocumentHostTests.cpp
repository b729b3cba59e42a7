// The documents and the dialogs over a host that is not the main window: a document's own work
// (view mode, editing, printing, highlighter, its frame's requests), the list that takes a
// document only when it is added, and what the preferences, page setup, close-all, character map
// and find dialogs apply through the host.
#include "framework/Win.h"

#include <algorithm>

#include "app/AppControls.h"
#include "app/CharacterFrm.h"
#include "app/CloseAllFrm.h"
#include "app/DocumentHost.h"
#include "app/DocumentTabs.h"
#include "app/FindAndReplaceFrm.h"
#include "app/PageSetupFrm.h"
#include "app/PreferencesFrm.h"
#include "controls/ApPageList.h"
#include "controls/ApSpin.h"
#include "editor/TxtEditPrintHeaderFooter.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/Exceptions.h"
#include "framework/ListControls.h"
#include "framework/Printers.h"
#include "framework/Screen.h"
#include "framework/StdCtrls.h"
#include "framework/StringLists.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinControls.h"
#include "themes/SkinEditors.h"

namespace {

// A host without a main window: a bare form's page list holds the documents, and every service
// the dialogs ask for is recorded.
class TFakeHost : public TDocumentHost {
 public:
  TFakeHost() : form_(new TForm(nullptr, CreateNew)), pages_(new TApPageList(form_)) { pages_->SetParent(form_); }
  ~TFakeHost() override {
    list_->Items().Clear();
    delete form_;
  }

  TDocument* Add(const WideString& Caption) {
    TDocument* document = list_->Add(std::make_unique<TDocument>(form_, pages_));
    document->Item()->SetCaption(Caption);
    if (!active) active = document;
    return document;
  }
  TDocument* Doc(int Index) const { return list_->Documents(Index); }

  TDocumentList* Documents() const override { return list_.get(); }
  TDocument* ActiveDocument() const override { return active; }
  void ActivateDocument(TDocument* Document) override { active = Document; }
  bool Save(TDocument* Document) override {
    saved.push_back(Document);
    return std::find(failing.begin(), failing.end(), Document) == failing.end();
  }
  WideString EncodingName(int Code) override { return L"code " + std::to_wstring(Code); }
  HWND WindowHandle() override { return window; }
  TApCustomAppStorage* SettingsStorage() const override { return nullptr; }
  TStringList* CommandList() const override { return nullptr; }
  void BuildCommandList() override { ++commandListBuilds; }
  int RecentDocumentCount() const override { return recent; }
  void ClearRecentDocuments() override {
    ++clears;
    if (clearFails) throw Exception("the preferences file is locked");
    recent = 0;
  }
  void ApplyWindowOptions(const TOptions& Options) override {
    windowOptions.push_back({Options.NumberOfDocuments, Options.CloseButton});
  }
  TStrings* PaletteCharacters() override { return &palette; }

  TDocument* active = nullptr;
  std::vector<TDocument*> saved, failing;
  HWND window = nullptr;
  int commandListBuilds = 0, recent = 0, clears = 0;
  bool clearFails = false;
  std::vector<std::pair<int, int>> windowOptions;  // recent list length, close button
  TStringList palette;

 private:
  TForm* form_;
  TApPageList* pages_;
  std::unique_ptr<TDocumentList> list_ = std::make_unique<TDocumentList>();
};

class HostedDocuments : public DocumentTest {
 protected:
  void TearDown() override {
    // OK of the preferences takes a language when it finds language files.
    LangManager().SetLanguageID(LangManager().DefaultLanguageID());
    LangManager().ClearLanguageFiles();
    DocumentTest::TearDown();
  }
};

TEST_F(HostedDocuments, TheListTakesADocumentOnlyWhenItIsAdded) {
  TForm* owner = new TForm(nullptr, CreateNew);
  auto* pages = new TApPageList(owner);
  TDocumentList list;
  auto made = std::make_unique<TDocument>(owner, pages);
  TDocument* document = made.get();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(DocumentList->Count(), 0) << "nor does it join the program's list";
  EXPECT_EQ(list.Add(std::move(made)), document);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.FindByFrame(document->Frame()), document);
  EXPECT_EQ(list.FindByPage(document->Page()), document);
  list.Items().Remove(document);
  EXPECT_EQ(list.Count(), 0);
  delete owner;
}

// What a document says of itself and what the host's shortcuts to the active one give.
TEST_F(HostedDocuments, EditingFollowsTheViewModeAndReadOnly) {
  struct Case {
    bool active;
    int mode;
    bool readOnly;
    bool inEditView, canEdit;
  } cases[] = {{true, 0, false, true, true},
               {true, 0, true, true, false},
               {true, 1, false, false, false},
               {true, 1, true, false, false},
               {false, 0, false, false, false}};
  for (const Case& c : cases) {
    TFakeHost host;
    TDocument* document = host.Add(L"a");
    host.active = c.active ? document : nullptr;
    document->SetViewMode(c.mode);
    document->Editor()->SetReadOnly(c.readOnly);
    const std::string label = std::to_string(c.mode) + (c.readOnly ? " read-only" : "") + (c.active ? "" : " inactive");
    EXPECT_EQ(document->IsPrintPreview(), c.mode == 1) << label;
    EXPECT_EQ(document->CanEdit(), c.mode == 0 && !c.readOnly) << label;
    EXPECT_EQ(host.HasActiveDocument(), c.active) << label;
    EXPECT_EQ(host.ActiveEditor(), c.active ? document->Editor() : nullptr) << label;
    EXPECT_EQ(host.ActiveFrame(), c.active ? document->Frame() : nullptr) << label;
    EXPECT_EQ(host.ActiveInEditView(), c.inEditView) << label;
    EXPECT_EQ(host.CanEditActive(), c.canEdit) << label;
  }
}

TEST_F(HostedDocuments, ViewModeShowsItsPageAndPreparesPrinting) {
  TFakeHost host;
  TDocument* document = host.Add(L"a&&b");
  document->FileName = folder_.File(L"a&b.txt");
  TDocumentFrame* frame = document->Frame();
  TTxtEditPrint* print = frame->edtprntEditor;
  struct Case {
    int mode;
    bool pageNumbers;
    TApCustomPage* page;
    int headerItems;
  } cases[] = {{1, true, frame->stndrdpgPrintPreview, 1},
               {0, true, frame->stndrdpgEdit, 1},
               {1, false, frame->stndrdpgPrintPreview, 0}};
  for (const Case& c : cases) {
    document->PrintPageNumbers = c.pageNumbers;
    document->SetViewMode(c.mode);
    EXPECT_EQ(document->ViewMode, c.mode);
    EXPECT_EQ(frame->pglstDocument->ActivePage(), c.page) << c.mode;
    if (c.mode != 1) continue;
    // The preview prints under the full file name, with or without page numbers.
    EXPECT_EQ(print->Title(), WideToAnsi(document->FileName));
    EXPECT_EQ(print->Header()->Count(), c.headerItems) << c.pageNumbers;
  }
}

// The frame asks, the document answers: the tab turns bold with the text modified, and the
// preview's Close brings the editor back.
TEST_F(HostedDocuments, TheFramesRequestsReachTheDocument) {
  TFakeHost host;
  TDocument* document = host.Add(L"a");
  TDocumentFrame* frame = document->Frame();
  for (bool modified : {true, false, true}) {
    document->Editor()->SetModified(modified);
    frame->edtDocumentStatusChange(document->Editor(), {scModified});
    EXPECT_EQ(document->Item()->Bold(), modified);
  }
  document->Editor()->SetModified(false);
  document->Item()->SetBold(true);
  frame->edtDocumentStatusChange(document->Editor(), {scCaretX});
  EXPECT_TRUE(document->Item()->Bold()) << "only a change of the modified flag counts";
  document->SetViewMode(1);
  frame->actnCloseExecute(nullptr);
  EXPECT_EQ(document->ViewMode, 0);
  EXPECT_EQ(frame->pglstDocument->ActivePage(), frame->stndrdpgEdit);
}

TEST_F(HostedDocuments, ASwitchedHighlighterReachesThePrintObject) {
  const WideString scheme = Scheme(L"INI", L"ini.xml");
  TFakeHost host;
  TDocument* document = host.Add(L"a");
  for (int mode : {0, 1}) {
    document->SetViewMode(mode);
    TTxtCustomHighlighter* chosen = mode == 0 ? Highlighters->GetByFileName(scheme) : Highlighters->Plain();
    document->SwitchHighlighter(chosen);
    EXPECT_EQ(document->GetHighlighter(), chosen) << mode;
    EXPECT_EQ(document->Frame()->edtprntEditor->Highlighter(), chosen) << mode;
  }
}

// OK of the preferences: every document of the host takes the options and prepares its printing,
// the window takes its own options and lists its commands again; without a host no document is
// touched.
TEST_F(HostedDocuments, PreferencesApplyThroughTheHost) {
  struct Case {
    bool hosted;
    int documents;
  } cases[] = {{true, 0}, {true, 1}, {true, 3}, {false, 2}};
  for (const Case& c : cases) {
    TFakeHost host;
    for (int i = 0; i < c.documents; ++i) host.Add(L"doc" + std::to_wstring(i))->Editor()->SetTabWidth(8);
    std::unique_ptr<TPreferencesForm> form(New<TPreferencesForm>(nullptr, c.hosted ? &host : nullptr));
    for (int code = 0; code < 8; ++code)
      EXPECT_EQ(form->cmbxDefaultEncoding->Items()->Strings(code),
                c.hosted ? L"code " + std::to_wstring(code) : WideString(1, L'0' + code));
    form->spnedtTabWidth->SetText(L"4");
    form->spnedtNumberOfDocuments->SetText(L"7");
    form->cmbxCloseButton->SetItemIndex(2);
    form->actnOKExecute(nullptr);
    const std::string label = std::to_string(c.documents) + (c.hosted ? " hosted" : "");
    EXPECT_EQ(::Options->TabWidth, 4) << label;
    EXPECT_EQ(host.windowOptions,
              (c.hosted ? std::vector<std::pair<int, int>>{{7, 2}} : std::vector<std::pair<int, int>>{}))
        << label;
    EXPECT_EQ(host.commandListBuilds, c.hosted ? 1 : 0) << label;
    for (int i = 0; i < c.documents; ++i) {
      TDocument* document = host.Doc(i);
      EXPECT_EQ(document->Editor()->TabWidth(), c.hosted ? 4 : 8) << label << " " << i;
      EXPECT_EQ(document->Frame()->edtprntEditor->Title(), c.hosted ? WideToAnsi(L"doc" + std::to_wstring(i)) : "")
          << label << " " << i;
    }
    ::Options->TabWidth = 8;
  }
}

TEST_F(HostedDocuments, PreferencesClearTheRecentListThroughTheHost) {
  struct Case {
    bool hosted;
    int recent;
    bool fails;
    bool enabled;
    int clears;
  } cases[] = {
      {false, 3, false, false, 0}, {true, 0, false, false, 1}, {true, 3, false, true, 1}, {true, 3, true, true, 1}};
  for (const Case& c : cases) {
    TFakeHost host;
    host.recent = c.recent;
    host.clearFails = c.fails;
    std::unique_ptr<TPreferencesForm> form(New<TPreferencesForm>(nullptr, c.hosted ? &host : nullptr));
    form->actnClearListUpdate(nullptr);
    EXPECT_EQ(form->actnClearList->Enabled(), c.enabled) << c.recent;
    // A list that cannot be written is logged, not thrown at the dialog.
    EXPECT_NO_THROW(form->actnClearListExecute(nullptr));
    EXPECT_EQ(host.clears, c.clears);
    EXPECT_EQ(host.recent, c.hosted && !c.fails ? 0 : c.recent);
  }
}

bool aPrinter() { return true; }

// OK of the page setup applies to the document alone; no window is needed for it.
TEST_F(HostedDocuments, PageSetupAppliesToAHostedDocument) {
  TPageSetupForm::PrinterPresent = &aPrinter;
  struct Case {
    bool landscape, pageNumbers, lineNumbers;
  } cases[] = {{false, true, false}, {true, false, true}, {true, true, true}, {false, false, false}};
  for (const Case& c : cases) {
    TFakeHost host;
    TDocument* document = host.Add(L"page");
    document->PrintPageNumbers = !c.pageNumbers;
    std::unique_ptr<TPageSetupForm> form(New<TPageSetupForm>(nullptr, document));
    form->spnedtTop->HandleNeeded();
    form->infbrPortrait->SetChecked(!c.landscape);
    form->infbrLandscape->SetChecked(c.landscape);
    form->chckbxPageNumbers->SetChecked(c.pageNumbers);
    form->chckbxLineNumbers->SetChecked(c.lineNumbers);
    form->actnOKExecute(nullptr);
    EXPECT_EQ(form->ModalResult(), mrOk);
    EXPECT_EQ(document->Orientation, c.landscape ? 1 : 0);
    EXPECT_EQ(document->PrintPageNumbers, c.pageNumbers);
    TTxtEditPrint* print = document->Frame()->edtprntEditor;
    EXPECT_EQ(print->LineNumbers(), c.lineNumbers);
    // The print object is prepared again: its header follows the page-number switch.
    EXPECT_EQ(print->Header()->Count(), c.pageNumbers ? 1 : 0);
    EXPECT_EQ(print->Title(), "page");
  }
  TPageSetupForm::PrinterPresent = nullptr;
  Printer()->SetOrientation(poPortrait);
}

// "Save" of the close-all dialog saves the checked documents through the host; those whose save
// failed are kept. Without a host nothing can be saved.
TEST_F(HostedDocuments, CloseAllSavesThroughTheHost) {
  struct Case {
    bool hosted;
    const char* checked;
    int failing;  // -1: none
    std::vector<int> saved, unsaved;
  } cases[] = {{true, "xxx", -1, {0, 1, 2}, {}},
               {true, "x.x", 2, {0, 2}, {2}},
               {true, "...", -1, {}, {}},
               {false, "xx.", -1, {}, {0, 1}}};
  for (const Case& c : cases) {
    TFakeHost host;
    for (int i = 0; i < 3; ++i) host.Add(L"d" + std::to_wstring(i));
    if (c.failing >= 0) host.failing.push_back(host.Doc(c.failing));
    std::unique_ptr<TCloseAllForm> dialog(New<TCloseAllForm>(nullptr, c.hosted ? &host : nullptr));
    for (int i = 0; i < 3; ++i) dialog->AddDocument(host.Doc(i));
    for (int i = 0; i < 3; ++i) dialog->SetChecked(i, c.checked[i] == 'x');
    dialog->actnSaveExecute(nullptr);
    EXPECT_EQ(dialog->ModalResult(), mrYes);
    std::vector<TDocument*> saved, unsaved;
    for (int i : c.saved) saved.push_back(host.Doc(i));
    for (int i : c.unsaved) unsaved.push_back(host.Doc(i));
    EXPECT_EQ(host.saved, saved) << c.checked;
    EXPECT_EQ(dialog->Unsaved(), unsaved) << c.checked;
  }
}

// A dialog never placed comes up in the middle of the screen, wherever the host's window is.
TEST_F(HostedDocuments, CloseAllComesUpInTheMiddleOfTheScreen) {
  std::unique_ptr<TForm> window(new TForm(nullptr, CreateNew));
  window->SetBounds(60, 50, 420, 300);
  enum { shown, hidden, none } cases[] = {shown, hidden, none};
  for (auto c : cases) {
    TFakeHost host;
    if (c == shown) window->Show();
    if (c == hidden) window->Hide();
    if (c != none) host.window = window->Handle();
    std::unique_ptr<TCloseAllForm> dialog(New<TCloseAllForm>(nullptr, &host));
    dialog->SetLeft(0);
    dialog->SetTop(0);
    dialog->PlaceOnScreen(nullptr);
    EXPECT_EQ(dialog->Left(), (GetSystemMetrics(SM_CXSCREEN) - dialog->Width()) / 2) << c;
    EXPECT_EQ(dialog->Top(), (GetSystemMetrics(SM_CYSCREEN) - dialog->Height()) / 2) << c;
  }
}

// The character map without a document of its own works on the host's active one, and its
// recent characters are the host's palette.
TEST_F(HostedDocuments, TheCharacterMapFollowsTheHostsActiveDocument) {
  TFakeHost host;
  TDocument* first = host.Add(L"first");
  TDocument* second = host.Add(L"second");
  TCharacterForm* map = ShowCharacterDialog(host, 'A');
  EXPECT_EQ(RecentCharacters(), &host.palette);
  EXPECT_EQ(map->CurrentCode(), 'A');
  for (TDocument* target : {first, second}) {
    host.ActivateDocument(target);
    EXPECT_EQ(map->Target(), target);
    map->actnInsertExecute(nullptr);
  }
  EXPECT_EQ(first->Editor()->TextA(), "A");
  EXPECT_EQ(second->Editor()->TextA(), "A");
  EXPECT_EQ(host.palette.Count(), 1);
  // Nothing to insert into: a preview, or no document at all.
  second->SetViewMode(1);
  map->actnInsert->Update();
  EXPECT_FALSE(map->actnInsert->Enabled());
  host.ActivateDocument(nullptr);
  map->actnInsert->Update();
  EXPECT_FALSE(map->actnInsert->Enabled());
  FreeCharacterForm();
}

TEST_F(HostedDocuments, TheFindDialogSearchesTheHostsActiveEditor) {
  TFakeHost host;
  TDocument* document = host.Add(L"a");
  TFindAndReplaceForm* dialog = EnsureFindAndReplaceForm(host);
  EXPECT_EQ(EnsureFindAndReplaceForm(host), dialog) << "made once";
  struct Case {
    TDocument* active;
    int mode;
    bool inEditView;
  } cases[] = {{document, 0, true}, {document, 1, false}, {nullptr, 0, false}};
  for (const Case& c : cases) {
    host.ActivateDocument(c.active);
    document->SetViewMode(c.mode);
    EXPECT_EQ(dialog->ActiveInEditView(), c.inEditView) << c.mode;
    EXPECT_EQ(dialog->Editor(), c.active ? document->Editor() : nullptr) << c.mode;
  }
  FreeFindAndReplaceForm();
}

}  // namespace
