// The editor control painted with the bundled C-like scheme, checked by pixels under Xvfb:
// keywords, strings and comments in the scheme's colours, a comment carried to the next line,
// and a new scheme loaded into an attached highlighter shown at once.
#include <gtest/gtest.h>

#include "highlighting/TxtXmlBundledSchemes.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/highlighting/HighlightTestSupport.h"

TEST(HighlighterPaint, TheEditorShowsTheSchemesColours) {
  TEditorHost host(500, 200);
  TTxtEdit& edit = host.Edit();
  auto* h = new TTxtXmlHighlighter(&host.Form());
  LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), h, BundledSchemeText(L"CLIKE"));
  edit.SetTextA("int x = 7; /* note\r\nstill */ s = \"text\";\r\nwhile (x) // c");
  edit.SetHighlighter(h);
  auto shot = host.Capture();
  const uint32_t navy = RGBOf(clNavy), green = RGBOf(clGreen), maroon = RGBOf(clMaroon);
  for (int col = 1; col <= 3; ++col) EXPECT_GT(CountIn(*shot, host.Cell(col, 1), navy), 0) << col;
  EXPECT_EQ(CountIn(*shot, host.Cell(5, 1), navy), 0);
  EXPECT_GT(CountIn(*shot, host.Cell(15, 1), green), 0);
  EXPECT_GT(CountIn(*shot, host.Cell(2, 2), green), 0);
  EXPECT_EQ(CountIn(*shot, host.Cell(10, 2), green), 0);
  for (int col = 15; col <= 18; ++col) EXPECT_GT(CountIn(*shot, host.Cell(col, 2), maroon), 0) << col;
  EXPECT_GT(CountIn(*shot, host.Cell(1, 3), navy), 0);
  EXPECT_GT(CountIn(*shot, host.Cell(14, 3), green), 0);

  // Loading another scheme tells the editor, which rescans and repaints.
  LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), h, BundledSchemeText(L"INI"));
  shot = host.Capture();
  EXPECT_EQ(CountIn(*shot, host.Cell(1, 1), navy), 0);
  EXPECT_EQ(CountIn(*shot, host.Cell(2, 2), green), 0);
}
