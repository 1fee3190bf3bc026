// The format table: which entry a file name picks for each use, what the detectors make of byte-built
// files, and the dialogs' filters.
#include "TimBuilder.h"
#include "TmdBuilder.h"

#include "formats/FormatRegistry.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace polyvane;
using namespace polyvane::test;

namespace {

TEST(FormatRegistry, FileNamesPickTheirFormat) {
    struct Case {
        const char* path;
        unsigned role;
        const char* format; // null: none
    };
    const Case cases[] = {
        {"/a/model.tmd", kOpenRole, "TMD"},   {"MODEL.TMD", kOpenRole, "TMD"},
        {"nodottmd", kOpenRole, "TMD"}, // the editor has always gone by the last three letters
        {"ship.LWO", kOpenRole, "LWOB"},      {"ship.lwo2", kOpenRole, nullptr},
        {"face.tim", kOpenRole, nullptr},     {"face.TIM", kTextureRole, "TIM"},
        {"facetim", kTextureRole, nullptr}, // textures want their dot
        {"model.tmd", kTextureRole, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const FileFormat* format = Formats().ForPath(c.path, c.role);
        EXPECT_EQ(format ? format->name : std::string("none"), c.format ? c.format : "none");
    }
}

Bytes OneTriangleTmd() {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 10, 0, 0, 0, 10, 0};
    o.packets = {PacketHeader(4, 3, 1, 0x20), 0x404040, Halves(0, 1), Halves(2, 0)};
    o.nPrimitive = 1;
    return BuildTmd({o});
}

TEST(FormatRegistry, DetectorsTellTheCoreFormatsApart) {
    TimSpec tim;
    tim.flag = 2;
    tim.imageWidth = 2;
    tim.imageHeight = 1;
    tim.pixels = {1, 2, 3, 4};
    Bytes lwob;
    lwob.text("FORM");
    lwob.u32be(4);
    lwob.text("LWOB");
    Bytes lwo2 = lwob;
    lwo2.data()[11] = '2';
    Bytes badTable = OneTriangleTmd();
    badTable.put32(12 + 16, 0x7FFFFFFF); // the first object's packets start past the end
    Bytes badTimSize = BuildTim(tim);
    badTimSize.put32(8, 99); // an image block length its size does not make
    Bytes unknownFlag = BuildTim(tim);
    unknownFlag.put32(4, 0x12);

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* format;
        Certainty certainty;
    };
    const Case cases[] = {
        {"tmd", OneTriangleTmd().data(), "TMD", Certainty::likely},
        {"tmd with a table past the end", badTable.data(), nullptr, Certainty::no},
        {"tim", BuildTim(tim).data(), "TIM", Certainty::sure},
        {"tim with a wrong block length", badTimSize.data(), nullptr, Certainty::no},
        {"tim with an unknown flag bit", unknownFlag.data(), nullptr, Certainty::no},
        {"lwob", lwob.data(), "LWOB", Certainty::sure},
        {"lwo2", lwo2.data(), nullptr, Certainty::no},
        {"empty", {}, nullptr, Certainty::no},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'}, nullptr, Certainty::no},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = Formats().Detect(c.bytes, kOpenRole | kTextureRole);
        EXPECT_EQ(found.certainty, c.certainty);
        EXPECT_EQ(found.format ? found.format->name : std::string("none"), c.format ? c.format : "none");
    }
}

TEST(FormatRegistry, TheOpenFilterListsTheModelsTheEditorOpens) {
    EXPECT_EQ(Formats().Filter(kOpenRole), "Tmd files (*.tmd);;LightWave objects (*.lwo);;All files (*)");
}

} // namespace

namespace {

// The TMD entry's reader and writer over plain values: an object of lines only comes back as it went.
TEST(FormatRegistry, TheTmdEntryWritesWhatItReads) {
    TmdObjectSpec o;
    o.vertices = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    o.packets = {PacketHeader(3, 2, 1, 0x40), 0x40112233, Halves(2, 0),
                 PacketHeader(3, 2, 1, 0x40), 0x40445566, Halves(1, 2)};
    o.nPrimitive = 2;
    const FileFormat* tmd = Formats().ByName("TMD");
    ASSERT_TRUE(tmd && tmd->readModel && tmd->writeModel);
    auto read = tmd->readModel(BuildTmd({o}).data(), {});
    ASSERT_TRUE(read);
    auto written = tmd->writeModel(RefOf(read->model));
    ASSERT_TRUE(written);
    auto again = tmd->readModel(written.value(), {});
    ASSERT_TRUE(again);
    const auto& before = read->model.objects[0].kept;
    const auto& after = again->model.objects[0].kept;
    ASSERT_EQ(after.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(after[i].header, before[i].header);
        EXPECT_EQ(after[i].words[0], before[i].words[0]);
        for (std::size_t k = 0; k < 2; ++k)
            EXPECT_EQ(std::tie(after[i].vertices[k].vx, after[i].vertices[k].vy, after[i].vertices[k].vz),
                      std::tie(before[i].vertices[k].vx, before[i].vertices[k].vy, before[i].vertices[k].vz));
    }
}

} // namespace
