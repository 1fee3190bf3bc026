#pragma once
// The error-detection and error-correction codes of a raw 2352-byte CD-ROM sector (ECMA-130): a
// 32-bit EDC over the header or subheader and the user data, and the P and Q parity of the
// Reed-Solomon product code over GF(2^8). Form 2 sectors carry an EDC only.
#include "DiscImage.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace polyvane::gamedata {

// The EDC over `bytes`, as the sector stores it (little-endian at the end of the covered range).
[[nodiscard]] std::uint32_t ComputeEdc(std::span<const std::uint8_t> bytes);

// Recomputes the EDC and, for Mode 1 and Mode 2 Form 1, the P and Q parity of a raw sector of that
// mode in place; sync, header and subheader are kept. Returns false (sector untouched) for a mode
// without codes (cooked, invalid).
bool RecomputeSectorCodes(std::span<std::uint8_t, kRawSectorSize> sector, SectorMode mode);

} // namespace polyvane::gamedata
