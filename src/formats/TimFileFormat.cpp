// The TIM texture.
#include "CoreFormats.h"
#include "platform/ByteReader.h"

namespace polyvane {

FileFormat TimFileFormat() {
    FileFormat f;
    f.name = "TIM";
    f.extensions = {"tim"};
    f.filter = "TIM textures (*.tim)";
    f.roles = kTextureRole | kFindRole;
    f.detect = DetectTim;
    f.readTexture = [](std::span<const std::uint8_t> bytes) -> TextureReadResult {
        auto tim = ReadTim(bytes);
        if (!tim)
            return std::vector<std::string>{TimErrorText(tim.error())};
        return std::move(tim.value());
    };
    return f;
}

Certainty DetectTim(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8 || LoadU32LE(bytes.data()) != kTimId)
        return Certainty::no;
    // Pixel modes 0-4 and the colour-table bit; nothing else is set.
    const std::uint32_t flag = LoadU32LE(bytes.data() + 4);
    if ((flag & ~0xFu) || (flag & 7) > 4)
        return Certainty::no;
    std::uint64_t at = 8;
    if (flag & 8) {
        if (bytes.size() < at + 12)
            return Certainty::maybe;
        const std::uint32_t length = LoadU32LE(bytes.data() + at);
        const std::uint64_t words =
            std::uint64_t{LoadU16LE(bytes.data() + at + 8)} * LoadU16LE(bytes.data() + at + 10);
        if (length < 12 || length != 12 + 2 * words)
            return Certainty::no;
        at += length;
    }
    if (bytes.size() < at + 12)
        return Certainty::maybe;
    const std::uint32_t length = LoadU32LE(bytes.data() + at);
    const std::uint64_t words =
        std::uint64_t{LoadU16LE(bytes.data() + at + 8)} * LoadU16LE(bytes.data() + at + 10);
    return length == 12 + 2 * words && words > 0 ? Certainty::sure : Certainty::no;
}

} // namespace polyvane
