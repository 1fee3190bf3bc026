#include "TimEdits.h"

#include "FrameBufferLayout.h"

#include <algorithm>

namespace polyvane {

namespace {

bool HasRow(const TimImage& tim, std::size_t row) {
    return row < tim.ClutRows();
}

std::uint16_t* RowStart(TimImage& tim, std::size_t row) {
    return tim.clutTable.data() + row * tim.ClutRowLength();
}

} // namespace

const char* TimEditErrorText(TimEditError error) {
    switch (error) {
    case TimEditError::none:
        return "No error";
    case TimEditError::imagePastMemory:
        return "The image would lie past the edge of the frame buffer; it stays where it was";
    case TimEditError::clutPastMemory:
        return "The colour table would lie past the edge of the frame buffer; it stays where it was";
    case TimEditError::noClut:
        return "The texture has no colour table";
    case TimEditError::rowOutOfRange:
        return "The texture's colour table has no such row";
    case TimEditError::entryOutOfRange:
        return "The colour-table row has no such entry";
    case TimEditError::tooManyColours:
        return "The picture has more colours than the colour-table row holds";
    }
    return "Unknown edit error";
}

TimEditError MoveTimImage(TimImage& tim, int x, int y) {
    if (!InsideFrameBuffer(x, y, tim.imageWidth, tim.imageHeight))
        return TimEditError::imagePastMemory;
    tim.imageX = static_cast<std::uint16_t>(x);
    tim.imageY = static_cast<std::uint16_t>(y);
    return TimEditError::none;
}

TimEditError MoveTimClut(TimImage& tim, int x, int y) {
    if (!tim.hasClut || tim.clutTable.empty())
        return TimEditError::noClut;
    x = SnapClutColumn(x);
    if (!InsideFrameBuffer(x, y, static_cast<long long>(tim.ClutRowLength()),
                           static_cast<long long>(tim.ClutRows())))
        return TimEditError::clutPastMemory;
    tim.clutX = static_cast<std::uint16_t>(x);
    tim.clutY = static_cast<std::uint16_t>(y);
    return TimEditError::none;
}

TimEditError ChooseTimPalette(TimImage& tim, std::size_t row) {
    if (!HasRow(tim, row))
        return TimEditError::rowOutOfRange;
    tim.paletteRow = static_cast<std::uint16_t>(row);
    tim.TableChanged();
    return TimEditError::none;
}

TimEditError SetClutEntry(TimImage& tim, std::size_t row, std::size_t index, std::uint16_t word) {
    if (!HasRow(tim, row))
        return TimEditError::rowOutOfRange;
    if (index >= tim.ClutRowLength())
        return TimEditError::entryOutOfRange;
    RowStart(tim, row)[index] = word;
    tim.TableChanged();
    return TimEditError::none;
}

TimEditError SwapClutEntries(TimImage& tim, std::size_t row, std::size_t first, std::size_t second) {
    if (!HasRow(tim, row))
        return TimEditError::rowOutOfRange;
    if (first >= tim.ClutRowLength() || second >= tim.ClutRowLength())
        return TimEditError::entryOutOfRange;
    std::swap(RowStart(tim, row)[first], RowStart(tim, row)[second]);
    tim.TableChanged();
    return TimEditError::none;
}

TimEditError CopyClutRow(TimImage& tim, std::size_t from, std::size_t to) {
    if (!HasRow(tim, from) || !HasRow(tim, to))
        return TimEditError::rowOutOfRange;
    std::copy_n(RowStart(tim, from), tim.ClutRowLength(), RowStart(tim, to));
    tim.TableChanged();
    return TimEditError::none;
}

TimEditError ReplaceClutRow(TimImage& tim, std::size_t row, std::span<const std::uint16_t> words) {
    if (!HasRow(tim, row))
        return TimEditError::rowOutOfRange;
    if (words.size() > tim.ClutRowLength())
        return TimEditError::tooManyColours;
    std::copy(words.begin(), words.end(), RowStart(tim, row));
    tim.TableChanged();
    return TimEditError::none;
}

std::uint16_t NearestColourWord(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    if (a == 0)
        return 0x0000;
    auto five = [](std::uint8_t c) { return (c * 31 + 127) / 255; };
    const auto word = static_cast<std::uint16_t>(five(r) | (five(g) << 5) | (five(b) << 10));
    return word == 0 ? 0x8000 : word;
}

std::vector<std::uint16_t> DistinctColourWords(std::span<const std::uint8_t> rgba, std::size_t limit) {
    std::vector<bool> seen(0x10000, false);
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i + 3 < rgba.size() && words.size() <= limit; i += 4) {
        const std::uint16_t word = NearestColourWord(rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]);
        if (!seen[word]) {
            seen[word] = true;
            words.push_back(word);
        }
    }
    return words;
}

} // namespace polyvane
