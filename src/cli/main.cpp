// polyvane-cli: the editor's model, texture and drawing code without a window.
#include "CliSupport.h"
#include "CommandUsage.h"
#include "exchange/ExchangeFormats.h"
#include "gamedata/Address.h"
#include "gamedata/WriteBack.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage: polyvane-cli COMMAND ...\n";
    for (const auto& usage : polyvane::cli::CommandUsages())
        out << "  polyvane-cli " << usage.name << ' ' << polyvane::cli::Synopsis(usage) << '\n';
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
    if (args[0] == "--man") {
        std::cout << polyvane::cli::ManPage();
        return polyvane::cli::kExitOk;
    }
    polyvane::RegisterExchangeFormats();
    // FILE@0xOFFSET and IMAGE::PATH@0xOFFSET open items inside game data wherever a file is named, and
    // save them back there wherever a file is saved.
    polyvane::gamedata::InstallAddressResolver();
    polyvane::gamedata::InstallItemWriter();
    polyvane::cli::StderrMessageBox messages;
    polyvane::ScopedMessageBox scoped(messages);
    for (const auto& command : polyvane::cli::CommandUsages())
        if (args[0] == command.name)
            return command.run(std::span<const std::string>(args).subspan(1));
    polyvane::cli::PrintUsageError("unknown command: " + args[0]);
    PrintUsage(std::cerr);
    return polyvane::cli::kExitUsage;
}
