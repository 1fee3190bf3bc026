// Stepping through the model's primitives and objects, and the attribute clipboard.
#include "CPolyvaneDoc.h"

namespace polyvane {

void CPolyvaneDoc::OnNextPrim() {
    const auto index = CurrentPrimitiveIndex();
    if (!index)
        return;
    m_current = *index + 1 < WorkCount() ? *index + 1 : 0;
    UpdateAllViews(nullptr, 0, nullptr);
}

void CPolyvaneDoc::OnPrevPrim() {
    const auto index = CurrentPrimitiveIndex();
    if (!index)
        return;
    m_current = *index > 0 ? *index - 1 : WorkCount() - 1;
    UpdateAllViews(nullptr, 0, nullptr);
}

void CPolyvaneDoc::OnNextObject() {
    const std::uint32_t next = m_selected + 1;
    SelectModelObject(next < ObjectCount() ? next : 0);
}

void CPolyvaneDoc::OnPrevObject() {
    // With no objects this asks for object 0xFFFFFFFF, which the selection refuses.
    SelectModelObject(m_selected == 0 ? ObjectCount() - 1 : m_selected - 1);
}

void CPolyvaneDoc::OnEditCopy() {
    CopyPrimitive();
}

void CPolyvaneDoc::PastePrimitive() {
    if (!CurrentPrimitive() || !HasClipboard())
        return;
    ChangeCurrentPrimitive("Paste", [this](WorkPrimitive& target) {
        if (!(target.attr & PA_TEXTURED)) {
            target.tpage = m_clipPrim.tpage;
            target.pmode = m_clipPrim.pmode;
            target.abr = m_clipPrim.abr;
            target.clutX = m_clipPrim.clutX;
            target.clutY = m_clipPrim.clutY;
            for (int k = 0; k < 4; ++k) {
                target.u[k] = m_clipPrim.u[k];
                target.v[k] = m_clipPrim.v[k];
            }
        }
        // The vertex count is geometry, not an attribute: the target keeps its own.
        target.attr = static_cast<std::uint16_t>((m_clipPrim.attr & ~PA_QUAD) | (target.attr & PA_QUAD));
        for (int k = 0; k < 4; ++k)
            target.colour[k] = m_clipPrim.colour[k];
    });
}

bool CPolyvaneDoc::SelectPrimitive(std::uint32_t index) {
    if (index >= WorkCount())
        return false;
    m_current = index;
    return true;
}

} // namespace polyvane
