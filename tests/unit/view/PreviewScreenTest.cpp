// The full-screen preview against a scripted display: the set-up sequence and its refusals, the flip
// retries, and the command's outcome and clean-up order.
#include "ScriptedDisplayService.h"
#include "platform/CView.h"
#include "view/CPreviewScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

using namespace polyvane;
using polyvane::test::LoggingMessageBox;
using polyvane::test::ScriptedDisplayService;

namespace {

using Log = std::vector<std::string>;

const Log kSetUp = {
    "DirectDrawCreate",          "SetCooperativeLevel 0x11",
    "SetDisplayMode 800x600x16", "CreateSurface size 108 flags 0x21 caps 0x218 back 1",
    "GetAttachedSurface 0x4",
};
const Log kWord = {"GetDC primary", "SetBkColor 0xff0000", "SetTextColor 0xffff", "TextOut 0,0 Front",
                   "ReleaseDC"};

Log Concat(std::initializer_list<Log> parts) {
    Log all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Log Repeat(const std::string& line, int count) {
    return Log(static_cast<std::size_t>(count), line);
}

// Runs the command on `display` and returns the log with the message box in it.
Log RunCommand(ScriptedDisplayService& display, HWND window = nullptr) {
    LoggingMessageBox box(display.log);
    ScopedMessageBox scoped(box);
    RunPreview(display, window);
    return display.log;
}

TEST(PreviewScreen, StartsWithTheDisplayModeAndNothingCreated) {
    ScriptedDisplayService display;
    CPreviewScreen screen(display);
    EXPECT_EQ(screen.m_width, 800);
    EXPECT_EQ(screen.m_height, 600);
    EXPECT_EQ(screen.m_bpp, 16);
    EXPECT_EQ(screen.m_hWnd, nullptr);
    EXPECT_EQ(screen.m_pDD, nullptr);
    EXPECT_EQ(screen.m_pPrimary, nullptr);
    EXPECT_EQ(screen.m_pBack, nullptr);
    EXPECT_TRUE(display.log.empty());
}

TEST(PreviewScreen, DestroyingAnUnusedScreenReleasesNothing) {
    ScriptedDisplayService display;
    { CPreviewScreen screen(display); }
    EXPECT_TRUE(display.log.empty());
}

TEST(PreviewCommand, SetsUpWritesTheWordFlipsSixtyTimesAndReportsOkBeforeGivingTheDisplayBack) {
    ScriptedDisplayService display;
    Log log = RunCommand(display);
    EXPECT_EQ(
        log,
        Concat({kSetUp, kWord, Repeat("Flip 0x0", 60), {"box OK", "release primary", "release display"}}));
    EXPECT_EQ(display.liveDisplays, 0);
    EXPECT_EQ(display.liveSurfaces, 0);
}

TEST(PreviewCommand, AsksForTheDisplayForTheViewsWindow) {
    ScriptedDisplayService display;
    HeadlessViewHost host;
    RunCommand(display, &host);
    EXPECT_EQ(display.cooperativeWindow, &host);
}

struct Refusal {
    const char* operation;
    HRESULT answer;
    std::size_t callsMade; // set-up calls up to and including the refused one
    Log released;
};

void PrintTo(const Refusal& c, std::ostream* os) {
    *os << c.operation;
}

class PreviewRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(PreviewRefusal, ShowsErrAndReleasesOnlyWhatWasCreated) {
    const Refusal& c = GetParam();
    ScriptedDisplayService display;
    display.answers[c.operation] = c.answer;
    Log log = RunCommand(display);

    Log expected(kSetUp.begin(), kSetUp.begin() + static_cast<std::ptrdiff_t>(c.callsMade));
    expected.emplace_back("box Err");
    expected.insert(expected.end(), c.released.begin(), c.released.end());
    EXPECT_EQ(log, expected);
    EXPECT_EQ(display.flips, 0);
    EXPECT_EQ(display.liveDisplays, 0);
    EXPECT_EQ(display.liveSurfaces, 0);
}

TEST_P(PreviewRefusal, InitStopsWithTheRefusalRecorded) {
    const Refusal& c = GetParam();
    ScriptedDisplayService display;
    display.answers[c.operation] = c.answer;
    CPreviewScreen screen(display);
    EXPECT_FALSE(screen.Init());
    EXPECT_EQ(screen.m_ddrval, c.answer);
    EXPECT_EQ(screen.m_pBack, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    EachSetUpStep, PreviewRefusal,
    testing::Values(Refusal{"DirectDrawCreate", DDERR_NODIRECTDRAWHW, 1, {}},
                    Refusal{"SetCooperativeLevel", DDERR_NOEXCLUSIVEMODE, 2, {"release display"}},
                    Refusal{"SetDisplayMode", DDERR_INVALIDMODE, 3, {"release display"}},
                    Refusal{"CreateSurface", DDERR_GENERIC, 4, {"release display"}},
                    Refusal{"GetAttachedSurface", DDERR_GENERIC, 5, {"release primary", "release display"}}),
    [](const testing::TestParamInfo<Refusal>& p) { return std::string(p.param.operation); });

TEST(PreviewCommand, WithoutADrawingContextStillFlipsAndReportsOk) {
    ScriptedDisplayService display;
    display.answers["GetDC"] = DDERR_SURFACEBUSY;
    Log log = RunCommand(display);
    EXPECT_EQ(log, Concat({kSetUp,
                           {"GetDC primary"},
                           Repeat("Flip 0x0", 60),
                           {"box OK", "release primary", "release display"}}));
}

TEST(PreviewScreen, AFailedDrawingContextIsNotRecordedAsTheLastResult) {
    ScriptedDisplayService display;
    display.answers["GetDC"] = DDERR_SURFACEBUSY;
    CPreviewScreen screen(display);
    EXPECT_TRUE(screen.Init());
    EXPECT_EQ(screen.m_ddrval, DD_OK);
}

TEST(PreviewCommand, WithoutAnyDisplayShowsErr) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    RunPreview(DisplayService(), nullptr);
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Err"});
}

struct FlipCase {
    const char* name;
    std::vector<HRESULT> flipAnswers;
    std::vector<HRESULT> restoreAnswers;
    Log calls;
    HRESULT last;
};

void PrintTo(const FlipCase& c, std::ostream* os) {
    *os << c.name;
}

class PreviewFlip : public testing::TestWithParam<FlipCase> {};

TEST_P(PreviewFlip, RetriesOnlyWhileTheDisplayIsStillDrawing) {
    const FlipCase& c = GetParam();
    ScriptedDisplayService display;
    CPreviewScreen screen(display);
    ASSERT_TRUE(screen.Init());
    display.log.clear();
    display.flipAnswers.assign(c.flipAnswers.begin(), c.flipAnswers.end());
    display.restoreAnswers.assign(c.restoreAnswers.begin(), c.restoreAnswers.end());
    // Each case ends with a flip that is answered; the DD_OK after it must not be taken.
    display.flipAnswers.push_back(DDERR_INVALIDPARAMS);

    screen.Flip();
    EXPECT_EQ(display.log, c.calls);
    EXPECT_EQ(screen.m_ddrval, c.last);
}

const HRESULT kLost = DDERR_SURFACELOST;
const HRESULT kBusy = DDERR_WASSTILLDRAWING;

INSTANTIATE_TEST_SUITE_P(
    Answers, PreviewFlip,
    testing::Values(
        FlipCase{"Done", {DD_OK}, {}, {"Flip 0x0"}, DD_OK},
        FlipCase{"OtherFailureEndsSilently", {DDERR_GENERIC}, {}, {"Flip 0x0"}, DDERR_GENERIC},
        FlipCase{"LostIsRestoredAndNotFlippedAgain", {kLost}, {DD_OK}, {"Flip 0x0", "Restore"}, DD_OK},
        FlipCase{"FailedRestoreEnds", {kLost}, {DDERR_GENERIC}, {"Flip 0x0", "Restore"}, DDERR_GENERIC},
        FlipCase{"RestoreStillDrawingFlipsAgain",
                 {kLost, DD_OK},
                 {kBusy},
                 {"Flip 0x0", "Restore", "Flip 0x0"},
                 DD_OK},
        FlipCase{"StillDrawingIsRetriedUntilAnswered",
                 {kBusy, kBusy, kBusy, kBusy, kBusy, DD_OK},
                 {},
                 Repeat("Flip 0x0", 6),
                 DD_OK},
        FlipCase{"StillDrawingThenAnotherFailure",
                 {kBusy, kBusy, DDERR_GENERIC},
                 {},
                 Repeat("Flip 0x0", 3),
                 DDERR_GENERIC},
        FlipCase{
            "StillDrawingThenLost", {kBusy, kLost}, {DD_OK}, {"Flip 0x0", "Flip 0x0", "Restore"}, DD_OK}),
    [](const testing::TestParamInfo<FlipCase>& p) { return std::string(p.param.name); });

TEST(PreviewCommand, AsksForSixtyFlipsWhateverTheyAnswer) {
    ScriptedDisplayService display;
    display.flipAnswers.assign(60, DDERR_GENERIC);
    Log log = RunCommand(display);
    EXPECT_EQ(display.flips, 60);
    EXPECT_EQ(std::count(log.begin(), log.end(), "box OK"), 1);
}

TEST(PreviewCommand, StillDrawingRetriesDoNotCountAsFlips) {
    ScriptedDisplayService display;
    // The first flip keeps the display busy 1000 times, the third is lost and restored.
    display.flipAnswers.assign(1000, kBusy);
    display.flipAnswers.insert(display.flipAnswers.end(), {DD_OK, DD_OK, kLost});
    Log log = RunCommand(display);
    EXPECT_EQ(display.flips, 1000 + 60);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Restore"), 1);
    EXPECT_EQ(log[log.size() - 3], "box OK");
}

} // namespace
