// Unicode text of the skinned items: the "utf8=" captions, glow, the rotated orientations with
// ellipsis and accelerator underline, measuring, the caption layout and the skin choice.
#include <gtest/gtest.h>

#include <random>

#include "controls/ApThemes.h"
#include "framework/CodePages.h"
#include "framework/Graphics.h"
#include "tests/themes/SkinTestSupport.h"
#include "tests/themes/ThemeTestSupport.h"
#include "themes/SkinText.h"

namespace {

const WideString kPrivet = L"\x041F\x0440\x0438\x0432\x0435\x0442";  // "Privet" in Cyrillic

// A white picture with its canvas in black 10-point Tahoma.
struct TTextPicture : TTestPicture {
  TTextPicture(int W = 200, int H = 200) : TTestPicture(W, H) {
    Canvas()->Font()->SetName(L"Tahoma");
    Canvas()->Font()->SetSize(10);
    Canvas()->Font()->SetColor(clBlack);
  }
};

// The UTF-8 bytes of a text, each widened as the ANSI code page reads it (or one unit per byte).
WideString Widened(const WideString& Text, bool ThroughCodePage) {
  std::string bytes = WideToUtf8(Text);
  if (ThroughCodePage) return AnsiToWide(bytes);
  WideString w;
  for (unsigned char b : bytes) w += static_cast<wchar_t>(b);
  return w;
}

TEST(SkinText, Utf8CaptionsNarrowExactlyBack) {
  // The bytes of this word include 0x80, 0x82 and 0x9F, which code page 1252 widens to
  // characters far above 0xFF.
  ASSERT_NE(WideToUtf8(kPrivet).find('\x9F'), std::string::npos);
  const struct {
    WideString Text;
    WideString Expected;
  } cases[] = {
      {L"utf8=" + Widened(kPrivet, true), kPrivet},
      {L"utf8=" + Widened(kPrivet, false), kPrivet},
      {L"xutf8=" + Widened(kPrivet, true), L"xutf8=" + Widened(kPrivet, true)},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeUtf8Caption(c.Text), c.Expected);
}

TEST(SkinText, Utf8PrefixDrawsTheWordAndOnlyAtTheStart) {
  TTextPicture a, b;
  TRect ra{0, 0, 200, 40}, rb = ra;
  DrawWideText(a.Canvas(), L"utf8=" + Widened(kPrivet, true), ra, 0, clNone, gldNone, DT_SINGLELINE);
  DrawWideText(b.Canvas(), kPrivet, rb, 0, clNone, gldNone, DT_SINGLELINE);
  EXPECT_GT(a.Count({0, 0, 200, 40}, 0), 0);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
  // GetWideTextSize measures the text as it stands, prefix included.
  WideString marked = L"utf8=" + Widened(kPrivet, true);
  TSize size;
  GetWideTextSize(a.Canvas()->Handle(), marked, false, size);
  EXPECT_EQ(size.cx, a.Canvas()->TextWidth(marked));
}

TEST(SkinText, GlowSurroundsTheTextInItsDirections) {
  const struct {
    TSpGlowDirection Glow;
    TRect Grow;  // how far the glow reaches past the text on each side
  } cases[] = {
      {gldNone, {0, 0, 0, 0}}, {gldAll, {1, 1, 1, 1}}, {gldTopLeft, {1, 1, 0, 0}}, {gldBottomRight, {0, 0, 1, 1}}};
  for (const auto& c : cases) {
    TTextPicture t;
    TRect r{20, 20, 180, 60};
    DrawWideText(t.Canvas(), L"IIII", r, 0, clRed, c.Glow, DT_SINGLELINE);
    EXPECT_EQ(t.Canvas()->Brush()->Style(), bsSolid);  // given back
    TRect text = t.BoundsOf(0, {0, 0, 200, 100}), glow = t.BoundsOf(0x0000FF, {0, 0, 200, 100});
    if (glow.IsEmpty()) glow = text;
    TRect all{std::min(text.Left, glow.Left), std::min(text.Top, glow.Top), std::max(text.Right, glow.Right),
              std::max(text.Bottom, glow.Bottom)};
    EXPECT_EQ((TRect{text.Left - all.Left, text.Top - all.Top, all.Right - text.Right, all.Bottom - text.Bottom}),
              c.Grow)
        << int(c.Glow);
  }
}

TEST(SkinText, RotatedTextMeasuresAcrossAndDrawsInsideItsRectangle) {
  for (int orientation : {SkinTextRotated90, SkinTextRotated270}) {
    TTextPicture t;
    TSize flat = t.Canvas()->TextExtent(WideString(L"Rotate"));
    TRect calc{10, 20, 11, 21};
    int h = DrawWideText(t.Canvas(), L"Rotate", calc, orientation, clNone, gldNone, DT_CALCRECT);
    EXPECT_EQ(calc.TopLeft(), TPoint(10, 20));
    EXPECT_NEAR(calc.Width(), flat.cy, 1) << orientation;
    EXPECT_NEAR(calc.Height(), flat.cx, 2) << orientation;
    EXPECT_EQ(h, calc.Width());

    TRect r{50, 30, 50 + calc.Width() + 6, 30 + calc.Height() + 40};
    DrawWideText(t.Canvas(), L"Rotate", r, orientation, clNone, gldNone, DT_CENTER);
    TRect ink = t.BoundsOf(0, {0, 0, 200, 200});
    ASSERT_FALSE(ink.IsEmpty()) << orientation;
    EXPECT_GE(ink.Left, r.Left);
    EXPECT_LE(ink.Right, r.Right);
    // Centred along the rectangle: about 20 pixels free at either end.
    EXPECT_GE(ink.Top, r.Top + 15) << orientation;
    EXPECT_LE(ink.Bottom, r.Bottom - 15) << orientation;
  }
  TTextPicture t;
  TRect empty{5, 5, 5, 5};
  EXPECT_EQ(DrawWideText(t.Canvas(), L"", empty, SkinTextRotated270, clNone, gldNone, DT_CALCRECT), 0);
}

// The pixels the accelerator underline adds: the text drawn with and without hidden prefix.
TRect UnderlineOf(const WideString& Text, int Orientation, const TRect& R, Cardinal Extra = 0) {
  TTextPicture with, without;
  TRect a = R, b = R;
  DrawWideText(with.Canvas(), Text, a, Orientation, clNone, gldNone, Extra);
  DrawWideText(without.Canvas(), Text, b, Orientation, clNone, gldNone, Extra | SkinDtHidePrefix);
  TRect diff{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      if (with.At(x, y) != without.At(x, y))
        diff = {std::min(diff.Left, x), std::min(diff.Top, y), std::max(diff.Right, x + 1),
                std::max(diff.Bottom, y + 1)};
  return diff.Left == INT_MAX ? TRect{} : diff;
}

TEST(SkinText, RotatedAcceleratorUnderlinesItsCharacterInBothOrientations) {
  TTextPicture m;
  TRect calc{0, 0, 1, 1};
  DrawWideText(m.Canvas(), L"&Wxyz", calc, SkinTextRotated270, clNone, gldNone, DT_CALCRECT);
  const int length = calc.Height();
  const int w = m.Canvas()->TextWidth(WideString(L"W"));
  const TRect r{40, 20, 40 + calc.Width(), 20 + length};
  // Top to bottom the first character lies at the top, bottom to top at the bottom.
  TRect down = UnderlineOf(L"&Wxyz", SkinTextRotated270, r);
  EXPECT_EQ(down.Width(), 1);
  EXPECT_NEAR(down.Top, r.Top, 1);
  EXPECT_NEAR(down.Bottom, r.Top + w, 2);
  TRect up = UnderlineOf(L"&Wxyz", SkinTextRotated90, r);
  EXPECT_TRUE(up.Width() == 1 && up.Left >= r.Left && up.Left < r.Right);
  EXPECT_NEAR(up.Bottom, r.Top + length, 2);
  EXPECT_NEAR(up.Top, r.Top + length - w, 2);
  // "&&" is a plain "&"; the last single mark wins.
  EXPECT_TRUE(UnderlineOf(L"a&&b", SkinTextRotated270, r).IsEmpty());
  EXPECT_TRUE(UnderlineOf(L"&Wxyz", SkinTextRotated270, r, DT_NOPREFIX).IsEmpty());
  TRect last = UnderlineOf(L"&Wx&yz", SkinTextRotated270, r);
  EXPECT_GT(last.Top, down.Bottom - 1);
}

TEST(SkinText, EllipsisKeepsTheUnderlineOnlyInsideTheKeptText) {
  const TRect r{40, 20, 70, 80};
  EXPECT_FALSE(UnderlineOf(L"&Abcdefghijklmnopqrstuvwxyz", SkinTextRotated270, r, DT_END_ELLIPSIS).IsEmpty());
  EXPECT_TRUE(UnderlineOf(L"Abcdefghijklmnopqrstuvwxy&z", SkinTextRotated270, r, DT_END_ELLIPSIS).IsEmpty());
  EXPECT_FALSE(UnderlineOf(L"&Abcdefghijklmnopqrstuvwxyz", SkinTextRotated90, r, DT_END_ELLIPSIS).IsEmpty());
}

TEST(SkinText, RotatedFontsAreKeptPerFontAndOrientation) {
  ClearRotatedFontCache();
  TTextPicture t;
  TRect r{0, 0, 40, 100};
  for (int orientation : {2, 2, 2, 1}) DrawWideText(t.Canvas(), L"x", r, orientation, clNone, gldNone, 0);
  EXPECT_EQ(RotatedFontCacheCount(), 2);
  for (int size = 6; size < 30; ++size) {
    t.Canvas()->Font()->SetSize(size);
    DrawWideText(t.Canvas(), L"x", r, SkinTextRotated90, clNone, gldNone, 0);
  }
  EXPECT_EQ(RotatedFontCacheCount(), 8);
  ClearRotatedFontCache();
}

TEST(SkinText, ItalicMeasuringWidensAndEmptyRectanglesGiveZero) {
  TTextPicture t;
  t.Canvas()->Font()->SetStyle(TFontStyles{fsItalic});
  t.Canvas()->Font()->SetSize(17);
  TRect calc{0, 0, 1, 1}, raw{0, 0, 1, 1};
  DrawWideText(t.Canvas(), L"Slanted", calc, 0, clNone, gldNone, DT_CALCRECT | DT_SINGLELINE);
  t.Canvas()->DrawText(raw, L"Slanted", DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(calc.Right, raw.Right + 1 + (17 / 8) * 2);
}

TEST(SkinText, AcceleratorTabAndTrailingMarkHelpers) {
  EXPECT_EQ(RemoveAcceleratorMarks(L"&&&x &Save a&"), L"&x Save a");
  EXPECT_EQ(TextBeforeTab(L"Open\tCtrl+O"), L"Open");
  EXPECT_EQ(RemoveTrailingColonOrDots(L"Go..:"), L"Go..");
  EXPECT_EQ(RemoveTrailingColonOrDots(L"..."), L"...");
  TTextPicture t;
  TSize with, without;
  GetWideTextSize(t.Canvas()->Handle(), L"&&Wide", false, with);
  GetWideTextSize(t.Canvas()->Handle(), L"&&Wide", true, without);
  EXPECT_EQ(with.cx - without.cx, t.Canvas()->TextWidth(WideString(L"&")));
}

TEST(SkinText, CaptionLayoutPlacesImageAndCaption) {
  TTextPicture t;
  TSize text = t.Canvas()->TextExtent(WideString(L"Caption"));
  const TRect item{10, 10, 210, 50};
  const int iw = 16, ih = 16;
  struct TCase {
    TAlignment Align;
    bool GlyphTop;
    bool Pushed;
    int ImageLeft;
    int CaptionLeft;
  };
  const int centre = (item.Left + item.Right - text.cx) / 2;
  const TCase cases[] = {
      {taLeftJustify, false, false, item.Left, item.Left + iw + 4},
      {taLeftJustify, false, true, item.Left + 1, item.Left + 1 + iw + 4},
      {taRightJustify, false, false, item.Right - iw, item.Right - text.cx - iw - 4},
      {taCenter, false, false, (centre + centre + text.cx - (iw + 4 + text.cx)) / 2, centre + (iw + 4) / 2},
      {taCenter, true, false, (centre + centre + text.cx - iw) / 2, centre},
      {taLeftJustify, true, false, (item.Left + item.Left + text.cx - iw) / 2, item.Left},
  };
  for (const TCase& c : cases) {
    TRect image, caption;
    int h = CalcCaptionLayout(t.Canvas(), item, L"Caption", 0, image, caption, c.Pushed, c.GlyphTop, ih, iw,
                              DT_SINGLELINE, c.Align);
    EXPECT_EQ(h, text.cy);
    EXPECT_EQ(image.Left, c.ImageLeft) << int(c.Align) << c.GlyphTop << c.Pushed;
    EXPECT_EQ(caption.Left, c.CaptionLeft) << int(c.Align) << c.GlyphTop << c.Pushed;
    if (c.GlyphTop) {
      EXPECT_EQ(caption.Top - image.Bottom, 1);  // the vertical gap
    } else {
      EXPECT_EQ(image.Top, (caption.Top + caption.Bottom - ih) / 2);
    }
  }
  TRect image, caption;
  EXPECT_EQ(CalcCaptionLayout(t.Canvas(), item, L"", 0, image, caption, false, false, ih, iw, 0, taCenter), 0);
  EXPECT_TRUE(image.IsEmpty() && caption.IsEmpty());
}

TEST(SkinText, SkinTypeFollowsThemeAndVisualStyles) {
  struct TCase {
    const char* Theme;
    int Active;
    TSkinThemeType In, Out;
  };
  const TCase cases[] = {
      {"Default", 1, thtUi, thtWindows},        {"Default", 0, thtUi, thtNone},
      {"SkinRecorder", 0, thtUi, thtUi},        {"SkinRecorder", 1, thtWindows, thtWindows},
      {"SkinRecorder", 0, thtWindows, thtNone}, {"Default", 1, thtNone, thtNone},
  };
  for (const TCase& c : cases) {
    TSkinThemeScope scope(c.Theme);
    SetThemesActiveOverride(c.Active);
    EXPECT_EQ(GetSkinType(c.In), c.Out) << c.Theme << c.Active << int(c.In);
    SetThemesActiveOverride(-1);
  }
}

// Captions come from form and settings files: any text decodes to something, never crashes.
TEST(SkinText, FuzzedUtf8CaptionsDecodeAndDraw) {
  std::mt19937 rng(28135);
  TTextPicture t;
  const WideString seed = L"utf8=" + Widened(kPrivet + L" &Open\tCtrl+O", true);
  for (int i = 0; i < 3000; ++i) {
    WideString s = seed;
    int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) {
      size_t at = s.empty() ? 0 : rng() % s.size();
      switch (rng() % 4) {
        case 0:
          if (!s.empty()) s[at] = static_cast<wchar_t>(rng() % 0x10000);
          break;
        case 1: s.insert(at, 1, static_cast<wchar_t>(rng() % 0x100)); break;
        case 2:
          if (!s.empty()) s.erase(at, 1 + rng() % 3);
          break;
        default: s.insert(at, 1, L"&\t\xD800\xDC00"[rng() % 4]); break;
      }
    }
    WideString d = DecodeUtf8Caption(s);
    ASSERT_LE(d.size(), s.size() + 1);
    if (i % 10 == 0) {
      TRect r{0, 0, 40, 120};
      DrawWideText(t.Canvas(), s, r, static_cast<int>(rng() % 3), clRed, gldAll,
                   DT_END_ELLIPSIS | (rng() % 2 ? DT_CALCRECT : 0));
    }
  }
}

}  // namespace
