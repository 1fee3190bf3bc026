#pragma once
// Each polyvane-cli command in one table: what runs it and its usage, from which `--help`, the usage
// errors and the manual page are all made.
#include <span>
#include <string>
#include <string_view>

namespace polyvane::cli {

struct CommandUsage {
    const char* name;
    const char* synopsis; // the arguments after the name
    const char* summary;  // one paragraph for the manual page
    // Runs the command on the arguments after its name; returns the exit code.
    int (*run)(std::span<const std::string> args);
};

[[nodiscard]] std::span<const CommandUsage> CommandUsages();
// A command's arguments as printed: the synopsis with MODES spelt out as the view modes' names.
[[nodiscard]] std::string Synopsis(const CommandUsage& usage);
// "usage: polyvane-cli NAME SYNOPSIS" for command `name`.
[[nodiscard]] std::string UsageLine(std::string_view name);
// Prints UsageLine(name) as a usage error.
void PrintCommandUsage(std::string_view name);
// The manual page polyvane-cli(1), in troff, made from the table.
[[nodiscard]] std::string ManPage();

} // namespace polyvane::cli
