// `polyvane-cli convert IN OUT [--do COMMAND]...`: opens IN as the editor does, runs the commands and
// saves OUT as the editor's Save does.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "Subcommands.h"

namespace polyvane::cli {

int RunConvert(std::span<const std::string> args) {
    auto parsed = ParseFileAndCommands(args);
    if (!parsed || parsed->positional.size() != 2) {
        PrintCommandUsage("convert");
        return kExitUsage;
    }
    auto doc = OpenDocumentFile(parsed->positional[0]);
    if (!doc)
        return kExitFailed;
    // A failed command leaves OUT unwritten: the file would not be what was asked for.
    if (!RunDocCommands(*doc, parsed->commands))
        return kExitFailed;
    return doc->OnSaveDocument(parsed->positional[1]) ? kExitOk : kExitFailed;
}

} // namespace polyvane::cli
