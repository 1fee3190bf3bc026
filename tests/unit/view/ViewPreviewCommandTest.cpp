// The model view's Preview command: the selected object painted at the television's resolution
// through the installed display, until input.
#include "CommandIds.h"
#include "ScriptedDisplayService.h"
#include "WorkDocBuilder.h"
#include "model/CPolyvaneDoc.h"
#include "platform/CView.h"
#include "platform/DisplayService.h"
#include "platform/MessageBox.h"
#include "view/CPolyvaneView.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace polyvane;

TEST(ViewPreviewCommand, WithoutADisplayTheCommandSaysErr) {
    HeadlessMessageBox box;
    ScopedMessageBox scopedBox(box);
    CPolyvaneDoc doc;
    CPolyvaneView view;
    HeadlessViewHost host;
    view.SetHost(&host);
    view.SetDocument(&doc);
    EXPECT_TRUE(view.OnCmdMsg(ID_OBJECT_PREVIEW, nullptr));
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Err"});
}

TEST(ViewPreviewCommand, PaintsTheObjectInTheModeItsSizeCallsFor) {
    const struct {
        std::size_t primitives;
        const char* mode;
        std::int32_t width;
    } cases[] = {{1, "SetDisplayMode 320x240x16", 320}, {2001, "SetDisplayMode 640x480x16", 640}};
    for (const auto& c : cases) {
        // Flat white triangles on the view's white background would not show: they are red.
        WorkPrimitive red = test::Record({{-300, -300, 0}, {300, -300, 0}, {0, 300, 0}}, PA_DOUBLE);
        red.colour[0] = 0x0000FF;
        const std::unique_ptr<CPolyvaneDoc> doc =
            test::MakeDoc(std::vector<WorkPrimitive>(c.primitives, red));
        HeadlessMessageBox box;
        ScopedMessageBox scopedBox(box);
        test::ScriptedDisplayService display;
        display.inputAfter = 2;
        ScopedDisplayService scopedDisplay(display);
        CPolyvaneView view;
        HeadlessViewHost host;
        view.SetHost(&host);
        view.SetDocument(doc.get());
        view.OnCmdMsg(ID_OBJECT_PREVIEW, nullptr);
        EXPECT_TRUE(box.Texts().empty());
        EXPECT_EQ(display.flips, 2);
        EXPECT_NE(std::find(display.log.begin(), display.log.end(), c.mode), display.log.end()) << c.mode;
        // The middle of the picture is the triangle, a corner the background.
        const std::size_t w = std::size_t(c.width), h = w * 3 / 4;
        ASSERT_EQ(display.presented.size(), w * h);
        EXPECT_EQ(display.presented[0], 0xFFFF) << c.mode;
        const std::uint16_t middle = display.presented[h / 2 * w + w / 2];
        EXPECT_NE(middle & 0xF800, 0) << c.mode;
        EXPECT_EQ(middle & 0x07FF, 0) << c.mode;
        view.SetDocument(nullptr);
    }
}
