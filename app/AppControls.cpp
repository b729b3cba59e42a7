// The application's small controls: the radio tile and the etched group caption.
#include "app/AppControls.h"

#include <vsstyle.h>
#include <vssym32.h>

#include "framework/DesignFrame.h"
#include "framework/Messages.h"
#include "framework/Mnemonics.h"
#include "framework/VisualStyles.h"

HV_PUBLISH(TNSInfoBar) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(false);
  p.Event("OnClick", &T::OnClick);
  p.Event("OnDblClick", &T::OnDblClick);
  p.Event("OnPaint", &T::OnPaint);
  p.Event("OnMouseActivate", &T::OnMouseActivate);
  p.Event("OnMouseLeave", &T::OnMouseLeave);
  p.Event("OnStartDock", &T::OnStartDock);
}

TNSInfoBar::TNSInfoBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(Left(), Top(), 105, 105);
  SetTabStop(true);
}

void TNSInfoBar::SetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  SetTabStop(Value);
  if (Value && Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TNSInfoBar*>(Parent()->Controls(i)); other && other != this)
        other->SetChecked(false);
  Invalidate();
  if (Value && OnChange) OnChange(this);
}

void TNSInfoBar::Click() {
  SetChecked(true);
  // A tile of a form not on screen yet is checked without the focus.
  if (Showing() && CanFocus()) SetFocus();
  TCustomControl::Click();
}

void TNSInfoBar::Paint() {
  Canvas()->Font()->Assign(Font());
  Canvas()->Brush()->SetColor(Color());
  // The tile draws nothing of its own; a designer still sees where it lies, and the painting
  // handler takes the canvas as the frame left it (a dashed pen, a clear brush).
  if (ComponentState().Contains(csDesigning)) DrawDesignFrame(Canvas(), ClientRect(), psDash, clBlack);
  if (OnPaint) OnPaint(this);
}

void TNSInfoBar::KeyPress(wchar_t& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == L' ') Click();
}

void TNSInfoBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (IsAccelChar(static_cast<wchar_t>(Message.WParam), Caption()) && Showing() && CanFocus()) {
        SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TCustomControl::Dispatch(Message);
}

// ---- the etched group caption ----

HV_PUBLISH(TNSBvLabel) {
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Transparent", &T::Transparent, &T::SetTransparent).Default(0);
  p.Prop("Offset", &T::Offset, &T::SetOffset).Default(4);
}

TNSBvLabel::TNSBvLabel(TComponent* AOwner) : TCustomLabel(AOwner) {
  SetAutoSize(false);
  SetBounds(Left(), Top(), 120, Height());
}

void TNSBvLabel::SetOffset(int Value) {
  if (Value == offset_) return;
  offset_ = Value;
  Invalidate();
}

std::vector<std::pair<int, int>> TNSBvLabel::LineSegments(int Width, int TextWidth, TAlignment Alignment) {
  switch (Alignment) {
    case taRightJustify: return {{0, Width - TextWidth}};
    case taCenter: {
      const int left = (Width - TextWidth) / 2;
      return {{0, left}, {left + TextWidth, Width}};
    }
    default: return {{TextWidth, Width}};
  }
}

namespace {

// The text colour of group boxes in the visual style, else the window text colour.
TColor GroupBoxTextColor() {
  if (!ThemesActive() || !UxTheme().GetThemeColor) return clWindowText;
  HTHEME theme = UxTheme().OpenThemeData(nullptr, L"BUTTON");
  if (!theme) return clWindowText;
  COLORREF color = 0;
  const bool got = UxTheme().GetThemeColor(theme, BP_GROUPBOX, GBS_NORMAL, TMT_TEXTCOLOR, &color) == S_OK;
  UxTheme().CloseThemeData(theme);
  return got ? static_cast<TColor>(color) : clWindowText;
}

}  // namespace

void TNSBvLabel::Paint() {
  Font()->SetColor(GroupBoxTextColor());
  TCustomLabel::Paint();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  const WideString text = Caption();
  const int textHeight = canvas->TextExtent(WideString(L"Wg")).cy;
  if (textHeight + 2 > Height()) SetBounds(Left(), Top(), Width(), textHeight + 2);
  const int w = text.empty() ? 0 : canvas->TextWidth(text) + offset_;
  const int y = Height() / 2;
  for (const auto& [from, to] : LineSegments(Width(), w, Alignment())) {
    if (to <= from) continue;
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->MoveTo(from, y);
    canvas->LineTo(to, y);
    canvas->Pen()->SetColor(clBtnHighlight);
    canvas->MoveTo(from, y + 1);
    canvas->LineTo(to, y + 1);
  }
}
