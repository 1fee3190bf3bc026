// The TIM texture.
#include "CoreFormats.h"
#include "FrameBufferLayout.h"
#include "platform/ByteReader.h"

namespace polyvane {

namespace {

// A frame-buffer rectangle as a block header gives it, inside the frame buffer, with the block's
// length word: exact, or (`shortLength`) anything from the header's 12 bytes up, as the reader takes.
bool PlausibleBlock(const std::uint8_t* block, bool shortLength) {
    const std::uint32_t length = LoadU32LE(block);
    const std::uint32_t x = LoadU16LE(block + 4);
    const std::uint32_t y = LoadU16LE(block + 6);
    const std::uint32_t w = LoadU16LE(block + 8);
    const std::uint32_t h = LoadU16LE(block + 10);
    const std::uint32_t exact = 12 + w * h * 2;
    return w > 0 && h > 0 && InsideFrameBuffer(x, y, w, h) &&
           (length == exact || (shortLength && length >= 12 && length < exact));
}

// Depth, size and colour-table rows as the headers give them; a likely detection has both in view.
void SummarizeTim(std::span<const std::uint8_t> bytes, ItemSummary& summary) {
    const std::uint32_t flag = LoadU32LE(bytes.data() + 4);
    std::size_t at = 8;
    if (flag & 8) {
        summary.cluts = LoadU16LE(bytes.data() + at + 10);
        at += LoadU32LE(bytes.data() + at);
    }
    const std::uint32_t mode = flag & 7;
    const std::uint32_t units = LoadU16LE(bytes.data() + at + 8);
    static constexpr std::uint32_t kBpp[] = {4, 8, 16, 24};
    summary.bpp = kBpp[mode];
    summary.width = mode == kTimMode4Bit    ? units * 4
                    : mode == kTimMode8Bit  ? units * 2
                    : mode == kTimMode24Bit ? units * 2 / 3
                                            : units;
    summary.height = LoadU16LE(bytes.data() + at + 10);
}

} // namespace

FileFormat TimFileFormat() {
    FileFormat f;
    f.name = "TIM";
    f.extensions = {"tim"};
    f.filter = "TIM textures (*.tim)";
    f.roles = kTextureRole | kFindRole;
    f.detect = DetectTim;
    f.extent = TimExtent;
    f.firstWords = {kTimId};
    f.summarize = SummarizeTim;
    f.readTexture = [](std::span<const std::uint8_t> bytes) -> TextureReadResult {
        auto tim = ReadTim(bytes);
        if (!tim)
            return std::vector<std::string>{TimErrorText(tim.error())};
        return std::move(tim.value());
    };
    return f;
}

Certainty DetectTim(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4 || LoadU32LE(bytes.data()) != kTimId)
        return Certainty::no;
    if (bytes.size() < 8)
        return Certainty::maybe;
    const std::uint32_t flag = LoadU32LE(bytes.data() + 4);
    const bool hasClut = flag & 8;
    // Pixel modes 0-3 and the colour-table bit. The reader looks at the low four bits only; junk above
    // them, which some converters leave, is taken only where a colour table's exact header vouches
    // for the texture.
    const bool junk = flag & ~0xFu;
    if ((flag & 7) > kTimMode24Bit || (junk && !hasClut))
        return Certainty::no;
    std::uint64_t at = 8;
    if (hasClut) {
        if (bytes.size() < at + 12)
            return Certainty::maybe;
        // Colour tables sit on 16-word boundaries: the packets' CBA field cannot name others.
        if (!PlausibleBlock(bytes.data() + at, false) || LoadU16LE(bytes.data() + at + 4) % 16 != 0)
            return Certainty::no;
        at += LoadU32LE(bytes.data() + at);
    }
    if (bytes.size() < at + 12)
        return Certainty::maybe;
    // Some converters write a short image length word; executables hold ID-like words followed by such
    // lengths often, so one is taken only behind a colour table.
    if (!PlausibleBlock(bytes.data() + at, hasClut))
        return Certainty::no;
    return junk || !PlausibleBlock(bytes.data() + at, false) ? Certainty::likely : Certainty::sure;
}

} // namespace polyvane
