// Importing a LightWave LWOB object.
#include "CPolyvaneDoc.h"

namespace polyvane {

// Not imported yet: the document stays empty and the open fails.
void CPolyvaneDoc::ReadLwo(CArchive&) {}

} // namespace polyvane
