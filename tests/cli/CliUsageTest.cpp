// Each command's usage comes from one table: the manual page in docs/man is what `--man` makes of it,
// and a command's usage error is the line `--help` prints for it.
#include "CliRunner.h"
#include "CommandUsage.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace polyvane::test;

namespace {

TEST(CliUsage, TheManualPageIsTheOneMadeFromTheTable) {
    const CliResult man = RunCli({"--man"});
    ASSERT_EQ(man.exitCode, 0);
    EXPECT_EQ(man.out, ReadWholeFile(std::filesystem::path(POLYVANE_SOURCE_DIR) / "docs/man/polyvane-cli.1"))
        << "regenerate docs/man/polyvane-cli.1 with polyvane-cli --man";
}

TEST(CliUsage, EveryUsageErrorIsTheHelpLineOfItsCommand) {
    const CliResult help = RunCli({"--help"});
    ASSERT_EQ(help.exitCode, 0);
    for (const auto& usage : polyvane::cli::CommandUsages()) {
        SCOPED_TRACE(usage.name);
        // Too many arguments for every command.
        const CliResult wrong = RunCli({usage.name, "a", "b", "c", "d"});
        EXPECT_EQ(wrong.exitCode, 2);
        // Some commands say first what was wrong; the usage line is the last one.
        const std::string prefix = "polyvane-cli: usage: ";
        const std::size_t at = wrong.err.rfind(prefix);
        ASSERT_NE(at, std::string::npos) << wrong.err;
        const std::string printed = wrong.err.substr(at + prefix.size());
        EXPECT_EQ(printed.rfind("polyvane-cli " + std::string(usage.name) + ' ', 0), 0u) << printed;
        EXPECT_NE(help.out.find("  " + printed), std::string::npos) << printed;
    }
}

} // namespace
