// Mirroring and reorienting the selected object.
#include "CPolyvaneDoc.h"

#include <span>
#include <utility>

namespace polyvane {

namespace {

// Applies `change` to every corner slot of the selected object (a triangle's unused fourth slot too),
// as one step of the history. Each of these tools is its own inverse.
template <typename Change> void ChangeCorners(CPolyvaneDoc& doc, const char* name, Change change) {
    if (!doc.HasSelection())
        return;
    doc.ChangeSelectedObject(
        name,
        [change](std::span<WorkPrimitive> records) {
            for (WorkPrimitive& p : records) {
                for (int k = 0; k < 4; ++k)
                    change(p.x[k], p.y[k], p.z[k]);
                // The file's normals belong to the old geometry; the step's saved records bring them back.
                p.fileNormals = 0;
            }
        },
        true);
}

} // namespace

void CPolyvaneDoc::OnSwapXZ() {
    ChangeCorners(*this, "Swap X and Z", [](double& x, double&, double& z) { std::swap(x, z); });
}

void CPolyvaneDoc::OnFlipX() {
    ChangeCorners(*this, "Flip X", [](double& x, double&, double&) { x = -x; });
}

void CPolyvaneDoc::OnFlipY() {
    ChangeCorners(*this, "Flip Y", [](double&, double& y, double&) { y = -y; });
}

void CPolyvaneDoc::OnFlipZ() {
    ChangeCorners(*this, "Flip Z", [](double&, double&, double& z) { z = -z; });
}

} // namespace polyvane
