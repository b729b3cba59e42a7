// What a new editor control and its option groups start with, the defaults they publish, and the
// clamps and change notifications of the gutter's and the control's setters.
#include <gtest/gtest.h>

#include "editor/TxtEdit.h"
#include "editor/TxtEditBookMarkOpt.h"
#include "editor/TxtEditGlyph.h"
#include "editor/TxtEditGutter.h"
#include "editor/TxtEditOptions.h"
#include "editor/TxtEditSelectedColor.h"
#include "editor/TxtEditTextBuffer.h"
#include "editor/TxtEditUndo.h"
#include "framework/FormFiles.h"
#include "tests/framework/GraphicsTestSupport.h"
#include "tests/framework/PublishedDefaults.h"

TEST(EditControl, DefaultsOfANewControl) {
  TTxtEdit edit(nullptr);
  EXPECT_EQ(TxtEditOptionsToBits(edit.Options()), 0x026C0192u);
  EXPECT_EQ(edit.TabWidth(), 8);
  EXPECT_EQ(edit.RightEdge(), 80);
  EXPECT_EQ(edit.RightEdgeColor(), clSilver);
  EXPECT_EQ(edit.MaxScrollWidth(), 1024);
  EXPECT_EQ(edit.MaxUndo(), 1024);
  EXPECT_EQ(edit.ActiveLineColor(), clNone);
  EXPECT_TRUE(edit.InsertMode());
  EXPECT_EQ(edit.InsertCaret(), ctVerticalLine);
  EXPECT_EQ(edit.OverwriteCaret(), ctBlock);
  EXPECT_EQ(edit.ScrollBars(), ssBoth);
  EXPECT_EQ(edit.BorderStyle(), bsSingle);
  EXPECT_EQ(edit.SelectionMode(), smNormal);
  EXPECT_TRUE(edit.WantReturns());
  EXPECT_FALSE(edit.WantTabs());
  EXPECT_FALSE(edit.WordWrap());
  EXPECT_EQ(edit.CaretXY(), (TBufferCoord{1, 1}));
  EXPECT_EQ(edit.BlockBegin(), (TBufferCoord{1, 1}));
  EXPECT_EQ(edit.BlockEnd(), (TBufferCoord{1, 1}));
  EXPECT_EQ(edit.TopLine(), 1);
  EXPECT_EQ(edit.LeftChar(), 1);
  EXPECT_EQ(edit.Width(), 200);
  EXPECT_EQ(edit.Height(), 150);
  EXPECT_EQ(edit.Color(), clWindow);
  EXPECT_EQ(edit.Cursor(), crIBeam);
  EXPECT_TRUE(edit.TabStop());
  EXPECT_EQ(edit.Font()->Name(), L"Courier New");
  EXPECT_EQ(edit.Font()->Size(), 10);
  EXPECT_EQ(edit.GutterWidth(), 30);
  EXPECT_EQ(edit.TextOffset(), 32);
  EXPECT_GT(edit.CharWidth(), 0);
  EXPECT_GT(edit.TextHeight(), 0);
  EXPECT_EQ(edit.Lines()->Count(), 0);
  EXPECT_EQ(edit.Lines()->TabWidth(), 8);
  EXPECT_NE(edit.UndoList(), edit.RedoList());
  EXPECT_EQ(edit.UndoList()->MaxUndoActions(), 1024);
  EXPECT_EQ(edit.RedoList()->MaxUndoActions(), 1024);
  EXPECT_FALSE(edit.Modified());
  EXPECT_FALSE(edit.ReadOnly());
}

TEST(EditControl, PublishedDefaults) {
  TTxtEdit edit(nullptr);
  ExpectPublishedDefaults(&edit, {{"ActiveLineColor", clNone},
                                  {"BorderStyle", bsSingle},
                                  {"ExtraLineSpacing", 0},
                                  {"HideSelection", false},
                                  {"InsertCaret", ctVerticalLine},
                                  {"InsertMode", true},
                                  {"MaxScrollWidth", 1024},
                                  {"MaxUndo", 1024},
                                  {"OverwriteCaret", ctBlock},
                                  {"ReadOnly", false},
                                  {"RightEdge", 80},
                                  {"RightEdgeColor", 0xC0C0C0},
                                  {"ScrollHintColor", clInfoBk},
                                  {"ScrollHintFormat", shfTopLineOnly},
                                  {"ScrollBars", ssBoth},
                                  {"SelectionMode", smNormal},
                                  {"TabWidth", 8},
                                  {"WantReturns", true},
                                  {"WantTabs", false},
                                  {"WordWrap", false},
                                  {"Color", clWindow},
                                  {"Height", 150},
                                  {"ParentColor", false},
                                  {"ParentFont", false},
                                  {"TabStop", true},
                                  {"Width", 200}});
  ExpectPublishedSetDefaults(&edit, {{"Options",
                                      "eoAutoIndent,eoDragDropEditing,eoEnhanceEndKey,eoGroupUndo,eoScrollPastEol,"
                                      "eoShowScrollHint,eoSmartTabDelete,eoSmartTabs,eoTabsToSpaces"}});
}

TEST(EditControl, PublishedTextKeyMapAndFrameworkEvents) {
  TTxtEdit edit(nullptr);
  const char* names[] = {"Lines",      "Keystrokes",  "OnClick",     "OnDblClick",  "OnDragDrop", "OnDragOver",
                         "OnEndDock",  "OnStartDock", "OnEndDrag",   "OnEnter",     "OnExit",     "OnKeyDown",
                         "OnKeyPress", "OnKeyUp",     "OnMouseDown", "OnMouseMove", "OnMouseUp",  "OnStartDrag"};
  for (const char* name : names) EXPECT_NE(GetPropInfo(&edit, name), nullptr) << name << " is not published";
  const TPropInfo* keystrokes = GetPropInfo(&edit, "Keystrokes");
  EXPECT_TRUE(keystrokes && !IsStoredProp(&edit, *keystrokes));  // only its differences are stored
}

TEST(EditControl, AFormFileHoldsTheTextAndTheKeyMap) {
  RegisterTxtEditClasses();
  for (auto [lines, rebind] : {std::pair{"first line\r\n\tsecond 'quoted'\r\n", false}, {"", true}, {"x", true}}) {
    TTxtEdit edit(nullptr);
    edit.SetName("edtSource");
    edit.SetTextA(lines);
    if (rebind) edit.Keystrokes()->AddKeyStroke(ecDeleteLine, 'E', TShiftState{ssCtrl});
    const std::string text = WriteComponentToText(&edit);
    EXPECT_EQ(text.find("Lines.Strings = (") != std::string::npos, *lines != 0) << text;
    EXPECT_EQ(text.find("AddedKeystrokes = <") != std::string::npos, rebind) << text;
    EXPECT_EQ(text.find("  Keystrokes"), std::string::npos) << text;
    TTxtEdit back(nullptr);
    ReadComponentFromText(text, &back);
    EXPECT_EQ(back.TextA(), edit.TextA());
    EXPECT_EQ(WriteComponentToText(&back), text);
  }
}

TEST(EditControl, TabWidthIsClampedEverywhere) {
  TTxtEdit edit(nullptr);
  const struct { int Set, Kept; } cases[] = {{0, 1}, {-3, 1}, {1, 1}, {256, 256}, {257, 256}, {300, 256}, {7, 7}};
  for (const auto& c : cases) {
    edit.SetTabWidth(c.Set);
    EXPECT_EQ(edit.TabWidth(), c.Kept) << c.Set;
    EXPECT_EQ(edit.Lines()->TabWidth(), c.Kept) << c.Set;
  }
  // Through the published property as a form file sets it.
  SetOrdProp(&edit, FindPropInfo(&edit, "TabWidth"), 1000);
  EXPECT_EQ(edit.Lines()->TabWidth(), 256);
}

TEST(Gutter, Defaults) {
  TTxtGutter g;
  EXPECT_FALSE(g.AutoSize());
  EXPECT_EQ(g.BorderStyle(), gbsMiddle);
  EXPECT_EQ(g.Color(), clBtnFace);
  EXPECT_EQ(g.BorderColor(), clWindow);
  EXPECT_EQ(g.Cursor(), 0);
  EXPECT_EQ(g.DigitCount(), 4);
  EXPECT_EQ(g.AutoSizeDigitCount(), 4);
  EXPECT_EQ(g.Font()->Name(), L"Courier New");
  EXPECT_EQ(g.Font()->Size(), 8);
  EXPECT_TRUE(g.Font()->Style().Empty());
  EXPECT_FALSE(g.LeadingZeros());
  EXPECT_EQ(g.LeftOffset(), 16);
  EXPECT_EQ(g.RightOffset(), 2);
  EXPECT_FALSE(g.ShowLineNumbers());
  EXPECT_FALSE(g.NumberAllLines());
  EXPECT_TRUE(g.UseFontStyle());
  EXPECT_TRUE(g.Visible());
  EXPECT_EQ(g.Width(), 30);
  EXPECT_FALSE(g.ZeroStart());
  EXPECT_EQ(g.LineNumberStart(), 1);
  EXPECT_FALSE(g.Gradient());
  EXPECT_EQ(g.GradientStartColor(), clWindow);
  EXPECT_EQ(g.GradientEndColor(), clBtnFace);
  EXPECT_EQ(g.GradientSteps(), 48);
}

TEST(Gutter, PublishedDefaults) {
  TTxtGutter g;
  ExpectPublishedDefaults(&g, {{"AutoSize", false},
                               {"BorderStyle", gbsMiddle},
                               {"Color", clBtnFace},
                               {"BorderColor", clWindow},
                               {"DigitCount", 4},
                               {"LeadingZeros", false},
                               {"LeftOffset", 16},
                               {"RightOffset", 2},
                               {"ShowLineNumbers", false},
                               {"NumberAllLines", false},
                               {"UseFontStyle", true},
                               {"Visible", true},
                               {"Width", 30},
                               {"ZeroStart", false},
                               {"LineNumberStart", 1},
                               {"Gradient", false},
                               {"GradientStartColor", clWindow},
                               {"GradientEndColor", clBtnFace},
                               {"GradientSteps", 48}});
}

TEST(Gutter, EveryValueOtherThanTheDefaultSurvivesAFormFile) {
  RegisterTxtEditClasses();
  const TPublishedDefault values[] = {{"AutoSize", true},
                                      {"BorderStyle", gbsRight},
                                      {"Color", clRed},
                                      {"BorderColor", clBlue},
                                      {"DigitCount", 7},
                                      {"LeadingZeros", true},
                                      {"LeftOffset", 3},
                                      {"RightOffset", 9},
                                      {"ShowLineNumbers", true},
                                      {"NumberAllLines", true},
                                      {"UseFontStyle", false},
                                      {"Visible", false},
                                      {"Width", 55},
                                      {"LineNumberStart", 12},
                                      {"Gradient", true},
                                      {"GradientStartColor", clYellow},
                                      {"GradientEndColor", clGreen},
                                      {"GradientSteps", 9}};
  for (const TPublishedDefault& v : values) {
    TTxtEdit edit(nullptr);
    edit.SetName("edtSource");
    TTxtGutter* gutter = edit.Gutter();
    SetOrdProp(gutter, FindPropInfo(gutter, v.Name), v.Value);
    const std::string text = WriteComponentToText(&edit);
    EXPECT_NE(text.find(std::string("Gutter.") + v.Name + " = "), std::string::npos) << text;
    TTxtEdit back(nullptr);
    ReadComponentFromText(text, &back);
    EXPECT_EQ(GetOrdProp(back.Gutter(), FindPropInfo(back.Gutter(), v.Name)), v.Value) << v.Name;
    EXPECT_EQ(WriteComponentToText(&back), text) << v.Name;
  }
}

TEST(Gutter, SettersClampAndNotifyOnChangesOnly) {
  TTxtGutter g;
  ChangeCounter c;
  g.OnChange = TNotifyEvent(&c, &ChangeCounter::Changed);
  g.SetDigitCount(1);
  EXPECT_EQ(g.DigitCount(), 2);
  EXPECT_EQ(g.AutoSizeDigitCount(), 2);
  g.SetDigitCount(20);
  EXPECT_EQ(g.DigitCount(), 12);
  EXPECT_EQ(g.AutoSizeDigitCount(), 12);
  EXPECT_EQ(c.changes, 2);
  g.SetDigitCount(13);  // clamps to the value it has
  EXPECT_EQ(c.changes, 2);
  g.SetDigitCount(12);
  EXPECT_EQ(c.changes, 2);
  g.SetDigitCount(11);
  EXPECT_EQ(g.DigitCount(), 11);
  EXPECT_EQ(c.changes, 3);
  g.SetLeftOffset(-4);
  g.SetRightOffset(-1);
  g.SetWidth(-9);
  g.SetGradientSteps(1);
  EXPECT_EQ(g.LeftOffset(), 0);
  EXPECT_EQ(g.RightOffset(), 0);
  EXPECT_EQ(g.Width(), 0);
  EXPECT_EQ(g.GradientSteps(), 2);
  EXPECT_EQ(c.changes, 7);
  c.changes = 0;
  g.SetBorderStyle(gbsMiddle);  // the one setter that notifies without a change
  EXPECT_EQ(c.changes, 1);
  g.SetBorderStyle(gbsRight);
  EXPECT_EQ(c.changes, 2);
  c.changes = 0;
  // Every other setter given the value it has stays silent.
  g.SetAutoSize(g.AutoSize());
  g.SetColor(g.Color());
  g.SetBorderColor(g.BorderColor());
  g.SetLeadingZeros(g.LeadingZeros());
  g.SetLeftOffset(g.LeftOffset());
  g.SetRightOffset(g.RightOffset());
  g.SetShowLineNumbers(g.ShowLineNumbers());
  g.SetNumberAllLines(g.NumberAllLines());
  g.SetUseFontStyle(g.UseFontStyle());
  g.SetVisible(g.Visible());
  g.SetWidth(g.Width());
  g.SetZeroStart(g.ZeroStart());
  g.SetLineNumberStart(g.LineNumberStart());
  g.SetGradient(g.Gradient());
  g.SetGradientStartColor(g.GradientStartColor());
  g.SetGradientEndColor(g.GradientEndColor());
  g.SetGradientSteps(g.GradientSteps());
  g.SetCursor(5);  // a plain field
  EXPECT_EQ(c.changes, 0);
  g.Font()->SetSize(12);  // the own font's changes are the gutter's
  EXPECT_EQ(c.changes, 1);
}

TEST(EditorOptionGroups, DefaultsOfTheSmallerGroups) {
  TTxtSelectedColor colors;
  ExpectPublishedDefaults(&colors, {{"Background", clHighlight}, {"Foreground", clHighlightText}});

  TComponent owner(nullptr);
  TTxtBookMarkOpt marks(&owner);
  EXPECT_EQ(marks.BookmarkImages(), nullptr);
  ExpectPublishedDefaults(&marks, {{"DrawBookmarksFirst", true},
                                   {"EnableKeys", true},
                                   {"GlyphsVisible", true},
                                   {"LeftMargin", 2},
                                   {"Xoffset", 12}});

  TTxtGlyph glyph(GetModuleHandleW(nullptr), L"TxtEditWrapped", clLime);
  EXPECT_EQ(glyph.InternalMaskColor(), clLime);
  EXPECT_TRUE(glyph.Glyph()->Empty());
  ExpectPublishedDefaults(&glyph, {{"MaskColor", clNone}, {"Visible", true}});
  TTxtGlyph bare(GetModuleHandleW(nullptr), L"", clLime);
  EXPECT_EQ(bare.InternalMaskColor(), clNone);  // no picture, no mask
  EXPECT_EQ(bare.Width(), 0);

  TTxtEditStringList lines;
  EXPECT_EQ(lines.TabWidth(), 8);
  EXPECT_EQ(lines.LineBreakFormat(), lbfCRLF);

  TTxtEditUndoList undo;
  EXPECT_EQ(undo.MaxUndoActions(), 1024);
  EXPECT_EQ(undo.NextChangeNumber(), 1);
}
