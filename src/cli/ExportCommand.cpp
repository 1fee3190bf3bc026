// `polyvane-cli export IN OUT [--tim PATH]... [--do COMMAND]...`: opens IN as the editor does, runs the
// commands and exports the model as OUT, in the format OUT's extension names, with the textures given.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "Subcommands.h"
#include "exchange/ModelExporter.h"
#include "formats/FormatRegistry.h"
#include "texture/TimFiles.h"

#include <vector>

namespace polyvane::cli {

int RunExport(std::span<const std::string> args) {
    std::vector<std::string> timPaths;
    auto parsed = ParseFileAndCommands(args, [&](std::string_view option, std::span<const std::string> rest) {
        if (option != "--tim")
            return 0;
        if (rest.empty())
            return -1;
        timPaths.push_back(rest[0]);
        return 2;
    });
    if (!parsed || parsed->positional.size() != 2) {
        PrintCommandUsage("export");
        return kExitUsage;
    }
    const std::string& out = parsed->positional[1];
    if (!Formats().ForPath(out, kExportRole)) {
        PrintUsageError("unknown export format: " + out + " (use .glb, .gltf or .obj)");
        return kExitUsage;
    }
    std::vector<TimImage> tims(timPaths.size());
    for (std::size_t i = 0; i < timPaths.size(); ++i) {
        tims[i].fileName = timPaths[i];
        if (!LoadTim(tims[i]))
            return kExitFailed;
    }
    auto doc = OpenDocumentFile(parsed->positional[0]);
    if (!doc || !RunDocCommands(*doc, parsed->commands))
        return kExitFailed;
    const ExportResult result = ExportModel(doc->Model(), tims, out);
    for (const std::string& message : result.messages)
        AfxMessageBox(message);
    return result.ok ? kExitOk : kExitFailed;
}

} // namespace polyvane::cli
