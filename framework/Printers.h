// The printer object: the installed printers, the chosen one's device context and canvas, and
// the print job (begin, new page, end, abort) over the Windows spooler.
//
// Tests and simulated devices derive from TPrinter and replace the printer list, the device
// figures or the job calls; ReplacePrinter makes such an object the one the program prints with.
#pragma once

#include <memory>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/Graphics.h"
#include "framework/Object.h"
#include "framework/Types.h"
#include "framework/Win.h"

HV_DECLARE_EXCEPTION(EPrinter, Exception);

HV_ENUM(TPrinterOrientation, poPortrait, poLandscape)

class TPrinter : public TObject {
  HV_CLASS(TPrinter, TObject)
 public:
  TPrinter();
  ~TPrinter() override;

  // The names of the installed printers (read once; Refresh reads them again).
  const std::vector<WideString>& Printers();
  int PrinterCount() { return static_cast<int>(Printers().size()); }
  // The chosen printer: -1 for the system's default one. Changing it ends the device context.
  int PrinterIndex();
  void SetPrinterIndex(int value);
  WideString PrinterName();
  // Forgets the printer list and the device context.
  void Refresh();

  // The device context of the chosen printer (made on first use with the orientation and
  // copies set here); EPrinter when there is no printer.
  virtual HDC Handle();
  // A canvas on Handle(); its font measures at the printer's resolution.
  TCanvas* Canvas();
  // A device figure of the chosen printer (GetDeviceCaps).
  virtual int DeviceCaps(int index);
  // The printable area in device pixels.
  int PageWidth() { return DeviceCaps(HORZRES); }
  int PageHeight() { return DeviceCaps(VERTRES); }

  const WideString& Title() const { return title_; }
  void SetTitle(const WideString& value) { title_ = value; }
  int Copies() const { return copies_; }
  void SetCopies(int value);  // at least 1
  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation value);

  // The job: BeginDoc starts it and its first page; NewPage ends a page and starts the next;
  // EndDoc ends the last page and the job; Abort throws the job away. Each raises EPrinter
  // when called in the wrong state or when the spooler refuses.
  void BeginDoc();
  void NewPage();
  void EndDoc();
  void Abort();
  bool Printing() const { return printing_; }
  bool Aborted() const { return aborted_; }
  // 1-based number of the page being printed.
  int PageNumber() const { return pageNumber_; }

 protected:
  // The installed printers' names; the default system lists them through the spooler.
  virtual std::vector<WideString> EnumeratePrinters();
  void FreeHandle();
  // The spooler's side of the job; false when it refused. EndJob ends the last page first.
  virtual bool StartJob(const WideString& Title);
  virtual bool StartSheet();
  virtual bool EndSheet();
  virtual bool EndJob();
  virtual void AbortJob();

 private:
  void CheckPrinting(bool value);

  std::vector<WideString> printers_;
  bool printersRead_ = false;
  int printerIndex_ = -1;
  HDC dc_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
  WideString title_;
  int copies_ = 1;
  TPrinterOrientation orientation_ = poPortrait;
  bool printing_ = false;
  bool aborted_ = false;
  int pageNumber_ = 0;
};

// The printer the program prints with (made on first use), and the swap for another one (not
// owned; null goes back to the program's own). Returns the previous one.
TPrinter* Printer();
TPrinter* ReplacePrinter(TPrinter* value);
