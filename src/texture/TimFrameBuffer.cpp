#include "TimFrameBuffer.h"

#include <algorithm>
#include <vector>

namespace polyvane {

namespace {

// Sets the word at (x, y) when it lies inside the memory; the loader never wraps.
void PutInside(FrameBuffer& memory, long long x, long long y, std::uint16_t word) {
    if (x >= 0 && y >= 0 && x < kFrameBufferWidth && y < kFrameBufferHeight)
        memory.SetWord(int(x), int(y), word);
}

} // namespace

void UploadTim(FrameBuffer& memory, const TimImage& tim) {
    const std::size_t clutRow = tim.ClutRowLength();
    for (std::size_t i = 0; tim.hasClut && i < tim.clutTable.size(); ++i)
        PutInside(memory, tim.clutX + static_cast<long long>(i % clutRow),
                  tim.clutY + static_cast<long long>(i / clutRow), tim.clutTable[i]);

    if (!tim.pixels || tim.imageWidth == 0)
        return;
    const std::size_t rowBytes = std::size_t{tim.imageWidth} * 2;
    const std::size_t rows = std::min<std::size_t>(tim.imageHeight, tim.pixels.size() / rowBytes);
    // Loaded 4-bit data has the two pixels of each byte exchanged for display; the memory holds
    // the left pixel in the low half, as the file did.
    const bool exchanged = tim.pixelMode == kTimMode4Bit;
    const std::uint8_t* bytes = tim.pixels.data();
    std::vector<std::uint16_t> words(std::size_t{tim.imageWidth} * rows);
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::uint8_t lo = bytes[2 * i];
        std::uint8_t hi = bytes[2 * i + 1];
        if (exchanged) {
            lo = static_cast<std::uint8_t>((lo << 4) | (lo >> 4));
            hi = static_cast<std::uint8_t>((hi << 4) | (hi >> 4));
        }
        words[i] = static_cast<std::uint16_t>(lo | (hi << 8));
    }
    memory.WriteRect(tim.imageX, tim.imageY, tim.imageWidth, int(rows), words);
}

FrameBuffer BuildFrameBuffer(const TimList& list) {
    FrameBuffer memory;
    RebuildFrameBuffer(memory, list);
    return memory;
}

void RebuildFrameBuffer(FrameBuffer& memory, const TimList& list, const FrameBuffer* under) {
    if (under)
        memory = *under;
    else
        memory.Clear();
    for (const TimImage& tim : list)
        UploadTim(memory, tim);
}

} // namespace polyvane
