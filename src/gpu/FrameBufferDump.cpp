#include "FrameBufferDump.h"

#include "platform/ByteReader.h"

#include <algorithm>

namespace polyvane {

const char* FrameBufferFileErrorText(FrameBufferFileError error) {
    switch (error) {
    case FrameBufferFileError::wrongDumpSize:
        return "A frame-buffer dump must be exactly 1048576 bytes (1024 x 512 16-bit words)";
    case FrameBufferFileError::rectPastMemory:
        return "The rectangle lies past the edge of the frame buffer";
    case FrameBufferFileError::clutPastMemory:
        return "The colour-table row lies past the edge of the frame buffer";
    case FrameBufferFileError::badDepth:
        return "A texture holds 4, 8 or 16 bits a texel";
    }
    return "Unknown frame-buffer error";
}

Result<FrameBuffer, FrameBufferFileError> ReadFrameBufferDump(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kFrameBufferDumpBytes)
        return FrameBufferFileError::wrongDumpSize;
    FrameBuffer memory;
    std::span<std::uint16_t> words = memory.MutableWords();
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = LoadU16LE(bytes.data() + 2 * i);
    return memory;
}

std::vector<std::uint8_t> FrameBufferDumpBytes(const FrameBuffer& memory) {
    std::vector<std::uint8_t> bytes(kFrameBufferDumpBytes);
    const std::span<const std::uint16_t> words = memory.Words();
    for (std::size_t i = 0; i < words.size(); ++i)
        StoreU16LE(bytes.data() + 2 * i, words[i]);
    return bytes;
}

std::vector<std::uint16_t> DecodeTexels(const FrameBuffer& memory, int x, int y, int widthWords, int height,
                                        std::uint8_t pmode, std::uint16_t clutX, std::uint16_t clutY) {
    if (widthWords <= 0 || height <= 0)
        return {};
    // The chip's own lookup, its page corner put at (x, y).
    TexelSource source(memory, 0, clutX, clutY);
    source.pageX = x;
    source.pageY = y;
    const int perWord = TexelsPerUnit(pmode);
    const auto width = static_cast<unsigned>(widthWords * perWord);
    std::vector<std::uint16_t> texels(std::size_t(width) * std::size_t(height));
    std::uint16_t* out = texels.data();
    for (unsigned v = 0; v < unsigned(height); ++v)
        for (unsigned u = 0; u < width; ++u)
            *out++ = perWord == 4   ? source.At<kPixelMode4Bit>(u, v)
                     : perWord == 2 ? source.At<kPixelMode8Bit>(u, v)
                                    : source.At<kPixelMode15Bit>(u, v);
    return texels;
}

Result<TimImage, FrameBufferFileError> CutTim(const FrameBuffer& memory, int x, int y, int widthWords,
                                              int height, int depth, int clutX, int clutY) {
    if (depth != 4 && depth != 8 && depth != 16)
        return FrameBufferFileError::badDepth;
    if (widthWords <= 0 || height <= 0 || !InsideFrameBuffer(x, y, widthWords, height))
        return FrameBufferFileError::rectPastMemory;
    const int entries = depth == 4 ? 16 : 256;
    if (depth != 16 && !InsideFrameBuffer(clutX, clutY, entries, 1))
        return FrameBufferFileError::clutPastMemory;

    TimImage tim;
    tim.pixelMode = depth == 4 ? kTimMode4Bit : depth == 8 ? kTimMode8Bit : kTimMode15Bit;
    if (depth != 16) {
        tim.hasClut = 1;
        tim.clutX = static_cast<std::uint16_t>(clutX);
        tim.clutY = static_cast<std::uint16_t>(clutY);
        tim.clutWidth = static_cast<std::uint16_t>(entries);
        tim.clutHeight = 1;
        tim.clutLength = 12 + 2 * std::uint32_t(entries);
        for (int i = 0; i < entries; ++i)
            tim.clutTable.push_back(memory.Word(clutX + i, clutY));
        std::copy(tim.clutTable.begin(), tim.clutTable.end(), tim.clut);
    }
    tim.imageX = static_cast<std::uint16_t>(x);
    tim.imageY = static_cast<std::uint16_t>(y);
    tim.imageWidth = static_cast<std::uint16_t>(widthWords);
    tim.imageHeight = static_cast<std::uint16_t>(height);
    tim.imageLength = static_cast<std::uint32_t>(12 + tim.ImageBytes());
    if (!tim.pixels.Allocate(static_cast<std::size_t>(tim.ImageBytes())))
        return FrameBufferFileError::rectPastMemory;
    std::uint8_t* at = tim.pixels.data();
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < widthWords; ++column, at += 2)
            StoreU16LE(at, memory.Word(x + column, y + row));
    // Pixels as the reader leaves them: the display palette made and 4-bit pairs reordered.
    tim.BuildBitmapInfo();
    return tim;
}

} // namespace polyvane
