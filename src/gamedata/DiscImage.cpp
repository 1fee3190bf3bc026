// Opening game data: the kind of image from its sectors, the cue sheet and the ISO 9660 directory tree
// through libcdio and libiso9660, and the sectors' user data read straight from the mapped data file.
#include "DiscImage.h"

#include "ImageJournal.h"
#include "platform/MessageBox.h"

#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <set>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace polyvane::gamedata {

namespace {

constexpr std::uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::uint32_t kVolumeDescriptorLsn = 16;
// Directory trees deeper than this, or holding more files, are not a game disc's: the rest is
// stepped over so that a corrupt tree costs bounded time.
constexpr int kMaxDirectoryDepth = 32;
constexpr std::size_t kMaxFiles = 200'000;
constexpr std::uint32_t kMaxDirectoryBytes = 4u << 20;

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) != suffix[i])
            return false;
    return true;
}

// libcdio reports what it steps over on standard error; the image's own warnings say it instead.
void QuietLog(cdio_log_level_t, const char*) {}

struct IsoCloser {
    void operator()(iso9660_t* p) const { iso9660_close(p); }
};

// The ISO 9660 name without its ";1" version and without the dot of a name that has no extension.
std::string PlainName(const char* name) {
    std::string text(name);
    if (const auto semicolon = text.rfind(';'); semicolon != std::string::npos)
        text.resize(semicolon);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

struct CueTrack {
    int number = 0;
    std::string file; // the BIN holding it, with the sheet's folder in front of a relative name
    bool data = false;
    std::uint64_t sectorSize = kRawSectorSize;
    std::uint64_t startFrame = 0; // its INDEX 01, in sectors from the start of its BIN
};

// A cue sheet's FILE, TRACK and INDEX 01 lines; every other command is not needed to find the data.
// A real sheet is a few KiB with at most 99 tracks, so anything beyond that is refused unread.
Result<std::vector<CueTrack>, std::string> ReadCueSheet(const std::string& path) {
    constexpr std::size_t kMaxSheetBytes = 64 * 1024;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::string("Cannot open the cue sheet " + path + ": " + std::strerror(errno));
    std::string text(kMaxSheetBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxSheetBytes)
        return std::string("The cue sheet " + path + " is too big to be a cue sheet");

    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::vector<CueTrack> tracks;
    std::string file;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        std::transform(command.begin(), command.end(), command.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (command == "FILE") {
            // FILE "name with spaces" TYPE, or FILE name TYPE
            words >> std::ws;
            std::string name;
            if (words.peek() == '"')
                words >> std::quoted(name);
            else
                words >> name;
            file = name.empty() ? name : (folder / name).string();
        } else if (command == "TRACK") {
            if (file.empty())
                return std::string("The cue sheet " + path + " names a track before any FILE line");
            if (tracks.size() == 99)
                return std::string("The cue sheet " + path + " names more than 99 tracks");
            CueTrack track;
            std::string type;
            words >> track.number >> type;
            std::transform(type.begin(), type.end(), type.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            track.file = file;
            track.data = type == "MODE1/2352" || type == "MODE2/2352" || type == "MODE1/2048";
            track.sectorSize = type == "MODE1/2048" ? kUserDataSize : kRawSectorSize;
            tracks.push_back(track);
        } else if (command == "INDEX" && !tracks.empty()) {
            int index = -1;
            unsigned minutes = 0, seconds = 0, frames = 0;
            char colon1 = 0, colon2 = 0;
            words >> index >> minutes >> colon1 >> seconds >> colon2 >> frames;
            if (words && index == 1 && colon1 == ':' && colon2 == ':')
                tracks.back().startFrame = (std::uint64_t{minutes} * 60 + seconds) * 75 + frames;
        }
    }
    if (tracks.empty())
        return std::string("The cue sheet " + path + " names no track");
    return tracks;
}

} // namespace

const char* SectorModeName(SectorMode mode) {
    switch (mode) {
    case SectorMode::cooked:
        return "cooked";
    case SectorMode::mode1:
        return "mode1";
    case SectorMode::mode2Form1:
        return "mode2form1";
    case SectorMode::mode2Form2:
        return "mode2form2";
    case SectorMode::invalid:
        return "invalid";
    }
    return "invalid";
}

DiscImage::~DiscImage() {
    if (m_map)
        munmap(const_cast<std::uint8_t*>(m_map), m_mapSize);
    if (m_fd >= 0)
        ::close(m_fd);
}

Result<std::unique_ptr<DiscImage>, std::string> DiscImage::Open(const std::string& path) {
    static const bool quiet = [] {
        cdio_log_set_handler(QuietLog);
        return true;
    }();
    (void)quiet;

    if (!EndsWithNoCase(path, ".cue"))
        return OpenData(path, path, 0, false);
    auto tracks = ReadCueSheet(path);
    if (!tracks)
        return tracks.error();
    const auto data = std::find_if(tracks->begin(), tracks->end(), [](const CueTrack& t) { return t.data; });
    if (data == tracks->end())
        return std::string("The cue sheet " + path + " has no data track");
    auto image = OpenData(path, data->file, data->startFrame * data->sectorSize, true);
    if (!image)
        return image;
    // Later data tracks in the first one's BIN lie after its sectors and are scanned with them; the first
    // data track of every other BIN is an image of its own.
    std::set<std::string> read = {data->file};
    for (auto t = data + 1; t != tracks->end(); ++t) {
        if (!t->data || !read.insert(t->file).second)
            continue;
        char name[16];
        std::snprintf(name, sizeof name, "TRACK%02d", t->number);
        auto track = OpenData(t->file, t->file, t->startFrame * t->sectorSize, true);
        if (!track) {
            image.value()->m_warnings.push_back("Data track " + std::to_string(t->number) +
                                                " is not scanned: " + track.error());
            continue;
        }
        for (const std::string& warning : track.value()->m_warnings)
            image.value()->m_warnings.push_back(std::string(name) + ": " + warning);
        image.value()->m_tracks.push_back({name, std::move(track.value())});
    }
    return image;
}

std::optional<DataPlace> DiscImage::Resolve(const std::optional<std::string>& path) const {
    if (!path)
        return DataPlace{this, nullptr};
    if (const ImageFile* file = FindFile(*path))
        return DataPlace{this, file};
    for (const Track& track : m_tracks) {
        if (*path == track.name)
            return DataPlace{track.image.get(), nullptr};
        if (path->size() > track.name.size() + 1 && path->starts_with(track.name) &&
            (*path)[track.name.size()] == '/')
            if (const ImageFile* file =
                    track.image->FindFile(std::string_view(*path).substr(track.name.size() + 1)))
                return DataPlace{track.image.get(), file};
    }
    return std::nullopt;
}

Result<std::unique_ptr<DiscImage>, std::string>
DiscImage::OpenData(const std::string& path, const std::string& dataPath, std::uint64_t base, bool fromCue) {
    std::unique_ptr<DiscImage> image(new DiscImage);
    image->m_path = path;
    image->m_dataPath = dataPath;
    image->m_dataBase = base;

    // A write into the image that did not finish is undone before anything reads it.
    if (const RecoveryResult recovery = RecoverImage(image->m_dataPath);
        recovery.outcome != RecoveryResult::Outcome::noJournal)
        AfxMessageBox(recovery.message);

    std::string error;
    if (!image->MapData(error))
        return error;

    const std::span<const std::uint8_t> all(image->m_map, image->m_mapSize);
    const std::span<const std::uint8_t> data =
        all.subspan(std::min<std::uint64_t>(image->m_dataBase, all.size()));
    const auto hasSync = [&](std::uint64_t at) {
        return at + sizeof kSync <= data.size() && std::memcmp(data.data() + at, kSync, sizeof kSync) == 0;
    };
    const auto hasVolumeId = [&](std::uint64_t at) {
        return at + 6 <= data.size() && std::memcmp(data.data() + at + 1, "CD001", 5) == 0;
    };
    if (hasSync(0) || hasSync(std::uint64_t{kVolumeDescriptorLsn} * kRawSectorSize))
        image->m_kind = ImageKind::raw;
    else if (hasVolumeId(std::uint64_t{kVolumeDescriptorLsn} * kUserDataSize))
        image->m_kind = ImageKind::iso;
    else if (fromCue)
        return std::string("The data track of " + path + " has neither raw sectors nor an ISO 9660 volume");
    else
        image->m_kind = ImageKind::plainFile;

    if (image->m_kind == ImageKind::raw) {
        image->m_sectorSize = kRawSectorSize;
        image->m_sectorCount = static_cast<std::uint32_t>(
            std::min<std::uint64_t>((data.size() + kRawSectorSize - 1) / kRawSectorSize, UINT32_MAX));
        image->m_userSize = std::uint64_t{image->m_sectorCount} * kUserDataSize;
        if (data.size() % kRawSectorSize)
            image->m_warnings.push_back("The image ends inside a sector: its last sector is cut off");
    } else {
        image->m_sectorSize = kUserDataSize;
        image->m_sectorCount = static_cast<std::uint32_t>(
            std::min<std::uint64_t>((data.size() + kUserDataSize - 1) / kUserDataSize, UINT32_MAX));
        image->m_userSize = data.size();
    }
    if (image->m_kind != ImageKind::plainFile)
        image->ListFiles();
    return image;
}

bool DiscImage::MapData(std::string& error) {
    m_fd = ::open(m_dataPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        error = m_dataPath == m_path ? "Cannot open " + m_path + ": " + std::strerror(errno)
                                     : "The cue sheet " + m_path + " names " + m_dataPath +
                                           ", which cannot be opened: " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "Cannot read " + m_dataPath + ": not a regular file";
        return false;
    }
    m_mapSize = static_cast<std::size_t>(info.st_size);
    if (m_mapSize > 0) {
        void* map = mmap(nullptr, m_mapSize, PROT_READ, MAP_PRIVATE, m_fd, 0);
        if (map == MAP_FAILED) {
            m_mapSize = 0;
            error = "Cannot map " + m_dataPath + ": " + std::strerror(errno);
            return false;
        }
        m_map = static_cast<const std::uint8_t*>(map);
    }
    if (m_dataPath != m_path && m_dataBase >= m_mapSize) {
        error = "The BIN " + m_dataPath + " is too short: the data track of " + m_path + " starts at byte " +
                std::to_string(m_dataBase) + " but the BIN holds " + std::to_string(m_mapSize);
        return false;
    }
    return true;
}

void DiscImage::ListFiles() {
    // The file system is only trusted where it lies where this reader looks for it: the volume
    // descriptor at sector 16 of the data track's user data.
    const std::span<const std::uint8_t> descriptor = UserData(kVolumeDescriptorLsn);
    if (descriptor.size() < 6 || std::memcmp(descriptor.data() + 1, "CD001", 5) != 0) {
        m_warnings.push_back("No ISO 9660 file system: the image's sectors are scanned as they are");
        return;
    }
    std::unique_ptr<iso9660_t, IsoCloser> iso;
    if (m_dataBase == 0 && m_kind == ImageKind::iso)
        iso.reset(iso9660_open_ext(m_dataPath.c_str(), ISO_EXTENSION_NONE));
    else if (m_dataBase == 0)
        iso.reset(iso9660_open_fuzzy_ext(m_dataPath.c_str(), ISO_EXTENSION_NONE, 24));
    if (!iso) {
        m_warnings.push_back(
            "The ISO 9660 file system cannot be read: the image's sectors are scanned as they are");
        return;
    }

    std::set<std::uint32_t> visited;
    struct Pending {
        std::string path;
        int depth;
    };
    // The reader allocates a directory's whole claimed size before reading it: a directory bigger
    // than a disc's directories ever are, or past the image's end, is stepped over unread.
    const auto readable = [&](const iso9660_stat_t* stat, const std::string& path) {
        const bool fits = stat && stat->lsn >= 0 && stat->size <= kMaxDirectoryBytes &&
                          std::uint64_t(stat->lsn) + stat->size / kUserDataSize < m_sectorCount;
        if (!fits)
            m_warnings.push_back("The directory /" + path + " is not where its record says");
        return fits;
    };
    std::vector<Pending> pending;
    {
        iso9660_stat_t* root = iso9660_ifs_stat(iso.get(), "/");
        if (readable(root, ""))
            pending.push_back({"", 0});
        if (root)
            iso9660_stat_free(root);
    }
    while (!pending.empty() && m_files.size() < kMaxFiles) {
        const Pending dir = pending.back();
        pending.pop_back();
        const std::string query = "/" + dir.path;
        CdioList_t* list = iso9660_ifs_readdir(iso.get(), query.c_str());
        if (!list) {
            m_warnings.push_back("The directory /" + dir.path + " cannot be read");
            continue;
        }
        for (CdioListNode_t* node = _cdio_list_begin(list); node; node = _cdio_list_node_next(node)) {
            const auto* stat = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
            const std::string name = PlainName(stat->filename);
            if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
                continue;
            const std::string childPath = dir.path.empty() ? name : dir.path + "/" + name;
            const auto lsn = static_cast<std::uint32_t>(stat->lsn);
            if (stat->lsn < 0 || lsn >= m_sectorCount) {
                m_warnings.push_back("/" + childPath + " starts past the end of the image");
                continue;
            }
            if (stat->type == iso9660_stat_s::_STAT_DIR) {
                if (!readable(stat, childPath))
                    continue;
                if (!visited.insert(lsn).second || dir.depth + 1 > kMaxDirectoryDepth) {
                    m_warnings.push_back("The directory /" + childPath + " loops back into the tree");
                    continue;
                }
                pending.push_back({childPath, dir.depth + 1});
                continue;
            }
            ImageFile file;
            file.path = childPath;
            file.firstLsn = lsn;
            file.size = stat->size;
            const std::uint64_t room = std::uint64_t{m_sectorCount - lsn} * kUserDataSize;
            if (file.size > room) {
                file.size = room;
                file.cutOff = true;
                m_warnings.push_back("/" + childPath + " runs past the end of the image");
            }
            m_files.push_back(std::move(file));
            if (m_files.size() >= kMaxFiles)
                break;
        }
        iso9660_filelist_free(list);
    }
    if (m_files.size() >= kMaxFiles)
        m_warnings.push_back("The file system lists too many files: the rest are scanned as sectors");
    std::sort(m_files.begin(), m_files.end(),
              [](const ImageFile& a, const ImageFile& b) { return a.path < b.path; });
    m_files.erase(std::unique(m_files.begin(), m_files.end(),
                              [](const ImageFile& a, const ImageFile& b) { return a.path == b.path; }),
                  m_files.end());
}

std::span<const std::uint8_t> DiscImage::RawSector(std::uint32_t lsn) const {
    const std::uint64_t start = m_dataBase + std::uint64_t{lsn} * m_sectorSize;
    if (lsn >= m_sectorCount || start >= m_mapSize)
        return {};
    return {m_map + start,
            static_cast<std::size_t>(std::min<std::uint64_t>(m_sectorSize, m_mapSize - start))};
}

namespace {
// A raw sector's mode from its header and subheader.
SectorMode RawSectorMode(std::span<const std::uint8_t> sector) {
    if (sector.size() < 24 || std::memcmp(sector.data(), kSync, sizeof kSync) != 0)
        return SectorMode::invalid;
    switch (sector[15]) {
    case 1:
        return SectorMode::mode1;
    case 2:
        // Submode bit 5 of the subheader marks Form 2.
        return (sector[18] & 0x20) ? SectorMode::mode2Form2 : SectorMode::mode2Form1;
    default:
        return SectorMode::invalid;
    }
}
} // namespace

SectorMode DiscImage::ModeOf(std::uint32_t lsn) const {
    if (m_kind != ImageKind::raw)
        return lsn < m_sectorCount ? SectorMode::cooked : SectorMode::invalid;
    return RawSectorMode(RawSector(lsn));
}

std::span<const std::uint8_t> DiscImage::UserData(std::uint32_t lsn) const {
    const SectorMode mode = ModeOf(lsn);
    if (!HoldsUserData(mode))
        return {};
    const std::span<const std::uint8_t> sector = RawSector(lsn);
    const std::size_t start = mode == SectorMode::cooked ? 0 : mode == SectorMode::mode1 ? 16 : 24;
    if (sector.size() <= start)
        return {};
    return sector.subspan(start, std::min<std::size_t>(kUserDataSize, sector.size() - start));
}

const ImageFile* DiscImage::FindFile(std::string_view path) const {
    const auto it = std::lower_bound(m_files.begin(), m_files.end(), path,
                                     [](const ImageFile& f, std::string_view p) { return f.path < p; });
    return it != m_files.end() && it->path == path ? &*it : nullptr;
}

Result<std::vector<SectorPiece>, std::string> DiscImage::Locate(const ImageFile* file, std::uint64_t offset,
                                                                std::uint64_t length) const {
    const std::uint64_t size = DataSize(file);
    if (offset > size || length > size - offset)
        return std::string("The bytes lie past the end of the data");
    std::vector<SectorPiece> pieces;
    const std::uint64_t first = file ? file->firstLsn : 0;
    std::uint64_t position = offset;
    while (position < offset + length) {
        const std::uint64_t lsn = first + position / kUserDataSize;
        const auto within = static_cast<std::uint32_t>(position % kUserDataSize);
        const std::span<const std::uint8_t> user =
            lsn < m_sectorCount ? UserData(static_cast<std::uint32_t>(lsn)) : std::span<const std::uint8_t>{};
        if (user.size() <= within)
            return std::string("Sector " + std::to_string(lsn) + " holds no user data (" +
                               SectorModeName(ModeOf(static_cast<std::uint32_t>(lsn))) + ")");
        SectorPiece piece;
        piece.lsn = static_cast<std::uint32_t>(lsn);
        piece.mode = ModeOf(piece.lsn);
        piece.sectorOffset = m_dataBase + lsn * m_sectorSize;
        piece.dataOffset = static_cast<std::uint64_t>(user.data() - m_map) + within;
        piece.length = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(user.size() - within, offset + length - position));
        pieces.push_back(piece);
        position += piece.length;
    }
    return pieces;
}

std::size_t DiscImage::ReadAt(std::uint64_t at, std::uint8_t* out, std::size_t count) const {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(m_fd, out + done, count - done, static_cast<off_t>(at + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// Reads go through the file rather than the mapping: copying from the page cache the way `cat` does is
// several times cheaper than walking a large mapping page by page.
std::size_t DiscImage::Read(const ImageFile* file, std::uint64_t offset, std::span<std::uint8_t> out) const {
    const std::uint64_t size = DataSize(file);
    if (offset >= size)
        return 0;
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size - offset));
    if (IsCooked())
        return ReadAt(m_dataBase + (file ? std::uint64_t{file->firstLsn} * kUserDataSize : 0) + offset,
                      out.data(), wanted);
    // Raw sectors come in batches; each one's user data is copied out while the batch is in cache.
    constexpr std::size_t kBatch = 32;
    thread_local std::vector<std::uint8_t> batch(kBatch * kRawSectorSize);
    const std::uint64_t first = (file ? file->firstLsn : 0) + offset / kUserDataSize;
    std::size_t done = 0;
    for (std::uint64_t lsn = first; done < wanted && lsn < m_sectorCount; lsn += kBatch) {
        const std::size_t sectors =
            static_cast<std::size_t>(std::min<std::uint64_t>(kBatch, m_sectorCount - lsn));
        const std::size_t got =
            ReadAt(m_dataBase + lsn * kRawSectorSize, batch.data(), sectors * kRawSectorSize);
        for (std::size_t k = 0; k < sectors && done < wanted; ++k) {
            const std::span<const std::uint8_t> sector =
                std::span<const std::uint8_t>(batch)
                    .subspan(std::min(k * kRawSectorSize, got))
                    .first(std::min<std::size_t>(kRawSectorSize,
                                                 got > k * kRawSectorSize ? got - k * kRawSectorSize : 0));
            const SectorMode mode = RawSectorMode(sector);
            const std::size_t start = mode == SectorMode::mode1 ? 16 : 24;
            if (!HoldsUserData(mode) || sector.size() < start + kUserDataSize)
                return done;
            const std::size_t within = done == 0 ? static_cast<std::size_t>(offset % kUserDataSize) : 0;
            const std::size_t count = std::min(kUserDataSize - within, wanted - done);
            std::memcpy(out.data() + done, sector.data() + start + within, count);
            done += count;
        }
    }
    return done;
}

} // namespace polyvane::gamedata
