// The colour chooser button of the preferences: its face shows the colour; a press opens the
// colour dialog, or with an arrow part the drop-down palette of colour squares.
#pragma once

#include <memory>

#include "controls/ApColorBox.h"
#include "framework/Dialogs.h"

class TApColorForm;
class TStringList;
class TStrings;

using TNSPaletteShowingEvent = TEvent<void(TObject* Sender, bool& Allow)>;

// Posted to the button to close its palette once the focus went elsewhere.
constexpr UINT NSM_CLOSEPALETTE = 0xB300;

class TNSApColorButton : public TApCustomDropButton {
  HV_CLASS(TNSApColorButton, TApCustomDropButton)
 public:
  explicit TNSApColorButton(TComponent* AOwner);
  ~TNSApColorButton() override;

  // The colour the button stands for (not the control's background): a change tells OnChange.
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  int EdgeWidth() const { return edgeWidth_; }
  void SetEdgeWidth(int Value);
  // False: a press left of the arrow part does nothing.
  bool ButtonShowsPalette() const { return buttonShowsPalette_; }
  void SetButtonShowsPalette(bool Value) { buttonShowsPalette_ = Value; }
  TColorDialogOptions Options() const { return options_; }
  void SetOptions(TColorDialogOptions Value) { options_ = Value; }
  // The colour dialog's custom colours as "ColorA=rrggbb" lines; empty: the system colours.
  TStringList* CustomColors() const { return customColors_.get(); }
  void SetCustomColors(TStrings* Value);
  const WideString& OtherCaption() const { return otherCaption_; }
  void SetOtherCaption(const WideString& Value) { otherCaption_ = Value; }
  // The palette, made again when a closed one went.
  TApColorForm* ColorForm();

  // The 16 custom colours offered when CustomColors is empty: "ColorA".."ColorP" with the
  // values of the system colours of borders, captions, windows, buttons, hints and selections.
  static void DefaultCustomColors(TStrings* Lines);

  // Opens what the button drops: the palette (shown, or hidden when it shows), or without an
  // arrow part the colour dialog, whose confirmed colour becomes Color.
  virtual void DropDown();
  void CloseUp(TModalResult Result) override;
  void ClosePalette();
  bool PaletteVisible() const;

  TNotifyEvent OnChange;
  TNSPaletteShowingEvent OnPaletteShowing;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoKillFocus(HWND FocusedWnd) override;
  void GetDlgCode(LRESULT& Code) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // Whether the window is the button, the palette or inside the palette.
  bool OwnWindow(HWND Wnd);

  TApColorForm* form_ = nullptr;
  std::unique_ptr<TStringList> customColors_;
  WideString otherCaption_ = L"&Other...";
  TColor color_ = TColor(0);
  int edgeWidth_ = 5;
  bool buttonShowsPalette_ = true;
  bool paletteWasOpen_ = false;
  TColorDialogOptions options_;
};
