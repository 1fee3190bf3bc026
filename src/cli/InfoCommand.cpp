// `polyvane-cli info FILE`: a short human summary of a model.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "Subcommands.h"

#include <cstdio>
#include <iostream>

namespace polyvane::cli {

int RunInfo(std::span<const std::string> args) {
    auto parsed = ParseFileAndCommands(args);
    if (!parsed || parsed->positional.size() != 1 || !parsed->commands.empty()) {
        PrintCommandUsage("info");
        return kExitUsage;
    }
    const std::string& path = parsed->positional[0];
    auto doc = OpenDocumentFile(path);
    if (!doc)
        return kExitFailed;

    std::cout << "File: " << path << '\n';
    std::cout << "Objects: " << doc->ObjectCount() << '\n';
    for (std::uint32_t i = 0; i < doc->ObjectCount(); ++i) {
        doc->SelectModelObject(i);
        doc->ComputeExtents();
        const TmdObject& o = doc->ObjectEntry(i);
        unsigned triangles = 0, quads = 0, textured = 0, lit = 0, gouraud = 0, translucent = 0;
        for (const WorkPrimitive& p : doc->Records()) {
            const std::uint16_t attr = p.attr;
            (attr & PA_QUAD) ? ++quads : ++triangles;
            textured += (attr & PA_TEXTURED) ? 1 : 0;
            lit += (attr & PA_LIGHT) ? 1 : 0;
            gouraud += (attr & PA_GOURAUD) ? 1 : 0;
            translucent += (attr & PA_TRANSLUCENT) ? 1 : 0;
        }
        std::cout << "Object " << i << ": vertices " << o.n_vert << ", normals " << o.n_normal
                  << ", primitives " << o.n_primitive << '\n';
        std::cout << "  triangles " << triangles << ", quads " << quads << ", textured " << textured
                  << ", lit " << lit << ", gouraud " << gouraud << ", translucent " << translucent << '\n';
        if (const auto kept = doc->KeptPackets(i); !kept.empty()) {
            const PacketCounts counts = CountPackets(kept);
            std::cout << "  lines " << counts.lines << ", sprites " << counts.sprites << ", other packets "
                      << counts.others << '\n';
        }
        const TmdVector& min = doc->MinExtent();
        const TmdVector& max = doc->MaxExtent();
        std::cout << "  extents x " << min.vx << ".." << max.vx << ", y " << min.vy << ".." << max.vy
                  << ", z " << min.vz << ".." << max.vz << '\n';
    }
    return kExitOk;
}

} // namespace polyvane::cli
