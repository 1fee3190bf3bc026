// The frame-buffer workbench for scripts:
// `polyvane-cli vram [--tim PATH]... [--dump-in FILE] [--dump-out FILE] [--png OUT] [--page N --pmode M
// --clut X,Y]`, `polyvane-cli tim-edit IN.tim OUT.tim [--move X,Y] [--clut-move X,Y] [--palette-from FILE
// --row N]
// [--set-entry ROW,INDEX,0xWORD]` and `polyvane-cli tim-cut DUMP OUT.tim --rect X,Y,W,H --bpp 4|8|16 [--clut
// X,Y]`.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "PngFile.h"
#include "Subcommands.h"
#include "exchange/PngCodec.h"
#include "exchange/TimFromImage.h"
#include "formats/TimEdits.h"
#include "gpu/FrameBufferDump.h"
#include "gpu/FrameBufferPicture.h"
#include "texture/TextureWorkbench.h"
#include "texture/TimFiles.h"
#include "texture/TimFrameBuffer.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <iostream>

namespace polyvane::cli {

namespace {

using nlohmann::json;

// "A,B,C,D" as integers (base 0: a 0x prefix reads as hexadecimal); false on anything else.
bool ParseList(std::string_view text, std::vector<long>& values, std::size_t count) {
    values.clear();
    std::string rest(text);
    while (values.size() < count) {
        const std::size_t comma = rest.find(',');
        const std::string item = rest.substr(0, comma);
        if (item.empty())
            return false;
        char* end = nullptr;
        const long value = std::strtol(item.c_str(), &end, 0);
        if (*end != '\0')
            return false;
        values.push_back(value);
        if (comma == std::string::npos)
            break;
        rest = rest.substr(comma + 1);
    }
    return values.size() == count && rest.find(',') == std::string::npos;
}

bool WriteOrSay(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (WriteWholeFile(path, bytes))
        return true;
    AfxMessageBox("Could not write " + path);
    return false;
}

bool WriteWordsPng(const std::string& path, std::span<const std::uint16_t> words, int width, int height) {
    RgbImage image{width, height, {}};
    image.pixels.reserve(words.size());
    for (std::uint16_t word : words)
        image.pixels.push_back(WidenWord(word));
    if (WritePng(path, image))
        return true;
    AfxMessageBox("Could not write " + path);
    return false;
}

std::optional<FrameBuffer> ReadDump(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes) {
        AfxMessageBox("Cannot read " + path);
        return std::nullopt;
    }
    auto memory = ReadFrameBufferDump(*bytes);
    if (!memory) {
        AfxMessageBox(path + ": " + FrameBufferFileErrorText(memory.error()));
        return std::nullopt;
    }
    return std::move(*memory);
}

bool Refused(TimEditError error) {
    if (error == TimEditError::none)
        return false;
    AfxMessageBox(TimEditErrorText(error));
    return true;
}

} // namespace

int RunVram(std::span<const std::string> args) {
    std::vector<std::string> tims;
    std::optional<std::string> dumpIn, dumpOut, png, page, pmode, clut;
    const OptionHandler values = ValueOptions({{"--dump-in", &dumpIn},
                                               {"--dump-out", &dumpOut},
                                               {"--png", &png},
                                               {"--page", &page},
                                               {"--pmode", &pmode},
                                               {"--clut", &clut}});
    auto parsed = ParseFileAndCommands(args, [&](std::string_view option, std::span<const std::string> rest) {
        if (option != "--tim")
            return values(option, rest);
        if (rest.empty())
            return -1;
        tims.push_back(rest[0]);
        return 2;
    });
    std::vector<long> pageNumber, mode;
    int clutX = 0, clutY = 0;
    bool good = parsed && parsed->positional.empty() && parsed->commands.empty();
    if (good && page)
        good = png && ParseList(*page, pageNumber, 1) && pageNumber[0] >= 0 && pageNumber[0] < 32 && pmode &&
               ParseList(*pmode, mode, 1) && mode[0] >= 0 && mode[0] <= 2 &&
               (mode[0] == kPixelMode15Bit || (clut && ParsePair(*clut, clutX, clutY)));
    else if (good)
        good = !pmode && !clut;
    if (!good) {
        PrintCommandUsage("vram");
        return kExitUsage;
    }
    if (clutX < 0 || clutY < 0 || clutX + (mode.empty() || mode[0] == 0 ? 16 : 256) > kFrameBufferWidth ||
        clutY >= kFrameBufferHeight) {
        AfxMessageBox(FrameBufferFileErrorText(FrameBufferFileError::clutPastMemory));
        return kExitFailed;
    }

    std::unique_ptr<FrameBuffer> under;
    if (dumpIn) {
        auto dump = ReadDump(*dumpIn);
        if (!dump)
            return kExitFailed;
        under = std::make_unique<FrameBuffer>(std::move(*dump));
    }
    TimList list;
    for (const std::string& path : tims) {
        auto tim = OpenTimFile(path);
        if (!tim)
            return kExitFailed;
        list.push_back(std::move(*tim));
    }
    FrameBuffer memory;
    RebuildFrameBuffer(memory, list, under.get());

    if (dumpOut && !WriteOrSay(*dumpOut, FrameBufferDumpBytes(memory)))
        return kExitFailed;
    if (png && page) {
        const auto tpage = static_cast<std::uint8_t>(pageNumber[0]);
        const auto m = static_cast<std::uint8_t>(mode[0]);
        const int words = TexturePageWords(m);
        const auto texels =
            DecodeTexels(memory, TexturePageX(tpage), TexturePageY(tpage), words, 256, m,
                         static_cast<std::uint16_t>(clutX), static_cast<std::uint16_t>(clutY));
        if (!WriteWordsPng(*png, texels, words * TexelsPerUnit(m), 256))
            return kExitFailed;
    } else if (png && !WriteWordsPng(*png, memory.Words(), kFrameBufferWidth, kFrameBufferHeight)) {
        return kExitFailed;
    }
    if (!dumpOut && !png) {
        // Without an output file: the textures' rectangles and where they overlap.
        json out = {{"textures", json::array()}, {"overlaps", json::array()}};
        for (const TimImage& tim : list) {
            const WordRect image = ImageRect(tim), table = ClutRect(tim);
            json entry = {{"file", tim.fileName}, {"image", {image.x, image.y, image.width, image.height}}};
            if (table.width > 0)
                entry["clut"] = {table.x, table.y, table.width, table.height};
            out["textures"].push_back(entry);
        }
        for (const TextureOverlap& overlap : FindOverlaps(list))
            out["overlaps"].push_back(overlap.text);
        std::cout << out.dump() << '\n';
    }
    return kExitOk;
}

int RunTimEdit(std::span<const std::string> args) {
    std::optional<std::string> move, clutMove, paletteFrom, row, setEntry;
    auto parsed = ParseFileAndCommands(args, ValueOptions({{"--move", &move},
                                                           {"--clut-move", &clutMove},
                                                           {"--palette-from", &paletteFrom},
                                                           {"--row", &row},
                                                           {"--set-entry", &setEntry}}));
    int moveX = 0, moveY = 0, clutX = 0, clutY = 0;
    std::vector<long> rowNumber{0}, entry;
    bool good = parsed && parsed->positional.size() == 2 && parsed->commands.empty();
    good = good && (!move || ParsePair(*move, moveX, moveY)) &&
           (!clutMove || ParsePair(*clutMove, clutX, clutY));
    good = good && (!row || (paletteFrom && ParseList(*row, rowNumber, 1) && rowNumber[0] >= 0));
    good = good && (!setEntry || (ParseList(*setEntry, entry, 3) && entry[0] >= 0 && entry[1] >= 0 &&
                                  entry[2] >= 0 && entry[2] <= 0xFFFF));
    if (!good) {
        PrintCommandUsage("tim-edit");
        return kExitUsage;
    }
    auto tim = OpenTimFile(parsed->positional[0]);
    if (!tim)
        return kExitFailed;
    if (move && Refused(MoveTimImage(*tim, moveX, moveY)))
        return kExitFailed;
    if (clutMove && Refused(MoveTimClut(*tim, clutX, clutY)))
        return kExitFailed;
    if (paletteFrom) {
        const PaletteFromFile palette = ReadPaletteFile(*paletteFrom, tim->ClutRowLength());
        if (!palette.error.empty()) {
            AfxMessageBox(palette.error);
            return kExitFailed;
        }
        if (Refused(ReplaceClutRow(*tim, std::size_t(rowNumber[0]), palette.words)))
            return kExitFailed;
    }
    if (setEntry && Refused(SetClutEntry(*tim, std::size_t(entry[0]), std::size_t(entry[1]),
                                         static_cast<std::uint16_t>(entry[2]))))
        return kExitFailed;
    return WriteOrSay(parsed->positional[1], EncodeTim(*tim)) ? kExitOk : kExitFailed;
}

int RunTimCut(std::span<const std::string> args) {
    std::optional<std::string> rect, bpp, clut;
    auto parsed =
        ParseFileAndCommands(args, ValueOptions({{"--rect", &rect}, {"--bpp", &bpp}, {"--clut", &clut}}));
    std::vector<long> r, depth;
    int clutX = 0, clutY = 0;
    bool good = parsed && parsed->positional.size() == 2 && parsed->commands.empty() && rect &&
                ParseList(*rect, r, 4) && bpp && ParseList(*bpp, depth, 1) &&
                (depth[0] == 4 || depth[0] == 8 || depth[0] == 16);
    good = good && (depth[0] == 16 ? !clut : clut && ParsePair(*clut, clutX, clutY));
    if (!good) {
        PrintCommandUsage("tim-cut");
        return kExitUsage;
    }
    const auto memory = ReadDump(parsed->positional[0]);
    if (!memory)
        return kExitFailed;
    auto tim = CutTim(*memory, int(r[0]), int(r[1]), int(r[2]), int(r[3]), int(depth[0]), clutX, clutY);
    if (!tim) {
        AfxMessageBox(FrameBufferFileErrorText(tim.error()));
        return kExitFailed;
    }
    return WriteOrSay(parsed->positional[1], EncodeTim(*tim)) ? kExitOk : kExitFailed;
}

} // namespace polyvane::cli
