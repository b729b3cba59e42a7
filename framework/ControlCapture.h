// The control that has the mouse captured, shared by the units of controls with and without a
// window of their own; everyone else asks GetCaptureControl.
#pragma once

class TControl;

namespace controls_detail {
inline TControl* captureControl = nullptr;
}  // namespace controls_detail
