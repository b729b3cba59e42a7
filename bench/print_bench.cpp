// Print layout of a 50,000-line text against a 100-line one: the page count with and without
// wrapping and line numbers (per line, the cost should not grow with the text), and rendering
// one page on a 600 DPI memory canvas (the cost should be the page's, not the text's).
#include <cstdio>
#include <memory>

#include "bench/BenchSupport.h"
#include "editor/TxtEditPrint.h"
#include "framework/Printers.h"

namespace {
// A 600 DPI A4 printer whose page is a monochrome memory bitmap.
class TMemoryPrinter : public TPrinter {
 public:
  TMemoryPrinter() : dc_(CreateCompatibleDC(nullptr)), bitmap_(CreateBitmap(4961, 7016, 1, 1, nullptr)) {
    old_ = SelectObject(dc_, bitmap_);
  }
  ~TMemoryPrinter() override {
    FreeHandle();
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Handle() override { return dc_; }
  int DeviceCaps(int index) override {
    switch (index) {
      case PHYSICALWIDTH: return 4961;
      case PHYSICALHEIGHT: return 7016;
      case HORZRES: return 4800;
      case VERTRES: return 6800;
      case PHYSICALOFFSETX: return 80;
      case PHYSICALOFFSETY: return 100;
      case LOGPIXELSX:
      case LOGPIXELSY: return 600;
      default: return 0;
    }
  }

 protected:
  std::vector<WideString> EnumeratePrinters() override { return {L"Memory"}; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

struct TFigures {
  double count, render;
  int pages;
};

TFigures Measure(TMemoryPrinter& printer, int lines, bool wrap, bool numbers) {
  TTxtEditPrint print(nullptr);
  print.SetPrinterObject(&printer);
  TFont font;
  font.SetName(L"Courier New");
  font.SetSize(10);
  print.SetFont(&font);
  TStringList list;
  list.SetText(MakeText(lines, false));
  print.SetLines(&list);
  print.SetWrap(wrap);
  print.SetLineNumbers(numbers);
  // Long lines, so that wrapping has work to do.
  print.Margins()->SetRight(90);
  const int runs = 7;
  TFigures f{};
  f.count = Median(
      runs, [&] { print.SetFont(&font); }, [&] { f.pages = print.PageCount(); });
  TCanvas* canvas = printer.Canvas();
  print.LayoutOnCanvas(canvas);
  const int page = (print.PageCount() + 1) / 2;
  f.render = Median(
      runs, [] {}, [&] { print.PrintToCanvas(canvas, page); });
  return f;
}
}  // namespace

int wmain() {
  TMemoryPrinter printer;
  std::printf("%-28s %10s %10s %12s %10s %10s %12s\n", "case", "small ms", "large ms", "per-line x", "page ms",
              "page ms", "page x");
  const struct {
    const char* name;
    bool wrap, numbers;
  } cases[] = {{"no wrap", false, false}, {"wrap", true, false}, {"wrap + line numbers", true, true}};
  for (const auto& c : cases) {
    const TFigures small = Measure(printer, 100, c.wrap, c.numbers);
    const TFigures large = Measure(printer, 50000, c.wrap, c.numbers);
    const double perLine = (large.count / 50000) / std::max(1e-9, small.count / 100);
    std::printf("%-28s %10.3f %10.3f %12.2f %10.3f %10.3f %12.2f   (%d / %d pages)\n", c.name, small.count, large.count,
                perLine, small.render, large.render, large.render / std::max(1e-9, small.render), small.pages,
                large.pages);
  }
  std::printf("goal: per-line ratio near 1 (linear pagination), page ratio below 2\n");
  return 0;
}
