#include "CView.h"

#include "CDocument.h"

namespace polyvane {

CView::~CView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

void CView::SetDocument(CDocument* doc) {
    if (m_pDocument == doc)
        return;
    if (m_pDocument)
        m_pDocument->RemoveView(this);
    m_pDocument = doc;
    if (doc)
        doc->AddView(this);
}

void CView::OnUpdate(CView*, long, void*) {
    Invalidate(true);
}

void CView::OnLButtonDown(unsigned, CPoint) {}
void CView::OnLButtonUp(unsigned, CPoint) {}
void CView::OnRButtonDown(unsigned, CPoint) {}
void CView::OnRButtonUp(unsigned, CPoint) {}
void CView::OnMouseMove(unsigned, CPoint) {}

CRect CView::GetClientRect() const {
    return m_pHost ? m_pHost->GetClientRect() : CRect{};
}
void CView::Invalidate(bool erase) {
    if (m_pHost)
        m_pHost->Invalidate(erase);
}
void CView::SetCapture() {
    if (m_pHost)
        m_pHost->SetCapture();
}
void CView::ReleaseCapture() {
    if (m_pHost)
        m_pHost->ReleaseCapture();
}
bool CView::HasCapture() const {
    return m_pHost && m_pHost->HasCapture();
}

} // namespace polyvane
