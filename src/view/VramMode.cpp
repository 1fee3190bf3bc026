// The model view's VRAM mode: the frame-buffer memory as 15-bit words or as 4- and 8-bit texels read
// through a chosen colour-table row, the textures' rectangles and their overlaps, a readout of the
// word under the mouse, textures moved by dragging and a rectangle marked for cutting out.
#include "CPolyvaneView.h"
#include "ViewDrawing.h"

#include "CommandIds.h"
#include "gpu/FrameBufferDump.h"
#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"
#include "texture/TimFrameBuffer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>

namespace polyvane {

namespace {

constexpr COLORREF kTextureColour = RGB(128, 128, 128);
constexpr COLORREF kOverlapColour = RGB(255, 220, 0);
constexpr COLORREF kClutRowColour = RGB(0, 170, 255);
constexpr COLORREF kMarkColour = RGB(0, 255, 120);
// Texture names: light letters on a dark plate read over any picture.
constexpr COLORREF kLabelPlate = RGB(16, 16, 32);
constexpr COLORREF kLabelInk = RGB(255, 255, 224);

const TimImage& TextureAt(const TimList& list, std::size_t position) {
    return *std::next(list.begin(), static_cast<std::ptrdiff_t>(position));
}

CPoint PartCorner(const TimImage& tim, bool clut) {
    return clut ? CPoint{tim.clutX, tim.clutY} : CPoint{tim.imageX, tim.imageY};
}

WordRect PartRect(const TimImage& tim, bool clut) {
    return clut ? ClutRect(tim) : ImageRect(tim);
}

} // namespace

CPoint CPolyvaneView::VramLayout::Screen(int x, int y) const {
    return CPoint{static_cast<std::int32_t>(std::lround((x - x0) * perWord * scale)),
                  static_cast<std::int32_t>(std::lround((y - y0) * scale))};
}

CPoint CPolyvaneView::VramLayout::Word(CPoint screen) const {
    return CPoint{x0 + static_cast<int>(std::floor(screen.x / (perWord * scale))),
                  y0 + static_cast<int>(std::floor(screen.y / scale))};
}

CPolyvaneView::VramLayout CPolyvaneView::LayOutVram(CRect client) const {
    VramLayout layout;
    if (m_vram.pmode < 0) {
        layout.scale = VramScaleHalves(client.right, client.bottom) / 2.0;
        return layout;
    }
    const auto mode = static_cast<std::uint8_t>(m_vram.pmode);
    layout.perWord = TexelsPerUnit(mode);
    if (!m_vram.wholeWidth) {
        layout.x0 = TexturePageX(m_vram.page);
        layout.y0 = TexturePageY(m_vram.page);
        layout.widthWords = TexturePageWords(mode);
        layout.height = 256;
    }
    const double across = double(layout.widthWords) * layout.perWord;
    layout.scale = std::max(std::min(client.right / across, client.bottom / double(layout.height)), 0.125);
    return layout;
}

void CPolyvaneView::DrawVram(CDC* pDC, const CPolyvaneDoc& doc, HGDIOBJ highlightPen) {
    const VramLayout layout = LayOutVram(pDC->GetClientRect());
    RebuildFrameBuffer(m_memory, doc.Textures(), doc.FrameBufferDump());
    const CPoint end = layout.Screen(layout.x0 + layout.widthWords, layout.y0 + layout.height);
    if (m_vram.pmode < 0) {
        BlitWords(pDC, 0, 0, end.x, end.y, m_memory.Words(), kFrameBufferWidth, kFrameBufferHeight,
                  m_pictureBits);
    } else {
        const auto texels = DecodeTexels(m_memory, layout.x0, layout.y0, layout.widthWords, layout.height,
                                         static_cast<std::uint8_t>(m_vram.pmode), m_vram.clutX, m_vram.clutY);
        BlitWords(pDC, 0, 0, end.x, end.y, texels, layout.widthWords * layout.perWord, layout.height,
                  m_pictureBits);
    }
    // Only what lies in the shown part of the memory is outlined (one page shows a part).
    const WordRect shown{layout.x0, layout.y0, layout.widthWords, layout.height};
    auto visible = [&](const WordRect& r) {
        return r.x < shown.x + shown.width && shown.x < r.x + r.width && r.y < shown.y + shown.height &&
               shown.y < r.y + r.height;
    };
    auto outline = [&](const WordRect& r) {
        if (!visible(r))
            return;
        const CPoint a = layout.Screen(r.x, r.y), b = layout.Screen(r.x + r.width, r.y + r.height);
        Outline(pDC, a.x, a.y, std::max(b.x - a.x, 1), std::max(b.y - a.y, 1));
    };
    auto withPen = [&](COLORREF colour, int width, auto draw) {
        const HGDIOBJ pen = pDC->CreatePen(PS_SOLID, width, colour);
        const HGDIOBJ before = pDC->SelectObject(pen);
        draw();
        pDC->SelectObject(before);
        pDC->DeleteObject(pen);
    };

    // A colour table of one row is outlined around it, so that its words stay in sight.
    auto outlineAround = [&](const WordRect& r) {
        const CPoint a = layout.Screen(r.x, r.y), b = layout.Screen(r.x + r.width, r.y + r.height);
        Outline(pDC, a.x - 1, a.y - 1, std::max(b.x - a.x, 1) + 1, std::max(b.y - a.y, 1) + 1);
    };
    withPen(kTextureColour, 1, [&] {
        for (const TimImage& tim : doc.Textures()) {
            if (ClutRect(tim).width > 0 && visible(ClutRect(tim)))
                outlineAround(ClutRect(tim));
            outline(ImageRect(tim));
        }
    });
    withPen(kOverlapColour, 2, [&] {
        for (const TextureOverlap& overlap : FindOverlaps(doc.Textures()))
            outline(overlap.shared);
    });
    if (m_vram.pmode >= 0)
        withPen(kClutRowColour, 1, [&] {
            outline({m_vram.clutX, m_vram.clutY, m_vram.pmode == 0 ? 16 : 256, 1});
        });
    if (m_vram.mark)
        withPen(kMarkColour, 1, [&] { outline(*m_vram.mark); });
    if (m_vram.moving && m_vram.moving->position < doc.Textures().size()) {
        WordRect r = PartRect(TextureAt(doc.Textures(), m_vram.moving->position), m_vram.moving->clut);
        r.x = m_vram.target.x;
        r.y = m_vram.target.y;
        const HGDIOBJ before = pDC->SelectObject(highlightPen);
        outline(r);
        pDC->SelectObject(before);
    }

    if (const WorkPrimitive* cur = doc.CurrentPrimitive(); cur && (cur->attr & PA_TEXTURED)) {
        const HGDIOBJ oldPen = pDC->SelectObject(highlightPen);
        outline({TexturePageX(cur->tpage), TexturePageY(cur->tpage), TexturePageWords(cur->pmode), 256});
        if (cur->pmode == kPixelMode4Bit || cur->pmode == kPixelMode8Bit)
            outline({cur->clutX, cur->clutY, cur->pmode == kPixelMode4Bit ? 16 : 256, 1});
        pDC->SelectObject(oldPen);
    }

    // The names last, each on a plate of its own, so that neither busy texels nor a later outline
    // hide a letter; a name never starts off the window.
    const int modeBefore = pDC->SetBkMode(OPAQUE);
    const COLORREF plateBefore = pDC->SetBkColor(kLabelPlate);
    const COLORREF inkBefore = pDC->SetTextColor(kLabelInk);
    for (const TimImage& tim : doc.Textures()) {
        if (!visible(ImageRect(tim)))
            continue;
        const CPoint at = layout.Screen(tim.imageX, tim.imageY);
        pDC->TextOut(std::max(at.x + 2, 0), std::max(at.y + 2, 0),
                     " " + std::filesystem::path(tim.fileName).filename().string() + " ");
    }
    pDC->SetTextColor(inkBefore);
    pDC->SetBkColor(plateBefore);
    pDC->SetBkMode(modeBefore);
}

bool CPolyvaneView::VramMouse(VramEvent event, unsigned flags, CPoint point) {
    CPolyvaneDoc* doc = GetDocument();
    if (m_viewMode != VM_VRAM || !doc)
        return false;
    const CPoint word = LayOutVram(GetClientRect()).Word(point);
    const TimList& list = doc->Textures();
    switch (event) {
    case VramEvent::move:
        if (IViewHost* host = GetHost()) {
            RebuildFrameBuffer(m_memory, list, doc->FrameBufferDump());
            host->SetStatusText(DescribeWord(m_memory, list, word.x, word.y));
        }
        if (m_vram.moving) {
            const CPoint target{word.x - m_vram.grab.x, word.y - m_vram.grab.y};
            m_vram.target = m_vram.moving->clut ? CPoint{SnapClutColumn(target.x), target.y} : target;
            Invalidate(true);
        } else if (m_vram.marking) {
            const int x0 = std::clamp(std::min(m_vram.markFrom.x, word.x), 0, kFrameBufferWidth - 1);
            const int y0 = std::clamp(std::min(m_vram.markFrom.y, word.y), 0, kFrameBufferHeight - 1);
            const int x1 = std::clamp(std::max(m_vram.markFrom.x, word.x), 0, kFrameBufferWidth - 1);
            const int y1 = std::clamp(std::max(m_vram.markFrom.y, word.y), 0, kFrameBufferHeight - 1);
            m_vram.mark = WordRect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
            Invalidate(true);
        }
        return true;
    case VramEvent::leftDown:
        if (flags & MK_CONTROL) {
            // Ctrl+click: read texels through the colour-table row under the mouse.
            m_vram.clutX = static_cast<std::uint16_t>(std::clamp(word.x, 0, kFrameBufferWidth - 16) & ~15);
            m_vram.clutY = static_cast<std::uint16_t>(std::clamp(word.y, 0, kFrameBufferHeight - 1));
            Invalidate(true);
        } else if (const auto part = TexturePartAt(list, word.x, word.y)) {
            const CPoint corner = PartCorner(TextureAt(list, part->position), part->clut);
            m_vram.moving = part;
            m_vram.grab = CPoint{word.x - corner.x, word.y - corner.y};
            m_vram.target = corner;
            SetCapture();
        } else if (m_vram.pmode >= 0 && word.x >= 0 && word.y >= 0 && word.x < kFrameBufferWidth &&
                   word.y < kFrameBufferHeight) {
            m_vram.page =
                TexturePageAt(static_cast<std::uint16_t>(word.x), static_cast<std::uint16_t>(word.y));
            Invalidate(true);
        }
        return true;
    case VramEvent::leftUp: {
        if (HasCapture())
            ReleaseCapture();
        if (!m_vram.moving)
            return true;
        const TexturePart part = *m_vram.moving;
        m_vram.moving.reset();
        if (part.position >= list.size())
            return true;
        const TimImage& tim = TextureAt(list, part.position);
        const CPoint from = PartCorner(tim, part.clut);
        if (from.x == m_vram.target.x && from.y == m_vram.target.y) {
            // A click without a move: read the page through this texture's own table.
            if (tim.hasClut && !tim.clutTable.empty()) {
                m_vram.clutX = static_cast<std::uint16_t>(tim.clutX & ~15);
                m_vram.clutY = static_cast<std::uint16_t>(tim.clutY + tim.paletteRow);
            }
            m_vram.page = TexturePageAt(tim.imageX, tim.imageY);
            if (tim.pixelMode == kTimMode4Bit || tim.pixelMode == kTimMode8Bit)
                m_vram.pmode = tim.pixelMode;
            Invalidate(true);
            return true;
        }
        TextureMovePlan plan =
            PlanTextureMove(*doc, part.position, part.clut, m_vram.target.x, m_vram.target.y);
        if (plan.error != TimEditError::none) {
            AfxMessageBox(TimEditErrorText(plan.error));
        } else {
            // Offer to keep the model on the texture's texels; those that cannot follow are named.
            bool update = false;
            if (m_vram.updateModel && plan.ReadByModel()) {
                std::string question = std::to_string(plan.edits.size() + plan.leftAsIs.size()) +
                                       " primitives of the model read this texture. Update them to read "
                                       "the same texels at its new place?";
                if (!plan.leftAsIs.empty()) {
                    question += "\nThese cannot reach it there and stay as they are:";
                    for (const std::string& name : plan.leftAsIs)
                        question += "\n" + name;
                }
                update = AfxAskYesNo(question);
            }
            MakeTextureMove(*doc, std::move(plan), update);
        }
        Invalidate(true);
        return true;
    }
    case VramEvent::rightDown:
        m_vram.marking = true;
        m_vram.markFrom = word;
        m_vram.mark.reset();
        SetCapture();
        return true;
    case VramEvent::rightUp:
        m_vram.marking = false;
        if (HasCapture())
            ReleaseCapture();
        return true;
    }
    return true;
}

void CPolyvaneView::OnViewVramRaw() {
    m_vram.pmode = -1;
    SetViewMode(VM_VRAM);
}

void CPolyvaneView::OnViewVram4Bit() {
    m_vram.pmode = kPixelMode4Bit;
    SetViewMode(VM_VRAM);
}

void CPolyvaneView::OnViewVram8Bit() {
    m_vram.pmode = kPixelMode8Bit;
    SetViewMode(VM_VRAM);
}

void CPolyvaneView::OnViewVramWholeWidth() {
    m_vram.wholeWidth = !m_vram.wholeWidth;
    Invalidate(true);
}

void CPolyvaneView::OnViewVramClutFromPrim() {
    const CPolyvaneDoc* doc = GetDocument();
    const WorkPrimitive* cur = doc ? doc->CurrentPrimitive() : nullptr;
    if (!cur || !(cur->attr & PA_TEXTURED))
        return;
    m_vram.clutX = cur->clutX;
    m_vram.clutY = cur->clutY;
    m_vram.page = cur->tpage;
    m_vram.pmode = cur->pmode == kPixelMode4Bit || cur->pmode == kPixelMode8Bit ? cur->pmode : -1;
    SetViewMode(VM_VRAM);
}

void CPolyvaneView::OnUpdateViewVramRaw(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_vram.pmode < 0);
}
void CPolyvaneView::OnUpdateViewVram4Bit(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_vram.pmode == kPixelMode4Bit);
}
void CPolyvaneView::OnUpdateViewVram8Bit(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_vram.pmode == kPixelMode8Bit);
}
void CPolyvaneView::OnUpdateViewVramWholeWidth(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_vram.wholeWidth);
}

void CPolyvaneView::OnTexturesListOverlaps() {
    const CPolyvaneDoc* doc = GetDocument();
    if (!doc)
        return;
    const auto overlaps = FindOverlaps(doc->Textures());
    std::string text = overlaps.empty() ? "No textures overlap." : "Overlapping textures:";
    for (const TextureOverlap& overlap : overlaps)
        text += "\n" + overlap.text;
    AfxMessageBox(text);
}

void CPolyvaneView::OnTexturesUpdateModel() {
    m_vram.updateModel = !m_vram.updateModel;
}
void CPolyvaneView::OnUpdateTexturesUpdateModel(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_vram.updateModel);
}

void CPolyvaneView::OnTexturesCutTim() {
    CPolyvaneDoc* doc = GetDocument();
    if (!doc || !m_vram.mark)
        return;
    RebuildFrameBuffer(m_memory, doc->Textures(), doc->FrameBufferDump());
    const WordRect r = *m_vram.mark;
    const int depth = m_vram.pmode == kPixelMode4Bit ? 4 : m_vram.pmode == kPixelMode8Bit ? 8 : 16;
    auto tim = CutTim(m_memory, r.x, r.y, r.width, r.height, depth, m_vram.clutX, m_vram.clutY);
    if (!tim) {
        AfxMessageBox(FrameBufferFileErrorText(tim.error()));
        return;
    }
    tim->fileName = "cut_" + std::to_string(r.x) + "_" + std::to_string(r.y) + ".tim";
    doc->AddTexture(std::move(*tim));
    m_vram.mark.reset();
    doc->UpdateAllViews(nullptr, 0, nullptr);
}
void CPolyvaneView::OnUpdateTexturesCutTim(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_vram.mark.has_value());
}

} // namespace polyvane
