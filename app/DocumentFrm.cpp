// The frame of one document.
#include "app/DocumentFrm.h"

#include "app/DocumentEditor.h"
#include "app/Options.h"
#include "app/TextRoutines.h"
#include "app/EditorQueries.h"
#include "app/WindowRoutines.h"
#include "controls/ApPageList.h"
#include "editor/TxtEditRegExpr.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/Colors.h"
#include "framework/Format.h"
#include "framework/ExtCtrls.h"
#include "framework/ListControls.h"
#include "framework/StdCtrls.h"
#include "framework/StrRoutines.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"
#include "themes/UiUtils.h"

HV_PUBLISH(TDocumentFrame) {
  p.ComponentField("pglstDocument", &T::pglstDocument);
  p.ComponentField("stndrdpgEdit", &T::stndrdpgEdit);
  p.ComponentField("stndrdpgPrintPreview", &T::stndrdpgPrintPreview);
  p.ComponentField("edtDocument", &T::edtDocument);
  p.ComponentField("edtprntprvwDocument", &T::edtprntprvwDocument);
  p.ComponentField("lngcntrlrDocument", &T::lngcntrlrDocument);
  p.ComponentField("dckPrintPreview", &T::dckPrintPreview);
  p.ComponentField("tlbrPrintPreview", &T::tlbrPrintPreview);
  p.ComponentField("actnlstDocument", &T::actnlstDocument);
  p.ComponentField("actnFirstPage", &T::actnFirstPage);
  p.ComponentField("actnPreviousPage", &T::actnPreviousPage);
  p.ComponentField("actnNextPage", &T::actnNextPage);
  p.ComponentField("actnLastPage", &T::actnLastPage);
  p.ComponentField("actnClose", &T::actnClose);
  p.ComponentField("spcritmPrintPreview", &T::spcritmPrintPreview);
  p.ComponentField("tbitmFirstPage", &T::tbitmFirstPage);
  p.ComponentField("tbitmPreviousPage", &T::tbitmPreviousPage);
  p.ComponentField("tbsprtrPage", &T::tbsprtrPage);
  p.ComponentField("cntrlitmPage", &T::cntrlitmPage);
  p.ComponentField("tbsprtrFrom", &T::tbsprtrFrom);
  p.ComponentField("tbitmNextPage", &T::tbitmNextPage);
  p.ComponentField("tbitmLastPage", &T::tbitmLastPage);
  p.ComponentField("tbsprtrScale", &T::tbsprtrScale);
  p.ComponentField("cntrlitmScale", &T::cntrlitmScale);
  p.ComponentField("tbsprtrClose", &T::tbsprtrClose);
  p.ComponentField("tbitmClose", &T::tbitmClose);
  p.ComponentField("mltstrnghldrDocument", &T::mltstrnghldrDocument);
  p.ComponentField("lblitmPage", &T::lblitmPage);
  p.ComponentField("lblitmFrom", &T::lblitmFrom);
  p.ComponentField("lblitmScale", &T::lblitmScale);
  p.ComponentField("cmbxScale", &T::cmbxScale);
  p.ComponentField("edtPage", &T::edtPage);
  p.ComponentField("edtprntEditor", &T::edtprntEditor);
  p.Method("edtDocumentKeyPress", &T::edtDocumentKeyPress);
  p.Method("edtDocumentKeyUp", &T::edtDocumentKeyUp);
  p.Method("edtDocumentMouseDown", &T::edtDocumentMouseDown);
  p.Method("edtDocumentMouseMove", &T::edtDocumentMouseMove);
  p.Method("edtDocumentMouseUp", &T::edtDocumentMouseUp);
  p.Method("edtDocumentSpecialLineColors", &T::edtDocumentSpecialLineColors);
  p.Method("edtDocumentStatusChange", &T::edtDocumentStatusChange);
  p.Method("edtDocumentPaintTransient", &T::edtDocumentPaintTransient);
  p.Method("pglstDocumentChange", &T::pglstDocumentChange);
  p.Method("edtprntprvwDocumentMouseDown", &T::edtprntprvwDocumentMouseDown);
  p.Method("edtprntprvwDocumentPreviewPage", &T::edtprntprvwDocumentPreviewPage);
  p.Method("edtprntprvwDocumentScaleChange", &T::edtprntprvwDocumentScaleChange);
  p.Method("cmbxScaleClick", &T::cmbxScaleClick);
  p.Method("cmbxScaleKeyDown", &T::cmbxScaleKeyDown);
  p.Method("edtPageKeyDown", &T::edtPageKeyDown);
  p.Method("actnFirstPageExecute", &T::actnFirstPageExecute);
  p.Method("actnPreviousPageExecute", &T::actnPreviousPageExecute);
  p.Method("actnNextPageExecute", &T::actnNextPageExecute);
  p.Method("actnLastPageExecute", &T::actnLastPageExecute);
  p.Method("actnCloseExecute", &T::actnCloseExecute);
  p.Method("actnFirstPageUpdate", &T::actnFirstPageUpdate);
  p.Method("actnNextPageUpdate", &T::actnNextPageUpdate);
}

namespace {

const bool registered = [] {
  RegisterClass(TDocumentFrame::StaticClassInfo());
  return true;
}();

const TTxtCharSet& UrlChars() {
  static const TTxtCharSet set = [] {
    TTxtCharSet s;
    for (int c = 0; c < 256; ++c)
      if (IsURLChar(static_cast<unsigned char>(c))) s.Include(static_cast<unsigned char>(c));
    return s;
  }();
  return set;
}

const TTxtCharSet& ColorCodeChars() {
  static const TTxtCharSet set = [] {
    TTxtCharSet s;
    for (unsigned char c : std::string_view("#$&0123456789")) s.Include(c);
    for (unsigned char c = 'A'; c <= 'Z'; ++c) s.Include(c), s.Include(static_cast<unsigned char>(c + 32));
    return s;
  }();
  return set;
}

bool Matches(const char* Pattern, const AnsiString& Text) {
  TRegExpr expr;
  expr.SetExpression(Pattern);
  return expr.Exec(Text);
}

// "$" and hexadecimal digits as a colour value; out of range gives no colour.
TColor HexColor(const AnsiString& Digits) {
  if (Digits.empty() || Digits.size() > 8) return NoColorCode;
  return TColor(static_cast<int32_t>(std::stoul(Digits, nullptr, 16)));
}

constexpr int scalePercents[] = {500, 200, 150, 100, 75, 50, 25, 10};

}  // namespace

TColor ParseColorCode(const AnsiString& Text) {
  const AnsiString s = UpperCase(Text);
  if (Matches("^\\$[0-9A-F]{6,8}$", s)) return HexColor(s.substr(1));
  if (Matches("^0X[0-9A-F]{6}$", s)) return HexColor(s.substr(2));
  AnsiString web;
  if (Matches("^#[0-9A-F]{3}$", s)) {
    web = "#";
    for (size_t i = 1; i < 4; ++i) web += AnsiString(2, s[i]);
  } else if (Matches("^#[0-9A-F]{6}$", s)) {
    web = s;
  }
  if (!web.empty()) return HexColor(web.substr(5, 2) + web.substr(3, 2) + web.substr(1, 2));
  if (Matches("^&H00[0-9A-F]{6}&$", s)) return HexColor(s.substr(2, 8));
  if (Matches("^CL[0-9A-Z]{3,30}$", s)) {
    int32_t color = 0;
    // The framework's names are written "clRed": the upper-cased text is matched without case.
    if (IdentToColor("cl" + Text.substr(2), color)) return TColor(color);
  }
  return NoColorCode;
}

char MatchingBracket(char Ch) {
  static const char pairs[] = "{}[]()<>";
  for (int i = 0; i < 8; ++i)
    if (pairs[i] == Ch) return pairs[i ^ 1];
  return 0;
}

bool IsOpeningBracket(char Ch) { return Ch == '{' || Ch == '[' || Ch == '(' || Ch == '<'; }

TDocumentFrame::TDocumentFrame(TComponent* AOwner) : TFrame(AOwner) {}

void TDocumentFrame::AfterConstruction() {
  TFrame::AfterConstruction();
  SetShowHint(true);
  SetParentShowHint(false);
  ApplyDocumentEditorSettings(*edtDocument);
  edtDocument->SetWordWrap(true);
  edtDocument->WordWrapGlyph()->SetVisible(false);
  edtprntprvwDocument->SetTag(25);
  SetPrintDesign();
}

void TDocumentFrame::SetPrintDesign() {
  TTxtEditPrint& print = *edtprntEditor;
  print.SetCopies(1);
  print.SetColors(true);
  print.SetColor(clWhite);
  print.SetTabWidth(8);
  TFont font;
  font.SetName(L"Tahoma");
  font.SetHeight(-33);
  print.SetFont(&font);
  TFont hfFont;
  hfFont.SetName(L"Arial");
  hfFont.SetHeight(-13);
  hfFont.SetColor(clBlack);
  for (THeaderFooter* hf : {static_cast<THeaderFooter*>(print.Header()), static_cast<THeaderFooter*>(print.Footer())}) {
    hf->SetFrameTypes({});
    hf->SetDefaultFont(&hfFont);
  }
  TTxtEditPrintMargins& m = *print.Margins();
  m.SetUnitSystem(usCM);
  m.SetLeft(3), m.SetRight(1.5), m.SetTop(2), m.SetBottom(2), m.SetHeader(1.5), m.SetFooter(1.5);
  m.SetLeftHFTextIndent(0.2), m.SetRightHFTextIndent(0.2), m.SetHFInternalMargin(0.05), m.SetMirrorMargins(false);
}

AnsiString TDocumentFrame::Message(const AnsiString& Name) const { return GetHolderString(mltstrnghldrDocument, Name); }

WideString TDocumentFrame::WideMessage(const AnsiString& Name) const {
  return GetHolderText(mltstrnghldrDocument, Name);
}

bool TDocumentFrame::InGutter(TCustomTxtEdit* Editor, int X) { return X <= Editor->GutterWidth() - 5; }

void TDocumentFrame::ShowViewMode(int Mode) {
  pglstDocument->SetActivePage(Mode == 1 ? static_cast<TApCustomPage*>(stndrdpgPrintPreview)
                                         : static_cast<TApCustomPage*>(stndrdpgEdit));
}

// ---- the editor ----

void TDocumentFrame::edtDocumentKeyPress(TObject*, wchar_t& Key) {
  if (!::Options || !::Options->AutoCompleteBrackets || Key > 127 || !IsOpeningBracket(static_cast<char>(Key))) return;
  edtDocument->SetSelText(AnsiString(1, MatchingBracket(static_cast<char>(Key))));
  edtDocument->SetCaretX(edtDocument->CaretX() - 1);
}

void TDocumentFrame::edtDocumentKeyUp(TObject*, Word&, TShiftState Shift) {
  TPoint p;
  GetCursorPos(reinterpret_cast<POINT*>(&p));
  p = edtDocument->ScreenToClient(p);
  UpdateLinkCursor(Shift.Contains(ssCtrl), p.X, p.Y);
}

bool TDocumentFrame::WordAtMouse(int X, int Y, const TTxtCharSet& Chars, AnsiString& Word) {
  if (X < edtDocument->GutterWidth() || X >= edtDocument->ClientWidth() || Y < 0 || Y >= edtDocument->ClientHeight())
    return false;
  const TBufferCoord at = edtDocument->DisplayToBufferPos(edtDocument->PixelsToRowColumn(X, Y));
  if (at.Line < 1 || at.Line > edtDocument->Lines()->Count()) return false;
  Word = GetWordAt(edtDocument, at, Chars, true);
  return true;
}

void TDocumentFrame::UpdateLinkCursor(bool Ctrl, int X, int Y) {
  AnsiString word;
  if (!WordAtMouse(X, Y, UrlChars(), word)) return;
  edtDocument->SetCursor(Ctrl && IsURL(word) ? crHandPoint : crIBeam);
}

void TDocumentFrame::edtDocumentMouseDown(TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbMiddle) {
    edtDocument->SetSelectionMode(smColumn);
    SetEditorOption(edtDocument, eoAltSetsColumnMode, false);
    mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, static_cast<DWORD>(X), static_cast<DWORD>(Y), 0, 0);
    return;
  }
  if (Button == mbLeft && Shift.Contains(ssDouble) && InGutter(edtDocument, X)) {
    const int line = edtDocument->CaretY();
    edtDocument->SetBlockBegin({0, line});
    edtDocument->SetBlockEnd({static_cast<int>(edtDocument->Lines()->LineView(line - 1).size()) + 1, line});
  }
}

void TDocumentFrame::edtDocumentMouseUp(TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbMiddle) {
    SetEditorOption(edtDocument, eoAltSetsColumnMode, true);
    mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, static_cast<DWORD>(X), static_cast<DWORD>(Y), 0, 0);
    return;
  }
  if (Button == mbLeft && Shift.Contains(ssCtrl) && !edtDocument->SelAvail()) {
    AnsiString word;
    if (WordAtMouse(X, Y, UrlChars(), word) && IsURL(word)) OpenLink(word);
  }
  if (Button == mbRight && OnEditorMenu) OnEditorMenu(this, InGutter(edtDocument, X));
}

void TDocumentFrame::edtDocumentMouseMove(TObject*, TShiftState Shift, int X, int Y) {
  AnsiString link, code;
  if (!WordAtMouse(X, Y, UrlChars(), link)) return;
  if (Shift.Contains(ssCtrl)) {
    edtDocument->SetCursor(IsURL(link) ? crHandPoint : crIBeam);
    return;
  }
  edtDocument->SetCursor(crIBeam);
  WordAtMouse(X, Y, ColorCodeChars(), code);
  const TColor color = ParseColorCode(code);
  if (color != NoColorCode) {
    if (color != lastHintColor_) {
      Application->CancelHint();
    }
    Application->SetHintColor(color);
    lastHintColor_ = Application->HintColor();
    edtDocument->SetHint(L"    ");
  } else if (IsURL(link)) {
    edtDocument->SetHint(WideMessage("sHyperlinkHint"));
  } else {
    Application->CancelHint();
    edtDocument->SetHint(WideString());
    Application->SetHintColor(clInfoBk);
  }
}

void TDocumentFrame::edtDocumentSpecialLineColors(TObject*, int Line, bool& Special, TColor& FG, TColor& BG) {
  if (!::Options || !LineHasMark(Line, edtDocument)) return;
  Special = true;
  FG = ::Options->BookmarkLineForeground;
  BG = ::Options->BookmarkLineBackground;
  if (Line == edtDocument->CaretY()) BG = ShiftColorChannels(BG, 90);
}

void TDocumentFrame::edtDocumentStatusChange(TObject*, TTxtStatusChanges Changes) {
  const bool all = Changes.Contains(scAll);
  if ((all || Changes.Contains(scCaretX) || Changes.Contains(scCaretY) || Changes.Contains(scInsertMode)) &&
      OnCaretStatusChange)
    OnCaretStatusChange(this);
  if ((all || Changes.Contains(scModified)) && OnModifiedChange) OnModifiedChange(this);
}

void TDocumentFrame::DrawBracket(TCanvas* Canvas, const TBufferCoord& Position, TTxtHighlighterAttributes* Attri) {
  const TPoint p = edtDocument->RowColumnToPixels(edtDocument->BufferToDisplayPos(Position));
  const AnsiString text(1, edtDocument->Lines()->LineView(Position.Line - 1)[static_cast<size_t>(Position.Char - 1)]);
  Canvas->Font()->Assign(edtDocument->Font());
  if (Attri) {
    Canvas->Font()->SetStyle(Attri->Style());
    if (Attri->Foreground() != clNone) Canvas->Font()->SetColor(Attri->Foreground());
  }
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(::Options ? ::Options->BracketsBackground : clAqua);
  Canvas->TextOut(p.X, p.Y, text);
}

void TDocumentFrame::edtDocumentPaintTransient(TObject*, TCanvas* ACanvas, TTransientType) {
  if (!::Options || !::Options->HighlightMatchingBrackets || !edtDocument->Highlighter() || edtDocument->SelAvail())
    return;
  TBufferCoord at = edtDocument->CaretXY(), partner{0, 0};
  bool found = edtDocument->GetMatchingBracketEx(at, partner, false);
  if (!found && at.Char >= 2) {
    at.Char -= 1;
    found = edtDocument->GetMatchingBracketEx(at, partner, false);
  }
  if (!found) at = partner = TBufferCoord{0, 0};
  if (!(at == bracket_) || !(partner == partner_)) {
    for (const TBufferCoord& old : {bracket_, partner_})
      if (old.Line > 0) edtDocument->InvalidateLine(old.Line);
    bracket_ = at, partner_ = partner;
  }
  if (!found) return;
  AnsiString token;
  TTxtHighlighterAttributes* attri = nullptr;
  if (!edtDocument->GetHighlighterAttriAtRowCol(at, token, attri) || token.size() != 1 || !MatchingBracket(token[0]))
    return;
  DrawBracket(ACanvas, at, attri);
  DrawBracket(ACanvas, partner, attri);
}

// ---- the preview ----

void TDocumentFrame::pglstDocumentChange(TObject*) {
  if (pglstDocument->ActivePage() != stndrdpgPrintPreview) return;
  edtprntEditor->SetTxtEdit(edtDocument);
  edtprntprvwDocument->UpdatePreview();
}

void TDocumentFrame::ShowScale() {
  switch (edtprntprvwDocument->ScaleMode()) {
    case pscWholePage: cmbxScale->SetText(cmbxScale->Items()->Strings(9)); break;
    case pscPageWidth: cmbxScale->SetText(cmbxScale->Items()->Strings(8)); break;
    default: cmbxScale->SetText(std::to_wstring(edtprntprvwDocument->ScalePercent()) + L"%");
  }
}

void TDocumentFrame::edtprntprvwDocumentPreviewPage(TObject*, int) {
  ShowScale();
  edtPage->SetText(std::to_wstring(edtprntprvwDocument->PageNumber()));
  lblitmFrom->SetCaption(FormatHolderText(mltstrnghldrDocument, "sPageOf", {edtprntprvwDocument->GetPageCount()}));
}

void TDocumentFrame::SetScalePercent(int Percent) {
  edtprntprvwDocument->SetScalePercent(Percent);
  cmbxScale->SetText(std::to_wstring(Percent) + L"%");
}

void TDocumentFrame::cmbxScaleClick(TObject*) {
  const int index = cmbxScale->ItemIndex();
  if (index >= 0 && index < 8) {
    edtprntprvwDocument->SetScalePercent(scalePercents[index]);
    if (scalePercents[index] >= 10 && scalePercents[index] <= 99) edtprntprvwDocument->SetTag(scalePercents[index]);
  } else if (index == 8) {
    edtprntprvwDocument->SetScaleMode(pscPageWidth);
  } else if (index == 9) {
    edtprntprvwDocument->SetScaleMode(pscWholePage);
  }
}

void TDocumentFrame::cmbxScaleKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  const int percent = ExtractInteger(WideToAnsi(cmbxScale->Text()));
  if (percent < 10 || percent > 500) return;
  if (percent < 100) edtprntprvwDocument->SetTag(percent);
  SetScalePercent(percent);
}

void TDocumentFrame::edtPageKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  const int page = ExtractInteger(WideToAnsi(edtPage->Text()));
  if (page < 1 || page > edtprntprvwDocument->GetPageCount()) return;
  edtprntprvwDocument->SetPageNumber(page);
  edtPage->SetText(std::to_wstring(page));
}

void TDocumentFrame::edtprntprvwDocumentMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
  if (Button == mbMiddle) return;
  SetScalePercent(edtprntprvwDocument->ScalePercent() < 100 ? 100 : edtprntprvwDocument->Tag());
}

void TDocumentFrame::edtprntprvwDocumentScaleChange(TObject*) {
  edtprntprvwDocument->SetCursor(edtprntprvwDocument->ScalePercent() >= 100 ? TCursor(99) : TCursor(98));
  TTxtEditPrintPreview* preview = edtprntprvwDocument;
  if (preview->HandleAllocated() && IsWindowVisible(preview->Handle()) && preview->CanFocus()) preview->SetFocus();
}

void TDocumentFrame::actnFirstPageExecute(TObject*) { edtprntprvwDocument->FirstPage(); }
void TDocumentFrame::actnPreviousPageExecute(TObject*) { edtprntprvwDocument->PreviousPage(); }
void TDocumentFrame::actnNextPageExecute(TObject*) { edtprntprvwDocument->NextPage(); }
void TDocumentFrame::actnLastPageExecute(TObject*) { edtprntprvwDocument->LastPage(); }

void TDocumentFrame::actnCloseExecute(TObject*) {
  if (OnClosePreview)
    OnClosePreview(this);
  else
    ShowViewMode(0);
}

void TDocumentFrame::actnFirstPageUpdate(TObject* Sender) {
  static_cast<TAction*>(Sender)->SetEnabled(edtprntprvwDocument->PageNumber() >= 2);
}

void TDocumentFrame::actnNextPageUpdate(TObject* Sender) {
  static_cast<TAction*>(Sender)->SetEnabled(edtprntprvwDocument->PageNumber() < edtprntprvwDocument->GetPageCount());
}
