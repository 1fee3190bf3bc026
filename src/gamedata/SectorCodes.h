#pragma once
// The error-detection and error-correction codes of a raw 2352-byte CD-ROM sector (ECMA-130): a
// 32-bit EDC over the header or subheader and the user data, and the P and Q parity of the
// Reed-Solomon product code over GF(2^8). Form 2 sectors carry an EDC only.
#include <cstddef>
#include <cstdint>
#include <span>

namespace polyvane::gamedata {

inline constexpr std::size_t kRawSectorBytes = 2352;
inline constexpr std::size_t kUserDataBytes = 2048;

enum class SectorMode {
    mode1,      // header mode byte 1: 2048 bytes of user data at offset 16
    mode2Form1, // mode 2, subheader submode bit 5 clear: 2048 bytes at offset 24
    mode2Form2, // mode 2, submode bit 5 set: 2324 bytes at offset 24, no ECC
    other,      // no sync pattern, mode 0, or a mode this program does not write
};

// Reads the sector's sync pattern, mode byte and (for mode 2) its subheader.
[[nodiscard]] SectorMode ClassifySector(std::span<const std::uint8_t, kRawSectorBytes> sector);

// Offset of the user data within the sector: 16 for Mode 1, 24 for Mode 2.
[[nodiscard]] std::size_t UserDataOffset(SectorMode mode);

// The EDC over `bytes`, as the sector stores it (little-endian at the end of the covered range).
[[nodiscard]] std::uint32_t ComputeEdc(std::span<const std::uint8_t> bytes);

// Recomputes the EDC and, for Mode 1 and Mode 2 Form 1, the P and Q parity of the sector in place;
// sync, header and subheader are kept. Returns false (sector untouched) for SectorMode::other.
bool RecomputeSectorCodes(std::span<std::uint8_t, kRawSectorBytes> sector);

} // namespace polyvane::gamedata
