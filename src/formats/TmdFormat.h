#pragma once
// The TMD file layout that the reader and the writer share: sizes of its tables' entries and the bits
// of a primitive packet's header.
#include <cstddef>
#include <cstdint>

namespace polyvane {

inline constexpr std::size_t kTmdHeaderSize = 12;
inline constexpr std::size_t kTmdObjectEntrySize = 28;
inline constexpr std::size_t kTmdVectorSize = 8;

// FLAG byte of a packet header.
inline constexpr std::uint8_t FLAG_LGT = 0x01; // light source calculation off
inline constexpr std::uint8_t FLAG_FCE = 0x02; // double-sided
inline constexpr std::uint8_t FLAG_GRD = 0x04; // a colour per vertex
// MODE byte of a packet header.
inline constexpr std::uint8_t MODE_TGE = 0x01; // brightness calculation off
inline constexpr std::uint8_t MODE_ABE = 0x02; // semi-transparent
inline constexpr std::uint8_t MODE_TME = 0x04; // textured
inline constexpr std::uint8_t MODE_QUAD = 0x08;
inline constexpr std::uint8_t MODE_IIP = 0x10; // Gouraud shaded
// The primitive code in the mode byte's top three bits.
inline constexpr std::uint8_t MODE_CODE_MASK = 0xE0;
inline constexpr std::uint8_t MODE_POLYGON = 0x20;
inline constexpr std::uint8_t MODE_LINE = 0x40;
inline constexpr std::uint8_t MODE_SPRITE = 0x60;
// A sprite's size: free, 1 x 1, 8 x 8 or 16 x 16.
inline constexpr std::uint8_t MODE_SPRITE_SIZE = 0x18;

// Texture coordinates an untextured primitive carries: a 16 x 16 square, corner by corner.
inline constexpr std::uint8_t kUntexturedU[4] = {0, 16, 0, 16};
inline constexpr std::uint8_t kUntexturedV[4] = {0, 0, 16, 16};

} // namespace polyvane
