// Writes the bundled samples byte by byte from the file formats' tables:
//   cube.tmd  two objects: a cube of flat, Gouraud and textured quads, and a pyramid of unlit
//             gradation triangles on an unlit quad base
//   cube.tim  a 64 x 64 4-bit texture at frame-buffer (640, 0) with its CLUT at (0, 480)
// Usage: generate_samples OUTPUT_DIRECTORY
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Bytes {
    std::vector<std::uint8_t> data;
    void u8(unsigned v) { data.push_back(static_cast<std::uint8_t>(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void i16(int v) { u16(static_cast<unsigned>(v) & 0xFFFF); }
    void vec(int x, int y, int z) {
        i16(x);
        i16(y);
        i16(z);
        i16(0);
    }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
};

std::uint32_t header(unsigned olen, unsigned ilen, unsigned flag, unsigned mode) {
    return olen | (ilen << 8) | (flag << 16) | (mode << 24);
}

bool save(const std::string& path, const Bytes& b) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(b.data.data(), 1, b.data.size(), f) == b.data.size();
    return std::fclose(f) == 0 && ok;
}

Bytes makeTmd() {
    Bytes b;
    b.u32(0x41);
    b.u32(0);
    b.u32(2);
    const std::size_t table = b.data.size();
    for (int i = 0; i < 2 * 7; ++i)
        b.u32(0);
    auto offset = [&] { return static_cast<std::uint32_t>(b.data.size() - table); };

    // Object 0: a cube of side 200. Vertices: bit 0 of the index is +x, bit 1 +y, bit 2 +z.
    const std::uint32_t cubeVerts = offset();
    for (int i = 0; i < 8; ++i)
        b.vec(i & 1 ? 100 : -100, i & 2 ? 100 : -100, i & 4 ? 100 : -100);
    const std::uint32_t cubeNormals = offset();
    const int axis[6][3] = {{4096, 0, 0},  {-4096, 0, 0}, {0, 4096, 0},
                            {0, -4096, 0}, {0, 0, 4096},  {0, 0, -4096}};
    for (const auto& n : axis)
        b.vec(n[0], n[1], n[2]);
    for (int i = 0; i < 8; ++i) // corner normals for the Gouraud faces, about unit length
        b.vec(i & 1 ? 2365 : -2365, i & 2 ? 2365 : -2365, i & 4 ? 2365 : -2365);
    const std::uint32_t cubePrims = offset();
    // Faces in strip order (0, 1, 2, 3 with the outline 0, 1, 3, 2) and their face normal. Seen from
    // outside, corners 0, 1, 2 turn clockwise on the console's screen (y growing downward), the
    // side its single-sided faces show.
    struct Face {
        int v[4];
        int normal;
    };
    const Face faces[6] = {{{1, 5, 3, 7}, 0}, {{4, 0, 6, 2}, 1}, {{2, 3, 6, 7}, 2},
                           {{0, 4, 1, 5}, 3}, {{5, 4, 7, 6}, 4}, {{0, 1, 2, 3}, 5}};
    // +x, -x: flat lit, one colour word (which carries the mode byte), N0 V0 V1 V2 V3.
    for (int f = 0; f < 2; ++f) {
        const unsigned mode = 0x28;
        b.u32(header(5, 4, 0, mode));
        b.u32((f == 0 ? 0x2040C0u : 0xC04020u) | (mode << 24));
        b.u16(static_cast<unsigned>(faces[f].normal));
        b.u16(static_cast<unsigned>(faces[f].v[0]));
        b.u16(static_cast<unsigned>(faces[f].v[1]));
        b.u16(static_cast<unsigned>(faces[f].v[2]));
        b.u16(static_cast<unsigned>(faces[f].v[3]));
        b.u16(0);
    }
    // +y, -y: Gouraud lit, one colour word, N0 V0 N1 V1 N2 V2 N3 V3 with the corner normals.
    for (int f = 2; f < 4; ++f) {
        const unsigned mode = 0x38;
        b.u32(header(5, 5, 0, mode));
        b.u32(0x30A030u | (mode << 24));
        for (int k = 0; k < 4; ++k) {
            b.u16(static_cast<unsigned>(6 + faces[f].v[k]));
            b.u16(static_cast<unsigned>(faces[f].v[k]));
        }
    }
    // +z, -z: flat lit, textured from page 10 (640, 0) with the CLUT at (0, 480), 4-bit.
    const unsigned cba = (480u << 6) | (0u >> 4);
    const unsigned tsb = (0u << 7) | (0u << 5) | 10u;
    const unsigned uv[4][2] = {{0, 0}, {0, 63}, {63, 0}, {63, 63}};
    for (int f = 4; f < 6; ++f) {
        b.u32(header(9, 7, 0, 0x2C));
        for (int k = 0; k < 4; ++k) {
            unsigned upper = k == 0 ? cba : k == 1 ? tsb : 0;
            b.u32(uv[k][0] | (uv[k][1] << 8) | (upper << 16));
        }
        b.u16(static_cast<unsigned>(faces[f].normal));
        for (int k = 0; k < 4; ++k)
            b.u16(static_cast<unsigned>(faces[f].v[k]));
        b.u16(0);
    }

    // Object 1: a pyramid standing on y = -100, apex at y = 150.
    const std::uint32_t pyrVerts = offset();
    b.vec(-100, -100, -100);
    b.vec(100, -100, -100);
    b.vec(-100, -100, 100);
    b.vec(100, -100, 100);
    b.vec(0, 150, 0);
    const std::uint32_t pyrNormals = offset();
    const std::uint32_t pyrPrims = offset();
    // Sides: unlit, gradation, three colour words, V0 V1 V2 and a padding halfword.
    const int sides[4][3] = {{0, 1, 4}, {1, 3, 4}, {3, 2, 4}, {2, 0, 4}};
    for (const auto& side : sides) {
        const unsigned mode = 0x21;
        b.u32(header(6, 5, 0x05, mode));
        b.u32(0x0000FFu | (mode << 24));
        b.u32(0x00FF00u);
        b.u32(0xFF0000u);
        for (int k = 0; k < 3; ++k)
            b.u16(static_cast<unsigned>(side[k]));
        b.u16(0);
    }
    // Base: unlit flat quad, one colour word, V0 V1 V2 V3.
    {
        const unsigned mode = 0x29;
        b.u32(header(5, 3, 0x01, mode));
        b.u32(0x808080u | (mode << 24));
        b.u16(0);
        b.u16(2);
        b.u16(1);
        b.u16(3);
    }

    const std::uint32_t entries[2][7] = {{cubeVerts, 8, cubeNormals, 14, cubePrims, 6, 0},
                                         {pyrVerts, 5, pyrNormals, 0, pyrPrims, 5, 0}};
    for (int o = 0; o < 2; ++o)
        for (int w = 0; w < 7; ++w)
            b.put32(table + static_cast<std::size_t>(o * 28 + w * 4), entries[o][w]);
    return b;
}

Bytes makeTim() {
    Bytes b;
    b.u32(0x10);
    b.u32(0x08); // 4-bit, CLUT present
    b.u32(12 + 16 * 2);
    b.u16(0);
    b.u16(480);
    b.u16(16);
    b.u16(1);
    for (unsigned i = 0; i < 16; ++i) { // a ramp from dark blue to yellow
        unsigned r = i * 2, g = i * 2, bl = 31 - i * 2;
        b.u16(r | (g << 5) | (bl << 10));
    }
    const unsigned widthUnits = 16, height = 64;
    b.u32(12 + widthUnits * 2 * height);
    b.u16(640);
    b.u16(0);
    b.u16(widthUnits);
    b.u16(height);
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < widthUnits * 4; x += 2) {
            auto pixel = [&](unsigned px) {
                return (((px / 8) + (y / 8)) % 2) ? (px + y) / 8 % 16 : 15 - y / 8;
            };
            b.u8(pixel(x) | (pixel(x + 1) << 4)); // the left pixel in the low half
        }
    return b;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_samples OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    if (!save(dir + "/cube.tmd", makeTmd()) || !save(dir + "/cube.tim", makeTim())) {
        std::fprintf(stderr, "could not write the samples\n");
        return 1;
    }
    return 0;
}
