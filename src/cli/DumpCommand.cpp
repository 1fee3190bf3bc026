// `polyvane-cli dump FILE [--do COMMAND]...`: the document as one JSON object.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "DocumentJson.h"
#include "Subcommands.h"

#include <iostream>

namespace polyvane::cli {

int RunDump(std::span<const std::string> args) {
    auto parsed = ParseFileAndCommands(args);
    if (!parsed || parsed->positional.size() != 1) {
        PrintCommandUsage("dump");
        return kExitUsage;
    }
    auto doc = OpenDocumentFile(parsed->positional[0]);
    if (!doc) {
        // A failed load prints the empty document.
        CPolyvaneDoc empty;
        std::cout << DocumentToJson(empty, false).dump() << '\n';
        return kExitFailed;
    }
    const bool ok = RunDocCommands(*doc, parsed->commands);
    std::cout << DocumentToJson(*doc, false).dump() << '\n';
    return ok ? kExitOk : kExitFailed;
}

} // namespace polyvane::cli
