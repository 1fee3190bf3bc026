#pragma once
// The frame a view lives in, as far as a view may ask it for anything.

namespace polyvane {

class IFrameHost {
  public:
    virtual ~IFrameHost() = default;
    // Shows the view known by `viewId` (one of the program's view IDs) in place of the active one.
    virtual void SwitchView(int viewId) = 0;
};

} // namespace polyvane
