#pragma once
// The display service over Qt. The screen's own mode is never changed: the display object covers
// the screen with a full-screen window, and the chosen mode's pages are scaled onto it. Without a
// widget application or a screen, no display object is made.
#include "platform/DisplayService.h"

namespace polyvane {

class QtDisplayService final : public IDisplayService {
  public:
    HRESULT DirectDrawCreate(std::unique_ptr<IDirectDraw>& out) override;
};

} // namespace polyvane
