// The scan of a 700 MiB image against reading the same file once, side by side: a plain file, an ISO
// image and a raw Mode 2 image of the same data, with models and textures spread through it. The
// inputs are generated once under the temporary folder and kept for later runs (warm cache).
#include "DiscBuilder.h"
#include "GameDataItems.h"
#include "gamedata/Scanner.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace polyvane;

constexpr std::size_t kFiles = 7;
constexpr std::size_t kFileBytes = std::size_t{96} << 20;
constexpr std::size_t kItemSpacing = std::size_t{1} << 20;

fs::path Folder() {
    return fs::temp_directory_path() / "polyvane-bench-scan";
}

// Random data from a fast generator, an item every MiB at an odd offset, models and textures in turn.
std::vector<std::uint8_t> MakeFile(unsigned seed) {
    std::vector<std::uint8_t> bytes(kFileBytes);
    std::uint64_t state = 0x9E3779B97F4A7C15ull * (seed + 1);
    for (std::size_t i = 0; i + 8 <= bytes.size(); i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(bytes.data() + i, &state, 8);
    }
    const std::vector<std::uint8_t> items[] = {test::SmallTmd(), test::SmallTim()};
    for (std::size_t at = 12345, k = 0; at + 4096 < bytes.size(); at += kItemSpacing, ++k)
        std::copy(items[k % 2].begin(), items[k % 2].end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

// The three inputs; made on the first call when a previous run has not left them.
const std::vector<fs::path>& Inputs() {
    static const std::vector<fs::path> inputs = [] {
        const fs::path dir = Folder();
        const std::vector<fs::path> paths = {dir / "plain.bin", dir / "image.iso", dir / "image.bin"};
        std::error_code ec;
        if (fs::exists(paths[2], ec))
            return paths;
        fs::create_directories(dir / "tree");
        {
            std::ofstream plain(paths[0], std::ios::binary);
            for (std::size_t f = 0; f < kFiles; ++f) {
                const std::vector<std::uint8_t> file = MakeFile(static_cast<unsigned>(f));
                test::WriteAll(dir / "tree" / ("DATA" + std::to_string(f) + ".BIN"), file);
                plain.write(reinterpret_cast<const char*>(file.data()),
                            static_cast<std::streamsize>(file.size()));
            }
        }
        if (!test::MakeIso(dir / "tree", paths[1]))
            return std::vector<fs::path>{};
        fs::remove_all(dir / "tree");
        const std::vector<std::uint8_t> cooked = test::ReadAll(paths[1]);
        test::WriteAll(paths[2],
                       test::RawFromCooked(cooked, [](std::uint32_t) { return test::RawMode::form1; }));
        return paths;
    }();
    return inputs;
}

const char* kNames[] = {"plain", "iso", "raw"};

// Reads the whole file once in 1 MiB pieces, as `cat FILE > /dev/null` does.
void BM_ReadFile(benchmark::State& state) {
    const auto& inputs = Inputs();
    if (inputs.empty()) {
        state.SkipWithError("xorriso is not installed");
        return;
    }
    const fs::path& path = inputs[static_cast<std::size_t>(state.range(0))];
    std::vector<char> buffer(std::size_t{1} << 20);
    std::uint64_t total = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ssize_t got = 0;
        while ((got = ::read(fd, buffer.data(), buffer.size())) > 0)
            total += static_cast<std::uint64_t>(got);
        ::close(fd);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    state.SetLabel(kNames[state.range(0)]);
}

void BM_Scan(benchmark::State& state) {
    const auto& inputs = Inputs();
    if (inputs.empty()) {
        state.SkipWithError("xorriso is not installed");
        return;
    }
    const fs::path& path = inputs[static_cast<std::size_t>(state.range(0))];
    std::uint64_t total = 0;
    std::size_t hits = 0;
    for (auto _ : state) {
        auto image = gamedata::DiscImage::Open(path.string());
        if (!image) {
            state.SkipWithError(image.error().c_str());
            return;
        }
        const gamedata::ScanReport report = gamedata::Scan(**image, {});
        total += fs::file_size(path);
        hits = report.hits.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    state.counters["hits"] = static_cast<double>(hits);
    state.SetLabel(kNames[state.range(0)]);
}

BENCHMARK(BM_ReadFile)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Scan)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
