#pragma once
// One PlayStation TIM texture as a plain record, with the display header and palette made once at
// load time, and the codec that reads it from bytes.
#include "Result.h"
#include "platform/Dib.h"
#include "platform/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace polyvane {

// First byte of every TIM file.
constexpr std::uint8_t kTimId = 0x10;
// Pixel modes (bits 0-2 of the flag word).
constexpr std::uint8_t kTimMode4Bit = 0;
constexpr std::uint8_t kTimMode8Bit = 1;
constexpr std::uint8_t kTimMode15Bit = 2;
constexpr std::uint8_t kTimMode24Bit = 3;
// Room for colour words in a record.
constexpr std::size_t kTimClutEntries = 256;
// The whole frame buffer is 1 MiB; pixel data claiming more than eight times that is refused unread.
constexpr std::size_t kMaxTimPixelBytes = std::size_t{8} << 20;
// LoadTim reads at most this much of a file: enough for any pixel data it accepts and its headers.
constexpr std::size_t kMaxTimFileBytes = std::size_t{32} << 20;

// A frame-buffer colour word (red in bits 0-4, green 5-9, blue 10-14) as 0x00BBGGRR; the
// semi-transparency bit is dropped and each 5-bit value becomes value x 8.
constexpr COLORREF TimWordToColour(std::uint16_t word) {
    return RGB(static_cast<std::uint8_t>((word & 31) * 8), static_cast<std::uint8_t>(((word >> 5) & 31) * 8),
               static_cast<std::uint8_t>(((word >> 10) & 31) * 8));
}

// An owned pixel buffer, or none. A copy holds its own bytes; when they cannot be allocated the copy
// holds none.
class TimPixelBuffer {
  public:
    TimPixelBuffer() = default;
    TimPixelBuffer(const TimPixelBuffer& other);
    TimPixelBuffer& operator=(const TimPixelBuffer& other);
    TimPixelBuffer(TimPixelBuffer&& other) noexcept;
    TimPixelBuffer& operator=(TimPixelBuffer&& other) noexcept;
    ~TimPixelBuffer() = default;

    // Replaces the buffer with `size` bytes (contents unset); false, holding none, when they cannot
    // be allocated.
    [[nodiscard]] bool Allocate(std::size_t size);
    void Reset();
    [[nodiscard]] explicit operator bool() const { return m_data != nullptr; }
    [[nodiscard]] std::uint8_t* data() { return m_data.get(); }
    [[nodiscard]] const std::uint8_t* data() const { return m_data.get(); }
    [[nodiscard]] std::size_t size() const { return m_size; }
    [[nodiscard]] std::span<const std::uint8_t> bytes() const { return {m_data.get(), m_size}; }

  private:
    std::unique_ptr<std::uint8_t[]> m_data;
    std::size_t m_size = 0;
};

struct TimImage {
    std::string fileName;
    // Made in memory (by an import) and not yet written to `fileName`.
    bool unsaved = false;
    std::uint8_t pixelMode = 0;
    std::int32_t hasClut = 0;
    std::uint32_t clutLength = 0; // as read: bytes in the CLUT block, its length word included
    std::uint16_t clutX = 0;
    std::uint16_t clutY = 0;
    std::uint16_t clutWidth = 0;
    std::uint16_t clutHeight = 0;
    std::uint16_t clut[kTimClutEntries] = {}; // the table's first 256 words
    // Every colour word of the table, row after row of clutWidth words; clut keeps the first 256.
    std::vector<std::uint16_t> clutTable;
    // The colour-table row the picture is shown through.
    std::uint16_t paletteRow = 0;
    std::uint32_t imageLength = 0; // as read: bytes in the image block, its length word and header included
    std::uint16_t imageX = 0;
    std::uint16_t imageY = 0;
    std::uint16_t imageWidth = 0; // in 16-bit frame-buffer units
    std::uint16_t imageHeight = 0;
    // Rows top to bottom, imageWidth x 2 bytes each; 4-bit data with the two pixels of every byte
    // exchanged. Usually imageLength - 12 bytes, but never fewer than imageWidth x imageHeight x 2.
    TimPixelBuffer pixels;
    BITMAPINFO bitmapInfo{};

    // Builds bitmapInfo and reorders 4-bit pixel data; the last step of loading.
    void BuildBitmapInfo();
    // After a change to clutTable or paletteRow: clut and the display palette follow it.
    void TableChanged();

    // Words of one colour-table row (clutWidth, or the whole table when that is 0) and rows held.
    [[nodiscard]] std::size_t ClutRowLength() const;
    [[nodiscard]] std::size_t ClutRows() const;

    // Colour words the file supplied (at most 256); palette entries beyond them are a grey ramp.
    [[nodiscard]] std::size_t ClutEntries() const;
    // Pixels a row shows and bits each takes, by pixelMode: 4-bit and 8-bit indexed, 24-bit direct
    // (a row's partial last pixel, when imageWidth x 2 is no multiple of three, is padding), and
    // 16-bit words for 15-bit and every other mode.
    [[nodiscard]] std::uint32_t DisplayWidth() const;
    [[nodiscard]] std::uint16_t DisplayBitCount() const;
    // Bytes of pixel data the image's size covers: imageWidth x imageHeight x 2.
    [[nodiscard]] std::uint64_t ImageBytes() const { return std::uint64_t{imageWidth} * imageHeight * 2; }

  private:
    // The header and palette, and with !paletteOnly the 4-bit reorder too.
    void MakeBitmapInfo(bool paletteOnly);
};

enum class TimError {
    noId,
    badId,
    noFlag,
    noClutLength,
    badClut,
    noImageLength,
    noImageHeader,
    noPixelMemory,
    truncatedPixels,
};
// The message a user is shown for `error`.
[[nodiscard]] const char* TimErrorText(TimError error);

// Decodes a TIM file held in memory; the record's fileName is left empty.
[[nodiscard]] Result<TimImage, TimError> ReadTim(std::span<const std::uint8_t> bytes);

} // namespace polyvane
