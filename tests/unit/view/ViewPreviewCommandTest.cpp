// The model view's Preview command runs the full-screen display test through the installed service.
#include "CommandIds.h"
#include "ScriptedDisplayService.h"
#include "model/CPolyvaneDoc.h"
#include "platform/CView.h"
#include "platform/DisplayService.h"
#include "platform/MessageBox.h"
#include "view/CPolyvaneView.h"

#include <gtest/gtest.h>

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

TEST(ViewPreviewCommand, WithADisplayTheCommandFlipsSixtyTimesForTheViewsWindow) {
    HeadlessMessageBox box;
    ScopedMessageBox scopedBox(box);
    test::ScriptedDisplayService display;
    ScopedDisplayService scopedDisplay(display);
    CPolyvaneDoc doc;
    CPolyvaneView view;
    HeadlessViewHost host;
    view.SetHost(&host);
    view.SetDocument(&doc);
    view.OnCmdMsg(ID_OBJECT_PREVIEW, nullptr);
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"OK"});
    EXPECT_EQ(display.flips, 60);
    EXPECT_EQ(display.cooperativeWindow, &host);
    EXPECT_EQ(display.liveDisplays, 0);
}
