#pragma once
// What every polyvane-cli command shares: exit codes, messages on standard error, opening a file as
// the editor does, and the document commands that --do runs.
#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Writes every message the program shows to standard error, one per line, exactly its text.
class StderrMessageBox final : public IMessageBox {
  public:
    void Show(std::string_view text) override;
};

// Opens `path` as the editor does. Returns null when the open failed (its messages already shown).
std::unique_ptr<CPolyvaneDoc> OpenDocumentFile(const std::string& path);

// A document command named on the command line (`next-prim`, `select-prim:3`, `save:out.tmd`, ...).
// Returns false when the command failed (a failed save); the failure's messages are already shown.
using DocCommand = std::function<bool(CPolyvaneDoc&)>;
// Parses one --do argument; none for an unknown name or a malformed argument.
std::optional<DocCommand> ParseDocCommand(std::string_view text);
// The names --do accepts, for the usage text.
std::vector<std::string> DocCommandNames();

// Parsed `FILE [--do COMMAND]...` arguments, shared by the commands that take them. `extraOptions`
// lets a command claim options of its own: it is given the option and the arguments after it and
// returns how many arguments it consumed counting the option itself (0 = not its option, -1 = bad).
struct FileAndCommands {
    std::vector<std::string> positional;
    std::vector<DocCommand> commands;
};
using OptionHandler = std::function<int(std::string_view option, std::span<const std::string> rest)>;
// Returns none on a usage error (after printing what was wrong).
std::optional<FileAndCommands> ParseFileAndCommands(std::span<const std::string> args,
                                                    const OptionHandler& extra = {});

// Runs the commands in order; false when any failed.
bool RunDocCommands(CPolyvaneDoc& doc, const std::vector<DocCommand>& commands);

void PrintUsageError(std::string_view what);

// "X,Y" as two integers; false when the text is anything else.
bool ParsePair(std::string_view text, int& x, int& y);
// Options given as `--name VALUE`, each at most once.
OptionHandler ValueOptions(std::vector<std::pair<std::string_view, std::optional<std::string>*>> options);

} // namespace polyvane::cli
