// The range values the editor keeps per line once a highlighter is attached: a scheme without
// nested ranges lets the editor fill them without scanning, and they must still be exactly what
// a scan of the text gives, for schemes with comments carried over lines as well.
#include <gtest/gtest.h>

#include "highlighting/TxtXmlBundledSchemes.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/highlighting/HighlightTestSupport.h"

namespace {

// The kept ranges against a plain scan of the editor's lines.
void ExpectScannedRanges(TTxtEdit& Edit, TTxtCustomHighlighter& H, const char* What) {
  TTxtEditStringList& lines = *Edit.Lines();
  H.ResetRange();
  for (int i = 0; i < lines.Count(); ++i) {
    H.SetLine(lines.Strings(i), i);
    H.NextToEol();
    EXPECT_EQ(lines.GetRange(i), H.GetRange()) << What << ", line " << i + 1;
  }
}

}  // namespace

TEST(HighlighterRanges, EveryLineHoldsTheScannedRange) {
  TEditorHost host(300, 100);
  TTxtEdit& edit = host.Edit();
  auto* h = new TTxtXmlHighlighter(&host.Form());
  edit.SetTextA("int x = 7; /* note\r\nstill */ s = 1;\r\n[section]\r\n\r\nwhile (x) // c");
  edit.SetHighlighter(h);  // empty, as plain text gets
  EXPECT_TRUE(h->RangeNeverChanges());
  ExpectScannedRanges(edit, *h, "empty");
  // A scheme arriving after the text was filled as plain: the comment stays open after line 1.
  LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), h, BundledSchemeText(L"CLIKE"));
  EXPECT_FALSE(h->RangeNeverChanges());
  h->ResetRange();
  EXPECT_NE(edit.Lines()->GetRange(0), h->GetRange());
  ExpectScannedRanges(edit, *h, "CLIKE");
  LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), h, BundledSchemeText(L"INI"));
  ExpectScannedRanges(edit, *h, "INI");
  h->Clear();
  ExpectScannedRanges(edit, *h, "emptied");
}
