#include "ItemProbe.h"

#include "formats/TimImage.h"
#include "formats/TmdCodec.h"
#include "formats/TmdTypes.h"

#include <algorithm>

namespace polyvane::gamedata {

namespace {

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::uint64_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

constexpr std::uint64_t kTmdHeaderBytes = 12, kObjectEntryBytes = 28, kVectorBytes = 8;

// ReadTmd has accepted the bytes, so every table and packet it walked lies inside them.
std::uint64_t TmdExtent(std::span<const std::uint8_t> bytes, const TmdModel& model) {
    const auto tables = bytes.subspan(kTmdHeaderBytes);
    std::uint64_t end = kObjectEntryBytes * model.objects.size();
    for (const TmdModelObject& object : model.objects) {
        const TmdObject& e = object.entry;
        if (e.n_vert)
            end = std::max(end, e.vert_top + kVectorBytes * e.n_vert);
        if (e.n_normal)
            end = std::max(end, e.normal_top + kVectorBytes * e.n_normal);
        std::uint64_t position = e.primitive_top;
        for (std::uint32_t j = 0; j < e.n_primitive; ++j)
            position += 4 * (1 + std::uint64_t{tables[position + 1]});
        end = std::max(end, position);
    }
    // Tables that claim more than the bytes hold were not read by the codec; the item ends at the bytes.
    return std::min<std::uint64_t>(kTmdHeaderBytes + end, bytes.size());
}

} // namespace

std::optional<ProbedItem> ProbeItem(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 4 && U32(bytes, 0) == kTmdId) {
        auto model = ReadTmd(bytes);
        if (!model)
            return std::nullopt;
        return ProbedItem{ItemFormat::tmd, TmdExtent(bytes, *model), {}};
    }
    if (bytes.size() >= 4 && U32(bytes, 0) == kTimId) {
        auto tim = ReadTim(bytes);
        if (!tim)
            return std::nullopt;
        const bool hasClut = tim->hasClut != 0;
        const std::uint64_t size = 8 + (hasClut ? std::uint64_t{tim->clutLength} : 0) + tim->imageLength;
        if (size > bytes.size())
            return std::nullopt;
        TextureLayout layout{
            tim->pixelMode, tim->imageX, tim->imageY, tim->imageWidth, tim->imageHeight, hasClut, 0, 0, 0, 0};
        if (hasClut)
            layout.clutX = tim->clutX, layout.clutY = tim->clutY, layout.clutWidth = tim->clutWidth,
            layout.clutHeight = tim->clutHeight;
        return ProbedItem{ItemFormat::tim, size, layout};
    }
    return std::nullopt;
}

const char* ItemFormatName(ItemFormat format) {
    return format == ItemFormat::tmd ? "model" : "texture";
}

} // namespace polyvane::gamedata
