// The workbench over a document: a texture moved over a loaded dump, the model's primitive following
// it in the same undo step, refusals that change nothing, and palette edits as the chip reads them.
#include "texture/TextureWorkbench.h"
#include "DocTestSupport.h"
#include "TimBuilder.h"
#include "TmdBuilder.h"
#include "texture/TimFrameBuffer.h"

#include <gtest/gtest.h>

using namespace polyvane;
using namespace polyvane::test;

namespace {

constexpr std::uint16_t kClutX = 48, kClutY = 100;

// A textured triangle reading page 5 (x 320) as 4-bit texels through the table at (48, 100), its
// corners at texels (0, 0), (15, 0) and (0, 15).
std::unique_ptr<CPolyvaneDoc> TexturedTriangle() {
    TmdObjectSpec o;
    o.vertices = {0, 0, 0, 10, 0, 0, 0, 10, 0};
    const std::uint32_t cba = (kClutY << 6) | (kClutX / 16), tsb = (0u << 7) | 5u;
    o.packets = {PacketHeader(0, 6, 1, 0x24 | 0x02),
                 0x0000 | (cba << 16),
                 0x000F | (tsb << 16),
                 0x0F00,
                 0x808080,
                 Halves(0, 1),
                 Halves(2, 0)};
    o.nPrimitive = 1;
    auto r = LoadBytes(BuildTmd({o}).data());
    EXPECT_TRUE(r.ok);
    return std::move(r.doc);
}

// A 4-bit texture of 4 x 16 words at (320, 0): row 0 holds indices 0 to 15; `rows` colour-table rows
// of 16 words, row r entry i being 0x0100 x (r + 1) + i.
TimImage Texture(std::uint16_t rows) {
    TimSpec s;
    s.clut = std::vector<std::uint16_t>(16u * rows);
    for (std::uint16_t i = 0; i < s.clut->size(); ++i)
        (*s.clut)[i] = static_cast<std::uint16_t>(0x0100 * (i / 16 + 1) + i % 16);
    s.clutX = kClutX;
    s.clutY = kClutY;
    s.clutHeight = rows;
    s.imageX = 320;
    s.imageWidth = 4;
    s.imageHeight = 16;
    s.pixels.assign(4 * 16 * 2, 0);
    for (std::uint8_t i = 0; i < 8; ++i) // two indices a byte, the left one in the low half
        s.pixels[i] = static_cast<std::uint8_t>((2 * i) | ((2 * i + 1) << 4));
    TimLoad load = LoadTimBytes(BuildTim(s).data());
    EXPECT_TRUE(load.ok);
    load.tim.fileName = "page.tim";
    return std::move(load.tim);
}

FrameBuffer Memory(const CPolyvaneDoc& doc) {
    FrameBuffer memory;
    RebuildFrameBuffer(memory, doc.Textures(), doc.FrameBufferDump());
    return memory;
}

TEST(TextureWorkbench, MovedTextureLandsOverTheDumpAndItsPrimitiveFollowsInOneStep) {
    auto doc = TexturedTriangle();
    FrameBuffer dump;
    for (int y = 0; y < 64; ++y)
        for (int x = 300; x < 420; ++x)
            dump.SetWord(x, y, static_cast<std::uint16_t>(0x5000 + x + y));
    doc->SetFrameBufferDump(dump);
    doc->AddTexture(Texture(1));
    const FrameBuffer before = Memory(*doc);
    const WorkPrimitive record = *doc->CurrentPrimitive();
    const std::size_t steps = doc->History().UndoNames().size();

    TextureMovePlan plan = PlanTextureMove(*doc, 0, false, 400, 20);
    ASSERT_EQ(plan.error, TimEditError::none);
    EXPECT_EQ(plan.edits.size(), 1u);
    EXPECT_TRUE(plan.leftAsIs.empty());
    ASSERT_TRUE(MakeTextureMove(*doc, std::move(plan), true));
    EXPECT_EQ(doc->History().UndoNames().size(), steps + 1);
    const FrameBuffer after = Memory(*doc);
    EXPECT_EQ(after.Word(400, 20), before.Word(320, 0)) << "the texture's first word at its new place";
    EXPECT_EQ(after.Word(403, 35), before.Word(323, 15)) << "and its last";
    EXPECT_EQ(after.Word(320, 0), dump.Word(320, 0)) << "the old place shows the dump under it";
    const WorkPrimitive& moved = *doc->CurrentPrimitive();
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(
            FetchTexel(after, moved.tpage, moved.pmode, moved.clutX, moved.clutY, moved.u[k], moved.v[k]),
            FetchTexel(before, record.tpage, record.pmode, record.clutX, record.clutY, record.u[k],
                       record.v[k]))
            << k;

    doc->OnEditUndo();
    EXPECT_EQ(Memory(*doc), before);
    EXPECT_EQ(doc->CurrentPrimitive()->tpage, record.tpage);
    EXPECT_EQ(doc->CurrentPrimitive()->u[1], record.u[1]);
}

TEST(TextureWorkbench, RefusedMovesAndEditsChangeNothing) {
    auto doc = TexturedTriangle();
    doc->AddTexture(Texture(1));
    const FrameBuffer before = Memory(*doc);
    const std::size_t steps = doc->History().UndoNames().size();
    const struct {
        const char* name;
        bool clut;
        int x, y;
        TimEditError error;
    } moves[] = {
        {"image past the right edge", false, 1021, 0, TimEditError::imagePastMemory},
        {"image past the bottom", false, 0, 500, TimEditError::imagePastMemory},
        {"colour table past the right edge", true, 1020, 0, TimEditError::clutPastMemory},
        {"colour-table row past the memory", true, 0, 512, TimEditError::clutPastMemory},
    };
    for (const auto& m : moves)
        EXPECT_EQ(PlanTextureMove(*doc, 0, m.clut, m.x, m.y).error, m.error) << m.name;
    const std::uint16_t tooMany[17] = {};
    EXPECT_EQ(EditTexture(*doc, 0, "Replace", [&](TimImage& t) { return ReplaceClutRow(t, 0, tooMany); }),
              TimEditError::tooManyColours);
    EXPECT_EQ(Memory(*doc), before);
    EXPECT_EQ(doc->History().UndoNames().size(), steps);
}

TEST(TextureWorkbench, PaletteEditsShowInTheChipsLookup) {
    const std::uint16_t three[] = {0x0011, 0x0022, 0x0033};
    const struct {
        const char* name;
        std::function<TimEditError(TimImage&)> edit;
        std::uint8_t u;
        std::uint16_t expected;
    } cases[] = {
        {"set entry", [](TimImage& t) { return SetClutEntry(t, 0, 2, 0xFC00); }, 2, 0xFC00},
        {"swap entries", [](TimImage& t) { return SwapClutEntries(t, 0, 1, 3); }, 1, 0x0103},
        {"copy a row", [](TimImage& t) { return CopyClutRow(t, 1, 0); }, 5, 0x0205},
        {"replace a row's start", [&](TimImage& t) { return ReplaceClutRow(t, 0, three); }, 2, 0x0033},
        {"replace keeps the rest", [&](TimImage& t) { return ReplaceClutRow(t, 0, three); }, 3, 0x0103},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = TexturedTriangle();
        doc->AddTexture(Texture(2));
        ASSERT_EQ(EditTexture(*doc, 0, c.name, c.edit), TimEditError::none);
        EXPECT_EQ(FetchTexel(Memory(*doc), 5, kPixelMode4Bit, kClutX, kClutY, c.u, 0), c.expected);
        doc->OnEditUndo();
        EXPECT_EQ(FetchTexel(Memory(*doc), 5, kPixelMode4Bit, kClutX, kClutY, c.u, 0), 0x0100 + c.u);
    }
}

TEST(TextureWorkbench, OverlapsAndTheWordUnderTheMouseNameTheTexturesThere) {
    TimList list;
    list.push_back(Texture(1)); // image (320, 0) 4 x 16, table (48, 100) 16 x 1
    TimImage second = Texture(2);
    second.fileName = "second.tim";
    ASSERT_EQ(MoveTimImage(second, 322, 15), TimEditError::none);
    ASSERT_EQ(MoveTimClut(second, 40, 100), TimEditError::none); // snapped to 48: rows 100 and 101
    list.push_back(std::move(second));

    std::vector<std::string> texts;
    for (const TextureOverlap& overlap : FindOverlaps(list))
        texts.push_back(overlap.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "page.tim image and second.tim image overlap at (322, 15) 2 x 1",
                         "page.tim colour table and second.tim colour table overlap at (48, 100) 16 x 1",
                     }));

    // The later texture is on top where both lie: its second word, indices 4 to 7, is 0x7654.
    const FrameBuffer memory = BuildFrameBuffer(list);
    EXPECT_EQ(DescribeWord(memory, list, 323, 15),
              "(323, 15)  0x7654  R 20 G 18 B 29 STP 0  page 5 at (320, 0): "
              "u 12 4-bit, 6 8-bit, 3 15-bit; v 15  second.tim image");
    EXPECT_NE(DescribeWord(memory, list, 50, 101).find("second.tim colour table"), std::string::npos);
    EXPECT_NE(DescribeWord(memory, list, 321, 3).find("page.tim image"), std::string::npos);
    EXPECT_EQ(DescribeWord(memory, list, 700, 300).find(".tim"), std::string::npos);
}

} // namespace
