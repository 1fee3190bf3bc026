#pragma once
// The subcommands of polyvane-cli. Each takes the arguments after its name and returns the exit code.
#include <span>
#include <string>

namespace polyvane::cli {

int RunInfo(std::span<const std::string> args);
int RunDump(std::span<const std::string> args);
int RunTim(std::span<const std::string> args);
int RunConvert(std::span<const std::string> args);
int RunRender(std::span<const std::string> args);
int RunExport(std::span<const std::string> args);
int RunImport(std::span<const std::string> args);
int RunTimFromImage(std::span<const std::string> args);
int RunGpuDraw(std::span<const std::string> args);
int RunVram(std::span<const std::string> args);
int RunTimEdit(std::span<const std::string> args);
int RunTimCut(std::span<const std::string> args);
int RunInject(std::span<const std::string> args);
int RunScan(std::span<const std::string> args);

} // namespace polyvane::cli
