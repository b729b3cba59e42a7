// The common dialogs of the system (comdlg32): open and save a file, choose a colour or a
// font, print and page setup. Execute shows the dialog modally and gives true when the user
// confirmed it; OnShow runs once the dialog window exists (Handle), OnClose after it went.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "framework/Component.h"
#include "framework/Graphics.h"
#include "framework/StringLists.h"

class TCommonDialog : public TComponent {
  HV_CLASS(TCommonDialog, TComponent)
 public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

  virtual bool Execute() = 0;
  // The dialog window while it shows, else null.
  HWND Handle() const { return handle_; }
  // The help context of the dialog.
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value) { helpContext_ = Value; }

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

  // Called by the dialog's hook once the dialog window exists: Handle is set, OnShow runs.
  void Shown(HWND Dialog);
  // The later messages of the hook window (for Explorer-style file dialogs the child window of
  // the real dialog, which holds a custom template's controls); true when handled.
  virtual bool HookMessage(HWND, UINT, WPARAM, LPARAM) { return false; }

 protected:
  // The window that owns the dialog: the active window of the program, else the application's.
  static HWND OwnerWindow();
  // Runs a system dialog call with Handle cleared afterwards and OnClose fired.
  bool Run(const std::function<bool()>& Call);
  virtual void DoShow();
  virtual void DoClose();

 private:
  HWND handle_ = nullptr;
  int helpContext_ = 0;
};

HV_ENUM(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
        ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware,
        ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog,
        ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden)
using TOpenOptions = TSet<TOpenOption>;

struct tagOFNW;

class TOpenDialog : public TCommonDialog {
  HV_CLASS(TOpenDialog, TCommonDialog)
 public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;

  bool Execute() override;

  const WideString& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const WideString& Value) { defaultExt_ = Value; }
  const WideString& FileName() const { return fileName_; }
  void SetFileName(const WideString& Value) { fileName_ = Value; }
  // Every file chosen (one unless ofAllowMultiSelect).
  TStringsW* Files() const { return files_.get(); }
  // "Description|pattern|Description|pattern".
  const WideString& Filter() const { return filter_; }
  void SetFilter(const WideString& Value) { filter_ = Value; }
  // 1-based.
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int Value) { filterIndex_ = Value; }
  const WideString& InitialDir() const { return initialDir_; }
  void SetInitialDir(const WideString& Value) { initialDir_ = Value; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions Value) { options_ = Value; }
  const WideString& Title() const { return title_; }
  void SetTitle(const WideString& Value) { title_ = Value; }

  // The filter in the system's form: pairs of zero-ended texts, a second zero at the end.
  static WideString SystemFilter(const WideString& Filter);
  // The files of a dialog's answer of Size characters. FileOffset is the dialog's offset of the
  // (first) name, or 0 where only one file may be chosen: a zero before it means a folder
  // followed by names, otherwise the answer is the one full name up to its first zero (the
  // buffer past it may still hold the tail of a longer name it was given).
  static void ParseFileNames(const wchar_t* Buffer, size_t Size, size_t FileOffset, TStringsW* Files);

 protected:
  bool DoExecute(bool Save);
  // Lets a derived dialog add to the system's structure (a child template) before it shows.
  virtual void PrepareOpenFileName(tagOFNW&) {}

 private:
  WideString defaultExt_, fileName_, filter_, initialDir_, title_;
  int filterIndex_ = 1;
  TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
  std::unique_ptr<TStringListW> files_;
};

class TSaveDialog : public TOpenDialog {
  HV_CLASS(TSaveDialog, TOpenDialog)
 public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}
  bool Execute() override;
};

HV_ENUM(TColorDialogOption, cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor)
using TColorDialogOptions = TSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
  HV_CLASS(TColorDialog, TCommonDialog)
 public:
  explicit TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner) { customColors_.fill(0xFFFFFF); }
  bool Execute() override;

  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }
  TColorDialogOptions Options() const { return options_; }
  void SetOptions(TColorDialogOptions Value) { options_ = Value; }
  // The 16 custom colours of the dialog.
  std::array<COLORREF, 16>& CustomColors() { return customColors_; }

 private:
  TColor color_ = clBlack;
  TColorDialogOptions options_;
  std::array<COLORREF, 16> customColors_;
};

HV_ENUM(TFontDialogOption, fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel,
        fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp, fdWysiwyg, fdLimitSize,
        fdScalableOnly)
using TFontDialogOptions = TSet<TFontDialogOption>;

class TFontDialog : public TCommonDialog {
  HV_CLASS(TFontDialog, TCommonDialog)
 public:
  explicit TFontDialog(TComponent* AOwner);
  ~TFontDialog() override;
  bool Execute() override;

  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  TFontDialogOptions Options() const { return options_; }
  void SetOptions(TFontDialogOptions Value) { options_ = Value; }
  int MinFontSize() const { return minFontSize_; }
  void SetMinFontSize(int Value) { minFontSize_ = Value; }
  int MaxFontSize() const { return maxFontSize_; }
  void SetMaxFontSize(int Value) { maxFontSize_ = Value; }

 private:
  std::unique_ptr<TFont> font_;
  TFontDialogOptions options_{fdEffects};
  int minFontSize_ = 0, maxFontSize_ = 0;
};

HV_ENUM(TPrintRange, prAllPages, prSelection, prPageNums)
HV_ENUM(TPrintDialogOption, poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile)
using TPrintDialogOptions = TSet<TPrintDialogOption>;

class TPrintDialog : public TCommonDialog {
  HV_CLASS(TPrintDialog, TCommonDialog)
 public:
  explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;

  int Copies() const { return copies_; }
  void SetCopies(int Value) { copies_ = Value; }
  int FromPage() const { return fromPage_; }
  void SetFromPage(int Value) { fromPage_ = Value; }
  int ToPage() const { return toPage_; }
  void SetToPage(int Value) { toPage_ = Value; }
  int MinPage() const { return minPage_; }
  void SetMinPage(int Value) { minPage_ = Value; }
  int MaxPage() const { return maxPage_; }
  void SetMaxPage(int Value) { maxPage_ = Value; }
  TPrintRange PrintRange() const { return printRange_; }
  void SetPrintRange(TPrintRange Value) { printRange_ = Value; }
  TPrintDialogOptions Options() const { return options_; }
  void SetOptions(TPrintDialogOptions Value) { options_ = Value; }
  bool PrintToFile() const { return printToFile_; }
  // The printer device chosen (after a confirmed dialog).
  const WideString& DeviceName() const { return deviceName_; }

 private:
  int copies_ = 1, fromPage_ = 0, toPage_ = 0, minPage_ = 0, maxPage_ = 0;
  TPrintRange printRange_ = prAllPages;
  TPrintDialogOptions options_;
  bool printToFile_ = false;
  WideString deviceName_;
};

HV_ENUM(TPageMeasureUnits, pmDefault, pmMillimeters, pmInches)

class TPageSetupDialog : public TCommonDialog {
  HV_CLASS(TPageSetupDialog, TCommonDialog)
 public:
  explicit TPageSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;

  // Margins in hundredths of a millimetre or thousandths of an inch, as Units says.
  int MarginLeft() const { return margins_.left; }
  void SetMarginLeft(int Value) { margins_.left = Value; }
  int MarginTop() const { return margins_.top; }
  void SetMarginTop(int Value) { margins_.top = Value; }
  int MarginRight() const { return margins_.right; }
  void SetMarginRight(int Value) { margins_.right = Value; }
  int MarginBottom() const { return margins_.bottom; }
  void SetMarginBottom(int Value) { margins_.bottom = Value; }
  TPageMeasureUnits Units() const { return units_; }
  void SetUnits(TPageMeasureUnits Value) { units_ = Value; }

 private:
  RECT margins_{2500, 2500, 2500, 2500};
  TPageMeasureUnits units_ = pmMillimeters;
};
