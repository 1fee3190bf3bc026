// Random models and textures through the textured paint and the VRAM view: any packet fields,
// coordinates, pages, colour tables and blend rates, and textures placed anywhere, must draw
// without reading or writing outside the memory or the picture.
//
// Input: one control byte (bits 0-1 the texture count, 0-3; bit 2 the dither switch; bits 2-7 all
// set also paint the VRAM view), then per texture a 16-bit little-endian length and that many bytes
// of TIM file; the rest, 51 bytes a primitive, fills its fields.
//
// The views paint small surfaces, and one view serves every input: a whole window's pixels, or the
// VRAM view's whole memory, would cost each input far more than the drawing of its primitives. The
// VRAM view's own work depends only on the textures' places, so it is painted for one control byte in
// sixty-four, which the fuzzer's comparison tracing finds.
#include "formats/TimImage.h"
#include "model/CPolyvaneDoc.h"
#include "platform/CRasterDC.h"
#include "platform/MessageBox.h"
#include "view/CPolyvaneView.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using namespace polyvane;

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t U8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | (U8() << 8)); }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    [[nodiscard]] std::size_t Remaining() const { return m_size - m_pos; }
    // `n` must not exceed Remaining().
    const std::uint8_t* Take(std::size_t n) {
        const std::uint8_t* at = m_data + m_pos;
        m_pos += n;
        return at;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

constexpr std::size_t kPrimitiveBytes = 51;

constexpr std::uint8_t kVramBits = 0xFC;

constexpr std::int32_t kWidth = 64, kHeight = 48;

void Paint(CPolyvaneDoc& doc, std::int32_t mode, bool dither) {
    static HeadlessViewHost host(CRect{0, 0, kWidth, kHeight});
    static CPolyvaneView view;
    view.SetHost(&host);
    view.SetDocument(&doc);
    view.m_viewMode = mode;
    view.m_textured.dither = dither;
    view.m_angleX = 0.3;
    view.m_angleY = 0.5;
    view.m_distance = 400.0;
    CRasterDC dc(kWidth, kHeight);
    view.OnDraw(&dc);
    view.SetDocument(nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    Input in(data, size);
    CPolyvaneDoc doc;
    const std::uint8_t control = in.U8();
    const int textures = control & 3;
    for (int t = 0; t < textures; ++t) {
        const std::size_t length = std::min<std::size_t>(in.U16(), in.Remaining());
        const std::uint8_t* bytes = in.Take(length);
        auto tim = ReadTim({bytes, length});
        if (tim) {
            tim.value().fileName = "fuzz" + std::to_string(t) + ".tim";
            doc.AttachTexture(std::move(tim.value()));
        }
    }
    const std::size_t count = std::min<std::size_t>(in.Remaining() / kPrimitiveBytes, 256);
    TmdModel model;
    model.header.id = 0x41;
    model.header.nobj = 1;
    model.objects.resize(1);
    model.objects[0].entry.n_primitive = static_cast<std::uint32_t>(count);
    if (count > 0) {
        model.objects[0].records.reset(new WorkPrimitive[count]);
        for (std::size_t i = 0; i < count; ++i) {
            WorkPrimitive& p = model.objects[0].records[i];
            std::memset(&p, 0, sizeof p);
            p.attr = in.U16();
            for (int k = 0; k < 4; ++k) {
                p.x[k] = in.I16() / 64.0;
                p.y[k] = in.I16() / 64.0;
                p.z[k] = in.I16() / 64.0;
                p.u[k] = in.U8();
                p.v[k] = in.U8();
            }
            for (int k = 0; k < 4; ++k)
                p.colour[k] = static_cast<std::uint32_t>(in.U8()) * 0x010203u;
            p.nx[0] = in.I16();
            p.ny[0] = in.I16();
            p.nz[0] = in.I16();
            p.tpage = in.U8();
            p.pmode = in.U8();
            p.abr = in.U8();
            p.clutX = in.U16();
            p.clutY = in.U16();
        }
    }
    doc.AdoptModel(std::move(model));
    Paint(doc, VM_TEXTURED, (control & 4) != 0);
    if ((control & kVramBits) == kVramBits)
        Paint(doc, VM_VRAM, false);
    return 0;
}
