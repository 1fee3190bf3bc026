// The sector codes checked by the standard's own definitions, computed the slow way.
#include "gamedata/SectorCodes.h"
#include "SlowSectorCodes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace polyvane::gamedata {
namespace {

std::uint32_t StoredEdc(const Sector& sector, std::size_t at) {
    return sector[at] | sector[at + 1] << 8 | sector[at + 2] << 16 | std::uint32_t{sector[at + 3]} << 24;
}

TEST(SectorCodes, EdcAndParityMeetTheStandardsEquations) {
    struct Case {
        const char* name;
        std::uint8_t mode, submode;
        SectorMode sectorMode;
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

        ASSERT_TRUE(RecomputeSectorCodes(sector, c.sectorMode));

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

TEST(SectorCodes, SectorsWithoutCodesAreLeftAlone) {
    for (SectorMode mode : {SectorMode::cooked, SectorMode::invalid}) {
        Sector sector{};
        EXPECT_FALSE(RecomputeSectorCodes(sector, mode));
        EXPECT_EQ(sector, Sector{});
    }
}

} // namespace
} // namespace polyvane::gamedata
