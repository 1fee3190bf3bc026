// `polyvane-cli scan INPUT [--formats tmd,tim] [--extract DIR] [--aligned]`: every model and texture
// found in a file, an image or a cue sheet, one JSON object per line; a summary on standard error.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "Subcommands.h"
#include "gamedata/Scanner.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace polyvane::cli {

namespace {

namespace fs = std::filesystem;

struct ScanArgs {
    std::string input;
    gamedata::FormatMask formats = gamedata::kAllFormats;
    std::optional<std::string> extract;
    bool aligned = false;
};

std::optional<gamedata::FormatMask> ParseFormats(std::string_view list) {
    gamedata::FormatMask mask = 0;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const auto format = gamedata::ScanFormats().Find(list.substr(0, comma));
        if (!format)
            return std::nullopt;
        mask |= gamedata::MaskOf(*format);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    }
    return mask ? std::optional(mask) : std::nullopt;
}

std::optional<ScanArgs> ParseScanArgs(std::span<const std::string> args) {
    ScanArgs parsed;
    bool haveInput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--aligned") {
            parsed.aligned = true;
        } else if (arg == "--formats" && i + 1 < args.size()) {
            const auto mask = ParseFormats(args[++i]);
            if (!mask) {
                PrintUsageError("unknown format in --formats " + args[i] + " (" +
                                gamedata::ScanFormats().NameList() + ")");
                return std::nullopt;
            }
            parsed.formats = *mask;
        } else if (arg == "--extract" && i + 1 < args.size()) {
            parsed.extract = args[++i];
        } else if (!arg.starts_with("--") && !haveInput) {
            parsed.input = arg;
            haveInput = true;
        } else {
            PrintUsageError("unexpected argument " + arg);
            return std::nullopt;
        }
    }
    if (!haveInput)
        return std::nullopt;
    return parsed;
}

bool WriteExtracted(const gamedata::DiscImage& image, const gamedata::ScanHit& hit, const fs::path& target) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(hit.item.size));
    const auto place = image.Resolve(hit.file);
    if (!place || place->image->Read(place->file, hit.offset, bytes) != bytes.size())
        return false;
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    std::ofstream out(target, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace

int RunScan(std::span<const std::string> args) {
    const auto parsed = ParseScanArgs(args);
    if (!parsed) {
        PrintCommandUsage("scan");
        return kExitUsage;
    }
    auto opened = gamedata::DiscImage::Open(parsed->input);
    if (!opened) {
        PrintUsageError(opened.error());
        return kExitFailed;
    }
    const gamedata::DiscImage& image = **opened;
    for (const std::string& warning : image.Warnings())
        PrintUsageError("warning: " + warning);

    gamedata::ScanOptions options;
    options.formats = parsed->formats;
    options.aligned = parsed->aligned;
    const auto started = std::chrono::steady_clock::now();
    const gamedata::ScanReport report = gamedata::Scan(image, options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    int status = kExitOk;
    const gamedata::ScanTable& formats = gamedata::ScanFormats();
    std::vector<std::size_t> counts(formats.Size(), 0);
    std::size_t cutOff = 0;
    for (const gamedata::ScanHit& hit : report.hits) {
        const gamedata::DetectedItem& item = hit.item;
        ++counts[item.format];
        cutOff += item.complete ? 0 : 1;
        nlohmann::ordered_json line{{"address", gamedata::FormatAddress(gamedata::HitAddress(image, hit))},
                                    {"format", formats.Name(item.format)},
                                    {"file", hit.file ? nlohmann::ordered_json(*hit.file) : nullptr},
                                    {"offset", hit.offset},
                                    {"size", item.size},
                                    {"complete", item.complete}};
        const auto kind = formats.KindOf(item.format);
        if (kind == gamedata::ScanTable::Kind::model) {
            line["objects"] = item.objects;
            line["primitives"] = item.primitives;
        } else if (kind == gamedata::ScanTable::Kind::texture) {
            line["bpp"] = item.bpp;
            line["width"] = item.width;
            line["height"] = item.height;
            line["cluts"] = item.cluts;
        }
        if (parsed->extract && item.complete) {
            const std::string name = gamedata::ExtractName(image, hit);
            if (WriteExtracted(image, hit, fs::path(*parsed->extract) / name)) {
                line["extracted"] = name;
            } else {
                PrintUsageError("cannot write " + (fs::path(*parsed->extract) / name).string());
                status = kExitFailed;
            }
        }
        std::cout << line.dump() << '\n';
    }
    std::cout.flush();

    std::string byFormat;
    for (std::size_t f = 0; f < counts.size(); ++f)
        byFormat += (f ? ", " : "") + formats.Name(static_cast<gamedata::ItemFormat>(f)) + " " +
                    std::to_string(counts[f]);
    char summary[256];
    std::snprintf(
        summary, sizeof summary,
        "scan: %llu bytes in %.3f s, %zu hits (%s), %zu cut off, %u sectors without user data skipped",
        static_cast<unsigned long long>(report.bytesScanned), seconds, report.hits.size(), byFormat.c_str(),
        cutOff, report.skippedSectors);
    std::cerr << summary << '\n';
    return status;
}

} // namespace polyvane::cli
