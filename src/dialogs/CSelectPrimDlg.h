#pragma once
// Picks a primitive of the selected object by its index, typed or set with a slider.
#include "platform/CDialog.h"

#include <cstdint>

namespace polyvane {

class CSelectPrimDlg : public CDialog {
  public:
    explicit CSelectPrimDlg(void* parent = nullptr);

    bool OnInitDialog() override;
    // The slider's moves fill in the field; a number typed in range moves the thumb.
    bool OnCmdMsg(unsigned id, CCmdUI* update) override;

    // The chosen index, in and out; the highest index the slider offers.
    std::int32_t m_nPosition = 0;
    std::int32_t m_nMaximum = 1;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
};

// The slider's tick spacing for a highest index: about ten ticks, 0 below 10.
[[nodiscard]] constexpr std::int32_t SliderTickFrequency(std::int32_t maximum) {
    return maximum / 10;
}

} // namespace polyvane
