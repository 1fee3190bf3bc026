#include "WriteBack.h"

#include "DiscImage.h"
#include "platform/ItemWriter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

namespace polyvane::gamedata {

namespace {

// A model or texture's extent is found by reading a window of bytes that grows until the codec
// accepts what it holds, so a small item in a large image reads little.
constexpr std::size_t kFirstWindow = std::size_t{64} << 10;
constexpr std::size_t kMaxItemBytes = std::size_t{64} << 20;

struct LocatedItem {
    DiscImage image;
    std::uint64_t start = 0; // in the image's user data
    ProbedItem item;
};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::optional<LocatedItem> Locate(const ItemAddress& address, std::string_view text, std::string& error) {
    auto image = DiscImage::Open(address.container, error);
    if (!image)
        return std::nullopt;
    std::uint64_t start = address.offset, limit = image->userDataSize();
    if (!address.pathInImage.empty()) {
        if (image->kind() == ImageKind::plain) {
            error = Quoted(address.container.string()) + " is not a disc image, so it holds no file " +
                    Quoted(address.pathInImage);
            return std::nullopt;
        }
        const auto file = image->LookUpFile(address.pathInImage);
        if (!file) {
            error = Quoted(address.container.string()) + " no longer lists the file " +
                    Quoted(address.pathInImage);
            return std::nullopt;
        }
        if (address.offset >= file->size) {
            error = Quoted(std::string(text)) + " lies past the end of " + Quoted(address.pathInImage) +
                    " (" + std::to_string(file->size) + " bytes)";
            return std::nullopt;
        }
        start = file->start + address.offset;
        limit = std::min(limit, file->start + file->size);
    }
    if (start >= limit) {
        error = Quoted(std::string(text)) + " lies past the end of the data (" + std::to_string(limit) +
                " bytes)";
        return std::nullopt;
    }
    std::vector<std::uint8_t> window;
    for (std::size_t size = kFirstWindow;; size *= 4) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>({size, kMaxItemBytes, limit - start}));
        window.resize(wanted);
        bool stoppedAtForm2 = false;
        const std::size_t got = image->Read(start, window.data(), wanted, stoppedAtForm2);
        if (got == 0 && stoppedAtForm2) {
            error = Quoted(std::string(text)) +
                    " lies in Form 2 sectors (streamed audio or video), which hold no model or texture";
            return std::nullopt;
        }
        if (auto item = ProbeItem(std::span(window.data(), got)))
            return LocatedItem{std::move(*image), start, *item};
        if (got < wanted || wanted < size)
            break;
    }
    error = "the bytes at " + Quoted(std::string(text)) +
            " no longer read as a model or a texture; the image changed since it was scanned";
    return std::nullopt;
}

std::string DescribeLayout(const TextureLayout& t) {
    static constexpr const char* kDepths[] = {"4-bit", "8-bit", "15-bit", "24-bit"};
    char text[160];
    std::snprintf(text, sizeof text, "%s, %ux%u words at (%u,%u)",
                  t.pixelMode < 4 ? kDepths[t.pixelMode] : "mixed", unsigned{t.imageWidth},
                  unsigned{t.imageHeight}, unsigned{t.imageX}, unsigned{t.imageY});
    std::string description = text;
    if (t.hasClut) {
        std::snprintf(text, sizeof text, ", colour table %ux%u at (%u,%u)", unsigned{t.clutWidth},
                      unsigned{t.clutHeight}, unsigned{t.clutX}, unsigned{t.clutY});
        description += text;
    }
    return description;
}

// The image patches that put `bytes` at `start` of the user data: one range for a plain file or an ISO,
// whole sectors with fresh codes for a raw image, and only the sectors whose user data changes.
std::optional<std::vector<ImagePatch>> BuildPatches(const DiscImage& image, std::uint64_t start,
                                                    const std::vector<std::uint8_t>& bytes,
                                                    std::string& error) {
    std::vector<ImagePatch> patches;
    if (image.kind() != ImageKind::raw) {
        patches.push_back({start, bytes});
        return patches;
    }
    std::array<std::uint8_t, kRawSectorBytes> sector{};
    for (std::uint64_t done = 0; done < bytes.size();) {
        const std::uint64_t index = (start + done) / kUserDataBytes;
        const std::size_t inner = static_cast<std::size_t>((start + done) % kUserDataBytes);
        const auto take =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size() - done, kUserDataBytes - inner));
        if (!image.ReadRawSector(index, sector)) {
            error = "sector " + std::to_string(index) + " cannot be read";
            return std::nullopt;
        }
        const std::size_t at = UserDataOffset(ClassifySector(sector)) + inner;
        const auto source = bytes.begin() + static_cast<std::ptrdiff_t>(done);
        if (!std::equal(source, source + static_cast<std::ptrdiff_t>(take),
                        sector.begin() + static_cast<std::ptrdiff_t>(at))) {
            std::copy_n(source, take, sector.begin() + static_cast<std::ptrdiff_t>(at));
            if (!RecomputeSectorCodes(sector)) {
                error = "sector " + std::to_string(index) + " holds no user data this program can write";
                return std::nullopt;
            }
            patches.push_back({index * kRawSectorBytes, {sector.begin(), sector.end()}});
        }
        done += take;
    }
    return patches;
}

// The item's room: its own size, or the room known from when it was read if zeros fill the rest of it.
std::uint64_t Room(const LocatedItem& located, std::uint64_t knownRoom) {
    const std::uint64_t size = located.item.size;
    if (knownRoom <= size || knownRoom - size > kMaxItemBytes)
        return size;
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(knownRoom - size));
    bool stoppedAtForm2 = false;
    const bool zeros =
        located.image.Read(located.start + size, tail.data(), tail.size(), stoppedAtForm2) == tail.size() &&
        std::all_of(tail.begin(), tail.end(), [](std::uint8_t b) { return b == 0; });
    return zeros ? knownRoom : size;
}

} // namespace

std::optional<WriteBackTarget> InspectTarget(std::string_view address, std::string& error) {
    const auto parsed = ParseItemAddress(address);
    if (!parsed) {
        error = Quoted(std::string(address)) + " is not an address (IMAGE::PATH@0xOFFSET or FILE@0xOFFSET)";
        return std::nullopt;
    }
    auto located = Locate(*parsed, address, error);
    if (!located)
        return std::nullopt;
    return WriteBackTarget{parsed->container.filename().string(), located->item};
}

WriteBackResult WriteBack(std::string_view address, std::span<const std::uint8_t> newBytes,
                          const WriteBackOptions& options) {
    WriteBackResult result;
    const auto parsed = ParseItemAddress(address);
    if (!parsed) {
        result.error =
            Quoted(std::string(address)) + " is not an address (IMAGE::PATH@0xOFFSET or FILE@0xOFFSET)";
        return result;
    }
    {
        auto image = DiscImage::Open(parsed->container, result.error);
        if (!image)
            return result;
        const RecoveryResult recovery = RecoverImage(image->dataFile());
        if (recovery.outcome == RecoveryResult::Outcome::leftInPlace) {
            result.error = recovery.message;
            return result;
        }
        if (recovery.outcome == RecoveryResult::Outcome::restored)
            result.notes.push_back(recovery.message);
    }
    auto located = Locate(*parsed, address, result.error);
    if (!located)
        return result;
    const ProbedItem& old = located->item;
    const std::uint64_t room = Room(*located, options.knownRoom);
    result.oldSize = room;
    result.newSize = newBytes.size();
    const auto replacement = ProbeItem(newBytes);
    if (!replacement) {
        result.error = "the new bytes read as neither a model nor a texture; nothing was written";
        return result;
    }
    if (replacement->format != old.format) {
        result.error = std::string("the item at ") + Quoted(std::string(address)) + " is a " +
                       ItemFormatName(old.format) + "; a " + ItemFormatName(replacement->format) +
                       " cannot replace it; nothing was written";
        return result;
    }
    if (newBytes.size() > room) {
        result.error = std::string("the new ") + ItemFormatName(old.format) + " is " +
                       std::to_string(newBytes.size()) + " bytes but the one at " +
                       Quoted(std::string(address)) + " has room for " + std::to_string(room) +
                       " bytes; nothing was written";
        return result;
    }
    if (old.format == ItemFormat::tim && !(replacement->texture == old.texture))
        result.warnings.push_back("the new texture (" + DescribeLayout(replacement->texture) +
                                  ") differs from the old one (" + DescribeLayout(old.texture) +
                                  "); the game's code may expect the old one");

    std::vector<std::uint8_t> extent(room, 0);
    std::copy(newBytes.begin(), newBytes.end(), extent.begin());
    auto patches = BuildPatches(located->image, located->start, extent, result.error);
    if (!patches)
        return result;
    const JournalWriteResult written = WriteThroughJournal(located->image.dataFile(), *patches, options.stop);
    result.written = written.written;
    result.error = written.message;
    return result;
}

void InstallItemWriter() {
    ItemWriter writer;
    // A name that parses as an address but is also an existing file's stays the file's.
    writer.claims = [](const std::string& name) {
        std::error_code ignored;
        return ParseItemAddress(name).has_value() && !std::filesystem::exists(name, ignored);
    };
    writer.write = [](const std::string& name, std::span<const std::uint8_t> bytes, std::uint64_t knownRoom) {
        WriteBackResult result = WriteBack(name, bytes, {.knownRoom = knownRoom, .stop = {}});
        ItemWriteReport report{result.written, std::move(result.error), std::move(result.notes)};
        for (const std::string& warning : result.warnings)
            report.messages.push_back("Warning: " + warning);
        return report;
    };
    SetItemWriter(std::move(writer));
}

} // namespace polyvane::gamedata
