// The document commands that `--do` runs, by name.
#include "CliSupport.h"

#include "CommandIds.h"

#include <charconv>

namespace polyvane::cli {

namespace {

enum class Arg { none, number, path };

struct NamedCommand {
    const char* name;
    Arg arg;
    std::function<bool(CPolyvaneDoc&, const std::string&)> run;
};

// Runs a command through the document's command routing, as a menu item would.
auto Routed(unsigned id) {
    return [id](CPolyvaneDoc& doc, const std::string&) {
        doc.OnCmdMsg(id, nullptr);
        return true;
    };
}

// Makes primitive N of the selected object current, as picking it in the select-primitive dialog
// does. A primitive the object does not have fails the command.
bool SelectPrimitive(CPolyvaneDoc& doc, const std::string& arg) {
    unsigned long long index = 0;
    std::from_chars(arg.data(), arg.data() + arg.size(), index);
    if (index >= doc.WorkCount() || !doc.SelectPrimitive(static_cast<std::uint32_t>(index))) {
        PrintUsageError("select-prim: no primitive " + arg + " in the selected object");
        return false;
    }
    doc.UpdateAllViews(nullptr, 0, nullptr);
    return true;
}

// Takes back the newest change, or makes the last undone one again, as Edit, Undo and Redo do; with
// nothing to take back or make again the command fails.
bool StepHistory(CPolyvaneDoc& doc, bool undo) {
    const bool done = undo ? doc.History().Undo() : doc.History().Redo();
    if (!done)
        PrintUsageError(undo ? "undo: nothing to undo" : "redo: nothing to redo");
    return done;
}

const std::vector<NamedCommand>& Commands() {
    static const std::vector<NamedCommand> commands = {
        // Commands are listed here as the document gains them.
        {"next-prim", Arg::none, Routed(ID_OBJECT_NEXT_PRIM)},
        {"prev-prim", Arg::none, Routed(ID_OBJECT_PREV_PRIM)},
        {"next-object", Arg::none, Routed(ID_OBJECT_NEXT_OBJECT)},
        {"prev-object", Arg::none, Routed(ID_OBJECT_PREV_OBJECT)},
        {"copy", Arg::none, Routed(ID_EDIT_COPY)},
        {"paste", Arg::none, Routed(ID_EDIT_PASTE)},
        {"select-prim", Arg::number, SelectPrimitive},
        {"swap-xz", Arg::none, Routed(ID_TOOLS_SWAP_XZ)},
        {"flip-x", Arg::none, Routed(ID_TOOLS_FLIP_X)},
        {"flip-y", Arg::none, Routed(ID_TOOLS_FLIP_Y)},
        {"flip-z", Arg::none, Routed(ID_TOOLS_FLIP_Z)},
        {"undo", Arg::none, [](CPolyvaneDoc& doc, const std::string&) { return StepHistory(doc, true); }},
        {"redo", Arg::none, [](CPolyvaneDoc& doc, const std::string&) { return StepHistory(doc, false); }},
        {"save", Arg::path,
         [](CPolyvaneDoc& doc, const std::string& path) { return doc.OnSaveDocument(path); }},
    };
    return commands;
}

} // namespace

std::optional<DocCommand> ParseDocCommand(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    const std::string arg =
        colon == std::string_view::npos ? std::string() : std::string(text.substr(colon + 1));
    for (const auto& command : Commands()) {
        if (name != command.name)
            continue;
        if ((command.arg == Arg::none) != (colon == std::string_view::npos))
            return std::nullopt;
        if (command.arg == Arg::number) {
            unsigned long long value = 0;
            auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), value);
            if (ec != std::errc() || end != arg.data() + arg.size() || arg.empty())
                return std::nullopt;
        }
        if (command.arg == Arg::path && arg.empty())
            return std::nullopt;
        auto run = command.run;
        return DocCommand([run, arg](CPolyvaneDoc& doc) { return run(doc, arg); });
    }
    return std::nullopt;
}

std::vector<std::string> DocCommandNames() {
    std::vector<std::string> names;
    for (const auto& command : Commands())
        names.push_back(command.arg == Arg::none     ? command.name
                        : command.arg == Arg::number ? std::string(command.name) + ":N"
                                                     : std::string(command.name) + ":PATH");
    return names;
}

} // namespace polyvane::cli
