// The sector codes checked by the standard's own definitions, computed here the slow way: the EDC as
// polynomial division bit by bit, the parity by evaluating both check equations of every P and Q
// codeword with a shift-and-add field multiply.
#include "gamedata/SectorCodes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace polyvane::gamedata {
namespace {

using Sector = std::array<std::uint8_t, kRawSectorBytes>;

// Division by x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1 of the bit stream taken least
// significant bit first; the remainder's x^0 term goes to the stored value's top bit.
std::uint32_t SlowEdc(const std::uint8_t* bytes, std::size_t count) {
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

std::uint8_t SlowMultiply(std::uint8_t a, std::uint8_t b) {
    unsigned product = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (b & (1 << bit))
            product ^= unsigned{a} << bit;
    for (int bit = 14; bit >= 8; --bit)
        if (product & (1u << bit))
            product ^= 0x11du << (bit - 8);
    return static_cast<std::uint8_t>(product);
}

std::uint8_t AlphaPower(unsigned exponent) {
    std::uint8_t value = 1;
    for (unsigned i = 0; i < exponent; ++i)
        value = SlowMultiply(value, 2);
    return value;
}

// Both checks of one codeword: sum v[i] = 0 and sum alpha^(n-1-i) v[i] = 0.
bool CodewordHolds(const std::vector<std::uint8_t>& v) {
    std::uint8_t plain = 0, weighted = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        plain ^= v[i];
        weighted ^= SlowMultiply(AlphaPower(static_cast<unsigned>(v.size() - 1 - i)), v[i]);
    }
    return plain == 0 && weighted == 0;
}

// Every P codeword (a column of 24 words plus 2 parity words) and every Q codeword (a diagonal of 43
// words plus 2), in both byte planes, as ECMA-130 lays them over the bytes from offset 12.
int BrokenCodewords(const Sector& sector) {
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

std::uint32_t StoredEdc(const Sector& sector, std::size_t at) {
    return sector[at] | sector[at + 1] << 8 | sector[at + 2] << 16 | std::uint32_t{sector[at + 3]} << 24;
}

TEST(SectorCodes, EdcAndParityMeetTheStandardsEquations) {
    struct Case {
        const char* name;
        std::uint8_t mode, submode;
        SectorMode expected;
        std::size_t edcFrom, edcAt;
        bool parity;
    };
    const Case cases[] = {
        {"mode 1", 1, 0x00, SectorMode::mode1, 0, 0x810, true},
        {"mode 2 form 1", 2, 0x08, SectorMode::mode2Form1, 16, 0x818, true},
        {"mode 2 form 2", 2, 0x20, SectorMode::mode2Form2, 16, 0x92c, false},
    };
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sector sector;
        for (auto& b : sector)
            b = static_cast<std::uint8_t>(random());
        const std::uint8_t sync[12] = {0, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0};
        std::copy(std::begin(sync), std::end(sync), sector.begin());
        sector[12] = 0x00, sector[13] = 0x02, sector[14] = 0x17, sector[15] = c.mode;
        for (int copy = 0; copy < 2; ++copy)
            sector[18 + 4 * copy] = c.submode;
        if (c.mode == 1)
            std::fill_n(&sector[0x814], 8, std::uint8_t{0});
        const Sector before = sector;

        ASSERT_EQ(ClassifySector(sector), c.expected);
        ASSERT_TRUE(RecomputeSectorCodes(sector));

        EXPECT_EQ(StoredEdc(sector, c.edcAt), SlowEdc(&sector[c.edcFrom], c.edcAt - c.edcFrom));
        EXPECT_TRUE(std::equal(sector.begin(), sector.begin() + c.edcAt, before.begin()))
            << "sync, header and data are kept";
        if (c.parity) {
            Sector parityView = sector;
            if (c.mode == 2) // mode 2 parity is defined over a zero header
                std::fill_n(&parityView[12], 4, std::uint8_t{0});
            EXPECT_EQ(BrokenCodewords(parityView), 0);
            parityView[100] ^= 1;
            EXPECT_GT(BrokenCodewords(parityView), 0) << "the check sees a flipped bit";
        } else {
            EXPECT_TRUE(std::equal(sector.begin() + c.edcAt + 4, sector.end(), before.begin() + c.edcAt + 4));
        }
    }
}

TEST(SectorCodes, SectorsWithoutSyncOrOfUnknownModeAreLeftAlone) {
    Sector sector{};
    EXPECT_EQ(ClassifySector(sector), SectorMode::other);
    EXPECT_FALSE(RecomputeSectorCodes(sector));
    EXPECT_EQ(sector, Sector{});
}

} // namespace
} // namespace polyvane::gamedata
