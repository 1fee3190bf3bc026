// `polyvane-cli tim FILE [--png OUT.png]`: a TIM texture loaded as the TIM manager adds it, printed
// as JSON, and optionally written as the picture the texture view shows.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "PngFile.h"
#include "Subcommands.h"
#include "formats/TimPicture.h"
#include "texture/TimFiles.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <vector>

namespace polyvane::cli {

using nlohmann::json;

namespace {

std::string Hex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

json TimToJson(const TimImage& tim) {
    const BITMAPINFOHEADER& h = tim.bitmapInfo.bmiHeader;
    json palette = json::array();
    for (std::uint32_t i = 0; i < h.biClrUsed && i < kTimClutEntries; ++i) {
        const RGBQUAD& q = tim.bitmapInfo.bmiColors[i];
        palette.push_back(json::array({q.rgbRed, q.rgbGreen, q.rgbBlue}));
    }
    json clut = json::array();
    for (std::uint16_t word : tim.clut)
        clut.push_back(word);
    return json{{"fileName", tim.fileName},
                {"pixelMode", tim.pixelMode},
                {"hasClut", tim.hasClut},
                {"clutLength", tim.clutLength},
                {"clutX", tim.clutX},
                {"clutY", tim.clutY},
                {"clutWidth", tim.clutWidth},
                {"clutHeight", tim.clutHeight},
                {"clut", clut},
                {"imageLength", tim.imageLength},
                {"imageX", tim.imageX},
                {"imageY", tim.imageY},
                {"imageWidth", tim.imageWidth},
                {"imageHeight", tim.imageHeight},
                {"pixels", Hex(tim.pixels.bytes())},
                {"bitmap",
                 {{"width", h.biWidth},
                  {"height", h.biHeight},
                  {"bitCount", h.biBitCount},
                  {"clrUsed", h.biClrUsed},
                  {"palette", palette}}}};
}

bool WritePicturePng(const TimPicture& picture, const std::string& path) {
    return WritePng(path, RgbImage{static_cast<std::int32_t>(picture.width),
                                   static_cast<std::int32_t>(picture.height), picture.pixels});
}

} // namespace

int RunTim(std::span<const std::string> args) {
    std::optional<std::string> pngPath;
    auto parsed = ParseFileAndCommands(args, [&](std::string_view option, std::span<const std::string> rest) {
        if (option != "--png")
            return 0;
        if (rest.empty() || pngPath)
            return -1;
        pngPath = rest[0];
        return 2;
    });
    if (!parsed || parsed->positional.size() != 1 || !parsed->commands.empty()) {
        PrintCommandUsage("tim");
        return kExitUsage;
    }
    TimList list;
    auto added = AddTimFile(list, parsed->positional[0]);
    if (added == list.end())
        return kExitFailed;
    std::cout << TimToJson(*added).dump() << '\n';
    if (pngPath) {
        const TimPicture picture = MakeTimPicture(*added);
        if (picture.pixels.empty()) {
            PrintUsageError("the texture has no pixels to write to " + *pngPath);
            return kExitFailed;
        }
        if (!WritePicturePng(picture, *pngPath)) {
            PrintUsageError("could not write " + *pngPath);
            return kExitFailed;
        }
    }
    return kExitOk;
}

} // namespace polyvane::cli
