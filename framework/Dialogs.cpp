// The common dialogs over comdlg32. Each dialog gets a hook that reports its window when it
// comes up, so that OnShow can work with it (tests close it from there).
#include "framework/Dialogs.h"

#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <vector>

#include "framework/Application.h"
#include "framework/Colors.h"
#include "framework/ScopeGuards.h"

namespace {

// The hook of every dialog: WM_INITDIALOG carries the dialog's structure, whose custom data
// is the dialog object; Explorer-style file dialogs hook a child of the real window.
template <class S>
UINT_PTR CALLBACK DialogHook(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg != WM_INITDIALOG) {
    auto* hooked = reinterpret_cast<TCommonDialog*>(GetPropW(Wnd, L"HvCommonDialog"));
    if (!hooked) return 0;
    if (Msg == WM_NCDESTROY) RemovePropW(Wnd, L"HvCommonDialog");
    try {
      return hooked->HookMessage(Wnd, Msg, WParam, LParam) ? 1 : 0;
    } catch (...) {
      if (Application) Application->HandleException(hooked);
      return 0;
    }
  }
  auto* data = reinterpret_cast<S*>(LParam);
  auto* dialog = reinterpret_cast<TCommonDialog*>(data->lCustData);
  if (!dialog) return 0;
  SetPropW(Wnd, L"HvCommonDialog", dialog);
  HWND window = Wnd;
  if constexpr (std::is_same_v<S, OPENFILENAMEW>) {
    if (data->Flags & OFN_EXPLORER) window = GetParent(Wnd);
  }
  try {
    dialog->Shown(window);
  } catch (...) {
    if (Application) Application->HandleException(dialog);
  }
  // File dialogs must let the system set the focus; the others too.
  return std::is_same_v<S, OPENFILENAMEW> ? 0 : 1;
}

}  // namespace

// ---- TCommonDialog ----

HV_PUBLISH(TCommonDialog) {
  p.Prop("HelpContext", &T::HelpContext, &T::SetHelpContext).Default(0);
  p.Event("OnClose", &T::OnClose);
  p.Event("OnShow", &T::OnShow);
}

HWND TCommonDialog::OwnerWindow() {
  HWND active = GetActiveWindow();
  if (active) return active;
  return Application ? Application->Handle() : nullptr;
}

void TCommonDialog::Shown(HWND Dialog) {
  handle_ = Dialog;
  DoShow();
}

bool TCommonDialog::Run(const std::function<bool()>& Call) {
  bool result = false;
  {
    TScopeExit forget([&] { handle_ = nullptr; });
    result = Call();
  }
  DoClose();
  return result;
}

void TCommonDialog::DoShow() {
  if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
  if (OnClose) OnClose(this);
}

// ---- TOpenDialog ----

HV_PUBLISH(TOpenDialog) {
  p.Prop("DefaultExt", &T::DefaultExt, &T::SetDefaultExt);
  p.Prop("FileName", &T::FileName, &T::SetFileName);
  p.Prop("Filter", &T::Filter, &T::SetFilter);
  p.Prop("FilterIndex", &T::FilterIndex, &T::SetFilterIndex).Default(1);
  p.Prop("InitialDir", &T::InitialDir, &T::SetInitialDir);
  p.Prop("Options", &T::Options, &T::SetOptions).Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
  p.Prop("Title", &T::Title, &T::SetTitle);
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), files_(std::make_unique<TStringListW>()) {}

TOpenDialog::~TOpenDialog() = default;

WideString TOpenDialog::SystemFilter(const WideString& Filter) {
  if (Filter.empty()) return WideString();
  WideString result = Filter;
  for (wchar_t& c : result)
    if (c == L'|') c = L'\0';
  // A description without a pattern gets an empty one.
  size_t parts = static_cast<size_t>(std::count(Filter.begin(), Filter.end(), L'|')) + 1;
  if (parts % 2) result.push_back(L'\0');
  // The zero after the last text; the string's own terminator makes the closing second one.
  result.push_back(L'\0');
  return result;
}

void TOpenDialog::ParseFileNames(const wchar_t* Buffer, size_t Size, size_t FileOffset, TStringsW* Files) {
  Files->Clear();
  // Each text ends at its zero or at the end of the buffer, whichever comes first.
  auto textAt = [Buffer, Size](size_t At) {
    const wchar_t* start = Buffer + At;
    return WideString(start, std::find(start, Buffer + Size, L'\0'));
  };
  const WideString first = textAt(0);
  // A list's first name follows the folder's zero.
  if (FileOffset == 0 || FileOffset != first.size() + 1 || FileOffset >= Size) {
    if (!first.empty()) Files->Add(first);
    return;
  }
  WideString folder = first;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  for (size_t at = FileOffset; at < Size;) {
    const WideString name = textAt(at);
    if (name.empty()) break;
    Files->Add(folder + name);
    at += name.size() + 1;
  }
}

bool TOpenDialog::DoExecute(bool Save) {
  std::vector<wchar_t> buffer(options_.Contains(ofAllowMultiSelect) ? 0x10000 : MAX_PATH * 4, L'\0');
  std::copy_n(fileName_.begin(), std::min(fileName_.size(), buffer.size() - 2), buffer.begin());
  WideString filter = SystemFilter(filter_);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = OwnerWindow();
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
  static const DWORD flags[] = {OFN_READONLY,
                                OFN_OVERWRITEPROMPT,
                                OFN_HIDEREADONLY,
                                OFN_NOCHANGEDIR,
                                OFN_SHOWHELP,
                                OFN_NOVALIDATE,
                                OFN_ALLOWMULTISELECT,
                                OFN_EXTENSIONDIFFERENT,
                                OFN_PATHMUSTEXIST,
                                OFN_FILEMUSTEXIST,
                                OFN_CREATEPROMPT,
                                OFN_SHAREAWARE,
                                OFN_NOREADONLYRETURN,
                                OFN_NOTESTFILECREATE,
                                OFN_NONETWORKBUTTON,
                                OFN_NOLONGNAMES,
                                0,
                                OFN_NODEREFERENCELINKS,
                                OFN_ENABLEINCLUDENOTIFY,
                                OFN_ENABLESIZING,
                                OFN_DONTADDTORECENT,
                                OFN_FORCESHOWHIDDEN};
  for (int i = 0; i <= EnumHigh<TOpenOption>(); ++i)
    if (options_.Contains(static_cast<TOpenOption>(i))) ofn.Flags |= flags[i];
  if (!options_.Contains(ofOldStyleDialog)) ofn.Flags |= OFN_EXPLORER;
  ofn.Flags |= OFN_ENABLEHOOK;
  ofn.lpfnHook = &DialogHook<OPENFILENAMEW>;
  ofn.lCustData = reinterpret_cast<LPARAM>(static_cast<TCommonDialog*>(this));
  PrepareOpenFileName(ofn);
  bool ok = Run([&] { return (Save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) != FALSE; });
  if (!ok) return false;
  // Only a dialog that lets several files be chosen answers with a list; a single name ends at
  // its zero, whatever of the name it was given still follows.
  const size_t offset = options_.Contains(ofAllowMultiSelect) ? ofn.nFileOffset : 0;
  ParseFileNames(buffer.data(), buffer.size(), offset, files_.get());
  fileName_ = files_->Count() > 0 ? files_->Strings(0) : WideString(buffer.data());
  filterIndex_ = static_cast<int>(ofn.nFilterIndex);
  if (ofn.Flags & OFN_READONLY)
    options_ << ofReadOnly;
  else
    options_ >> ofReadOnly;
  return true;
}

bool TOpenDialog::Execute() { return DoExecute(false); }

HV_PUBLISH(TSaveDialog) {}

bool TSaveDialog::Execute() { return DoExecute(true); }

// ---- TColorDialog ----

HV_PUBLISH(TColorDialog) {
  p.Prop("Color", &T::Color, &T::SetColor).Default(clBlack);
  p.Prop("Options", &T::Options, &T::SetOptions).Default(TColorDialogOptions{});
}

bool TColorDialog::Execute() {
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = OwnerWindow();
  cc.rgbResult = static_cast<COLORREF>(ColorToRGB(color_));
  cc.lpCustColors = customColors_.data();
  cc.Flags = CC_RGBINIT | CC_ENABLEHOOK;
  if (options_.Contains(cdFullOpen)) cc.Flags |= CC_FULLOPEN;
  if (options_.Contains(cdPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
  if (options_.Contains(cdShowHelp)) cc.Flags |= CC_SHOWHELP;
  if (options_.Contains(cdSolidColor)) cc.Flags |= CC_SOLIDCOLOR;
  if (options_.Contains(cdAnyColor)) cc.Flags |= CC_ANYCOLOR;
  cc.lpfnHook = &DialogHook<CHOOSECOLORW>;
  cc.lCustData = reinterpret_cast<LPARAM>(static_cast<TCommonDialog*>(this));
  if (!Run([&] { return ChooseColorW(&cc) != FALSE; })) return false;
  color_ = static_cast<TColor>(cc.rgbResult);
  return true;
}

// ---- TFontDialog ----

HV_PUBLISH(TFontDialog) {
  p.Prop("Font", &T::Font, &T::SetFont);
  p.Prop("MaxFontSize", &T::MaxFontSize, &T::SetMaxFontSize).Default(0);
  p.Prop("MinFontSize", &T::MinFontSize, &T::SetMinFontSize).Default(0);
  p.Prop("Options", &T::Options, &T::SetOptions).Default(TFontDialogOptions{fdEffects});
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), font_(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute() {
  LOGFONTW lf = font_->LogFont();
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = OwnerWindow();
  cf.lpLogFont = &lf;
  cf.rgbColors = static_cast<COLORREF>(ColorToRGB(font_->Color()));
  cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK | CF_SCREENFONTS;
  static const DWORD flags[] = {CF_ANSIONLY, CF_TTONLY, CF_EFFECTS, CF_FIXEDPITCHONLY, CF_FORCEFONTEXIST, CF_NOFACESEL,
                                CF_NOOEMFONTS, CF_NOSIMULATIONS, CF_NOSIZESEL, CF_NOSTYLESEL, CF_NOVECTORFONTS,
                                CF_SHOWHELP,
                                // What-you-see fonts need a printer's DC, which the dialog is not given.
                                0, CF_LIMITSIZE, CF_SCALABLEONLY};
  for (int i = 0; i <= EnumHigh<TFontDialogOption>(); ++i)
    if (options_.Contains(static_cast<TFontDialogOption>(i))) cf.Flags |= flags[i];
  cf.nSizeMin = minFontSize_;
  cf.nSizeMax = maxFontSize_;
  cf.lpfnHook = &DialogHook<CHOOSEFONTW>;
  cf.lCustData = reinterpret_cast<LPARAM>(static_cast<TCommonDialog*>(this));
  if (!Run([&] { return ChooseFontW(&cf) != FALSE; })) return false;
  font_->SetLogFont(lf);
  font_->SetColor(static_cast<TColor>(cf.rgbColors));
  return true;
}

// ---- TPrintDialog ----

HV_PUBLISH(TPrintDialog) {
  p.Prop("Copies", &T::Copies, &T::SetCopies).Default(1);
  p.Prop("FromPage", &T::FromPage, &T::SetFromPage).Default(0);
  p.Prop("MaxPage", &T::MaxPage, &T::SetMaxPage).Default(0);
  p.Prop("MinPage", &T::MinPage, &T::SetMinPage).Default(0);
  p.Prop("Options", &T::Options, &T::SetOptions).Default(TPrintDialogOptions{});
  p.Prop("PrintRange", &T::PrintRange, &T::SetPrintRange).Default(prAllPages);
  p.Prop("ToPage", &T::ToPage, &T::SetToPage).Default(0);
}

namespace {
// Whether any printer is installed: without one the system's print dialogs only complain in a
// message box of their own.
bool PrinterInstalled() {
  DWORD needed = 0, count = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed, &needed, &count))
    return false;
  return count > 0;
}

// The device name of a DEVNAMES block, freed with the block.
WideString TakeDeviceName(HGLOBAL DevNames) {
  WideString name;
  if (!DevNames) return name;
  if (auto* names = static_cast<DEVNAMES*>(GlobalLock(DevNames))) {
    name = reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset;
    GlobalUnlock(DevNames);
  }
  GlobalFree(DevNames);
  return name;
}
}  // namespace

bool TPrintDialog::Execute() {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = OwnerWindow();
  pd.nCopies = static_cast<WORD>(std::clamp(copies_, 1, 0xFFFF));
  pd.nFromPage = static_cast<WORD>(fromPage_);
  pd.nToPage = static_cast<WORD>(toPage_);
  pd.nMinPage = static_cast<WORD>(minPage_);
  pd.nMaxPage = static_cast<WORD>(maxPage_);
  pd.Flags = PD_ENABLEPRINTHOOK | PD_USEDEVMODECOPIESANDCOLLATE;
  if (printRange_ == prSelection) pd.Flags |= PD_SELECTION;
  if (printRange_ == prPageNums) pd.Flags |= PD_PAGENUMS;
  if (!options_.Contains(poPageNums)) pd.Flags |= PD_NOPAGENUMS;
  if (!options_.Contains(poSelection)) pd.Flags |= PD_NOSELECTION;
  if (options_.Contains(poPrintToFile)) pd.Flags |= PD_PRINTTOFILE;
  if (options_.Contains(poDisablePrintToFile)) pd.Flags |= PD_DISABLEPRINTTOFILE;
  if (!options_.Contains(poPrintToFile) && !options_.Contains(poDisablePrintToFile)) pd.Flags |= PD_HIDEPRINTTOFILE;
  if (options_.Contains(poHelp)) pd.Flags |= PD_SHOWHELP;
  if (!options_.Contains(poWarning)) pd.Flags |= PD_NOWARNING;
  pd.lpfnPrintHook = &DialogHook<PRINTDLGW>;
  pd.lCustData = reinterpret_cast<LPARAM>(static_cast<TCommonDialog*>(this));
  bool ok = Run([&] { return PrinterInstalled() && PrintDlgW(&pd) != FALSE; });
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  WideString device = TakeDeviceName(pd.hDevNames);
  if (!ok) return false;
  deviceName_ = device;
  copies_ = pd.nCopies;
  fromPage_ = pd.nFromPage;
  toPage_ = pd.nToPage;
  printRange_ = (pd.Flags & PD_SELECTION) ? prSelection : (pd.Flags & PD_PAGENUMS) ? prPageNums : prAllPages;
  printToFile_ = (pd.Flags & PD_PRINTTOFILE) != 0;
  return true;
}

// ---- TPageSetupDialog ----

HV_PUBLISH(TPageSetupDialog) {
  p.Prop("MarginBottom", &T::MarginBottom, &T::SetMarginBottom).Default(2500);
  p.Prop("MarginLeft", &T::MarginLeft, &T::SetMarginLeft).Default(2500);
  p.Prop("MarginRight", &T::MarginRight, &T::SetMarginRight).Default(2500);
  p.Prop("MarginTop", &T::MarginTop, &T::SetMarginTop).Default(2500);
  p.Prop("Units", &T::Units, &T::SetUnits).Default(pmMillimeters);
}

bool TPageSetupDialog::Execute() {
  PAGESETUPDLGW ps{};
  ps.lStructSize = sizeof ps;
  ps.hwndOwner = OwnerWindow();
  ps.Flags = PSD_MARGINS | PSD_ENABLEPAGESETUPHOOK;
  if (units_ == pmMillimeters) ps.Flags |= PSD_INHUNDREDTHSOFMILLIMETERS;
  if (units_ == pmInches) ps.Flags |= PSD_INTHOUSANDTHSOFINCHES;
  ps.rtMargin = margins_;
  ps.lpfnPageSetupHook = &DialogHook<PAGESETUPDLGW>;
  ps.lCustData = reinterpret_cast<LPARAM>(static_cast<TCommonDialog*>(this));
  bool ok = Run([&] { return PrinterInstalled() && PageSetupDlgW(&ps) != FALSE; });
  if (ps.hDevMode) GlobalFree(ps.hDevMode);
  TakeDeviceName(ps.hDevNames);
  if (!ok) return false;
  margins_ = ps.rtMargin;
  return true;
}
