// Detection of TMD models and TIM textures at a byte offset. Beyond what the codecs insist on, an item
// found inside other data must look as the console's tools write them (tables after the object
// table, packets of polygons whose lengths match their kind, frame-buffer places inside the frame
// buffer, length words that match the sizes): executables and tables of small numbers pass the
// codecs' checks far too often otherwise.
#include "Detect.h"

#include "formats/ItemExtent.h"
#include "formats/TimImage.h"
#include "formats/TmdCodec.h"
#include "formats/TmdFormat.h"
#include "platform/ByteReader.h"

namespace polyvane::gamedata {

namespace {

constexpr std::uint32_t kFrameBufferWidth = 1024;
constexpr std::uint32_t kFrameBufferHeight = 512;
constexpr std::uint32_t kMaxTableEntries = 65536; // 16-bit indices reach no further
constexpr std::uint8_t kPolygonCode = 0x20;       // top three bits of a polygon packet's MODE byte

Detection DetectTmd(std::span<const std::uint8_t> bytes, bool toEnd, DetectedItem& item) {
    if (bytes.size() < kTmdHeaderSize)
        return toEnd ? Detection::none : Detection::needMore;
    const std::uint32_t flags = LoadU32LE(bytes.data() + 4);
    const std::uint32_t objects = LoadU32LE(bytes.data() + 8);
    // Files on disc hold offsets from the object table (the flag for absolute addresses is clear).
    if (flags != 0 || objects == 0 || objects > kMaxObjects)
        return Detection::none;
    const std::uint64_t tableSize = std::uint64_t{objects} * kTmdObjectEntrySize;
    if (kTmdHeaderSize + tableSize > bytes.size())
        return toEnd ? Detection::none : Detection::needMore;

    const std::span<const std::uint8_t> image = bytes.subspan(kTmdHeaderSize);
    std::uint64_t primitives = 0;
    bool cut = false;
    for (std::uint32_t i = 0; i < objects; ++i) {
        const TmdObject o = LoadTmdObjectEntry(image.data() + std::size_t{i} * kTmdObjectEntrySize);
        if ((o.vert_top | o.normal_top | o.primitive_top) & 3)
            return Detection::none;
        if (o.vert_top < tableSize || o.normal_top < tableSize || o.primitive_top < tableSize)
            return Detection::none;
        if (o.n_vert == 0 || o.n_vert > kMaxTableEntries || o.n_normal > kMaxTableEntries ||
            o.n_primitive == 0)
            return Detection::none;
        if (std::uint64_t{o.vert_top} + std::uint64_t{o.n_vert} * kTmdVectorSize > kMaxItemBytes ||
            std::uint64_t{o.normal_top} + std::uint64_t{o.n_normal} * kTmdVectorSize > kMaxItemBytes ||
            o.primitive_top + std::uint64_t{o.n_primitive} * 4 > kMaxItemBytes)
            return Detection::none;
        primitives += o.n_primitive;
        std::uint64_t position = o.primitive_top;
        for (std::uint32_t j = 0; j < o.n_primitive; ++j) {
            if (position + 4 > image.size()) {
                cut = true;
                break;
            }
            const std::uint8_t ilen = image[static_cast<std::size_t>(position) + 1];
            const std::uint8_t flag = image[static_cast<std::size_t>(position) + 2];
            const std::uint8_t mode = image[static_cast<std::size_t>(position) + 3];
            if ((mode & 0xE0) != kPolygonCode || (flag & ~0x07) != 0)
                return Detection::none;
            const std::uint32_t words = TmdPacketDataWords(flag, mode);
            if (ilen < words || ilen > words + 1)
                return Detection::none;
            position += 4 * (1 + std::uint64_t{ilen});
        }
    }
    const std::optional<ItemExtent> extent = TmdExtent(bytes);
    if (!extent || extent->size > kMaxItemBytes)
        return Detection::none;
    if (!extent->complete || cut) {
        if (!toEnd)
            return Detection::needMore;
        item.complete = false;
        item.size = bytes.size();
    } else {
        const auto whole = bytes.first(static_cast<std::size_t>(extent->size));
        if (!ReadTmd(whole))
            return Detection::none;
        item.complete = true;
        item.size = extent->size;
    }
    item.format = ItemFormat::tmd;
    item.objects = objects;
    item.primitives = static_cast<std::uint32_t>(std::min<std::uint64_t>(primitives, UINT32_MAX));
    return Detection::found;
}

// A frame-buffer rectangle as a TIM block header gives it, with the block's length word: exact, or
// (`shortLength`) anything from the header's 12 bytes up, as some converters write it and the reader
// takes it. Executables hold ID-like words followed by such lengths often, so a short length is
// taken only behind a colour table whose own header is exact.
bool PlausibleBlock(const std::uint8_t* block, bool shortLength) {
    const std::uint32_t length = LoadU32LE(block);
    const std::uint32_t x = LoadU16LE(block + 4);
    const std::uint32_t y = LoadU16LE(block + 6);
    const std::uint32_t w = LoadU16LE(block + 8);
    const std::uint32_t h = LoadU16LE(block + 10);
    const std::uint32_t exact = 12 + w * h * 2;
    return w > 0 && h > 0 && x + w <= kFrameBufferWidth && y + h <= kFrameBufferHeight &&
           (length == exact || (shortLength && length >= 12 && length < exact));
}

Detection DetectTim(std::span<const std::uint8_t> bytes, bool toEnd, DetectedItem& item) {
    const auto more = [&] { return toEnd ? Detection::none : Detection::needMore; };
    if (bytes.size() < 8)
        return more();
    const std::uint32_t flag = LoadU32LE(bytes.data() + 4);
    const std::uint32_t mode = flag & 7;
    const bool hasClut = flag & 8;
    // The reader looks at the flag's low four bits only; junk above them, which some converters leave,
    // is taken only where a colour table's exact header vouches for the texture.
    if (mode > kTimMode24Bit || ((flag & ~0xFu) != 0 && !hasClut))
        return Detection::none;
    std::size_t at = 8;
    std::uint32_t clutRows = 0;
    if (hasClut) {
        if (at + 12 > bytes.size())
            return more();
        // Colour tables sit on 16-word boundaries: the packets' CBA field cannot name others.
        if (!PlausibleBlock(bytes.data() + at, false) || LoadU16LE(bytes.data() + at + 4) % 16 != 0)
            return Detection::none;
        clutRows = LoadU16LE(bytes.data() + at + 10);
        at += LoadU32LE(bytes.data() + at);
    }
    if (at + 12 > bytes.size())
        return more();
    if (!PlausibleBlock(bytes.data() + at, hasClut))
        return Detection::none;
    const std::uint32_t units = LoadU16LE(bytes.data() + at + 8);
    const std::uint32_t height = LoadU16LE(bytes.data() + at + 10);

    const std::optional<ItemExtent> extent = TimExtent(bytes);
    if (!extent || extent->size > kMaxItemBytes)
        return Detection::none;
    if (!extent->complete) {
        if (!toEnd)
            return Detection::needMore;
        item.complete = false;
        item.size = bytes.size();
    } else {
        if (!ReadTim(bytes.first(static_cast<std::size_t>(extent->size))))
            return Detection::none;
        item.complete = true;
        item.size = extent->size;
    }
    static constexpr std::uint32_t kBpp[] = {4, 8, 16, 24};
    item.format = ItemFormat::tim;
    item.bpp = kBpp[mode];
    item.width = mode == kTimMode4Bit    ? units * 4
                 : mode == kTimMode8Bit  ? units * 2
                 : mode == kTimMode24Bit ? units * 2 / 3
                                         : units;
    item.height = height;
    item.cluts = clutRows;
    return Detection::found;
}

} // namespace

const char* ItemFormatName(ItemFormat format) {
    return format == ItemFormat::tmd ? "tmd" : "tim";
}

std::optional<ItemFormat> ItemFormatFromName(std::string_view name) {
    if (name == "tmd")
        return ItemFormat::tmd;
    if (name == "tim")
        return ItemFormat::tim;
    return std::nullopt;
}

Detection DetectItem(std::span<const std::uint8_t> bytes, bool toEnd, FormatMask formats,
                     DetectedItem& item) {
    if (bytes.size() < 4)
        return toEnd ? Detection::none : Detection::needMore;
    item = DetectedItem{};
    const std::uint32_t first = LoadU32LE(bytes.data());
    if (first == kTmdId && (formats & MaskOf(ItemFormat::tmd)))
        return DetectTmd(bytes, toEnd, item);
    if (first == kTimId && (formats & MaskOf(ItemFormat::tim)))
        return DetectTim(bytes, toEnd, item);
    return Detection::none;
}

} // namespace polyvane::gamedata
