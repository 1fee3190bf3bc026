// Extents of TMD and TIM items from their headers and tables.
#include "ItemExtent.h"
#include "TimImage.h"
#include "TmdCodec.h"
#include "TmdFormat.h"
#include "platform/ByteReader.h"

#include <algorithm>

namespace polyvane {

std::optional<ItemExtent> TmdExtent(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4)
        return ItemExtent{kTmdHeaderSize, false};
    if (LoadU32LE(bytes.data()) != kTmdId)
        return std::nullopt;
    if (bytes.size() < kTmdHeaderSize)
        return ItemExtent{kTmdHeaderSize, false};
    const std::uint32_t objects = std::min<std::uint32_t>(LoadU32LE(bytes.data() + 8), kMaxObjects);
    std::uint64_t end = kTmdHeaderSize + std::uint64_t{objects} * kTmdObjectEntrySize;
    if (end > bytes.size())
        return ItemExtent{end, false};
    const std::uint8_t* table = bytes.data() + kTmdHeaderSize;
    std::uint64_t packetBudget = kMaxTmdRecords;
    for (std::uint32_t i = 0; i < objects; ++i) {
        const TmdObject o = LoadTmdObjectEntry(table + std::size_t{i} * kTmdObjectEntrySize);
        const std::uint32_t primitives = o.n_primitive;
        end = std::max({end, kTmdHeaderSize + o.vert_top + std::uint64_t{o.n_vert} * kTmdVectorSize,
                        kTmdHeaderSize + o.normal_top + std::uint64_t{o.n_normal} * kTmdVectorSize});
        if (primitives > packetBudget)
            return std::nullopt;
        packetBudget -= primitives;
        std::uint64_t position = kTmdHeaderSize + o.primitive_top;
        for (std::uint32_t j = 0; j < primitives; ++j) {
            if (position + 4 > bytes.size())
                return ItemExtent{std::max(end, position + 4), false};
            const std::uint8_t ilen = bytes[static_cast<std::size_t>(position) + 1];
            position += 4 * (1 + std::uint64_t{ilen});
        }
        end = std::max(end, position);
    }
    return ItemExtent{end, end <= bytes.size()};
}

std::optional<ItemExtent> TimExtent(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return ItemExtent{8, false};
    if (bytes[0] != kTimId)
        return std::nullopt;
    if (bytes.size() < 8)
        return ItemExtent{8, false};
    std::uint64_t end = 8;
    if ((LoadU32LE(bytes.data() + 4) >> 3) & 1) {
        if (end + 4 > bytes.size())
            return ItemExtent{end + 4, false};
        end += std::max<std::uint32_t>(LoadU32LE(bytes.data() + end), 12);
    }
    if (end + 12 > bytes.size())
        return ItemExtent{end + 12, false};
    const std::uint8_t* block = bytes.data() + end;
    const std::uint64_t length = LoadU32LE(block);
    const std::uint64_t pixels = std::uint64_t{LoadU16LE(block + 8)} * LoadU16LE(block + 10) * 2;
    end += 12 + std::max(length < 12 ? 0 : length - 12, pixels);
    return ItemExtent{end, end <= bytes.size()};
}

} // namespace polyvane
