#pragma once
// A view that draws nothing and counts the redraws its document asks for.
#include "platform/CView.h"

namespace polyvane::test {

class CountingView final : public CView {
  public:
    void OnDraw(CDC*) override {}
    void OnUpdate(CView*, long, void*) override { ++updates; }
    int updates = 0;
};

} // namespace polyvane::test
