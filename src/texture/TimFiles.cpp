#include "TimFiles.h"

#include "formats/FormatRegistry.h"
#include "platform/CArchive.h"
#include "platform/ItemNames.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace polyvane {

namespace {

bool Fail(TimImage& tim, std::string_view message) {
    tim.pixels.Reset();
    AfxMessageBox(message);
    return false;
}

const FileFormat& TimFormat() {
    return *Formats().ByName("TIM");
}

} // namespace

bool LoadTim(TimImage& tim) {
    if (const std::optional<NamedItem> item = ResolveItemName(tim.fileName)) {
        if (!item->error.empty())
            return Fail(tim, item->error.c_str());
        return LoadTimFromBytes(tim, item->bytes);
    }
    CArchive ar;
    if (!ar.OpenForLoad(tim.fileName))
        return Fail(tim, TimFormat().unreadableText);
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
    return LoadTimFromBytes(tim, bytes);
}

bool LoadTimFromBytes(TimImage& tim, std::span<const std::uint8_t> bytes) {
    auto read = TimFormat().readTexture(bytes);
    if (!read) {
        tim.pixels.Reset();
        for (const std::string& message : read.error())
            AfxMessageBox(message);
        return false;
    }
    std::string fileName = std::move(tim.fileName);
    tim = std::move(read.value());
    tim.fileName = std::move(fileName);
    return true;
}

std::optional<TimImage> OpenTimFile(const std::string& path) {
    std::optional<TimImage> loaded(std::in_place);
    loaded->fileName = path;
    if (!LoadTim(*loaded))
        return std::nullopt;
    return loaded;
}

TimList::iterator AddTimFile(TimList& list, const std::string& path) {
    std::optional<TimImage> loaded = OpenTimFile(path);
    if (!loaded)
        return list.end();
    list.push_back(std::move(*loaded));
    return std::prev(list.end());
}

namespace {
constexpr std::string_view kNotSaved = "(not saved) ";
} // namespace

std::string TimListLabel(const TimImage& tim) {
    return tim.unsaved ? std::string(kNotSaved) + tim.fileName : tim.fileName;
}

std::string_view TimNameOfLabel(std::string_view label) {
    return label.starts_with(kNotSaved) ? label.substr(kNotSaved.size()) : label;
}

} // namespace polyvane
