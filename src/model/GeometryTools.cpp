// Mirroring and reorienting the selected object.
#include "CPolyvaneDoc.h"
#include "formats/FixedPoint.h"

#include <span>
#include <utility>

namespace polyvane {

namespace {

// Applies `change` to every corner slot of the selected object (a triangle's unused fourth slot too)
// and to the vertices of its lines and sprites, as one step of the history. Each of these tools is
// its own inverse, on the packets' 16-bit vertices too: they wrap as the file's do.
template <typename Change> void ChangeCorners(CPolyvaneDoc& doc, const char* name, Change change) {
    if (!doc.HasSelection())
        return;
    doc.ChangeSelectedObject(
        name,
        [change](std::span<WorkPrimitive> records, std::span<KeptPacket> packets) {
            for (WorkPrimitive& p : records)
                for (int k = 0; k < 4; ++k)
                    change(p.x[k], p.y[k], p.z[k]);
            for (KeptPacket& packet : packets)
                for (std::size_t k = 0; k < packet.vertexCount; ++k) {
                    TmdVector& v = packet.vertices[k];
                    double x = v.vx, y = v.vy, z = v.vz;
                    change(x, y, z);
                    v.vx = TruncToInt16(x);
                    v.vy = TruncToInt16(y);
                    v.vz = TruncToInt16(z);
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
