#pragma once
// Bounded little- and big-endian reads over a byte span. Every read checks the bound itself, so no
// caller can read past the end of a buffer whatever a file claims.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace polyvane {

inline std::uint16_t LoadU16LE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32LE(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int16_t LoadI16LE(const std::uint8_t* p) {
    return static_cast<std::int16_t>(LoadU16LE(p));
}
inline std::uint16_t LoadU16BE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t LoadU32BE(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
inline void StoreU16LE(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreU32LE(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// A cursor over a span. A failed read leaves the cursor where it was and returns false/nullopt.
class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    [[nodiscard]] std::size_t position() const { return m_pos; }
    [[nodiscard]] std::size_t size() const { return m_bytes.size(); }
    [[nodiscard]] std::size_t remaining() const { return m_bytes.size() - m_pos; }

    [[nodiscard]] bool seek(std::size_t pos) {
        if (pos > m_bytes.size())
            return false;
        m_pos = pos;
        return true;
    }
    [[nodiscard]] bool skip(std::size_t n) {
        if (n > remaining())
            return false;
        m_pos += n;
        return true;
    }
    [[nodiscard]] std::optional<std::span<const std::uint8_t>> take(std::size_t n) {
        if (n > remaining())
            return std::nullopt;
        auto s = m_bytes.subspan(m_pos, n);
        m_pos += n;
        return s;
    }
    [[nodiscard]] bool readU8(std::uint8_t& out) {
        if (remaining() < 1)
            return false;
        out = m_bytes[m_pos++];
        return true;
    }
    [[nodiscard]] bool readU16LE(std::uint16_t& out) { return read(out, 2, LoadU16LE); }
    [[nodiscard]] bool readU32LE(std::uint32_t& out) { return read(out, 4, LoadU32LE); }
    [[nodiscard]] bool readU16BE(std::uint16_t& out) { return read(out, 2, LoadU16BE); }
    [[nodiscard]] bool readU32BE(std::uint32_t& out) { return read(out, 4, LoadU32BE); }
    [[nodiscard]] bool readI16LE(std::int16_t& out) {
        std::uint16_t v = 0;
        if (!readU16LE(v))
            return false;
        out = static_cast<std::int16_t>(v);
        return true;
    }

  private:
    template <typename T, typename F> bool read(T& out, std::size_t n, F load) {
        if (remaining() < n)
            return false;
        out = load(m_bytes.data() + m_pos);
        m_pos += n;
        return true;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

} // namespace polyvane
