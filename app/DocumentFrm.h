// The frame of one document: the editor page with the document's editor, and the print-preview
// page with the preview under its skinned bar of page and scale items, plus the print object. The frame
// adds to the editor bracket matching and closing, bookmark-line colours, column selection with
// the middle button, line selection by a double click in the gutter, Ctrl+click on links and
// colour hints for colour codes under the mouse.
#pragma once

#include "editor/TxtEdit.h"
#include "editor/TxtEditPrint.h"
#include "editor/TxtEditPrintPreview.h"
#include "framework/Forms.h"

class TAction;
class TActionList;
class TApMultiStringHolder;
class TApPageList;
class TApStandardPage;
class TComboBox;
class TEdit;
class TBarControlItem;
class TLgLanguageController;
class TSkinDock;
class TSkinItem;
class TSkinLabelItem;
class TSkinRightAlignSpacerItem;
class TSkinSeparatorItem;
class TSkinToolbar;

// A right click in the editor asks for its context menu; InGutter: the click was over the gutter.
using TEditorMenuEvent = TEvent<void(TObject* Sender, bool InGutter)>;

// No colour: what ParseColorCode gives for a text that is none.
constexpr TColor NoColorCode = TColor(0x1FFFFFFF);
// The colour a code names ("$BBGGRR", "0xBBGGRR", "#RGB", "#RRGGBB", "&H00BBGGRR&", "clName"),
// any letter case; NoColorCode for anything else.
TColor ParseColorCode(const AnsiString& Text);
// The partner of a bracket of "{}[]()<>", else 0.
char MatchingBracket(char Ch);
bool IsOpeningBracket(char Ch);

class TDocumentFrame : public TFrame {
  HV_CLASS(TDocumentFrame, TFrame)
 public:
  explicit TDocumentFrame(TComponent* AOwner);
  void AfterConstruction() override;

  TApPageList* pglstDocument = nullptr;
  TApStandardPage* stndrdpgEdit = nullptr;
  TApStandardPage* stndrdpgPrintPreview = nullptr;
  TTxtEdit* edtDocument = nullptr;
  TTxtEditPrintPreview* edtprntprvwDocument = nullptr;
  TLgLanguageController* lngcntrlrDocument = nullptr;
  TSkinDock* dckPrintPreview = nullptr;
  TSkinToolbar* tlbrPrintPreview = nullptr;
  TActionList* actnlstDocument = nullptr;
  TAction* actnFirstPage = nullptr;
  TAction* actnPreviousPage = nullptr;
  TAction* actnNextPage = nullptr;
  TAction* actnLastPage = nullptr;
  TAction* actnClose = nullptr;
  // The preview bar's items, in their order on it (the labels below stand between them).
  TSkinRightAlignSpacerItem* spcritmPrintPreview = nullptr;
  TSkinItem* tbitmFirstPage = nullptr;
  TSkinItem* tbitmPreviousPage = nullptr;
  TSkinSeparatorItem* tbsprtrPage = nullptr;
  TBarControlItem* cntrlitmPage = nullptr;
  TSkinSeparatorItem* tbsprtrFrom = nullptr;
  TSkinItem* tbitmNextPage = nullptr;
  TSkinItem* tbitmLastPage = nullptr;
  TSkinSeparatorItem* tbsprtrScale = nullptr;
  TBarControlItem* cntrlitmScale = nullptr;
  TSkinSeparatorItem* tbsprtrClose = nullptr;
  TSkinItem* tbitmClose = nullptr;
  TApMultiStringHolder* mltstrnghldrDocument = nullptr;
  TSkinLabelItem* lblitmPage = nullptr;
  TSkinLabelItem* lblitmFrom = nullptr;
  TSkinLabelItem* lblitmScale = nullptr;
  TComboBox* cmbxScale = nullptr;
  TEdit* edtPage = nullptr;
  TTxtEditPrint* edtprntEditor = nullptr;

  // What the frame asks of those who hold it: the document, when the editor's modified flag may
  // have changed and when the preview's Close asks for the editor again (unassigned, the frame
  // shows its editor itself); the window, for the editor's context menu and when the caret's
  // line or column or the insert mode changed (its status bar shows them).
  TNotifyEvent OnModifiedChange;
  TNotifyEvent OnClosePreview;
  TEditorMenuEvent OnEditorMenu;
  TNotifyEvent OnCaretStatusChange;

  void edtDocumentKeyPress(TObject* Sender, wchar_t& Key);
  void edtDocumentKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
  void edtDocumentMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void edtDocumentMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void edtDocumentMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void edtDocumentSpecialLineColors(TObject* Sender, int Line, bool& Special, TColor& FG, TColor& BG);
  void edtDocumentStatusChange(TObject* Sender, TTxtStatusChanges Changes);
  void edtDocumentPaintTransient(TObject* Sender, TCanvas* ACanvas, TTransientType TransientType);
  void pglstDocumentChange(TObject* Sender);
  void edtprntprvwDocumentMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void edtprntprvwDocumentPreviewPage(TObject* Sender, int PageNumber);
  void edtprntprvwDocumentScaleChange(TObject* Sender);
  void cmbxScaleClick(TObject* Sender);
  void cmbxScaleKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void edtPageKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void actnFirstPageExecute(TObject* Sender);
  void actnPreviousPageExecute(TObject* Sender);
  void actnNextPageExecute(TObject* Sender);
  void actnLastPageExecute(TObject* Sender);
  void actnCloseExecute(TObject* Sender);
  void actnFirstPageUpdate(TObject* Sender);
  void actnNextPageUpdate(TObject* Sender);

  // Shows the editor (0) or the print preview (1).
  void ShowViewMode(int Mode);
  // The colour of the last colour hint shown.
  TColor LastHintColor() const { return lastHintColor_; }
  // Whether X (client pixels of the editor) lies in the gutter: at most its width minus 5.
  static bool InGutter(TCustomTxtEdit* Editor, int X);
  // The text of a message of the frame's string holder.
  AnsiString Message(const AnsiString& Name) const;
  WideString WideMessage(const AnsiString& Name) const;

 private:
  void SetPrintDesign();
  void ShowScale();
  void SetScalePercent(int Percent);
  void UpdateLinkCursor(bool Ctrl, int X, int Y);
  bool WordAtMouse(int X, int Y, const TTxtCharSet& Chars, AnsiString& Word);
  void DrawBracket(TCanvas* Canvas, const TBufferCoord& Position, TTxtHighlighterAttributes* Attri);

  TBufferCoord bracket_{0, 0}, partner_{0, 0};
  TColor lastHintColor_ = NoColorCode;
};
