// The screen: the program's forms and which of them is active, the control with the focus,
// mouse cursors, the installed fonts and the display's size and resolution. One object, the
// global Screen, lives as long as the program.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "framework/Controls.h"
#include "framework/StringLists.h"

class TCustomForm;

class TScreen : public TComponent {
  HV_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  // The forms, most recently activated first.
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int Index) const;
  TCustomForm* ActiveForm() const { return activeForm_; }
  TWinControl* ActiveControl() const { return activeControl_; }

  // A cursor other than crDefault overrides every control's own (an hourglass while busy).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  // The cursor handle of a cursor number: the system's shapes, the program's own drag and
  // split cursors, and those added with SetCursors; the arrow for unknown numbers.
  HCURSOR Cursors(TCursor Index);
  // Adds or replaces a cursor; the screen destroys it when it is replaced or at the end.
  void SetCursors(TCursor Index, HCURSOR Handle);

  // The names of the installed font families, sorted.
  TStringsW* Fonts();
  int PixelsPerInch() const { return pixelsPerInch_; }
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  // The screen less the task bar.
  TRect WorkAreaRect() const;
  int WorkAreaLeft() const { return WorkAreaRect().Left; }
  int WorkAreaTop() const { return WorkAreaRect().Top; }
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

 private:
  friend class TCustomForm;
  friend class TWinControl;
  friend class TControl;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);
  void SetActiveControl(TWinControl* Control);
  // Brings a form to the front of the list (it was activated).
  void MoveFormToFront(TCustomForm* Form);

  // Cursors added with SetCursors belong to the screen; the system's are shared.
  struct TCursorFree {
    void operator()(HCURSOR cursor) const { DestroyCursor(cursor); }
  };
  using TCursorOwner = std::unique_ptr<std::remove_pointer_t<HCURSOR>, TCursorFree>;
  struct TCursorEntry {
    HCURSOR Handle = nullptr;
    TCursorOwner Owner;
  };
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  TCursor cursor_ = crDefault;
  std::map<int, TCursorEntry> cursors_;
  std::unique_ptr<TStringListW> fonts_;
  int pixelsPerInch_;
};

extern TScreen* Screen;
