// The open documents: each one a page of the main window's page list, the document frame on it
// (editor and print preview) and a tab, with the document work that needs no window: view mode,
// highlighter and printing; the list that holds them and finds them by page, frame, tab or file
// name.
#pragma once

#include <memory>
#include <vector>

#include "app/Encoding.h"
#include "controls/ApPageList.h"

class TDocument;
class TDocumentFrame;
class TDocumentItem;
class TTxtCustomHighlighter;
class TTxtEdit;

// The system's lower-case mapping of a file name, so that names differing only in letter case
// (accented letters too) name one file.
WideString LowerFileName(const WideString& Name);

class TDocumentPage : public TApCustomPage {
  HV_CLASS(TDocumentPage, TApCustomPage)
 public:
  explicit TDocumentPage(TComponent* AOwner) : TApCustomPage(AOwner) {}
  TDocument* Document = nullptr;
};

class TDocument : public TObject {
  HV_CLASS(TDocument, TObject)
 public:
  // Creates the page (owned by Owner, in PageList), the frame on it and the tab, and takes the
  // portrait margins of the options. The document joins a list only when the list adds it.
  TDocument(TComponent* Owner, TApCustomPageList* PageList);
  // Frees the tab, the frame and the page; the tab of the active document is then checked.
  ~TDocument() override;

  WideString FileName;  // full path; empty for a new document
  TTextEncoding Encoding = 0;
  uint8_t ViewMode = 0;     // 0 editor, 1 print preview
  uint8_t Orientation = 0;  // 0 portrait, 1 landscape
  bool PrintPageNumbers = true;
  // The text lost characters of the file when it was loaded: saving over the file asks first.
  bool Lossy = false;
  // The file broke its lines in more than one way, and the text keeps one: saving over the file
  // asks first.
  bool MixedLineBreaks = false;

  TDocumentPage* Page() const { return page_; }
  TDocumentFrame* Frame() const { return frame_; }
  TDocumentItem* Item() const { return item_; }
  // The frame's editor.
  TTxtEdit* Editor() const;

  // The tab caption as the user reads it ("&&" shown as "&"), or the full file name when asked
  // and there is one.
  WideString GetDisplayName(bool UseFileName) const;
  bool IsPrintPreview() const { return ViewMode == 1; }
  bool InEditView() const { return ViewMode != 1; }
  // Shown in its editor, which is not read-only: the text tools may change it.
  bool CanEdit() const;
  TTxtCustomHighlighter* GetHighlighter() const;
  void SetHighlighter(TTxtCustomHighlighter* Value);
  // The document takes another scheme: the editor, the print object and the preview follow.
  void SwitchHighlighter(TTxtCustomHighlighter* Value);

  // The print object of the frame takes the editor's text (LinkText), the title, the font and
  // the page numbers; a preview that shows is built again.
  void PreparePrinting(bool LinkText);
  // Shows the editor (0) or the print preview (1), prepared for printing first; then tells
  // OnViewModeChange.
  void SetViewMode(int Mode);
  // The view mode was set: the window's status bar and keyboard follow the page shown.
  TNotifyEvent OnViewModeChange;

 private:
  // The frame's requests: its modified flag changed, its preview's Close was chosen.
  void FrameModifiedChange(TObject* Sender);
  void FrameClosePreview(TObject* Sender);

  TDocumentPage* page_ = nullptr;
  TDocumentFrame* frame_ = nullptr;
  TDocumentItem* item_ = nullptr;
};

// The documents in the order they were created; removing one frees it.
class TDocObjList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // Null past the end.
  TDocument* GetDocument(int Index) const;
  void Add(TDocument* Document);
  // Frees the document.
  void Remove(TDocument* Document);
  void Clear();

 private:
  std::vector<std::unique_ptr<TDocument>> items_;
};

class TDocumentList {
 public:
  TDocumentList() = default;
  ~TDocumentList();
  TDocumentList(const TDocumentList&) = delete;
  TDocumentList& operator=(const TDocumentList&) = delete;

  // Takes the document over, appended after the others; the document, for the caller to go on with.
  TDocument* Add(std::unique_ptr<TDocument> Document);
  TDocObjList& Items() { return list_; }
  int Count() const { return list_.Count(); }
  TDocument* Documents(int Index) const { return list_.GetDocument(Index); }

  TDocument* FindByPage(TApCustomPage* Page) const;
  TDocument* FindByFrame(TDocumentFrame* Frame) const;
  TDocument* FindByItem(TDocumentItem* Item) const;
  // File names compared in lower case (the system's mapping, accented letters too).
  TDocument* FindByFileName(const WideString& Name) const;

 private:
  TDocObjList list_;
};
