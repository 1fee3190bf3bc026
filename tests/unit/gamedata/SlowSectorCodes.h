#pragma once
// The CD-ROM sector codes computed the slow way from ECMA-130's definitions, for tests: the EDC as
// polynomial division bit by bit, the parity by evaluating both check equations of every P and Q
// codeword with a shift-and-add field multiply. Nothing here shares code with the program's tables.
#include <array>
#include <cstdint>
#include <vector>

namespace polyvane::gamedata {

using Sector = std::array<std::uint8_t, 2352>;

// Division by x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1 of the bit stream taken least
// significant bit first; the remainder's x^0 term goes to the stored value's top bit.
inline std::uint32_t SlowEdc(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t remainder = 0;
    for (std::size_t i = 0; i < count; ++i)
        for (int bit = 0; bit < 8; ++bit) {
            const bool in = (bytes[i] >> bit) & 1;
            const bool top = remainder >> 31;
            remainder <<= 1;
            if (top != in)
                remainder ^= 0x8001801bu;
        }
    std::uint32_t reversed = 0;
    for (int bit = 0; bit < 32; ++bit)
        if (remainder & (1u << bit))
            reversed |= 1u << (31 - bit);
    return reversed;
}

inline std::uint8_t SlowMultiply(std::uint8_t a, std::uint8_t b) {
    unsigned product = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (b & (1 << bit))
            product ^= unsigned{a} << bit;
    for (int bit = 14; bit >= 8; --bit)
        if (product & (1u << bit))
            product ^= 0x11du << (bit - 8);
    return static_cast<std::uint8_t>(product);
}

// Both checks of one codeword: sum v[i] = 0 and sum alpha^(n-1-i) v[i] = 0, each term weighed on its own.
inline bool CodewordHolds(const std::vector<std::uint8_t>& v) {
    std::uint8_t plain = 0, weighted = 0, weight = 1;
    for (std::size_t i = v.size(); i-- > 0; weight = SlowMultiply(weight, 2)) {
        plain ^= v[i];
        weighted ^= SlowMultiply(weight, v[i]);
    }
    return plain == 0 && weighted == 0;
}

// Every P codeword (a column of 24 words plus 2 parity words) and every Q codeword (a diagonal of 43
// words plus 2), in both byte planes, as ECMA-130 lays them over the bytes from offset 12.
inline int BrokenCodewords(const Sector& sector) {
    const std::uint8_t* d = sector.data() + 12;
    int broken = 0;
    for (int plane = 0; plane < 2; ++plane) {
        for (int column = 0; column < 43; ++column) {
            std::vector<std::uint8_t> v;
            for (int row = 0; row < 26; ++row)
                v.push_back(d[2 * (43 * row + column) + plane]);
            broken += !CodewordHolds(v);
        }
        for (int diagonal = 0; diagonal < 26; ++diagonal) {
            std::vector<std::uint8_t> v;
            for (int i = 0; i < 43; ++i)
                v.push_back(d[2 * ((44 * i + 43 * diagonal) % 1118) + plane]);
            v.push_back(d[2 * (1118 + diagonal) + plane]);
            v.push_back(d[2 * (1118 + 26 + diagonal) + plane]);
            broken += !CodewordHolds(v);
        }
    }
    return broken;
}

// Whether a raw sector's EDC and (for Mode 1 and Mode 2 Form 1) parity hold. Mode 2 parity is defined
// over a zero header.
inline bool SectorCodesHold(Sector sector) {
    const auto storedEdc = [&](std::size_t at) {
        return sector[at] | sector[at + 1] << 8 | sector[at + 2] << 16 | std::uint32_t{sector[at + 3]} << 24;
    };
    if (sector[15] == 1)
        return storedEdc(0x810) == SlowEdc(&sector[0], 0x810) && BrokenCodewords(sector) == 0;
    if (sector[18] & 0x20)
        return storedEdc(0x92c) == SlowEdc(&sector[16], 0x92c - 16);
    const bool edc = storedEdc(0x818) == SlowEdc(&sector[16], 0x818 - 16);
    sector[12] = sector[13] = sector[14] = sector[15] = 0;
    return edc && BrokenCodewords(sector) == 0;
}

} // namespace polyvane::gamedata
