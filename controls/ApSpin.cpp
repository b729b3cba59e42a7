// The spin edit, its graphic button, the up-down wrapper and the shared button faces.
#include "controls/ApSpin.h"

#include <vssym32.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/ApUtils.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/Timer.h"

HV_PUBLISH(TApSpinButton) {
  p.Prop("ButtonStyle", &T::ButtonStyle, &T::SetButtonStyle).Default(sbsDefault);
  p.Prop("DownGlyph", &T::DownGlyph, &T::SetDownGlyph);
  p.Prop("UpGlyph", &T::UpGlyph, &T::SetUpGlyph);
  p.Prop("FocusControl", &T::FocusControl, &T::SetFocusControl);
  p.Event("OnTopClick", &T::OnTopClick);
  p.Event("OnBottomClick", &T::OnBottomClick);
}

HV_PUBLISH(TApUpDown) {}
HV_PUBLISH(TApCustomSpinEdit) {}

HV_PUBLISH(TApSpinEdit) {
  p.Prop("CheckOptions", &T::CheckOptions, &T::SetCheckOptions)
      .Default(TApCheckOptions{coCheckOnChange, coCheckOnExit, coCropBeyondLimit});
  p.Prop("CheckMinValue", &T::CheckMinValue, &T::SetCheckMinValue).Default(0);
  p.Prop("CheckMaxValue", &T::CheckMaxValue, &T::SetCheckMaxValue).Default(0);
  p.Prop("BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(1);
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
  p.Prop("ArrowKeys", &T::ArrowKeys, &T::SetArrowKeys).Default(1);
  p.Prop("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat).Stored(&T::IsDisplayFormatStored);
  p.Prop("ButtonKind", &T::ButtonKind, &T::SetButtonKind).Default(bkDiagonal);
  p.Prop("Thousands", &T::Thousands, &T::SetThousands).Default(0);
  p.Prop("Decimal", &T::Decimal, &T::SetDecimal).Default(2);
  p.Prop("EditorEnabled", &T::EditorEnabled, &T::SetEditorEnabled).Default(1);
  p.Prop("Increment", &T::Increment, &T::SetIncrement);
  p.Prop("MaxValue", &T::MaxValue, &T::SetMaxValue);
  p.Prop("MinValue", &T::MinValue, &T::SetMinValue);
  p.Prop("ShowButton", &T::ShowButton, &T::SetShowButton).Default(1);
  p.Prop("ValueType", &T::ValueType, &T::SetValueType).Default(vtInteger);
  p.Prop("Value", &T::GetValue, &T::SetValue);
  p.Prop("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(1);
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Prop("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
  p.Prop("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(0);
  p.Prop("ClipboardCommands", &T::ClipboardCommands, &T::SetClipboardCommands)
      .Default(TApClipboardCommands{caCopy, caCut, caPaste, caClear, caUndo});
  p.Event("OnBottomClick", &T::OnBottomClick);
  p.Event("OnTopClick", &T::OnTopClick);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnMouseEnter", &T::OnMouseEnter);
  p.Event("OnMouseLeave", &T::OnMouseLeave);
  p.Event("OnEnter", &T::OnEnter);
  p.Event("OnExit", &T::OnExit);
  p.Event("OnKeyDown", &T::OnKeyDown);
  p.Event("OnKeyPress", &T::OnKeyPress);
  p.Event("OnKeyUp", &T::OnKeyUp);
}

// ---- faces ----

TSpinButtonFace ChooseSpinButtonFace(bool Enabled, int PressedPart, bool HotTop, bool HotBottom, bool Themed) {
  if (!Enabled) return sfDisabled;
  if (PressedPart == 1) return sfTopPressed;
  if (PressedPart == 2) return sfBottomPressed;
  if (Themed && HotTop) return sfTopHot;
  if (Themed && HotBottom) return sfBottomHot;
  return sfNormal;
}

namespace {

// The built-in arrow bitmaps, loaded once.
TBitmap* ArrowBitmap(const wchar_t* Name) {
  static std::unique_ptr<TBitmap> bitmaps[4];
  static const wchar_t* const names[4] = {L"ApSpinUP", L"ApSpinDOWN", L"ApSpinUPPOLE", L"ApSpinDOWNPOLE"};
  for (int i = 0; i < 4; ++i) {
    if (wcscmp(names[i], Name) != 0) continue;
    if (!bitmaps[i]) {
      bitmaps[i] = std::make_unique<TBitmap>();
      try {
        bitmaps[i]->LoadFromResourceName(GetModuleHandleW(nullptr), Name);
      } catch (const Exception&) {
        // A program without the resource draws no arrow rather than failing to paint.
      }
    }
    return bitmaps[i].get();
  }
  return nullptr;
}

// Copies Glyph centred on (CX, CY): every pixel that differs from the bottom-left one. The
// built-in glyphs (Tint set) draw their black pixels in Tint instead.
void DrawGlyph(HDC DC, TBitmap* Glyph, int CX, int CY, COLORREF Tint, bool UseTint) {
  if (!Glyph || Glyph->Empty()) return;
  int w = Glyph->Width(), h = Glyph->Height();
  HDC src = Glyph->Canvas()->Handle();
  COLORREF transparent = GetPixel(src, 0, h - 1);
  int x0 = CX - w / 2, y0 = CY - h / 2;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = GetPixel(src, x, y);
      if (UseTint ? c == 0 : c != transparent) SetPixel(DC, x0 + x, y0 + y, UseTint ? Tint : c);
    }
}

// Fills a polygon region of the DC with the classic raised or sunken edges of a triangle part.
void FillTriangle(HDC DC, const POINT* Points, COLORREF Face) {
  TBrushHandle brush(CreateSolidBrush(Face));
  TPenHandle pen(CreatePen(PS_SOLID, 1, Face));
  HGDIOBJ oldBrush = SelectObject(DC, brush.Get());
  HGDIOBJ oldPen = SelectObject(DC, pen.Get());
  Polygon(DC, Points, 3);
  SelectObject(DC, oldPen);
  SelectObject(DC, oldBrush);
}

void Line(HDC DC, COLORREF Colour, int X1, int Y1, int X2, int Y2) {
  TPenHandle pen(CreatePen(PS_SOLID, 1, Colour));
  HGDIOBJ old = SelectObject(DC, pen.Get());
  MoveToEx(DC, X1, Y1, nullptr);
  LineTo(DC, X2, Y2);
  SelectObject(DC, old);
}

}  // namespace

void TSpinButtonBitmaps::Prepare(TApSpinButton* Button) {
  bool themed = ThemesActive();
  if (drawn_ && themed == themed_ && generation_ == ThemeGeneration()) return;
  for (auto& face : faces_) {
    face = std::make_unique<TBitmap>();
    face->SetSize(std::max(key_.Width, 1), std::max(key_.Height, 1));
  }
  themed_ = themed && DrawThemed(Button);
  if (!themed_) DrawClassic(Button);
  drawn_ = true;
  generation_ = ThemeGeneration();
}

void TSpinButtonBitmaps::DrawClassic(TApSpinButton* Button) {
  int w = key_.Width, h = key_.Height;
  COLORREF face = ColorToRGB(clBtnFace), light = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow),
           dark = ColorToRGB(cl3DDkShadow), text = ColorToRGB(clBtnText), grey = ColorToRGB(clGrayText);
  bool custom = key_.CustomGlyphs;
  bool classic = key_.Style == sbsClassic;
  TBitmap* up = custom ? Button->UpGlyph() : ArrowBitmap(classic ? L"ApSpinUP" : L"ApSpinUPPOLE");
  TBitmap* down = custom ? Button->DownGlyph() : ArrowBitmap(classic ? L"ApSpinDOWN" : L"ApSpinDOWNPOLE");
  for (int f = 0; f < 6; ++f) {
    HDC dc = faces_[f]->Canvas()->Handle();
    bool topDown = f == sfTopPressed, bottomDown = f == sfBottomPressed, disabled = f == sfDisabled;
    RECT all{0, 0, w, h};
    TBrushHandle brush(CreateSolidBrush(face));
    FillRect(dc, &all, brush.Get());
    COLORREF arrow = disabled ? grey : text;
    if (classic) {
      RECT top{0, 0, w, h / 2}, bottom{0, h / 2, w, h};
      DrawEdge(dc, &top, topDown ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
      DrawEdge(dc, &bottom, bottomDown ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
      int shiftTop = topDown ? 1 : 0, shiftBottom = bottomDown ? 1 : 0;
      if (disabled) {
        DrawGlyph(dc, up, w / 2 + 1, h / 4 + 1, light, !custom);
        DrawGlyph(dc, down, w / 2 + 1, (h * 3) / 4 + 1, light, !custom);
      }
      DrawGlyph(dc, up, w / 2 + shiftTop, h / 4 + shiftTop, arrow, !custom);
      DrawGlyph(dc, down, w / 2 + shiftBottom, (h * 3) / 4 + shiftBottom, arrow, !custom);
      continue;
    }
    // Split along the diagonal from the bottom-left to the top-right corner.
    POINT topPart[3] = {{0, 0}, {w - 1, 0}, {0, h - 1}};
    POINT bottomPart[3] = {{w - 1, 1}, {w - 1, h - 1}, {1, h - 1}};
    COLORREF topFace = topDown ? shadow : face, bottomFace = bottomDown ? shadow : face;
    FillTriangle(dc, topPart, topFace);
    FillTriangle(dc, bottomPart, bottomFace);
    // The outer frame: light above and left, dark below and right; a pressed part the other way.
    Line(dc, topDown ? dark : light, 0, 0, w - 1, 0);
    Line(dc, topDown ? dark : light, 0, 0, 0, h - 1);
    Line(dc, bottomDown ? light : dark, w - 1, 0, w - 1, h);
    Line(dc, bottomDown ? light : dark, 0, h - 1, w, h - 1);
    Line(dc, shadow, 1, h - 2, w - 2, 1);
    Line(dc, light, 2, h - 2, w - 2, 2);
    int sTop = topDown ? 1 : 0, sBottom = bottomDown ? 1 : 0;
    DrawGlyph(dc, up, w / 3 + sTop, h / 3 + sTop, arrow, !custom);
    DrawGlyph(dc, down, (w * 2) / 3 + sBottom, (h * 2) / 3 + sBottom, arrow, !custom);
  }
}

bool TSpinButtonBitmaps::DrawThemed(TApSpinButton* Button) {
  HWND wnd = Button->Parent() && Button->Parent()->HandleAllocated() ? Button->Parent()->Handle() : nullptr;
  bool classic = key_.Style == sbsClassic;
  HTHEME theme = ApOpenThemeData(wnd, classic ? L"SPIN" : L"BUTTON");
  if (!theme) return false;
  int w = key_.Width, h = key_.Height;
  bool ok = true;
  TBitmap* up = key_.CustomGlyphs ? Button->UpGlyph() : ArrowBitmap(L"ApSpinUP");
  TBitmap* down = key_.CustomGlyphs ? Button->DownGlyph() : ArrowBitmap(L"ApSpinDOWN");
  for (int f = 0; f < 6 && ok; ++f) {
    HDC dc = faces_[f]->Canvas()->Handle();
    RECT all{0, 0, w, h};
    TBrushHandle brush(CreateSolidBrush(ColorToRGB(clBtnFace)));
    FillRect(dc, &all, brush.Get());
    auto state = [&](bool top) {
      if (f == sfDisabled) return 4;
      if ((f == sfTopPressed && top) || (f == sfBottomPressed && !top)) return 3;
      if ((f == sfTopHot && top) || (f == sfBottomHot && !top)) return 2;
      return 1;
    };
    if (classic) {
      RECT top{0, 0, w, h / 2}, bottom{0, h / 2, w, h};
      ok = ApDrawThemeBackground(theme, dc, SPNP_UP, state(true), top) &&
           ApDrawThemeBackground(theme, dc, SPNP_DOWN, state(false), bottom);
      continue;
    }
    // Each half is a push button clipped to its triangle.
    POINT topPart[3] = {{0, 0}, {w, 0}, {0, h}};
    POINT bottomPart[3] = {{w, 0}, {w, h}, {0, h}};
    static const int buttonStates[5] = {0, PBS_NORMAL, PBS_HOT, PBS_PRESSED, PBS_DISABLED};
    for (int part = 0; part < 2 && ok; ++part) {
      TRegionHandle region(CreatePolygonRgn(part == 0 ? topPart : bottomPart, 3, WINDING));
      TSaveDC save(dc);
      SelectClipRgn(dc, region.Get());
      ok = ApDrawThemeBackground(theme, dc, BP_PUSHBUTTON, buttonStates[state(part == 0)], all);
    }
    Line(dc, ColorToRGB(clBtnShadow), 1, h - 2, w - 2, 1);
    COLORREF arrow = ColorToRGB(f == sfDisabled ? clGrayText : clBtnText);
    DrawGlyph(dc, up, w / 3, h / 3, arrow, !key_.CustomGlyphs);
    DrawGlyph(dc, down, (w * 2) / 3, (h * 2) / 3, arrow, !key_.CustomGlyphs);
  }
  ApCloseThemeData(theme);
  return ok;
}

namespace {
TSpinButtonBitmapsManager* manager = nullptr;
}

TSpinButtonBitmapsManager* TSpinButtonBitmapsManager::Acquire() {
  if (!manager) manager = new TSpinButtonBitmapsManager();
  ++manager->users_;
  return manager;
}

void TSpinButtonBitmapsManager::Release() {
  if (--users_ > 0) return;
  if (manager == this) manager = nullptr;
  delete this;
}

TSpinButtonBitmapsManager* TSpinButtonBitmapsManager::Instance() { return manager; }

TSpinButtonBitmaps* TSpinButtonBitmapsManager::WantBitmaps(int Width, int Height, TApSpinButtonStyle Style,
                                                           bool CustomGlyphs) {
  TSpinButtonBitmaps::TKey key{Width, Height, Style, CustomGlyphs};
  auto it = std::lower_bound(
      list_.begin(), list_.end(), key,
      [](const std::unique_ptr<TSpinButtonBitmaps>& b, const TSpinButtonBitmaps::TKey& k) { return b->Key() < k; });
  if (it != list_.end() && (*it)->Key() == key) return it->get();
  return list_.insert(it, std::make_unique<TSpinButtonBitmaps>(key))->get();
}

// ---- the repeat timer on a window timer ----

namespace {

class TWindowRepeatTimer : public TApSpinRepeatTimer {
 public:
  TWindowRepeatTimer() : timer_(std::make_unique<TTimer>(nullptr)) {
    timer_->SetEnabled(false);
    timer_->OnTimer = TNotifyEvent(this, &TWindowRepeatTimer::Tick);
  }
  void Start(unsigned Interval) override {
    timer_->SetEnabled(false);
    timer_->SetInterval(Interval);
    timer_->SetEnabled(true);
  }
  void Stop() override { timer_->SetEnabled(false); }

 private:
  void Tick(TObject*) {
    if (OnTimer) OnTimer(nullptr);
  }
  std::unique_ptr<TTimer> timer_;
};

}  // namespace

// ---- the graphic button ----

TApSpinButton::TApSpinButton(TComponent* AOwner)
    : inherited(AOwner), upGlyph_(std::make_unique<TBitmap>()), downGlyph_(std::make_unique<TBitmap>()) {
  TControlStyle style = ControlStyle();
  style.Include(csCaptureMouse);
  style.Include(csOpaque);
  SetControlStyle(style);
  SetBounds(Left(), Top(), 20, 20);
  upGlyph_->OnChange = TNotifyEvent(this, &TApSpinButton::GlyphChanged);
  downGlyph_->OnChange = TNotifyEvent(this, &TApSpinButton::GlyphChanged);
  manager_ = TSpinButtonBitmapsManager::Acquire();
  SetRepeatTimer(std::make_unique<TWindowRepeatTimer>());
}

TApSpinButton::~TApSpinButton() {
  if (timer_) timer_->Stop();
  timer_.reset();
  manager_->Release();
}

void TApSpinButton::SetRepeatTimer(std::unique_ptr<TApSpinRepeatTimer> Timer) {
  if (timer_) timer_->Stop();
  timer_ = std::move(Timer);
  if (timer_) timer_->OnTimer = TNotifyEvent(this, &TApSpinButton::TimerExpired);
}

void TApSpinButton::SetButtonStyle(TApSpinButtonStyle Value) {
  if (Value == buttonStyle_) return;
  buttonStyle_ = Value;
  Invalidate();
}

void TApSpinButton::SetFocusControl(TWinControl* Value) {
  if (Value == focusControl_) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = Value;
  if (focusControl_) focusControl_->FreeNotification(this);
}

void TApSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TApSpinButton::GlyphChanged(TObject*) { Invalidate(); }

int TApSpinButton::PartAt(int X, int Y) const {
  int w = Width(), h = Height();
  if (buttonStyle_ == sbsClassic) return Y > h / 2 ? 2 : 1;
  // Below the line from the bottom-left to the top-right corner: y > h - x * h / w.
  return static_cast<long long>(Y) * w > static_cast<long long>(h) * (w - X) ? 2 : 1;
}

TSpinButtonFace TApSpinButton::CurrentFace() const {
  return ChooseSpinButtonFace(Enabled(), pressed_, hotTop_, hotBottom_, bitmaps_ && bitmaps_->Themed());
}

void TApSpinButton::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  bitmaps_ = manager_->WantBitmaps(Width(), Height(), buttonStyle_, HasCustomGlyphs());
  bitmaps_->Prepare(this);
  Canvas()->Draw(0, 0, bitmaps_->Face(CurrentFace()));
}

void TApSpinButton::FirePart(int Part) {
  if (Part == 1 && OnTopClick) OnTopClick(this);
  if (Part == 2 && OnBottomClick) OnBottomClick(this);
}

void TApSpinButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (focusControl_ && focusControl_->CanFocus() && !focusControl_->Focused()) focusControl_->SetFocus();
  mouseDown_ = true;
  pressed_ = lastPressed_ = PartAt(X, Y);
  FirePart(pressed_);
  Repaint();
  if (timer_) timer_->Start(400);
}

void TApSpinButton::TimerExpired(TObject*) {
  if (timer_) timer_->Start(100);
  if (MouseCapture() && pressed_ != 0) {
    try {
      FirePart(pressed_);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
}

void TApSpinButton::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  bool inside = X >= 0 && Y >= 0 && X < Width() && Y < Height();
  int part = inside ? PartAt(X, Y) : 0;
  if (mouseDown_) {
    int now = part == lastPressed_ ? lastPressed_ : 0;
    if (now != pressed_) {
      pressed_ = now;
      Repaint();
    }
  }
  if (ThemesActive()) {
    bool top = part == 1, bottom = part == 2;
    if (top != hotTop_ || bottom != hotBottom_) {
      hotTop_ = top;
      hotBottom_ = bottom;
      Invalidate();
    }
  }
}

void TApSpinButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (timer_) timer_->Stop();
  mouseDown_ = false;
  if (pressed_ != 0) {
    pressed_ = 0;
    Repaint();
  }
}

void TApSpinButton::MouseLeave(TControl* AControl) {
  inherited::MouseLeave(AControl);
  if (hotTop_ || hotBottom_) {
    hotTop_ = hotBottom_ = false;
    Invalidate();
  }
}

// ---- the up-down wrapper ----

TApUpDown::TApUpDown(TComponent* AOwner) : inherited(AOwner) {
  SetMin(0);
  SetMax(100);
  SetPosition(50);
  SetWidth(DefaultWidth());
}

int TApUpDown::DefaultWidth() { return std::min(GetSystemMetrics(SM_CXVSCROLL), 15); }

void TApUpDown::SetBounds(int ALeft, int ATop, int, int AHeight) {
  inherited::SetBounds(ALeft, ATop, DefaultWidth(), AHeight);
}

void TApUpDown::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    auto* header = reinterpret_cast<NMUPDOWN*>(Message.LParam);
    if (header->hdr.code == UDN_DELTAPOS) {
      // The position stays in the middle: each arrow only reports a click.
      if (header->iDelta != 0) Click(header->iDelta > 0 ? btNext : btPrev);
      Message.Result = 1;
      return;
    }
  }
  inherited::Dispatch(Message);
}

// ---- the spin edit ----

namespace {

AnsiString Narrow(const WideString& S) {
  AnsiString r;
  r.reserve(S.size());
  for (wchar_t c : S) r += c < 128 ? static_cast<char>(c) : '?';
  return r;
}

// The whole number nearest to Value that the text of a value can hold and be read back as:
// clamped to the 64-bit range, 0 for a value that is not a number.
long long RoundedInRange(long double Value) {
  if (std::isnan(Value)) return 0;
  const long double rounded = std::nearbyint(Value);
  if (rounded >= 9223372036854775808.0L) return std::numeric_limits<long long>::max();
  if (rounded <= -9223372036854775808.0L) return std::numeric_limits<long long>::min();
  return static_cast<long long>(rounded);
}

// A whole number with or without thousands separators.
AnsiString IntegerText(long double Value, bool Thousands) {
  const long long n = RoundedInRange(Value);
  AnsiString digits = std::to_string(n < 0 ? -static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n));
  if (Thousands)
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
      digits.insert(static_cast<size_t>(i), 1, FormatSettings.ThousandSeparator);
  return n < 0 ? "-" + digits : digits;
}

}  // namespace

TApCustomSpinEdit::TApCustomSpinEdit(TComponent* AOwner) : inherited(AOwner) {
  displayFormat_ = ",0.##";
  TControlStyle style = ControlStyle();
  style.Exclude(csSetCaption);
  SetControlStyle(style);
  RecreateButton();
}

TApCustomSpinEdit::~TApCustomSpinEdit() {
  // The buttons go before the edit's window.
  delete button_;
  delete upDown_;
  delete container_;
  button_ = nullptr;
  upDown_ = nullptr;
  container_ = nullptr;
}

long double TApCustomSpinEdit::CheckValue(long double Value) const {
  if (checkMinValue_ && Value < minValue_) Value = minValue_;
  if (checkMaxValue_ && Value > maxValue_) Value = maxValue_;
  return Value;
}

void TApCustomSpinEdit::SetCheckMinValue(bool Value) {
  if (Value == checkMinValue_) return;
  checkMinValue_ = Value;
  if (!IsLoading()) SetValue(GetValue());
}

void TApCustomSpinEdit::SetCheckMaxValue(bool Value) {
  if (Value == checkMaxValue_) return;
  checkMaxValue_ = Value;
  if (!IsLoading()) SetValue(GetValue());
}

void TApCustomSpinEdit::SetMinValue(long double Value) {
  if (Value == minValue_) return;
  minValue_ = Value;
  if (checkMinValue_ && !IsLoading()) SetValue(GetValue());
}

void TApCustomSpinEdit::SetMaxValue(long double Value) {
  if (Value == maxValue_) return;
  maxValue_ = Value;
  if (checkMaxValue_ && !IsLoading()) SetValue(GetValue());
}

void TApCustomSpinEdit::SetDecimal(Byte Value) {
  if (Value == decimal_) return;
  decimal_ = Value;
  if (!IsLoading()) SetValue(GetValue());
}

void TApCustomSpinEdit::SetDisplayFormat(const AnsiString& Value) {
  if (Value == displayFormat_) return;
  long double v = GetValue();
  displayFormat_ = Value;
  if (!IsLoading()) SetValue(v);
}

void TApCustomSpinEdit::SetValueType(TValueType Value) {
  if (Value == valueType_) return;
  long double v = GetValue();
  valueType_ = Value;
  if (valueType_ == vtHex) thousands_ = false;
  if (!IsLoading()) SetValue(v);
}

void TApCustomSpinEdit::SetThousands(bool Value) {
  if (valueType_ == vtHex || Value == thousands_) return;
  long double v = GetValue();
  thousands_ = Value;
  if (!IsLoading()) SetValue(v);
}

void TApCustomSpinEdit::SetShowButton(bool Value) {
  if (Value == showButton_) return;
  showButton_ = Value;
  RecreateButton();
}

void TApCustomSpinEdit::SetButtonKind(TSpinButtonKind Value) {
  if (Value == buttonKind_) return;
  buttonKind_ = Value;
  RecreateButton();
}

void TApCustomSpinEdit::SetAlignment(TAlignment Value) {
  if (Value == alignment_) return;
  alignment_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

int TApCustomSpinEdit::ButtonWidth() const {
  if (upDown_) return upDown_->Width();
  if (container_) return container_->Width();
  return 0;
}

void TApCustomSpinEdit::RecreateButton() {
  if (IsDestroying()) return;
  delete button_;
  delete upDown_;
  delete container_;
  button_ = nullptr;
  upDown_ = nullptr;
  container_ = nullptr;
  if (showButton_) {
    if (buttonKind_ == bkStandard) {
      upDown_ = new TApUpDown(this);
      upDown_->SetParent(this);
      upDown_->OnClick = TUDClickEvent(this, &TApCustomSpinEdit::UpDownClick);
    } else {
      container_ = new TCustomControl(this);
      container_->SetParent(this);
      button_ = new TApSpinButton(this);
      button_->SetParent(container_);
      button_->SetButtonStyle(buttonKind_ == bkClassic ? sbsClassic : sbsDefault);
      button_->SetFocusControl(this);
      button_->OnTopClick = TNotifyEvent(this, &TApCustomSpinEdit::UpClick);
      button_->OnBottomClick = TNotifyEvent(this, &TApCustomSpinEdit::DownClick);
    }
  }
  PlaceButton();
}

void TApCustomSpinEdit::PlaceButton() {
  TRect client = ClientRect();
  int h = client.Height();
  if (upDown_) upDown_->SetBounds(client.Right - TApUpDown::DefaultWidth(), 0, 0, h);
  if (container_) {
    int w = std::max(std::min(h, 17), 9);
    container_->SetBounds(client.Right - w, 0, w, h);
    button_->SetBounds(1, 1, w - 2, h - 2);
  }
  ApplyMargins();
}

void TApCustomSpinEdit::ApplyMargins() {
  if (!HandleAllocated()) return;
  // The text never runs under the button.
  int right = ButtonWidth() ? ButtonWidth() + 2 : 0;
  SendMessageW(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, right));
}

void TApCustomSpinEdit::BoundsChanged() {
  inherited::BoundsChanged();
  PlaceButton();
}

void TApCustomSpinEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  static const DWORD alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  Params.Style |= alignments[alignment_];
}

void TApCustomSpinEdit::CreateWnd() {
  inherited::CreateWnd();
  PlaceButton();
}

void TApCustomSpinEdit::UpDownClick(TObject*, TUDBtnType Button) {
  if (Button == btNext)
    UpClick(this);
  else
    DownClick(this);
}

void TApCustomSpinEdit::Step(long double Delta) {
  if (ReadOnly()) {
    DoBeepOnError();
    return;
  }
  // The limits apply; the change check has nothing more to do.
  bool wasChanging = changing_;
  changing_ = true;
  try {
    SetValue(GetValue() + Delta);
  } catch (...) {
    changing_ = wasChanging;
    throw;
  }
  changing_ = wasChanging;
}

void TApCustomSpinEdit::UpClick(TObject*) {
  Step(increment_);
  if (OnTopClick) OnTopClick(this);
}

void TApCustomSpinEdit::DownClick(TObject*) {
  Step(-increment_);
  if (OnBottomClick) OnBottomClick(this);
}

void TApCustomSpinEdit::Change() {
  // A designed edit keeps the text it is given: the limits may be set after it.
  if (checkOptions_.Contains(coCheckOnChange) && !ComponentState().Contains(csDesigning) && !changing_ &&
      !IsLoading()) {
    changing_ = true;
    try {
      long double v = GetValue();
      long double checked = CheckValue(v);
      if (checked != v && checkOptions_.Contains(coCropBeyondLimit)) {
        int fromEnd = GetTextLen() - SelStart();
        SetValue(checked);
        SetSelStart(std::max(0, GetTextLen() - fromEnd));
      }
      lastChecked_ = checked;
    } catch (...) {
      changing_ = false;
      throw;
    }
    changing_ = false;
  }
  inherited::Change();
}

AnsiString TApCustomSpinEdit::PlainFormat() const {
  return decimal_ > 0 ? "0." + AnsiString(static_cast<size_t>(decimal_), '#') : AnsiString("0");
}

// Out of focus a float with a display format shows its plain digits; the display format is
// what a value set while the edit has the focus shows.
void TApCustomSpinEdit::Reformat() {
  if (valueType_ != vtFloat || displayFormat_.empty() || !showFormatted_) return;
  bool modified = HandleAllocated() && Modified();
  bool wasChanging = changing_;
  changing_ = true;
  SetText(AnsiToWide(FormatFloat(PlainFormat(), GetValue())));
  changing_ = wasChanging;
  if (HandleAllocated()) SetModified(modified);
}

void TApCustomSpinEdit::DoSetFocus(HWND FocusedWnd) {
  showFormatted_ = false;
  inherited::DoSetFocus(FocusedWnd);
}

void TApCustomSpinEdit::DoKillFocus(HWND FocusedWnd) {
  if (checkOptions_.Contains(coCheckOnExit)) {
    long double v = GetValue();
    if (CheckValue(v) != v) SetValue(v);
  }
  showFormatted_ = true;
  Invalidate();
  Reformat();
  inherited::DoKillFocus(FocusedWnd);
}

bool TApCustomSpinEdit::IsValidChar(wchar_t Key) {
  wchar_t decimal = static_cast<unsigned char>(FormatSettings.DecimalSeparator);
  bool valid =
      (Key >= L'0' && Key <= L'9') || Key == L'+' || Key == L'-' || Key == decimal || (Key < 32 && Key != VK_RETURN);
  if (valueType_ == vtHex) valid = valid || (Key >= L'A' && Key <= L'F') || (Key >= L'a' && Key <= L'f');
  if (Key == decimal && valueType_ != vtFloat) valid = false;
  if (!editorEnabled_ && valid && (Key >= 32 || Key == VK_BACK)) valid = false;
  return valid;
}

void TApCustomSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (arrowKeys_ && (Key == VK_UP || Key == VK_DOWN)) {
    if (Key == VK_UP)
      UpClick(this);
    else
      DownClick(this);
    Key = 0;
    return;
  }
  if (!editorEnabled_ && Key == VK_DELETE) {
    Key = 0;
    DoBeepOnError();
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TApCustomSpinEdit::KeyPress(wchar_t& Key) {
  wchar_t decimal = static_cast<unsigned char>(FormatSettings.DecimalSeparator);
  if (Key == decimal && valueType_ == vtFloat) {
    WideString text = Text();
    size_t at = text.find(decimal);
    if (at != WideString::npos) {
      // A second separator only moves the caret behind the one there is.
      SetSelStart(static_cast<int>(at) + 1);
      SetSelLength(0);
      Key = 0;
      return;
    }
  }
  if (Key == VK_RETURN) {
    Key = 0;
    return;
  }
  if (!IsValidChar(Key)) {
    Key = 0;
    DoBeepOnError();
    return;
  }
  inherited::KeyPress(Key);
}

bool TApCustomSpinEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (WheelDelta < 1)
    DownClick(this);
  else
    UpClick(this);
  return true;
}

bool TApCustomSpinEdit::CommandAllowed(TApClipboardCommand Command) {
  if (!editorEnabled_ && (Command == caCut || Command == caPaste)) return false;
  return inherited::CommandAllowed(Command);
}

void TApCustomSpinEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_THEMECHANGED) {
    NotifyThemeChanged();
    inherited::Dispatch(Message);
    RecreateButton();
    return;
  }
  inherited::Dispatch(Message);
  // A new font brings the font's own margins back.
  if (Message.Msg == WM_SETFONT) ApplyMargins();
  // The system's themed edit frame paints over the inside of the edit, buttons and all.
  if (Message.Msg == WM_NCPAINT) RepaintButtons();
}

void TApCustomSpinEdit::RepaintButtons() {
  TWinControl* buttons = container_ ? container_ : upDown_;
  if (buttons && buttons->HandleAllocated())
    RedrawWindow(buttons->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// ---- the published spin edit ----

TApSpinEdit::TApSpinEdit(TComponent* AOwner) : inherited(AOwner) { SetText(L"0"); }

long double TApSpinEdit::GetValue() {
  AnsiString text = Narrow(Text());
  char thousands = FormatSettings.ThousandSeparator, decimal = FormatSettings.DecimalSeparator;
  long double v = 0;
  switch (ValueType()) {
    case vtFloat:
      if (DisplayFormat().empty()) {
        if (thousands != decimal) text = DeleteChars(text, thousands);
        if (!TryStrToFloat(text, v)) v = MinValue();
      } else if (!TryStrToFloat(ToValueText(text), v)) {
        v = MinValue();
      }
      return v;
    case vtHex: {
      long long n = 0;
      return TryStrToInt64("$" + DeleteOuterSpaces(text), n) ? static_cast<long double>(n) : 0;
    }
    default: {
      long long n = 0;
      if (thousands != decimal) text = DeleteChars(text, thousands);
      return TryStrToInt64(DeleteOuterSpaces(text), n) ? static_cast<long double>(n) : 0;
    }
  }
}

void TApSpinEdit::SetValue(long double Value) {
  Value = CheckValue(Value);
  AnsiString text;
  switch (ValueType()) {
    case vtFloat:
      if (DisplayFormat().empty())
        text = FloatToStrF(Value, Thousands() ? ffNumber : ffFixed, 15, Decimal());
      else
        text = FormatFloat(DisplayFormat(), Value);
      break;
    case vtHex: text = IntToHex(RoundedInRange(Value), 1); break;
    default: text = IntegerText(Value, Thousands()); break;
  }
  bool modified = HandleAllocated() && Modified();
  bool wasChanging = changing_;
  changing_ = true;
  try {
    SetText(AnsiToWide(text));
  } catch (...) {
    changing_ = wasChanging;
    throw;
  }
  changing_ = wasChanging;
  if (HandleAllocated()) SetModified(modified);
  Reformat();
}
