#pragma once
// Shows the model's extents (smallest and largest X, Y and Z) and how many packets of each kind the
// selected object has.
#include "platform/CDialog.h"

namespace polyvane {

class CPolyvaneDoc;

class CStatsDlg : public CDialog {
  public:
    explicit CStatsDlg(void* parent = nullptr);

    void OnPaint() override;

    const CPolyvaneDoc* m_pDoc = nullptr;
};

} // namespace polyvane
