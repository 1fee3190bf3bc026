// `polyvane-cli import IN OUT.tmd [--scale S] [--tim-out PATH]` and
// `polyvane-cli tim-from-image IN.png OUT.tim [--bpp 4|8|15] [--at X,Y] [--clut-at X,Y]`.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "Subcommands.h"
#include "exchange/ModelImporter.h"
#include "exchange/PngCodec.h"
#include "exchange/TimFromImage.h"
#include "formats/FileMessages.h"
#include "formats/FormatRegistry.h"
#include "model/ModelFile.h"

#include <charconv>
#include <filesystem>

namespace polyvane::cli {

namespace {

bool ParseNumber(std::string_view text, double& out) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

int RunImport(std::span<const std::string> args) {
    std::optional<std::string> scaleText, timOut;
    auto parsed = ParseFileAndCommands(args, ValueOptions({{"--scale", &scaleText}, {"--tim-out", &timOut}}));
    ModelReadOptions options;
    if (parsed && scaleText) {
        double scale = 0;
        if (!ParseNumber(*scaleText, scale) || !(scale > 0)) {
            PrintUsageError("--scale needs a positive number");
            return kExitUsage;
        }
        options.importScale = scale;
    }
    if (!parsed || parsed->positional.size() != 2 || !parsed->commands.empty()) {
        PrintCommandUsage("import");
        return kExitUsage;
    }
    const FileFormat* format = Formats().ForPath(parsed->positional[0], kImportRole);
    if (!format || !format->readModelFile)
        return kExitFailed;
    ModelReadResult result = format->readModelFile(parsed->positional[0], options);
    for (const std::string& message : result ? result->notices : result.error())
        AfxMessageBox(message);
    if (!result)
        return kExitFailed;
    if (!SaveTmdFile(std::move(result->model), parsed->positional[1]))
        return kExitFailed;
    if (!result->textures.empty() && !timOut)
        AfxMessageBox(std::to_string(result->textures.size()) +
                      " texture(s) made; give --tim-out PATH to write them");
    for (std::size_t i = 0; timOut && i < result->textures.size(); ++i) {
        const std::string path = ImportedTexturePath(*timOut, i);
        if (!WriteWholeFile(path, result->textures[i])) {
            AfxMessageBox("Could not write " + path);
            return kExitFailed;
        }
    }
    return kExitOk;
}

int RunTimFromImage(std::span<const std::string> args) {
    std::optional<std::string> bpp, at, clutAt;
    auto parsed =
        ParseFileAndCommands(args, ValueOptions({{"--bpp", &bpp}, {"--at", &at}, {"--clut-at", &clutAt}}));
    TimFromImageOptions options;
    bool good = parsed && parsed->positional.size() == 2 && parsed->commands.empty();
    if (good && bpp) {
        good = *bpp == "4" || *bpp == "8" || *bpp == "15";
        options.bpp = good ? std::stoi(*bpp) : 0;
    }
    if (good && at)
        good = ParsePair(*at, options.imageX, options.imageY);
    if (good && clutAt)
        good = ParsePair(*clutAt, options.clutX, options.clutY);
    if (!good) {
        PrintCommandUsage("tim-from-image");
        return kExitUsage;
    }
    const auto image = ReadPngFile(parsed->positional[0]);
    if (!image) {
        AfxMessageBox("Cannot read " + parsed->positional[0] + " as a PNG image");
        return kExitFailed;
    }
    const TimFromImageResult tim = MakeTimFromImage(*image, options);
    if (tim.bytes.empty()) {
        AfxMessageBox(tim.error);
        return kExitFailed;
    }
    if (!WriteWholeFile(parsed->positional[1], tim.bytes)) {
        AfxMessageBox("Could not write " + parsed->positional[1]);
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace polyvane::cli
