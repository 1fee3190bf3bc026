#include "CommandUsage.h"

#include "CliSupport.h"
#include "Subcommands.h"
#include "view/ViewModes.h"

namespace polyvane::cli {

namespace {

constexpr CommandUsage kUsages[] = {
    {"info", "FILE",
     "Prints a short summary of each object: vertex, normal and primitive counts, the primitives by kind, "
     "the lines, sprites and other packets where there are any, and the object's extents.",
     RunInfo},
    {"dump", "FILE [--do COMMAND]...",
     "Prints the document as one line of JSON. Finite numbers read back exactly; NaN and infinities are "
     "written as null.",
     RunDump},
    {"tim", "FILE [--png OUT.png]",
     "Loads a TIM texture as the editor's TIM manager does, prints it as JSON and, with --png, writes its "
     "picture.",
     RunTim},
    {"convert", "IN OUT [--do COMMAND]...", "Opens IN, runs the --do commands and saves OUT as a TMD file.",
     RunConvert},
    {"render",
     "FILE OUT.png [--mode MODES] [--size WxH] [--angles AX,AY,AZ] "
     "[--distance D] [--fit] [--no-vertex-numbers] [--tim PATH]... [--background 0xRRGGBB] [--dither] "
     "[--ambient A] "
     "[--light DX,DY,DZ,I]... [--no-lights] [--trace] [--dump-json FILE] [--do COMMAND]...",
     "Paints one model view of the document to a PNG file; --trace prints every drawing call and "
     "--dump-json writes the document's JSON with the drawing order.",
     RunRender},
    {"export", "IN OUT.glb|OUT.gltf|OUT.obj [--tim PATH]... [--do COMMAND]...",
     "Writes the model as glTF (binary or text) or Wavefront OBJ, with the textures the --tim files give "
     "as PNG pictures.",
     RunExport},
    {"import", "IN OUT.tmd [--scale S] [--tim-out PATH]",
     "Reads a model another program wrote (glTF, OBJ, FBX, COLLADA, PLY, STL and others) and saves it as a "
     "TMD file; --tim-out writes the textures its materials made.",
     RunImport},
    {"tim-from-image", "IN.png OUT.tim [--bpp 4|8|15] [--at X,Y] [--clut-at X,Y]",
     "Makes a TIM texture of a PNG picture, placed in the frame buffer at X,Y with its colour table at the "
     "--clut-at position.",
     RunTimFromImage},
    {"gpu-draw", "SCENE.json OUT.png [--tim PATH]...",
     "Draws a scene of the graphics chip's commands into the frame-buffer memory and writes it as a PNG.",
     RunGpuDraw},
    {"inject", "ADDRESS NEWFILE | inject --recover IMAGE",
     "Puts the model or texture in NEWFILE back into game data where ADDRESS (IMAGE::PATH@0xOFFSET or "
     "FILE@0xOFFSET, as scan lists them) names it, through a journal that undoes an unfinished write; "
     "--recover only undoes such a write.",
     RunInject},
    {"scan", "INPUT [--formats tmd,tim] [--extract DIR] [--aligned]",
     "Finds every TMD model and TIM texture inside a file, an ISO 9660 image, a raw CD image or a cue "
     "sheet, lists each with its address and, with --extract, writes each to a file of its own.",
     RunScan},
    {"vram", "[--tim PATH]... [--dump-in FILE] [--dump-out FILE] [--png OUT] [--page N --pmode M --clut X,Y]",
     "Builds the frame-buffer memory from a dump and the textures given, and writes it as a raw dump, a PNG "
     "of the whole memory or of one texture page read through a colour-table row; with no output, prints "
     "the textures and their overlaps as JSON.",
     RunVram},
    {"tim-edit",
     "IN.tim OUT.tim [--move X,Y] [--clut-move X,Y] [--palette-from FILE.png|FILE.tim --row N] "
     "[--set-entry ROW,INDEX,0xWORD]",
     "Moves a texture's image or colour table in the frame buffer, replaces a colour-table row from a "
     "picture or another texture, or sets one entry, and writes the result.",
     RunTimEdit},
    {"tim-cut", "DUMP OUT.tim --rect X,Y,W,H --bpp 4|8|16 [--clut X,Y]",
     "Cuts a rectangle of a frame-buffer dump out as a new TIM texture of the depth given.", RunTimCut},
};

// Text for troff: a backslash is doubled and every hyphen is a minus sign.
std::string Troff(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

} // namespace

std::span<const CommandUsage> CommandUsages() {
    return kUsages;
}

std::string Synopsis(const CommandUsage& usage) {
    std::string synopsis = usage.synopsis;
    // The view modes' names come from the mode table, in its order.
    constexpr std::string_view kModes = "MODES";
    if (const auto at = synopsis.find(kModes); at != std::string::npos) {
        std::string names;
        for (const ViewModeEntry& mode : ViewModes())
            names += (names.empty() ? "" : "|") + std::string(mode.cliName);
        synopsis.replace(at, kModes.size(), names);
    }
    return synopsis;
}

std::string UsageLine(std::string_view name) {
    for (const CommandUsage& usage : kUsages)
        if (name == usage.name)
            return std::string("usage: polyvane-cli ") + usage.name + ' ' + Synopsis(usage);
    return "usage: polyvane-cli COMMAND ...";
}

void PrintCommandUsage(std::string_view name) {
    PrintUsageError(UsageLine(name));
}

std::string ManPage() {
    std::string page =
        ".TH POLYVANE\\-CLI 1 \"December 2026\" \"polyvane\" \"User Commands\"\n"
        ".SH NAME\n"
        "polyvane\\-cli \\- read, convert and render TMD models and TIM textures without a window\n"
        ".SH SYNOPSIS\n"
        ".nf\n";
    for (const CommandUsage& usage : kUsages)
        page += "\\fBpolyvane\\-cli " + Troff(usage.name) + "\\fR " + Troff(Synopsis(usage)) + "\n";
    page += "\\fBpolyvane\\-cli \\-\\-help\\fR\n"
            ".fi\n"
            ".SH DESCRIPTION\n"
            ".B polyvane\\-cli\n"
            "runs the editor's own model, texture and drawing code.\n"
            "A file is opened as the editor opens it: a name ending in\n"
            ".B tmd\n"
            "(in any case) is read as a TMD model, one ending in\n"
            ".B lwo\n"
            "is imported as a LightWave object.\n"
            "Every message the editor would show in a box is written to standard error, one per line.\n"
            ".SH COMMANDS\n";
    for (const CommandUsage& usage : kUsages)
        page += ".TP\n.B " + Troff(usage.name) + "\n" + Troff(usage.summary) + "\n";
    page += ".SH OPTIONS\n"
            ".TP\n"
            ".BI \\-\\-do \" COMMAND\"\n"
            "Runs a document command after loading, as the editor's menu command would\n"
            ".RB ( next\\-prim ,\n"
            ".BR select\\-prim:N ,\n"
            ".BR save:PATH ,\n"
            "\\&...; the full list is printed by\n"
            ".BR \\-\\-help ).\n"
            ".TP\n"
            ".B \\-\\-\n"
            "Ends the options: every later argument is a file name, even one starting with\n"
            ".BR \\- .\n"
            ".SH EXIT STATUS\n"
            ".TP\n"
            ".B 0\n"
            "The file loaded and every command and save succeeded.\n"
            ".TP\n"
            ".B 1\n"
            "Loading or saving failed.\n"
            ".TP\n"
            ".B 2\n"
            "A usage error: unknown command or option, missing argument, malformed value.\n"
            ".SH EXAMPLES\n"
            ".nf\n"
            "polyvane\\-cli info samples/cube.tmd\n"
            "polyvane\\-cli render cube.tmd cube.png \\-\\-mode solid \\-\\-angles 0.5,0.7,0\n"
            "polyvane\\-cli info \\-\\- \\-x.tmd\n"
            ".fi\n"
            ".SH SEE ALSO\n"
            ".BR polyvane (1)\n";
    return page;
}

} // namespace polyvane::cli
