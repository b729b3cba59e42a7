// Unicode text and hints of controls, Unicode windows and canvas text.
#include "controls/UcControls.h"

#include <algorithm>

#include "controls/UcMenus.h"
#include "foundation/UcWideSys.h"
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/Win.h"

WideString UcControl_GetText(TControl* Control) {
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (!win || !win->HandleAllocated()) return Control->GetText();
  HWND wnd = win->Handle();
  int len = std::max(GetWindowTextLengthW(wnd), 0);
  WideString text(static_cast<size_t>(len) + 1, L'\0');
  int copied = GetWindowTextW(wnd, text.data(), len + 1);
  // The length announced may be more than the text: what counts is what was copied.
  text.resize(static_cast<size_t>(std::clamp(copied, 0, len)));
  return text;
}

void UcControl_SetText(TControl* Control, const WideString& Value) {
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (!win || !win->HandleAllocated()) {
    Control->SetText(Value);
    return;
  }
  if (UcControl_GetText(Control) == Value) return;
  SetWindowTextW(win->Handle(), Value.c_str());
  Control->Perform(CM_TEXTCHANGED, 0, 0);
}

WideString UcControl_GetHint(TControl* Control) { return Control->Hint(); }

void UcControl_SetHint(TControl* Control, const WideString& Value) { Control->SetHint(Value); }

bool UcControl_IsCaptionStored(TControl* Control) {
  return !Control->ActionLink() || !Control->ActionLink()->IsCaptionLinked();
}

bool UcControl_IsHintStored(TControl* Control) {
  return !Control->ActionLink() || !Control->ActionLink()->IsHintLinked();
}

WideString WideShortHint(const WideString& Hint) { return GetShortHint(Hint); }

WideString WideLongHint(const WideString& Hint) { return GetLongHint(Hint); }

WideString WideControlHint(TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent()) {
    WideString hint = UcControl_GetHint(c);
    if (!hint.empty()) return hint;
  }
  return WideString();
}

WideString UcControl_HintText(TControl* Control) {
  WideString text = WideShortHint(WideControlHint(Control));
  if (text.empty() || !Application || !Application->HintShortCuts()) return text;
  auto* action = dynamic_cast<TCustomAction*>(Control->Action());
  if (!action || action->ShortCut() == 0) return text;
  WideString keys = ShortCutToWideText(action->ShortCut());
  return keys.empty() ? text : text + L" (" + keys + L")";
}

void UcControl_PrepareHint(TControl* Control, THintInfo& Info) {
  if (Info.HintWindowClass == &THintWindow::StaticClassInfo())
    Info.HintWindowClass = &TUcCustomHintWindow::StaticClassInfo();
  else if (!Info.HintWindowClass || !Info.HintWindowClass->InheritsFrom(TUcCustomHintWindow::StaticClassInfo()))
    return;
  Info.HintStr = UcControl_HintText(Control);
}

const wchar_t* const UnicodeClassSuffix = L".UnicodeClass";

void UnicodeClassParams(TCreateParams& Params) {
  const WideString suffix = UnicodeClassSuffix;
  WideString& name = Params.WinClassName;
  if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    name += suffix;
}

void CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params, const WideString& SubClass) {
  WNDCLASSW system{};
  if (!SubClass.empty() && GetClassInfoW(nullptr, SubClass.c_str(), &system))
    Control->SetDefWndProc(system.lpfnWndProc);
  // The Unicode class is a copy of the class the framework registered under the plain name.
  TCreateParams unicode = Params;
  UnicodeClassParams(unicode);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW plain{}, existing{};
  if (GetClassInfoW(instance, Params.WinClassName.c_str(), &plain)) {
    if (GetClassInfoW(instance, unicode.WinClassName.c_str(), &existing) && existing.lpfnWndProc != plain.lpfnWndProc &&
        !UnregisterClassW(unicode.WinClassName.c_str(), instance))
      RaiseLastOSError();
    if (!GetClassInfoW(instance, unicode.WinClassName.c_str(), &existing)) {
      plain.hInstance = instance;
      plain.lpszClassName = unicode.WinClassName.c_str();
      if (!RegisterClassW(&plain)) RaiseLastOSError();
    }
  }
  // The control is handed over at WM_NCCREATE, where the framework links window and control.
  // The window is made without a title: it gets its text below, as a re-created window does.
  HWND wnd =
      CreateWindowExW(unicode.ExStyle, unicode.WinClassName.c_str(), nullptr, Params.Style, Params.X, Params.Y,
                      Params.Width, Params.Height, Params.WndParent, nullptr, GetModuleHandleW(nullptr), Control);
  if (!wnd) RaiseLastOSError();
  SubClassUnicodeControl(Control, Params.Caption);
}

void SubClassUnicodeControl(TWinControl* Control, const WideString& Caption) {
  if (!Control->HandleAllocated()) return;
  if (!IsWindowUnicode(Control->Handle()))
    throw EUcInternalError("Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  WideString own = Control->Caption();
  UcControl_SetText(Control, own.empty() ? Caption : own);
}

wchar_t WideCharOfCharMessage(const TMessage& Message) {
  // A character packed for an 8-bit path sits in the high word with 255 in the low one.
  WORD low = LOWORD(Message.WParam), high = HIWORD(Message.WParam);
  return static_cast<wchar_t>(low == 255 && high != 0 ? high : low);
}

void SetWideCharOfCharMessage(TMessage& Message, wchar_t Ch) {
  // Packed the way an 8-bit path carries it: above 255 the character moves to the high word.
  auto ch = static_cast<WORD>(Ch);
  Message.WParam = ch > 255 ? MAKEWPARAM(255, ch) : static_cast<WPARAM>(ch);
}

// The canvas draws and measures with the wide calls already, by the same rules.
void CanvasTextOutW(TCanvas* Canvas, int X, int Y, const WideString& Text) { Canvas->TextOut(X, Y, Text); }

TSize CanvasTextExtentW(TCanvas* Canvas, const WideString& Text) { return Canvas->TextExtent(Text); }

int CanvasTextWidthW(TCanvas* Canvas, const WideString& Text) { return CanvasTextExtentW(Canvas, Text).cx; }

int CanvasTextHeightW(TCanvas* Canvas, const WideString& Text) { return CanvasTextExtentW(Canvas, Text).cy; }

// ---- TUcCustomHintWindow ----

HV_PUBLISH(TUcCustomHintWindow) {}

TRect TUcCustomHintWindow::CalcHintRect(int MaxWidth, const WideString& AHint, void*) {
  TWindowDC screen;
  TCanvas canvas;
  canvas.SetHandle(screen.Get());
  canvas.Font()->Assign(Font());
  TRect r(0, 0, MaxWidth, 0);
  canvas.DrawText(r, AHint, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  canvas.SetHandle(nullptr);
  return TRect(0, 0, r.Right + 6, r.Bottom + 2);
}

void TUcCustomHintWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  UnicodeClassParams(Params);
}

void TUcCustomHintWindow::Paint() {
  TCanvas* canvas = Canvas();
  RECT r = ToRECT(ClientRect());
  r.left += 2;
  r.top += 2;
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(clInfoText);
  canvas->Brush()->SetStyle(bsClear);
  TRect text = ToTRect(r);
  canvas->DrawText(text, Caption(), DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
