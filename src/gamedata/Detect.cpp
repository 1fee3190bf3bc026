// Detection of TMD models and TIM textures at a byte offset through the format table. The scanner
// asks more of an item than opening a file does: the entry's detector must be at least likely (an
// item found among other data has nothing else vouching for it), and a whole item must read through
// the entry's reader.
#include "Detect.h"

#include "formats/FormatRegistry.h"
#include "formats/TimImage.h"
#include "formats/TmdCodec.h"
#include "formats/TmdFormat.h"
#include "platform/ByteReader.h"

#include <algorithm>

namespace polyvane::gamedata {

namespace {

// The format table's entry the scanner asks for each format it finds, copied once: later additions to
// the table may move its entries.
const FileFormat& EntryOf(ItemFormat format) {
    static const FileFormat entries[] = {*Formats().ByName("TMD"), *Formats().ByName("TIM")};
    return entries[static_cast<unsigned>(format)];
}

bool ReadsWhole(const FileFormat& entry, std::span<const std::uint8_t> bytes) {
    if (entry.readModel)
        return static_cast<bool>(entry.readModel(bytes, {}));
    return entry.readTexture && entry.readTexture(bytes);
}

// What a hit reports, from the headers alone so that a cut-off item says it too.
void Describe(ItemFormat format, std::span<const std::uint8_t> bytes, DetectedItem& item) {
    if (format == ItemFormat::tmd) {
        item.objects = std::min(LoadU32LE(bytes.data() + 8), kMaxObjects);
        std::uint64_t primitives = 0;
        for (std::uint32_t i = 0; i < item.objects; ++i)
            primitives +=
                LoadTmdObjectEntry(bytes.data() + kTmdHeaderSize + std::size_t{i} * kTmdObjectEntrySize)
                    .n_primitive;
        item.primitives = static_cast<std::uint32_t>(std::min<std::uint64_t>(primitives, UINT32_MAX));
        return;
    }
    const std::uint32_t flag = LoadU32LE(bytes.data() + 4);
    std::size_t at = 8;
    if (flag & 8) {
        item.cluts = LoadU16LE(bytes.data() + at + 10);
        at += LoadU32LE(bytes.data() + at);
    }
    const std::uint32_t mode = flag & 7;
    const std::uint32_t units = LoadU16LE(bytes.data() + at + 8);
    static constexpr std::uint32_t kBpp[] = {4, 8, 16, 24};
    item.bpp = kBpp[mode];
    item.width = mode == kTimMode4Bit    ? units * 4
                 : mode == kTimMode8Bit  ? units * 2
                 : mode == kTimMode24Bit ? units * 2 / 3
                                         : units;
    item.height = LoadU16LE(bytes.data() + at + 10);
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
    ItemFormat format{};
    if (first == kTmdId && (formats & MaskOf(ItemFormat::tmd)))
        format = ItemFormat::tmd;
    else if (first == kTimId && (formats & MaskOf(ItemFormat::tim)))
        format = ItemFormat::tim;
    else
        return Detection::none;

    const FileFormat& entry = EntryOf(format);
    const Certainty certainty = entry.detect(bytes);
    if (certainty == Certainty::no)
        return Detection::none;
    const std::optional<ItemExtent> extent = entry.extent(bytes);
    if (!extent || extent->size > kMaxItemBytes)
        return Detection::none;
    if (!extent->complete && !toEnd) {
        item.size = extent->size;
        return Detection::needMore;
    }
    // With every header in view, the detector has seen all it looks at.
    if (certainty < Certainty::likely)
        return Detection::none;
    if (!extent->complete) {
        item.complete = false;
        item.size = bytes.size();
    } else {
        if (!ReadsWhole(entry, bytes.first(static_cast<std::size_t>(extent->size))))
            return Detection::none;
        item.size = extent->size;
    }
    item.format = format;
    Describe(format, bytes, item);
    return Detection::found;
}

Detection DetectInImage(const DiscImage& image, const ImageFile* file, std::uint64_t offset,
                        std::size_t first, FormatMask formats, DetectedItem& item,
                        std::vector<std::uint8_t>& bytes) {
    const std::uint64_t size = image.DataSize(file);
    if (offset >= size)
        return Detection::none;
    const std::uint64_t room = std::min(kMaxItemBytes, size - offset);
    std::uint64_t wanted = std::min<std::uint64_t>(first, room);
    for (;;) {
        bytes.resize(static_cast<std::size_t>(wanted));
        bytes.resize(image.Read(file, offset, bytes));
        // A read stops early at the data's end or at a sector without user data: the item's file
        // ends there as far as the item can tell.
        const bool toEnd = bytes.size() < wanted || offset + bytes.size() == size;
        const Detection result = DetectItem(bytes, toEnd, formats, item);
        if (result == Detection::found && item.complete)
            bytes.resize(static_cast<std::size_t>(item.size));
        if (result != Detection::needMore)
            return result;
        if (wanted >= room)
            return Detection::none;
        // What the item claims so far, at least twice what was read, so that a walk through its
        // packets takes few reads.
        wanted = std::min(room, std::max<std::uint64_t>(item.size, 2 * wanted));
    }
}

} // namespace polyvane::gamedata
