#include "CStatsDlg.h"

#include "DialogIds.h"
#include "model/CPolyvaneDoc.h"

#include <string>

namespace polyvane {

CStatsDlg::CStatsDlg(void* parent) : CDialog(IDD_STATS, parent) {}

void CStatsDlg::OnPaint() {
    if (!m_pDoc)
        return;
    const TmdVector& lo = m_pDoc->MinExtent();
    const TmdVector& hi = m_pDoc->MaxExtent();
    SetDlgItemText(IDC_MIN_X, std::to_string(lo.vx));
    SetDlgItemText(IDC_MIN_Y, std::to_string(lo.vy));
    SetDlgItemText(IDC_MIN_Z, std::to_string(lo.vz));
    SetDlgItemText(IDC_MAX_X, std::to_string(hi.vx));
    SetDlgItemText(IDC_MAX_Y, std::to_string(hi.vy));
    SetDlgItemText(IDC_MAX_Z, std::to_string(hi.vz));
    // The selected object's packets: its polygons, and those kept as read.
    const PacketCounts kept = CountPackets(m_pDoc->KeptPackets(m_pDoc->SelectedObject()));
    SetDlgItemText(IDC_PACKET_COUNTS, "Polygons " + std::to_string(m_pDoc->WorkCount()) + ", lines " +
                                          std::to_string(kept.lines) + ", sprites " +
                                          std::to_string(kept.sprites) + ", other " +
                                          std::to_string(kept.others));
}

} // namespace polyvane
