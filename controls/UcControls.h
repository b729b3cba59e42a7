// The Unicode text and hint of any control, the Unicode windows of the Unicode controls, the
// Unicode hint window and Unicode text on a canvas. The framework keeps every text as UTF-16
// already, so these functions are thin: they keep the names the Unicode controls call, and the
// rules those callers rely on (an equal text changes nothing; a window's text is read as far
// as the system copied it; the short hint is the part before "|").
#pragma once

#include "framework/Controls.h"
#include "framework/HintWindow.h"

// The control's text: its window's text when it has a window, else the text it keeps.
WideString UcControl_GetText(TControl* Control);
// Sets the text; an equal text (compared unit by unit) sends no CM_TEXTCHANGED.
void UcControl_SetText(TControl* Control, const WideString& Value);
WideString UcControl_GetHint(TControl* Control);
// Sets the hint without announcing a change.
void UcControl_SetHint(TControl* Control, const WideString& Value);
// The stored tests of a Unicode Caption and Hint: false while the control's action supplies
// the value.
bool UcControl_IsCaptionStored(TControl* Control);
bool UcControl_IsHintStored(TControl* Control);

// The part of a hint before the first "|" / after it; the whole hint without one.
WideString WideShortHint(const WideString& Hint);
WideString WideLongHint(const WideString& Hint);
// The first non-empty hint of the control or of its parents; empty when none.
WideString WideControlHint(TControl* Control);

struct THintInfo;
// The hint a Unicode control shows: the short part of its hint (or of its parents'), followed
// by a blank and its action's shortcut in parentheses when the application shows shortcuts in
// hints.
WideString UcControl_HintText(TControl* Control);
// Prepares a hint about to show (CM_HINTSHOW): the plain hint window becomes the Unicode one,
// and the text is UcControl_HintText.
void UcControl_PrepareHint(TControl* Control, THintInfo& Info);

// The window class of a Unicode control is named after its creation class name followed by
// UnicodeClassSuffix; this gives the creation parameters that name (once).
extern const wchar_t* const UnicodeClassSuffix;
void UnicodeClassParams(TCreateParams& Params);
// Creates the window of a control from its creation parameters (called from a control's
// CreateWindowHandle) in the Unicode class of that name; with a system class name the
// control's default procedure becomes that class's. Raises the system's error when the window
// cannot be made.
void CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params, const WideString& SubClass);
// Gives a control's new window its text: the control's own text, else Caption.
void SubClassUnicodeControl(TWinControl* Control, const WideString& Caption);

// The character of a WM_CHAR message, and storing one into it.
wchar_t WideCharOfCharMessage(const TMessage& Message);
void SetWideCharOfCharMessage(TMessage& Message, wchar_t Ch);

// Text on a canvas with the wide system calls. CanvasTextOutW moves the pen to the end of the
// text (a right-to-left canvas draws it left of X).
void CanvasTextOutW(TCanvas* Canvas, int X, int Y, const WideString& Text);
TSize CanvasTextExtentW(TCanvas* Canvas, const WideString& Text);
int CanvasTextWidthW(TCanvas* Canvas, const WideString& Text);
int CanvasTextHeightW(TCanvas* Canvas, const WideString& Text);

// The hint window of the Unicode controls: the text measured and drawn with the wide calls.
class TUcCustomHintWindow : public THintWindow {
  HV_CLASS(TUcCustomHintWindow, THintWindow)
 public:
  explicit TUcCustomHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
  // (0, 0, width + 6, height + 2) of the text wrapped at MaxWidth.
  TRect CalcHintRect(int MaxWidth, const WideString& AHint, void* AData) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};
