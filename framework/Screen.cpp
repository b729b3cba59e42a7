// The screen object: forms and focus, cursors, fonts and the display's metrics.
#include "framework/Screen.h"

#include <algorithm>

#include "framework/CallbackGuard.h"
#include "framework/Forms.h"

TScreen* Screen = nullptr;

namespace {

struct TCursorResource {
  int Cursor;
  const wchar_t* System;    // a system cursor (IDC_...), or null
  const wchar_t* Resource;  // one of the program's own cursor resources, or null
};

// The program draws its own cursors for dragging and splitting (resources/cursors/).
const TCursorResource kCursors[] = {
    {0, IDC_ARROW, nullptr},     {-2, IDC_ARROW, nullptr},    {-3, IDC_CROSS, nullptr},
    {-4, IDC_IBEAM, nullptr},    {-6, IDC_SIZENESW, nullptr}, {-7, IDC_SIZENS, nullptr},
    {-8, IDC_SIZENWSE, nullptr}, {-9, IDC_SIZEWE, nullptr},   {-10, IDC_UPARROW, nullptr},
    {-11, IDC_WAIT, nullptr},    {-12, nullptr, L"CRDRAG"},   {-13, nullptr, L"CRNODROP"},
    {-14, nullptr, L"CRHSPLIT"}, {-15, nullptr, L"CRVSPLIT"}, {-16, nullptr, L"CRMULTIDRAG"},
    {-17, IDC_WAIT, nullptr},    {-18, IDC_NO, nullptr},      {-19, IDC_APPSTARTING, nullptr},
    {-20, IDC_HELP, nullptr},    {-21, IDC_HAND, nullptr},    {-22, IDC_SIZEALL, nullptr},
};

struct TFontFamilies {
  TStringListW* List;
  TCallbackGuard Guard;
};

int CALLBACK AddFontFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* families = reinterpret_cast<TFontFamilies*>(param);
  return families->Guard.Run(
      [&] {
        // Vertical variants ("@Name") are not families of their own.
        if (font->lfFaceName[0] != L'@') families->List->Add(font->lfFaceName);
        return 1;
      },
      0);
}

}  // namespace

HV_PUBLISH(TScreen) {}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner), pixelsPerInch_(TFont::ScreenPixelsPerInch()) {}

TScreen::~TScreen() = default;

TCustomForm* TScreen::Forms(int Index) const {
  if (Index < 0 || Index >= FormCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return forms_[static_cast<size_t>(Index)];
}

void TScreen::AddForm(TCustomForm* Form) {
  if (std::find(forms_.begin(), forms_.end(), Form) == forms_.end()) forms_.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), Form), forms_.end());
  if (activeControl_ && GetParentForm(activeControl_) == Form) SetActiveControl(nullptr);
  if (activeForm_ == Form) SetActiveForm(nullptr);
}

void TScreen::MoveFormToFront(TCustomForm* Form) {
  auto it = std::find(forms_.begin(), forms_.end(), Form);
  if (it == forms_.end()) return;
  forms_.erase(it);
  forms_.insert(forms_.begin(), Form);
}

void TScreen::SetActiveForm(TCustomForm* Form) {
  if (Form) MoveFormToFront(Form);
  if (Form == activeForm_) return;
  activeForm_ = Form;
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* Control) {
  if (Control == activeControl_) return;
  activeControl_ = Control;
  if (OnActiveControlChange) OnActiveControlChange(this);
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == cursor_) return;
  cursor_ = Value;
  // The new shape shows at once: the window under the mouse sets it again.
  POINT p{};
  GetCursorPos(&p);
  HWND wnd = WindowFromPoint(p);
  if (wnd && FindControl(wnd))
    SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  else if (Value != crDefault)
    ::SetCursor(Cursors(Value));
}

HCURSOR TScreen::Cursors(TCursor Index) {
  auto found = cursors_.find(Index);
  if (found != cursors_.end()) return found->second.Handle;
  HCURSOR handle = nullptr;
  bool known = false;
  for (const TCursorResource& r : kCursors) {
    if (r.Cursor != Index) continue;
    known = true;
    if (r.Resource) handle = LoadCursorW(GetModuleHandleW(nullptr), r.Resource);
    if (!handle && r.System) handle = LoadCursorW(nullptr, r.System);
    break;
  }
  if (Index == crNone) known = true;  // no cursor at all
  if (!known || (!handle && Index != crNone)) handle = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  cursors_[Index].Handle = handle;
  return handle;
}

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
  TCursorEntry& entry = cursors_[Index];
  entry.Owner.reset(Handle);
  entry.Handle = Handle;
}

TStringsW* TScreen::Fonts() {
  if (!fonts_) {
    auto list = std::make_unique<TStringListW>();
    list->SetSorted(true);
    list->SetDuplicates(dupIgnore);
    TWindowDC dc;
    LOGFONTW pattern{};
    pattern.lfCharSet = DEFAULT_CHARSET;
    TFontFamilies families{list.get(), {}};
    EnumFontFamiliesExW(dc.Get(), &pattern, &AddFontFamily, reinterpret_cast<LPARAM>(&families), 0);
    families.Guard.Rethrow();
    fonts_ = std::move(list);
  }
  return fonts_.get();
}

TRect TScreen::WorkAreaRect() const {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) r = RECT{0, 0, Width(), Height()};
  return ToTRect(r);
}
