// The up-down control ("msctls_updown32"): two arrows that step a position between Min and
// Max, optionally shown in an associated edit.
#pragma once

#include "framework/Controls.h"

HV_ENUM(TUDBtnType, btNext, btPrev)
HV_ENUM(TUDOrientation, udHorizontal, udVertical)
HV_ENUM(TUDAlignButton, udLeft, udRight)

using TUDClickEvent = TEvent<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

class TCustomUpDown : public TWinControl {
  HV_CLASS(TCustomUpDown, TWinControl)
 public:
  explicit TCustomUpDown(TComponent* AOwner);

  int Min() const { return min_; }
  void SetMin(int Value);
  int Max() const { return max_; }
  void SetMax(int Value);
  // Kept inside Min..Max.
  int Position();
  void SetPosition(int Value);
  int Increment() const { return increment_; }
  void SetIncrement(int Value);
  bool Wrap() const { return wrap_; }
  void SetWrap(bool Value);
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool Value);
  bool Thousands() const { return thousands_; }
  void SetThousands(bool Value);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation Value);
  TUDAlignButton AlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton Value);
  // The control whose text shows the position; the arrows sit beside it.
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* Value);

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual bool CanChange();
  virtual void Click(TUDBtnType Button);

 private:
  void ApplyRange();

  int min_ = 0, max_ = 100, position_ = 0, increment_ = 1;
  bool wrap_ = false, arrowKeys_ = true, thousands_ = true;
  TUDOrientation orientation_ = udVertical;
  TUDAlignButton alignButton_ = udRight;
  TWinControl* associate_ = nullptr;
};

class TUpDown : public TCustomUpDown {
  HV_CLASS(TUpDown, TCustomUpDown)
 public:
  explicit TUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {}
};
