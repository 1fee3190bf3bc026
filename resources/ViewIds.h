#pragma once
// The views a frame can show, by the IDs a view asks its frame to switch to.
namespace polyvane {

constexpr int kModelViewId = 1;
constexpr int kTextureViewId = 8;

} // namespace polyvane
