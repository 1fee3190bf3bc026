#pragma once
// The model view: the selected object of a CPolyvaneDoc drawn as a wireframe, as solid faces or as a
// table of the current primitive, turned and moved by dragging with the mouse.
//
// Hosting: give the view its document (SetDocument) and a window (SetHost with an IViewHost); on
// every paint hand OnDraw a drawing surface whose client rectangle is the window's; deliver mouse
// messages through the CView handlers and commands through OnCmdMsg (the view answers before its
// document). Every state change invalidates the whole window with erasing.
#include "TexturedPaint.h"
#include "ViewModes.h"
#include "model/Projection.h"
#include "platform/CDC.h"
#include "platform/CView.h"
#include "texture/TextureWorkbench.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace polyvane {

class CPolyvaneDoc;
class CCmdUI;

// Drag states (m_dragMode).
constexpr std::int32_t DRAG_NONE = 0;
constexpr std::int32_t DRAG_DISTANCE = 1;
constexpr std::int32_t DRAG_ROTATE = 2;

class CPolyvaneView : public CView {
  public:
    static constexpr std::string_view kRuntimeClassName = "CPolyvaneView";

    CPolyvaneView() = default;
    ~CPolyvaneView() override;

    // The document as a model document; null when the view has none (or another kind).
    [[nodiscard]] CPolyvaneDoc* GetDocument() const;

    void OnDraw(CDC* pDC) override;
    // What the last paint that projected the model drew from (the wireframe, solid and textured
    // modes do): each record's screen points, the drawing order and the axis ends; null before one.
    [[nodiscard]] const ProjectedObject* Projection() const {
        return m_hasProjection ? &m_projected : nullptr;
    }
    bool OnCmdMsg(unsigned id, CCmdUI* update) override;
    // A document opening in the view: its first paint fits a selected object larger than the window.
    void OnInitialUpdate() override;

    void OnLButtonDown(unsigned flags, CPoint point) override;
    void OnLButtonUp(unsigned flags, CPoint point) override;
    void OnRButtonDown(unsigned flags, CPoint point) override;
    void OnRButtonUp(unsigned flags, CPoint point) override;
    void OnMouseMove(unsigned flags, CPoint point) override;

    // Commands and their check marks (the modes' own come from the mode table).
    void OnViewDither();
    void OnViewShowVertexNumbers();
    void OnViewFront();
    void OnViewSide();
    void OnViewTop();
    // View, Fit to Window: the distance and centre at which the selected object fills the window.
    void OnViewFitToWindow();
    // The same for a client area of width x height; false (nothing changed) without an object to fit.
    bool FitToWindow(std::int32_t width, std::int32_t height);
    // Object, Preview: the object full screen as a television would show it, until a key or click.
    void OnPreview();
    // Textures, View: the texture view replaces this one in its window.
    void OnTexturesView();
    void OnUpdateViewDither(CCmdUI* pCmdUI);
    void OnUpdateViewShowVertexNumbers(CCmdUI* pCmdUI);
    void OnUpdateTexturesView(CCmdUI* pCmdUI);

    // The VRAM mode's workbench (VramMode.cpp): how the memory is read, and the drag under way.
    void OnViewVramRaw();
    void OnViewVram4Bit();
    void OnViewVram8Bit();
    void OnViewVramWholeWidth();
    void OnViewVramClutFromPrim();
    void OnUpdateViewVramRaw(CCmdUI* pCmdUI);
    void OnUpdateViewVram4Bit(CCmdUI* pCmdUI);
    void OnUpdateViewVram8Bit(CCmdUI* pCmdUI);
    void OnUpdateViewVramWholeWidth(CCmdUI* pCmdUI);
    void OnTexturesListOverlaps();
    void OnTexturesUpdateModel();
    void OnUpdateTexturesUpdateModel(CCmdUI* pCmdUI);
    void OnTexturesCutTim();
    void OnUpdateTexturesCutTim(CCmdUI* pCmdUI);

    struct VramState {
        int pmode = -1;         // -1: 15-bit words; else 4- or 8-bit texels (kPixelMode4Bit, ...)
        bool wholeWidth = true; // else only texture page `page`
        std::uint8_t page = 0;
        std::uint16_t clutX = 0; // the colour-table row texels are read through
        std::uint16_t clutY = 0;
        bool updateModel = true; // moves keep the model's primitives on their texels
        std::optional<TexturePart> moving;
        CPoint grab{};   // the pressed word less the moved part's corner
        CPoint target{}; // where the moved part's corner would go
        bool marking = false;
        CPoint markFrom{};
        std::optional<WordRect> mark; // the rectangle Cut Marked Rectangle takes
    };
    VramState m_vram;

    double m_distance = 1000.0;
    double m_focal = 1000.0;
    std::int32_t m_viewMode = VM_WIREFRAME;
    std::int32_t m_dragMode = DRAG_NONE;
    // Last mouse position taken while dragging; meaningful only once a button went down.
    std::int32_t m_lastX = 0;
    std::int32_t m_lastY = 0;
    double m_angleX = 0.0;
    double m_angleY = 0.0;
    double m_angleZ = 0.0;
    // The model point the view turns about, drawn at the window's centre; the origin until fitted.
    std::array<double, 3> m_centre{};
    int m_bShowVertexNumbers = 1;
    // Background, dither switch and light of the textured mode.
    TexturedPaintOptions m_textured;

    // The mode table; defined with the paints it names.
    static std::span<const ViewModeEntry> Modes();

  private:
    // The modes' paints.
    void ModeWireframe(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools);
    void ModeSolid(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools);
    void ModeTextured(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools);
    void ModeVram(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools);
    void ModeObjectTable(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools);
    void ModeBlank(CDC* pDC, CPolyvaneDoc& doc, ViewPaintTools& tools);
    // Set as a document opens, cleared by the first paint.
    bool m_fitOnOpen = false;

    void SetViewMode(std::int32_t mode);
    void BeginDrag(std::int32_t mode, CPoint point);
    void EndDrag();
    // Projects the document's selected object into m_projected.
    void ProjectDocument(const CPolyvaneDoc& doc, CPoint centre);
    void DrawWireframe(CDC* pDC, CPolyvaneDoc& doc, HGDIOBJ highlightPen);
    void DrawSolid(CDC* pDC, CPolyvaneDoc& doc, HGDIOBJ highlightPen);
    void DrawObjectTable(CDC* pDC, const CPolyvaneDoc& doc);
    void DrawTextured(CDC* pDC, CPolyvaneDoc& doc, HGDIOBJ highlightPen);
    void DrawVram(CDC* pDC, const CPolyvaneDoc& doc, HGDIOBJ highlightPen);
    // The VRAM mode's mouse: true when it took the event.
    enum class VramEvent { leftDown, leftUp, rightDown, rightUp, move };
    bool VramMouse(VramEvent event, unsigned flags, CPoint point);
    // Where the VRAM mode shows the memory in a client area.
    struct VramLayout {
        int x0 = 0, y0 = 0, widthWords = kFrameBufferWidth, height = kFrameBufferHeight;
        int perWord = 1;    // texels a word shows as
        double scale = 1.0; // pixels a texel
        [[nodiscard]] CPoint Screen(int x, int y) const;
        [[nodiscard]] CPoint Word(CPoint screen) const;
    };
    [[nodiscard]] VramLayout LayOutVram(CRect client) const;
    void DrawAxes(CDC* pDC, CPoint centre, HGDIOBJ axisPen);
    // The selected object's kept lines over the polygons, each in its colour (a Gouraud one in steps).
    void DrawLines(CDC* pDC, const CPolyvaneDoc& doc);

    // The textured picture and the bitmap bits it is shown through, kept between paints so that
    // turning the model allocates nothing.
    std::vector<std::uint16_t> m_picture;
    TexturedPainter m_painter;
    // The solid mode's outlines in drawing order, kept between paints.
    std::vector<std::array<CPoint, 4>> m_outlines;
    std::vector<std::uint8_t> m_outlineCounts;
    // The frame-buffer memory the document's textures make, written again for each paint.
    FrameBuffer m_memory;
    std::vector<std::uint8_t> m_pictureBits;

    // What this view last projected: the screen points it draws, their order and the axis ends.
    ProjectedObject m_projected;
    bool m_hasProjection = false;
    // The selected object's kept packets as last projected.
    std::vector<ProjectedPacket> m_packetsProjected;
};

// The sphere about a run of records' vertices: the middle of their bounding box and the greatest
// distance of a vertex from it. Absent for no records or coordinates out of range.
struct ModelBounds {
    std::array<double, 3> centre{};
    double radius = 0.0;
};
[[nodiscard]] std::optional<ModelBounds> BoundsOf(std::span<const WorkPrimitive> records);

// The distance at which a sphere of `radius` seen through `focal` fills `fraction` of the smaller
// side of a width x height window, the nearest side of the sphere counted.
[[nodiscard]] double FitDistance(double radius, double focal, std::int32_t width, std::int32_t height,
                                 double fraction);

// The VRAM mode's scale in half steps: the largest that shows the whole memory in a client area of
// width x height, never below one half.
[[nodiscard]] std::int32_t VramScaleHalves(std::int32_t width, std::int32_t height);

// Angles leave a drag step within [-kAngleWrap, kAngleWrap]; the bound is not the double nearest 2π.
constexpr double kAngleWrap = 6.28318530716;
constexpr double kQuarterTurn = 1.57079632679;
constexpr double kRadiansPerPixel = 0.01;
constexpr std::int32_t kDistancePerPixelShift = 6; // 64 model units per pixel
// The preview turns the model this far each frame (a turn in about ten seconds at 60 frames a
// second), and uses the console's higher resolution for objects of more primitives than this.
constexpr double kPreviewTurnPerFrame = 0.0105;
constexpr std::size_t kLargePreviewPrimitives = 2000;
// How far in front of the eye the model's nearest point stays when moving nearer.
constexpr double kNearestDepth = 1.0;

} // namespace polyvane
