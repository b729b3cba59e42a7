// The parts of a host's active document, reached through the document itself.
#include "app/DocumentHost.h"

#include "app/Documents.h"

TDocumentFrame* TDocumentHost::ActiveFrame() const {
  TDocument* document = ActiveDocument();
  return document ? document->Frame() : nullptr;
}

TTxtEdit* TDocumentHost::ActiveEditor() const {
  TDocument* document = ActiveDocument();
  return document ? document->Editor() : nullptr;
}

bool TDocumentHost::ActiveInEditView() const {
  TDocument* document = ActiveDocument();
  return document && document->InEditView();
}

bool TDocumentHost::CanEditActive() const {
  TDocument* document = ActiveDocument();
  return document && document->CanEdit();
}
