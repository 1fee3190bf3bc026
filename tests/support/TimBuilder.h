#pragma once
// Builds TIM files byte by byte from the format's table, for tests: ID word, flag word, the optional
// CLUT block (length, x, y, width, height, colour words), then the image block (length, x, y, width,
// height, pixel bytes). Lengths are computed unless a test gives its own.
#include "TmdBuilder.h"
#include "platform/MessageBox.h"
#include "texture/TimImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace polyvane::test {

struct TimSpec {
    std::uint32_t id = 0x10;
    std::uint32_t flag = 0; // pixel mode in bits 0-2; bit 3 is set by BuildTim when clut is given
    std::optional<std::vector<std::uint16_t>> clut;
    std::optional<std::uint32_t> clutLength;
    std::uint16_t clutX = 0, clutY = 480, clutWidth = 16, clutHeight = 1;
    std::optional<std::uint32_t> imageLength;
    std::uint16_t imageX = 640, imageY = 0, imageWidth = 0, imageHeight = 0;
    std::vector<std::uint8_t> pixels;
};

inline Bytes BuildTim(const TimSpec& spec) {
    Bytes b;
    b.u32(spec.id);
    b.u32(spec.flag | (spec.clut ? 8u : 0u));
    if (spec.clut) {
        b.u32(spec.clutLength.value_or(12 + 2 * static_cast<std::uint32_t>(spec.clut->size())));
        b.u16(spec.clutX);
        b.u16(spec.clutY);
        b.u16(spec.clutWidth);
        b.u16(spec.clutHeight);
        for (std::uint16_t w : *spec.clut)
            b.u16(w);
    }
    b.u32(spec.imageLength.value_or(12 + static_cast<std::uint32_t>(spec.pixels.size())));
    b.u16(spec.imageX);
    b.u16(spec.imageY);
    b.u16(spec.imageWidth);
    b.u16(spec.imageHeight);
    for (std::uint8_t p : spec.pixels)
        b.u8(p);
    return b;
}

// Pixel bytes 0, 1, 2, ... wrapping at 256: every byte tells where it came from.
inline std::vector<std::uint8_t> CountingBytes(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i);
    return v;
}

struct TimLoad {
    TimImage tim;
    bool ok = false;
    std::vector<std::string> messages;
};

inline TimLoad LoadTimBytes(const std::vector<std::uint8_t>& bytes) {
    TimLoad r;
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    r.tim.fileName = "texture.tim";
    r.ok = r.tim.LoadTimFromBytes(bytes);
    r.messages = box.Texts();
    return r;
}

inline TimLoad LoadTimFile(const std::string& path) {
    TimLoad r;
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    r.tim.fileName = path;
    r.ok = r.tim.LoadTim();
    r.messages = box.Texts();
    return r;
}

} // namespace polyvane::test
