// `polyvane-cli gpu-draw SCENE.json OUT.png [--tim PATH]...`: drawing commands given as JSON drawn
// into the frame-buffer memory by the chip's rasteriser, written as a 1024 x 512 picture.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "PngFile.h"
#include "Subcommands.h"
#include "texture/TimFiles.h"

#include "gpu/FrameBufferPicture.h"
#include "gpu/GpuRasteriser.h"
#include "texture/TimFrameBuffer.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iostream>

namespace polyvane::cli {

using nlohmann::json;

namespace {

// A scene item that does not say what it must; the message names the item.
struct SceneError {
    std::string what;
};

int Int(const json& value, const char* what) {
    if (!value.is_number_integer())
        throw SceneError{std::string(what) + " must be an integer"};
    return value.get<int>();
}

std::uint8_t Channel(const json& value) {
    const int c = Int(value, "a colour channel");
    if (c < 0 || c > 255)
        throw SceneError{"a colour channel must be 0..255"};
    return static_cast<std::uint8_t>(c);
}

GpuColour Colour(const json& value) {
    if (!value.is_array() || value.size() != 3)
        throw SceneError{"a colour is [r, g, b]"};
    return {Channel(value[0]), Channel(value[1]), Channel(value[2])};
}

std::vector<int> Ints(const json& value, std::size_t count, const char* what) {
    if (!value.is_array() || value.size() != count)
        throw SceneError{std::string(what) + " needs " + std::to_string(count) + " integers"};
    std::vector<int> out;
    for (const json& v : value)
        out.push_back(Int(v, what));
    return out;
}

bool Flag(const json& item, const char* key) {
    if (!item.contains(key))
        return false;
    if (!item[key].is_boolean())
        throw SceneError{std::string(key) + " must be true or false"};
    return item[key].get<bool>();
}

std::uint8_t Rate(const json& item) {
    return item.contains("abr") ? static_cast<std::uint8_t>(Int(item["abr"], "abr") & 3) : 0;
}

void DrawPolygon(GpuRasteriser& chip, const json& item) {
    const json& points = item["poly"];
    if (!points.is_array() || points.size() < 3 || points.size() > 4)
        throw SceneError{"poly needs 3 or 4 points"};
    const json& colours = item.contains("rgb") ? item["rgb"] : json::array({json::array({128, 128, 128})});
    if (!colours.is_array() || (colours.size() != 1 && colours.size() != points.size()))
        throw SceneError{"poly rgb needs one colour or one per point"};
    GpuDrawMode mode;
    mode.gouraud = colours.size() > 1;
    mode.semi = Flag(item, "semi");
    mode.abr = Rate(item);
    mode.raw = Flag(item, "raw");
    mode.textured = item.contains("uv");
    if (mode.textured) {
        if (!item["uv"].is_array() || item["uv"].size() != points.size())
            throw SceneError{"poly uv needs one [u, v] per point"};
        mode.tpage = static_cast<std::uint8_t>(Int(item.value("tpage", json(0)), "tpage") & 0x1F);
        mode.pmode = static_cast<std::uint8_t>(Int(item.value("pmode", json(0)), "pmode") & 3);
        if (item.contains("clut")) {
            const auto clut = Ints(item["clut"], 2, "clut");
            mode.clutX = static_cast<std::uint16_t>(clut[0] & 0x3FF);
            mode.clutY = static_cast<std::uint16_t>(clut[1] & 0x1FF);
        }
    }
    std::vector<GpuVertex> vertices;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto xy = Ints(points[i], 2, "a point");
        GpuVertex v;
        v.x = xy[0];
        v.y = xy[1];
        v.colour = Colour(colours[mode.gouraud ? i : 0]);
        if (mode.textured) {
            const auto uv = Ints(item["uv"][i], 2, "uv");
            v.u = static_cast<std::uint8_t>(uv[0]);
            v.v = static_cast<std::uint8_t>(uv[1]);
        }
        vertices.push_back(v);
    }
    chip.Polygon(vertices, mode);
}

void DrawItem(GpuRasteriser& chip, const json& item) {
    if (!item.is_object())
        throw SceneError{"an item must be an object"};
    if (item.contains("fill")) {
        const auto r = Ints(item["fill"], 4, "fill");
        chip.Fill(r[0], r[1], r[2], r[3], Colour(item.value("rgb", json())));
    } else if (item.contains("put")) {
        const auto p = Ints(item["put"], 2, "put");
        chip.Put(p[0], p[1], static_cast<std::uint16_t>(Int(item.value("word", json()), "word")));
    } else if (item.contains("tile")) {
        const auto r = Ints(item["tile"], 4, "tile");
        chip.Tile(r[0], r[1], r[2], r[3], Colour(item.value("rgb", json())), Flag(item, "semi"), Rate(item));
    } else if (item.contains("poly")) {
        DrawPolygon(chip, item);
    } else if (item.contains("dither")) {
        chip.SetDither(Flag(item, "dither"));
    } else {
        throw SceneError{"an item is one of fill, put, tile, poly, dither"};
    }
}

} // namespace

int RunGpuDraw(std::span<const std::string> args) {
    std::vector<std::string> positional;
    std::vector<std::string> tims;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--tim" && i + 1 < args.size())
            tims.push_back(args[++i]);
        else if (args[i].starts_with("--")) {
            PrintCommandUsage("gpu-draw");
            return kExitUsage;
        } else
            positional.push_back(args[i]);
    }
    if (positional.size() != 2) {
        PrintCommandUsage("gpu-draw");
        return kExitUsage;
    }
    TimList list;
    for (const auto& path : tims)
        if (AddTimFile(list, path) == list.end())
            return kExitFailed;
    FrameBuffer memory = BuildFrameBuffer(list);

    std::ifstream in(positional[0], std::ios::binary);
    const json scene = json::parse(in, nullptr, false);
    if (!in || scene.is_discarded() || !scene.is_object() || !scene.contains("prims") ||
        !scene["prims"].is_array()) {
        std::cerr << "cannot read scene " << positional[0] << ": expected {\"prims\": [...]}\n";
        return kExitFailed;
    }
    GpuRasteriser chip(memory);
    std::size_t index = 0;
    try {
        for (const json& item : scene["prims"]) {
            DrawItem(chip, item);
            ++index;
        }
    } catch (const SceneError& error) {
        std::cerr << "scene item " << index << ": " << error.what << '\n';
        return kExitFailed;
    }
    const auto pixels = WidenWords(memory.Words());
    if (!WritePng(positional[1],
                  RgbImage{kFrameBufferWidth, kFrameBufferHeight, {pixels.begin(), pixels.end()}})) {
        PrintUsageError("cannot write " + positional[1]);
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace polyvane::cli
