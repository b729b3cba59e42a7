// The printer object over the Windows spooler.
#include "framework/Printers.h"

#include <winspool.h>

HV_PUBLISH(TPrinter) {}

namespace {
std::unique_ptr<TPrinter>& OwnPrinter() {
  static std::unique_ptr<TPrinter> printer;
  return printer;
}
TPrinter* injected = nullptr;

WideString DefaultPrinterName() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return {};
  std::vector<wchar_t> buffer(size);
  if (!GetDefaultPrinterW(buffer.data(), &size)) return {};
  return WideString(buffer.data());
}

// The printer's settings with our orientation and copies merged in; empty when the driver has
// none to give.
std::vector<BYTE> DeviceMode(const WideString& name, TPrinterOrientation orientation, int copies) {
  HANDLE printer = nullptr;
  if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr)) return {};
  std::vector<BYTE> mode;
  const LONG size = DocumentPropertiesW(nullptr, printer, const_cast<wchar_t*>(name.c_str()), nullptr, nullptr, 0);
  if (size > 0) {
    mode.resize(static_cast<size_t>(size));
    auto* dm = reinterpret_cast<DEVMODEW*>(mode.data());
    if (DocumentPropertiesW(nullptr, printer, const_cast<wchar_t*>(name.c_str()), dm, nullptr, DM_OUT_BUFFER) < 0) {
      mode.clear();
    } else {
      dm->dmFields |= DM_ORIENTATION | DM_COPIES;
      dm->dmOrientation = orientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
      dm->dmCopies = static_cast<short>(copies);
    }
  }
  ClosePrinter(printer);
  return mode;
}
}  // namespace

TPrinter* Printer() {
  if (injected) return injected;
  auto& own = OwnPrinter();
  if (!own) own = std::make_unique<TPrinter>();
  return own.get();
}

TPrinter* ReplacePrinter(TPrinter* value) {
  TPrinter* previous = Printer();
  injected = value;
  return previous;
}

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
  if (printing_ && dc_) AbortDoc(dc_);
  FreeHandle();
}

std::vector<WideString> TPrinter::EnumeratePrinters() {
  std::vector<WideString> names;
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0, count = 0;
  EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return names;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) return names;
  const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (info[i].pPrinterName) names.emplace_back(info[i].pPrinterName);
  return names;
}

const std::vector<WideString>& TPrinter::Printers() {
  if (!printersRead_) {
    printers_ = EnumeratePrinters();
    printersRead_ = true;
  }
  return printers_;
}

int TPrinter::PrinterIndex() {
  if (printerIndex_ >= 0) return printerIndex_;
  const WideString name = DefaultPrinterName();
  const auto& list = Printers();
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == name) return static_cast<int>(i);
  return list.empty() ? -1 : 0;
}

void TPrinter::SetPrinterIndex(int value) {
  CheckPrinting(false);
  if (value < -1 || value >= PrinterCount()) throw EPrinter("Printer index out of range");
  if (value == printerIndex_) return;
  FreeHandle();
  printerIndex_ = value;
}

WideString TPrinter::PrinterName() {
  const int index = PrinterIndex();
  return index < 0 ? WideString() : Printers()[static_cast<size_t>(index)];
}

void TPrinter::Refresh() {
  CheckPrinting(false);
  FreeHandle();
  printersRead_ = false;
  printers_.clear();
  printerIndex_ = -1;
}

void TPrinter::SetCopies(int value) {
  value = std::max(1, value);
  if (value == copies_) return;
  CheckPrinting(false);
  copies_ = value;
  FreeHandle();
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
  if (value == orientation_) return;
  CheckPrinting(false);
  orientation_ = value;
  FreeHandle();
}

void TPrinter::FreeHandle() {
  if (canvas_) canvas_->SetHandle(nullptr);
  if (dc_) DeleteDC(dc_);
  dc_ = nullptr;
}

HDC TPrinter::Handle() {
  if (dc_) return dc_;
  const WideString name = PrinterName();
  if (name.empty()) throw EPrinter("There is no default printer currently selected");
  std::vector<BYTE> mode = DeviceMode(name, orientation_, copies_);
  dc_ = CreateDCW(L"WINSPOOL", name.c_str(), nullptr,
                  mode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(mode.data()));
  if (!dc_) throw EPrinter("Printer selected is not valid");
  return dc_;
}

int TPrinter::DeviceCaps(int index) { return GetDeviceCaps(Handle(), index); }

TCanvas* TPrinter::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>();
  HDC dc = Handle();
  if (!canvas_->HandleAllocated()) {
    canvas_->SetHandle(dc);
    TFont* font = canvas_->Font();
    const int size = font->Size();
    font->SetPixelsPerInch(DeviceCaps(LOGPIXELSY));
    font->SetSize(size);
  }
  return canvas_.get();
}

void TPrinter::CheckPrinting(bool value) {
  if (printing_ == value) return;
  throw EPrinter(value ? "Printer is not currently printing" : "Printing in progress");
}

bool TPrinter::StartJob(const WideString& Title) {
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = Title.c_str();
  return StartDocW(Handle(), &info) > 0;
}

bool TPrinter::StartSheet() { return ::StartPage(Handle()) > 0; }
bool TPrinter::EndSheet() { return ::EndPage(Handle()) > 0; }

bool TPrinter::EndJob() {
  const bool pageEnded = ::EndPage(Handle()) > 0;
  const bool docEnded = ::EndDoc(Handle()) > 0;
  // A fresh context for the next job: the spooler's one is spent.
  FreeHandle();
  return pageEnded && docEnded;
}

void TPrinter::AbortJob() {
  ::AbortDoc(Handle());
  FreeHandle();
}

void TPrinter::BeginDoc() {
  CheckPrinting(false);
  Canvas();
  if (!StartJob(title_)) throw EPrinter("The print job could not be started");
  printing_ = true;
  aborted_ = false;
  pageNumber_ = 1;
  if (!StartSheet()) {
    AbortJob();
    printing_ = false;
    throw EPrinter("The printer refused a new page");
  }
  Canvas()->Refresh();
}

void TPrinter::NewPage() {
  CheckPrinting(true);
  if (!EndSheet() || !StartSheet()) throw EPrinter("The printer refused a new page");
  ++pageNumber_;
  Canvas()->Refresh();
}

void TPrinter::EndDoc() {
  CheckPrinting(true);
  printing_ = false;
  pageNumber_ = 0;
  if (!EndJob()) throw EPrinter("The print job could not be finished");
}

void TPrinter::Abort() {
  CheckPrinting(true);
  printing_ = false;
  aborted_ = true;
  pageNumber_ = 0;
  AbortJob();
}
