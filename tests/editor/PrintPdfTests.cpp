// A real print job to the CUPS "PDF" printer, read back with the poppler tools: the text, the
// page count, the header and footer, and the margins on the page image. Skipped where that
// printer is not installed (the test script sets it up).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "editor/TxtEditPrint.h"
#include "framework/CodePages.h"
#include "framework/Printers.h"

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[1024];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

// A Unix path as this process sees it.
std::wstring DosPath(const std::wstring& unixPath) {
  std::wstring p = L"Z:" + unixPath;
  for (wchar_t& c : p)
    if (c == L'/') c = L'\\';
  return p;
}

// Runs a Unix shell command and waits until it is done. Wine starts Unix programs without a
// process to wait for, so the command ends by creating `done`, which is polled for.
bool RunUnix(const std::wstring& command, const std::wstring& done) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"/bin/sh -c \"" + command + L" >/dev/null 2>&1; touch '" + done + L"'\"";
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::wstring dos = L"Z:" + done;
  for (wchar_t& c : dos)
    if (c == L'/') c = L'\\';
  for (int i = 0; i < 300; ++i) {
    if (GetFileAttributesW(dos.c_str()) != INVALID_FILE_ATTRIBUTES) {
      DeleteFileW(dos.c_str());
      return true;
    }
    Sleep(50);
  }
  return false;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The file of the job: its name holds the job title; ready once its size stops changing.
std::wstring WaitForPdf(const std::wstring& dir, const std::wstring& title) {
  const std::wstring pattern = DosPath(dir) + L"\\*" + title + L"*.pdf";
  long long lastSize = -1;
  for (int i = 0; i < 300; ++i) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      FindClose(find);
      const long long size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      if (size > 0 && size == lastSize) return dir + L"/" + data.cFileName;
      lastSize = size;
    }
    Sleep(100);
  }
  return {};
}

struct TGrayImage {
  int Width = 0, Height = 0;
  std::string Pixels;
  bool Read(const std::string& pgm) {
    std::istringstream in(pgm);
    std::string magic;
    int maxValue = 0;
    in >> magic >> Width >> Height >> maxValue;
    in.get();
    if (magic != "P5" || Width <= 0 || Height <= 0) return false;
    Pixels.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
    in.read(Pixels.data(), static_cast<std::streamsize>(Pixels.size()));
    return in.gcount() == static_cast<std::streamsize>(Pixels.size());
  }
  int Dark(int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = std::max(0, top); y < std::min(Height, bottom); ++y)
      for (int x = std::max(0, left); x < std::min(Width, right); ++x)
        if (static_cast<unsigned char>(Pixels[static_cast<size_t>(y * Width + x)]) < 128) ++n;
    return n;
  }
};

TEST(PrintToPdf, TextBandsPagesAndMarginsReadBack) {
  TPrinter printer;
  int index = -1;
  for (size_t i = 0; i < printer.Printers().size(); ++i)
    if (printer.Printers()[i] == L"PDF") index = static_cast<int>(i);
  const std::wstring dir = Env(L"VERDAN_PDF_DIR");
  if (index < 0 || dir.empty()) GTEST_SKIP() << "the CUPS PDF printer is not set up";
  printer.SetPrinterIndex(index);

  const std::string title = "VerdanPrintTest" + std::to_string(GetTickCount());
  TTxtEditPrint print(nullptr);
  print.SetPrinterObject(&printer);
  TFont font;
  font.SetName(L"Courier New");
  font.SetSize(10);
  print.SetFont(&font);
  print.SetTitle(title);
  print.Header()->Add("Header $PAGENUM$ of $PAGECOUNT$", nullptr, taLeftJustify, 1);
  print.Footer()->Add("Footer $TITLE$", nullptr, taRightJustify, 1);
  TStringList lines;
  for (int i = 1; i <= 90; ++i) lines.Add("Line number " + std::to_string(i) + " of the printed text");
  print.SetLines(&lines);
  print.Print();
  EXPECT_FALSE(printer.Printing());
  const int pages = print.PageCount();
  ASSERT_GE(pages, 2);

  const std::wstring pdf = WaitForPdf(dir, AnsiToWide(title));
  ASSERT_FALSE(pdf.empty()) << "no PDF appeared";
  const std::wstring txt = pdf + L".txt";
  ASSERT_TRUE(RunUnix(L"pdftotext -layout '" + pdf + L"' '" + txt + L"'", pdf + L".done"));
  const std::string text = ReadFile(DosPath(txt));
  EXPECT_NE(text.find("Line number 1 of the printed text"), std::string::npos) << text.substr(0, 400);
  EXPECT_NE(text.find("Line number 90 of the printed text"), std::string::npos);
  EXPECT_NE(text.find("Header 1 of " + std::to_string(pages)), std::string::npos);
  EXPECT_NE(text.find("Header 2 of " + std::to_string(pages)), std::string::npos);
  EXPECT_NE(text.find("Footer " + title), std::string::npos);
  // pdftotext ends every page with a form feed.
  EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\f')), pages);

  // The first page at 50 DPI: nothing left of the left margin (25 mm) or above the header
  // band, and text right of the margin.
  const std::wstring image = pdf + L".page";
  ASSERT_TRUE(RunUnix(L"pdftoppm -r 50 -f 1 -l 1 -gray -singlefile '" + pdf + L"' '" + image + L"'", pdf + L".done"));
  TGrayImage page;
  ASSERT_TRUE(page.Read(ReadFile(DosPath(image + L".pgm"))));
  const double pxPerMm = 50 / 25.4;
  const int margin = static_cast<int>(25 * pxPerMm);
  EXPECT_NEAR(page.Width, static_cast<int>(210 * pxPerMm), 3);
  EXPECT_EQ(page.Dark(0, 0, margin - 3, page.Height), 0);
  EXPECT_EQ(page.Dark(0, 0, page.Width, static_cast<int>(5 * pxPerMm)), 0);
  EXPECT_GT(page.Dark(margin, static_cast<int>(25 * pxPerMm), margin + 20, page.Height / 2), 0);
  DeleteFileW(DosPath(txt).c_str());
  DeleteFileW(DosPath(image + L".pgm").c_str());
  DeleteFileW(DosPath(pdf).c_str());
}

}  // namespace
