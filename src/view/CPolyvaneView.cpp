#include "CPolyvaneView.h"
#include "CPreviewScreen.h"
#include "ViewDrawing.h"
#include "ViewIds.h"
#include "platform/DisplayService.h"
#include "platform/Parallel.h"

#include "CommandIds.h"
#include "gpu/FrameBufferPicture.h"
#include "model/CPolyvaneDoc.h"
#include "texture/TimFrameBuffer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace polyvane {

namespace {

using Entry = CommandEntry<CPolyvaneView>;
constexpr Entry kCommands[] = {
    {ID_VIEW_DITHER, &CPolyvaneView::OnViewDither, &CPolyvaneView::OnUpdateViewDither},
    {ID_VIEW_SHOW_VERTEX_NUMBERS, &CPolyvaneView::OnViewShowVertexNumbers,
     &CPolyvaneView::OnUpdateViewShowVertexNumbers},
    {ID_VIEW_FRONT, &CPolyvaneView::OnViewFront, nullptr},
    {ID_VIEW_SIDE, &CPolyvaneView::OnViewSide, nullptr},
    {ID_VIEW_TOP, &CPolyvaneView::OnViewTop, nullptr},
    {ID_VIEW_FIT_TO_WINDOW, &CPolyvaneView::OnViewFitToWindow, nullptr},
    {ID_OBJECT_PREVIEW, &CPolyvaneView::OnPreview, nullptr},
    {ID_TEXTURES_VIEW, &CPolyvaneView::OnTexturesView, &CPolyvaneView::OnUpdateTexturesView},
    {ID_VIEW_VRAM_RAW, &CPolyvaneView::OnViewVramRaw, &CPolyvaneView::OnUpdateViewVramRaw},
    {ID_VIEW_VRAM_4BIT, &CPolyvaneView::OnViewVram4Bit, &CPolyvaneView::OnUpdateViewVram4Bit},
    {ID_VIEW_VRAM_8BIT, &CPolyvaneView::OnViewVram8Bit, &CPolyvaneView::OnUpdateViewVram8Bit},
    {ID_VIEW_VRAM_WHOLE_WIDTH, &CPolyvaneView::OnViewVramWholeWidth,
     &CPolyvaneView::OnUpdateViewVramWholeWidth},
    {ID_VIEW_VRAM_CLUT_FROM_PRIM, &CPolyvaneView::OnViewVramClutFromPrim, nullptr},
    {ID_TEXTURES_LIST_OVERLAPS, &CPolyvaneView::OnTexturesListOverlaps, nullptr},
    {ID_TEXTURES_UPDATE_MODEL, &CPolyvaneView::OnTexturesUpdateModel,
     &CPolyvaneView::OnUpdateTexturesUpdateModel},
    {ID_TEXTURES_CUT_TIM, &CPolyvaneView::OnTexturesCutTim, &CPolyvaneView::OnUpdateTexturesCutTim},
};

constexpr COLORREF kHighlightColour = RGB(255, 64, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr std::int32_t kLineHeight = 16;

// Draws record `p`'s outline through its projected screen points.
// How many places ahead in the back-to-front order the walks fetch screen points.
constexpr std::size_t kPrefetchAhead = 12;

// The outline through a record's first `corners` screen points, filled with the current brush.
void DrawOutline(CDC* pDC, const std::array<ScreenPoint, 4>& screen, int corners) {
    CPoint points[4];
    for (int i = 0; i < corners; ++i)
        points[i] = CPoint{screen[static_cast<std::size_t>(i)].x, screen[static_cast<std::size_t>(i)].y};
    pDC->Polygon(points, corners);
}

void DrawRecord(CDC* pDC, const WorkPrimitive& p, const std::array<ScreenPoint, 4>& screen) {
    DrawOutline(pDC, screen, VertexCount(p));
}

// printf formatting of any length (a %f of a huge coordinate runs to hundreds of digits).
template <typename... Args> std::string Format(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

// A coordinate as printf's "%f" writes it in the C locale: the decimal point stays '.' whatever
// locale the program runs under (Qt takes the user's one for the whole process).
std::string Fixed(double value) {
    std::array<char, 400> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 6);
    return error == std::errc{} ? std::string(text.data(), end) : std::string();
}

void Wrap(double& angle) {
    if (angle > kAngleWrap)
        angle -= kAngleWrap;
    if (angle < -kAngleWrap)
        angle += kAngleWrap;
}

// Differences of mouse positions as a 32-bit register forms them: wrapping, never undefined.
std::int32_t Difference(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

} // namespace

void BlitWords(CDC* pDC, std::int32_t x, std::int32_t y, std::int32_t destWidth, std::int32_t destHeight,
               std::span<const std::uint16_t> words, std::int32_t width, std::int32_t height,
               std::vector<std::uint8_t>& bits) {
    const std::size_t count = std::size_t(width) * std::size_t(height);
    bits.resize(count * 4);
    // A window's worth of words is shared among the processors, each a run of them.
    constexpr std::size_t kThreadedWords = std::size_t{1} << 18;
    const unsigned parts = count >= kThreadedWords ? WorkerCount() : 1u;
    RunParts(parts, [&](unsigned part) {
        // Each pixel written as one blue-green-red-unused word (unused 0), all three channels widened
        // at once, which the compiler vectorises where channel by channel it would not.
        const std::size_t from = count * part / parts, to = count * (part + 1) / parts;
        const std::uint16_t* in = words.data();
        std::uint8_t* out = bits.data();
        for (std::size_t i = from; i < to; ++i) {
            const std::uint32_t quad = WidenedBgr0(in[i]);
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(out + i * 4, &quad, 4);
            } else {
                const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(quad),
                                               static_cast<std::uint8_t>(quad >> 8),
                                               static_cast<std::uint8_t>(quad >> 16), 0};
                std::memcpy(out + i * 4, bytes, 4);
            }
        }
    });
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pDC->StretchDIBits(x, y, destWidth, destHeight, 0, 0, width, height, bits, info);
}

void Outline(CDC* pDC, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    const HGDIOBJ oldBrush = pDC->SelectStockObject(NULL_BRUSH);
    const CPoint corners[4] = {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
    pDC->Polygon(corners, 4);
    pDC->SelectObject(oldBrush);
}

std::int32_t VramScaleHalves(std::int32_t width, std::int32_t height) {
    const std::int32_t halves = std::min(width * 2 / kFrameBufferWidth, height * 2 / kFrameBufferHeight);
    return std::max(halves, 1);
}

CPolyvaneView::~CPolyvaneView() = default;

CPolyvaneDoc* CPolyvaneView::GetDocument() const {
    return dynamic_cast<CPolyvaneDoc*>(CView::GetDocument());
}

std::span<const ViewModeEntry> CPolyvaneView::Modes() {
    // In the order of the View menu's items and of the toolbar's buttons.
    static constexpr ViewModeEntry kModes[] = {
        {VM_WIREFRAME, ID_VIEW_WIREFRAME, "&Wireframe", "Change to wireframe view", "Wireframe View", true,
         ViewIcon::wireCube, "wireframe", &CPolyvaneView::ModeWireframe},
        {VM_SOLID, ID_VIEW_SOLID, "So&lid", "Change to a solid polygon view", "Solid View", false,
         ViewIcon::solidCube, "solid", &CPolyvaneView::ModeSolid},
        {VM_TEXTURED, ID_VIEW_TEXTURED, "Te&xtured",
         "Change to a textured view drawn as the console draws it", "Textured View", false,
         ViewIcon::texturedCube, "textured", &CPolyvaneView::ModeTextured},
        {VM_VRAM, ID_VIEW_VRAM, "T&IM", "Change to VRAM view", "VRAM View", false, ViewIcon::none, "vram",
         &CPolyvaneView::ModeVram},
        {VM_BLANK, ID_VIEW_BLANK, nullptr, "Change to a blank view", "Blank View", false, ViewIcon::blankPage,
         "blank", &CPolyvaneView::ModeBlank},
        {VM_OBJECT_TABLE, ID_VIEW_OBJECT_TABLE, "&Object Table", "Change to object table view",
         "Object Table View", false, ViewIcon::table, "table", &CPolyvaneView::ModeObjectTable},
    };
    return kModes;
}

std::span<const ViewModeEntry> ViewModes() {
    return CPolyvaneView::Modes();
}

const ViewModeEntry* ViewModeOfCommand(unsigned command) {
    for (const ViewModeEntry& entry : ViewModes())
        if (entry.command == command)
            return &entry;
    return nullptr;
}

const ViewModeEntry* ViewModeNamed(std::string_view cliName) {
    for (const ViewModeEntry& entry : ViewModes())
        if (cliName == entry.cliName)
            return &entry;
    return nullptr;
}

bool CPolyvaneView::OnCmdMsg(unsigned id, CCmdUI* update) {
    if (const ViewModeEntry* entry = ViewModeOfCommand(id)) {
        if (update)
            update->SetCheck(m_viewMode == entry->mode);
        else
            SetViewMode(entry->mode);
        return true;
    }
    return DispatchCommand<CPolyvaneView>(this, kCommands, id, update);
}

void CPolyvaneView::SetViewMode(std::int32_t mode) {
    m_viewMode = mode;
    Invalidate(true);
}

void CPolyvaneView::OnViewDither() {
    m_textured.dither = !m_textured.dither;
    Invalidate(true);
}

void CPolyvaneView::OnViewShowVertexNumbers() {
    m_bShowVertexNumbers = m_bShowVertexNumbers ? 0 : 1;
    Invalidate(true);
}

void CPolyvaneView::OnViewFront() {
    m_angleX = m_angleY = m_angleZ = 0.0;
    Invalidate(true);
}

void CPolyvaneView::OnViewSide() {
    m_angleX = 0.0;
    m_angleY = kQuarterTurn;
    m_angleZ = 0.0;
    Invalidate(true);
}

void CPolyvaneView::OnViewTop() {
    m_angleX = -kQuarterTurn;
    m_angleY = 0.0;
    m_angleZ = 0.0;
    Invalidate(true);
}

std::optional<ModelBounds> BoundsOf(std::span<const WorkPrimitive> records) {
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const WorkPrimitive& p : records)
        for (int k = 0; k < VertexCount(p); ++k) {
            const double v[3] = {p.x[k], p.y[k], p.z[k]};
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], v[a]);
                high[a] = std::max(high[a], v[a]);
            }
        }
    ModelBounds bounds;
    for (std::size_t a = 0; a < 3; ++a)
        bounds.centre[a] = (low[a] + high[a]) / 2;
    for (const WorkPrimitive& p : records)
        for (int k = 0; k < VertexCount(p); ++k)
            bounds.radius =
                std::max(bounds.radius, std::hypot(p.x[k] - bounds.centre[0], p.y[k] - bounds.centre[1],
                                                   p.z[k] - bounds.centre[2]));
    const bool finite = std::isfinite(bounds.radius) && std::isfinite(bounds.centre[0]) &&
                        std::isfinite(bounds.centre[1]) && std::isfinite(bounds.centre[2]);
    if (records.empty() || !finite)
        return std::nullopt;
    return bounds;
}

double FitDistance(double radius, double focal, std::int32_t width, std::int32_t height, double fraction) {
    // The sphere's nearest point, at depth distance - radius, lands `fraction` of the half side out.
    const double half = std::min(width, height) / 2.0 * fraction;
    return radius + focal * radius / half;
}

void CPolyvaneView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    m_fitOnOpen = true;
}

bool CPolyvaneView::FitToWindow(std::int32_t width, std::int32_t height) {
    // A margin around the fitted object, so that its outline does not touch the window's edges.
    constexpr double kFilled = 0.9;
    const CPolyvaneDoc* doc = GetDocument();
    if (!doc || !doc->HasSelection() || width <= 0 || height <= 0)
        return false;
    const std::optional<ModelBounds> bounds = BoundsOf(doc->Records());
    if (!bounds)
        return false;
    m_centre = bounds->centre;
    if (bounds->radius > 0.0)
        m_distance = FitDistance(bounds->radius, m_focal, width, height, kFilled);
    Invalidate(true);
    return true;
}

void CPolyvaneView::OnViewFitToWindow() {
    const CRect client = GetClientRect();
    FitToWindow(client.right - client.left, client.bottom - client.top);
}

void CPolyvaneView::OnUpdateViewDither(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_textured.dither);
}
void CPolyvaneView::OnUpdateTexturesView(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(0);
}
void CPolyvaneView::OnUpdateViewShowVertexNumbers(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bShowVertexNumbers != 0);
}

void CPolyvaneView::BeginDrag(std::int32_t mode, CPoint point) {
    m_lastX = point.x;
    m_lastY = point.y;
    m_dragMode = mode;
    SetCapture();
}

void CPolyvaneView::EndDrag() {
    m_dragMode = DRAG_NONE;
    if (HasCapture())
        ReleaseCapture();
}

void CPolyvaneView::OnLButtonDown(unsigned flags, CPoint point) {
    if (!VramMouse(VramEvent::leftDown, flags, point))
        BeginDrag(DRAG_ROTATE, point);
}
void CPolyvaneView::OnRButtonDown(unsigned flags, CPoint point) {
    if (!VramMouse(VramEvent::rightDown, flags, point))
        BeginDrag(DRAG_DISTANCE, point);
}
void CPolyvaneView::OnLButtonUp(unsigned flags, CPoint point) {
    if (!VramMouse(VramEvent::leftUp, flags, point))
        EndDrag();
}
void CPolyvaneView::OnRButtonUp(unsigned flags, CPoint point) {
    if (!VramMouse(VramEvent::rightUp, flags, point))
        EndDrag();
}

void CPolyvaneView::OnMouseMove(unsigned flags, CPoint point) {
    if (VramMouse(VramEvent::move, flags, point))
        return;
    if (m_dragMode == DRAG_DISTANCE && HasCapture()) {
        const std::int32_t dy = Difference(point.y, m_lastY);
        m_lastX = point.x;
        m_lastY = point.y;
        double next =
            m_distance + static_cast<std::int32_t>(static_cast<std::uint32_t>(dy) << kDistancePerPixelShift);
        // Moving nearer stops before the model's nearest point reaches the eye, where the picture
        // would turn inside out; moving away is never held back.
        const CPolyvaneDoc* doc = GetDocument();
        if (next < m_distance && doc && doc->HasSelection())
            next = std::min(m_distance, std::max(next, ClosestApproach(doc->Records(), m_angleX, m_angleY,
                                                                       m_angleZ, m_centre, kNearestDepth)));
        m_distance = next;
        Invalidate(true);
    } else if (m_dragMode == DRAG_ROTATE && HasCapture()) {
        const std::int32_t dx = Difference(point.x, m_lastX);
        if (flags & MK_CONTROL)
            m_angleZ += dx * kRadiansPerPixel;
        else
            m_angleY -= dx * kRadiansPerPixel;
        const std::int32_t dy = Difference(point.y, m_lastY);
        m_lastX = point.x;
        m_lastY = point.y;
        m_angleX += dy * kRadiansPerPixel;
        Wrap(m_angleX);
        Wrap(m_angleY);
        Wrap(m_angleZ);
        Invalidate(true);
    }
}

void CPolyvaneView::OnDraw(CDC* pDC) {
    CPolyvaneDoc* doc = GetDocument();
    if (!pDC || !doc)
        return;
    // An empty document stays blank; one holding only textures shows them in the frame-buffer view.
    if (!doc->HasSelection() && !(m_viewMode == VM_VRAM && !doc->Textures().empty()))
        return;
    pDC->SetTextColor(kGrey);
    pDC->SetBkMode(TRANSPARENT);
    const HGDIOBJ highlightPen = pDC->CreatePen(PS_INSIDEFRAME, 1, kHighlightColour);
    const CRect client = pDC->GetClientRect();
    if (m_fitOnOpen && client.right > 0 && client.bottom > 0) {
        // A model that would open larger than the window is fitted once; smaller ones open as ever.
        m_fitOnOpen = false;
        const std::optional<ModelBounds> bounds = BoundsOf(doc->Records());
        if (bounds && m_distance < FitDistance(bounds->radius, m_focal, client.right, client.bottom, 1.0))
            FitToWindow(client.right, client.bottom);
    }
    ViewPaintTools tools;
    tools.highlightPen = highlightPen;
    tools.centre = CPoint{client.right / 2, client.bottom / 2};
    for (const ViewModeEntry& entry : Modes())
        if (entry.mode == m_viewMode)
            (this->*entry.paint)(pDC, *doc, tools);
    pDC->DeleteObject(highlightPen);
    if (tools.axisPen)
        pDC->DeleteObject(tools.axisPen);
}

void CPolyvaneView::ModeWireframe(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools) {
    ProjectDocument(doc, tools.centre);
    DrawWireframe(pDC, doc, tools.highlightPen);
    DrawLines(pDC, doc);
    tools.axisPen = pDC->CreatePen(PS_DASH, 1, kGrey);
    DrawAxes(pDC, tools.centre, tools.axisPen);
}

void CPolyvaneView::ModeTextured(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools) {
    ProjectDocument(doc, tools.centre);
    DrawTextured(pDC, doc, tools.highlightPen);
    tools.axisPen = pDC->CreatePen(PS_DASH, 1, kGrey);
    DrawAxes(pDC, tools.centre, tools.axisPen);
}

void CPolyvaneView::ModeSolid(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools) {
    ProjectDocument(doc, tools.centre);
    DrawSolid(pDC, doc, tools.highlightPen);
    DrawLines(pDC, doc);
}

void CPolyvaneView::ModeVram(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools) {
    DrawVram(pDC, doc, tools.highlightPen);
}

void CPolyvaneView::ModeObjectTable(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools&) {
    DrawObjectTable(pDC, doc);
}

// The blank mode draws nothing: the window shows only its background.
void CPolyvaneView::ModeBlank(CDC*, CPolyvaneDoc&, ViewPaintTools&) {}

void CPolyvaneView::DrawAxes(CDC* pDC, CPoint centre, HGDIOBJ axisPen) {
    const HGDIOBJ oldPen = pDC->SelectObject(axisPen);
    static const char* const kAxisLetters[3] = {"x", "y", "z"};
    for (int a = 0; a < 3; ++a) {
        const ScreenPoint end = m_projected.axis[static_cast<std::size_t>(a)];
        pDC->MoveTo(centre.x, centre.y);
        pDC->LineTo(end.x, end.y);
        pDC->TextOut(end.x, end.y, kAxisLetters[a]);
    }
    pDC->SelectObject(oldPen);
}

void CPolyvaneView::DrawTextured(CDC* pDC, CPolyvaneDoc& doc, HGDIOBJ highlightPen) {
    const CRect client = pDC->GetClientRect();
    const std::int32_t width = client.right, height = client.bottom;
    if (width > 0 && height > 0) {
        RebuildFrameBuffer(m_memory, doc.Textures(), doc.FrameBufferDump());
        m_picture.resize(std::size_t(width) * std::size_t(height));
        m_painter.Paint(doc.Records(), m_projected, m_memory, m_picture, width, height, m_textured,
                        doc.KeptPackets(doc.SelectedObject()), m_packetsProjected);
        BlitWords(pDC, 0, 0, width, height, m_picture, width, height, m_pictureBits);
    }
    const WorkPrimitive* cur = doc.CurrentPrimitive();
    if (!cur)
        return;
    const HGDIOBJ oldPen = pDC->SelectObject(highlightPen);
    const HGDIOBJ oldBrush = pDC->SelectStockObject(NULL_BRUSH);
    const auto index = doc.CurrentPrimitiveIndex();
    if (index && *index < m_projected.screen.size())
        DrawRecord(pDC, *cur, m_projected.screen[*index]);
    pDC->SelectObject(oldBrush);
    pDC->SelectObject(oldPen);
}

void CPolyvaneView::ProjectDocument(const CPolyvaneDoc& doc, CPoint centre) {
    const Projector projector(m_distance, m_focal, centre.x, centre.y, m_angleX, m_angleY, m_angleZ,
                              m_centre);
    ProjectObject(doc.Records(), projector, m_projected);
    ProjectPackets(doc.KeptPackets(doc.SelectedObject()), projector, m_packetsProjected);
    m_hasProjection = true;
}

void CPolyvaneView::DrawLines(CDC* pDC, const CPolyvaneDoc& doc) {
    const auto packets = doc.KeptPackets(doc.SelectedObject());
    if (packets.size() != m_packetsProjected.size())
        return;
    // A Gouraud line is drawn as this many pieces, each in the colour at its middle.
    constexpr int kGouraudPieces = 8;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        if (packets[i].Kind() != PacketKind::line || packets[i].vertexCount != 2)
            continue;
        const LineLook look = LineLookOf(packets[i]);
        const ScreenPoint a = m_packetsProjected[i].screen[0], b = m_packetsProjected[i].screen[1];
        const int pieces = look.gouraud ? kGouraudPieces : 1;
        for (int k = 0; k < pieces; ++k) {
            auto mix = [&](int shift, double t) {
                const int c0 = int(look.colour[0] >> shift) & 0xFF, c1 = int(look.colour[1] >> shift) & 0xFF;
                return static_cast<std::uint8_t>(c0 + (c1 - c0) * t);
            };
            const double mid = (k + 0.5) / pieces;
            const HGDIOBJ pen = pDC->CreatePen(PS_SOLID, 1, RGB(mix(0, mid), mix(8, mid), mix(16, mid)));
            const HGDIOBJ oldPen = pDC->SelectObject(pen);
            auto at = [&](int step) {
                const double t = double(step) / pieces;
                return CPoint{static_cast<std::int32_t>(a.x + (double(b.x) - a.x) * t),
                              static_cast<std::int32_t>(a.y + (double(b.y) - a.y) * t)};
            };
            const CPoint from = at(k), to = at(k + 1);
            pDC->MoveTo(from.x, from.y);
            pDC->LineTo(to.x, to.y);
            pDC->SelectObject(oldPen);
            pDC->DeleteObject(pen);
        }
    }
}

void CPolyvaneView::DrawWireframe(CDC* pDC, CPolyvaneDoc& doc, HGDIOBJ highlightPen) {
    const std::uint32_t n = doc.WorkCount();
    const HGDIOBJ oldBrush = pDC->SelectStockObject(NULL_BRUSH);
    for (std::uint32_t i = 0; i < n; ++i)
        DrawOutline(pDC, m_projected.screen[i], m_projected.corners[i]);
    pDC->SelectObject(oldBrush);
    const WorkPrimitive* cur = doc.CurrentPrimitive();
    const std::optional<std::uint32_t> index = doc.CurrentPrimitiveIndex();
    if (!cur || !index)
        return; // an object without primitives: only the axes
    const std::array<ScreenPoint, 4>& screen = m_projected.screen[*index];
    const HGDIOBJ oldPen = pDC->SelectObject(highlightPen);
    DrawRecord(pDC, *cur, screen);
    if (m_bShowVertexNumbers) {
        static const char* const kNumbers[4] = {"1", "2", "3", "4"};
        for (int i = 0; i < VertexCount(*cur); ++i)
            pDC->TextOut(screen[static_cast<std::size_t>(i)].x, screen[static_cast<std::size_t>(i)].y,
                         kNumbers[i]);
    }
    pDC->SelectObject(oldPen);
}

void CPolyvaneView::DrawSolid(CDC* pDC, CPolyvaneDoc& doc, HGDIOBJ highlightPen) {
    // The outlines from back to front, handed to the surface as one batch.
    const std::vector<std::uint32_t>& order = m_projected.order;
    const std::size_t n = order.size();
    m_outlines.resize(n);
    m_outlineCounts.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        // The order jumps around the screen points: those a few steps ahead are fetched while this
        // one is copied, so that their loads overlap.
#if defined(__GNUC__)
        if (k + kPrefetchAhead < n)
            __builtin_prefetch(&m_projected.screen[order[k + kPrefetchAhead]]);
#endif
        const std::array<ScreenPoint, 4>& screen = m_projected.screen[order[k]];
        for (std::size_t c = 0; c < 4; ++c)
            m_outlines[k][c] = CPoint{screen[c].x, screen[c].y};
        m_outlineCounts[k] = m_projected.corners[order[k]];
    }
    pDC->Polygons(m_outlines, m_outlineCounts);
    const WorkPrimitive* cur = doc.CurrentPrimitive();
    const std::optional<std::uint32_t> index = doc.CurrentPrimitiveIndex();
    if (!cur || !index)
        return;
    const HGDIOBJ oldPen = pDC->SelectObject(highlightPen);
    DrawRecord(pDC, *cur, m_projected.screen[*index]);
    pDC->SelectObject(oldPen);
}

void CPolyvaneView::DrawObjectTable(CDC* pDC, const CPolyvaneDoc& doc) {
    const TmdObject& object = doc.ObjectEntry(doc.SelectedObject());
    std::int32_t y = 0;
    auto line = [&](const std::string& text) {
        pDC->TextOut(0, y, text);
        y += kLineHeight;
    };
    line(Format("Vertices : %u  Normals : %u  Prims : %u", static_cast<unsigned>(object.n_vert),
                static_cast<unsigned>(object.n_normal), static_cast<unsigned>(object.n_primitive)));
    const WorkPrimitive* cur = doc.CurrentPrimitive();
    const auto index = doc.CurrentPrimitiveIndex();
    if (!cur || !index || doc.WorkCount() == 0)
        return; // an object without primitives has no record to describe
    line(Format("Current Primitive : %u   Current Object : %u / %u   pmode : %u",
                static_cast<unsigned>(*index), static_cast<unsigned>(doc.SelectedObject()),
                static_cast<unsigned>(doc.Header().nobj), static_cast<unsigned>(doc.Records()[0].pmode)));
    const std::uint16_t attr = cur->attr;
    line(attr & PA_GOURAUD ? "Gouraud shaded" : "Flat shaded");
    line(attr & PA_TEXTURED ? "Textured" : "Not textured");
    line(attr & PA_TRANSLUCENT ? "Translucent" : "Opaque");
    line(attr & PA_BRIGHTNESS ? "Brightness calculation" : "No Brightness");
    line(attr & PA_GRADATION ? "Gradation" : "Single-colour");
    line(attr & PA_DOUBLE ? "Double sided" : "Single sided");
    line(attr & PA_LIGHT ? "Light sourced" : "No Lighting");
    for (int i = 0; i < VertexCount(*cur); ++i)
        line("X:" + Fixed(cur->x[i]) + " Y:" + Fixed(cur->y[i]) + " Z:" + Fixed(cur->z[i]));
    line(Format("Style:%d", static_cast<int>(cur->style)));
}

// Object, Preview: the selected object as the console would show it on a television, the Textured
// mode's picture at the console's resolution, framed as this view frames it and turning slowly
// about its vertical axis.
void CPolyvaneView::OnPreview() {
    CPolyvaneDoc* doc = GetDocument();
    const std::span<const WorkPrimitive> records = doc ? doc->Records() : std::span<const WorkPrimitive>();
    const bool large = records.size() > kLargePreviewPrimitives;
    const std::int32_t width = large ? 640 : 320, height = large ? 480 : 240;
    // The picture holds what the window holds: the focal length follows the change of size.
    const CRect client = GetHost() ? GetHost()->GetClientRect() : CRect{};
    const double scale = client.right > 0 && client.bottom > 0
                             ? std::min(double(width) / client.right, double(height) / client.bottom)
                             : 1.0;
    if (doc)
        RebuildFrameBuffer(m_memory, doc->Textures());
    ProjectedObject projected;
    RunPreview(DisplayService(), GetHost(), width, height,
               [&](std::span<std::uint16_t> picture, std::int32_t w, std::int32_t h, int frame) {
                   const double turn = std::fmod(frame * kPreviewTurnPerFrame, kAngleWrap);
                   ProjectObject(records,
                                 Projector(m_distance, m_focal * scale, w / 2, h / 2, m_angleX,
                                           m_angleY + turn, m_angleZ, m_centre),
                                 projected);
                   m_painter.Paint(records, projected, m_memory, picture, w, h, m_textured);
               });
}

// Textures, View: the window shows the texture view of this document in place of this view, which
// stays hidden in the same window with its state.
void CPolyvaneView::OnTexturesView() {
    if (IFrameHost* frame = GetParentFrame())
        frame->SwitchView(kTextureViewId);
}

} // namespace polyvane
