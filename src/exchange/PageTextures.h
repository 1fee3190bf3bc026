#pragma once
// The textures a model's primitives sample, as pictures: the loaded TIMs are written into a model of
// the frame buffer and every (page, colour mode, colour table) the primitives use is read back
// through the chip's texture fetch, one 256 x 256 picture each.
#include "RgbaImage.h"
#include "formats/TimImage.h"
#include "formats/TmdModel.h"
#include "gpu/FrameBuffer.h"

#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace polyvane {

// Texels across and down the picture of one page, whatever its colour mode.
inline constexpr int kPageTexels = 256;

struct TextureKey {
    std::uint8_t tpage = 0;
    std::uint8_t pmode = 0;
    std::uint16_t clutX = 0;
    std::uint16_t clutY = 0;
    auto operator<=>(const TextureKey&) const = default;
};

[[nodiscard]] TextureKey KeyOf(const WorkPrimitive& p);
// "page 5 4-bit CLUT (0,480)": how messages name a texture.
[[nodiscard]] std::string DescribeTexture(const TextureKey& key);

class PageTextures {
  public:
    // Writes each TIM's colour table and pixels where the TIM says they go.
    void Load(std::span<const TimImage> tims);
    // Whether the frame buffer holds texels for the page and, for 4- and 8-bit pages, the colour table.
    [[nodiscard]] bool IsLoaded(const TextureKey& key) const;
    // The page as texture data: colour word -> RGB at 8 bits per channel, the transparent word
    // 0x0000 with alpha 0.
    [[nodiscard]] RgbaImage Decode(const TextureKey& key) const;

    // Distinct keys of the model's textured primitives in first-use order, split into those whose
    // textures are loaded and those that are not.
    struct Usage {
        std::vector<TextureKey> loaded;
        std::vector<TextureKey> missing;
    };
    [[nodiscard]] Usage Collect(const ModelRef& model) const;

  private:
    void Mark(int x, int y, int width, int height);
    [[nodiscard]] bool Covered(int x, int y) const;
    // The memory and which of its words a texture wrote, made by the first texture loaded: an export
    // without textures needs neither.
    std::unique_ptr<FrameBuffer> m_memory;
    std::vector<bool> m_written;
    // Whether any word was written: without textures no page needs looking through.
    bool m_anyWritten = false;
};

// The message for textured primitives exported untextured, naming every missing texture.
[[nodiscard]] std::string MissingTexturesMessage(std::span<const TextureKey> missing);

} // namespace polyvane
