#include "CTimView.h"

#include "TextureWorkbench.h"
#include "TimViewLayout.h"
#include "ViewIds.h"
#include "formats/TimPicture.h"
#include "platform/CDC.h"
#include "platform/CommonDialogs.h"
#include "platform/IFrameHost.h"
#include "platform/MessageBox.h"

#include "CommandIds.h"

#include <string>
#include <utility>
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

// Where the row chooser and the palette strip lie under a texture `textureHeight` pixels high.
constexpr int kRowBoxWidth = 28, kRowBoxHeight = 16, kRowsAcross = 16;
constexpr int kEntrySize = 14, kEntriesAcross = 16;

struct PaletteArea {
    int rowsTop = 0, stripTop = 0;
    std::size_t rows = 0, entries = 0;

    PaletteArea(const TimImage& tim, int textureHeight) {
        rows = tim.hasClut ? tim.ClutRows() : 0;
        entries = rows ? tim.ClutRowLength() : 0;
        rowsTop = textureHeight + 8;
        const int rowLines = rows > 1 ? int((rows + kRowsAcross - 1) / kRowsAcross) : 0;
        stripTop = rowsTop + rowLines * kRowBoxHeight + (rowLines ? 6 : 0);
    }
    [[nodiscard]] CRect RowBox(std::size_t row) const {
        const int x = int(row % kRowsAcross) * kRowBoxWidth,
                  y = rowsTop + int(row / kRowsAcross) * kRowBoxHeight;
        return {x, y, x + kRowBoxWidth - 2, y + kRowBoxHeight - 2};
    }
    [[nodiscard]] CRect EntryBox(std::size_t index) const {
        const int x = int(index % kEntriesAcross) * kEntrySize,
                  y = stripTop + int(index / kEntriesAcross) * kEntrySize;
        return {x, y, x + kEntrySize - 1, y + kEntrySize - 1};
    }
    [[nodiscard]] int Bottom() const {
        return stripTop + int((entries + kEntriesAcross - 1) / kEntriesAcross) * kEntrySize;
    }
    // The row (-2 - row) or entry (index) under `p`; -1 for neither.
    [[nodiscard]] int Hit(CPoint p) const {
        auto inside = [p](const CRect& r) {
            return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
        };
        for (std::size_t row = 0; rows > 1 && row < rows; ++row)
            if (inside(RowBox(row)))
                return -2 - int(row);
        for (std::size_t i = 0; i < entries; ++i)
            if (inside(EntryBox(i)))
                return int(i);
        return -1;
    }
};

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

const WorkPrimitive* CTimView::CurrentPrimitive() const {
    const CPolyvaneDoc* doc = GetDocument();
    return doc ? doc->CurrentPrimitive() : nullptr;
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
    const PaletteArea palette(tim, scene.size.cy);
    SetScrollSizes(MM_TEXT, CSize{std::max<std::int32_t>(scene.size.cx, kEntriesAcross * kEntrySize),
                                  std::max<std::int32_t>(scene.size.cy, palette.Bottom())});
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

    for (std::size_t row = 0; palette.rows > 1 && row < palette.rows; ++row) {
        const CRect box = palette.RowBox(row);
        pDC->FillSolidRect(box.left, box.top, box.right - box.left, box.bottom - box.top,
                           row == tim.paletteRow ? kOutlineColour : RGB(220, 220, 220));
        pDC->TextOut(box.left + 2, box.top + 1, std::to_string(row));
    }
    const std::size_t first = std::size_t{tim.paletteRow} * palette.entries;
    for (std::size_t i = 0; i < palette.entries && first + i < tim.clutTable.size(); ++i) {
        const CRect box = palette.EntryBox(i);
        const std::uint16_t word = tim.clutTable[first + i];
        pDC->FillSolidRect(box.left, box.top, box.right - box.left, box.bottom - box.top,
                           TimWordToColour(word));
        if (word & 0x8000) // the semi-transparency bit: a corner mark
            pDC->FillSolidRect(box.left, box.top, 4, 4, RGB(255, 255, 255));
    }
}

bool CTimView::PaletteMouse(bool press, unsigned flags, CPoint point) {
    CPolyvaneDoc* doc = GetDocument();
    const TimViewScene scene = doc ? ComposeTimView(*doc, m_nScale) : TimViewScene{};
    const auto position = doc ? ShownTexture(*doc) : std::nullopt;
    if (!scene.tim || !position)
        return false;
    const TimImage& tim = *scene.tim;
    const PaletteArea palette(tim, scene.size.cy);
    const int hit = palette.Hit(point);
    const int pressed = std::exchange(m_nPressedEntry, -1);
    if (press) {
        if (hit >= 0)
            m_nPressedEntry = hit;
        else if (hit <= -2) {
            const auto row = std::size_t(-2 - hit);
            const std::size_t shown = tim.paletteRow;
            if (flags & MK_CONTROL)
                EditTexture(*doc, *position, "Copy Palette Row",
                            [&](TimImage& t) { return CopyClutRow(t, shown, row); });
            else
                EditTexture(*doc, *position, "Choose Palette",
                            [&](TimImage& t) { return ChooseTimPalette(t, row); });
        }
        return hit != -1;
    }
    if (pressed < 0)
        return false;
    const std::size_t row = tim.paletteRow;
    if (hit >= 0 && hit != pressed) {
        EditTexture(*doc, *position, "Swap Palette Entries", [&](TimImage& t) {
            return SwapClutEntries(t, row, std::size_t(pressed), std::size_t(hit));
        });
    } else if (hit == pressed) {
        const std::uint16_t word = tim.clutTable[row * palette.entries + std::size_t(hit)];
        const auto chosen = ColorChooserService().ChooseColorAndFlag(
            TimWordToColour(word), (word & 0x8000) != 0, "Semi-transparent (STP bit)");
        if (chosen) {
            const std::uint16_t nearest = NearestColourWord(
                GetRValue(chosen->colour), GetGValue(chosen->colour), GetBValue(chosen->colour), 255);
            const auto next = static_cast<std::uint16_t>((nearest & 0x7FFF) | (chosen->flag ? 0x8000 : 0));
            EditTexture(*doc, *position, "Change Palette Entry",
                        [&](TimImage& t) { return SetClutEntry(t, row, std::size_t(hit), next); });
        }
    }
    return true;
}

void CTimView::OnLButtonDown(unsigned flags, CPoint point) {
    const WorkPrimitive* prim = CurrentPrimitive();
    if (!prim)
        return;
    const CPoint p = ClientToLogical(point);
    if (PaletteMouse(true, flags, p))
        return;
    const TimViewScene scene = ComposeTimView(*GetDocument(), m_nScale);
    m_nCorner = HitCorner(*prim, p, m_nScale, scene.offset);
    m_ptLast = p;
    m_bDragging = true;
    // The moves of one drag are one change of the document.
    m_nDragKey = GetDocument()->NewMergeKey();
    CScrollView::OnLButtonDown(flags, point);
}

void CTimView::OnLButtonUp(unsigned flags, CPoint point) {
    if (m_nPressedEntry >= 0)
        PaletteMouse(false, flags, ClientToLogical(point));
    m_bDragging = false;
    CScrollView::OnLButtonUp(flags, point);
}

void CTimView::OnMouseMove(unsigned flags, CPoint point) {
    const WorkPrimitive* prim = CurrentPrimitive();
    if (!prim)
        return;
    const CPoint p = ClientToLogical(point);
    if (m_bDragging) {
        const TimViewScene scene = ComposeTimView(*GetDocument(), m_nScale);
        WorkPrimitive moved = *prim;
        const bool changed = m_nCorner >= 0 ? MoveCorner(moved, m_nCorner, p, m_nScale, scene.offset)
                                            : MoveOutline(moved, m_ptLast, p, m_nScale);
        Invalidate(true);
        if (changed) {
            // The edit is the document's: it needs saving, and its other views show it now.
            GetDocument()->ChangeCurrentPrimitive(
                m_nCorner >= 0 ? "Move Texture Corner" : "Move Texture Outline",
                [&moved](WorkPrimitive& record) { record = moved; }, m_nDragKey);
            GetDocument()->UpdateAllViews(this, 0, nullptr);
        }
    }
    m_ptLast = p;
    CScrollView::OnMouseMove(flags, point);
}

} // namespace polyvane
