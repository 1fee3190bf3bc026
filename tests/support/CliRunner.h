#pragma once
// Runs polyvane-cli with arguments and captures its standard output, standard error and exit code.
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace polyvane::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline CliResult RunCli(const std::vector<std::string>& args) {
    static int counter = 0;
    const auto dir = std::filesystem::temp_directory_path();
    const auto base = "polyvane-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const auto outPath = dir / (base + ".out");
    const auto errPath = dir / (base + ".err");
    std::string command = ShellQuote(POLYVANE_CLI);
    for (const auto& a : args)
        command += " " + ShellQuote(a);
    command += " >" + ShellQuote(outPath.string()) + " 2>" + ShellQuote(errPath.string()) + " </dev/null";
    CliResult r;
    int status = std::system(command.c_str());
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadWholeFile(outPath);
    r.err = ReadWholeFile(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return r;
}

} // namespace polyvane::test
