#pragma once
// The frame a view lives in, as far as a view may ask it for anything.

namespace polyvane {

class IFrameHost {
  public:
    virtual ~IFrameHost() = default;
    // Shows the view known by `viewId` in place of the active one (1 model view, 8 texture view).
    virtual void SwitchView(int viewId) = 0;
};

} // namespace polyvane
