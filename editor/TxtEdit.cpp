// The editor control: construction and destruction, the update lock and status reports, the
// reactions to buffer changes, positions and the caret, scrolling and scroll bars, option
// setters, shared buffers and the window messages of showing and scrolling.
#include "editor/TxtEdit.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>

#include "editor/TxtEditLocks.h"
#include "editor/TxtEditPaint.h"
#include "editor/TxtEditSearch.h"
#include "editor/TxtEditWordWrap.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/Format.h"
#include "framework/HintWindow.h"
#include "framework/ImageList.h"
#include "framework/ScopeGuards.h"
#include "framework/StrRoutines.h"
#include "framework/UpdateBracket.h"

const char* const TCustomTxtEdit::ScrollHintFormatTextDefault = "Top Line: %d";
TCustomTxtEdit::TWordWrapPluginFactory TCustomTxtEdit::wordWrapFactory_ = nullptr;

HV_PUBLISH(TCustomTxtEdit) {}

HV_PUBLISH(TTxtEdit) {
  p.Prop("ActiveLineColor", &T::ActiveLineColor, &T::SetActiveLineColor).Default(clNone);
  p.Prop("BookMarkOptions", &T::BookMarkOptions, &T::SetBookMarkOptions);
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Prop("ExtraLineSpacing", &T::ExtraLineSpacing, &T::SetExtraLineSpacing).Default(0);
  p.Prop("Font", &T::Font, &T::SetFont);
  p.Prop("Gutter", &T::Gutter, &T::SetGutter);
  p.Prop("HideSelection", &T::HideSelection, &T::SetHideSelection).Default(false);
  p.Prop("Highlighter", &T::Highlighter, &T::SetHighlighter);
  p.Prop("InsertCaret", &T::InsertCaret, &T::SetInsertCaret).Default(ctVerticalLine);
  p.Prop("InsertMode", &T::InsertMode, &T::SetInsertMode).Default(true);
  // Stored as its differences from the default map (RemovedKeystrokes, AddedKeystrokes).
  p.Prop("Keystrokes", &T::Keystrokes, &T::SetKeystrokes).Stored(false);
  p.Prop("Lines", &T::Lines, &T::SetLines);
  p.Prop("MaxScrollWidth", &T::MaxScrollWidth, &T::SetMaxScrollWidth).Default(1024);
  p.Prop("MaxUndo", &T::MaxUndo, &T::SetMaxUndo).Default(1024);
  p.Prop("Options", &T::Options, &T::SetOptions).Default(TxtEditDefaultOptions);
  p.Prop("OverwriteCaret", &T::OverwriteCaret, &T::SetOverwriteCaret).Default(ctBlock);
  p.Prop("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
  p.Prop("RightEdge", &T::RightEdge, &T::SetRightEdge).Default(80);
  p.Prop("RightEdgeColor", &T::RightEdgeColor, &T::SetRightEdgeColor).Default(clSilver);
  p.Prop("ScrollHintColor", &T::ScrollHintColor, &T::SetScrollHintColor).Default(clInfoBk);
  p.Prop("ScrollHintFormat", &T::ScrollHintFormat, &T::SetScrollHintFormat).Default(shfTopLineOnly);
  p.Prop("ScrollHintFormatText", &T::ScrollHintFormatText, &T::SetScrollHintFormatText)
      .Stored(&T::IsScrollHintFormatTextStored);
  p.Prop("ScrollBars", &T::ScrollBars, &T::SetScrollBars).Default(ssBoth);
  p.Prop("SearchEngine", &T::SearchEngine, &T::SetSearchEngine);
  p.Prop("SelectedColor", &T::SelectedColor, &T::SetSelectedColor);
  p.Prop("SelectionMode", &T::SelectionMode, &T::SetSelectionMode).Default(smNormal);
  p.Prop("TabWidth", &T::TabWidth, &T::SetTabWidth).Default(8);
  p.Prop("WantReturns", &T::WantReturns, &T::SetWantReturns).Default(true);
  p.Prop("WantTabs", &T::WantTabs, &T::SetWantTabs).Default(false);
  p.Prop("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
  p.Prop("WordWrapGlyph", &T::WordWrapGlyph, &T::SetWordWrapGlyph);
  // Framework properties whose defaults differ for the editor.
  p.Prop("Color", &T::Color, &T::SetColor).Default(clWindow).Stored(&T::IsColorStored);
  p.Prop("ParentColor", &T::ParentColor, &T::SetParentColor).Default(false);
  p.Prop("ParentFont", &T::ParentFont, &T::SetParentFont).Default(false);
  p.Prop("TabStop", &T::TabStop, &T::SetTabStop).Default(true);
  p.Prop("Width", &T::Width, &T::SetWidth).Default(200);
  p.Prop("Height", &T::Height, &T::SetHeight).Default(150);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnClearBookmark", &T::OnClearBookmark);
  p.Event("OnCommandProcessed", &T::OnCommandProcessed);
  p.Event("OnContextHelp", &T::OnContextHelp);
  p.Event("OnDropFiles", &T::OnDropFiles);
  p.Event("OnGutterClick", &T::OnGutterClick);
  p.Event("OnGutterGetText", &T::OnGutterGetText);
  p.Event("OnGutterPaint", &T::OnGutterPaint);
  p.Event("OnMouseCursor", &T::OnMouseCursor);
  p.Event("OnPaint", &T::OnPaint);
  p.Event("OnPlaceBookmark", &T::OnPlaceBookmark);
  p.Event("OnProcessCommand", &T::OnProcessCommand);
  p.Event("OnProcessUserCommand", &T::OnProcessUserCommand);
  p.Event("OnReplaceText", &T::OnReplaceText);
  p.Event("OnScroll", &T::OnScroll);
  p.Event("OnSpecialLineColors", &T::OnSpecialLineColors);
  p.Event("OnStatusChange", &T::OnStatusChange);
  p.Event("OnPaintTransient", &T::OnPaintTransient);
  p.Event("OnStartDock", &T::OnStartDock);
  p.Event("OnEndDock", &T::OnEndDock);
}

void RegisterTxtEditClasses() {
  RegisterClasses({&TCustomTxtEdit::StaticClassInfo(), &TTxtEdit::StaticClassInfo(), &TTxtEditSearch::StaticClassInfo(),
                   &TTxtEditRegexSearch::StaticClassInfo()});
}

namespace {

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

// The smallest rectangle holding two non-empty ones.
TRect UnionOf(const TRect& A, const TRect& B) {
  return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom)};
}

}  // namespace

// ---- construction and destruction ----

TCustomTxtEdit::TCustomTxtEdit(TComponent* AOwner) : TCustomControl(AOwner) {
  origLines_ = std::make_unique<TTxtEditStringList>();
  lines_ = origLines_.get();

  scrollHintFormatText_ = ScrollHintFormatTextDefault;
  fontDummy_ = std::make_unique<TFont>();

  origUndoList_ = std::make_unique<TTxtEditUndoList>();
  origRedoList_ = std::make_unique<TTxtEditUndoList>();
  undoList_ = origUndoList_.get();
  redoList_ = origRedoList_.get();
  WatchBuffer(true);

  selectedColor_ = std::make_unique<TTxtSelectedColor>();
  selectedColor_->OnChange = TNotifyEvent(this, &TCustomTxtEdit::SelectedColorChanged);
  bookMarkOptions_ = std::make_unique<TTxtBookMarkOpt>(this);
  bookMarkOptions_->OnChange = TNotifyEvent(this, &TCustomTxtEdit::BookMarkOptionsChanged);
  gutter_ = std::make_unique<TTxtGutter>();
  gutter_->OnChange = TNotifyEvent(this, &TCustomTxtEdit::GutterChanged);
  wordWrapGlyph_ = std::make_unique<TTxtGlyph>(ModuleInstance(), L"TxtEditWrapped", clLime);
  wordWrapGlyph_->OnChange = TNotifyEvent(this, &TCustomTxtEdit::WordWrapGlyphChanged);
  gutterWidth_ = gutter_->Width();

  SetControlStyle(ControlStyle() + csOpaque);
  SetBounds(Left(), Top(), 200, 150);
  SetCursor(crIBeam);
  SetColor(clWindow);

  fontDummy_->SetName(L"Courier New");
  fontDummy_->SetSize(10);
  fontDummy_->SetCharset(DEFAULT_CHARSET);
  textDrawer_ = std::make_unique<TheTextDrawer>(TFontStyles{fsBold}, fontDummy_.get());
  painter_ = std::make_unique<TTxtEditPainter>(*this);
  TControl::SetFont(fontDummy_.get());
  SetParentFont(false);
  SetParentColor(false);
  SetTabStop(true);

  marks_ = std::make_unique<TTxtEditMarkList>();
  marks_->OnChange = TNotifyEvent(this, &TCustomTxtEdit::MarkListChanged);

  lines_->SetTabWidth(tabWidth_);
  FontChanged();
}

TCustomTxtEdit::~TCustomTxtEdit() {
  Destroying();
  // Editors that show this one's buffer give it back while it still exists.
  while (!sharers_.empty()) sharers_.back()->UnHookTextBuffer();
  SetHighlighter(nullptr);
  UnHookTextBuffer();
  SetSearchEngine(nullptr);
  // The window goes while every part it may still call on exists.
  if (HandleAllocated()) DestroyHandle();
  wordWrapPlugin_.reset();
}

void TCustomTxtEdit::WatchBuffer(bool Join) {
  if (Join) {
    lines_->Watchers().Join(&bufferWatch_);
    undoList_->Watchers().Join(&bufferWatch_);
    redoList_->Watchers().Join(&bufferWatch_);
  } else {
    lines_->Watchers().Leave(&bufferWatch_);
    undoList_->Watchers().Leave(&bufferWatch_);
    redoList_->Watchers().Leave(&bufferWatch_);
  }
}

void TCustomTxtEdit::Loaded() {
  inherited::Loaded();
  GutterChanged(gutter_.get());
  UpdateScrollBars();
}

void TCustomTxtEdit::SetName(const std::string& NewName) {
  // A designer shows a new editor's name as its text; renaming it keeps the two together,
  // unless someone typed other text in the meantime.
  const bool follow = ComponentState().Contains(csDesigning) && !IsLoading() && TrimRight(TextA()) == TrimRight(Name());
  inherited::SetName(NewName);
  if (follow) SetTextA(NewName);
}

// ---- the update lock and status reports ----

// The wrap keeps the work of the lock's changes for its end: a line a replace-all or an undo
// step changes many times has its rows settled once.
void TCustomTxtEdit::IncPaintLock() {
  if (++paintLock_ == 1 && wordWrapPlugin_) wordWrapPlugin_->BeginUpdate();
}

void TCustomTxtEdit::DecPaintLock() {
  assert(paintLock_ > 0);
  if (paintLock_ <= 0) return;
  if (--paintLock_ != 0) return;
  if (wordWrapPlugin_) wordWrapPlugin_->EndUpdate();
  // Without a window there is nothing to tell.
  if (!HandleAllocated()) {
    ReleaseHeldInvalidation(false);
    return;
  }
  // The held parts reach the window before anything scrolls it, so that a scroll moves them
  // with the text they belong to.
  const bool transient = ReleaseHeldInvalidation();
  if (stateFlags_.Contains(sfScrollbarChanged)) {
    // A bar that comes up narrows the text area: it may cover the caret that the locked work
    // scrolled into view.
    const bool caretShown = CaretWithinTextArea();
    UpdateScrollBars();
    if (caretShown && !CaretWithinTextArea()) EnsureCursorPosVisible();
  }
  if (WordWrap() && (statusChanges_.Contains(scCaretX) || statusChanges_.Contains(scCaretY))) {
    // A caret past the visible end of a wrapped row goes back to the row's end.
    TDisplayCoord p = DisplayXY();
    if (p.Column > charsInWindow_ + 1 && charsInWindow_ >= 1) {
      if (caretAtEOL_) {
        caretAtEOL_ = false;
      } else if (statusChanges_.Contains(scCaretY)) {
        p.Column = charsInWindow_ + 1;
        caretX_ = DisplayToBufferPos(p).Char;
        statusChanges_.Include(scCaretX);
        UpdateLastCaretX();
      }
      stateFlags_.Include(sfCaretChanged);
    }
  }
  if (transient) DoOnPaintTransient(ttAfter);
  if (stateFlags_.Contains(sfCaretChanged)) UpdateCaret();
  if (!statusChanges_.Empty()) DoOnStatusChange(statusChanges_);
}

// One invalidation for everything the lock held back; true when a transient paint was skipped,
// which is owed once in place of those the caret's moves skipped.
bool TCustomTxtEdit::ReleaseHeldInvalidation(bool Tell) {
  const bool all = heldAll_, erase = heldErase_, transient = heldTransient_;
  std::vector<TRect> parts;
  parts.swap(heldInvalid_);
  heldAll_ = heldErase_ = heldTransient_ = false;
  if (!Tell) return false;
  if (all)
    Invalidate();
  else
    for (const TRect& part : parts) InvalidateRect(part, erase);
  return transient;
}

// The caret's row wholly inside the text area, its column at most just past the last whole
// cell, where the caret after the longest line stays once the text is scrolled to its end.
bool TCustomTxtEdit::CaretWithinTextArea() const {
  const TDisplayCoord p = DisplayXY();
  return p.Column >= leftChar_ && int64_t(p.Column) <= int64_t(leftChar_) + charsInWindow_ && p.Row >= topLine_ &&
         int64_t(p.Row) <= int64_t(topLine_) + linesInWindow_ - 1;
}

void TCustomTxtEdit::Invalidate() {
  if (paintLock_ > 0 && HandleAllocated()) {
    heldAll_ = true;
    return;
  }
  inherited::Invalidate();
}

void TCustomTxtEdit::StatusChanged(TTxtStatusChanges Changes) {
  statusChanges_ += Changes;
  if (paintLock_ == 0) DoOnStatusChange(statusChanges_);
}

void TCustomTxtEdit::DoOnStatusChange(TTxtStatusChanges Changes) {
  // The gutter's caret-line number is repainted where the caret line changes (SetCaretXYEx),
  // whether or not anyone listens here.
  if (!OnStatusChange) return;
  OnStatusChange(this, Changes);
  statusChanges_.Clear();
}

void TCustomTxtEdit::DoChange() {
  if (OnChange) OnChange(this);
}

void TCustomTxtEdit::SetModified(bool Value) {
  if (Value == modified_) return;
  modified_ = Value;
  if (!Value) {
    if (options_.Contains(eoGroupUndo) && undoList_->CanUndo()) undoList_->AddGroupBreak();
    undoList_->MarkSavedState(true);
  } else {
    undoList_->MarkSavedState(false);
  }
  StatusChanged({scModified});
}

void TCustomTxtEdit::SetReadOnly(bool Value) {
  if (Value == readOnly_) return;
  readOnly_ = Value;
  StatusChanged({scReadOnly});
}

void TCustomTxtEdit::UndoRedoAdded(TObject* Sender) {
  const bool modified = !undoList_->IsAtSavedState();
  if (modified != modified_) {
    modified_ = modified;
    StatusChanged({scModified});
  }
  TTxtEditUndoList* list = static_cast<TTxtEditUndoList*>(Sender);
  if (list == undoList_ && !undoList_->InsideRedo()) {
    TTxtEditUndoItem* top = undoList_->PeekItem();
    if (top && top->Reason != urGroupBreak) redoList_->Clear();
  }
  if (list->BlockCount() != 0) return;
  if (changeHold_ > 0)
    changeOwed_ = true;
  else
    DoChange();
}

void TCustomTxtEdit::HoldChange() { ++changeHold_; }

void TCustomTxtEdit::ReleaseChange() {
  if (changeHold_ <= 0 || --changeHold_ != 0 || !changeOwed_) return;
  changeOwed_ = false;
  DoChange();
}

// ---- text ----

AnsiString TCustomTxtEdit::TextA() const { return lines_->Text(); }

void TCustomTxtEdit::SetTextA(const AnsiString& Value) { lines_->SetText(Value); }

WideString TCustomTxtEdit::GetText() { return AnsiToWide(lines_->Text()); }

void TCustomTxtEdit::SetText(const WideString& Value) { lines_->SetText(WideToAnsi(Value)); }

AnsiString TCustomTxtEdit::LineText() const {
  if (caretY_ >= 1 && caretY_ <= lines_->Count()) return lines_->Strings(caretY_ - 1);
  return AnsiString();
}

void TCustomTxtEdit::SetLineText(const AnsiString& Value) {
  if (caretY_ < 1 || caretY_ > std::max(lines_->Count(), 1)) return;
  if (caretY_ > lines_->Count())
    lines_->Add(Value);
  else
    lines_->SetStrings(caretY_ - 1, Value);
}

void TCustomTxtEdit::SetLines(TStrings* Value) { lines_->Assign(Value); }

// ---- buffer changes ----

void TCustomTxtEdit::LinesChangingHandler(TObject*) { stateFlags_.Include(sfLinesChanging); }

void TCustomTxtEdit::LinesChanged(TObject*) {
  stateFlags_.Exclude(sfLinesChanging);
  if (!HandleAllocated()) return;
  UpdateScrollBars();
  const TTxtSelectionMode mode = activeSelectionMode_;
  SetBlockBegin(CaretXY());
  activeSelectionMode_ = mode;
  InvalidateRect(invalidRect_, false);
  invalidRect_ = TRect();
  if (gutter_->ShowLineNumbers() && gutter_->AutoSize()) gutter_->AutoSizeDigitCount(lines_->Count());
  if (!options_.Contains(eoScrollPastEof)) SetTopLine(topLine_);
  if (WordWrap()) wordWrapPlugin_->DisplayChanged();
}

void TCustomTxtEdit::ListCleared(TObject*) {
  ++bufferStamp_;
  if (WordWrap()) wordWrapPlugin_->Reset();
  undoList_->Clear();
  redoList_->Clear();
  invalidRect_ = TRect();
  Invalidate();
  SetCaretXY({1, 1});
  SetTopLine(1);
  SetLeftChar(1);
  StatusChanged({scAll});
}

void TCustomTxtEdit::ListDeleted(TObject*, int Index, int Count) {
  ++bufferStamp_;
  if (highlighter_ && lines_->Count() > 0) ScanFrom(Index);
  if (WordWrap()) wordWrapPlugin_->LinesDeleted(Index, Count);
  InvalidateLines(Index + 1, INT_MAX);
  InvalidateGutterLines(Index + 1, INT_MAX);
}

void TCustomTxtEdit::ListInserted(TObject*, int Index, int Count) {
  ++bufferStamp_;
  if (highlighter_ && lines_->Count() > 0) {
    // A scan may stop at an unchanged range before the inserted lines are all scanned.
    int scanned = Index;
    do {
      scanned = ScanFrom(scanned) + 1;
    } while (scanned < Index + Count && scanned < lines_->Count());
  }
  if (WordWrap()) wordWrapPlugin_->LinesInserted(Index, Count);
  InvalidateLines(Index + 1, INT_MAX);
  InvalidateGutterLines(Index + 1, INT_MAX);
  GrowMaxScrollWidth(Index);
}

// Each line inserted by itself would have grown the scroll width to its own length: together
// they grow it to the longest.
void TCustomTxtEdit::ListLoaded(TObject* Sender, int Count) {
  ListInserted(Sender, 0, Count);
  if (!options_.Contains(eoAutoSizeMaxScrollWidth)) return;
  const int longest = lines_->GetLengthOfLongestLine();
  if (longest > maxScrollWidth_) SetMaxScrollWidth(longest);
}

void TCustomTxtEdit::ListPutted(TObject*, int Index, int Count) {
  ++bufferStamp_;
  int endLine = Index + std::max(Count, 1);
  if (WordWrap() && wordWrapPlugin_->LinesPutted(Index, std::max(Count, 1)) != 0) endLine = INT_MAX;
  InvalidateGutterLines(Index + 1, endLine);
  if (highlighter_) endLine = std::max(endLine, ScanFrom(Index) + 1);
  if (lines_ != origLines_.get()) endLine = INT_MAX;
  InvalidateLines(Index + 1, endLine);
  GrowMaxScrollWidth(Index);
}

void TCustomTxtEdit::GrowMaxScrollWidth(int Line) {
  if (!options_.Contains(eoAutoSizeMaxScrollWidth)) return;
  const int length = lines_->GetExpandedStringLength(Line);
  if (length > maxScrollWidth_) SetMaxScrollWidth(length);
}

void TCustomTxtEdit::DoLinesInserted(int FirstLine, int Count) {
  for (int i = 0; i < marks_->Count(); ++i) {
    TTxtEditMark* mark = marks_->Items(i);
    if (mark->Line() >= FirstLine) mark->SetLine(mark->Line() + Count);
  }
}

void TCustomTxtEdit::DoLinesDeleted(int FirstLine, int Count) {
  for (int i = 0; i < marks_->Count(); ++i) {
    TTxtEditMark* mark = marks_->Items(i);
    if (mark->Line() >= FirstLine + Count)
      mark->SetLine(mark->Line() - Count);
    else if (mark->Line() > FirstLine)
      mark->SetLine(FirstLine);
  }
}

// ---- highlighter ranges ----

TTxtCustomHighlighter* TCustomTxtEdit::PaintingHighlighter() const {
  return highlighter_ && highlighter_->Enabled() ? highlighter_ : nullptr;
}

int TCustomTxtEdit::ScanFrom(int Index) {
  const int count = lines_->Count();
  if (!highlighter_ || Index < 0 || Index >= count) return Index;
  if (Index == 0)
    highlighter_->ResetRange();
  else
    highlighter_->SetRange(lines_->GetRange(Index - 1));
  for (;;) {
    highlighter_->SetLine(lines_->Strings(Index), Index);
    highlighter_->NextToEol();
    void* range = highlighter_->GetRange();
    if (range == lines_->GetRange(Index)) return Index;
    lines_->PutRange(Index, range);
    if (++Index >= count) return count - 1;
  }
}

void TCustomTxtEdit::ScanRanges() {
  if (!highlighter_ || lines_->Count() == 0) return;
  highlighter_->ResetRange();
  // One change of the lines for the watchers, not one per line of a long text.
  WithinUpdate(*lines_, [this] {
    const int count = lines_->Count();
    if (highlighter_->RangeNeverChanges()) {
      void* range = highlighter_->GetRange();
      for (int i = 0; i < count; ++i) lines_->PutRange(i, range);
      return;
    }
    for (int i = 0; i < count; ++i) {
      highlighter_->SetLine(lines_->Strings(i), i);
      highlighter_->NextToEol();
      lines_->PutRange(i, highlighter_->GetRange());
    }
  });
}

void TCustomTxtEdit::SetHighlighter(TTxtCustomHighlighter* Value) {
  if (Value == highlighter_) return;
  const TNotifyEvent hook(this, &TCustomTxtEdit::HighlighterAttrChanged);
  if (highlighter_) {
    highlighter_->UnhookAttrChangeEvent(hook);
    highlighter_->RemoveFreeNotification(this);
  }
  if (Value) {
    Value->HookAttrChangeEvent(hook);
    Value->FreeNotification(this);
  }
  highlighter_ = Value;
  if (IsDestroying()) return;
  ScanRanges();
  FontChanged();
  Invalidate();
}

void TCustomTxtEdit::HighlighterAttrChanged(TObject*) {
  ScanRanges();
  FontChanged();
  Invalidate();
}

TTxtCharSet TCustomTxtEdit::IdentChars() const {
  if (highlighter_) return highlighter_->GetIdentChars();
  TTxtCharSet chars;
  for (int c = 0x21; c <= 0xFF; ++c) chars.Include(static_cast<unsigned char>(c));
  return chars;
}

void TCustomTxtEdit::SetSearchEngine(TTxtEditSearchCustom* Value) {
  if (Value == searchEngine_) return;
  if (searchEngine_) searchEngine_->RemoveFreeNotification(this);
  searchEngine_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomTxtEdit::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  std::erase(focusList_, AComponent);
  if (AComponent == searchEngine_) searchEngine_ = nullptr;
  if (AComponent == highlighter_) SetHighlighter(nullptr);
  if (bookMarkOptions_ && AComponent == bookMarkOptions_->BookmarkImages()) {
    bookMarkOptions_->SetBookmarkImages(nullptr);
    InvalidateGutter();
  }
}

// ---- focus ----

void TCustomTxtEdit::AddFocusControl(TWinControl* AControl) {
  if (!AControl || AControl == this || std::find(focusList_.begin(), focusList_.end(), AControl) != focusList_.end())
    return;
  focusList_.push_back(AControl);
  AControl->FreeNotification(this);
}

void TCustomTxtEdit::RemoveFocusControl(TWinControl* AControl) {
  if (std::erase(focusList_, AControl) > 0) AControl->RemoveFreeNotification(this);
}

void TCustomTxtEdit::SetFocus() {
  // A list that leads back here focuses this control itself, rather than going round forever.
  if (focusList_.empty() || passingFocus_) {
    inherited::SetFocus();
    return;
  }
  passingFocus_ = true;
  TScopeExit passed([&] { passingFocus_ = false; });
  focusList_.back()->SetFocus();
}

// ---- shared buffers ----

void TCustomTxtEdit::SetLinesPointer(TCustomTxtEdit* AEditor) {
  if (!AEditor || AEditor == this || AEditor->lines_ == lines_) return;
  // A chain that leads back here would share with itself.
  for (TCustomTxtEdit* e = AEditor; e; e = e->chainedEditor_)
    if (e == this) return;
  UnHookTextBuffer();
  const bool wrapped = WordWrap();
  std::unique_ptr<ITxtEditBufferPlugin> plugin;
  if (wrapped) {
    plugin = std::move(wordWrapPlugin_);
    SetWordWrapPluginInternal(nullptr);
  }
  WatchBuffer(false);
  lines_ = AEditor->lines_;
  ++bufferStamp_;
  undoList_ = AEditor->undoList_;
  redoList_ = AEditor->redoList_;
  WatchBuffer(true);
  chainedEditor_ = AEditor;
  AEditor->sharers_.push_back(this);
  Invalidate();
  SetCaretXY(CaretXY());
  SetTopLine(topLine_);
  UpdateScrollBars();
  if (wrapped) {
    plugin->Reset();
    SetWordWrapPluginInternal(std::move(plugin));
  }
}

void TCustomTxtEdit::UnHookTextBuffer() {
  if (!chainedEditor_) return;
  // Whoever shows this control's current buffer through it lets go first.
  while (!sharers_.empty()) sharers_.back()->UnHookTextBuffer();
  RemoveLinesPointer();
}

void TCustomTxtEdit::RemoveLinesPointer() {
  assert(sharers_.empty());
  if (chainedEditor_) {
    auto& others = chainedEditor_->sharers_;
    others.erase(std::remove(others.begin(), others.end(), this), others.end());
    chainedEditor_ = nullptr;
  }
  if (lines_ == origLines_.get()) return;
  std::unique_ptr<ITxtEditBufferPlugin> plugin = std::move(wordWrapPlugin_);
  if (plugin) SetWordWrapPluginInternal(nullptr);
  WatchBuffer(false);
  lines_ = origLines_.get();
  ++bufferStamp_;
  undoList_ = origUndoList_.get();
  redoList_ = origRedoList_.get();
  WatchBuffer(true);
  if (IsDestroying()) return;
  Invalidate();
  if (options_.Contains(eoAutoSizeMaxScrollWidth)) {
    const int longest = lines_->GetLengthOfLongestLine();
    if (longest > maxScrollWidth_) SetMaxScrollWidth(longest);
  }
  SetCaretXY(CaretXY());
  SetTopLine(topLine_);
  UpdateScrollBars();
  if (plugin) {
    plugin->Reset();
    SetWordWrapPluginInternal(std::move(plugin));
  }
}

// ---- word wrap ----

void TCustomTxtEdit::SetWordWrapPluginFactory(TWordWrapPluginFactory Factory) { wordWrapFactory_ = Factory; }

void TCustomTxtEdit::SetWordWrap(bool Value) {
  if (Value == WordWrap()) return;
  if (!Value) {
    SetWordWrapPlugin(nullptr);
    return;
  }
  SetWordWrapPlugin(wordWrapFactory_ ? wordWrapFactory_(this) : std::make_unique<TTxtWordWrapPlugin>(this));
}

void TCustomTxtEdit::SetWordWrapPlugin(std::unique_ptr<ITxtEditBufferPlugin> Plugin) {
  if (!Plugin && !wordWrapPlugin_) return;
  SetWordWrapPluginInternal(std::move(Plugin));
}

void TCustomTxtEdit::SetWordWrapPluginInternal(std::unique_ptr<ITxtEditBufferPlugin> Plugin) {
  Invalidate();
  const bool caretShown = CaretInView();
  const int topBufferLine = RowToLine(topLine_);
  // Only the plug-in attached is inside the update lock.
  if (paintLock_ > 0 && wordWrapPlugin_) wordWrapPlugin_->EndUpdate();
  wordWrapPlugin_ = std::move(Plugin);
  if (paintLock_ > 0 && wordWrapPlugin_) wordWrapPlugin_->BeginUpdate();
  if (wordWrapPlugin_) SetLeftChar(1);
  SetTopLine(LineToRow(topBufferLine));
  UpdateScrollBars();
  if (options_.Contains(eoScrollPastEol)) {
    InternalSetCaretXY(CaretXY());
    const TBufferCoord anchor = blockBegin_, end = blockEnd_;
    SetBlockBegin(anchor);
    SetBlockEnd(end);
  }
  if (caretShown) EnsureCursorPosVisible();
}

// ---- positions ----

TTxtEditView TCustomTxtEdit::View() const {
  TTxtEditView v;
  v.GutterWidth = gutterWidth_;
  v.CharWidth = charWidth_ > 0 ? charWidth_ : 1;
  v.TextHeight = textHeight_ > 0 ? textHeight_ : 1;
  v.LeftChar = leftChar_;
  v.TopLine = topLine_;
  v.CharsInWindow = charsInWindow_;
  v.LinesInWindow = linesInWindow_;
  return v;
}

int TCustomTxtEdit::TextOffset() const { return TxtClampToInt(View().TextOffset()); }

TDisplayCoord TCustomTxtEdit::BufferToDisplayPos(const TBufferCoord& P) const {
  TDisplayCoord result{P.Char, P.Line};
  if (P.Line >= 1 && P.Line <= lines_->Count() && P.Char > 1) {
    const int index = P.Line - 1;
    const std::string_view line = lines_->LineView(index);
    // A line whose expanded length is its length has no tab that widens it: columns are
    // characters, which spares the walk along megabyte lines.
    if (static_cast<size_t>(lines_->GetExpandedStringLength(index)) != line.size()) {
      // Walking resumes at the last position converted on this line when it lies before.
      TColumnMark from;
      if (columnMark_.Stamp == bufferStamp_ && columnMark_.Line == P.Line && columnMark_.Char <= P.Char)
        from = columnMark_;
      result.Column = TxtCharToColumnFrom(line, from.Char, from.Column, P.Char, tabWidth_);
      columnMark_ = {bufferStamp_, P.Line, P.Char, result.Column};
    }
  }
  if (wordWrapPlugin_ && result.Column >= 1 && result.Row >= 1)
    result = wordWrapPlugin_->BufferToDisplayPos({result.Column, result.Row});
  return result;
}

TBufferCoord TCustomTxtEdit::DisplayToBufferPos(const TDisplayCoord& P) const {
  TDisplayCoord d = P;
  if (wordWrapPlugin_ && d.Column >= 1 && d.Row >= 1) {
    const TBufferCoord mapped = wordWrapPlugin_->DisplayToBufferPos(d);
    d = {mapped.Char, mapped.Line};
  }
  TBufferCoord result{d.Column, d.Row};
  if (d.Row >= 1 && d.Row <= lines_->Count()) {
    const int index = d.Row - 1;
    const std::string_view line = lines_->LineView(index);
    if (static_cast<size_t>(lines_->GetExpandedStringLength(index)) != line.size()) {
      TColumnMark from;
      if (columnMark_.Stamp == bufferStamp_ && columnMark_.Line == d.Row && columnMark_.Column <= d.Column)
        from = columnMark_;
      result.Char = TxtColumnToCharFrom(line, from.Char, from.Column, d.Column, tabWidth_);
    }
    if (TxtIsTrailByte(line, result.Char)) ++result.Char;
  }
  return result;
}

int TCustomTxtEdit::LineToRow(int ALine) const {
  if (!wordWrapPlugin_) return ALine;
  return BufferToDisplayPos({1, ALine}).Row;
}

int TCustomTxtEdit::RowToLine(int ARow) const {
  if (!wordWrapPlugin_) return ARow;
  return DisplayToBufferPos({1, ARow}).Line;
}

int TCustomTxtEdit::DisplayLineCount() const {
  if (wordWrapPlugin_) return wordWrapPlugin_->RowCount();
  return lines_->Count();
}

TPoint TCustomTxtEdit::RowColumnToPixels(const TDisplayCoord& RowCol) const {
  return TxtRowColumnToPixels(View(), RowCol);
}

TDisplayCoord TCustomTxtEdit::PixelsToRowColumn(int X, int Y) const { return TxtPixelsToRowColumn(View(), X, Y); }

TDisplayCoord TCustomTxtEdit::PixelsToNearestRowColumn(int X, int Y) const {
  return TxtPixelsToNearestRowColumn(View(), X, Y);
}

// ---- caret ----

TDisplayCoord TCustomTxtEdit::DisplayXY() const {
  TDisplayCoord p = BufferToDisplayPos(CaretXY());
  if (wordWrapPlugin_ && caretAtEOL_) {
    if (p.Column == 1 && p.Row > 1) {
      --p.Row;
      p.Column = wordWrapPlugin_->GetRowLength(p.Row) + 1;
    } else {
      caretAtEOL_ = false;
    }
  }
  return p;
}

void TCustomTxtEdit::SetInternalDisplayXY(const TDisplayCoord& Value) {
  TTxtEditLock lock(*this);
  InternalSetCaretXY(DisplayToBufferPos(Value));
  // The end of a wrapped row and the start of the next are one buffer position: the caret
  // shows at the end of the row the position was on.
  if (wordWrapPlugin_ && BufferToDisplayPos(CaretXY()).Row != Value.Row) {
    caretAtEOL_ = true;
    stateFlags_.Include(sfCaretChanged);
  }
  UpdateLastCaretX();
}

void TCustomTxtEdit::ComputeCaret(int X, int Y) {
  TDisplayCoord p = PixelsToNearestRowColumn(X, Y);
  p.Row = MinMax(p.Row, 1, DisplayLineCount());
  SetInternalDisplayXY(p);
}

bool TCustomTxtEdit::GetPositionOfMouse(TBufferCoord& Position) {
  if (!HandleAllocated()) return false;
  POINT p{};
  if (!::GetCursorPos(&p) || !::ScreenToClient(Handle(), &p)) return false;
  const TRect client = ClientRect();
  if (p.x < client.Left || p.x >= client.Right || p.y < client.Top || p.y >= client.Bottom) return false;
  Position = DisplayToBufferPos(PixelsToRowColumn(p.x, p.y));
  return true;
}

void TCustomTxtEdit::UpdateLastCaretX() {
  caretAtDbcsTrail_ = false;
  lastCaretX_ = DisplayX();
}

void TCustomTxtEdit::SetCaretX(int Value) { SetCaretXY({Value, caretY_}); }

void TCustomTxtEdit::SetCaretY(int Value) { SetCaretXY({caretX_, Value}); }

void TCustomTxtEdit::InternalSetCaretXY(const TBufferCoord& Value) { SetCaretXYEx(true, Value); }

void TCustomTxtEdit::SetCaretXY(const TBufferCoord& Value) {
  WithinUpdate(*this, [&] {
    StatusChanged({scSelection});
    const bool hadSelection = SelAvail();
    if (hadSelection) InvalidateSelection();
    SetCaretXYEx(true, Value);
    blockBegin_ = blockEnd_ = CaretXY();
  });
}

void TCustomTxtEdit::SetCaretXYEx(bool CallEnsureCursorPos, TBufferCoord Value) {
  caretAtEOL_ = false;
  if (HandleAllocated()) DoOnPaintTransient(ttBefore);
  const bool pastEol = options_.Contains(eoScrollPastEol);
  int64_t maxChar = WordWrap() ? INT_MAX : int64_t(maxScrollWidth_) + 1;
  if (Value.Line > lines_->Count()) Value.Line = lines_->Count();
  if (Value.Line >= 1) {
    if (!pastEol) maxChar = int64_t(lines_->LineView(Value.Line - 1).size()) + 1;
  } else {
    Value.Line = 1;
    if (!pastEol) maxChar = 1;
  }
  if (Value.Char > maxChar && (!pastEol || !options_.Contains(eoAutoSizeMaxScrollWidth)))
    Value.Char = TxtClampToInt(maxChar);
  if (Value.Char < 1) Value.Char = 1;

  if (Value.Char == caretX_ && Value.Line == caretY_) {
    UpdateLastCaretX();
  } else {
    WithinUpdate(*this, [&] {
      if (Value.Char != caretX_) {
        caretX_ = Value.Char;
        StatusChanged({scCaretX});
      }
      if (Value.Line != caretY_) {
        const int oldLine = caretY_;
        if (activeLineColor_ != clNone) {
          InvalidateLine(oldLine);
          InvalidateLine(Value.Line);
        }
        // Only every tenth line and the caret line carry a number: both lines change.
        if (gutter_->ShowLineNumbers() && !gutter_->NumberAllLines()) {
          InvalidateGutterLines(oldLine, oldLine);
          InvalidateGutterLines(Value.Line, Value.Line);
        }
        caretY_ = Value.Line;
        StatusChanged({scCaretY});
      }
      UpdateLastCaretX();
      if (CallEnsureCursorPos) EnsureCursorPosVisible();
      stateFlags_.Include(sfCaretChanged);
      stateFlags_.Include(sfScrollbarChanged);
    });
  }
  if (HandleAllocated()) DoOnPaintTransient(ttAfter);
}

bool TCustomTxtEdit::CaretInView() const {
  const TDisplayCoord p = DisplayXY();
  return p.Column >= leftChar_ && int64_t(p.Column) <= int64_t(leftChar_) + charsInWindow_ && p.Row >= topLine_ &&
         int64_t(p.Row) <= int64_t(topLine_) + linesInWindow_;
}

void TCustomTxtEdit::EnsureCursorPosVisibleEx(bool ForceToMiddle) {
  WithinUpdate(*this, [&] {
    const TDisplayCoord p = DisplayXY();
    if (p.Column < leftChar_)
      SetLeftChar(p.Column);
    else if (charsInWindow_ >= 1 && int64_t(p.Column) >= int64_t(leftChar_) + charsInWindow_)
      SetLeftChar(p.Column - charsInWindow_ + 1);
    else
      SetLeftChar(leftChar_);
    if (ForceToMiddle) {
      if (p.Row < topLine_ || int64_t(p.Row) > int64_t(topLine_) + linesInWindow_ - 1)
        SetTopLine(p.Row - (linesInWindow_ - 1) / 2);
    } else if (p.Row < topLine_) {
      SetTopLine(p.Row);
    } else if (int64_t(p.Row) > int64_t(topLine_) + linesInWindow_ - 1) {
      SetTopLine(p.Row - (linesInWindow_ - 1));
    } else {
      SetTopLine(topLine_);
    }
  });
}

void TCustomTxtEdit::GotoLineAndCenter(int ALine) {
  SetCaretXYEx(false, {1, ALine});
  if (SelAvail()) InvalidateSelection();
  blockBegin_ = blockEnd_ = CaretXY();
  EnsureCursorPosVisibleEx(true);
}

void TCustomTxtEdit::InitializeCaret() {
  const TTxtCaretShape shape =
      TxtEditCaretShape(insertMode_ ? insertCaret_ : overwriteCaret_, charWidth_ > 0 ? charWidth_ : 1, textHeight_);
  caretOffset_ = {shape.OffsetX, shape.OffsetY};
  stateFlags_.Exclude(sfCaretVisible);
  if (!HandleAllocated()) return;
  if (Focused() || alwaysShowCaret_) {
    CreateCaret(Handle(), nullptr, shape.Width, shape.Height);
    UpdateCaret();
  }
}

void TCustomTxtEdit::UpdateCaret() {
  if (paintLock_ != 0 || !HandleAllocated() || (!Focused() && !alwaysShowCaret_)) {
    stateFlags_.Include(sfCaretChanged);
    return;
  }
  stateFlags_.Exclude(sfCaretChanged);
  TDisplayCoord p = DisplayXY();
  if (WordWrap() && p.Column > charsInWindow_ + 1) p.Column = charsInWindow_ + 1;
  const TPoint pixels = RowColumnToPixels(p);
  const int cx = pixels.X + caretOffset_.X;
  const int cy = pixels.Y + caretOffset_.Y + 1;
  SetCaretPos(cx, cy);
  const TRect client = ClientRect();
  if (cx >= gutterWidth_ && cx < client.Right && cy >= client.Top && cy < client.Bottom)
    ShowCaret();
  else
    HideCaret();
  if (HIMC imc = ImmGetContext(Handle())) {
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_POINT;
    form.ptCurrentPos = {cx, cy};
    ImmSetCompositionWindow(imc, &form);
    ImmReleaseContext(Handle(), imc);
  }
}

void TCustomTxtEdit::ShowCaret() {
  if (options_.Contains(eoNoCaret) || stateFlags_.Contains(sfCaretVisible) || !HandleAllocated()) return;
  if (::ShowCaret(Handle())) stateFlags_.Include(sfCaretVisible);
}

void TCustomTxtEdit::HideCaret() {
  if (!stateFlags_.Contains(sfCaretVisible) || !HandleAllocated()) return;
  if (::HideCaret(Handle())) stateFlags_.Exclude(sfCaretVisible);
}

void TCustomTxtEdit::SetAlwaysShowCaret(bool Value) {
  if (Value == alwaysShowCaret_) return;
  alwaysShowCaret_ = Value;
  if (!HandleAllocated() || Focused()) return;
  if (Value) {
    InitializeCaret();
  } else {
    HideCaret();
    DestroyCaret();
  }
}

void TCustomTxtEdit::SetInsertMode(bool Value) {
  if (Value == insertMode_) return;
  insertMode_ = Value;
  // A designed editor has no caret of its own to show the mode with.
  if (!ComponentState().Contains(csDesigning)) InitializeCaret();
  StatusChanged({scInsertMode});
}

void TCustomTxtEdit::SetInsertCaret(TTxtEditCaretType Value) {
  if (Value == insertCaret_) return;
  insertCaret_ = Value;
  InitializeCaret();
}

void TCustomTxtEdit::SetOverwriteCaret(TTxtEditCaretType Value) {
  if (Value == overwriteCaret_) return;
  overwriteCaret_ = Value;
  InitializeCaret();
}

// ---- selection ----

TBufferCoord TCustomTxtEdit::BlockBegin() const { return MinBufferCoord(blockBegin_, blockEnd_); }

TBufferCoord TCustomTxtEdit::BlockEnd() const { return MaxBufferCoord(blockBegin_, blockEnd_); }

bool TCustomTxtEdit::SelAvail() const {
  return blockBegin_.Char != blockEnd_.Char || (blockBegin_.Line != blockEnd_.Line && activeSelectionMode_ != smColumn);
}

void TCustomTxtEdit::SetActiveSelectionMode(TTxtSelectionMode Value) {
  if (Value == activeSelectionMode_) return;
  if (SelAvail()) InvalidateSelection();
  activeSelectionMode_ = Value;
  if (SelAvail()) InvalidateSelection();
  StatusChanged({scSelection});
}

void TCustomTxtEdit::SetSelectionMode(TTxtSelectionMode Value) {
  if (Value == selectionMode_) return;
  selectionMode_ = Value;
  SetActiveSelectionMode(Value);
}

void TCustomTxtEdit::SetHideSelection(bool Value) {
  if (Value == hideSelection_) return;
  hideSelection_ = Value;
  InvalidateSelection();
}

namespace {

// Limits a selection end to the text: characters to the scroll width (or anything), lines to
// the buffer, and in a character-stream selection to the line's end.
TBufferCoord ClampSelectionEnd(TBufferCoord Value, const TTxtEditStringList& Lines, bool PastEol, bool Wrap,
                               int MaxScrollWidth, TTxtSelectionMode Mode) {
  if (PastEol && !Wrap)
    Value.Char = MinMax(Value.Char, 1, TxtClampToInt(int64_t(MaxScrollWidth) + 1));
  else if (Value.Char < 1)
    Value.Char = 1;
  Value.Line = MinMax(Value.Line, 1, Lines.Count());
  if (Mode == smNormal) {
    const int length =
        Value.Line >= 1 && Value.Line <= Lines.Count() ? static_cast<int>(Lines.LineView(Value.Line - 1).size()) : 0;
    if (Value.Char > length + 1) Value.Char = length + 1;
  }
  return Value;
}

}  // namespace

void TCustomTxtEdit::SetBlockBegin(TBufferCoord Value) {
  SetActiveSelectionMode(selectionMode_);
  Value = ClampSelectionEnd(Value, *lines_, options_.Contains(eoScrollPastEol), WordWrap(), maxScrollWidth_,
                            activeSelectionMode_);
  if (SelAvail()) {
    const int first = std::min({blockBegin_.Line, blockEnd_.Line, Value.Line});
    const int last = std::max({blockBegin_.Line, blockEnd_.Line, Value.Line});
    blockBegin_ = blockEnd_ = Value;
    InvalidateLines(first, last);
    StatusChanged({scSelection});
  } else {
    const bool changed = !(blockBegin_ == Value && blockEnd_ == Value);
    blockBegin_ = blockEnd_ = Value;
    if (changed) StatusChanged({scSelection});
  }
}

void TCustomTxtEdit::SetBlockEnd(TBufferCoord Value) {
  if (options_.Contains(eoNoSelection)) return;
  activeSelectionMode_ = selectionMode_;
  Value = ClampSelectionEnd(Value, *lines_, options_.Contains(eoScrollPastEol), WordWrap(), maxScrollWidth_,
                            activeSelectionMode_);
  if (Value.Line >= 1 && Value.Line <= lines_->Count() && TxtIsTrailByte(lines_->LineView(Value.Line - 1), Value.Char))
    --Value.Char;
  if (Value == blockEnd_) return;
  if (activeSelectionMode_ != smColumn || Value.Char == blockEnd_.Char) {
    const int first = std::min(Value.Line, blockEnd_.Line);
    const int last = std::max(Value.Line, blockEnd_.Line);
    blockEnd_ = Value;
    if (activeSelectionMode_ != smColumn || blockBegin_.Char != blockEnd_.Char) InvalidateLines(first, last);
  } else {
    const int first = std::min({Value.Line, blockEnd_.Line, blockBegin_.Line});
    const int last = std::max({Value.Line, blockEnd_.Line, blockBegin_.Line});
    blockEnd_ = Value;
    InvalidateLines(first, last);
  }
  StatusChanged({scSelection});
}

bool TCustomTxtEdit::IsPointInSelection(const TBufferCoord& Value) const {
  const TBufferCoord b = BlockBegin(), e = BlockEnd();
  if (Value.Line < b.Line || Value.Line > e.Line || !SelAvail()) return false;
  switch (activeSelectionMode_) {
    case smLine: return true;
    case smColumn: {
      const int lo = std::min(b.Char, e.Char), hi = std::max(b.Char, e.Char);
      return Value.Char >= lo && Value.Char < hi;
    }
    default: return (Value.Line > b.Line || Value.Char >= b.Char) && (Value.Line < e.Line || Value.Char < e.Char);
  }
}

// ---- scrolling ----

void TCustomTxtEdit::ScrollTextArea(int DX, int DY) {
  // Under the update lock the text is not moved on the screen: it is repainted once at the end.
  if (paintLock_ > 0) {
    heldAll_ = true;
    return;
  }
  const TRect client = ClientRect();
  RECT area = ToRECT(client);
  if (DX != 0) area.left = gutterWidth_ + 2;
  ScrollWindowEx(Handle(), DX, DY, &area, &area, nullptr, nullptr, SW_INVALIDATE);
}

void TCustomTxtEdit::SetTopLine(int Value) {
  Value = TxtClampTopLine(Value, DisplayLineCount(), linesInWindow_, options_.Contains(eoScrollPastEof));
  if (Value == topLine_) return;
  const int64_t delta = int64_t(topLine_) - Value;
  topLine_ = Value;
  if (HandleAllocated() && Visible()) {
    if (delta < linesInWindow_ && -delta < linesInWindow_) {
      const int dy = static_cast<int>(delta) * textHeight_;
      ScrollTextArea(0, dy);
      if (!invalidRect_.IsEmpty()) {
        const TRect client = ClientRect();
        invalidRect_.Top = std::max(invalidRect_.Top + dy, client.Top);
        invalidRect_.Bottom = std::min(invalidRect_.Bottom + dy, client.Bottom);
        if (invalidRect_.IsEmpty()) invalidRect_ = TRect();
      }
    } else {
      Invalidate();
    }
  }
  UpdateScrollBars();
  StatusChanged({scTopLine});
}

void TCustomTxtEdit::SetLeftChar(int Value) {
  if (WordWrap()) Value = 1;
  const bool pastEol = options_.Contains(eoScrollPastEol);
  const int longest = pastEol ? 0 : lines_->GetLengthOfLongestLine();
  Value = MinMax(Value, 1, TxtMaxLeftChar(options_, maxScrollWidth_, longest, charsInWindow_));
  if (Value == leftChar_) return;
  const int64_t delta = int64_t(leftChar_) - Value;
  leftChar_ = Value;
  if (HandleAllocated() && Visible()) {
    if (delta < charsInWindow_ && -delta < charsInWindow_)
      ScrollTextArea(static_cast<int>(delta) * charWidth_, 0);
    else
      InvalidateLines(-1, -1);
  }
  if (pastEol && options_.Contains(eoAutoSizeMaxScrollWidth) && int64_t(leftChar_) + charsInWindow_ > maxScrollWidth_)
    SetMaxScrollWidth(TxtClampToInt(int64_t(leftChar_) + charsInWindow_));
  else
    UpdateScrollBars();
  StatusChanged({scLeftChar});
}

void TCustomTxtEdit::SetMaxScrollWidth(int Value) {
  Value = MinMax(Value, 1, INT_MAX - 1);
  if (Value == maxScrollWidth_) return;
  maxScrollWidth_ = Value;
  if (options_.Contains(eoScrollPastEol)) UpdateScrollBars();
}

void TCustomTxtEdit::SetScrollBars(TScrollStyle Value) {
  if (Value == scrollBars_) return;
  scrollBars_ = Value;
  UpdateScrollBars();
  Invalidate();
}

namespace {

// Showing or hiding a bar changes the window's frame, which costs a resize: only on a change.
void ShowBar(HWND Wnd, int Bar, bool Show) {
  const LONG style = GetWindowLongW(Wnd, GWL_STYLE);
  auto shown = [&](LONG flag) { return (style & flag) != 0; };
  switch (Bar) {
    case SB_HORZ:
      if (shown(WS_HSCROLL) == Show) return;
      break;
    case SB_VERT:
      if (shown(WS_VSCROLL) == Show) return;
      break;
    default:
      if (shown(WS_HSCROLL) == Show && shown(WS_VSCROLL) == Show) return;
      break;
  }
  ShowScrollBar(Wnd, Bar, Show);
}

}  // namespace

void TCustomTxtEdit::ApplyScrollArrows(int Bar, const TTxtScrollBarSetup& Setup) {
  // Disabling by range is the system's; arrows are ours only while the bar can scroll.
  UINT arrows = ESB_ENABLE_BOTH;
  switch (Setup.Arrows) {
    case saBothDisabled: arrows = ESB_DISABLE_BOTH; break;
    case saFirstDisabled: arrows = Bar == SB_VERT ? ESB_DISABLE_UP : ESB_DISABLE_LEFT; break;
    case saSecondDisabled: arrows = Bar == SB_VERT ? ESB_DISABLE_DOWN : ESB_DISABLE_RIGHT; break;
    default: break;
  }
  const bool canScroll = int64_t(Setup.Max) - Setup.Min + 1 > Setup.Page;
  if (canScroll || options_.Contains(eoHideShowScrollbars)) EnableScrollBar(Handle(), Bar, arrows);
}

void TCustomTxtEdit::ApplyScrollBar(int Bar, const TTxtScrollBarSetup& Setup) {
  HWND wnd = Handle();
  TAppliedBar& applied = appliedBars_[Bar == SB_VERT ? 1 : 0];
  if (!Setup.Visible) {
    ShowBar(wnd, Bar, false);
    applied = TAppliedBar();
    return;
  }
  const bool wasShown = applied.Valid;
  ShowBar(wnd, Bar, true);
  if (applied.Valid && applied.Setup == Setup) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!options_.Contains(eoHideShowScrollbars)) si.fMask |= SIF_DISABLENOSCROLL;
  si.nMin = Setup.Min;
  si.nMax = Setup.Max;
  si.nPage = static_cast<UINT>(std::max(Setup.Page, 0));
  si.nPos = Setup.Pos;
  // Drawing a bar is slow on some systems; it is drawn later, once, and only when it looks
  // different (a long text's thumb hardly moves on a page).
  SetScrollInfo(wnd, Bar, &si, FALSE);
  ApplyScrollArrows(Bar, Setup);
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  GetScrollBarInfo(wnd, Bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info);
  const bool looksSame = wasShown && EqualRect(&info.rcScrollBar, &applied.Info.rcScrollBar) &&
                         info.xyThumbTop == applied.Info.xyThumbTop &&
                         info.xyThumbBottom == applied.Info.xyThumbBottom &&
                         std::equal(std::begin(info.rgstate), std::end(info.rgstate), std::begin(applied.Info.rgstate));
  applied.Valid = true;
  applied.Setup = Setup;
  applied.Info = info;
  if (looksSame) return;
  applied.RedrawPending = true;
  if (!redrawPosted_) redrawPosted_ = PostMessageW(wnd, TxtEditRedrawScrollBars, 0, 0) != FALSE;
}

void TCustomTxtEdit::RedrawScrollBars() {
  redrawPosted_ = false;
  if (!HandleAllocated()) return;
  for (int i = 0; i < 2; ++i) {
    TAppliedBar& applied = appliedBars_[i];
    if (!applied.RedrawPending) continue;
    applied.RedrawPending = false;
    const int bar = i == 1 ? SB_VERT : SB_HORZ;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    if (!GetScrollInfo(Handle(), bar, &si)) continue;
    if (!options_.Contains(eoHideShowScrollbars)) si.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(Handle(), bar, &si, TRUE);
    // Setting the range enables both arrows again: the disabled ends come back after it.
    if (applied.Valid) ApplyScrollArrows(bar, applied.Setup);
  }
}

void TCustomTxtEdit::UpdateScrollBars() {
  if (!HandleAllocated() || paintLock_ != 0) {
    stateFlags_.Include(sfScrollbarChanged);
    return;
  }
  // Showing or hiding a bar resizes the client area, which comes back here: run again until
  // the bars stop changing rather than nesting.
  if (updatingScrollBars_) {
    stateFlags_.Include(sfScrollbarChanged);
    return;
  }
  {
    TTempValue updating(updatingScrollBars_, true);
    for (int pass = 0; pass < 4; ++pass) {
      stateFlags_.Exclude(sfScrollbarChanged);
      if (scrollBars_ == ssNone) {
        ShowBar(Handle(), SB_BOTH, false);
        break;
      }
      if ((scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && !WordWrap()) {
        const int width =
            options_.Contains(eoScrollPastEol) ? maxScrollWidth_ : std::max(lines_->GetLengthOfLongestLine(), 1);
        ApplyScrollBar(SB_HORZ, TxtHorzScrollBar(width, charsInWindow_, leftChar_, options_));
      } else {
        ShowBar(Handle(), SB_HORZ, false);
      }
      if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
        ApplyScrollBar(SB_VERT, TxtVertScrollBar(DisplayLineCount(), linesInWindow_, topLine_, options_));
      else
        ShowBar(Handle(), SB_VERT, false);
      if (!stateFlags_.Contains(sfScrollbarChanged)) break;
    }
  }
  stateFlags_.Exclude(sfScrollbarChanged);
}

void TCustomTxtEdit::SizeOrFontChanged(bool FontChanged) {
  if (!HandleAllocated() || charWidth_ == 0) return;
  const TRect client = ClientRect();
  charsInWindow_ = std::max(client.Right - gutterWidth_ - 2, 0) / charWidth_;
  linesInWindow_ = client.Bottom / std::max(textHeight_, 1);
  if (WordWrap()) {
    wordWrapPlugin_->DisplayChanged();
    Invalidate();
  }
  if (FontChanged) {
    if (gutter_->ShowLineNumbers())
      GutterChanged(gutter_.get());
    else
      UpdateScrollBars();
    InitializeCaret();
    stateFlags_.Exclude(sfCaretChanged);
    Invalidate();
  } else {
    UpdateScrollBars();
  }
  if (!options_.Contains(eoScrollPastEol)) SetLeftChar(leftChar_);
  if (!options_.Contains(eoScrollPastEof)) SetTopLine(topLine_);
}

// ---- cell metrics and the font ----

void TCustomTxtEdit::RecalcCharExtent() {
  if (!textDrawer_) return;
  // The bold and italic combinations in use decide the cell: the largest of them.
  bool used[4] = {false, false, false, false};
  auto mark = [&](TFontStyles style) {
    used[(style.Contains(fsBold) ? 2 : 0) + (style.Contains(fsItalic) ? 1 : 0)] = true;
  };
  if (highlighter_ && highlighter_->GetAttribCount() > 0) {
    for (int i = 0; i < highlighter_->GetAttribCount(); ++i)
      if (TTxtHighlighterAttributes* attr = highlighter_->GetAttribute(i)) mark(attr->Style());
  } else {
    mark(Font()->Style());
  }
  static const TFontStyles combinations[4] = {{}, {fsItalic}, {fsBold}, {fsBold, fsItalic}};
  int height = 0, width = 0;
  textDrawer_->SetBaseFont(Font());
  for (int i = 0; i < 4; ++i) {
    if (!used[i]) continue;
    textDrawer_->SetBaseStyle(combinations[i]);
    height = std::max(height, textDrawer_->GetCharHeight());
    width = std::max(width, textDrawer_->GetCharWidth());
  }
  charWidth_ = width;
  // A negative spacing may shrink the line, never to nothing: rows are counted by division.
  textHeight_ = std::max(1, TxtClampToInt(int64_t(height) + extraLineSpacing_));
}

void TCustomTxtEdit::FontChanged() {
  RecalcCharExtent();
  SizeOrFontChanged(true);
}

void TCustomTxtEdit::CMFontChanged(TMessage& Message) {
  inherited::CMFontChanged(Message);
  if (textDrawer_) FontChanged();
}

void TCustomTxtEdit::CMColorChanged(TMessage& Message) {
  inherited::CMColorChanged(Message);
  Invalidate();
}

namespace {

// Average and largest character width differ: the font is proportional.
bool IsProportional(TFont& Font) {
  TWindowDC screen;
  TSelectObject selection(screen.Get(), Font.Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(screen.Get(), &tm);
  return tm.tmAveCharWidth != tm.tmMaxCharWidth;
}

// A narrow and a wide letter advance alike (true also of slanted fixed-pitch faces, whose
// largest width exceeds their average).
bool HasFixedAdvance(TFont& Font) {
  TWindowDC screen;
  TSelectObject selection(screen.Get(), Font.Handle());
  SIZE narrow{}, wide{};
  GetTextExtentPoint32W(screen.Get(), L"i", 1, &narrow);
  GetTextExtentPoint32W(screen.Get(), L"W", 1, &wide);
  return narrow.cx == wide.cx;
}

}  // namespace

void TCustomTxtEdit::SetFont(TFont* Value) {
  if (!Value) return;
  if (IsProportional(*Value)) {
    // Ask for a fixed-pitch face of the same name, size and style. Where the system keeps the
    // named face rather than the pitch, the default fixed-pitch face stands in, so that the
    // text never falls out of its cells.
    fontDummy_->SetColor(Value->Color());
    fontDummy_->SetPitch(fpFixed);
    fontDummy_->SetSize(Value->Size());
    fontDummy_->SetStyle(Value->Style());
    fontDummy_->SetName(Value->Name());
    if (!HasFixedAdvance(*fontDummy_)) fontDummy_->SetName(L"Courier New");
    TControl::SetFont(fontDummy_.get());
  } else {
    TControl::SetFont(Value);
  }
  if (gutter_->ShowLineNumbers()) GutterChanged(gutter_.get());
}

void TCustomTxtEdit::SetExtraLineSpacing(int Value) {
  if (Value == extraLineSpacing_) return;
  extraLineSpacing_ = Value;
  FontChanged();
}

// ---- grouped settings ----

void TCustomTxtEdit::GutterChanged(TObject*) {
  if (IsLoading()) return;
  if (gutter_->ShowLineNumbers() && gutter_->AutoSize()) gutter_->AutoSizeDigitCount(lines_->Count());
  int charWidth = charWidth_;
  if (gutter_->UseFontStyle()) {
    textDrawer_->SetBaseFont(gutter_->Font());
    charWidth = textDrawer_->GetCharWidth();
    RecalcCharExtent();
  }
  const int width = gutter_->RealGutterWidth(charWidth);
  if (width == gutterWidth_)
    InvalidateGutter();
  else
    SetGutterWidth(width);
}

void TCustomTxtEdit::SetGutterWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == gutterWidth_) return;
  gutterWidth_ = Value;
  if (HandleAllocated()) {
    SizeOrFontChanged(false);
    Invalidate();
  }
}

void TCustomTxtEdit::SelectedColorChanged(TObject*) { InvalidateSelection(); }

void TCustomTxtEdit::BookMarkOptionsChanged(TObject*) { InvalidateGutter(); }

void TCustomTxtEdit::WordWrapGlyphChanged(TObject*) {
  if (WordWrap()) InvalidateGutter();
}

void TCustomTxtEdit::MarkListChanged(TObject*) { InvalidateGutter(); }

// ---- options ----

void TCustomTxtEdit::SetOptions(TTxtEditorOptions Value) {
  if (Value == options_) return;
  if (!options_.Contains(eoScrollPastEol)) SetLeftChar(leftChar_);
  if (!options_.Contains(eoScrollPastEof)) SetTopLine(topLine_);
  const TTxtEditorOptions old = options_;
  options_ = Value;
  InternalSetCaretXY(CaretXY());
  if (Value.Contains(eoScrollPastEol)) {
    const TBufferCoord anchor = blockBegin_, end = blockEnd_;
    SetBlockBegin(anchor);
    SetBlockEnd(end);
  }
  // A designed editor leaves its window's registration for dropped files as it finds it: the form
  // designer's drops are not the text's.
  if (old.Contains(eoDropFiles) != Value.Contains(eoDropFiles) && !ComponentState().Contains(csDesigning) &&
      HandleAllocated())
    DragAcceptFiles(Handle(), Value.Contains(eoDropFiles));
  // The window may now reach past the text where the new options forbid it.
  if (!Value.Contains(eoScrollPastEol)) SetLeftChar(leftChar_);
  if (!Value.Contains(eoScrollPastEof)) SetTopLine(topLine_);
  if (old.Contains(eoShowSpecialChars) != Value.Contains(eoShowSpecialChars)) Invalidate();
  const TTxtEditorOptions scrollMask{eoDisableScrollArrows, eoHideShowScrollbars, eoScrollPastEof, eoScrollPastEol};
  if (!((old * scrollMask) == (Value * scrollMask))) {
    appliedBars_[0] = appliedBars_[1] = TAppliedBar();
    UpdateScrollBars();
  }
}

void TCustomTxtEdit::SetTabWidth(int Value) {
  Value = MinMax(Value, 1, 256);
  if (Value == tabWidth_) return;
  tabWidth_ = Value;
  ++bufferStamp_;
  lines_->SetTabWidth(Value);
  InvalidateLines(-1, -1);
  if (WordWrap()) {
    wordWrapPlugin_->Reset();
    InvalidateGutter();
  }
  UpdateScrollBars();
}

void TCustomTxtEdit::SetRightEdge(int Value) {
  if (Value == rightEdge_) return;
  rightEdge_ = Value;
  InvalidateLines(-1, -1);
}

void TCustomTxtEdit::SetRightEdgeColor(TColor Value) {
  if (Value == rightEdgeColor_) return;
  rightEdgeColor_ = Value;
  if (!HandleAllocated()) return;
  const int x = TxtClampToInt(int64_t(rightEdge_) * charWidth_ + View().TextOffset());
  InvalidateRect({x - 1, 0, x + 2, ClientHeight()}, false);
}

void TCustomTxtEdit::SetActiveLineColor(TColor Value) {
  if (Value == activeLineColor_) return;
  activeLineColor_ = Value;
  InvalidateLine(caretY_);
}

void TCustomTxtEdit::SetMaxUndo(int Value) {
  if (Value < 0) return;
  undoList_->SetMaxUndoActions(Value);
  redoList_->SetMaxUndoActions(Value);
}

void TCustomTxtEdit::SetBorderStyle(TBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

// ---- repainting ----

TColor TCustomTxtEdit::EditorBackground(int Line) const {
  if (activeLineColor_ != clNone && Line == caretY_) return activeLineColor_;
  if (TTxtCustomHighlighter* h = PaintingHighlighter())
    if (TTxtHighlighterAttributes* ws = h->GetDefaultAttribute(4))
      if (ws->Background() != clNone) return ws->Background();
  return Color();
}

void TCustomTxtEdit::InvalidateRect(const TRect& ARect, bool AErase) {
  if (!HandleAllocated() || ARect.IsEmpty()) return;
  if (paintLock_ > 0) {
    // A few parts are kept apart, so that a caret's move repaints its two lines only; more
    // become the one rectangle that holds them all.
    heldErase_ = heldErase_ || AErase;
    if (heldInvalid_.size() < kHeldParts) {
      heldInvalid_.push_back(ARect);
      return;
    }
    TRect all = ARect;
    for (const TRect& part : heldInvalid_) all = UnionOf(all, part);
    heldInvalid_.assign(1, all);
    return;
  }
  const RECT r = ToRECT(ARect);
  ::InvalidateRect(Handle(), &r, AErase);
}

void TCustomTxtEdit::InvalidateOrCollect(const TRect& Rect) {
  if (Rect.IsEmpty()) return;
  if (stateFlags_.Contains(sfLinesChanging)) {
    invalidRect_ = invalidRect_.IsEmpty() ? Rect : UnionOf(invalidRect_, Rect);
  } else {
    InvalidateRect(Rect, false);
  }
}

TRect TCustomTxtEdit::LinesRect(int FirstLine, int LastLine, int Left, int Right) const {
  FirstLine = std::max(FirstLine, 1);
  LastLine = std::max(LastLine, 1);
  if (FirstLine > LastLine) std::swap(FirstLine, LastLine);
  // Lines at or after the last one reach to the bottom of the window.
  int64_t firstRow = FirstLine, lastRow = LastLine;
  if (LastLine >= lines_->Count()) lastRow = int64_t(topLine_) + linesInWindow_;
  if (wordWrapPlugin_) {
    firstRow = LineToRow(FirstLine);
    if (LastLine < lines_->Count()) lastRow = LineToRow(LastLine + 1) - 1;
  }
  firstRow = std::max<int64_t>(firstRow, topLine_);
  lastRow = std::min<int64_t>(lastRow, int64_t(topLine_) + linesInWindow_);
  if (lastRow < firstRow) return TRect();
  const int64_t th = textHeight_;
  return {Left, TxtClampToInt((firstRow - topLine_) * th), Right, TxtClampToInt((lastRow - topLine_ + 1) * th)};
}

// Once the update lock holds a repaint of everything, no part needs working out.
bool TCustomTxtEdit::AllRepaintHeld() const { return paintLock_ > 0 && heldAll_; }

void TCustomTxtEdit::InvalidateLines(int FirstLine, int LastLine) {
  if (!Visible() || !HandleAllocated() || AllRepaintHeld()) return;
  // Lines out of sight cost no question to the window: a load announces millions of them.
  if (FirstLine != -1 && LinesRect(FirstLine, LastLine, 0, 1).IsEmpty()) return;
  const int right = ClientWidth();
  if (FirstLine == -1 && LastLine == -1) {
    InvalidateOrCollect({gutterWidth_ + 2, 0, right, ClientHeight()});
    return;
  }
  InvalidateOrCollect(LinesRect(FirstLine, LastLine, gutterWidth_, right));
}

void TCustomTxtEdit::InvalidateGutterLines(int FirstLine, int LastLine) {
  if (!Visible() || !HandleAllocated() || gutterWidth_ <= 0 || AllRepaintHeld()) return;
  if (FirstLine == -1 && LastLine == -1) {
    InvalidateOrCollect({0, 0, gutterWidth_, ClientHeight()});
    return;
  }
  InvalidateOrCollect(LinesRect(FirstLine, LastLine, 0, gutterWidth_));
}

void TCustomTxtEdit::InvalidateLine(int Line) {
  if (!HandleAllocated() || Line < 1 || Line > std::max(lines_->Count(), 1) || AllRepaintHeld()) return;
  const TRect r = LinesRect(Line, Line, gutterWidth_, ClientWidth());
  // A single line never stretches to the window's bottom.
  if (!wordWrapPlugin_ && !r.IsEmpty())
    InvalidateOrCollect({r.Left, r.Top, r.Right, r.Top + textHeight_});
  else
    InvalidateOrCollect(r);
}

void TCustomTxtEdit::InvalidateSelection() { InvalidateLines(BlockBegin().Line, BlockEnd().Line); }

// ---- painting ----

void TCustomTxtEdit::Paint() {
  TCanvas* canvas = Canvas();
  const TRect clip = canvas->ClipRect();
  const TTxtPaintRange range = TxtPaintRange(View(), clip, DisplayLineCount());
  HideCaret();
  TScopeExit caretBack([this] { UpdateCaret(); });
  if (clip.Left < gutterWidth_) {
    TRect gutterClip = clip;
    gutterClip.Right = std::min(gutterClip.Right, gutterWidth_);
    PaintGutter(gutterClip, range.FirstRow, range.LastRow);
  }
  if (clip.Right > gutterWidth_) {
    TRect textClip = clip;
    textClip.Left = std::max(textClip.Left, gutterWidth_);
    PaintTextLines(textClip, range.FirstRow, range.LastRow, range.FirstCol, range.LastCol);
  }
  DoOnPaint();
  DoOnPaintTransient(ttAfter);
}

void TCustomTxtEdit::PaintGutter(const TRect& AClip, int FirstRow, int LastRow) {
  painter_->PaintGutter(*Canvas(), AClip, FirstRow, LastRow);
}

void TCustomTxtEdit::PaintTextLines(const TRect& AClip, int FirstRow, int LastRow, int FirstCol, int LastCol) {
  painter_->PaintTextLines(*Canvas(), AClip, FirstRow, LastRow, FirstCol, LastCol);
}

void TCustomTxtEdit::DoOnPaint() {
  if (!OnPaint) return;
  Canvas()->SetFont(Font());
  Canvas()->Brush()->SetColor(Color());
  OnPaint(this, Canvas());
}

void TCustomTxtEdit::DoOnPaintTransientEx(TTransientType TransientType, bool Lock) {
  bool paint = paintTransientLock_ == 0;
  if (Lock) {
    if (TransientType == ttBefore) {
      ++paintTransientLock_;
    } else {
      --paintTransientLock_;
      paint = paintTransientLock_ == 0;
    }
  }
  if (!paint || !OnPaintTransient) return;
  // Under the update lock the drawing over the text is done once, when the lock ends: a painter
  // may search the text on every call (the matching bracket), and a command of many changes
  // would pay that search for each of them.
  if (paintLock_ > 0 && HandleAllocated()) {
    heldTransient_ = true;
    return;
  }
  Canvas()->SetFont(Font());
  Canvas()->Brush()->SetColor(Color());
  TTxtCaretHide hidden(*this);
  OnPaintTransient(this, Canvas(), TransientType);
}

void TCustomTxtEdit::DoOnClearBookmark(TTxtEditMark*& Mark) {
  if (OnClearBookmark) OnClearBookmark(this, Mark);
}

void TCustomTxtEdit::DoOnPlaceMark(TTxtEditMark*& Mark) {
  if (OnPlaceBookmark) OnPlaceBookmark(this, Mark);
}

bool TCustomTxtEdit::DoOnSpecialLineColors(int Line, TColor& Foreground, TColor& Background) {
  bool special = false;
  if (OnSpecialLineColors) OnSpecialLineColors(this, Line, special, Foreground, Background);
  return special;
}

// ---- the window ----

void TCustomTxtEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  // The text can be huge; it is not the window's caption.
  Params.Caption.clear();
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
  Params.Style |= WS_CLIPCHILDREN;
  Params.Style &= ~static_cast<DWORD>(WS_BORDER);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  // A wrapped text is wrapped for the width left beside the vertical bar: when the bar is
  // bound to show, the window is made with it, so that a long text is not wrapped once for
  // the width without it and again when it appears.
  if (WordWrap() && (scrollBars_ == ssVertical || scrollBars_ == ssBoth) &&
      (!options_.Contains(eoHideShowScrollbars) || lines_->Count() > Height() / std::max(textHeight_, 1)))
    Params.Style |= WS_VSCROLL;
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TCustomTxtEdit::CreateWnd() {
  appliedBars_[0] = appliedBars_[1] = TAppliedBar();
  redrawPosted_ = false;
  inherited::CreateWnd();
  if (options_.Contains(eoDropFiles) && !ComponentState().Contains(csDesigning)) DragAcceptFiles(Handle(), TRUE);
  SizeOrFontChanged(false);
  UpdateScrollBars();
}

void TCustomTxtEdit::DestroyWnd() {
  if (options_.Contains(eoDropFiles) && !ComponentState().Contains(csDesigning) && HandleAllocated())
    DragAcceptFiles(Handle(), FALSE);
  inherited::DestroyWnd();
}

void TCustomTxtEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_VSCROLL: WMVScroll(Message); return;
    case WM_HSCROLL: WMHScroll(Message); return;
    case TxtEditRedrawScrollBars: RedrawScrollBars(); return;
    default: inherited::Dispatch(Message);
  }
}

void TCustomTxtEdit::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TCustomTxtEdit::WMSize(TMessage& Message) {
  inherited::WMSize(Message);
  SizeOrFontChanged(false);
}

void TCustomTxtEdit::WMSetFocus(TMessage& Message) {
  inherited::WMSetFocus(Message);
  // The focus changes pass through the command chain, so that handlers and hooks see them.
  CommandProcessor(ecGotFocus, '\0', nullptr);
  InitializeCaret();
  if (hideSelection_ && SelAvail()) InvalidateSelection();
}

void TCustomTxtEdit::WMKillFocus(TMessage& Message) {
  inherited::WMKillFocus(Message);
  CommandProcessor(ecLostFocus, '\0', nullptr);
  if (alwaysShowCaret_ || GetFocus() == Handle()) return;
  HideCaret();
  DestroyCaret();
  stateFlags_.Exclude(sfCaretVisible);
  if (hideSelection_ && SelAvail()) InvalidateSelection();
}

// ---- the scroll hint ----

namespace {

// Keeps the one scroll hint of all editors, and forgets it when its owner frees it.
class TScrollHintKeeper : public TComponent {
 public:
  TScrollHintKeeper() : TComponent(nullptr) {}
  THintWindow* Hint = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Hint) Hint = nullptr;
  }
};

TScrollHintKeeper& ScrollHintKeeper() {
  static TScrollHintKeeper keeper;
  return keeper;
}

}  // namespace

THintWindow* TCustomTxtEdit::ScrollHint() { return ScrollHintKeeper().Hint; }

WideString TCustomTxtEdit::ScrollHintText() const {
  const int top = RowToLine(topLine_);
  if (scrollHintFormat_ == shfTopToBottom) {
    const int64_t lastRow =
        int64_t(topLine_) + std::min<int64_t>(linesInWindow_, int64_t(DisplayLineCount()) - topLine_);
    return AnsiToWide(FormatArgs("%d - %d", {top, RowToLine(TxtClampToInt(lastRow))}));
  }
  // The format is a translatable text: one that does not fit a line number falls back to ours.
  try {
    return AnsiToWide(FormatArgs(scrollHintFormatText_, {top}));
  } catch (const EConvertError&) {
    return AnsiToWide(FormatArgs(ScrollHintFormatTextDefault, {top}));
  }
}

void TCustomTxtEdit::ShowScrollHint() {
  TScrollHintKeeper& keeper = ScrollHintKeeper();
  if (!keeper.Hint) {
    TComponent* owner = Application ? static_cast<TComponent*>(Application) : &keeper;
    const TClassInfo* cls = Application ? &Application->HintWindowClass() : &THintWindow::StaticClassInfo();
    if (!cls->InheritsFrom(THintWindow::StaticClassInfo()) || !cls->NewComponent) cls = &THintWindow::StaticClassInfo();
    keeper.Hint = static_cast<THintWindow*>(cls->NewComponent(owner));
    if (owner != &keeper) keeper.Hint->FreeNotification(&keeper);
  }
  THintWindow* hint = keeper.Hint;
  hint->SetColor(scrollHintColor_);
  const WideString text = ScrollHintText();
  const TRect size = hint->CalcHintRect(200, text, nullptr);
  const TRect client = ClientRect();
  int y = 10;
  if (options_.Contains(eoScrollHintFollows)) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_TRACKPOS;
    GetScrollInfo(Handle(), SB_VERT, &info);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    const double track = info.nMax > 0 ? double(info.nTrackPos) / info.nMax : 0.0;
    y = size.Height() / 2 + static_cast<int>(std::lround(track * (client.Height() - 2 * arrow))) + arrow;
  }
  POINT origin{client.Right - 4 - size.Width(), y};
  ::ClientToScreen(Handle(), &origin);
  hint->ActivateHint(TRect{origin.x, origin.y, origin.x + size.Width(), origin.y + size.Height()}, text);
  hint->Update();
}

void TCustomTxtEdit::WMVScroll(TMessage& Message) {
  Message.Result = 0;
  const int page = linesInWindow_ - (options_.Contains(eoScrollByOneLess) ? 1 : 0);
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: SetTopLine(topLine_ - 1); break;
    case SB_LINEDOWN: SetTopLine(topLine_ + 1); break;
    case SB_PAGEUP: SetTopLine(topLine_ - page); break;
    case SB_PAGEDOWN: SetTopLine(topLine_ + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      isScrolling_ = true;
      SetTopLine(TxtThumbToTopLine(HIWORD(Message.WParam), DisplayLineCount(), linesInWindow_,
                                   options_.Contains(eoScrollPastEof)));
      if (options_.Contains(eoShowScrollHint)) ShowScrollHint();
      break;
    case SB_TOP: SetTopLine(1); break;
    case SB_BOTTOM: SetTopLine(DisplayLineCount()); break;
    case SB_ENDSCROLL:
      isScrolling_ = false;
      if (options_.Contains(eoShowScrollHint) && ScrollHint()) ScrollHint()->ReleaseHandle();
      break;
    default: break;
  }
  Update();
  if (OnScroll) OnScroll(this, sbVertical);
}

void TCustomTxtEdit::WMHScroll(TMessage& Message) {
  Message.Result = 0;
  const int page = charsInWindow_ - (options_.Contains(eoScrollByOneLess) ? 1 : 0);
  const bool pastEol = options_.Contains(eoScrollPastEol);
  switch (LOWORD(Message.WParam)) {
    case SB_LINELEFT: SetLeftChar(leftChar_ - 1); break;
    case SB_LINERIGHT: SetLeftChar(leftChar_ + 1); break;
    case SB_PAGELEFT: SetLeftChar(leftChar_ - page); break;
    case SB_PAGERIGHT: SetLeftChar(leftChar_ + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      isScrolling_ = true;
      const int width = pastEol ? maxScrollWidth_ : std::max(lines_->GetLengthOfLongestLine(), 1);
      SetLeftChar(TxtThumbToLeftChar(HIWORD(Message.WParam), width));
      break;
    }
    case SB_LEFT: SetLeftChar(1); break;
    case SB_RIGHT:
      SetLeftChar(pastEol ? maxScrollWidth_ - charsInWindow_ + 1 : lines_->GetLengthOfLongestLine());
      break;
    case SB_ENDSCROLL: isScrolling_ = false; break;
    default: break;
  }
  if (OnScroll) OnScroll(this, sbHorizontal);
}

// The editor scrolls itself: the framework's wheel events are not asked first.
bool TCustomTxtEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint) {
  int rowsPerNotch = 3;
  if (Shift.Contains(ssCtrl)) rowsPerNotch = options_.Contains(eoHalfPageScroll) ? linesInWindow_ / 2 : linesInWindow_;
  mouseWheelAccumulator_ += WheelDelta;
  const int notches = mouseWheelAccumulator_ / WHEEL_DELTA;
  mouseWheelAccumulator_ %= WHEEL_DELTA;
  SetTopLine(TxtClampToInt(int64_t(topLine_) - int64_t(notches) * rowsPerNotch));
  Update();
  if (OnScroll) OnScroll(this, sbVertical);
  return true;
}
