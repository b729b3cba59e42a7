// Labels: the ellipsis a text that does not fit ends in, measured on an off-screen picture in
// the font the label really selects, and its setting in form files.
#include <gtest/gtest.h>

#include "framework/CodePages.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "tests/common/LabelPicture.h"
#include "tests/framework/PublishedDefaults.h"

namespace {

class TTestLabel : public TLabel {
 public:
  explicit TTestLabel(TComponent* AOwner = nullptr) : TLabel(AOwner) {
    SetAutoSize(false);
    SetColor(clWhite);
    Font()->SetColor(clBlack);
  }
  using TCustomLabel::DrawFlags;
  using TCustomLabel::FittedCaption;
};

}  // namespace

TEST(Label, EllipsisSettingGivesItsDrawFlagsAndIsKeptInFormFiles) {
  TTestLabel label;
  ExpectPublishedDefaults(&label, {{"EllipsisPosition", epNone}});
  const unsigned all = DT_PATH_ELLIPSIS | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS;
  const struct {
    TEllipsisPosition Position;
    unsigned Flag;
  } cases[] = {{epNone, 0},
               {epPathEllipsis, DT_PATH_ELLIPSIS},
               {epEndEllipsis, DT_END_ELLIPSIS},
               {epWordEllipsis, DT_WORD_ELLIPSIS}};
  for (const auto& c : cases) {
    label.SetEllipsisPosition(c.Position);
    EXPECT_EQ(label.DrawFlags() & all, c.Flag) << int(c.Position);
    EXPECT_EQ(label.DrawFlags() & ~all, static_cast<unsigned>(DT_EXPANDTABS)) << int(c.Position);
  }
  TForm form(nullptr, CreateNew);
  form.SetName("LabelForm");
  auto* shown = new TLabel(&form);
  shown->SetName("lblShown");
  shown->SetParent(&form);
  shown->SetAutoSize(false);
  shown->SetBounds(8, 8, 120, 16);
  shown->SetEllipsisPosition(epEndEllipsis);
  const std::string text = WriteComponentToText(&form);
  EXPECT_NE(text.find("EllipsisPosition = epEndEllipsis"), std::string::npos) << text;
  TForm copy(nullptr, CreateNew);
  ReadComponentFromText(text, &copy);
  auto* read = dynamic_cast<TLabel*>(copy.FindComponent("lblShown"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->EllipsisPosition(), epEndEllipsis);
  EXPECT_EQ(WriteComponentToText(&copy), text);
}

// One line too long for the label: with the end ellipsis its visible end is three dots on the
// baseline inside the label; without it a letter is cut at the edge.
TEST(Label, OneLineTooLongEndsInDotsInsteadOfACutLetter) {
  TTestLabel label;
  label.SetCaption(WideString(40, L'W'));
  TLabelFont font(label);
  label.SetBounds(0, 0, 150, font.LineHeight() + 4);
  const int dots = font.Width(L"...");
  ASSERT_GT(dots, 3);
  {
    TLabelPicture cut(label);
    EXPECT_FALSE(cut.EndsInDots(dots, 0, label.Height()));
    EXPECT_GE(cut.RightmostInk(0, label.Height()), label.Width() - 3);
  }
  label.SetEllipsisPosition(epEndEllipsis);
  TLabelPicture shortened(label);
  EXPECT_TRUE(shortened.EndsInDots(dots, 0, font.LineHeight()));
  EXPECT_LT(shortened.RightmostInk(0, label.Height()), label.Width());
  // A text that fits is drawn as it stands.
  label.SetCaption(L"WWW");
  TLabelPicture fits(label);
  EXPECT_FALSE(fits.EndsInDots(dots, 0, label.Height()));
  EXPECT_LT(fits.RightmostInk(0, label.Height()), font.Width(L"WWW") + 1);
}

// A wrapped text of more lines than the label holds: the last line that fits ends in dots and
// nothing is drawn below it; without the setting the next line shows cut at the bottom.
TEST(Label, WrappedTextTooLongForTheHeightEndsItsLastShownLineInDots) {
  TTestLabel label;
  label.SetWordWrap(true);
  label.SetCaption(L"Currently assigned to:\r\nFile, Reopen the documents of the last session and more");
  TLabelFont font(label);
  const int line = font.LineHeight();
  label.SetBounds(0, 0, 170, 2 * line + line / 2);
  const int dots = font.Width(L"...");
  TLabelPicture cut(label);
  EXPECT_LT(cut.TopInk(0, label.Width(), 2 * line, label.Height()), INT_MAX);  // a cut third line
  label.SetEllipsisPosition(epEndEllipsis);
  TLabelPicture shortened(label);
  EXPECT_EQ(shortened.TopInk(0, label.Width(), 2 * line, label.Height()), INT_MAX);
  EXPECT_TRUE(shortened.EndsInDots(dots, line, 2 * line));
  EXPECT_FALSE(shortened.EndsInDots(dots, 0, line));
  // The first line stays as it was.
  for (int y = 0; y < line; ++y)
    for (int x = 0; x < label.Width(); ++x) ASSERT_EQ(shortened.At(x, y), cut.At(x, y)) << x << "," << y;
  // Tall enough for everything: nothing is shortened.
  label.SetHeight(6 * line);
  EXPECT_EQ(label.FittedCaption(font.Canvas(), label.ClientRect()), label.Caption());
}

// Where the cut falls: at the end of what fits, never leaving a blank or a lone accelerator
// mark before the dots (a doubled one is a real "&" and stays).
TEST(Label, ShortenedWrappedTextDropsTrailingBlanksAndLoneAcceleratorMarks) {
  TTestLabel label;
  label.SetWordWrap(true);
  label.SetEllipsisPosition(epEndEllipsis);
  TLabelFont font(label);
  const int line = font.LineHeight();
  label.SetBounds(0, 0, 300, 2 * line + line / 2);
  const struct {
    const wchar_t* Caption;
    bool Accel;
    const wchar_t* Shown;
  } cases[] = {
      {L"x\r\nbbbb&\r\ncc", true, L"x\r\nbbbb..."},      {L"x\r\nbbbb&\r\ncc", false, L"x\r\nbbbb&..."},
      {L"x\r\nbbbb&&\r\ncc", true, L"x\r\nbbbb&&..."},   {L"x\r\nbbbb   \r\ncc", true, L"x\r\nbbbb..."},
      {L"x\r\nbbbb\r\ncc\r\ndd", true, L"x\r\nbbbb..."}, {L"x\r\nbbbb", true, L"x\r\nbbbb"},
  };
  for (const auto& c : cases) {
    label.SetShowAccelChar(c.Accel);
    label.SetCaption(c.Caption);
    EXPECT_EQ(label.FittedCaption(font.Canvas(), label.ClientRect()), c.Shown) << c.Accel;
  }
  // The path and word ellipses leave wrapped text to the system.
  label.SetShowAccelChar(true);
  label.SetCaption(L"x\r\nbbbb\r\ncc");
  for (TEllipsisPosition p : {epNone, epPathEllipsis, epWordEllipsis}) {
    label.SetEllipsisPosition(p);
    EXPECT_EQ(label.FittedCaption(font.Canvas(), label.ClientRect()), label.Caption()) << int(p);
  }
}

// The edge of fitting, measured in the font the label selects: a wrapped text exactly as tall as
// the label is drawn whole, as a taller label draws it; one pixel less and its last shown line
// ends in dots.
TEST(Label, WrappedTextExactlyAsTallAsTheLabelIsShownWholeAndOnePixelLessIsShortened) {
  TTestLabel label;
  label.SetWordWrap(true);
  label.SetEllipsisPosition(epEndEllipsis);
  label.SetCaption(L"Reopen the documents of the last session when the program starts");
  TLabelFont font(label);
  const int line = font.LineHeight(), dots = font.Width(L"...");
  TRect wrapped(0, 0, 140, 0);
  font.Canvas()->DrawText(wrapped, label.Caption(), DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT);
  ASSERT_GE(wrapped.Height(), 3 * line) << "wraps into three lines or more";
  ASSERT_EQ(wrapped.Height() % line, 0);
  const int lines = wrapped.Height() / line;
  label.SetBounds(0, 0, 140, 2 * wrapped.Height());
  TLabelPicture tall(label);
  label.SetHeight(wrapped.Height());
  EXPECT_EQ(label.FittedCaption(font.Canvas(), label.ClientRect()), label.Caption());
  TLabelPicture exact(label);
  EXPECT_FALSE(exact.EndsInDots(dots, (lines - 1) * line, lines * line));
  for (int y = 0; y < label.Height(); ++y)
    for (int x = 0; x < label.Width(); ++x) ASSERT_EQ(exact.At(x, y), tall.At(x, y)) << x << "," << y;
  label.SetHeight(wrapped.Height() - 1);
  const WideString shown = label.FittedCaption(font.Canvas(), label.ClientRect());
  ASSERT_GT(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), L"...");
  EXPECT_EQ(label.Caption().compare(0, shown.size() - 3, shown, 0, shown.size() - 3), 0) << WideToUtf8(shown);
  TLabelPicture shorter(label);
  EXPECT_TRUE(shorter.EndsInDots(dots, (lines - 2) * line, (lines - 1) * line));
  EXPECT_EQ(shorter.TopInk(0, label.Width(), (lines - 1) * line, label.Height()), INT_MAX);
}
