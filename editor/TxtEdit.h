// The editor control: a windowed control that shows a line buffer with a gutter, scrolls it,
// keeps a caret and a selection, and paints its text through a highlighter. TTxtEdit only
// publishes what TCustomTxtEdit offers.
//
// Positions: buffer positions (TBufferCoord: character of the stored line, line) and display
// positions (TDisplayCoord: column after tab expansion, row after word wrap) are 1-based. A
// row is a line unless a buffer plug-in (word wrap) is attached.
//
// Batches: BeginUpdate/EndUpdate (the paint lock) defer scroll-bar, caret and status work to
// the end of a batch; while the buffer is inside its own update bracket, repaints are
// gathered into one rectangle and sent when the bracket closes.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "editor/TxtEditBookMarkOpt.h"
#include "editor/TxtEditBufferPlugin.h"
#include "editor/TxtEditCoords.h"
#include "editor/TxtEditGlyph.h"
#include "editor/TxtEditGutter.h"
#include "editor/TxtEditHighlighter.h"
#include "editor/TxtEditKeyCmds.h"
#include "editor/TxtEditMarks.h"
#include "editor/TxtEditOptions.h"
#include "editor/TxtEditSearchCustom.h"
#include "editor/TxtEditSelectedColor.h"
#include "editor/TxtEditTextBuffer.h"
#include "editor/TxtEditTextDrawer.h"
#include "editor/TxtEditTypes.h"
#include "editor/TxtEditUndo.h"
#include "framework/Controls.h"
#include "editor/TxtEditKbdHandler.h"
#include "editor/TxtEditKeyCmds.h"
#include "editor/TxtEditWords.h"
#include "framework/Timer.h"

class TCustomImageList;
class THintWindow;
class TTxtEditPainter;
class TCustomTxtEdit;

HV_DECLARE_EXCEPTION(ETxtEditError, Exception);

using TPlaceMarkEvent = TEvent<void(TObject* Sender, TTxtEditMark*& Mark)>;
using TProcessCommandEvent = TEvent<void(TObject* Sender, TTxtEditorCommand& Command, char& AChar, void* Data)>;
using TContextHelpEvent = TEvent<void(TObject* Sender, const AnsiString& Word)>;
using TDropFilesEvent = TEvent<void(TObject* Sender, int X, int Y, TStringsW* AFiles)>;
using TGutterClickEvent =
    TEvent<void(TObject* Sender, TMouseButton Button, int X, int Y, int Line, TTxtEditMark* Mark)>;
using TGutterGetTextEvent = TEvent<void(TObject* Sender, int ALine, AnsiString& AText)>;
using TGutterPaintEvent = TEvent<void(TObject* Sender, int ALine, int X, int Y)>;
using TMouseCursorEvent = TEvent<void(TObject* Sender, const TBufferCoord& ALineCharPos, TCursor& ACursor)>;
using TPaintEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas)>;
using TReplaceTextEvent = TEvent<void(TObject* Sender, const AnsiString& ASearch, const AnsiString& AReplace, int Line,
                                      int Column, TTxtReplaceAction& Action)>;
using TScrollEvent = TEvent<void(TObject* Sender, TScrollBarKind Kind)>;
using TSpecialLineColorsEvent = TEvent<void(TObject* Sender, int Line, bool& Special, TColor& FG, TColor& BG)>;
using TStatusChangeEvent = TEvent<void(TObject* Sender, TTxtStatusChanges Changes)>;
using TPaintTransient = TEvent<void(TObject* Sender, TCanvas* ACanvas, TTransientType TransientType)>;

class TCustomTxtEdit : public TCustomControl {
  HV_CLASS(TCustomTxtEdit, TCustomControl)
 public:
  explicit TCustomTxtEdit(TComponent* AOwner);
  ~TCustomTxtEdit() override;

  void Loaded() override;
  void SetName(const std::string& NewName) override;

  // ---- batches ----
  void BeginUpdate() { IncPaintLock(); }
  void EndUpdate() { DecPaintLock(); }
  int PaintLock() const { return paintLock_; }

  // ---- text ----
  // The whole text, lines joined by CR LF, in the ANSI code page.
  AnsiString TextA() const;
  void SetTextA(const AnsiString& Value);
  // The window text is the buffer's text converted from the ANSI code page.
  WideString GetText() override;
  void SetText(const WideString& Value) override;
  // The caret line's text: empty when the caret is outside the lines; setting it on the line
  // after the last appends a line.
  AnsiString LineText() const;
  void SetLineText(const AnsiString& Value);
  TTxtEditStringList* Lines() const { return lines_; }
  // Copies the lines of another list into the buffer.
  void SetLines(TStrings* Value);
  bool Modified() const { return modified_; }
  void SetModified(bool Value);
  bool ReadOnly() const { return GetReadOnly(); }
  virtual bool GetReadOnly() const { return readOnly_; }
  virtual void SetReadOnly(bool Value);

  // ---- positions ----
  TDisplayCoord BufferToDisplayPos(const TBufferCoord& P) const;
  TBufferCoord DisplayToBufferPos(const TDisplayCoord& P) const;
  int LineToRow(int ALine) const;
  int RowToLine(int ARow) const;
  // The number of rows: the lines, or the plug-in's rows.
  int DisplayLineCount() const;
  TPoint RowColumnToPixels(const TDisplayCoord& RowCol) const;
  TDisplayCoord PixelsToRowColumn(int X, int Y) const;
  TDisplayCoord PixelsToNearestRowColumn(int X, int Y) const;
  // The geometry the conversions between cells and pixels use.
  TTxtEditView View() const;

  // ---- caret ----
  int CaretX() const { return caretX_; }
  int CaretY() const { return caretY_; }
  TBufferCoord CaretXY() const { return {caretX_, caretY_}; }
  void SetCaretX(int Value);
  void SetCaretY(int Value);
  // Moves the caret and collapses the selection onto it.
  virtual void SetCaretXY(const TBufferCoord& Value);
  // Moves the caret, keeping the selection.
  virtual void InternalSetCaretXY(const TBufferCoord& Value);
  // The caret's display position (the end of the row above when it stands at a wrapped row's end).
  TDisplayCoord DisplayXY() const;
  // Moves the caret to the buffer position shown at a display position, keeping the selection;
  // a position right of a wrapped row's end leaves the caret at the end of that row.
  void SetInternalDisplayXY(const TDisplayCoord& Value);
  // Moves the caret, keeping the selection, to the cell boundary nearest the client point, on
  // the row clicked (or the last row below the text).
  void ComputeCaret(int X, int Y);
  // The buffer position under the mouse; false when the mouse is outside the client area.
  bool GetPositionOfMouse(TBufferCoord& Position);
  int DisplayX() const { return DisplayXY().Column; }
  int DisplayY() const { return DisplayXY().Row; }
  int LastCaretX() const { return lastCaretX_; }
  void UpdateLastCaretX();
  bool CaretInView() const;
  void EnsureCursorPosVisible() { EnsureCursorPosVisibleEx(false); }
  void EnsureCursorPosVisibleEx(bool ForceToMiddle);
  bool AlwaysShowCaret() const { return alwaysShowCaret_; }
  void SetAlwaysShowCaret(bool Value);
  TTxtEditCaretType InsertCaret() const { return insertCaret_; }
  void SetInsertCaret(TTxtEditCaretType Value);
  TTxtEditCaretType OverwriteCaret() const { return overwriteCaret_; }
  void SetOverwriteCaret(TTxtEditCaretType Value);
  bool InsertMode() const { return insertMode_; }
  void SetInsertMode(bool Value);
  // Whether the system caret is shown in this control now.
  bool CaretVisible() const { return stateFlags_.Contains(sfCaretVisible); }
  TPoint CaretOffset() const { return caretOffset_; }
  bool CaretAtEOL() const { return caretAtEOL_; }

  // ---- selection ----
  // The earlier / later end.
  TBufferCoord BlockBegin() const;
  TBufferCoord BlockEnd() const;
  // Collapses the selection at Value / moves its moving end there.
  void SetBlockBegin(TBufferCoord Value);
  void SetBlockEnd(TBufferCoord Value);
  // The anchor and the moving end as they are.
  TBufferCoord SelectionAnchor() const { return blockBegin_; }
  TBufferCoord SelectionEnd() const { return blockEnd_; }
  bool SelAvail() const;
  TTxtSelectionMode SelectionMode() const { return selectionMode_; }
  void SetSelectionMode(TTxtSelectionMode Value);
  TTxtSelectionMode ActiveSelectionMode() const { return activeSelectionMode_; }
  void SetActiveSelectionMode(TTxtSelectionMode Value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value);
  // Whether a buffer position lies in the selection.
  bool IsPointInSelection(const TBufferCoord& Value) const;

  // ---- the visible window ----
  int TopLine() const { return topLine_; }
  void SetTopLine(int Value);
  int LeftChar() const { return leftChar_; }
  void SetLeftChar(int Value);
  int LinesInWindow() const { return linesInWindow_; }
  int CharsInWindow() const { return charsInWindow_; }
  int CharWidth() const { return charWidth_; }
  int TextHeight() const { return textHeight_; }
  int GutterWidth() const { return gutterWidth_; }
  void SetGutterWidth(int Value);
  // The client x of display column 1.
  int TextOffset() const;
  int MaxScrollWidth() const { return maxScrollWidth_; }
  void SetMaxScrollWidth(int Value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle Value);
  void UpdateScrollBars();
  // Recomputes the window in cells after a change of size or font.
  void SizeOrFontChanged(bool FontChanged);
  // Moves to line ALine and centres it.
  void GotoLineAndCenter(int ALine);

  // ---- repainting ----
  // -1, -1: the whole text area / the whole gutter.
  void InvalidateLines(int FirstLine, int LastLine);
  void InvalidateGutterLines(int FirstLine, int LastLine);
  void InvalidateGutter() { InvalidateGutterLines(-1, -1); }
  void InvalidateLine(int Line);
  void InvalidateSelection();
  virtual void InvalidateRect(const TRect& ARect, bool AErase);
  // While the update lock is raised, the window is told nothing: what needs repainting is
  // gathered and invalidated once when the lock ends.
  void Invalidate() override;

  // ---- options and appearance ----
  TTxtEditorOptions Options() const { return options_; }
  void SetOptions(TTxtEditorOptions Value);
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int Value);
  int RightEdge() const { return rightEdge_; }
  void SetRightEdge(int Value);
  TColor RightEdgeColor() const { return rightEdgeColor_; }
  void SetRightEdgeColor(TColor Value);
  TColor ActiveLineColor() const { return activeLineColor_; }
  void SetActiveLineColor(TColor Value);
  int ExtraLineSpacing() const { return extraLineSpacing_; }
  void SetExtraLineSpacing(int Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  // A proportional font is replaced by a fixed-pitch one of the same name, size and style.
  void SetFont(TFont* Value);
  int MaxUndo() const { return undoList_->MaxUndoActions(); }
  void SetMaxUndo(int Value);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool Value) { wantReturns_ = Value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool Value) { wantTabs_ = Value; }
  TColor ScrollHintColor() const { return scrollHintColor_; }
  void SetScrollHintColor(TColor Value) { scrollHintColor_ = Value; }
  TScrollHintFormat ScrollHintFormat() const { return scrollHintFormat_; }
  void SetScrollHintFormat(TScrollHintFormat Value) { scrollHintFormat_ = Value; }
  // The format of the top-line hint, with one "%d" for the line ("Top Line: %d").
  const AnsiString& ScrollHintFormatText() const { return scrollHintFormatText_; }
  void SetScrollHintFormatText(const AnsiString& Value) { scrollHintFormatText_ = Value; }
  bool IsScrollHintFormatTextStored() const { return scrollHintFormatText_ != ScrollHintFormatTextDefault; }
  // The text the scroll hint shows for the rows in the window now.
  WideString ScrollHintText() const;
  // The hint window of the scroll hint, one for all editors; null until a hint was first shown.
  static THintWindow* ScrollHint();
  // Whether the user drags a scroll-bar thumb.
  bool IsScrolling() const { return isScrolling_; }

  TTxtGutter* Gutter() const { return gutter_.get(); }
  void SetGutter(TTxtGutter* Value) { gutter_->Assign(Value); }
  TTxtSelectedColor* SelectedColor() const { return selectedColor_.get(); }
  void SetSelectedColor(TTxtSelectedColor* Value) { selectedColor_->Assign(Value); }
  TTxtBookMarkOpt* BookMarkOptions() const { return bookMarkOptions_.get(); }
  void SetBookMarkOptions(TTxtBookMarkOpt* Value) { bookMarkOptions_->Assign(Value); }
  TTxtGlyph* WordWrapGlyph() const { return wordWrapGlyph_.get(); }
  void SetWordWrapGlyph(TTxtGlyph* Value) { wordWrapGlyph_->Assign(Value); }
  TTxtEditMarkList* Marks() const { return marks_.get(); }
  TheTextDrawer* TextDrawer() const { return textDrawer_.get(); }

  // ---- attached objects ----
  TTxtCustomHighlighter* Highlighter() const { return highlighter_; }
  void SetHighlighter(TTxtCustomHighlighter* Value);
  TTxtEditSearchCustom* SearchEngine() const { return searchEngine_; }
  // The highlighter's identifier characters, or every character from '!' on without one.
  TTxtCharSet IdentChars() const;
  void SetSearchEngine(TTxtEditSearchCustom* Value);
  // Word wrap: on while a buffer plug-in is attached.
  bool WordWrap() const { return wordWrapPlugin_ != nullptr; }
  void SetWordWrap(bool Value);
  ITxtEditBufferPlugin* WordWrapPlugin() const { return wordWrapPlugin_.get(); }
  // Attaches a plug-in (null detaches), keeping the same line at the top of the window.
  void SetWordWrapPlugin(std::unique_ptr<ITxtEditBufferPlugin> Plugin);
  using TWordWrapPluginFactory = std::unique_ptr<ITxtEditBufferPlugin> (*)(TCustomTxtEdit* Editor);
  // What SetWordWrap(true) creates instead of the word-wrap plug-in (null: the plug-in).
  static void SetWordWrapPluginFactory(TWordWrapPluginFactory Factory);

  // ---- shared buffers ----
  // Shows and edits the buffer and the undo lists of another control until UnHookTextBuffer
  // (or the other control's destruction). Both controls then react to every change; any
  // number of controls may share one buffer and let go of it in any order. Controls that
  // share through this one let go when it does.
  void SetLinesPointer(TCustomTxtEdit* AEditor);
  void UnHookTextBuffer();
  TCustomTxtEdit* ChainedEditor() const { return chainedEditor_; }

  TTxtEditUndoList* UndoList() const { return undoList_; }
  TTxtEditUndoList* RedoList() const { return redoList_; }

  // ---- status ----
  TTxtStatusChanges StatusChanges() const { return statusChanges_; }
  const TTxtStateFlags& StateFlags() const { return stateFlags_; }

  // ---- marks ----
  // Marks follow lines inserted or deleted at FirstLine (1-based).
  void DoLinesInserted(int FirstLine, int Count);
  void DoLinesDeleted(int FirstLine, int Count);

  // ---- selection, text replacement and clipboard ----
  // The selected text: lines joined by CR LF; a column block row by row.
  AnsiString SelText() const;
  // Replaces the selection by Value in the active selection mode, recording the change.
  void SetSelText(const AnsiString& Value);
  // Deletes the selection, then inserts Value in PasteMode at the caret; AddToUndo records the
  // items of a column insertion.
  void SetSelTextPrimitive(TTxtSelectionMode PasteMode, std::string_view Value, bool AddToUndo);
  // The ends lie on different lines and the mode is not column.
  bool SelTabBlock() const;
  // A selection that starts at the line's start and ends past the caret line's text.
  bool SelTabLine() const;
  void SelectAll();
  void ClearSelection();
  // Copy raises EClipboardException when the clipboard cannot be opened; cut then deletes
  // nothing.
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanPaste();
  bool GetCanPaste() { return CanPaste(); }
  void DoCopyToClipboard(const AnsiString& Text);
  // The clipboard's text in the ANSI code page.
  AnsiString GetClipboardText();
  // Leading blanks counted as columns (0 without eoAutoIndent) and the blanks that fill a width.
  int LeftSpaces(std::string_view Line) const { return LeftSpacesEx(Line, false); }
  int LeftSpacesEx(std::string_view Line, bool WantTabs) const;
  AnsiString GetLeftSpacing(int CharCount, bool WantTabs) const;
  // Stores line Index (0-based), without trailing blanks with eoTrimTrailingSpaces.
  void ProperSetLine(int Index, const AnsiString& Text);
  // While a change is being made, lines keep their trailing blanks and are noted; when the
  // outermost change ends the blanks go, each trim recorded in the change's own undo action,
  // so that undo gives them back and redo takes them again. Returns false (nothing noted)
  // when trimming is off or not deferred.
  bool NoteTrim(int Index);
  void BeginTrimDeferral() { ++trimDeferral_; }
  void EndTrimDeferral();
  bool TrimDeferred() const { return trimDeferral_ > 0 && options_.Contains(eoTrimTrailingSpaces); }

  // ---- commands ----
  // The way every command goes: the application's callback, hooked handlers, execution, and
  // OnCommandProcessed.
  virtual void CommandProcessor(TTxtEditorCommand Command, char AChar, void* Data);
  using THookedCommandEvent = TEvent<void(TObject* Sender, bool AfterProcessing, bool& Handled,
                                          TTxtEditorCommand& Command, char& AChar, void* Data, void* HandlerData)>;
  void HookCommandHandler(const THookedCommandEvent& AHandler, void* AHandlerData);
  void UnhookCommandHandler(const THookedCommandEvent& AHandler);
  void MoveCaretHorz(int DX, bool SelectionCommand);
  void MoveCaretVert(int DY, bool SelectionCommand);
  void MoveCaretAndSelection(const TBufferCoord& PtBefore, const TBufferCoord& PtAfter, bool SelectionCommand);
  void DoHomeKey(bool Selection);
  void DoEndKey(bool Selection);
  void SetSelWord();
  void SetWordBlock(TBufferCoord Value);
  // Clears the lines, the marks and both undo lists; the text counts as unmodified.
  void ClearAll();
  // Bookmarks 0..9; other numbers are refused.
  void SetBookMark(int BookMark, int X, int Y);
  void ClearBookMark(int BookMark);
  void GotoBookMark(int BookMark);
  bool GetBookMark(int BookMark, int& X, int& Y) const;
  bool IsBookmark(int BookMark) const;

  // ---- key map ----
  TTxtEditKeyStrokes* Keystrokes() const { return keystrokes_.get(); }
  // A copy of Value; null empties the map.
  void SetKeystrokes(TTxtEditKeyStrokes* Value);
  // The command of a key press, remembering the first key of a possible two-key chord.
  TTxtEditorCommand KeyToCommand(Word Key, TShiftState Shift, void*& Data);
  TTxtEditKbdHandler& KbdHandler() { return kbdHandler_; }

  // ---- search and replace ----
  // Searches (and replaces) ASearch through the attached engine; returns the number of hits.
  int SearchReplace(const AnsiString& ASearch, const AnsiString& AReplace, TSearchReplaceOptions AOptions);

  // ---- undo and redo ----
  void Undo();
  void Redo();
  bool CanUndo() const;
  bool CanRedo() const;
  bool GetCanUndo() const { return CanUndo(); }
  bool GetCanRedo() const { return CanRedo(); }

  // ---- focus ----
  // Controls that take this control's focus: while any is registered, SetFocus focuses the one
  // registered last instead. Each is registered once and forgotten when it is freed.
  void AddFocusControl(TWinControl* AControl);
  void RemoveFocusControl(TWinControl* AControl);
  const std::vector<TWinControl*>& FocusList() const { return focusList_; }
  void SetFocus() override;

  // ---- words and brackets ----
  virtual TBufferCoord NextWordPos() { return NextWordPosEx(CaretXY()); }
  virtual TBufferCoord NextWordPosEx(const TBufferCoord& XY);
  virtual TBufferCoord WordStart() { return WordStartEx(CaretXY()); }
  virtual TBufferCoord WordStartEx(const TBufferCoord& XY);
  virtual TBufferCoord WordEnd() { return WordEndEx(CaretXY()); }
  virtual TBufferCoord WordEndEx(const TBufferCoord& XY);
  virtual TBufferCoord PrevWordPos() { return PrevWordPosEx(CaretXY()); }
  virtual TBufferCoord PrevWordPosEx(const TBufferCoord& XY);
  AnsiString GetWordAtRowCol(const TBufferCoord& XY);
  AnsiString WordAtCursor() { return GetWordAtRowCol(CaretXY()); }
  AnsiString GetWordAtCursor() { return WordAtCursor(); }
  // The bracket matching the one at the caret, over the whole text.
  virtual bool GetMatchingBracket(TBufferCoord& Result) { return GetMatchingBracketEx(CaretXY(), Result, false); }
  virtual bool GetMatchingBracketEx(const TBufferCoord& APoint, TBufferCoord& Result, bool VisibleOnly);
  // Moves the caret to the matching bracket.
  virtual void FindMatchingBracket();
  bool GetHighlighterAttriAtRowCol(const TBufferCoord& XY, AnsiString& Token, TTxtHighlighterAttributes*& Attri);
  bool GetHighlighterAttriAtRowColEx(const TBufferCoord& XY, AnsiString& Token, int& TokenType, int& Start,
                                     TTxtHighlighterAttributes*& Attri);

  // ---- editing ----
  void DoTabKey();
  void DoShiftTabKey();
  void DoBlockIndent();
  void DoBlockUnindent();
  // ecUpperCase .. ecToggleCaseBlock.
  void DoCaseChange(TTxtEditorCommand Cmd);

  // ---- events ----
  TNotifyEvent OnChange;
  TPlaceMarkEvent OnClearBookmark;
  TProcessCommandEvent OnCommandProcessed;
  TContextHelpEvent OnContextHelp;
  TDropFilesEvent OnDropFiles;
  TGutterClickEvent OnGutterClick;
  TGutterGetTextEvent OnGutterGetText;
  TGutterPaintEvent OnGutterPaint;
  TMouseCursorEvent OnMouseCursor;
  TPaintEvent OnPaint;
  TPlaceMarkEvent OnPlaceBookmark;
  TProcessCommandEvent OnProcessCommand;
  TProcessCommandEvent OnProcessUserCommand;
  TReplaceTextEvent OnReplaceText;
  TScrollEvent OnScroll;
  TSpecialLineColorsEvent OnSpecialLineColors;
  TStatusChangeEvent OnStatusChange;
  TPaintTransient OnPaintTransient;

  // The format of the vertical scroll hint.
  static const char* const ScrollHintFormatTextDefault;

 protected:
  friend class TTxtEditPainter;

  // ---- virtual operations ----
  virtual void DoChange();
  virtual void LinesChanged(TObject* Sender);
  virtual void PaintGutter(const TRect& AClip, int FirstRow, int LastRow);
  virtual void PaintTextLines(const TRect& AClip, int FirstRow, int LastRow, int FirstCol, int LastCol);
  virtual void SetCaretXYEx(bool CallEnsureCursorPos, TBufferCoord Value);
  virtual void DoOnClearBookmark(TTxtEditMark*& Mark);
  virtual void DoOnPaint();
  virtual void DoOnPaintTransientEx(TTransientType TransientType, bool Lock);
  virtual void DoOnPaintTransient(TTransientType TransientType) { DoOnPaintTransientEx(TransientType, false); }
  virtual void DoOnPlaceMark(TTxtEditMark*& Mark);
  virtual TTxtReplaceAction DoOnReplaceText(const AnsiString& ASearch, const AnsiString& AReplace, int Line,
                                            int Column);
  virtual bool DoOnSpecialLineColors(int Line, TColor& Foreground, TColor& Background);
  virtual void DoOnStatusChange(TTxtStatusChanges Changes);

  void IncPaintLock();
  void DecPaintLock();
  bool ReleaseHeldInvalidation(bool Tell = true);
  bool CaretWithinTextArea() const;
  bool AllRepaintHeld() const;
  // An undo or redo step tells OnChange once, after its last item.
  void HoldChange();
  void ReleaseChange();
  void StatusChanged(TTxtStatusChanges Changes);
  void RecalcCharExtent();
  void FontChanged();
  // The highlighter's stored ranges from line Index (0-based) on, until one is unchanged;
  // returns the last line scanned.
  int ScanFrom(int Index);
  void ScanRanges();
  // The background of a line's empty space.
  TColor EditorBackground(int Line) const;
  void InitializeCaret();
  void UpdateCaret();
  void ShowCaret();
  void HideCaret();
  // A highlighter that paints (attached and enabled), or null.
  TTxtCustomHighlighter* PaintingHighlighter() const;

  // ---- commands and input ----
  virtual void ExecuteCommand(TTxtEditorCommand Command, char AChar, void* Data);
  virtual void DoOnProcessCommand(TTxtEditorCommand& Command, char& AChar, void* Data);
  virtual void NotifyHookedCommandHandlers(bool AfterProcessing, TTxtEditorCommand& Command, char& AChar, void* Data);
  virtual void DoOnCommandProcessed(TTxtEditorCommand Command, char AChar, void* Data);
  virtual void SetDefaultKeystrokes();
  virtual void UndoItem();
  virtual void RedoItem();
  virtual void DoOnGutterClick(TMouseButton Button, int X, int Y);
  virtual void UpdateMouseCursor();
  void DefineProperties(TFiler* Filer) override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMCaptureChanged(TMessage& Message) override;
  void WMSetCursor(TMessage& Message) override;
  void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) override;
  void DragDrop(TObject* Source, int X, int Y) override;
  void DoEndDrag(TObject* Target, int X, int Y) override;
  // The result string of the input method, or "" (tests replace it: no input method runs here).
  virtual WideString ImeResultString();
  // Drag-scrolling: the scroll step for a mouse position, and one tick of the scroll timer.
  void ComputeDragScroll(int X, int Y);
  void ScrollTimerHandler(TObject* Sender);

  // ---- the framework ----
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  virtual void WMHScroll(TMessage& Message);
  virtual void WMVScroll(TMessage& Message);

 private:
  void ListCleared(TObject* Sender);
  void ListDeleted(TObject* Sender, int Index, int Count);
  void ListInserted(TObject* Sender, int Index, int Count);
  void ListPutted(TObject* Sender, int Index, int Count);
  // A whole load in one report: what its lines inserted one by one would have done.
  void ListLoaded(TObject* Sender, int Count);
  void LinesChangingHandler(TObject* Sender);
  void UndoRedoAdded(TObject* Sender);
  void GutterChanged(TObject* Sender);
  void SelectedColorChanged(TObject* Sender);
  void BookMarkOptionsChanged(TObject* Sender);
  void WordWrapGlyphChanged(TObject* Sender);
  void MarkListChanged(TObject* Sender);
  void HighlighterAttrChanged(TObject* Sender);
  // Joins (or leaves) the watchers of the buffer and the undo lists in use.
  void WatchBuffer(bool Join);
  void GrowMaxScrollWidth(int Line);
  void ApplyScrollBar(int Bar, const TTxtScrollBarSetup& Setup);
  void ApplyScrollArrows(int Bar, const TTxtScrollBarSetup& Setup);
  void RedrawScrollBars();
  void ScrollTextArea(int DX, int DY);
  void SetWordWrapPluginInternal(std::unique_ptr<ITxtEditBufferPlugin> Plugin);
  void RemoveLinesPointer();
  // Shows the scroll hint beside the vertical scroll bar while its thumb is dragged.
  void ShowScrollHint();
  TRect LinesRect(int FirstLine, int LastLine, int Left, int Right) const;
  void InvalidateOrCollect(const TRect& Rect);

  // The buffer and undo lists in use, and the control's own.
  TTxtEditStringList* lines_ = nullptr;
  std::unique_ptr<TTxtEditStringList> origLines_;
  TTxtEditUndoList* undoList_ = nullptr;
  TTxtEditUndoList* redoList_ = nullptr;
  std::unique_ptr<TTxtEditUndoList> origUndoList_;
  std::unique_ptr<TTxtEditUndoList> origRedoList_;

  std::unique_ptr<TFont> fontDummy_;
  std::unique_ptr<TheTextDrawer> textDrawer_;
  std::unique_ptr<TTxtSelectedColor> selectedColor_;
  std::unique_ptr<TTxtBookMarkOpt> bookMarkOptions_;
  std::unique_ptr<TTxtGutter> gutter_;
  std::unique_ptr<TTxtGlyph> wordWrapGlyph_;
  std::unique_ptr<TTxtEditMarkList> marks_;
  std::unique_ptr<TTxtInternalImage> internalImage_;
  std::unique_ptr<ITxtEditBufferPlugin> wordWrapPlugin_;
  std::unique_ptr<TTxtEditPainter> painter_;

  TTxtCustomHighlighter* highlighter_ = nullptr;
  TTxtEditSearchCustom* searchEngine_ = nullptr;

  // Hears the buffer and the undo lists in use, whoever's they are.
  class TBufferWatch final : public ITxtEditLinesWatcher, public ITxtEditUndoWatcher {
   public:
    explicit TBufferWatch(TCustomTxtEdit& AEdit) : edit_(AEdit) {}
    void LinesChanging(TTxtEditStringList* Sender) override { edit_.LinesChangingHandler(Sender); }
    void LinesChanged(TTxtEditStringList* Sender) override { edit_.LinesChanged(Sender); }
    void LinesCleared(TTxtEditStringList* Sender) override { edit_.ListCleared(Sender); }
    void LinesDeleted(TTxtEditStringList* Sender, int Index, int Count) override {
      edit_.ListDeleted(Sender, Index, Count);
    }
    void LinesInserted(TTxtEditStringList* Sender, int Index, int Count) override {
      edit_.ListInserted(Sender, Index, Count);
    }
    void LinesReplaced(TTxtEditStringList* Sender, int Index, int Count) override {
      edit_.ListPutted(Sender, Index, Count);
    }
    void LinesLoaded(TTxtEditStringList* Sender, int Count) override { edit_.ListLoaded(Sender, Count); }
    void UndoAdded(TTxtEditUndoList* Sender) override { edit_.UndoRedoAdded(Sender); }

   private:
    TCustomTxtEdit& edit_;
  };
  TBufferWatch bufferWatch_{*this};
  // Sharing another control's buffer: that control, and the controls that share this one's.
  TCustomTxtEdit* chainedEditor_ = nullptr;
  std::vector<TCustomTxtEdit*> sharers_;

  AnsiString scrollHintFormatText_;
  bool alwaysShowCaret_ = false;
  TBufferCoord blockBegin_{1, 1};
  TBufferCoord blockEnd_{1, 1};
  int caretX_ = 1;
  int lastCaretX_ = 1;
  int caretY_ = 1;
  int charsInWindow_ = 0;
  int charWidth_ = 0;
  int imeCount_ = 0;
  bool caretAtDbcsTrail_ = false;
  bool insertMode_ = true;
  int linesInWindow_ = 0;
  int leftChar_ = 1;
  int maxScrollWidth_ = 1024;
  int paintLock_ = 0;
  // Window work held while the update lock is raised: the part to repaint (all of it once the
  // text was scrolled), whether a transient paint was skipped, and whether an undo or redo step
  // holds back its change notice (and owes one).
  static constexpr size_t kHeldParts = 4;
  std::vector<TRect> heldInvalid_;
  bool heldAll_ = false;
  bool heldErase_ = false;
  bool heldTransient_ = false;
  int changeHold_ = 0;
  bool changeOwed_ = false;
  bool readOnly_ = false;
  int rightEdge_ = 80;
  TColor rightEdgeColor_ = clSilver;
  TColor scrollHintColor_ = clInfoBk;
  TScrollHintFormat scrollHintFormat_ = shfTopLineOnly;
  TScrollStyle scrollBars_ = ssBoth;
  int textHeight_ = 0;
  int topLine_ = 1;
  TColor activeLineColor_ = clNone;
  std::array<TTxtEditMark*, 10> bookmarks_{};
  TBorderStyle borderStyle_ = bsSingle;
  bool hideSelection_ = false;
  TTxtEditCaretType overwriteCaret_ = ctBlock;
  TTxtEditCaretType insertCaret_ = ctVerticalLine;
  TPoint caretOffset_;
  bool modified_ = false;
  int extraLineSpacing_ = 0;
  TTxtSelectionMode selectionMode_ = smNormal;
  TTxtSelectionMode activeSelectionMode_ = smNormal;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  mutable bool caretAtEOL_ = false;
  int tabWidth_ = 8;
  TRect invalidRect_;
  TTxtStateFlags stateFlags_;
  TTxtEditorOptions options_ = TxtEditDefaultOptions;
  TTxtStatusChanges statusChanges_;
  int paintTransientLock_ = 0;
  int mouseWheelAccumulator_ = 0;
  bool isScrolling_ = false;
  bool updatingScrollBars_ = false;
  // The last character converted to a column on a line, for as long as nothing changed the
  // text or the tab width (bufferStamp_ counts those changes).
  struct TColumnMark {
    uint32_t Stamp = 0;
    int Line = 0;
    int Char = 1;
    int Column = 1;
  };
  mutable TColumnMark columnMark_;
  uint32_t bufferStamp_ = 1;
  // What each scroll bar (horizontal, vertical) was last given and how it looked then.
  struct TAppliedBar {
    bool Valid = false;
    bool RedrawPending = false;
    TTxtScrollBarSetup Setup;
    SCROLLBARINFO Info{};
  };
  TAppliedBar appliedBars_[2];
  bool redrawPosted_ = false;
  // Posted to itself: draw the scroll bars whose look changed.
  static constexpr UINT TxtEditRedrawScrollBars = WM_USER + 0x0E01;
  int gutterWidth_ = 0;

  static TWordWrapPluginFactory wordWrapFactory_;
  // ---- editing state and helpers ----
  friend struct TTxtEditCommandHandlers;
  friend struct TTxtEditEditing;
  friend struct TTxtEditInput;
  friend struct TTxtEditUndoApply;
  friend struct TTxtEditLock;
  friend struct TTxtChangeHold;
  friend class TTxtCaretHide;
  std::string_view LineAt(int Line) const;  // 1-based; "" outside the buffer
  // The selected text; PadColumns fills the short lines of a column block with blanks.
  AnsiString SelTextEx(bool PadColumns) const;
  TTxtWordFinder Words() const;
  // With Keep, a deletion within one line whose result an insertion at B then changes again
  // leaves the line to that insertion: Keep gets the line as the deletion left it, and the
  // buffer (with its watchers, the word wrap and the highlighter) sees one change, not two.
  // True when the line was kept back so.
  bool DeleteSelectionText(TBufferCoord B, TBufferCoord E, AnsiString* Keep = nullptr);
  // The characters From..To-1 that a column block from B to E covers on each of its lines of
  // the text (none, From = To, on a line that ends left of the block), all taken before any
  // line changes, so that the deletion and its undo item agree.
  struct TColumnSpan {
    int Line, From, To;
  };
  std::vector<TColumnSpan> ColumnSpans(TBufferCoord B, TBufferCoord E) const;
  // Records the selection's text as deleted (whole lines as the characters they cover).
  void RecordSelectionDelete(TTxtUndoReason Reason);
  // Records how one line changed from Old to New as the characters that went (DeleteReason)
  // and those that came (InsertReason), so that undo gives back exactly Old.
  void RecordLineChange(int Line, std::string_view Old, std::string_view New, TTxtUndoReason DeleteReason,
                        TTxtUndoReason InsertReason);
  // Where text that replaces the selection begins (a line selection: at its first line's start).
  TBufferCoord InsertionStart() const;
  // SetSelText with the insertion recorded under Reason (a column insertion records its own).
  void ReplaceSelText(const AnsiString& Value, TTxtUndoReason Reason);
  // Whether a drop of the selection's own text at P would land inside it; a move onto its
  // edges counts too, since it would give back the text as it was.
  bool DropInsideSelection(const TBufferCoord& P, bool Copying) const;
  // Where P, behind the selection, comes to lie once the selection is deleted.
  TBufferCoord PointAfterSelectionDeleted(TBufferCoord P) const;
  // Kept: the caret line as a deletion kept it back, in place of the stored one.
  int InsertTextNormal(std::string_view Value, const AnsiString* Kept = nullptr);
  int InsertTextColumn(std::string_view Value, bool AddToUndo);
  int InsertTextLine(std::string_view Value);
  void CollapseSelectionAtCaret();
  void SetCaretAndSelection(const TBufferCoord& ACaret, const TBufferCoord& ABlockBegin, const TBufferCoord& ABlockEnd);
  void InsertCharacter(char AChar);
  void InsertImeString(const AnsiString& S);
  // Puts the caret after typed text; reaching the window's right edge scrolls the text on by
  // a good stretch (up to 25 columns) rather than a column per character.
  void PlaceTypedCaret(const TBufferCoord& Caret);
  void InsertLineBreak(bool MoveCaret);
  void DeleteLastChar();
  void DeleteChar();
  void DeleteWordOrEol(bool ToEol);
  void DeleteLastWordOrBol(bool ToBol);
  void DeleteLine();
  // Pads the caret line with blanks up to the caret (tabs too on an empty line when AllowTabs),
  // recording them; the caret stays at the same column.
  void FillLineToCaret(bool AllowTabs);
  // Deletes the selection recording it under Reason.
  void DeleteSelectionRecorded(TTxtUndoReason Reason);
  // Deletes the selection for Backspace or Delete: recorded as deleted after the caret when the
  // selection was made backwards.
  void DeleteSelectionByKey();
  // The indent of the nearest non-blank line above Line that is narrower than Width (0 when
  // there is none): where smart tab deletion steps back to.
  int IndentAbove(int Line, int Width) const;
  static std::unique_ptr<TTxtEditKeyStrokes> DefaultKeystrokes(TCustomTxtEdit* Owner);
  void DoDropFiles(TMessage& Message);
  void DoImeComposition(TMessage& Message);
  // Takes back the changes recorded in the undo list above its first Count items and records
  // them nowhere: what a command that cannot complete had changed.
  void TakeBackUndo(int Count);
  friend struct TTxtEditSearchRun;

  std::unique_ptr<TTxtEditKeyStrokes> keystrokes_ = DefaultKeystrokes(this);
  TTxtEditKbdHandler kbdHandler_;
  std::vector<TWinControl*> focusList_;
  bool passingFocus_ = false;  // SetFocus is handing the focus on (two lists may name each other)
  Word lastKey_ = 0;
  TShiftState lastShift_;
  struct THookedCommandHandler {
    THookedCommandEvent Event;
    void* Data;
  };
  std::vector<THookedCommandHandler> hookedCommandHandlers_;
  std::unique_ptr<TTimer> scrollTimer_;
  int scrollDeltaX_ = 0;
  int scrollDeltaY_ = 0;
  int mouseDownX_ = 0;
  int mouseDownY_ = 0;
  bool inDragDrop_ = false;
  TBufferCoord dragStartCaret_;
  // Where the last SetSelTextPrimitive's text ended, before the caret was clamped to the
  // scroll width: what the insertion's undo item must reach.
  TBufferCoord insertedEnd_;
  // Where the last SetSelTextPrimitive's new characters began (the end of the line above for
  // lines added below the text, the line's end for blanks that reach a caret past it) and the
  // whole lines it wrote over: what the insertion's undo item must cover and give back.
  TBufferCoord insertedStart_;
  AnsiString overwritten_;
  bool appendedLines_ = false;
  // The string that the text being inserted views, when nothing needs it afterwards: a large
  // paste hands its storage to the lines instead of copying it again.
  AnsiString* takeableText_ = nullptr;
  int trimDeferral_ = 0;
  std::vector<int> pendingTrims_;  // 0-based lines whose trailing blanks go when the change ends
};

// The editor control as form files and the application place it: TCustomTxtEdit with its
// properties and events published.
class TTxtEdit : public TCustomTxtEdit {
  HV_CLASS(TTxtEdit, TCustomTxtEdit)
 public:
  explicit TTxtEdit(TComponent* AOwner) : TCustomTxtEdit(AOwner) {}
};

// Registers the editor's control classes by name, so that form files can create them.
void RegisterTxtEditClasses();
