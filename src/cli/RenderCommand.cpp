// `polyvane-cli render FILE OUT.png [options]`: one model view painted by the view's own drawing code
// onto the software surface and saved as a PNG.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "DocumentJson.h"
#include "PngFile.h"
#include "Subcommands.h"
#include "texture/TimFiles.h"

#include "formats/TimList.h"
#include "platform/CRasterDC.h"
#include "view/CPolyvaneView.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <vector>

namespace polyvane::cli {

namespace {

constexpr std::int32_t kMaxSide = 16384;

struct RenderOptions {
    std::int32_t mode = VM_WIREFRAME;
    std::int32_t width = 640;
    std::int32_t height = 480;
    double angles[3] = {0.0, 0.0, 0.0};
    double distance = 1000.0;
    bool vertexNumbers = true;
    bool fit = false;
    bool trace = false;
    std::string jsonPath;
    std::vector<std::string> tims;
    std::optional<std::uint32_t> background; // 0xRRGGBB
    TexturedPaintOptions textured;
    bool lightsGiven = false;
};

bool ParseDouble(std::string_view text, double& out) {
    if (text.empty())
        return false;
    const std::string s(text);
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(out);
}

bool ParseSide(std::string_view text, std::int32_t& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out > 0 && out <= kMaxSide;
}

bool ParseMode(std::string_view text, std::int32_t& mode) {
    const ViewModeEntry* entry = ViewModeNamed(text);
    if (entry)
        mode = entry->mode;
    return entry != nullptr;
}

bool ParseSize(std::string_view text, RenderOptions& o) {
    const auto x = text.find('x');
    return x != std::string_view::npos && ParseSide(text.substr(0, x), o.width) &&
           ParseSide(text.substr(x + 1), o.height);
}

bool ParseAngles(std::string_view text, RenderOptions& o) {
    for (int i = 0; i < 3; ++i) {
        const auto comma = text.find(',');
        if ((i < 2) == (comma == std::string_view::npos))
            return false;
        if (!ParseDouble(text.substr(0, comma), o.angles[i]))
            return false;
        text = i < 2 ? text.substr(comma + 1) : std::string_view();
    }
    return true;
}

bool ParseBackground(std::string_view text, RenderOptions& o) {
    if (!text.starts_with("0x") || text.size() != 8)
        return false;
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    o.background = value;
    return true;
}

// DX,DY,DZ,I: a directional light toward (DX, DY, DZ) of intensity I; the first replaces the default.
bool ParseLight(std::string_view text, RenderOptions& o) {
    double v[4] = {};
    for (int i = 0; i < 4; ++i) {
        const auto comma = text.find(',');
        if ((i < 3) == (comma == std::string_view::npos) || !ParseDouble(text.substr(0, comma), v[i]))
            return false;
        text = i < 3 ? text.substr(comma + 1) : std::string_view();
    }
    if (!o.lightsGiven)
        o.textured.light.lights.clear();
    o.lightsGiven = true;
    o.textured.light.lights.push_back({v[0], v[1], v[2], v[3]});
    return true;
}

// Claims the render options; see OptionHandler for the return value.
int TakeOption(std::string_view option, std::span<const std::string> rest, RenderOptions& o) {
    if (option == "--no-vertex-numbers") {
        o.vertexNumbers = false;
        return 1;
    }
    if (option == "--trace") {
        o.trace = true;
        return 1;
    }
    if (option == "--fit") {
        o.fit = true;
        return 1;
    }
    if (option == "--dither") {
        o.textured.dither = true;
        return 1;
    }
    if (option == "--no-lights") {
        o.textured.light.lights.clear();
        o.lightsGiven = true;
        return 1;
    }
    const bool takesValue = option == "--mode" || option == "--size" || option == "--angles" ||
                            option == "--distance" || option == "--dump-json" || option == "--tim" ||
                            option == "--background" || option == "--light" || option == "--ambient";
    if (!takesValue)
        return 0;
    if (rest.empty())
        return -1;
    const std::string_view value = rest[0];
    bool ok = false;
    if (option == "--mode")
        ok = ParseMode(value, o.mode);
    else if (option == "--size")
        ok = ParseSize(value, o);
    else if (option == "--angles")
        ok = ParseAngles(value, o);
    else if (option == "--distance")
        ok = ParseDouble(value, o.distance);
    else if (option == "--tim") {
        o.tims.emplace_back(value);
        ok = !value.empty();
    } else if (option == "--background")
        ok = ParseBackground(value, o);
    else if (option == "--light")
        ok = ParseLight(value, o);
    else if (option == "--ambient")
        ok = ParseDouble(value, o.textured.light.ambient);
    else {
        o.jsonPath = value;
        ok = !value.empty();
    }
    return ok ? 2 : -1;
}

} // namespace

int RunRender(std::span<const std::string> args) {
    RenderOptions options;
    auto parsed = ParseFileAndCommands(args, [&](std::string_view option, std::span<const std::string> rest) {
        return TakeOption(option, rest, options);
    });
    if (!parsed || parsed->positional.size() != 2) {
        PrintCommandUsage("render");
        return kExitUsage;
    }
    auto doc = OpenDocumentFile(parsed->positional[0]);
    if (!doc)
        return kExitFailed;
    bool ok = RunDocCommands(*doc, parsed->commands);
    for (const auto& tim : options.tims) {
        if (std::optional<TimImage> loaded = OpenTimFile(tim))
            doc->AttachTexture(std::move(*loaded));
        else
            ok = false;
    }

    HeadlessViewHost host(CRect{0, 0, options.width, options.height});
    CPolyvaneView view;
    view.SetHost(&host);
    view.SetDocument(doc.get());
    view.m_viewMode = options.mode;
    view.m_angleX = options.angles[0];
    view.m_angleY = options.angles[1];
    view.m_angleZ = options.angles[2];
    view.m_distance = options.distance;
    view.m_bShowVertexNumbers = options.vertexNumbers ? 1 : 0;
    if (options.fit)
        view.FitToWindow(options.width, options.height);
    const std::uint16_t background = view.m_textured.background;
    view.m_textured = options.textured;
    view.m_textured.background = background;
    if (options.background) {
        const std::uint32_t c = *options.background;
        view.m_textured.background =
            static_cast<std::uint16_t>(((c >> 19) & 31) | (((c >> 11) & 31) << 5) | (((c >> 3) & 31) << 10));
    }

    CRasterDC dc(options.width, options.height);
    if (options.trace)
        dc.SetTraceSink([](std::string_view line) { std::cout << line << '\n'; });
    view.OnDraw(&dc);
    std::cout.flush();

    const std::string& out = parsed->positional[1];
    if (!WritePng(out, RgbImage{dc.Width(), dc.Height(), dc.Pixels()})) {
        PrintUsageError("cannot write " + out);
        ok = false;
    }
    if (!options.jsonPath.empty()) {
        std::ofstream json(options.jsonPath, std::ios::binary | std::ios::trunc);
        json << DocumentToJson(*doc, true, view.Projection()).dump() << '\n';
        json.close();
        if (!json) {
            PrintUsageError("cannot write " + options.jsonPath);
            ok = false;
        }
    }
    view.SetDocument(nullptr);
    return ok ? kExitOk : kExitFailed;
}

} // namespace polyvane::cli
