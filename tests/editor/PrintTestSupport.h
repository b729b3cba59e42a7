// A printer for the printing tests: a memory page instead of the spooler, device figures of
// choice, and a log of the job's calls ("B:title", "N", "E", "A").
#pragma once

#include <memory>
#include <string>
#include <vector>

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

  HDC Handle() override {
    if (!surface_) surface_ = std::make_unique<TTestSurface>(m_.PageW, m_.PageH);
    return surface_->DC();
  }
  int DeviceCaps(int index) override {
    switch (index) {
      case PHYSICALWIDTH: return m_.PhysW;
      case PHYSICALHEIGHT: return m_.PhysH;
      case HORZRES: return m_.PageW;
      case VERTRES: return m_.PageH;
      case PHYSICALOFFSETX: return m_.OffX;
      case PHYSICALOFFSETY: return m_.OffY;
      case LOGPIXELSX:
      case LOGPIXELSY: return m_.Dpi;
      default: return 0;
    }
  }
  TTestSurface& Surface() {
    Handle();
    return *surface_;
  }

  std::vector<std::string> Log;
  bool FailNewPage = false;

 protected:
  std::vector<WideString> EnumeratePrinters() override {
    return std::vector<WideString>(static_cast<size_t>(count_), L"Fake");
  }
  bool StartJob(const WideString& Title) override {
    Log.push_back("B:" + std::string(Title.begin(), Title.end()));
    return true;
  }
  bool StartSheet() override {
    Surface().Fill(0xFFFFFF);
    return true;
  }
  bool EndSheet() override {
    if (FailNewPage) return false;
    Log.push_back("N");
    return true;
  }
  bool EndJob() override {
    Log.push_back("E");
    return true;
  }
  void AbortJob() override { Log.push_back("A"); }

 private:
  int count_;
  TFakeMetrics m_;
  std::unique_ptr<TTestSurface> surface_;
};
