#pragma once
// Builds TMD files byte by byte from the format's tables, for tests. Nothing here uses the program's
// own writer, so a reader and writer cannot agree on the same mistake.
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace polyvane::test {

class Bytes {
  public:
    void u8(unsigned v) { m_data.push_back(static_cast<std::uint8_t>(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void i16(int v) { u16(static_cast<unsigned>(v) & 0xFFFF); }
    void u16be(unsigned v) {
        u8((v >> 8) & 0xFF);
        u8(v & 0xFF);
    }
    void u32be(std::uint32_t v) {
        u16be(v >> 16);
        u16be(v & 0xFFFF);
    }
    void text(const char* s) {
        while (*s)
            u8(static_cast<unsigned char>(*s++));
    }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            m_data[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    [[nodiscard]] std::size_t size() const { return m_data.size(); }
    [[nodiscard]] const std::vector<std::uint8_t>& data() const { return m_data; }
    std::vector<std::uint8_t>& data() { return m_data; }

  private:
    std::vector<std::uint8_t> m_data;
};

// Packet header word: olen, ilen, flag, mode from the least significant byte up.
inline std::uint32_t PacketHeader(unsigned olen, unsigned ilen, unsigned flag, unsigned mode) {
    return olen | (ilen << 8) | (flag << 16) | (mode << 24);
}

// One object of a TMD file under construction.
struct TmdObjectSpec {
    std::vector<std::int16_t> vertices; // x, y, z per vertex
    std::vector<std::int16_t> normals;  // x, y, z per normal
    std::vector<std::uint32_t> packets; // words: header word then data, packet after packet
    std::uint32_t nPrimitive = 0;
    std::int32_t scale = 0;
};

// Lays out header, object table, then per object its vertices, normals and packets, with offsets
// counted from the first byte of the object table.
inline Bytes BuildTmd(const std::vector<TmdObjectSpec>& objects, std::uint32_t flags = 0,
                      std::uint32_t declaredObjects = 0xFFFFFFFF) {
    Bytes b;
    b.u32(0x41);
    b.u32(flags);
    b.u32(declaredObjects == 0xFFFFFFFF ? static_cast<std::uint32_t>(objects.size()) : declaredObjects);
    const std::size_t table = b.size();
    for (std::size_t i = 0; i < objects.size() * 7; ++i)
        b.u32(0);
    for (std::size_t o = 0; o < objects.size(); ++o) {
        const auto& spec = objects[o];
        auto offset = [&] { return static_cast<std::uint32_t>(b.size() - table); };
        const std::uint32_t vertTop = offset();
        for (std::size_t i = 0; i + 3 <= spec.vertices.size(); i += 3) {
            b.i16(spec.vertices[i]);
            b.i16(spec.vertices[i + 1]);
            b.i16(spec.vertices[i + 2]);
            b.i16(0);
        }
        const std::uint32_t normalTop = offset();
        for (std::size_t i = 0; i + 3 <= spec.normals.size(); i += 3) {
            b.i16(spec.normals[i]);
            b.i16(spec.normals[i + 1]);
            b.i16(spec.normals[i + 2]);
            b.i16(0);
        }
        const std::uint32_t primTop = offset();
        for (std::uint32_t w : spec.packets)
            b.u32(w);
        const std::size_t at = table + o * 28;
        b.put32(at, vertTop);
        b.put32(at + 4, static_cast<std::uint32_t>(spec.vertices.size() / 3));
        b.put32(at + 8, normalTop);
        b.put32(at + 12, static_cast<std::uint32_t>(spec.normals.size() / 3));
        b.put32(at + 16, primTop);
        b.put32(at + 20, spec.nPrimitive);
        b.put32(at + 24, static_cast<std::uint32_t>(spec.scale));
    }
    return b;
}

// Two 16-bit halves in one word, low half first.
inline std::uint32_t Halves(unsigned low, unsigned high) {
    return (low & 0xFFFF) | ((high & 0xFFFF) << 16);
}

} // namespace polyvane::test
