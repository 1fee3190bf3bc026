// polyvane-cli: the editor's model, texture and drawing code without a window.
#include "CliSupport.h"
#include "Subcommands.h"
#include "gamedata/Address.h"
#include "gamedata/WriteBack.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

struct Subcommand {
    const char* name;
    const char* synopsis;
    int (*run)(std::span<const std::string>);
};

constexpr Subcommand kSubcommands[] = {
    {"info", "info FILE", polyvane::cli::RunInfo},
    {"dump", "dump FILE [--do COMMAND]...", polyvane::cli::RunDump},
    {"tim", "tim FILE [--png OUT.png]", polyvane::cli::RunTim},
    {"convert", "convert IN OUT [--do COMMAND]...", polyvane::cli::RunConvert},
    {"render",
     "render FILE OUT.png [--mode M] [--size WxH] [--angles AX,AY,AZ] [--distance D] [--no-vertex-numbers] "
     "[--tim PATH]... [--background 0xRRGGBB] [--dither] [--ambient A] [--light DX,DY,DZ,I]... [--no-lights] "
     "[--trace] [--dump-json FILE] [--do COMMAND]...",
     polyvane::cli::RunRender},
    {"export", "export IN OUT.glb|OUT.gltf|OUT.obj [--tim PATH]... [--do COMMAND]...",
     polyvane::cli::RunExport},
    {"import", "import IN OUT.tmd [--scale S] [--tim-out PATH]", polyvane::cli::RunImport},
    {"tim-from-image", "tim-from-image IN.png OUT.tim [--bpp 4|8|15] [--at X,Y] [--clut-at X,Y]",
     polyvane::cli::RunTimFromImage},
    {"gpu-draw", "gpu-draw SCENE.json OUT.png [--tim PATH]...", polyvane::cli::RunGpuDraw},
    {"vram",
     "vram [--tim PATH]... [--dump-in FILE] [--dump-out FILE] [--png OUT] [--page N --pmode M --clut X,Y]",
     polyvane::cli::RunVram},
    {"tim-edit",
     "tim-edit IN.tim OUT.tim [--move X,Y] [--clut-move X,Y] [--palette-from FILE.png|FILE.tim --row N] "
     "[--set-entry ROW,INDEX,0xWORD]",
     polyvane::cli::RunTimEdit},
    {"tim-cut", "tim-cut DUMP OUT.tim --rect X,Y,W,H --bpp 4|8|16 [--clut X,Y]", polyvane::cli::RunTimCut},
    {"inject", "inject ADDRESS NEWFILE | inject --recover IMAGE", polyvane::cli::RunInject},
    {"scan", "scan INPUT [--formats tmd,tim] [--extract DIR] [--aligned]", polyvane::cli::RunScan},
};

void PrintUsage(std::ostream& out) {
    out << "usage: polyvane-cli COMMAND ...\n";
    for (const auto& sub : kSubcommands)
        out << "  polyvane-cli " << sub.synopsis << '\n';
    auto names = polyvane::cli::DocCommandNames();
    if (!names.empty()) {
        out << "--do commands:";
        for (const auto& name : names)
            out << ' ' << name;
        out << '\n';
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(std::cerr);
        return polyvane::cli::kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        PrintUsage(std::cout);
        return polyvane::cli::kExitOk;
    }
    // FILE@0xOFFSET and IMAGE::PATH@0xOFFSET open items inside game data wherever a file is named, and
    // save them back there wherever a file is saved.
    polyvane::gamedata::InstallAddressResolver();
    polyvane::gamedata::InstallItemWriter();
    polyvane::cli::StderrMessageBox messages;
    polyvane::ScopedMessageBox scoped(messages);
    for (const auto& sub : kSubcommands)
        if (args[0] == sub.name)
            return sub.run(std::span<const std::string>(args).subspan(1));
    polyvane::cli::PrintUsageError("unknown command: " + args[0]);
    PrintUsage(std::cerr);
    return polyvane::cli::kExitUsage;
}
