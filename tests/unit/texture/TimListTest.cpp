// The document's texture list: order of adding, exact-path lookup, removal of the first match.
#include "TimBuilder.h"
#include "model/CPolyvaneDoc.h"
#include "texture/TimFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace polyvane;
using namespace polyvane::test;

namespace {

class TimListTest : public ::testing::Test {
  protected:
    // Writes a 15-bit TIM whose first pixel word is `marker`.
    std::string Write(const std::string& name, std::uint16_t marker) {
        TimSpec s;
        s.flag = 2;
        s.imageWidth = 2;
        s.imageHeight = 1;
        s.pixels = {static_cast<std::uint8_t>(marker), static_cast<std::uint8_t>(marker >> 8), 0, 0};
        return m_dir.Write(name, s);
    }

    static std::uint16_t Marker(const TimImage& t) {
        return static_cast<std::uint16_t>(t.pixels.data()[0] | (t.pixels.data()[1] << 8));
    }

    TimFileDir m_dir;
    HeadlessMessageBox m_box;
    ScopedMessageBox m_scoped{m_box};
};

} // namespace

TEST_F(TimListTest, ADocumentStartsWithNoTextures) {
    CPolyvaneDoc doc;
    EXPECT_TRUE(doc.Textures().empty());
    EXPECT_EQ(FindTim(doc.Textures(), "anything.tim"), doc.Textures().end());
}

TEST_F(TimListTest, AddingAppendsAtTheTail) {
    TimList list;
    const auto b = Write("b.tim", 2), a = Write("a.tim", 1);
    EXPECT_EQ(AddTimFile(list, b)->fileName, b);
    EXPECT_EQ(AddTimFile(list, a)->fileName, a);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.front().fileName, b);
    EXPECT_EQ(list.back().fileName, a);
    EXPECT_EQ(Marker(list.back()), 1);
    EXPECT_TRUE(m_box.Texts().empty());
}

TEST_F(TimListTest, AFailedLoadLeavesTheListAsItWas) {
    TimList list;
    AddTimFile(list, Write("good.tim", 7));
    const auto missing = (m_dir.Path() / "missing.tim").string();
    EXPECT_EQ(AddTimFile(list, missing), list.end());
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(m_box.Texts(), std::vector<std::string>{"Could not open file"});
}

TEST_F(TimListTest, TheSameFileTwiceGivesTwoEntriesAndTheFirstAddedIsFoundAndRemovedFirst) {
    TimList list;
    const auto path = Write("same.tim", 1);
    auto first = AddTimFile(list, path);
    auto second = AddTimFile(list, path);
    ASSERT_EQ(list.size(), 2u);
    ASSERT_NE(first, second);
    EXPECT_EQ(FindTim(list, path), first);
    EXPECT_TRUE(RemoveTim(list, path));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(FindTim(list, path), second);
    EXPECT_TRUE(RemoveTim(list, path));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(RemoveTim(list, path));
}

TEST_F(TimListTest, PathsDifferingOnlyInCaseAreDifferentEntries) {
    TimList list;
    const auto lower = Write("tex.tim", 1), upper = Write("TEX.TIM", 2);
    AddTimFile(list, lower);
    AddTimFile(list, upper);
    struct {
        std::string name;
        bool found;
        std::uint16_t marker;
    } const cases[] = {
        {lower, true, 1},      {upper, true, 2}, {(m_dir.Path() / "Tex.tim").string(), false, 0},
        {"tex.tim", false, 0}, {"", false, 0},
    };
    const TimList& constList = list;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto it = FindTim(list, c.name);
        EXPECT_EQ(it != list.end(), c.found);
        EXPECT_EQ(FindTim(constList, c.name) != constList.end(), c.found);
        if (c.found) {
            EXPECT_EQ(Marker(*it), c.marker);
        }
    }
    EXPECT_TRUE(RemoveTim(list, upper));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().fileName, lower);
}

TEST_F(TimListTest, RemovingKeepsTheOrderOfTheRest) {
    TimList list;
    const auto a = Write("a.tim", 1), b = Write("b.tim", 2), c = Write("c.tim", 3);
    for (const auto& p : {a, b, c, a})
        AddTimFile(list, p);
    EXPECT_TRUE(RemoveTim(list, b));
    std::vector<std::uint16_t> markers;
    for (const auto& t : list)
        markers.push_back(Marker(t));
    EXPECT_EQ(markers, (std::vector<std::uint16_t>{1, 3, 1}));
}
