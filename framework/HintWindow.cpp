// The hint window.
#include "framework/HintWindow.h"

#include <algorithm>

#include "framework/Screen.h"

HV_PUBLISH(THintWindow) {}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisible(false);
  SetColor(clInfoBk);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    Font()->SetLogFont(metrics.lfStatusFont);
  Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int MaxWidth, const WideString& AHint, void*) {
  TRect r = Rect(0, 0, MaxWidth, 0);
  // Measured on the screen, so that the window need not exist yet.
  TWindowDC screen;
  TCanvas canvas;
  canvas.SetHandle(screen.Get());
  canvas.Font()->Assign(Font());
  canvas.DrawText(r, AHint, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  canvas.SetHandle(nullptr);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const WideString& AHint) {
  activating_ = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{activating_};
  SetCaption(AHint);
  // Kept on the screen: moved left and up when it would leave it.
  int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  int width = Rect.Width(), height = Rect.Height();
  int left = std::max(0, std::min(Rect.Left, screenWidth - width));
  int top = std::max(0, std::min(Rect.Top, screenHeight - height));
  SetBounds(left, top, width, height);
  SetWindowPos(Handle(), HWND_TOPMOST, left, top, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const WideString& AHint, void*) { ActivateHint(Rect, AHint); }

void THintWindow::ReleaseHandle() { DestroyHandle(); }

bool THintWindow::IsHintMsg(const MSG& Msg) { return EndsHint(Msg); }

bool THintWindow::EndsHint(const MSG& Msg) {
  UINT m = Msg.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) ||
         (m >= WM_NCLBUTTONDOWN && m <= WM_NCMBUTTONDBLCLK) || m == WM_ACTIVATE || m == WM_ACTIVATEAPP ||
         m == CM_ACTIVATE || m == CM_DEACTIVATE || m == CM_APPKEYDOWN || m == CM_APPSYSCOMMAND || m == WM_COMMAND;
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  r.Left += 2;
  r.Top += 2;
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawText(r, Caption(), DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_NCHITTEST)
    WMNCHitTest(Message);
  else
    inherited::Dispatch(Message);
}

// The mouse passes through to the window under the hint.
void THintWindow::WMNCHitTest(TMessage& Message) { Message.Result = HTTRANSPARENT; }

void THintWindow::CMTextChanged(TMessage& Message) {
  inherited::CMTextChanged(Message);
  if (activating_) return;
  TWindowDC screen;
  TCanvas canvas;
  canvas.SetHandle(screen.Get());
  canvas.Font()->Assign(Font());
  WideString text = Caption();
  int width = canvas.TextWidth(text) + 6;
  int height = canvas.TextHeight(text) + 6;
  canvas.SetHandle(nullptr);
  SetBounds(Left(), Top(), width, height);
}
