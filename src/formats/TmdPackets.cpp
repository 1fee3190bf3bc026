// The layouts of the packets the editor keeps without decoding: a line is its colour word (two when
// Gouraud) then both vertex indices in one word; a sprite is its vertex index beside the TSB, then
// U, V and the CBA, then (free size only) width and height.
#include "TmdPackets.h"

#include "FrameBufferLayout.h"
#include "TmdFormat.h"

namespace polyvane {

namespace {

std::uint8_t ModeOf(std::uint32_t header) {
    return static_cast<std::uint8_t>(header >> 24);
}

std::uint32_t WordOr0(const std::vector<std::uint32_t>& words, std::size_t i) {
    return i < words.size() ? words[i] : 0;
}

} // namespace

PacketKind KindOfPacket(std::uint32_t header) {
    switch (ModeOf(header) & MODE_CODE_MASK) {
    case MODE_POLYGON:
        return PacketKind::polygon;
    case MODE_LINE:
        return PacketKind::line;
    case MODE_SPRITE:
        return PacketKind::sprite;
    default:
        return PacketKind::other;
    }
}

bool PacketFitsItsKind(std::uint32_t header) {
    const std::uint32_t ilen = static_cast<std::uint8_t>(header >> 8);
    const auto flag = static_cast<std::uint8_t>(header >> 16);
    const std::uint8_t mode = ModeOf(header);
    const bool flagDefined = (flag & ~(FLAG_LGT | FLAG_FCE | FLAG_GRD)) == 0;
    switch (KindOfPacket(header)) {
    case PacketKind::polygon: {
        const std::uint32_t n = (mode & MODE_QUAD) ? 4 : 3;
        const bool lgt = flag & FLAG_LGT;
        const bool iip = mode & MODE_IIP;
        const bool tme = mode & MODE_TME;
        std::uint32_t words = tme ? n : 0;
        if (!tme || lgt)
            words += ((iip && lgt) || (flag & FLAG_GRD)) ? n : 1;
        const std::uint32_t normals = lgt ? 0 : (iip ? n : 1);
        // 16-bit normal and vertex indices, padded to a whole word.
        words += (normals + n + 1) / 2;
        return flagDefined && (ilen == words || ilen == words + 1);
    }
    case PacketKind::line:
        return flagDefined && ilen == ((mode & MODE_IIP) ? 3u : 2u);
    case PacketKind::sprite:
        return flagDefined && ilen == ((mode & MODE_SPRITE_SIZE) ? 2u : 3u);
    case PacketKind::other:
        break;
    }
    return true;
}

PacketCounts CountPackets(std::span<const KeptPacket> packets) {
    PacketCounts counts;
    for (const KeptPacket& packet : packets) {
        const PacketKind kind = packet.Kind();
        (kind == PacketKind::line     ? counts.lines
         : kind == PacketKind::sprite ? counts.sprites
                                      : counts.others)++;
    }
    return counts;
}

VertexSlots VertexSlotsOf(std::uint32_t header, std::size_t words) {
    VertexSlots slots;
    switch (KindOfPacket(header)) {
    case PacketKind::line: {
        const std::size_t colourWords = (ModeOf(header) & MODE_IIP) ? 2 : 1;
        if (words > colourWords) {
            slots.count = 2;
            slots.halfword = {static_cast<int>(2 * colourWords), static_cast<int>(2 * colourWords + 1)};
        }
        break;
    }
    case PacketKind::sprite:
        if (words > 0)
            slots.count = 1;
        break;
    case PacketKind::polygon:
    case PacketKind::other:
        break;
    }
    return slots;
}

std::uint16_t IndexAt(const std::vector<std::uint32_t>& words, int halfword) {
    const std::uint32_t word = words[static_cast<std::size_t>(halfword / 2)];
    return static_cast<std::uint16_t>(halfword % 2 ? word >> 16 : word);
}

void SetIndexAt(std::vector<std::uint32_t>& words, int halfword, std::uint16_t index) {
    std::uint32_t& word = words[static_cast<std::size_t>(halfword / 2)];
    word = halfword % 2 ? (word & 0x0000FFFFu) | (std::uint32_t{index} << 16) : (word & 0xFFFF0000u) | index;
}

LineLook LineLookOf(const KeptPacket& packet) {
    LineLook look;
    const std::uint8_t mode = ModeOf(packet.header);
    look.gouraud = mode & MODE_IIP;
    look.semi = mode & MODE_ABE;
    look.colour[0] = WordOr0(packet.words, 0) & 0x00FFFFFF;
    look.colour[1] = look.gouraud ? WordOr0(packet.words, 1) & 0x00FFFFFF : look.colour[0];
    return look;
}

SpriteLook SpriteLookOf(const KeptPacket& packet) {
    SpriteLook look;
    const std::uint8_t mode = ModeOf(packet.header);
    const std::uint16_t tsb = static_cast<std::uint16_t>(WordOr0(packet.words, 0) >> 16);
    const std::uint32_t texture = WordOr0(packet.words, 1);
    look.tpage = PageFromTsb(tsb);
    look.abr = RateFromTsb(tsb);
    look.pmode = ModeFromTsb(tsb);
    look.u = static_cast<std::uint8_t>(texture);
    look.v = static_cast<std::uint8_t>(texture >> 8);
    look.clutX = ClutXFromCba(static_cast<std::uint16_t>(texture >> 16));
    look.clutY = ClutYFromCba(static_cast<std::uint16_t>(texture >> 16));
    look.semi = mode & MODE_ABE;
    // The size bits: free (from the third word), 1 x 1, 8 x 8 or 16 x 16.
    static constexpr std::uint16_t kFixedSize[4] = {0, 1, 8, 16};
    const int size = (mode & MODE_SPRITE_SIZE) >> 3;
    if (size == 0) {
        const std::uint32_t extent = WordOr0(packet.words, 2);
        look.width = static_cast<std::uint16_t>(extent);
        look.height = static_cast<std::uint16_t>(extent >> 16);
    } else {
        look.width = look.height = kFixedSize[size];
    }
    return look;
}

} // namespace polyvane
