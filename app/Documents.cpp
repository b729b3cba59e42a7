// The open documents and their list.
#include "app/Documents.h"

#include "app/DocumentFrm.h"
#include "app/DocumentTabs.h"
#include "app/Global.h"
#include "app/Options.h"
#include "framework/Mnemonics.h"
#include "framework/StrRoutines.h"

HV_PUBLISH(TDocumentPage) {}

namespace {

const bool registered = [] {
  RegisterClass(TDocumentPage::StaticClassInfo());
  return true;
}();

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
  item_ = new TDocumentItem(nullptr);
  if (::Options) {
    TTxtEditPrintMargins& margins = *frame_->edtprntEditor->Margins();
    margins.SetTop(::Options->pMarginsTop);
    margins.SetLeft(::Options->pMarginsLeft);
    margins.SetBottom(::Options->pMarginsBottom);
    margins.SetRight(::Options->pMarginsRight);
  }
  if (DocumentList) DocumentList->Items().Add(this);
}

TDocument::~TDocument() {
  delete item_;
  item_ = nullptr;
  Free(frame_);
  TApCustomPageList* list = page_->PageList();
  Free(page_);
  if (list && DocumentList)
    if (TDocument* active = DocumentList->FindByPage(list->ActivePage()))
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

TTxtCustomHighlighter* TDocument::GetHighlighter() const { return frame_->edtDocument->Highlighter(); }

void TDocument::SetHighlighter(TTxtCustomHighlighter* Value) {
  if (frame_->edtDocument->Highlighter() != Value) frame_->edtDocument->SetHighlighter(Value);
}

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

TDocument* TDocumentList::FindByPage(TApCustomPage* Page) const {
  auto* page = dynamic_cast<TDocumentPage*>(Page);
  return page ? page->Document : nullptr;
}

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
