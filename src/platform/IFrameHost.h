#pragma once
// The frame a view lives in, as far as a view may ask it for anything.

namespace polyvane {

// View IDs a frame knows: the model view and the texture view.
constexpr int kModelViewId = 1;
constexpr int kTextureViewId = 8;

class IFrameHost {
  public:
    virtual ~IFrameHost() = default;
    // Shows the view known by `viewId` in place of the active one (kModelViewId, kTextureViewId).
    virtual void SwitchView(int viewId) = 0;
};

} // namespace polyvane
