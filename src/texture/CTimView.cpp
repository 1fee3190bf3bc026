#include "CTimView.h"

#include "TimViewLayout.h"
#include "ViewIds.h"
#include "formats/TimPicture.h"
#include "platform/CDC.h"
#include "platform/IFrameHost.h"

#include "CommandIds.h"

#include <string>
#include <vector>

namespace polyvane {

namespace {

constexpr CSize kInitialScrollSize{400, 400};
constexpr COLORREF kOutlineColour = 0xFFFF00; // red 0, green 255, blue 255

// The picture as a top-down 32-bit bitmap for the blit: colours exactly as the PNG export writes
// them, whatever the texture's mode or width.
struct PictureBitmap {
    BITMAPINFO info{};
    std::vector<std::uint8_t> bits;
};

PictureBitmap ToBitmap(const TimPicture& picture) {
    PictureBitmap b;
    BITMAPINFOHEADER& h = b.info.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = static_cast<std::int32_t>(picture.width);
    h.biHeight = -static_cast<std::int32_t>(picture.height);
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    b.bits.reserve(picture.pixels.size() * 4);
    for (COLORREF c : picture.pixels)
        b.bits.insert(b.bits.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
    return b;
}

using Entry = CommandEntry<CTimView>;
constexpr Entry kCommands[] = {
    {ID_TEXTURES_VIEW, &CTimView::OnTexturesView, &CTimView::OnUpdateTexturesView},
};

} // namespace

bool CTimView::OnCmdMsg(unsigned id, CCmdUI* update) {
    return DispatchCommand<CTimView>(this, kCommands, id, update);
}

void CTimView::OnTexturesView() {
    if (IFrameHost* frame = GetParentFrame())
        frame->SwitchView(kModelViewId);
}

void CTimView::OnUpdateTexturesView(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(1);
}

CPolyvaneDoc* CTimView::GetDocument() const {
    return static_cast<CPolyvaneDoc*>(CView::GetDocument());
}

WorkPrimitive* CTimView::CurrentPrimitive() const {
    const CPolyvaneDoc* doc = GetDocument();
    return doc && doc->m_pWork ? doc->m_pCurPrim : nullptr;
}

void CTimView::OnInitialUpdate() {
    CScrollView::OnInitialUpdate();
    SetScrollSizes(MM_TEXT, kInitialScrollSize);
}

void CTimView::OnDraw(CDC* pDC) {
    const CPolyvaneDoc* doc = GetDocument();
    if (!pDC || !doc)
        return;
    const TimViewScene scene = ComposeTimView(*doc, m_nScale);
    if (!scene.status.empty()) {
        pDC->TextOut(0, 0, scene.status);
        return;
    }
    const TimImage& tim = *scene.tim;
    if (IViewHost* host = GetHost())
        host->SetWindowText(tim.fileName);
    SetScrollSizes(MM_TEXT, scene.size);
    ResizeParentToFit(true);

    const TimPicture picture = MakeTimPicture(tim);
    const PictureBitmap bitmap = ToBitmap(picture);
    const auto w = static_cast<std::int32_t>(picture.width), h = static_cast<std::int32_t>(picture.height);
    if (pDC->StretchDIBits(0, 0, scene.size.cx, scene.size.cy, 0, 0, w, h, bitmap.bits, bitmap.info) == 0)
        pDC->LineTo(100, 100); // the failure mark

    const HGDIOBJ pen = pDC->CreatePen(PS_SOLID, 1, kOutlineColour);
    const HGDIOBJ previous = pDC->SelectObject(pen);
    pDC->MoveTo(scene.outline[0].x, scene.outline[0].y);
    for (int k = 1; k < scene.outlineCount; ++k)
        pDC->LineTo(scene.outline[static_cast<std::size_t>(k)].x,
                    scene.outline[static_cast<std::size_t>(k)].y);
    pDC->LineTo(scene.outline[0].x, scene.outline[0].y);
    for (int k = 0; k < scene.outlineCount; ++k) {
        const CPoint at = scene.outline[static_cast<std::size_t>(k)];
        pDC->TextOut(at.x, at.y, std::to_string(k + 1));
    }
    pDC->SelectObject(previous);
    pDC->DeleteObject(pen);
}

void CTimView::OnLButtonDown(unsigned flags, CPoint point) {
    WorkPrimitive* prim = CurrentPrimitive();
    if (!prim)
        return;
    const CPoint p = ClientToLogical(point);
    const TimViewScene scene = ComposeTimView(*GetDocument(), m_nScale);
    m_nCorner = HitCorner(*prim, p, m_nScale, scene.offset);
    m_ptLast = p;
    m_bDragging = true;
    // The moves of one drag are one change of the document.
    m_nDragKey = GetDocument()->NewMergeKey();
    CScrollView::OnLButtonDown(flags, point);
}

void CTimView::OnLButtonUp(unsigned flags, CPoint point) {
    m_bDragging = false;
    CScrollView::OnLButtonUp(flags, point);
}

void CTimView::OnMouseMove(unsigned flags, CPoint point) {
    WorkPrimitive* prim = CurrentPrimitive();
    if (!prim)
        return;
    const CPoint p = ClientToLogical(point);
    if (m_bDragging) {
        const TimViewScene scene = ComposeTimView(*GetDocument(), m_nScale);
        const WorkPrimitive before = *prim;
        const bool changed = m_nCorner >= 0 ? MoveCorner(*prim, m_nCorner, p, m_nScale, scene.offset)
                                            : MoveOutline(*prim, m_ptLast, p, m_nScale);
        Invalidate(true);
        if (changed) {
            // The edit is the document's: it needs saving, and its other views show it now.
            GetDocument()->RecordPrimitiveChange(
                m_nCorner >= 0 ? "Move Texture Corner" : "Move Texture Outline", before, m_nDragKey);
            GetDocument()->UpdateAllViews(this, 0, nullptr);
        }
    }
    m_ptLast = p;
    CScrollView::OnMouseMove(flags, point);
}

} // namespace polyvane
