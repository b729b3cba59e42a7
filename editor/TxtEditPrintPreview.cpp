// The print preview control: sheet size for the scale modes, painting through the print
// object, scrolling, page flipping and the page hint.
#include "editor/TxtEditPrintPreview.h"

#include <algorithm>

#include "editor/TxtEditPrint.h"
#include "framework/Application.h"
#include "framework/HintWindow.h"

HV_PUBLISH(TTxtEditPrintPreview) {
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Prop("PageBGColor", &T::PageBGColor, &T::SetPageBGColor).Default(clWhite);
  p.Prop("ScaleMode", &T::ScaleMode, &T::SetScaleMode).Default(pscUserScaled);
  p.Prop("ScalePercent", &T::ScalePercent, &T::SetScalePercent).Default(100);
  p.Prop("ShowScrollHint", &T::ShowScrollHint, &T::SetShowScrollHint).Default(true);
  p.Prop("TxtEditPrint", &T::TxtEditPrint, &T::SetTxtEditPrint);
  p.Event("OnPreviewPage", &T::OnPreviewPage);
  p.Event("OnScaleChange", &T::OnScaleChange);
  // Framework properties whose defaults differ for the preview.
  p.Prop("Align", &T::Align, &T::SetAlign).Default(alClient);
  p.Prop("Color", &T::Color, &T::SetColor).Default(clAppWorkSpace);
  p.Prop("Width", &T::Width, &T::SetWidth).Default(200);
  p.Prop("Height", &T::Height, &T::SetHeight).Default(120);
}

namespace {
constexpr int kBorder = 12;
constexpr int kShadow = 2;
constexpr int kMargin = 2 * kBorder + kShadow;  // 26
constexpr int kWheelDelta = 120;
constexpr int kMaxScalePercent = 10000;

TColor Darker(TColor color, int amount) {
  const uint32_t rgb = ColorToRGB(color);
  auto part = [&](int shift) {
    return static_cast<uint32_t>(std::max(0, static_cast<int>((rgb >> shift) & 0xFF) - amount));
  };
  return TColor(part(0) | (part(8) << 8) | (part(16) << 16));
}

// The DC's state and a canvas of its own for the print object, both undone however painting
// ends.
struct TSavedDC {
  explicit TSavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~TSavedDC() { RestoreDC(dc_, saved_); }
  HDC dc_;
  int saved_;
};
}  // namespace

TTxtEditPrintPreview::TTxtEditPrintPreview(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 200, 120);
  SetColor(clAppWorkSpace);
  SetAlign(alClient);
}

TTxtEditPrintPreview::~TTxtEditPrintPreview() { SetTxtEditPrint(nullptr); }

void TTxtEditPrintPreview::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_HSCROLL | WS_VSCROLL;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TTxtEditPrintPreview::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == print_) {
    print_ = nullptr;
    if (HandleAllocated()) Invalidate();
  }
}

void TTxtEditPrintPreview::SetTxtEditPrint(TTxtEditPrint* Value) {
  if (Value == print_) return;
  if (print_) print_->RemoveFreeNotification(this);
  print_ = Value;
  if (print_) print_->FreeNotification(this);
  if (HandleAllocated()) {
    SizeChanged();
    Invalidate();
  }
}

void TTxtEditPrintPreview::SetBorderStyle(TBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  RecreateWnd();
}

void TTxtEditPrintPreview::SetPageBGColor(TColor Value) {
  if (Value == pageBGColor_) return;
  pageBGColor_ = Value;
  Invalidate();
}

void TTxtEditPrintPreview::SetScaleMode(TTxtPreviewScale Value) {
  if (Value == scaleMode_) return;
  scaleMode_ = Value;
  scrollX_ = scrollY_ = 0;
  SizeChanged();
  if (OnScaleChange) OnScaleChange(this);
  Invalidate();
}

void TTxtEditPrintPreview::SetScalePercent(int Value) {
  // A sheet a million times larger than the page keeps the system's drawing busy for good:
  // the scale stops at a hundred times. Small and negative percentages give a one-pixel sheet.
  Value = std::min(Value, kMaxScalePercent);
  if (Value != scalePercent_) {
    scaleMode_ = pscUserScaled;
    scrollX_ = scrollY_ = 0;
    scalePercent_ = Value;
    SizeChanged();
    Invalidate();
  } else {
    SetScaleMode(pscUserScaled);
  }
  if (OnScaleChange) OnScaleChange(this);
}

int TTxtEditPrintPreview::GetPageCount() { return print_ ? std::max(1, print_->PageCount()) : 1; }

void TTxtEditPrintPreview::SetPageNumber(int Value) {
  if (Value == pageNumber_) return;
  if (print_) pageNumber_ = std::clamp(Value, 1, GetPageCount());
  if (OnPreviewPage) OnPreviewPage(this, pageNumber_);
  Invalidate();
}

void TTxtEditPrintPreview::PageChanged() {
  if (OnPreviewPage) OnPreviewPage(this, pageNumber_);
  Invalidate();
}

void TTxtEditPrintPreview::FirstPage() {
  pageNumber_ = 1;
  PageChanged();
}

void TTxtEditPrintPreview::LastPage() {
  if (print_) pageNumber_ = GetPageCount();
  PageChanged();
}

void TTxtEditPrintPreview::NextPage() {
  if (print_ && pageNumber_ < GetPageCount()) ++pageNumber_;
  PageChanged();
}

void TTxtEditPrintPreview::PreviousPage() {
  if (print_ && pageNumber_ > 1) --pageNumber_;
  PageChanged();
}

void TTxtEditPrintPreview::UpdatePreview() {
  const TTxtPreviewScale mode = scaleMode_;
  const int percent = scalePercent_;
  SetScalePercent(100);
  if (print_) {
    if (HandleAllocated())
      print_->LayoutOnCanvas(Canvas());
    else
      print_->PageCount();
    // The text may have shrunk: the page shown stays one that exists.
    pageNumber_ = std::clamp(pageNumber_, 1, GetPageCount());
  }
  SizeChanged();
  Invalidate();
  SetScaleMode(mode);
  if (mode == pscUserScaled) SetScalePercent(percent);
  if (OnPreviewPage) OnPreviewPage(this, pageNumber_);
}

void TTxtEditPrintPreview::SizeChanged() {
  if (!HandleAllocated() || !print_) return;
  TTxtEditPrinterInfo& info = print_->PrinterInfo();
  const int w = ClientWidth(), h = ClientHeight();
  // The printer figures are never 0 (no printer means A4), but a driver's odd answer must not
  // divide by zero either.
  const int p = std::max(1, info.PhysicalWidth()), q = std::max(1, info.PhysicalHeight());
  switch (scaleMode_) {
    case pscWholePage: {
      sheetWidth_ = w - kMargin;
      sheetHeight_ = h - kMargin;
      const int fit = MulDiv(sheetHeight_, p, q);
      if (fit >= sheetWidth_)
        sheetHeight_ = MulDiv(sheetWidth_, q, p);
      else
        sheetWidth_ = fit;
      break;
    }
    case pscPageWidth:
      sheetWidth_ = w - kMargin;
      sheetHeight_ = MulDiv(sheetWidth_, q, p);
      break;
    default: {
      TWindowDC screen;
      const int sx = GetDeviceCaps(screen.Get(), LOGPIXELSX), sy = GetDeviceCaps(screen.Get(), LOGPIXELSY);
      sheetWidth_ = MulDiv(MulDiv(p, sx, std::max(1, info.XPixPrInch())), scalePercent_, 100);
      sheetHeight_ = MulDiv(MulDiv(q, sy, std::max(1, info.YPixPrInch())), scalePercent_, 100);
      break;
    }
  }
  sheetWidth_ = std::max(1, sheetWidth_);
  sheetHeight_ = std::max(1, sheetHeight_);
  virtualWidth_ = sheetWidth_ + kMargin;
  virtualHeight_ = sheetHeight_ + kMargin;
  sheetOffsetX_ = kBorder + (w > virtualWidth_ ? (w - virtualWidth_) / 2 : 0);
  sheetOffsetY_ = kBorder + (h > virtualHeight_ ? (h - virtualHeight_) / 2 : 0);
  scrollX_ = scrollY_ = 0;
  UpdateScrollbars();
}

void TTxtEditPrintPreview::UpdateScrollbars() {
  if (!HandleAllocated()) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  switch (scaleMode_) {
    case pscWholePage:
      ShowScrollBar(Handle(), SB_HORZ, FALSE);
      si.fMask |= SIF_DISABLENOSCROLL;
      si.nMin = 1;
      si.nMax = GetPageCount();
      si.nPage = 1;
      si.nPos = pageNumber_;
      ShowScrollBar(Handle(), SB_VERT, TRUE);
      SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
      break;
    case pscPageWidth:
      ShowScrollBar(Handle(), SB_HORZ, FALSE);
      si.nMax = virtualHeight_;
      si.nPage = static_cast<UINT>(std::max(0, ClientHeight()));
      si.nPos = -scrollY_;
      SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
      break;
    default:
      si.nMax = virtualWidth_;
      si.nPage = static_cast<UINT>(std::max(0, ClientWidth()));
      si.nPos = -scrollX_;
      SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
      si.nMax = virtualHeight_;
      si.nPage = static_cast<UINT>(std::max(0, ClientHeight()));
      si.nPos = -scrollY_;
      SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
      break;
  }
}

void TTxtEditPrintPreview::ScrollHorzTo(int X) {
  const int w = ClientWidth();
  X = std::clamp(X, std::min(0, w - virtualWidth_), 0);
  if (X == scrollX_) return;
  const int d = X - scrollX_;
  scrollX_ = X;
  UpdateScrollbars();
  if (std::abs(d) <= w / 2 && HandleAllocated()) {
    ScrollWindowEx(Handle(), d, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    Update();
  } else {
    Invalidate();
  }
}

void TTxtEditPrintPreview::ScrollVertTo(int Y) {
  const int h = ClientHeight();
  Y = std::clamp(Y, std::min(0, h - virtualHeight_), 0);
  if (Y == scrollY_) return;
  const int d = Y - scrollY_;
  scrollY_ = Y;
  UpdateScrollbars();
  if (std::abs(d) <= h / 2 && HandleAllocated()) {
    ScrollWindowEx(Handle(), 0, d, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    Update();
  } else {
    Invalidate();
  }
}

TRect TTxtEditPrintPreview::SheetRect() const {
  const int left = sheetOffsetX_ + scrollX_;
  const int top = sheetOffsetY_ + (scaleMode_ == pscWholePage ? 0 : scrollY_);
  return TRect{left, top, left + sheetWidth_, top + sheetHeight_};
}

void TTxtEditPrintPreview::Paint() {
  TCanvas* canvas = Canvas();
  HDC dc = canvas->Handle();
  RECT clip;
  if (GetClipBox(dc, &clip) == NULLREGION) return;
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Pen()->SetColor(Darker(Color(), 30));
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetStyle(psSolid);
  const TRect client = ClientRect();
  if (!print_ || ComponentState().Contains(csDesigning)) {
    canvas->FillRect(client);
    canvas->Brush()->SetColor(pageBGColor_);
    canvas->Rectangle(12, 12, 42, 55);
    return;
  }
  const TRect sheet = SheetRect();
  {
    TSavedDC saved(canvas->Handle());
    ExcludeClipRect(canvas->Handle(), sheet.Left, sheet.Top, sheet.Right + 1, sheet.Bottom + 1);
    canvas->FillRect(client);
    for (int i = 1; i <= kShadow; ++i) {
      canvas->MoveTo(sheet.Left + i, sheet.Bottom + i);
      canvas->LineTo(sheet.Right + i, sheet.Bottom + i);
      canvas->LineTo(sheet.Right + i, sheet.Top + i);
    }
  }
  // The canvas's objects change only outside a saved state, so that restoring the DC never
  // selects a pen or brush the canvas has freed since.
  canvas->Refresh();
  canvas->Pen()->SetColor(Darker(Color(), 50));
  canvas->Brush()->SetColor(pageBGColor_);
  TSavedDC saved(canvas->Handle());
  IntersectClipRect(canvas->Handle(), sheet.Left, sheet.Top, sheet.Right + 1, sheet.Bottom + 1);
  canvas->Rectangle(sheet.Left, sheet.Top, sheet.Right + 1, sheet.Bottom + 1);

  // The page in printer pixels, mapped onto the sheet and clipped to the printable area; the
  // print object draws on a canvas of its own that lets go of the DC before it is restored.
  TTxtEditPrinterInfo& info = print_->PrinterInfo();
  const int p = std::max(1, info.PhysicalWidth()), q = std::max(1, info.PhysicalHeight());
  const int w = sheet.Right - sheet.Left, h = sheet.Bottom - sheet.Top;
  HDC pageDC = canvas->Handle();
  SetMapMode(pageDC, MM_ANISOTROPIC);
  SetWindowExtEx(pageDC, p, q, nullptr);
  SetViewportExtEx(pageDC, w, h, nullptr);
  SetViewportOrgEx(pageDC, sheet.Left + MulDiv(info.LeftGutter(), w, p), sheet.Top + MulDiv(info.TopGutter(), h, q),
                   nullptr);
  IntersectClipRect(pageDC, 0, 0, info.PrintableWidth(), info.PrintableHeight());
  TCanvas pageCanvas;
  pageCanvas.SetHandle(pageDC);
  try {
    print_->PrintToCanvas(&pageCanvas, pageNumber_);
  } catch (...) {
    pageCanvas.SetHandle(nullptr);
    throw;
  }
  pageCanvas.SetHandle(nullptr);
}

void TTxtEditPrintPreview::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TTxtEditPrintPreview::WMSize(TMessage& Message) {
  inherited::WMSize(Message);
  SizeChanged();
  Invalidate();
}

void TTxtEditPrintPreview::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_HSCROLL: WMHScroll(Message); return;
    case WM_VSCROLL: WMVScroll(Message); return;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); return;
    default: inherited::Dispatch(Message);
  }
}

int TTxtEditPrintPreview::ThumbPosition(int Bar, WPARAM WParam) {
  // The 16-bit position of the message is exact only below 65536.
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_TRACKPOS;
  if (HandleAllocated() && GetScrollInfo(Handle(), Bar, &si) && si.nMax > 0xFFFF) return si.nTrackPos;
  return HIWORD(WParam);
}

void TTxtEditPrintPreview::WMHScroll(TMessage& Message) {
  Message.Result = 0;
  if (scaleMode_ == pscWholePage) return;
  const int w = ClientWidth();
  switch (LOWORD(Message.WParam)) {
    case SB_LINELEFT: ScrollHorzTo(scrollX_ + w / 10); break;
    case SB_LINERIGHT: ScrollHorzTo(scrollX_ - w / 10); break;
    case SB_PAGELEFT: ScrollHorzTo(scrollX_ + w / 2); break;
    case SB_PAGERIGHT: ScrollHorzTo(scrollX_ - w / 2); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: ScrollHorzTo(-ThumbPosition(SB_HORZ, Message.WParam)); break;
    case SB_LEFT: ScrollHorzTo(0); break;
    case SB_RIGHT: ScrollHorzTo(-virtualWidth_); break;
    default: break;
  }
}

void TTxtEditPrintPreview::WMVScroll(TMessage& Message) {
  Message.Result = 0;
  const int code = LOWORD(Message.WParam);
  if (scaleMode_ != pscWholePage) {
    const int h = ClientHeight();
    switch (code) {
      case SB_LINEUP: ScrollVertTo(scrollY_ + h / 10); break;
      case SB_LINEDOWN: ScrollVertTo(scrollY_ - h / 10); break;
      case SB_PAGEUP: ScrollVertTo(scrollY_ + h / 2); break;
      case SB_PAGEDOWN: ScrollVertTo(scrollY_ - h / 2); break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK: ScrollVertTo(-ThumbPosition(SB_VERT, Message.WParam)); break;
      case SB_TOP: ScrollVertTo(0); break;
      case SB_BOTTOM: ScrollVertTo(-virtualHeight_); break;
      default: break;
    }
    return;
  }
  if (!print_) return;
  const int count = GetPageCount();
  switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP: pageNumber_ = std::max(1, pageNumber_ - 1); break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: pageNumber_ = std::min(count, pageNumber_ + 1); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      pageNumber_ = std::clamp(ThumbPosition(SB_VERT, Message.WParam), 1, count);
      if (showScrollHint_) ShowPageHint(pageNumber_);
      break;
    case SB_TOP: pageNumber_ = 1; break;
    case SB_BOTTOM: pageNumber_ = count; break;
    case SB_ENDSCROLL: HideHint(); break;
    default: return;
  }
  scrollY_ = -(pageNumber_ - 1);
  UpdateScrollbars();
  PageChanged();
}

void TTxtEditPrintPreview::WMMouseWheel(TMessage& Message) {
  Message.Result = 0;
  wheelAccumulator_ += static_cast<short>(HIWORD(Message.WParam));
  bool pageChanged = false;
  while (std::abs(wheelAccumulator_) >= kWheelDelta) {
    const bool forward = wheelAccumulator_ > 0;
    wheelAccumulator_ += forward ? -kWheelDelta : kWheelDelta;
    if (scaleMode_ == pscWholePage) {
      if (forward && pageNumber_ > 1) {
        --pageNumber_;
        pageChanged = true;
      } else if (!forward && print_ && pageNumber_ < GetPageCount()) {
        ++pageNumber_;
        pageChanged = true;
      }
    } else {
      ScrollVertTo(scrollY_ + (forward ? kWheelDelta : -kWheelDelta));
    }
  }
  if (pageChanged) {
    UpdateScrollbars();
    PageChanged();
  }
}

void TTxtEditPrintPreview::ShowPageHint(int Page) {
  if (!hint_) {
    hint_ = new THintWindow(this);
    if (Application) hint_->SetColor(Application->HintColor());
  }
  const WideString text = L"Page: " + std::to_wstring(Page);
  TRect r = hint_->CalcHintRect(200, text, nullptr);
  POINT origin{ClientWidth() - 4 - (r.Right - r.Left), 10};
  ::ClientToScreen(Handle(), &origin);
  r = TRect{origin.x, origin.y, origin.x + (r.Right - r.Left), origin.y + (r.Bottom - r.Top)};
  hint_->ActivateHint(r, text);
  hint_->Update();
}

void TTxtEditPrintPreview::HideHint() {
  if (hint_) hint_->ReleaseHandle();
}
