// The scan: regions of user data, chunks of them shared among threads, a word-at-a-time filter for
// the first bytes of an item, and detection where the filter lets a byte through.
#include "Scanner.h"

#include "platform/ByteReader.h"
#include "platform/Parallel.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <mutex>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
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
    const DiscImage* image = nullptr;
    const ImageFile* file = nullptr;
    std::optional<std::string> name; // what hits in it give as their file
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

struct Task {
    std::size_t region = 0;
    std::uint64_t start = 0; // in the region's offsets
    std::uint64_t length = 0;
};

// The first bytes of the filter's words, for the search below: up to four distinct ones, and whether
// every word is its first byte followed by three zeros (as the usual formats' are), which the search
// then checks too.
struct FirstBytes {
    static constexpr std::size_t kMax = 4;
    std::array<std::uint8_t, kMax> values{};
    std::size_t count = 0;
    bool zeroUpper = true;
    bool fits = true; // false: too many distinct first bytes; every offset is checked one by one
};

FirstBytes FirstBytesOf(const StartFilter& filter) {
    FirstBytes first;
    for (std::uint32_t w = 0; w < filter.count; ++w) {
        const auto low = static_cast<std::uint8_t>(filter.words[w]);
        first.zeroUpper = first.zeroUpper && filter.words[w] <= 0xFF;
        if (std::find(first.values.begin(), first.values.begin() + first.count, low) !=
            first.values.begin() + first.count)
            continue;
        if (first.count == FirstBytes::kMax)
            first.fits = false;
        else
            first.values[first.count++] = low;
    }
    return first;
}

#if defined(__x86_64__) && defined(__GNUC__)
// The search below thirty-two offsets at a time, for processors with the wider registers; returns
// where it stopped. `N` first bytes are looked for; with `ZeroUpper`, followed by three zeros.
template <std::size_t N, bool ZeroUpper, typename Check>
__attribute__((target("avx2"))) std::size_t WideCandidates(const std::uint8_t* p, std::size_t count,
                                                           std::size_t size, std::uint64_t keep,
                                                           const FirstBytes& first, const Check& check) {
    std::size_t i = 0;
    if (count < 32 || size < 64)
        return i;
    __m256i wanted[N];
    for (std::size_t k = 0; k < N; ++k)
        wanted[k] = _mm256_set1_epi8(static_cast<char>(first.values[k]));
    const __m256i zero = _mm256_setzero_si256();
    __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    __m256i any = _mm256_cmpeq_epi8(block, wanted[0]);
    for (std::size_t k = 1; k < N; ++k)
        any = _mm256_or_si256(any, _mm256_cmpeq_epi8(block, wanted[k]));
    std::uint64_t zeros =
        ZeroUpper ? static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, zero))) : 0;
    std::uint64_t starts = static_cast<std::uint32_t>(_mm256_movemask_epi8(any));
    for (; i + 32 <= count && i + 64 <= size; i += 32) {
        block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 32));
        any = _mm256_cmpeq_epi8(block, wanted[0]);
        for (std::size_t k = 1; k < N; ++k)
            any = _mm256_or_si256(any, _mm256_cmpeq_epi8(block, wanted[k]));
        const std::uint64_t nextStarts = static_cast<std::uint32_t>(_mm256_movemask_epi8(any));
        std::uint64_t mask = starts & keep;
        std::uint64_t nextZeros = 0;
        if constexpr (ZeroUpper) {
            nextZeros = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, zero)));
            const std::uint64_t z = zeros | (nextZeros << 32);
            mask &= (z >> 1) & (z >> 2) & (z >> 3);
        }
        while (mask) {
            check(i + static_cast<std::size_t>(__builtin_ctzll(mask)));
            mask &= mask - 1;
        }
        zeros = nextZeros;
        starts = nextStarts;
    }
    return i;
}
#endif

#if defined(__SSE2__)
// The same sixteen offsets at a time.
template <std::size_t N, bool ZeroUpper, typename Check>
std::size_t NarrowCandidates(const std::uint8_t* p, std::size_t i, std::size_t count, std::size_t size,
                             unsigned keep, const FirstBytes& first, const Check& check) {
    if (i + 16 > count || i + 32 > size)
        return i;
    __m128i wanted[N];
    for (std::size_t k = 0; k < N; ++k)
        wanted[k] = _mm_set1_epi8(static_cast<char>(first.values[k]));
    const __m128i zero = _mm_setzero_si128();
    // Per block of 16 bytes, one bit per byte: which are zero and which could start a first word.
    const auto bits = [&](std::size_t at, unsigned& zeros, unsigned& starts) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        __m128i any = _mm_cmpeq_epi8(block, wanted[0]);
        for (std::size_t k = 1; k < N; ++k)
            any = _mm_or_si128(any, _mm_cmpeq_epi8(block, wanted[k]));
        starts = static_cast<unsigned>(_mm_movemask_epi8(any));
        zeros = ZeroUpper ? static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, zero))) : 0;
    };
    unsigned zeros = 0;
    unsigned starts = 0;
    bits(i, zeros, starts);
    for (; i + 16 <= count && i + 32 <= size; i += 16) {
        unsigned nextZeros = 0;
        unsigned nextStarts = 0;
        bits(i + 16, nextZeros, nextStarts);
        unsigned mask = starts & keep;
        if constexpr (ZeroUpper) {
            const std::uint32_t z = zeros | (nextZeros << 16);
            mask &= (z >> 1) & (z >> 2) & (z >> 3);
        }
        while (mask) {
            check(i + static_cast<std::size_t>(__builtin_ctz(mask)));
            mask &= mask - 1;
        }
        zeros = nextZeros;
        starts = nextStarts;
    }
    return i;
}
#endif

// Runs the block searches for `N` first bytes; returns where they stopped.
template <std::size_t N, typename Check>
std::size_t BlockCandidates(const std::uint8_t* p, std::size_t count, std::size_t size, bool aligned,
                            const FirstBytes& first, const Check& check) {
    std::size_t i = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide)
        i = first.zeroUpper
                ? WideCandidates<N, true>(p, count, size, aligned ? 0x11111111u : 0xFFFFFFFFu, first, check)
                : WideCandidates<N, false>(p, count, size, aligned ? 0x11111111u : 0xFFFFFFFFu, first, check);
#endif
#if defined(__SSE2__)
    // Offsets that are multiples of 4 within each 16, when only those are wanted.
    const unsigned keep = aligned ? 0x1111u : 0xFFFFu;
    i = first.zeroUpper ? NarrowCandidates<N, true>(p, i, count, size, keep, first, check)
                        : NarrowCandidates<N, false>(p, i, count, size, keep, first, check);
#endif
    return i;
}

// Calls found(i) for every i below `count` where a candidate's first word lies inside `bytes` and
// passes `filter`. The first bytes of its words are looked for thirty-two or sixteen offsets at a time
// where the processor allows (with the three zeros after them when the words are single bytes, as
// the usual formats' are), and each offset they let through is compared with the words.
template <typename Found>
void ForEachCandidate(std::span<const std::uint8_t> bytes, std::size_t count, const StartFilter& filter,
                      bool aligned, const Found& found) {
    const std::uint8_t* p = bytes.data();
    const std::size_t size = bytes.size();
    const auto check = [&](std::size_t i) {
        if (i + 4 <= size && filter.Passes(LoadU32LE(p + i)))
            found(i);
    };
    const FirstBytes first = FirstBytesOf(filter);
    if (first.count == 0)
        return;
    std::size_t i = 0;
    if (first.fits) {
        switch (first.count) {
        case 1:
            i = BlockCandidates<1>(p, count, size, aligned, first, check);
            break;
        case 2:
            i = BlockCandidates<2>(p, count, size, aligned, first, check);
            break;
        case 3:
            i = BlockCandidates<3>(p, count, size, aligned, first, check);
            break;
        default:
            i = BlockCandidates<4>(p, count, size, aligned, first, check);
            break;
        }
    }
    for (const std::size_t step = aligned ? 4 : 1; i < count; i += step)
        check(i);
}

class ScanJob {
  public:
    ScanJob(const DiscImage& image, const ScanOptions& options)
        : m_image(image), m_options(options), m_filter(ScanFormats().Filter(options.formats)) {}

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
        m_report.skippedSectors = m_skipped;
        m_report.cancelled = m_options.cancel && m_options.cancel->load();
        return std::move(m_report);
    }

  private:
    // A region for every run of sectors with user data, of each file and then of the sectors no file
    // covers, in the image and then in each of its further tracks.
    void BuildRegions() {
        AddRegions(m_image, std::nullopt);
        for (const DiscImage::Track& track : m_image.MoreTracks())
            AddRegions(*track.image, track.name);
    }

    void AddRegions(const DiscImage& image, const std::optional<std::string>& track) {
        const std::uint32_t sectors = image.SectorCount();
        std::vector<bool> inFile(sectors, false);
        for (const ImageFile& file : image.Files()) {
            const std::uint64_t fileSectors = (file.size + kUserDataSize - 1) / kUserDataSize;
            for (std::uint64_t s = 0; s < fileSectors && file.firstLsn + s < sectors; ++s)
                inFile[file.firstLsn + s] = true;
            AddRegion(image, &file, track ? *track + "/" + file.path : file.path, file.firstLsn, file.size);
        }
        const std::uint64_t userSize = image.UserDataSize();
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
            AddRegion(image, nullptr, track, first,
                      std::min<std::uint64_t>(userSize, std::uint64_t{lsn} * kUserDataSize) - start);
        }
    }

    // The region of `length` bytes of data from sector `firstLsn`, clipped to the image's data.
    void AddRegion(const DiscImage& image, const ImageFile* file, const std::optional<std::string>& name,
                   std::uint32_t firstLsn, std::uint64_t length) {
        const std::uint64_t at = std::uint64_t{firstLsn} * kUserDataSize;
        const std::uint64_t room = at < image.UserDataSize() ? image.UserDataSize() - at : 0;
        if (std::min(length, room) > 0)
            m_regions.push_back({&image, file, name, file ? 0 : at, std::min(length, room)});
    }

    // Looks for items starting in the first `count` bytes of `view`, which holds the region's data from
    // `at` (`viewEnds`: up to where the run of user data ends).
    void ScanRun(const Region& region, std::uint64_t at, std::uint64_t count,
                 std::span<const std::uint8_t> view, bool viewEnds, std::vector<std::uint8_t>& scratch,
                 std::vector<ScanHit>& hits) const {
        ForEachCandidate(
            view, static_cast<std::size_t>(count), m_filter, m_options.aligned, [&](std::size_t i) {
                const std::uint64_t offset = at + i;
                DetectedItem item;
                Detection result = DetectItem(view.subspan(i), viewEnds, m_options.formats, item);
                // An item that reaches past the chunk is read on by the share that found its start, as far
                // as the item claims.
                if (result == Detection::needMore)
                    result = DetectInImage(*region.image, region.file, offset, 2 * (view.size() - i),
                                           m_options.formats, item, scratch);
                if (result == Detection::found)
                    hits.push_back({region.name, offset, item});
            });
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

            // A chunk small enough to stay in the processor's cache between its copy and its scan. A
            // read stops before a sector without user data: the run before it is scanned as ending
            // there, and the scan goes on after that sector.
            const std::uint64_t taskEnd = task.start + task.length;
            for (std::uint64_t at = task.start; at < taskEnd;) {
                const auto wanted =
                    static_cast<std::size_t>(std::min(taskEnd - at + kChunkTail, regionEnd - at));
                buffer.resize(wanted);
                buffer.resize(region.image->Read(region.file, at, buffer));
                ScanRun(region, at, std::min<std::uint64_t>(taskEnd - at, buffer.size()), buffer,
                        buffer.size() < wanted || at + buffer.size() == regionEnd, scratch, hits);
                if (at + buffer.size() >= taskEnd)
                    break;
                m_skipped.fetch_add(1);
                at = (at + buffer.size()) / kUserDataSize * kUserDataSize + kUserDataSize;
            }
            const std::uint64_t done = m_done.fetch_add(task.length) + task.length;
            if (m_options.progress) {
                const std::lock_guard lock(m_progressMutex);
                m_options.progress(done, m_report.bytesTotal);
            }
        }
    }

    const DiscImage& m_image;
    const ScanOptions& m_options;
    const StartFilter m_filter;
    std::vector<Region> m_regions;
    std::atomic<std::uint32_t> m_skipped{0};
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

std::vector<ScanHit> ScanBytes(std::span<const std::uint8_t> bytes, const ScanOptions& options,
                               const ScanTable& table) {
    std::vector<ScanHit> hits;
    ForEachCandidate(bytes, bytes.size(), table.Filter(options.formats), options.aligned, [&](std::size_t i) {
        const std::size_t rest = bytes.size() - i;
        const bool capped = rest > kMaxItemBytes;
        DetectedItem item;
        if (DetectItem(bytes.subspan(i, capped ? static_cast<std::size_t>(kMaxItemBytes) : rest), !capped,
                       options.formats, item, table) == Detection::found)
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
    return where + text.substr(text.rfind('@')) + "." + ScanFormats().Extension(hit.item.format);
}

} // namespace polyvane::gamedata
