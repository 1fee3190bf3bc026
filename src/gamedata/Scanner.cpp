// The scan: regions of user data, chunks of them shared among threads, a word-at-a-time filter for
// the first bytes of an item, and detection where the filter lets a byte through.
#include "Scanner.h"

#include "platform/ByteReader.h"
#include "platform/Parallel.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace polyvane::gamedata {

namespace {

// Bytes of one piece of work; a multiple of the sector's user data so that chunks start on sectors.
constexpr std::uint64_t kChunkBytes = std::uint64_t{1} << 20;
// A chunk is read with this much after it, which holds most items that start near its end; a longer
// one is read again on its own.
constexpr std::uint64_t kChunkTail = std::uint64_t{64} << 10;

// A run of user data the scan reads as one: all of a file's data or part of it, or sectors outside
// every file. Offsets are in the file's data (or the image's user data).
struct Region {
    const ImageFile* file = nullptr;
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

// Sectors whose headers the look at modes reads before it lets go of their pages.
constexpr std::uint32_t kReleaseSectors = 4096;

struct Task {
    std::size_t region = 0;
    std::uint64_t start = 0; // in the region's offsets
    std::uint64_t length = 0;
};

// Calls found(i) for every i below `count` where a candidate's first word lies inside `bytes` and
// passes MaybeItemStart. The first words are 0x41 and 0x10: a byte of either value followed by three
// zeros, looked for sixteen offsets at a time where the processor allows.
template <typename Found>
void ForEachCandidate(std::span<const std::uint8_t> bytes, std::size_t count, const ScanOptions& options,
                      const Found& found) {
    const std::uint8_t* p = bytes.data();
    const std::size_t size = bytes.size();
    const auto check = [&](std::size_t i) {
        if (i + 4 <= size && MaybeItemStart(LoadU32LE(p + i), options.formats))
            found(i);
    };
    const std::size_t step = options.aligned ? 4 : 1;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Offsets that are multiples of 4 within each 16, when only those are wanted.
    const unsigned keep = options.aligned ? 0x1111u : 0xFFFFu;
    const __m128i tmd = _mm_set1_epi8(0x41);
    const __m128i tim = _mm_set1_epi8(0x10);
    const __m128i zero = _mm_setzero_si128();
    // Per block of 16 bytes, one bit per byte: which are zero and which could start a first word.
    const auto bits = [&](std::size_t at, unsigned& zeros, unsigned& starts) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, zero)));
        starts = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, tmd), _mm_cmpeq_epi8(block, tim))));
    };
    if (count >= 16 && size >= 32) {
        unsigned zeros = 0;
        unsigned starts = 0;
        bits(0, zeros, starts);
        for (; i + 16 <= count && i + 32 <= size; i += 16) {
            unsigned nextZeros = 0;
            unsigned nextStarts = 0;
            bits(i + 16, nextZeros, nextStarts);
            const std::uint32_t z = zeros | (nextZeros << 16);
            unsigned mask = starts & (z >> 1) & (z >> 2) & (z >> 3) & keep;
            while (mask) {
                check(i + static_cast<std::size_t>(__builtin_ctz(mask)));
                mask &= mask - 1;
            }
            zeros = nextZeros;
            starts = nextStarts;
        }
    }
#endif
    for (; i < count; i += step)
        check(i);
}

class ScanJob {
  public:
    ScanJob(const DiscImage& image, const ScanOptions& options) : m_image(image), m_options(options) {}

    ScanReport Run() {
        BuildRegions();
        for (std::size_t r = 0; r < m_regions.size(); ++r) {
            m_report.bytesTotal += m_regions[r].length;
            for (std::uint64_t at = 0; at < m_regions[r].length; at += kChunkBytes)
                m_tasks.push_back(
                    {r, m_regions[r].start + at, std::min(kChunkBytes, m_regions[r].length - at)});
        }
        const unsigned threads =
            std::max(1u, std::min<unsigned>(m_options.threads ? m_options.threads : WorkerCount(),
                                            static_cast<unsigned>(std::max<std::size_t>(m_tasks.size(), 1))));
        std::vector<std::vector<ScanHit>> found(threads);
        RunParts(threads, [&](unsigned part) { Work(found[part]); });
        for (auto& hits : found)
            m_report.hits.insert(m_report.hits.end(), std::make_move_iterator(hits.begin()),
                                 std::make_move_iterator(hits.end()));
        std::sort(m_report.hits.begin(), m_report.hits.end(), [](const ScanHit& a, const ScanHit& b) {
            return std::tie(a.file, a.offset) < std::tie(b.file, b.offset);
        });
        m_report.bytesScanned = m_done;
        m_report.cancelled = m_options.cancel && m_options.cancel->load();
        return std::move(m_report);
    }

  private:
    // A region for every run of sectors with user data, of each file and then of the sectors no file
    // covers.
    void BuildRegions() {
        const std::uint32_t sectors = m_image.SectorCount();
        std::vector<bool> inFile(sectors, false);
        for (const ImageFile& file : m_image.Files()) {
            const std::uint64_t fileSectors = (file.size + kUserDataSize - 1) / kUserDataSize;
            for (std::uint64_t s = 0; s < fileSectors && file.firstLsn + s < sectors; ++s)
                inFile[file.firstLsn + s] = true;
            AddRuns(&file, file.firstLsn, file.size);
        }
        const std::uint64_t userSize = m_image.UserDataSize();
        std::uint32_t lsn = 0;
        while (lsn < sectors) {
            if (inFile[lsn]) {
                ++lsn;
                continue;
            }
            const std::uint32_t first = lsn;
            while (lsn < sectors && !inFile[lsn])
                ++lsn;
            const std::uint64_t start = std::uint64_t{first} * kUserDataSize;
            AddRuns(nullptr, first,
                    std::min<std::uint64_t>(userSize, std::uint64_t{lsn} * kUserDataSize) - start);
        }
    }

    // Regions for `length` bytes of data from sector `firstLsn`, split where sectors hold no user data.
    void AddRuns(const ImageFile* file, std::uint32_t firstLsn, std::uint64_t length) {
        const std::uint64_t base = file ? 0 : std::uint64_t{firstLsn} * kUserDataSize;
        if (m_image.IsCooked()) {
            const std::uint64_t mapped = m_image.CookedBytes().size();
            const std::uint64_t at = std::uint64_t{firstLsn} * kUserDataSize;
            const std::uint64_t room = at < mapped ? mapped - at : 0;
            if (std::min(length, room) > 0)
                m_regions.push_back({file, base, std::min(length, room)});
            return;
        }
        std::uint64_t runStart = 0;
        bool inRun = false;
        for (std::uint64_t at = 0; at < length; at += kUserDataSize) {
            const std::uint64_t lsn = firstLsn + at / kUserDataSize;
            const bool usable = lsn < m_image.SectorCount() &&
                                m_image.UserData(static_cast<std::uint32_t>(lsn)).size() == kUserDataSize;
            // Telling the modes apart touches every sector's header: let go of them as it goes.
            if (lsn % kReleaseSectors == kReleaseSectors - 1)
                m_image.Release(static_cast<std::uint32_t>(lsn + 1 - kReleaseSectors), kReleaseSectors);
            if (usable && !inRun) {
                runStart = at;
                inRun = true;
            } else if (!usable) {
                ++m_report.skippedSectors;
                if (inRun)
                    m_regions.push_back({file, base + runStart, at - runStart});
                inRun = false;
            }
        }
        if (inRun)
            m_regions.push_back({file, base + runStart, length - runStart});
    }

    void Work(std::vector<ScanHit>& hits) {
        std::vector<std::uint8_t> buffer;
        std::vector<std::uint8_t> scratch;
        for (;;) {
            if (m_options.cancel && m_options.cancel->load())
                return;
            const std::size_t index = m_next.fetch_add(1);
            if (index >= m_tasks.size())
                return;
            const Task& task = m_tasks[index];
            const Region& region = m_regions[task.region];
            const std::uint64_t regionEnd = region.start + region.length;

            // A chunk small enough to stay in the processor's cache between its copy and its scan.
            buffer.resize(
                static_cast<std::size_t>(std::min(task.length + kChunkTail, regionEnd - task.start)));
            buffer.resize(m_image.Read(region.file, task.start, buffer));
            const std::span<const std::uint8_t> view = buffer;
            const bool viewReachesEnd = task.start + view.size() == regionEnd;
            ForEachCandidate(view, static_cast<std::size_t>(task.length), m_options, [&](std::size_t i) {
                const std::uint64_t offset = task.start + i;
                DetectedItem item;
                const std::size_t rest = view.size() - i;
                const bool capped = rest > kMaxItemBytes;
                const auto window = view.subspan(i, capped ? static_cast<std::size_t>(kMaxItemBytes) : rest);
                Detection result = DetectItem(window, viewReachesEnd && !capped, m_options.formats, item);
                if (result == Detection::needMore && !capped && !viewReachesEnd) {
                    scratch.resize(static_cast<std::size_t>(std::min(kMaxItemBytes, regionEnd - offset)));
                    scratch.resize(m_image.Read(region.file, offset, scratch));
                    result =
                        DetectItem(scratch, offset + scratch.size() == regionEnd, m_options.formats, item);
                }
                if (result == Detection::found)
                    hits.push_back(
                        {region.file ? std::optional<std::string>(region.file->path) : std::nullopt, offset,
                         item});
            });
            const std::uint64_t done = m_done.fetch_add(task.length) + task.length;
            if (m_options.progress) {
                const std::lock_guard lock(m_progressMutex);
                m_options.progress(done, m_report.bytesTotal);
            }
        }
    }

    const DiscImage& m_image;
    const ScanOptions& m_options;
    std::vector<Region> m_regions;
    std::vector<Task> m_tasks;
    std::atomic<std::size_t> m_next{0};
    std::atomic<std::uint64_t> m_done{0};
    std::mutex m_progressMutex;
    ScanReport m_report;
};

} // namespace

ScanReport Scan(const DiscImage& image, const ScanOptions& options) {
    return ScanJob(image, options).Run();
}

std::vector<ScanHit> ScanBytes(std::span<const std::uint8_t> bytes, const ScanOptions& options) {
    std::vector<ScanHit> hits;
    ForEachCandidate(bytes, bytes.size(), options, [&](std::size_t i) {
        const std::size_t rest = bytes.size() - i;
        const bool capped = rest > kMaxItemBytes;
        DetectedItem item;
        if (DetectItem(bytes.subspan(i, capped ? static_cast<std::size_t>(kMaxItemBytes) : rest), !capped,
                       options.formats, item) == Detection::found)
            hits.push_back({std::nullopt, i, item});
    });
    return hits;
}

Address HitAddress(const DiscImage& image, const ScanHit& hit) {
    return Address{image.Path(), hit.file, hit.offset};
}

std::string ExtractName(const DiscImage& image, const ScanHit& hit) {
    const std::string where = hit.file ? *hit.file : std::filesystem::path(image.Path()).filename().string();
    const std::string text = FormatAddress(HitAddress(image, hit));
    return where + text.substr(text.rfind('@')) + "." + ItemFormatName(hit.item.format);
}

} // namespace polyvane::gamedata
