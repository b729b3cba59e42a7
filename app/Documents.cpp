// The open documents and their list.
#include "app/Documents.h"

#include "app/DocumentFrm.h"
#include "app/DocumentTabs.h"
#include "app/Options.h"
#include "app/WindowRoutines.h"
#include "editor/TxtEditPrintHeaderFooter.h"
#include "framework/CodePages.h"
#include "framework/Mnemonics.h"
#include "framework/ScopeGuards.h"
#include "framework/StrRoutines.h"

HV_PUBLISH(TDocumentPage) {}

namespace {

const bool registered = [] {
  RegisterClass(TDocumentPage::StaticClassInfo());
  return true;
}();

TDocument* documentOfPage(TApCustomPage* Page) {
  auto* page = dynamic_cast<TDocumentPage*>(Page);
  return page ? page->Document : nullptr;
}

}  // namespace

WideString LowerFileName(const WideString& Name) {
  WideString lower = Name;
  if (!lower.empty()) CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  return lower;
}

// ---- TDocument ----

HV_PUBLISH(TDocument) {}

TDocument::TDocument(TComponent* Owner, TApCustomPageList* PageList) {
  page_ = new TDocumentPage(Owner);
  page_->Document = this;
  page_->SetPageList(PageList);
  frame_ = New<TDocumentFrame>(page_);
  frame_->SetParent(page_);
  frame_->SetAlign(alClient);
  frame_->OnModifiedChange = TNotifyEvent(this, &TDocument::FrameModifiedChange);
  frame_->OnClosePreview = TNotifyEvent(this, &TDocument::FrameClosePreview);
  item_ = new TDocumentItem(nullptr);
  if (::Options) {
    TTxtEditPrintMargins& margins = *frame_->edtprntEditor->Margins();
    margins.SetTop(::Options->pMarginsTop);
    margins.SetLeft(::Options->pMarginsLeft);
    margins.SetBottom(::Options->pMarginsBottom);
    margins.SetRight(::Options->pMarginsRight);
  }
}

TDocument::~TDocument() {
  delete item_;
  item_ = nullptr;
  Free(frame_);
  TApCustomPageList* list = page_->PageList();
  Free(page_);
  if (list)
    if (TDocument* active = documentOfPage(list->ActivePage()))
      if (active != this && active->Item()) {
        if (TDocumentTabBar* bar = active->Item()->Bar())
          bar->CheckTab(active->Item());
        else
          active->Item()->SetChecked(true);
      }
}

WideString TDocument::GetDisplayName(bool UseFileName) const {
  if (UseFileName && !FileName.empty()) return FileName;
  return item_ ? UnescapeAmpersands(item_->Caption()) : WideString();
}

TTxtEdit* TDocument::Editor() const { return frame_->edtDocument; }

bool TDocument::CanEdit() const { return InEditView() && !Editor()->ReadOnly(); }

TTxtCustomHighlighter* TDocument::GetHighlighter() const { return frame_->edtDocument->Highlighter(); }

void TDocument::SetHighlighter(TTxtCustomHighlighter* Value) {
  if (frame_->edtDocument->Highlighter() != Value) frame_->edtDocument->SetHighlighter(Value);
}

void TDocument::SwitchHighlighter(TTxtCustomHighlighter* Value) {
  SetHighlighter(Value);
  frame_->edtprntEditor->SetHighlighter(GetHighlighter());
  if (IsPrintPreview())
    frame_->edtprntprvwDocument->UpdatePreview();
  else
    frame_->edtDocument->Invalidate();
}

void TDocument::PreparePrinting(bool LinkText) {
  TTxtEditPrint* print = frame_->edtprntEditor;
  if (LinkText) print->SetTxtEdit(frame_->edtDocument);
  print->Header()->Clear();
  if (PrintPageNumbers) print->Header()->Add("$PageNum$", nullptr, taRightJustify, 1);
  print->SetTitle(WideToAnsi(GetDisplayName(true)));
  // Also without linking: a font size changed since takes effect in the pages.
  print->SetFont(frame_->edtDocument->Font());
  if (print->Header()->Count() > 0) print->Header()->Get(0)->SetFont(print->Font());
  if (frame_->pglstDocument->ActivePage() == frame_->stndrdpgPrintPreview) frame_->edtprntprvwDocument->UpdatePreview();
}

void TDocument::SetViewMode(int Mode) {
  {
    // The document area is not drawn while its page changes.
    TApCustomPageList* list = page_->PageList();
    LockUpdate(list && list->HandleAllocated() ? list->Handle() : nullptr);
    TScopeExit unlock([] { LockUpdate(nullptr); });
    ViewMode = static_cast<uint8_t>(Mode);
    if (Mode == 1) PreparePrinting(true);
    frame_->ShowViewMode(Mode);
  }
  if (OnViewModeChange) OnViewModeChange(this);
}

void TDocument::FrameModifiedChange(TObject*) {
  if (item_) item_->SetBold(frame_->edtDocument->Modified());
}

void TDocument::FrameClosePreview(TObject*) { SetViewMode(0); }

// ---- TDocObjList ----

TDocument* TDocObjList::GetDocument(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return items_[static_cast<size_t>(Index)].get();
}

void TDocObjList::Add(TDocument* Document) { items_.emplace_back(Document); }

void TDocObjList::Remove(TDocument* Document) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->get() != Document) continue;
    // Taken out of the list first, so that the document's destructor no longer finds itself.
    std::unique_ptr<TDocument> doomed = std::move(*it);
    items_.erase(it);
    return;
  }
}

void TDocObjList::Clear() {
  while (!items_.empty()) Remove(items_.back().get());
}

// ---- TDocumentList ----

TDocumentList::~TDocumentList() { list_.Clear(); }

TDocument* TDocumentList::Add(std::unique_ptr<TDocument> Document) {
  TDocument* document = Document.release();
  list_.Add(document);
  return document;
}

TDocument* TDocumentList::FindByPage(TApCustomPage* Page) const { return documentOfPage(Page); }

TDocument* TDocumentList::FindByFrame(TDocumentFrame* Frame) const {
  for (int i = 0; i < Count(); ++i)
    if (Documents(i)->Frame() == Frame) return Documents(i);
  return nullptr;
}

TDocument* TDocumentList::FindByItem(TDocumentItem* Item) const {
  for (int i = 0; i < Count(); ++i)
    if (Documents(i)->Item() == Item) return Documents(i);
  return nullptr;
}

TDocument* TDocumentList::FindByFileName(const WideString& Name) const {
  const WideString lower = LowerFileName(Name);
  for (int i = 0; i < Count(); ++i)
    if (LowerFileName(Documents(i)->FileName) == lower) return Documents(i);
  return nullptr;
}
