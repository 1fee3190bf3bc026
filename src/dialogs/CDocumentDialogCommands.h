#pragma once
// The document's commands that run a dialog: modify primitive, select primitive, statistics and the
// TIM manager. They live above the document, which reaches them through its command routing.
#include "platform/CCmdTarget.h"

namespace polyvane {

class CPolyvaneDoc;

class CDocumentDialogCommands : public CCmdTarget {
  public:
    explicit CDocumentDialogCommands(CPolyvaneDoc& doc) : m_doc(doc) {}
    bool OnCmdMsg(unsigned id, CCmdUI* update) override;

    void OnModifyPrim();
    void OnSelectPrim();
    void OnStats();
    void OnTimManager();
    void OnTexturesView();
    void OnTexturesLoadFolder();

  private:
    CPolyvaneDoc& m_doc;
};

} // namespace polyvane
