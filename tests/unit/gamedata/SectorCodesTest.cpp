// The sector codes of every mode hold by the standard's own definitions, computed the slow way, and
// the sector's sync, header, subheader and data are kept.
#include "gamedata/SectorCodes.h"
#include "SlowSectorCodes.h"

#include <gtest/gtest.h>

#include <random>

namespace polyvane::gamedata {
namespace {

TEST(SectorCodes, EveryModesCodesMeetTheStandardsEquations) {
    struct Case {
        SectorMode mode;
        std::uint8_t modeByte, submode;
        std::size_t codesFrom; // the first byte the codes occupy
    };
    const Case cases[] = {{SectorMode::mode1, 1, 0x00, 0x810},
                          {SectorMode::mode2Form1, 2, 0x08, 0x818},
                          {SectorMode::mode2Form2, 2, 0x20, 0x92c}};
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(SectorModeName(c.mode));
        Sector sector;
        for (auto& b : sector)
            b = static_cast<std::uint8_t>(random());
        std::fill_n(sector.begin(), 12, std::uint8_t{0xff});
        sector[0] = sector[11] = 0;
        sector[15] = c.modeByte;
        sector[18] = sector[22] = c.submode;
        const Sector before = sector;
        ASSERT_FALSE(SectorCodesHold(sector));

        ASSERT_TRUE(RecomputeSectorCodes(sector, c.mode));
        EXPECT_TRUE(SectorCodesHold(sector));
        EXPECT_TRUE(std::equal(sector.begin(), sector.begin() + static_cast<std::ptrdiff_t>(c.codesFrom),
                               before.begin()));
    }
}

} // namespace
} // namespace polyvane::gamedata
