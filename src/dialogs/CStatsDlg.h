#pragma once
// Shows the selected object's extents: smallest and largest X, Y and Z.
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
