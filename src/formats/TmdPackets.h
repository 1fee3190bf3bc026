#pragma once
// Packets of a TMD object that are not polygons: lines, sprites and packets of codes the editor does
// not know. They are kept as read, header and words, and written back in their place; only their
// vertex indices change, so that they name the same coordinates in the written vertex table.
#include "TmdTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace polyvane {

// The primitive code, the top three bits of a packet's mode byte.
enum class PacketKind : std::uint8_t { polygon, line, sprite, other };
[[nodiscard]] PacketKind KindOfPacket(std::uint32_t header);

struct KeptPacket {
    // How many of the object's polygon records come before it among the object's packets.
    std::uint32_t position = 0;
    std::uint32_t header = 0;
    std::vector<std::uint32_t> words; // the ilen words after the header
    // The vertices its index halfwords named when read (a line two, a sprite one, others none).
    std::uint8_t vertexCount = 0;
    std::array<TmdVector, 2> vertices{};

    [[nodiscard]] PacketKind Kind() const { return KindOfPacket(header); }
};

// Whether a packet's ILEN and FLAG agree with its kind, as the console's tools write packets: a polygon
// holds the words its FLAG and MODE bits make (a padding word may follow), a line its colour words and
// the word of its two indices, a sprite its three words (two for a fixed size); only the FLAG's
// three low bits are defined. Packets of other codes fit whatever they say.
[[nodiscard]] bool PacketFitsItsKind(std::uint32_t header);

// How many kept packets there are of each kind.
struct PacketCounts {
    std::size_t lines = 0, sprites = 0, others = 0;
};
[[nodiscard]] PacketCounts CountPackets(std::span<const KeptPacket> packets);

// Where a packet's vertex indices sit, counted in halfwords from its first word after the header:
// as many as the kind has and the `words` hold (none for a kind that names none).
struct VertexSlots {
    int count = 0;
    std::array<int, 2> halfword{};
};
[[nodiscard]] VertexSlots VertexSlotsOf(std::uint32_t header, std::size_t words);

[[nodiscard]] std::uint16_t IndexAt(const std::vector<std::uint32_t>& words, int halfword);
void SetIndexAt(std::vector<std::uint32_t>& words, int halfword, std::uint16_t index);

// The fields a line or a sprite is drawn with, read from its words.
struct LineLook {
    std::uint32_t colour[2]{}; // 0x00BBGGRR at each end; both the same unless Gouraud
    bool gouraud = false;
    bool semi = false;
};
[[nodiscard]] LineLook LineLookOf(const KeptPacket& packet);

struct SpriteLook {
    std::uint8_t u = 0, v = 0;
    std::uint16_t width = 0, height = 0;
    std::uint8_t tpage = 0, abr = 0, pmode = 0;
    std::uint16_t clutX = 0, clutY = 0;
    bool semi = false;
};
[[nodiscard]] SpriteLook SpriteLookOf(const KeptPacket& packet);

} // namespace polyvane
