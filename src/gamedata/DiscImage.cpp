#include "DiscImage.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <memory>

#include <cdio/iso9660.h>

namespace polyvane::gamedata {

namespace {

constexpr std::uint64_t kPrimaryDescriptorSector = 16;

bool EndsWithCaseless(const std::string& text, std::string_view suffix) {
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

// The data file a cue sheet's first FILE line names, beside the sheet.
std::optional<std::filesystem::path> CueDataFile(const std::filesystem::path& cue) {
    std::ifstream in(cue);
    std::string line;
    while (std::getline(in, line)) {
        const auto keyword = line.find_first_not_of(" \t");
        if (keyword == std::string::npos || line.compare(keyword, 5, "FILE ") != 0)
            continue;
        const auto open = line.find('"', keyword), close = line.rfind('"');
        std::string name;
        if (open != std::string::npos && close > open)
            name = line.substr(open + 1, close - open - 1);
        else {
            const auto start = line.find_first_not_of(' ', keyword + 5);
            name = line.substr(start, line.find(' ', start) - start);
        }
        return cue.parent_path() / name;
    }
    return std::nullopt;
}

struct IsoCloser {
    void operator()(iso9660_t* iso) const { iso9660_close(iso); }
};
struct StatFreer {
    void operator()(iso9660_stat_t* stat) const { iso9660_stat_free(stat); }
};

} // namespace

std::optional<ItemAddress> ParseItemAddress(std::string_view text) {
    const auto at = text.rfind("@0x");
    if (at == std::string_view::npos || at == 0 || at + 3 == text.size())
        return std::nullopt;
    ItemAddress address;
    const std::string_view hex = text.substr(at + 3);
    const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), address.offset, 16);
    if (error != std::errc() || end != hex.data() + hex.size())
        return std::nullopt;
    const std::string_view left = text.substr(0, at);
    const auto separator = left.rfind("::");
    if (separator != std::string_view::npos) {
        address.container = std::string(left.substr(0, separator));
        address.pathInImage = std::string(left.substr(separator + 2));
        while (!address.pathInImage.empty() && address.pathInImage.front() == '/')
            address.pathInImage.erase(0, 1);
        if (address.container.empty() || address.pathInImage.empty())
            return std::nullopt;
    } else {
        address.container = std::string(left);
    }
    return address;
}

bool LooksLikeItemAddress(std::string_view text) {
    return ParseItemAddress(text).has_value();
}

std::optional<DiscImage> DiscImage::Open(const std::filesystem::path& container, std::string& error) {
    DiscImage image;
    image.m_dataFile = container;
    if (EndsWithCaseless(container.string(), ".cue")) {
        auto data = CueDataFile(container);
        if (!data) {
            error = "\"" + container.string() + "\" names no data file";
            return std::nullopt;
        }
        image.m_dataFile = *data;
    }
    std::error_code code;
    image.m_fileSize = std::filesystem::file_size(image.m_dataFile, code);
    if (code) {
        error = "\"" + image.m_dataFile.string() + "\" cannot be read (" + code.message() + ")";
        return std::nullopt;
    }
    std::ifstream in(image.m_dataFile, std::ios::binary);
    std::array<std::uint8_t, kRawSectorBytes> sector{};
    if (image.m_fileSize % kRawSectorBytes == 0 &&
        image.m_fileSize > kPrimaryDescriptorSector * kRawSectorBytes) {
        in.seekg(static_cast<std::streamoff>(kPrimaryDescriptorSector * kRawSectorBytes));
        in.read(reinterpret_cast<char*>(sector.data()), kRawSectorBytes);
        if (in && ClassifySector(sector) != SectorMode::other) {
            image.m_kind = ImageKind::raw;
            return image;
        }
        in.clear();
    }
    if (image.m_fileSize > (kPrimaryDescriptorSector + 1) * kUserDataBytes) {
        in.seekg(static_cast<std::streamoff>(kPrimaryDescriptorSector * kUserDataBytes));
        in.read(reinterpret_cast<char*>(sector.data()), 6);
        if (in && std::equal(sector.begin() + 1, sector.begin() + 6, "CD001"))
            image.m_kind = ImageKind::iso;
    }
    return image;
}

std::uint64_t DiscImage::userDataSize() const {
    return m_kind == ImageKind::raw ? m_fileSize / kRawSectorBytes * kUserDataBytes : m_fileSize;
}

std::optional<FileExtent> DiscImage::LookUpFile(const std::string& path) const {
    if (m_kind == ImageKind::plain)
        return std::nullopt;
    std::unique_ptr<iso9660_t, IsoCloser> iso(
        m_kind == ImageKind::raw ? iso9660_open_fuzzy_ext(m_dataFile.c_str(), ISO_EXTENSION_NONE, 24)
                                 : iso9660_open_ext(m_dataFile.c_str(), ISO_EXTENSION_NONE));
    if (!iso)
        return std::nullopt;
    const std::string absolute = "/" + path;
    std::unique_ptr<iso9660_stat_t, StatFreer> stat(iso9660_ifs_stat(iso.get(), (absolute + ";1").c_str()));
    if (!stat)
        stat.reset(iso9660_ifs_stat(iso.get(), absolute.c_str()));
    if (!stat)
        stat.reset(iso9660_ifs_stat_translate(iso.get(), absolute.c_str()));
    if (!stat || stat->type != iso9660_stat_s::_STAT_FILE)
        return std::nullopt;
    return FileExtent{std::uint64_t{static_cast<std::uint32_t>(stat->lsn)} * kUserDataBytes, stat->size};
}

std::size_t DiscImage::Read(std::uint64_t offset, std::uint8_t* out, std::size_t count,
                            bool& stoppedAtForm2) const {
    stoppedAtForm2 = false;
    std::ifstream in(m_dataFile, std::ios::binary);
    if (offset >= userDataSize())
        return 0;
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, userDataSize() - offset));
    if (m_kind != ImageKind::raw) {
        in.seekg(static_cast<std::streamoff>(offset));
        in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
        return static_cast<std::size_t>(in.gcount());
    }
    std::array<std::uint8_t, kRawSectorBytes> sector{};
    std::size_t done = 0;
    while (done < count) {
        const std::uint64_t index = (offset + done) / kUserDataBytes;
        const std::size_t inner = static_cast<std::size_t>((offset + done) % kUserDataBytes);
        in.seekg(static_cast<std::streamoff>(index * kRawSectorBytes));
        in.read(reinterpret_cast<char*>(sector.data()), kRawSectorBytes);
        if (!in)
            break;
        const SectorMode mode = ClassifySector(sector);
        if (mode != SectorMode::mode1 && mode != SectorMode::mode2Form1) {
            stoppedAtForm2 = mode == SectorMode::mode2Form2;
            break;
        }
        const std::size_t take = std::min(count - done, kUserDataBytes - inner);
        std::copy_n(sector.begin() + static_cast<std::ptrdiff_t>(UserDataOffset(mode) + inner), take,
                    out + done);
        done += take;
    }
    return done;
}

bool DiscImage::ReadRawSector(std::uint64_t index, std::span<std::uint8_t, kRawSectorBytes> out) const {
    std::ifstream in(m_dataFile, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(index * kRawSectorBytes));
    in.read(reinterpret_cast<char*>(out.data()), kRawSectorBytes);
    return static_cast<bool>(in);
}

} // namespace polyvane::gamedata
