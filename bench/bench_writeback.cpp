// Writing a 20 KiB model back into a 700 MiB raw Mode 2 image in place, through the journal, against
// copying the image once (what a tool that rebuilds the image pays at least).
#include "GameDataItems.h"

#include "gamedata/DiscImage.h"
#include "gamedata/WriteBack.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace polyvane;

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kImageSectors = 700ull * 1024 * 1024 / gamedata::kRawSectorSize;
constexpr std::uint64_t kItemSector = kImageSectors / 2;

// A model of about 20 KiB; `shade` tells two versions apart.
std::vector<std::uint8_t> Model(std::uint32_t shade) {
    return test::FlatTriangles(850, shade);
}

// Mode 2 Form 1 sectors of filler with the model at the start of kItemSector's user data.
struct Image {
    fs::path folder, path;
    Image() {
        folder = fs::temp_directory_path() / ("bench-writeback-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        path = folder / "game.bin";
        const std::vector<std::uint8_t> model = Model(0x404040);
        std::ofstream out(path, std::ios::binary);
        std::vector<std::uint8_t> sectors(64 * gamedata::kRawSectorSize);
        for (std::uint64_t first = 0; first < kImageSectors; first += 64) {
            for (std::uint64_t i = 0; i < 64; ++i) {
                std::uint8_t* s = &sectors[i * gamedata::kRawSectorSize];
                std::fill_n(s, gamedata::kRawSectorSize, static_cast<std::uint8_t>(first + i));
                std::fill_n(s, 12, std::uint8_t{0xff});
                s[0] = s[11] = 0;
                s[15] = 2;
                s[16] = s[17] = s[18] = s[19] = s[20] = s[21] = s[22] = s[23] = 0;
                const std::uint64_t sector = first + i;
                if (sector >= kItemSector && (sector - kItemSector) * 2048 < model.size()) {
                    const std::size_t from = (sector - kItemSector) * 2048;
                    const std::size_t take = std::min<std::size_t>(2048, model.size() - from);
                    std::copy_n(model.begin() + static_cast<std::ptrdiff_t>(from), take, s + 24);
                }
            }
            out.write(reinterpret_cast<const char*>(sectors.data()),
                      static_cast<std::streamsize>(sectors.size()));
        }
    }
    ~Image() { fs::remove_all(folder); }
};

Image& SharedImage() {
    static Image image;
    return image;
}

void BM_WriteBackIntoRawImage(benchmark::State& state) {
    Image& image = SharedImage();
    char offset[32];
    std::snprintf(offset, sizeof offset, "@0x%llx", static_cast<unsigned long long>(kItemSector * 2048));
    const std::string address = image.path.string() + offset;
    const std::vector<std::uint8_t> versions[2] = {Model(0x202020), Model(0x404040)};
    int next = 0;
    for (auto _ : state) {
        const gamedata::WriteBackResult result = gamedata::WriteBack(address, versions[next]);
        if (!result.written) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        next ^= 1;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(versions[0].size()));
}
BENCHMARK(BM_WriteBackIntoRawImage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyTheImageOnce(benchmark::State& state) {
    Image& image = SharedImage();
    const fs::path copy = image.folder / "copy.bin";
    for (auto _ : state) {
        fs::copy_file(image.path, copy, fs::copy_options::overwrite_existing);
        state.PauseTiming();
        fs::remove(copy);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopyTheImageOnce)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
