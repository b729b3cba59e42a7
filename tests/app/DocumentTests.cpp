// Documents, their tabs and their frames: look-ups in the document list, tab sizes and the close
// area, colour codes and brackets, the frame's additions to the editor and the preview's boxes.
#include "app/DocumentTabs.h"
#include "app/WindowRoutines.h"
#include "foundation/ApStrHolder.h"
#include "framework/Bitmap.h"
#include "framework/Printers.h"
#include "framework/ListControls.h"
#include "framework/StdCtrls.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/UiUtils.h"
#include "framework/VisualStyles.h"
#include "tests/common/TestPicture.h"

namespace {

using Documents = DocumentTest;

struct TColorCase {
  const char* Text;
  int32_t Color;
};

const TColorCase colorCases[] = {
    {"#F00", 0x0000FF},        {"#f00", 0x0000FF},         {"#123456", 0x563412},     {"$0000FF", 0x0000FF},
    {"$12345678", 0x12345678}, {"0X0000FF", 0x0000FF},     {"0x563412", 0x563412},    {"&H000000FF&", 0x0000FF},
    {"clRed", 0x0000FF},       {"CLRED", 0x0000FF},        {"#GGG", 0x1FFFFFFF},      {"#12", 0x1FFFFFFF},
    {"$12345", 0x1FFFFFFF},    {"$123456789", 0x1FFFFFFF}, {"&H0000FF&", 0x1FFFFFFF}, {"clNoSuchColour", 0x1FFFFFFF},
    {"", 0x1FFFFFFF},          {"0X12345G", 0x1FFFFFFF},
};

WideString opened;
void RecordOpen(const WideString& FileName, const WideString&, const WideString&) { opened = FileName; }

}  // namespace

TEST(DocumentFrameRoutines, ColourCodes) {
  for (const TColorCase& c : colorCases) EXPECT_EQ(ParseColorCode(c.Text), TColor(c.Color)) << c.Text;
}

TEST(DocumentFrameRoutines, BracketPairs) {
  const std::string all = "{}[]()<>";
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(MatchingBracket(all[i]), all[i ^ 1]);
    EXPECT_EQ(IsOpeningBracket(all[i]), i % 2 == 0);
  }
  EXPECT_EQ(MatchingBracket('a') + MatchingBracket('"'), 0);
}

// Tabs: the caption measured bold, room for the image and the cross, at most 200 pixels, 6 less
// without a cross; a custom width wins.
TEST_F(Documents, TabSizes) {
  TBitmap bitmap;
  bitmap.SetSize(10, 10);
  TCanvas* canvas = bitmap.Canvas();
  TDocumentItem item(nullptr);
  item.SetCaption(L"notes.txt");
  canvas->Font()->SetStyle({fsBold});
  const int bold = canvas->TextWidth(item.Caption()), height = canvas->TextHeight(WideString(L"Wj")) + 12;
  canvas->Font()->SetStyle({});
  const TSize size = DocumentItemSize(canvas, item, 16, 0);
  EXPECT_EQ(size.cx, bold + 24 + 16);
  EXPECT_EQ(size.cy, height);
  EXPECT_FALSE(canvas->Font()->Style().Contains(fsBold)) << "the canvas font is given back";
  EXPECT_EQ(DocumentItemSize(canvas, item, 16, 2).cx, size.cx - 6);
  item.SetImageIndex(0);
  EXPECT_EQ(DocumentItemSize(canvas, item, 16, 1).cx, size.cx + 16);
  item.SetCaption(WideString(300, L'W'));
  EXPECT_EQ(DocumentItemSize(canvas, item, 16, 0).cx, 200);
  item.SetCaption(L"");
  EXPECT_EQ(DocumentItemSize(canvas, item, 16, 0).cx, 26);
  item.SetCustomWidth(25);
  item.SetCustomHeight(7);
  EXPECT_EQ(DocumentItemSize(canvas, item, 16, 2).cx * 100 + DocumentItemSize(canvas, item, 16, 2).cy, 2507);
  EXPECT_EQ(CloseArea(Rect(100, 2, 180, 30)), Rect(162, 2, 178, 30));
}

// The fixed colours of the active tab; the others follow the system's band background, which is
// the button face without visual styles.
TEST(DocumentTabColors, FixedAndSampledColours) {
  const TTabColors colors;
  EXPECT_EQ(colors.Border, TColor(0xE3B28D));
  EXPECT_EQ(colors.ActiveCloseColor, colors.Border);
  EXPECT_EQ(colors.InactiveCloseColor, TTabColors::Sample());
  const TColor sample = TTabColors::Sample();
  EXPECT_TRUE(VisualStylesUsable() || sample == TColor(ColorToRGB(clBtnFace)));
  EXPECT_EQ(static_cast<uint32_t>(sample) >> 24, 0u) << "a plain RGB value";
}

TEST_F(Documents, TheListFindsDocumentsByPageFrameTabAndName) {
  TMainForm& form = Make();
  form.OpenFiles({folder_.Write(L"\u00c9t\u00e9.txt", "a"), folder_.Write(L"b.txt", "b")}, 0);
  TDocument* accented = Doc(1);
  EXPECT_EQ(DocumentList->FindByFileName(folder_.File(L"\u00e9T\u00c9.TXT")), accented);
  EXPECT_EQ(DocumentList->FindByFileName(folder_.File(L"c.txt")), nullptr);
  EXPECT_EQ(DocumentList->FindByPage(accented->Page()), accented);
  EXPECT_EQ(DocumentList->FindByPage(nullptr), nullptr);
  EXPECT_EQ(DocumentList->FindByFrame(Doc(2)->Frame()), Doc(2));
  EXPECT_EQ(DocumentList->FindByItem(Doc(2)->Item()), Doc(2));
  EXPECT_EQ(DocumentList->FindByItem(nullptr), nullptr);
  EXPECT_EQ(DocumentList->Items().GetDocument(3), nullptr);
  EXPECT_EQ(accented->GetDisplayName(true), accented->FileName);
  EXPECT_EQ(Doc(0)->GetDisplayName(true), L"Document 1") << "a new document has no file name";
  // One tab of the bar is checked at a time.
  Doc(0)->Item()->SetChecked(true);
  EXPECT_TRUE(!accented->Item()->Checked() && !Doc(2)->Item()->Checked());
  EXPECT_TRUE(accented->PrintPageNumbers && accented->Orientation == 0 && accented->ViewMode == 0);
  EXPECT_DOUBLE_EQ(accented->Frame()->edtprntEditor->Margins()->Left(), ::Options->pMarginsLeft);
}

// The frame's editor types tabs and wraps without a glyph under the program's key map; its print
// object prints in colour with plain headers and the preview starts at 25 per cent.
TEST_F(Documents, TheFrameSetsUpItsEditorAndPrintObject) {
  TMainForm& form = Make();
  TDocumentFrame* frame = form.ActiveFrame();
  TTxtEdit* e = frame->edtDocument;
  EXPECT_TRUE(e->WantTabs() && e->WordWrap() && !e->WordWrapGlyph()->Visible());
  EXPECT_TRUE(e->Options().Contains(eoAltSetsColumnMode) && e->Options().Contains(eoDragDropEditing));
  TTxtEditKeyStrokes& keys = *e->Keystrokes();
  EXPECT_EQ(keys.FindSingleKey('Y', {ssCtrl}), -1);
  EXPECT_EQ(keys.Items(keys.FindSingleKey('E', {ssCtrl}))->Command(), ecDeleteLine);
  EXPECT_EQ(keys.Items(keys.FindSingleKey('B', {ssCtrl}))->Command(), ecMatchBracket);
  TTxtEditPrint& print = *frame->edtprntEditor;
  EXPECT_TRUE(print.Colors() && print.Copies() == 1 && print.TabWidth() == 8);
  EXPECT_TRUE(print.Header()->FrameTypes().Empty() && print.Footer()->FrameTypes().Empty());
  EXPECT_EQ(print.Header()->DefaultFont()->Name(), L"Arial");
  EXPECT_DOUBLE_EQ(print.Margins()->Header(), 1.5);
  EXPECT_EQ(frame->edtprntprvwDocument->Tag(), 25);
  EXPECT_EQ(frame->cmbxScale->Text(), L"25%");
}

TEST_F(Documents, TypedBracketsCloseThemselves) {
  TMainForm& form = Make();
  TTxtEdit* e = form.ActiveEditor();
  ::Options->AutoCompleteBrackets = true;
  SendMessageW(e->Handle(), WM_CHAR, '(', 0);
  EXPECT_EQ(e->TextA(), "()");
  EXPECT_EQ(e->CaretX(), 2);
  SendMessageW(e->Handle(), WM_CHAR, ')', 0);
  EXPECT_EQ(e->TextA(), "())");
  e->SetTextA("abc");
  e->SelectAll();
  SendMessageW(e->Handle(), WM_CHAR, '[', 0);
  EXPECT_TRUE(e->TextA() == "[]" && e->CaretX() == 2);
  ::Options->AutoCompleteBrackets = false;
  SendMessageW(e->Handle(), WM_CHAR, '{', 0);
  EXPECT_EQ(e->TextA(), "[{]");
}

TEST_F(Documents, BookmarkLinesGutterLinesLinksAndTheModifiedMark) {
  TMainForm& form = Make();
  TDocumentFrame* frame = form.ActiveFrame();
  TTxtEdit* e = frame->edtDocument;
  e->SetTextA("first\r\nsee www.example.org now\r\nthird");
  e->SetBookMark(1, 1, 1);
  e->SetBookMark(2, 1, 3);
  e->SetCaretXY({1, 3});
  bool special = false;
  TColor fg = clNone, bg = clNone;
  frame->edtDocumentSpecialLineColors(e, 2, special, fg, bg);
  EXPECT_FALSE(special);
  frame->edtDocumentSpecialLineColors(e, 1, special, fg, bg);
  EXPECT_TRUE(special && fg == ::Options->BookmarkLineForeground && bg == ::Options->BookmarkLineBackground);
  frame->edtDocumentSpecialLineColors(e, 3, special, fg, bg);
  EXPECT_EQ(bg, ShiftColorChannels(::Options->BookmarkLineBackground, 90)) << "the caret line";
  // A double click in the gutter selects the caret's line.
  e->SetCaretXY({3, 2});
  ASSERT_TRUE(TDocumentFrame::InGutter(e, e->GutterWidth() - 5) && !TDocumentFrame::InGutter(e, e->GutterWidth() - 4));
  frame->edtDocumentMouseDown(e, mbLeft, {ssLeft, ssDouble}, 1, 1);
  EXPECT_EQ(e->SelText(), "see www.example.org now");
  // Ctrl+click on a link hands an address to the shell's replaceable opener.
  e->SetCaretXY({1, 1});
  const TPoint at = e->RowColumnToPixels(e->BufferToDisplayPos({9, 2}));
  TShellOpenHandler previous = SetShellOpenHandler(RecordOpen);
  frame->edtDocumentMouseUp(e, mbLeft, {ssCtrl}, at.X + 2, at.Y + 2);
  frame->edtDocumentMouseUp(e, mbLeft, {}, at.X + 2, at.Y + 2);
  SetShellOpenHandler(previous);
  EXPECT_EQ(opened, L"http://www.example.org");
  // A modified document's tab caption is bold.
  e->SetModified(true);
  EXPECT_TRUE(form.ActiveDocument()->Item()->Bold());
  e->SetModified(false);
  EXPECT_FALSE(form.ActiveDocument()->Item()->Bold());
}

// A bracket under the caret or just before it is drawn with its partner on the brackets colour.
TEST_F(Documents, MatchingBracketsAreHighlighted) {
  TMainForm& form = Make();
  TDocumentFrame* frame = form.ActiveFrame();
  TTxtEdit* e = frame->edtDocument;
  form.ActiveDocument()->SetHighlighter(Highlighters->GetByFileName(Scheme(L"CLIKE", L"c.xml")));
  e->SetTextA("f(x) + y;");
  TTestPicture picture(400, 60);
  auto backgroundAt = [&](int Char) {
    const TPoint p = e->RowColumnToPixels(e->BufferToDisplayPos({Char, 1}));
    return TColor(static_cast<int32_t>(picture.At(p.X + 1, p.Y + 1)));
  };
  for (int caret : {5, 4, 2, 7}) {
    picture.Fill(0xFFFFFF);
    e->SetCaretXY({caret, 1});
    frame->edtDocumentPaintTransient(e, picture.Canvas(), ttAfter);
    const bool pair = caret != 7;
    EXPECT_EQ(backgroundAt(2) == TColor(ColorToRGB(::Options->BracketsBackground)), pair) << caret;
    EXPECT_EQ(backgroundAt(4) == TColor(ColorToRGB(::Options->BracketsBackground)), pair) << caret;
    EXPECT_EQ(backgroundAt(3), clWhite) << caret;
  }
}

TEST_F(Documents, ColourHintsFollowTheWordUnderTheMouse) {
  TMainForm& form = Make();
  TDocumentFrame* frame = form.ActiveFrame();
  TTxtEdit* e = frame->edtDocument;
  e->SetTextA("#F00 www.a.org plain");
  auto hover = [&](int Char) {
    const TPoint at = e->RowColumnToPixels(e->BufferToDisplayPos({Char, 1}));
    frame->edtDocumentMouseMove(e, {}, at.X + 2, at.Y + 2);
  };
  hover(2);
  EXPECT_EQ(Application->HintColor(), TColor(0x0000FF));
  EXPECT_EQ(frame->LastHintColor(), TColor(0x0000FF));
  hover(8);
  EXPECT_EQ(e->Hint(), L"Press CTRL and click on hyperlink");
  hover(18);
  EXPECT_TRUE(e->Hint().empty() && Application->HintColor() == clInfoBk);
}

// The preview's scale box takes 10 to 500 per cent; a click on the page toggles between 100 per
// cent and the last zoom-out value (25 at first).
TEST_F(Documents, ThePreviewScaleBoxAndClicks) {
  TMainForm& form = Make();
  form.ActiveEditor()->SetTextA("text to print");
  form.ActiveDocument()->SetViewMode(1);
  TDocumentFrame* frame = form.ActiveFrame();
  TTxtEditPrintPreview* preview = frame->edtprntprvwDocument;
  EXPECT_EQ(frame->cmbxScale->Items()->Count(), 10);
  preview->SetScalePercent(100);
  frame->edtprntprvwDocumentMouseDown(preview, mbLeft, {}, 5, 5);
  EXPECT_EQ(preview->ScalePercent(), 25);
  Word enter = VK_RETURN;
  for (const wchar_t* refused : {L"5", L"600", L"x"}) {
    frame->cmbxScale->SetText(refused);
    frame->cmbxScaleKeyDown(frame->cmbxScale, enter, {});
    EXPECT_EQ(preview->ScalePercent(), 25) << refused;
  }
  frame->cmbxScale->SetText(L"75%");
  frame->cmbxScaleKeyDown(frame->cmbxScale, enter, {});
  EXPECT_EQ(preview->ScalePercent(), 75);
  EXPECT_EQ(frame->cmbxScale->Text(), L"75%");
  frame->edtprntprvwDocumentMouseDown(preview, mbLeft, {}, 5, 5);
  EXPECT_EQ(preview->ScalePercent(), 100);
  frame->edtprntprvwDocumentMouseDown(preview, mbMiddle, {}, 5, 5);
  EXPECT_EQ(preview->ScalePercent(), 100);
  frame->edtprntprvwDocumentMouseDown(preview, mbRight, {}, 5, 5);
  EXPECT_EQ(preview->ScalePercent(), 75);
  frame->cmbxScale->SetItemIndex(8);
  frame->cmbxScaleClick(frame->cmbxScale);
  EXPECT_EQ(preview->ScaleMode(), pscPageWidth);
  frame->edtprntprvwDocumentPreviewPage(preview, 1);
  EXPECT_EQ(frame->cmbxScale->Text(), L"Page width");
  EXPECT_EQ(frame->lblitmFrom->Caption(), L"of " + std::to_wstring(preview->GetPageCount()));
  frame->actnCloseExecute(nullptr);
  EXPECT_TRUE(form.ActiveInEditView() && form.CanEditActive());
}

TEST_F(Documents, ThePrinterTakesTheActiveDocumentsOrientation) {
  if (PrinterInfoSize() == 0) GTEST_SKIP() << "no printer";
  TMainForm& form = Make();
  TDocument* first = form.ActiveDocument();
  TDocument* second = form.NewDocument();
  second->Orientation = 1;
  form.ActivateDocument(first);
  EXPECT_EQ(Printer()->Orientation(), poPortrait);
  form.ActivateDocument(second);
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
  form.ActivateDocument(first);
  EXPECT_EQ(Printer()->Orientation(), poPortrait);
}
