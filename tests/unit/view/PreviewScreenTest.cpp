// The full-screen preview against a scripted display: the set-up sequence and its refusals, the
// frames written and flipped until input, the flip retries, and the pixels in the surface's layout.
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
    "SetDisplayMode 320x240x16", "CreateSurface size 108 flags 0x21 caps 0x218 back 1",
    "GetAttachedSurface 0x4",
};
const Log kFrame = {"Lock back", "Unlock back", "Flip 0x0"};
const Log kRelease = {"release primary", "release display"};

Log Concat(std::initializer_list<Log> parts) {
    Log all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Log Repeat(const std::string& line, int count) {
    return Log(static_cast<std::size_t>(count), line);
}

Log Repeat(const Log& lines, int count) {
    Log all;
    for (int i = 0; i < count; ++i)
        all.insert(all.end(), lines.begin(), lines.end());
    return all;
}

// Runs the command on `display` with a painter that fills frame n with the word n, and returns the
// log with the message box in it.
Log RunCommand(ScriptedDisplayService& display, HWND window = nullptr, std::vector<int>* frames = nullptr) {
    LoggingMessageBox box(display.log);
    ScopedMessageBox scoped(box);
    RunPreview(
        display, window, 320, 240,
        [frames](std::span<std::uint16_t> picture, std::int32_t width, std::int32_t height, int frame) {
            EXPECT_EQ(picture.size(), std::size_t(width) * std::size_t(height));
            std::fill(picture.begin(), picture.end(), static_cast<std::uint16_t>(frame));
            if (frames)
                frames->push_back(frame);
        });
    return display.log;
}

TEST(PreviewScreen, StartsWithTheTelevisionModeAndNothingCreated) {
    ScriptedDisplayService display;
    CPreviewScreen screen(display);
    EXPECT_EQ(screen.m_width, 320);
    EXPECT_EQ(screen.m_height, 240);
    EXPECT_EQ(screen.m_bpp, 16);
    EXPECT_EQ(screen.m_pDD, nullptr);
    EXPECT_EQ(screen.m_pBack, nullptr);
    EXPECT_TRUE(display.log.empty());
}

TEST(PreviewScreen, DestroyingAnUnusedScreenReleasesNothing) {
    ScriptedDisplayService display;
    { CPreviewScreen screen(display); }
    EXPECT_TRUE(display.log.empty());
}

TEST(PreviewCommand, ShowsFrameAfterFrameUntilInputThenGivesTheDisplayBackWithoutABox) {
    ScriptedDisplayService display;
    display.inputAfter = 3;
    HeadlessViewHost host;
    std::vector<int> frames;
    const Log log = RunCommand(display, &host, &frames);
    EXPECT_EQ(log, Concat({kSetUp, Repeat(kFrame, 3), kRelease}));
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(display.cooperativeWindow, &host);
    // The last frame's word 2 (red 2 of 31) as a 5-6-5 pixel: red 16 of 255 keeps its top 5 bits.
    ASSERT_EQ(display.presented.size(), 320u * 240u);
    EXPECT_EQ(display.presented.front(), 0x1000);
    EXPECT_EQ(display.liveDisplays, 0);
    EXPECT_EQ(display.liveSurfaces, 0);
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

TEST(PreviewCommand, WithoutAnyDisplayShowsErr) {
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    RunPreview(DisplayService(), nullptr, 320, 240,
               [](std::span<std::uint16_t>, std::int32_t, std::int32_t, int) {
                   ADD_FAILURE() << "nothing to paint on";
               });
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

TEST(PreviewCommand, AFlipThatFailsEndsThePreviewWithErr) {
    ScriptedDisplayService display;
    display.inputAfter = 1000;
    display.flipAnswers = {DD_OK, DDERR_GENERIC};
    const Log log = RunCommand(display);
    EXPECT_EQ(log, Concat({kSetUp, Repeat(kFrame, 2), {"box Err"}, kRelease}));
}

TEST(PreviewCommand, StillDrawingRetriesAndRestoresKeepThePreviewGoing) {
    ScriptedDisplayService display;
    display.inputAfter = 3;
    // The first flip keeps the display busy 1000 times, the third is lost and restored.
    display.flipAnswers.assign(1000, kBusy);
    display.flipAnswers.insert(display.flipAnswers.end(), {DD_OK, DD_OK, kLost});
    const Log log = RunCommand(display);
    EXPECT_EQ(display.flips, 1000 + 3);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Restore"), 1);
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.starts_with("box"); }), 0);
}

TEST(PreviewPixels, AWordTakesTheSurfacesLayout) {
    const DDPIXELFORMAT k565{16, 0xF800, 0x07E0, 0x001F};
    const DDPIXELFORMAT kXrgb{32, 0xFF0000, 0x00FF00, 0x0000FF};
    const DDPIXELFORMAT kRgbBytes{24, 0x0000FF, 0x00FF00, 0xFF0000};
    const struct {
        std::uint16_t word; // blue 14-10, green 9-5, red 4-0
        const DDPIXELFORMAT& format;
        std::uint32_t pixel;
    } cases[] = {
        {0x001F, k565, 0xF800},        {0x03E0, k565, 0x07E0},        {0x7C00, k565, 0x001F},
        {0x8000, k565, 0x0000},        {0x0001, kXrgb, 0x080000},     {0x7FFF, kXrgb, 0xFFFFFF},
        {0x0421, kRgbBytes, 0x080808}, {0x001F, kRgbBytes, 0x0000FF}, {0x7C00, kXrgb, 0x0000FF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PixelOfWord(c.word, c.format), c.pixel)
            << std::hex << c.word << " " << c.format.dwRGBBitCount;
}

} // namespace
