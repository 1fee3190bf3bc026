// Writing the document as a TMD file.
#include "CPolyvaneDoc.h"

namespace polyvane {

// Not written yet: saving reports failure so that no file is ever replaced by a partial one.
bool CPolyvaneDoc::WriteTmd(CArchive&) { return false; }

} // namespace polyvane
