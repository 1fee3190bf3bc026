#include "TimImage.h"

#include "platform/ByteReader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace polyvane {

TimPixelBuffer::TimPixelBuffer(const TimPixelBuffer& other) {
    if (other.m_data && Allocate(other.m_size) && m_size)
        std::memcpy(m_data.get(), other.m_data.get(), m_size);
}

TimPixelBuffer& TimPixelBuffer::operator=(const TimPixelBuffer& other) {
    if (this != &other) {
        TimPixelBuffer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TimPixelBuffer::TimPixelBuffer(TimPixelBuffer&& other) noexcept
    : m_data(std::move(other.m_data)), m_size(std::exchange(other.m_size, 0)) {}

TimPixelBuffer& TimPixelBuffer::operator=(TimPixelBuffer&& other) noexcept {
    m_data = std::move(other.m_data);
    m_size = std::exchange(other.m_size, 0);
    return *this;
}

bool TimPixelBuffer::Allocate(std::size_t size) {
    Reset();
    // A zero-byte buffer is still a buffer: an image of no pixels loads.
    m_data.reset(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
    if (!m_data)
        return false;
    m_size = size;
    return true;
}

void TimPixelBuffer::Reset() {
    m_data.reset();
    m_size = 0;
}

const char* TimErrorText(TimError error) {
    switch (error) {
    case TimError::noId:
        return "Could not read ID";
    case TimError::badId:
        return "Bad TIM ID";
    case TimError::noFlag:
        return "Could not read TIM flag";
    case TimError::noClutLength:
        return "Could not read bnum of CLUT";
    case TimError::badClut:
        return "Could not read CLUT";
    case TimError::noImageLength:
        return "Could not read bnum of DATA";
    case TimError::noImageHeader:
        return "Could not read DATA header";
    case TimError::noPixelMemory:
        return "Could not allocate memory for TIM data";
    case TimError::truncatedPixels:
        return "Could not read TIM pixel data";
    }
    return "Unknown TIM error";
}

Result<TimImage, TimError> ReadTim(std::span<const std::uint8_t> bytes) {
    TimImage tim;
    ByteReader reader(bytes);

    auto id = reader.take(4);
    if (!id)
        return TimError::noId;
    if ((*id)[0] != kTimId)
        return TimError::badId;

    std::uint32_t flag = 0;
    if (!reader.readU32LE(flag))
        return TimError::noFlag;
    tim.pixelMode = static_cast<std::uint8_t>(flag & 7);
    tim.hasClut = (flag >> 3) & 1;

    std::fill(std::begin(tim.clut), std::end(tim.clut), std::uint16_t{0});
    if (tim.hasClut) {
        if (!reader.readU32LE(tim.clutLength))
            return TimError::noClutLength;
        // The block must hold at least its own 8-byte header. Every row of a longer block (several
        // palettes) is kept; `clut` holds the first 256 colour words.
        if (tim.clutLength < 12)
            return TimError::badClut;
        auto block = reader.take(tim.clutLength - 4);
        if (!block)
            return TimError::badClut;
        const std::uint8_t* p = block->data();
        tim.clutX = LoadU16LE(p);
        tim.clutY = LoadU16LE(p + 2);
        tim.clutWidth = LoadU16LE(p + 4);
        tim.clutHeight = LoadU16LE(p + 6);
        tim.clutTable.resize((tim.clutLength - 12) / 2);
        for (std::size_t i = 0; i < tim.clutTable.size(); ++i)
            tim.clutTable[i] = LoadU16LE(p + 8 + 2 * i);
        std::copy_n(tim.clutTable.begin(), tim.ClutEntries(), tim.clut);
    } else {
        tim.clutLength = 0;
        tim.clutX = tim.clutY = tim.clutWidth = tim.clutHeight = 0;
    }

    if (!reader.readU32LE(tim.imageLength))
        return TimError::noImageLength;
    auto header = reader.take(8);
    if (!header)
        return TimError::noImageHeader;
    tim.imageX = LoadU16LE(header->data());
    tim.imageY = LoadU16LE(header->data() + 2);
    tim.imageWidth = LoadU16LE(header->data() + 4);
    tim.imageHeight = LoadU16LE(header->data() + 6);

    if (tim.imageLength < 12)
        return TimError::noPixelMemory;
    // Common homebrew converters write a wrong, short length word; the image's size says how much
    // data there really is, so take whichever is larger and insist the file holds it.
    const std::uint64_t toRead = std::max<std::uint64_t>(tim.imageLength - 12, tim.ImageBytes());
    if (toRead > kMaxTimPixelBytes)
        return TimError::noPixelMemory;
    if (toRead > reader.remaining())
        return TimError::truncatedPixels;
    const auto count = static_cast<std::size_t>(toRead);
    if (!tim.pixels.Allocate(count))
        return TimError::noPixelMemory;
    auto data = reader.take(count);
    if (!data)
        return TimError::truncatedPixels;
    if (count)
        std::memcpy(tim.pixels.data(), data->data(), count);

    tim.BuildBitmapInfo();
    return tim;
}

std::uint32_t TimImage::DisplayWidth() const {
    switch (pixelMode) {
    case kTimMode4Bit:
        return std::uint32_t{imageWidth} * 4;
    case kTimMode8Bit:
        return std::uint32_t{imageWidth} * 2;
    case kTimMode24Bit:
        return std::uint32_t{imageWidth} * 2 / 3;
    default:
        return imageWidth;
    }
}

std::uint16_t TimImage::DisplayBitCount() const {
    switch (pixelMode) {
    case kTimMode4Bit:
        return 4;
    case kTimMode8Bit:
        return 8;
    case kTimMode24Bit:
        return 24;
    default:
        return 16;
    }
}

std::size_t TimImage::ClutEntries() const {
    if (!hasClut || clutLength < 12)
        return 0;
    return std::min<std::size_t>((clutLength - 12) / 2, kTimClutEntries);
}

std::size_t TimImage::ClutRowLength() const {
    return clutWidth > 0 ? clutWidth : std::max<std::size_t>(clutTable.size(), 1);
}

std::size_t TimImage::ClutRows() const {
    return clutTable.size() / ClutRowLength();
}

void TimImage::TableChanged() {
    std::fill(std::begin(clut), std::end(clut), std::uint16_t{0});
    std::copy_n(clutTable.begin(), std::min(clutTable.size(), kTimClutEntries), clut);
    MakeBitmapInfo(true);
}

void TimImage::BuildBitmapInfo() {
    MakeBitmapInfo(false);
}

void TimImage::MakeBitmapInfo(bool paletteOnly) {
    bitmapInfo = BITMAPINFO{};
    BITMAPINFOHEADER& h = bitmapInfo.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biPlanes = 1;
    h.biCompression = BI_RGB;
    h.biHeight = imageHeight;
    h.biWidth = static_cast<std::int32_t>(DisplayWidth());
    h.biBitCount = DisplayBitCount();
    h.biClrUsed = h.biBitCount == 4 ? 16 : h.biBitCount == 8 ? 256 : 0;

    const std::size_t first = std::size_t{paletteRow} * ClutRowLength();
    const std::size_t supplied = first < clutTable.size() ? clutTable.size() - first : 0;
    for (std::uint32_t i = 0; i < h.biClrUsed; ++i) {
        RGBQUAD& q = bitmapInfo.bmiColors[i];
        if (i < supplied) {
            const COLORREF c = TimWordToColour(clutTable[first + i]);
            q.rgbRed = GetRValue(c);
            q.rgbGreen = GetGValue(c);
            q.rgbBlue = GetBValue(c);
        } else {
            // Entries the file does not supply: a grey ramp keeps the image legible.
            const auto level = static_cast<std::uint8_t>(i * 255 / (h.biClrUsed - 1));
            q.rgbRed = q.rgbGreen = q.rgbBlue = level;
        }
    }

    if (pixelMode == kTimMode4Bit && pixels && !paletteOnly) {
        // The TIM holds the left pixel of a byte in its low half, the bitmap format in its high half.
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(ImageBytes(), pixels.size()));
        std::uint8_t* p = pixels.data();
        for (std::size_t i = 0; i < n; ++i)
            p[i] = static_cast<std::uint8_t>((p[i] << 4) | (p[i] >> 4));
    }
}

} // namespace polyvane
