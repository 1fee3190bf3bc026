#pragma once
// Each polyvane-cli command's usage, in one place: `--help`, the usage errors and the manual page are
// all made from this table.
#include <span>
#include <string>
#include <string_view>

namespace polyvane::cli {

struct CommandUsage {
    const char* name;
    const char* synopsis; // the arguments after the name
    const char* summary;  // one paragraph for the manual page
};

[[nodiscard]] std::span<const CommandUsage> CommandUsages();
// "usage: polyvane-cli NAME SYNOPSIS" for command `name`.
[[nodiscard]] std::string UsageLine(std::string_view name);
// Prints UsageLine(name) as a usage error.
void PrintCommandUsage(std::string_view name);
// The manual page polyvane-cli(1), in troff, made from the table.
[[nodiscard]] std::string ManPage();

} // namespace polyvane::cli
