// A real print job to the CUPS "PDF" printer, read back with the poppler tools: the text, the
// page count, the header and footer, and the margins on the page image. Skipped where that
// printer is not installed (the test script sets it up).
#include <gtest/gtest.h>

#include "editor/TxtEditPrint.h"
#include "framework/CodePages.h"
#include "framework/Printers.h"
#include "tests/common/PdfFiles.h"

namespace {

TEST(PrintToPdf, TextBandsPagesAndMarginsReadBack) {
  TPrinter printer;
  const auto& names = printer.Printers();
  const auto found = std::find(names.begin(), names.end(), L"PDF");
  wchar_t dir[1024] = {};
  if (found == names.end() || !GetEnvironmentVariableW(L"VERDAN_PDF_DIR", dir, 1024))
    GTEST_SKIP() << "the CUPS PDF printer is not set up";
  printer.SetPrinterIndex(static_cast<int>(found - names.begin()));

  const std::string title = "VerdanPrintTest" + std::to_string(GetTickCount());
  TTxtEditPrint print(nullptr);
  print.SetPrinterObject(&printer);
  print.Font()->SetName(L"Courier New");
  print.SetTitle(title);
  print.Header()->Add("Header $PAGENUM$ of $PAGECOUNT$", nullptr, taLeftJustify, 1);
  print.Footer()->Add("Footer $TITLE$", nullptr, taRightJustify, 1);
  TStringList lines;
  for (int i = 1; i <= 90; ++i) lines.Add("Line number " + std::to_string(i) + " of the printed text");
  print.SetLines(&lines);
  print.Print();
  const int pages = print.PageCount();
  ASSERT_TRUE(pages >= 2 && !printer.Printing());

  const std::wstring pdf = WaitForPdf(dir, AnsiToWide(title));
  ASSERT_FALSE(pdf.empty()) << "no PDF appeared";
  ASSERT_TRUE(RunUnix(L"pdftotext -layout '" + pdf + L"' '" + pdf + L".txt'", pdf + L".done"));
  const std::string text = ReadUnixFile(pdf + L".txt");
  for (const std::string& expected :
       {std::string("Line number 1 of the printed text"), std::string("Line number 90 of the printed text"),
        "Header 1 of " + std::to_string(pages), "Header 2 of " + std::to_string(pages), "Footer " + title})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text.substr(0, 300);
  // pdftotext ends every page with a form feed.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), pages);

  // The first page as a 50 DPI grey image: nothing left of the 25 mm margin or above the
  // header band, and text right of the margin.
  ASSERT_TRUE(RunUnix(L"pdftoppm -r 50 -f 1 -l 1 -gray -singlefile '" + pdf + L"' '" + pdf + L"'", pdf + L".done"));
  std::istringstream pgm(ReadUnixFile(pdf + L".pgm"));
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  pgm >> magic >> width >> height >> maxValue;
  pgm.get();
  std::string pixels(static_cast<size_t>(std::max(0, width * height)), '\0');
  pgm.read(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  ASSERT_TRUE(magic == "P5" && pgm.gcount() == static_cast<std::streamsize>(pixels.size()) && width > 0);
  auto dark = [&](int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < std::min(height, bottom); ++y)
      for (int x = left; x < std::min(width, right); ++x)
        n += static_cast<unsigned char>(pixels[static_cast<size_t>(y * width + x)]) < 128;
    return n;
  };
  const int margin = 25 * 50 * 10 / 254;
  EXPECT_NEAR(width, 210 * 50 * 10 / 254, 3);
  EXPECT_EQ(dark(0, 0, margin - 3, height), 0);
  EXPECT_EQ(dark(0, 0, width, 5 * 50 * 10 / 254), 0);
  EXPECT_GT(dark(margin, margin, margin + 20, height / 2), 0);
  for (const wchar_t* suffix : {L".txt", L".pgm", L""}) DeleteFileW(DosPath(pdf + suffix).c_str());
}

}  // namespace
