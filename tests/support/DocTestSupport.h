#pragma once
// Loading byte-built files into a document, with the messages it showed.
#include "model/CPolyvaneDoc.h"
#include "platform/CView.h"
#include "platform/MessageBox.h"

#include <memory>
#include <string>
#include <vector>

namespace polyvane::test {

struct LoadResult {
    std::unique_ptr<CPolyvaneDoc> doc;
    bool ok = false;
    std::vector<std::string> messages;
};

// Loads `bytes` as the document's Serialize would, under `fileName`.
inline LoadResult LoadBytes(const std::vector<std::uint8_t>& bytes,
                            const std::string& fileName = "model.tmd") {
    LoadResult r;
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    r.doc = std::make_unique<CPolyvaneDoc>();
    CArchive ar = CArchive::FromMemory(bytes, fileName);
    r.doc->Serialize(ar);
    r.ok = r.doc->LoadSucceeded();
    r.messages = box.Texts();
    return r;
}

// A view that counts the redraws its document asks for.
class UpdateCounter : public CView {
  public:
    void OnDraw(CDC*) override {}
    void OnUpdate(CView*, long, void*) override { ++updates; }
    int updates = 0;
};

inline std::string SourcePath(const std::string& relative) {
    return std::string(POLYVANE_SOURCE_DIR) + "/" + relative;
}
inline std::string RealDataPath(const std::string& relative) {
    return std::string(POLYVANE_REALDATA_DIR) + "/" + relative;
}

} // namespace polyvane::test
