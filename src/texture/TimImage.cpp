#include "TimImage.h"

#include "platform/ByteReader.h"
#include "platform/CArchive.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

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

bool TimImage::Fail(const char* message) {
    pixels.Reset();
    AfxMessageBox(message);
    return false;
}

bool TimImage::LoadTim() {
    CArchive ar;
    if (!ar.OpenForLoad(fileName))
        return Fail("Could not open file");
    // Read in pieces up to the limit, so a small file costs a small buffer and a huge one is not
    // swallowed whole; anything past the limit is beyond what the reader would accept anyway.
    std::vector<std::uint8_t> bytes;
    constexpr std::size_t kChunk = 64 * 1024;
    while (bytes.size() < kMaxTimFileBytes) {
        const std::size_t at = bytes.size();
        const std::size_t want = std::min(kChunk, kMaxTimFileBytes - at);
        bytes.resize(at + want);
        const std::size_t got = ar.Read(bytes.data() + at, want);
        bytes.resize(at + got);
        if (got < want)
            break;
    }
    return LoadTimFromBytes(bytes);
}

bool TimImage::LoadTimFromBytes(std::span<const std::uint8_t> bytes) {
    pixels.Reset();
    ByteReader reader(bytes);

    auto id = reader.take(4);
    if (!id)
        return Fail("Could not read ID");
    if ((*id)[0] != kTimId)
        return Fail("Bad TIM ID");

    std::uint32_t flag = 0;
    if (!reader.readU32LE(flag))
        return Fail("Could not read TIM flag");
    pixelMode = static_cast<std::uint8_t>(flag & 7);
    hasClut = (flag >> 3) & 1;

    std::fill(std::begin(clut), std::end(clut), std::uint16_t{0});
    if (hasClut) {
        if (!reader.readU32LE(clutLength))
            return Fail("Could not read bnum of CLUT");
        // The block must hold at least its own 8-byte header. Longer blocks (several palettes) keep
        // their first 256 colour words; the rest is skipped.
        if (clutLength < 12)
            return Fail("Could not read CLUT");
        auto block = reader.take(clutLength - 4);
        if (!block)
            return Fail("Could not read CLUT");
        const std::uint8_t* p = block->data();
        clutX = LoadU16LE(p);
        clutY = LoadU16LE(p + 2);
        clutWidth = LoadU16LE(p + 4);
        clutHeight = LoadU16LE(p + 6);
        const std::size_t words = ClutEntries();
        for (std::size_t i = 0; i < words; ++i)
            clut[i] = LoadU16LE(p + 8 + 2 * i);
    } else {
        clutLength = 0;
        clutX = clutY = clutWidth = clutHeight = 0;
    }

    if (!reader.readU32LE(imageLength))
        return Fail("Could not read bnum of DATA");
    auto header = reader.take(8);
    if (!header)
        return Fail("Could not read DATA header");
    imageX = LoadU16LE(header->data());
    imageY = LoadU16LE(header->data() + 2);
    imageWidth = LoadU16LE(header->data() + 4);
    imageHeight = LoadU16LE(header->data() + 6);

    if (imageLength < 12)
        return Fail("Could not allocate memory for TIM data");
    // Common homebrew converters write a wrong, short length word; the image's size says how much
    // data there really is, so take whichever is larger and insist the file holds it.
    const std::uint64_t toRead = std::max<std::uint64_t>(imageLength - 12, ImageBytes());
    if (toRead > kMaxTimPixelBytes)
        return Fail("Could not allocate memory for TIM data");
    if (toRead > reader.remaining())
        return Fail("Could not read TIM pixel data");
    const auto count = static_cast<std::size_t>(toRead);
    if (!pixels.Allocate(count))
        return Fail("Could not allocate memory for TIM data");
    auto data = reader.take(count);
    if (!data)
        return Fail("Could not read TIM pixel data");
    if (count)
        std::memcpy(pixels.data(), data->data(), count);

    BuildBitmapInfo();
    return true;
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

void TimImage::BuildBitmapInfo() {
    bitmapInfo = BITMAPINFO{};
    BITMAPINFOHEADER& h = bitmapInfo.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biPlanes = 1;
    h.biCompression = BI_RGB;
    h.biHeight = imageHeight;
    h.biWidth = static_cast<std::int32_t>(DisplayWidth());
    h.biBitCount = DisplayBitCount();
    h.biClrUsed = h.biBitCount == 4 ? 16 : h.biBitCount == 8 ? 256 : 0;

    const std::size_t supplied = ClutEntries();
    for (std::uint32_t i = 0; i < h.biClrUsed; ++i) {
        RGBQUAD& q = bitmapInfo.bmiColors[i];
        if (i < supplied) {
            const COLORREF c = TimWordToColour(clut[i]);
            q.rgbRed = GetRValue(c);
            q.rgbGreen = GetGValue(c);
            q.rgbBlue = GetBValue(c);
        } else {
            // Entries the file does not supply: a grey ramp keeps the image legible.
            const auto level = static_cast<std::uint8_t>(i * 255 / (h.biClrUsed - 1));
            q.rgbRed = q.rgbGreen = q.rgbBlue = level;
        }
    }

    if (pixelMode == kTimMode4Bit && pixels) {
        // The TIM holds the left pixel of a byte in its low half, the bitmap format in its high half.
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(ImageBytes(), pixels.size()));
        std::uint8_t* p = pixels.data();
        for (std::size_t i = 0; i < n; ++i)
            p[i] = static_cast<std::uint8_t>((p[i] << 4) | (p[i] >> 4));
    }
}

} // namespace polyvane
