// A printer for the printing tests: a memory page instead of the spooler, device figures of
// choice, and a log of the job's calls ("B:title", "N", "E", "A").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/CodePages.h"
#include "framework/Printers.h"
#include "tests/framework/GraphicsTestSupport.h"

struct TFakeMetrics {
  int PhysW = 827, PhysH = 1169;  // A4 at 100 DPI
  int PageW = 800, PageH = 1130;
  int OffX = 14, OffY = 20;
  int Dpi = 100;
};

class TFakePrinter : public TPrinter {
 public:
  explicit TFakePrinter(int PrinterCount = 1, TFakeMetrics M = {}) : count_(PrinterCount), m_(M) {}
  ~TFakePrinter() override { FreeHandle(); }

  HDC Handle() override { return Surface().DC(); }
  int DeviceCaps(int index) override {
    const std::pair<int, int> caps[] = {
        {PHYSICALWIDTH, m_.PhysW},  {PHYSICALHEIGHT, m_.PhysH}, {HORZRES, m_.PageW},  {VERTRES, m_.PageH},
        {PHYSICALOFFSETX, m_.OffX}, {PHYSICALOFFSETY, m_.OffY}, {LOGPIXELSX, m_.Dpi}, {LOGPIXELSY, m_.Dpi}};
    for (const auto& [cap, value] : caps)
      if (cap == index) return value;
    return 0;
  }
  TTestPicture& Surface() {
    if (!surface_) surface_ = std::make_unique<TTestPicture>(m_.PageW, m_.PageH);
    return *surface_;
  }

  std::vector<std::string> Log;
  bool FailNewPage = false;

 protected:
  std::vector<WideString> EnumeratePrinters() override { return std::vector<WideString>(count_, L"Fake"); }
  bool StartJob(const WideString& Title) override { return Log.push_back("B:" + WideToAnsi(Title)), true; }
  bool StartSheet() override { return true; }
  bool EndSheet() override {
    if (!FailNewPage) Log.push_back("N");
    return !FailNewPage;
  }
  bool EndJob() override { return Log.push_back("E"), true; }
  void AbortJob() override { Log.push_back("A"); }

 private:
  size_t count_;
  TFakeMetrics m_;
  std::unique_ptr<TTestPicture> surface_;
};
