#include "PageTextures.h"

#include "TimFromImage.h"

#include <algorithm>
#include <set>

namespace polyvane {

TextureKey KeyOf(const WorkPrimitive& p) {
    // 15-bit pages use no colour table; leaving its fields out keeps one picture per page.
    const std::uint8_t mode = p.pmode & 3;
    if (mode >= kPixelMode15Bit)
        return {static_cast<std::uint8_t>(p.tpage & 0x1F), kPixelMode15Bit, 0, 0};
    return {static_cast<std::uint8_t>(p.tpage & 0x1F), mode, static_cast<std::uint16_t>(p.clutX & 0x3F0),
            static_cast<std::uint16_t>(p.clutY & 0x1FF)};
}

std::string DescribeTexture(const TextureKey& key) {
    std::string text = "page " + std::to_string(key.tpage) + ' ';
    text += key.pmode == kPixelMode4Bit ? "4-bit" : key.pmode == kPixelMode8Bit ? "8-bit" : "15-bit";
    if (key.pmode != kPixelMode15Bit)
        text += " CLUT (" + std::to_string(key.clutX) + ',' + std::to_string(key.clutY) + ')';
    return text;
}

void PageTextures::Load(std::span<const TimImage> tims) {
    if (!tims.empty() && !m_memory) {
        m_memory = std::make_unique<FrameBuffer>();
        m_written.assign(std::size_t{kFrameBufferWidth} * kFrameBufferHeight, false);
    }
    for (const TimImage& tim : tims) {
        if (tim.hasClut && tim.clutWidth > 0) {
            // Every whole row of the colour table the record keeps.
            const int rows = static_cast<int>(tim.ClutRows());
            m_memory->WriteRect(tim.clutX, tim.clutY, tim.clutWidth, rows, tim.clutTable);
            Mark(tim.clutX, tim.clutY, tim.clutWidth, rows);
        }
        const std::vector<std::uint16_t> words = FrameBufferWords(tim);
        if (words.empty())
            continue;
        m_memory->WriteRect(tim.imageX, tim.imageY, tim.imageWidth, tim.imageHeight, words);
        Mark(tim.imageX, tim.imageY, tim.imageWidth, tim.imageHeight);
    }
}

void PageTextures::Mark(int x, int y, int width, int height) {
    for (int row = std::max(y, 0); row < std::min(y + height, kFrameBufferHeight); ++row)
        for (int column = std::max(x, 0); column < std::min(x + width, kFrameBufferWidth); ++column)
            m_written[std::size_t(row) * kFrameBufferWidth + std::size_t(column)] = m_anyWritten = true;
}

bool PageTextures::Covered(int x, int y) const {
    return m_written[std::size_t(y & (kFrameBufferHeight - 1)) * kFrameBufferWidth +
                     std::size_t(x & (kFrameBufferWidth - 1))];
}

bool PageTextures::IsLoaded(const TextureKey& key) const {
    if (!m_anyWritten)
        return false;
    if (key.pmode != kPixelMode15Bit && !Covered(key.clutX, key.clutY))
        return false;
    const int x = TexturePageX(key.tpage);
    const int y = TexturePageY(key.tpage);
    const int words = TexturePageWords(key.pmode);
    for (int row = 0; row < kPageTexels; ++row)
        for (int column = 0; column < words; ++column)
            if (Covered(x + column, y + row))
                return true;
    return false;
}

RgbaImage PageTextures::Decode(const TextureKey& key) const {
    RgbaImage image{kPageTexels, kPageTexels,
                    std::vector<std::uint8_t>(std::size_t{kPageTexels} * kPageTexels * 4)};
    if (!m_memory)
        return image; // nothing loaded: every texel the transparent word
    for (int v = 0; v < kPageTexels; ++v)
        for (int u = 0; u < kPageTexels; ++u) {
            const std::uint16_t word = FetchTexel(*m_memory, key.tpage, key.pmode, key.clutX, key.clutY,
                                                  static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(v));
            std::uint8_t* out = image.Pixel(u, v);
            // 5-bit channels widened so that 31 becomes 255.
            auto widen = [](int c) { return static_cast<std::uint8_t>((c << 3) | (c >> 2)); };
            out[0] = widen(word & 31);
            out[1] = widen((word >> 5) & 31);
            out[2] = widen((word >> 10) & 31);
            out[3] = word == 0 ? 0 : 255;
        }
    return image;
}

PageTextures::Usage PageTextures::Collect(const ModelRef& model) const {
    Usage usage;
    std::set<TextureKey> seen;
    for (const ObjectRef& object : model.objects)
        for (const WorkPrimitive& p : object.records) {
            if (!(p.attr & PA_TEXTURED))
                continue;
            const TextureKey key = KeyOf(p);
            if (!seen.insert(key).second)
                continue;
            (IsLoaded(key) ? usage.loaded : usage.missing).push_back(key);
        }
    return usage;
}

std::string MissingTexturesMessage(std::span<const TextureKey> missing) {
    std::string text = "Textures not loaded, primitives using them exported untextured:";
    for (std::size_t i = 0; i < missing.size(); ++i)
        text += (i ? ", " : " ") + DescribeTexture(missing[i]);
    return text;
}

} // namespace polyvane
