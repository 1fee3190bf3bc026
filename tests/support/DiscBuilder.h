#pragma once
// Disc images for tests, made in the test run: ISO 9660 images by xorriso from a folder the test
// fills, and raw 2352-byte sectors written here from the CD-ROM sector layout (sync, BCD address,
// mode, XA subheader, user data, EDC). The error-correction bytes are left zero: the reader under
// test never looks at them.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace polyvane::test {

enum class RawMode { mode1, form1, form2 };

// The sectors' error-detection code: CRC-32 with polynomial x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x
// + 1, least significant bit first, no inversion.
inline std::uint32_t SectorEdc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t edc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        edc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            edc = (edc >> 1) ^ ((edc & 1) ? 0xD8018001u : 0u);
    }
    return edc;
}

inline std::uint8_t Bcd(unsigned value) {
    return static_cast<std::uint8_t>(((value / 10) << 4) | (value % 10));
}

// One raw sector at `lsn`. A Form 2 sector takes 2324 bytes of data, the others 2048; `data` shorter
// than that is zero-padded.
inline std::array<std::uint8_t, 2352> RawSector(std::uint32_t lsn, RawMode mode, const std::uint8_t* data,
                                                std::size_t size) {
    std::array<std::uint8_t, 2352> s{};
    s[0] = 0x00;
    for (int i = 1; i < 11; ++i)
        s[static_cast<std::size_t>(i)] = 0xFF;
    const unsigned address = lsn + 150; // two seconds of lead-in before sector 0
    s[12] = Bcd(address / 75 / 60);
    s[13] = Bcd(address / 75 % 60);
    s[14] = Bcd(address % 75);
    s[15] = mode == RawMode::mode1 ? 1 : 2;
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    if (mode == RawMode::mode1) {
        std::memcpy(s.data() + 16, data, std::min<std::size_t>(size, 2048));
        put32(2064, SectorEdc(s.data(), 2064));
        return s;
    }
    // Subheader, written twice: file, channel, submode (bit 3 data, bit 5 Form 2), coding.
    const std::uint8_t submode = mode == RawMode::form2 ? 0x20 : 0x08;
    for (std::size_t at : {16u, 20u}) {
        s[at] = 0;
        s[at + 1] = 0;
        s[at + 2] = submode;
        s[at + 3] = 0;
    }
    if (mode == RawMode::form1) {
        std::memcpy(s.data() + 24, data, std::min<std::size_t>(size, 2048));
        put32(2072, SectorEdc(s.data() + 16, 2056));
    } else {
        std::memcpy(s.data() + 24, data, std::min<std::size_t>(size, 2324));
        put32(2348, SectorEdc(s.data() + 16, 2332));
    }
    return s;
}

// The 2048-byte sectors of a cooked image as raw sectors; `modeOf(lsn)` picks each sector's mode.
template <typename ModeOf>
std::vector<std::uint8_t> RawFromCooked(const std::vector<std::uint8_t>& cooked, const ModeOf& modeOf) {
    std::vector<std::uint8_t> raw;
    const std::size_t sectors = (cooked.size() + 2047) / 2048;
    raw.reserve(sectors * 2352);
    for (std::size_t lsn = 0; lsn < sectors; ++lsn) {
        const std::size_t at = lsn * 2048;
        const auto sector =
            RawSector(static_cast<std::uint32_t>(lsn), modeOf(static_cast<std::uint32_t>(lsn)),
                      cooked.data() + at, std::min<std::size_t>(2048, cooked.size() - at));
        raw.insert(raw.end(), sector.begin(), sector.end());
    }
    return raw;
}

inline std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline bool HaveXorriso() {
    return std::system("command -v xorriso >/dev/null 2>&1") == 0;
}

// An ISO 9660 image (plain ISO names, no extensions) of everything under `folder`.
inline bool MakeIso(const std::filesystem::path& folder, const std::filesystem::path& iso) {
    const std::string command = "xorriso -as mkisofs -quiet -iso-level 1 -o '" + iso.string() + "' '" +
                                folder.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace polyvane::test
