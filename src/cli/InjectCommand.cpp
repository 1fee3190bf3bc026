// `polyvane-cli inject ADDRESS NEWFILE` puts a model or texture back where the scan found it;
// `inject --recover IMAGE` undoes a write into IMAGE that did not finish.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "Subcommands.h"
#include "gamedata/DiscImage.h"
#include "gamedata/WriteBack.h"

#include <fstream>
#include <iostream>
#include <iterator>

namespace polyvane::cli {

namespace {

int Recover(const std::string& image) {
    if (image.size() > 4 && (image.ends_with(".cue") || image.ends_with(".CUE"))) {
        // The journal lies beside the sheet's data file; opening the sheet finds it and recovers.
        auto opened = gamedata::DiscImage::Open(image);
        if (!opened) {
            std::cerr << opened.error() << '\n';
            return kExitFailed;
        }
        return Recover(opened.value()->DataPath());
    }
    const gamedata::RecoveryResult recovery = gamedata::RecoverImage(image);
    switch (recovery.outcome) {
    case gamedata::RecoveryResult::Outcome::noJournal:
        std::cerr << '"' << image << "\": no unfinished write to undo\n";
        return kExitOk;
    case gamedata::RecoveryResult::Outcome::restored:
        std::cerr << recovery.message << '\n';
        return kExitOk;
    case gamedata::RecoveryResult::Outcome::leftInPlace:
        break;
    }
    std::cerr << recovery.message << '\n';
    return kExitFailed;
}

} // namespace

int RunInject(std::span<const std::string> args) {
    if (args.size() == 2 && args[0] == "--recover")
        return Recover(args[1]);
    if (args.size() != 2 || args[0].starts_with("--") || args[1].starts_with("--")) {
        PrintCommandUsage("inject");
        return kExitUsage;
    }
    std::ifstream in(args[1], std::ios::binary);
    if (!in) {
        std::cerr << "Cannot open " << args[1] << '\n';
        return kExitFailed;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const gamedata::WriteBackResult result = gamedata::WriteBack(args[0], bytes);
    for (const std::string& warning : result.warnings)
        std::cerr << "warning: " << warning << '\n';
    if (!result.written) {
        std::cerr << result.error << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace polyvane::cli
