#pragma once
// Saving the document as a TMD file, with a choice of the searches that find shared vertices and
// normals (the plain ones give the same file and serve as the reference).
#include "CPolyvaneDoc.h"
#include "formats/TmdCodec.h"

namespace polyvane {

// What the document's Serialize does when storing, with the given sharing searches: prepares every
// object, writes the model and shows the failure, if any, as a message.
bool WriteTmdWith(CPolyvaneDoc& doc, CArchive& ar, SharingMethod method);

} // namespace polyvane
