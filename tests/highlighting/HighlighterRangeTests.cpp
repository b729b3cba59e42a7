// The ranges an attached highlighter leaves on the editor's lines are those a scan of the text
// gives, whether the editor scanned or, for a scheme without ranges over lines, filled them.
#include <gtest/gtest.h>

#include "framework/CodePages.h"
#include "highlighting/TxtXmlBundledSchemes.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/highlighting/HighlightTestSupport.h"

TEST(HighlighterRanges, EveryLineHoldsTheScannedRange) {
  TEditorHost host(300, 100);
  auto* h = new TTxtXmlHighlighter(&host.Form());
  host.Edit().SetTextA("int x; /* note\r\nstill */ s = 1;\r\n[section]\r\n\r\nx // c");
  TTxtEditStringList& lines = *host.Edit().Lines();
  // Empty as plain text gets it, then schemes loaded into it once attached, then emptied.
  for (const wchar_t* scheme : {L"", L"CLIKE", L"INI", L""}) {
    if (*scheme)
      LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), h, BundledSchemeText(scheme));
    else
      h->Clear();
    host.Edit().SetHighlighter(h);
    h->ResetRange();
    for (int i = 0; i < lines.Count(); ++i) {
      h->SetLine(lines.Strings(i), i);
      h->NextToEol();
      EXPECT_EQ(lines.GetRange(i), h->GetRange()) << scheme << ", line " << i + 1;
    }
  }
}

// Identifier characters do not change with the first scan: a wrapped editor breaks its rows by
// them before anything was painted.
TEST(HighlighterRanges, IdentifierCharactersAreTheSameBeforeTheFirstScan) {
  for (const wchar_t* scheme : {L"", L"CLIKE", L"INI"}) {
    TTxtXmlHighlighter h(nullptr);
    if (*scheme) LoadText(TTxtXmlFormatNativeXmlAuto::Instance(), &h, BundledSchemeText(scheme));
    const TTxtCharSet before = h.GetIdentChars();
    for (unsigned char c : {' ', '\t', '\0', '\r', '\n'}) EXPECT_FALSE(before.Contains(c)) << int(c);
    Scan(h, "word another");
    EXPECT_TRUE(h.GetIdentChars() == before) << WideToUtf8(scheme);
  }
}
