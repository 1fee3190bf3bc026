#pragma once
// Writing the document as a TMD file, with a choice of the searches that find shared vertices and
// normals (the plain ones give the same file and serve as the reference).
#include "CPolyvaneDoc.h"
#include "VertexSharing.h"

namespace polyvane {

// Size in bytes of the packet WritePacket writes for a record with these attribute bits.
[[nodiscard]] std::size_t PacketSize(std::uint16_t attr);

// What CPolyvaneDoc::WriteTmd does, with the given sharing searches.
bool WriteTmdWith(CPolyvaneDoc& doc, CArchive& ar, SharingMethod method);

} // namespace polyvane
