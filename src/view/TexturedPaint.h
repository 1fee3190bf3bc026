#pragma once
// The selected object drawn as the console's graphics chip would: each projected primitive, back to
// front, filled by the chip's rasteriser from the document's frame-buffer memory into a 15-bit
// picture, lit by a light model like the console's geometry unit.
#include "formats/TmdTypes.h"
#include "gpu/FrameBuffer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

// Ambient light plus directional lights, over unit normals in model coordinates. A lit channel c
// becomes min(255, c x (ambient + sum of intensity x max(0, N . D))), D pointing toward the light.
struct LightModel {
    struct Directional {
        double x = 0.0, y = 0.0, z = 0.0;
        double intensity = 0.0;
    };
    double ambient = 0.25;
    // By default one light from above, in front and to the left (the model's y grows downward and
    // it faces -z), so a cube shows three different shades.
    std::vector<Directional> lights = DefaultLights();

    [[nodiscard]] static std::vector<Directional> DefaultLights();

    // The light factor for a normal; a zero normal gets the ambient only.
    [[nodiscard]] double Factor(double nx, double ny, double nz) const;
};

struct TexturedPaintOptions {
    std::uint16_t background = 0x7FFF; // a 15-bit word
    bool dither = false;
    LightModel light;
};

// True when the primitive faces away from the viewer on screen and is single-sided.
[[nodiscard]] bool IsCulled(const WorkPrimitive& p);

// Draws `count` records from `first` along their draw-order links into `picture` (width x height
// 15-bit words, row after row), which is first cleared to the background.
void PaintTextured(const WorkPrimitive* first, std::uint32_t count, const FrameBuffer& textures,
                   std::span<std::uint16_t> picture, int width, int height,
                   const TexturedPaintOptions& options);

} // namespace polyvane
