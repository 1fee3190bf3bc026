#pragma once
// Small models and textures built byte by byte for the game-data tests, and a filler that holds none.
#include "TimBuilder.h"
#include "TmdBuilder.h"

#include <cstdint>
#include <random>
#include <vector>

namespace polyvane::test {

// One object: four vertices, one normal, a lit flat triangle and a lit flat quad.
inline std::vector<std::uint8_t> SmallTmd(int seed = 0) {
    TmdObjectSpec o;
    const auto s = static_cast<std::int16_t>(seed);
    o.vertices = {0, 0, s, 100, 0, 0, 0, 100, 0, 100, 100, 0};
    o.normals = {0, 0, -4096};
    o.packets = {PacketHeader(4, 3, 0, 0x20),
                 0x20FF8040,
                 Halves(0, 0),
                 Halves(1, 2),
                 PacketHeader(5, 4, 0, 0x28),
                 0x28408020,
                 Halves(0, 0),
                 Halves(1, 2),
                 Halves(3, 0)};
    o.nPrimitive = 2;
    return BuildTmd({o}).data();
}

// A 4-bit texture of 16 x 8 pixels with one colour-table row.
inline std::vector<std::uint8_t> SmallTim(std::uint16_t x = 640) {
    TimSpec t;
    t.flag = 0;
    t.clut = std::vector<std::uint16_t>(16, 0x7FFF);
    t.clutX = 0;
    t.clutY = 480;
    t.imageX = x;
    t.imageWidth = 4;
    t.imageHeight = 8;
    t.pixels = CountingBytes(4 * 8 * 2);
    return BuildTim(t).data();
}

// `count` flat lit triangles over as many vertices, coloured `shade`: a model of about 24 bytes a
// triangle, for the sizes a test or benchmark needs.
inline std::vector<std::uint8_t> FlatTriangles(unsigned count, std::uint32_t shade) {
    TmdObjectSpec o;
    for (unsigned i = 0; i < count; ++i)
        o.vertices.insert(o.vertices.end(), {static_cast<std::int16_t>(i), 5, -3});
    o.normals = {0, 0, 4096};
    for (unsigned i = 0; i < count; ++i)
        o.packets.insert(o.packets.end(), {PacketHeader(4, 3, 0, 0x20), shade, Halves(0, i),
                                           Halves((i + 1) % count, (i + 2) % count)});
    o.nPrimitive = count;
    return BuildTmd({o}).data();
}

// Random bytes from a fixed seed.
inline std::vector<std::uint8_t> Filler(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    std::mt19937 random(seed);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

} // namespace polyvane::test
