#include "WriteBack.h"

#include "Address.h"
#include "SectorCodes.h"
#include "formats/TimImage.h"
#include "platform/ItemNames.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

namespace polyvane::gamedata {

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

const char* KindName(ItemFormat format) {
    switch (ScanFormats().KindOf(format)) {
    case ScanTable::Kind::model:
        return "model";
    case ScanTable::Kind::texture:
        return "texture";
    case ScanTable::Kind::other:
        break;
    }
    return "item";
}

// What the game's code may rely on in a texture: its depth and where its pixels and colour table go.
std::string TextureLayout(std::span<const std::uint8_t> bytes) {
    auto tim = ReadTim(bytes);
    if (!tim)
        return {};
    static constexpr const char* kDepths[] = {"4-bit", "8-bit", "15-bit", "24-bit"};
    char text[160];
    std::snprintf(text, sizeof text, "%s, %ux%u words at (%u,%u)",
                  tim->pixelMode < 4 ? kDepths[tim->pixelMode] : "mixed", unsigned{tim->imageWidth},
                  unsigned{tim->imageHeight}, unsigned{tim->imageX}, unsigned{tim->imageY});
    std::string layout = text;
    if (tim->hasClut) {
        std::snprintf(text, sizeof text, ", colour table %ux%u at (%u,%u)", unsigned{tim->clutWidth},
                      unsigned{tim->clutHeight}, unsigned{tim->clutX}, unsigned{tim->clutY});
        layout += text;
    }
    return layout;
}

// The item's room: its own size, or the room known from when it was read if zeros fill the rest of it.
std::uint64_t Room(const DiscImage& image, const ImageFile* file, const Address& address, std::uint64_t size,
                   std::uint64_t knownRoom) {
    if (knownRoom <= size || knownRoom - size > kMaxItemBytes)
        return size;
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(knownRoom - size));
    const bool zeros = image.Read(file, address.offset + size, tail) == tail.size() &&
                       std::all_of(tail.begin(), tail.end(), [](std::uint8_t b) { return b == 0; });
    return zeros ? knownRoom : size;
}

// The image patches that put `bytes` where `pieces` lie: the pieces themselves in a cooked image, whole
// sectors with fresh codes in a raw one, and only the sectors whose user data changes.
std::vector<ImagePatch> BuildPatches(const DiscImage& image, const std::vector<SectorPiece>& pieces,
                                     const std::vector<std::uint8_t>& bytes) {
    std::vector<ImagePatch> patches;
    std::size_t done = 0;
    for (const SectorPiece& piece : pieces) {
        const auto source = bytes.begin() + static_cast<std::ptrdiff_t>(done);
        done += piece.length;
        if (image.IsCooked()) {
            if (!patches.empty() && patches.back().offset + patches.back().bytes.size() == piece.dataOffset)
                patches.back().bytes.insert(patches.back().bytes.end(), source, source + piece.length);
            else
                patches.push_back({piece.dataOffset, {source, source + piece.length}});
            continue;
        }
        std::array<std::uint8_t, kRawSectorSize> sector{};
        const std::span<const std::uint8_t> old = image.RawSector(piece.lsn);
        std::copy(old.begin(), old.end(), sector.begin());
        const auto at = sector.begin() + static_cast<std::ptrdiff_t>(piece.dataOffset - piece.sectorOffset);
        if (std::equal(source, source + piece.length, at))
            continue;
        std::copy(source, source + piece.length, at);
        RecomputeSectorCodes(sector, piece.mode);
        patches.push_back({piece.sectorOffset, {sector.begin(), sector.end()}});
    }
    return patches;
}

} // namespace

WriteBackResult WriteBack(std::string_view text, std::span<const std::uint8_t> newBytes,
                          const WriteBackOptions& options) {
    WriteBackResult result;
    result.newSize = newBytes.size();
    const auto address = ParseAddress(text);
    if (!address) {
        result.error = Quoted(text) + " is not an address (IMAGE::PATH@0xOFFSET or FILE@0xOFFSET)";
        return result;
    }
    // Opening the image undoes a write into it that did not finish (and says so); a journal still there
    // is not this image's, and nothing is written while it is.
    auto image = DiscImage::Open(address->container);
    if (!image) {
        result.error = image.error();
        return result;
    }
    auto place = FindAddressedData(*image.value(), *address);
    if (!place) {
        result.error = place.error() + "; nothing was written";
        return result;
    }
    // The data lies in the image itself or in one of its further tracks, each written in its own file.
    const DiscImage& disc = *place->image;
    const ImageFile* const file = place->file;
    std::error_code ignored;
    if (std::filesystem::exists(JournalPathFor(disc.DataPath()), ignored)) {
        result.error = Quoted(disc.DataPath()) + ": its journal " +
                       Quoted(JournalPathFor(disc.DataPath()).string()) +
                       " does not match it and was left in place; nothing was written";
        return result;
    }
    // An address into sectors without user data (Form 2 streams) or past the data's end names no item.
    if (address->offset >= disc.DataSize(file)) {
        result.error = Quoted(text) + " lies past the end of its data; nothing was written";
        return result;
    }
    if (auto first = disc.Locate(file, address->offset, 1); !first) {
        result.error = Quoted(text) + ": " + first.error() + "; nothing was written";
        return result;
    }
    auto loaded = LoadItem(*image.value(), *address);
    if (!loaded) {
        result.error = loaded.error() + ": the bytes at " + Quoted(text) +
                       " no longer read as a model or a texture; nothing was written";
        return result;
    }
    const ItemFormat format = loaded->item.format;
    DetectedItem replacement;
    if (DetectItem(newBytes, true, kAllFormats, replacement) != Detection::found || !replacement.complete ||
        replacement.size != newBytes.size()) {
        result.error = "the new bytes are not one whole model or texture; nothing was written";
        return result;
    }
    if (replacement.format != format) {
        result.error = std::string("the item at ") + Quoted(text) + " is a " + KindName(format) + "; a " +
                       KindName(replacement.format) + " cannot replace it; nothing was written";
        return result;
    }
    result.room = Room(disc, file, *address, loaded->item.size, options.knownRoom);
    if (newBytes.size() > result.room) {
        result.error = std::string("the new ") + KindName(format) + " is " + std::to_string(newBytes.size()) +
                       " bytes but the one at " + Quoted(text) + " has room for " +
                       std::to_string(result.room) + " bytes; nothing was written";
        return result;
    }
    if (ScanFormats().KindOf(format) == ScanTable::Kind::texture) {
        const std::string before = TextureLayout(loaded->bytes), after = TextureLayout(newBytes);
        if (before != after)
            result.warnings.push_back("the new texture (" + after + ") differs from the old one (" + before +
                                      "); the game's code may expect the old one");
    }

    auto pieces = disc.Locate(file, address->offset, result.room);
    if (!pieces) {
        result.error = pieces.error() + "; nothing was written";
        return result;
    }
    std::vector<std::uint8_t> extent(static_cast<std::size_t>(result.room), 0);
    std::copy(newBytes.begin(), newBytes.end(), extent.begin());
    const std::vector<ImagePatch> patches = BuildPatches(disc, *pieces, extent);
    const JournalWriteResult written = WriteThroughJournal(disc.DataPath(), patches, options.stop);
    result.written = written.written;
    result.error = written.message;
    return result;
}

void InstallItemWriter() {
    ItemWriter writer;
    writer.claims = [](const std::string& name) { return IsAddress(name); };
    writer.write = [](const std::string& name, std::span<const std::uint8_t> bytes, std::uint64_t knownRoom) {
        WriteBackResult result = WriteBack(name, bytes, {.knownRoom = knownRoom, .stop = {}});
        ItemWriteReport report{result.written, std::move(result.error), {}};
        for (const std::string& warning : result.warnings)
            report.messages.push_back("Warning: " + warning);
        return report;
    };
    SetItemWriter(std::move(writer));
}

} // namespace polyvane::gamedata
