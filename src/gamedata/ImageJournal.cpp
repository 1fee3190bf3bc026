#include "ImageJournal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace polyvane::gamedata {

namespace {

constexpr char kMagic[8] = {'P', 'V', 'J', 'O', 'U', 'R', 'N', 'L'};
constexpr std::uint32_t kVersion = 1;
// magic, version, patch count, image size, hash of everything after the header.
constexpr std::size_t kHeaderBytes = 8 + 4 + 4 + 8 + 8;
// offset, length, hash of the old bytes, hash of the new bytes; the old bytes follow.
constexpr std::size_t kRecordHeaderBytes = 8 + 4 + 8 + 8;

std::uint64_t Hash(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a
    for (std::uint8_t b : bytes)
        hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

template <typename T> void Put(std::vector<std::uint8_t>& out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
}

template <typename T> T Get(const std::uint8_t* at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= std::uint64_t{at[i]} << (8 * i);
    return static_cast<T>(value);
}

// A file descriptor closed when it goes out of scope.
class File {
  public:
    explicit File(int fd) : m_fd(fd) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    [[nodiscard]] int fd() const { return m_fd; }
    [[nodiscard]] bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int m_fd;
};

bool ReadAll(int fd, std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::pread(fd, out, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got, offset += static_cast<std::uint64_t>(got), count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool WriteAll(int fd, std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t put = ::pwrite(fd, bytes, count, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = EIO;
            return false;
        }
        bytes += put, offset += static_cast<std::uint64_t>(put), count -= static_cast<std::size_t>(put);
    }
    return true;
}

// A file's creation and removal are durable only once its folder is flushed too.
void FlushFolderOf(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    File dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (dir.fd() >= 0)
        ::fsync(dir.fd());
}

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + path.string() + "\"";
}

std::string SystemError() {
    return std::strerror(errno);
}

struct JournalRecord {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    std::uint64_t oldHash = 0, newHash = 0;
    const std::uint8_t* oldBytes = nullptr;
};

} // namespace

std::filesystem::path JournalPathFor(const std::filesystem::path& image) {
    std::filesystem::path journal = image;
    journal += kJournalSuffix;
    return journal;
}

JournalWriteResult WriteThroughJournal(const std::filesystem::path& image,
                                       std::span<const ImagePatch> patches, WriteStop stop) {
    const std::filesystem::path journalPath = JournalPathFor(image);
    const auto refuse = [&](std::string why) {
        return JournalWriteResult{false, Quoted(image) + ": " + why};
    };
    std::error_code ignored;
    if (std::filesystem::exists(journalPath, ignored))
        return refuse("the journal " + Quoted(journalPath) +
                      " of an unfinished write is still there; open the image again to recover it first");

    File imageFile(::open(image.c_str(), O_RDWR | O_CLOEXEC));
    if (imageFile.fd() < 0)
        return refuse("cannot be written (" + SystemError() + "); nothing was changed");
    struct stat info {};
    if (::fstat(imageFile.fd(), &info) != 0)
        return refuse("cannot be read (" + SystemError() + "); nothing was changed");
    const auto imageSize = static_cast<std::uint64_t>(info.st_size);

    std::vector<std::uint8_t> body;
    std::vector<std::vector<std::uint8_t>> oldBytes(patches.size());
    for (std::size_t i = 0; i < patches.size(); ++i) {
        const ImagePatch& patch = patches[i];
        if (patch.offset > imageSize || patch.bytes.size() > imageSize - patch.offset)
            return refuse("a range to write lies past the end of the image; nothing was changed");
        oldBytes[i].resize(patch.bytes.size());
        if (!ReadAll(imageFile.fd(), patch.offset, oldBytes[i].data(), oldBytes[i].size()))
            return refuse("cannot be read (" + SystemError() + "); nothing was changed");
        Put<std::uint64_t>(body, patch.offset);
        Put<std::uint32_t>(body, static_cast<std::uint32_t>(patch.bytes.size()));
        Put<std::uint64_t>(body, Hash(oldBytes[i]));
        Put<std::uint64_t>(body, Hash(patch.bytes));
        body.insert(body.end(), oldBytes[i].begin(), oldBytes[i].end());
    }
    std::vector<std::uint8_t> journal(kMagic, kMagic + sizeof kMagic);
    Put<std::uint32_t>(journal, kVersion);
    Put<std::uint32_t>(journal, static_cast<std::uint32_t>(patches.size()));
    Put<std::uint64_t>(journal, imageSize);
    Put<std::uint64_t>(journal, Hash(body));
    journal.insert(journal.end(), body.begin(), body.end());

    {
        File journalFile(::open(journalPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (journalFile.fd() < 0)
            return refuse("the journal " + Quoted(journalPath) + " cannot be created (" + SystemError() +
                          "); nothing was changed");
        if (!WriteAll(journalFile.fd(), 0, journal.data(), journal.size()) ||
            ::fsync(journalFile.fd()) != 0 || !journalFile.Close()) {
            const std::string why = SystemError();
            std::filesystem::remove(journalPath, ignored);
            return refuse("the journal " + Quoted(journalPath) + " cannot be written (" + why +
                          "); nothing was changed");
        }
    }
    FlushFolderOf(journalPath);
    if (stop.afterJournal)
        return refuse("stopped after the journal");

    for (std::size_t i = 0; i < patches.size(); ++i) {
        if (stop.afterPatches == static_cast<int>(i))
            return refuse("stopped after " + std::to_string(i) + " ranges");
        if (!WriteAll(imageFile.fd(), patches[i].offset, patches[i].bytes.data(), patches[i].bytes.size())) {
            const std::string why = SystemError();
            // Put back what was written so far; should that fail too, the journal stays for the next open.
            bool restored = true;
            for (std::size_t j = 0; j <= i; ++j)
                restored = restored && WriteAll(imageFile.fd(), patches[j].offset, oldBytes[j].data(),
                                                oldBytes[j].size());
            if (restored && ::fsync(imageFile.fd()) == 0) {
                std::filesystem::remove(journalPath, ignored);
                return refuse("cannot be written (" + why + "); the old bytes were put back");
            }
            return refuse("cannot be written (" + why + "); its journal " + Quoted(journalPath) +
                          " restores it on the next open");
        }
    }
    if (stop.afterPatches == static_cast<int>(patches.size()))
        return refuse("stopped after every range, before the flush");
    if (::fsync(imageFile.fd()) != 0)
        return refuse("cannot be flushed (" + SystemError() + "); its journal " + Quoted(journalPath) +
                      " restores it on the next open");
    std::filesystem::remove(journalPath, ignored);
    FlushFolderOf(journalPath);
    return {true, {}};
}

RecoveryResult RecoverImage(const std::filesystem::path& image) {
    using Outcome = RecoveryResult::Outcome;
    const std::filesystem::path journalPath = JournalPathFor(image);
    std::error_code ignored;
    if (!std::filesystem::exists(journalPath, ignored))
        return {};
    const auto leave = [&](std::string why) {
        return RecoveryResult{Outcome::leftInPlace,
                              Quoted(journalPath) + " " + why +
                                  "; the journal was left in place and the image not touched"};
    };

    std::vector<std::uint8_t> journal;
    {
        File journalFile(::open(journalPath.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info {};
        if (journalFile.fd() < 0 || ::fstat(journalFile.fd(), &info) != 0)
            return leave("cannot be read (" + SystemError() + ")");
        journal.resize(static_cast<std::size_t>(info.st_size));
        if (!ReadAll(journalFile.fd(), 0, journal.data(), journal.size()))
            return leave("cannot be read (" + SystemError() + ")");
    }
    if (journal.size() < kHeaderBytes || !std::equal(kMagic, kMagic + sizeof kMagic, journal.begin()) ||
        Get<std::uint32_t>(&journal[8]) != kVersion)
        return leave("is not a journal this program can read");
    const auto count = Get<std::uint32_t>(&journal[12]);
    const auto journalImageSize = Get<std::uint64_t>(&journal[16]);
    const std::span<const std::uint8_t> body(journal.data() + kHeaderBytes, journal.size() - kHeaderBytes);
    if (Get<std::uint64_t>(&journal[24]) != Hash(body))
        return leave("is incomplete or damaged (its checksum does not match)");

    std::vector<JournalRecord> records;
    for (std::size_t at = 0, i = 0; i < count; ++i) {
        if (body.size() - at < kRecordHeaderBytes)
            return leave("is incomplete");
        JournalRecord record{Get<std::uint64_t>(&body[at]), Get<std::uint32_t>(&body[at + 8]),
                             Get<std::uint64_t>(&body[at + 12]), Get<std::uint64_t>(&body[at + 20]), nullptr};
        at += kRecordHeaderBytes;
        if (body.size() - at < record.length)
            return leave("is incomplete");
        record.oldBytes = &body[at];
        at += record.length;
        records.push_back(record);
    }

    File imageFile(::open(image.c_str(), O_RDWR | O_CLOEXEC));
    if (imageFile.fd() < 0)
        return leave("cannot be applied: the image cannot be written (" + SystemError() + ")");
    struct stat info {};
    if (::fstat(imageFile.fd(), &info) != 0 || static_cast<std::uint64_t>(info.st_size) != journalImageSize)
        return leave("belongs to another image (the sizes differ)");
    // Each range must hold either its old or its new bytes; anything else is another image's journal.
    std::vector<std::uint8_t> current;
    for (const JournalRecord& record : records) {
        current.resize(record.length);
        if (record.offset > journalImageSize || record.length > journalImageSize - record.offset ||
            !ReadAll(imageFile.fd(), record.offset, current.data(), current.size()))
            return leave("belongs to another image (a range lies outside it)");
        const std::uint64_t hash = Hash(current);
        if (hash != record.oldHash && hash != record.newHash)
            return leave("belongs to another image (its bytes match neither the old nor the new ones)");
    }
    for (const JournalRecord& record : records)
        if (!WriteAll(imageFile.fd(), record.offset, record.oldBytes, record.length))
            return leave("could not be applied (" + SystemError() + ")");
    if (::fsync(imageFile.fd()) != 0)
        return leave("could not be applied (" + SystemError() + ")");
    std::filesystem::remove(journalPath, ignored);
    FlushFolderOf(journalPath);
    return {Outcome::restored, Quoted(image) + ": an unfinished write was undone from its journal " +
                                   Quoted(journalPath) + " (" + std::to_string(records.size()) +
                                   " ranges restored)"};
}

} // namespace polyvane::gamedata
