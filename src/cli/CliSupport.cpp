#include "CliSupport.h"

#include <charconv>
#include <cstdio>
#include <iostream>

namespace polyvane::cli {

void StderrMessageBox::Show(std::string_view text) {
    std::cerr << text << '\n';
    std::cerr.flush();
}

std::unique_ptr<CPolyvaneDoc> OpenDocumentFile(const std::string& path) {
    auto doc = std::make_unique<CPolyvaneDoc>();
    if (!doc->OnOpenDocument(path))
        return nullptr;
    return doc;
}

void PrintUsageError(std::string_view what) {
    std::cerr << "polyvane-cli: " << what << '\n';
}

bool RunDocCommands(CPolyvaneDoc& doc, const std::vector<DocCommand>& commands) {
    for (const auto& command : commands)
        if (!command(doc))
            return false;
    return true;
}

std::optional<FileAndCommands> ParseFileAndCommands(std::span<const std::string> args,
                                                    const OptionHandler& extra) {
    FileAndCommands out;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // After "--" every argument is a file name, even one that starts with '-'.
        if (optionsEnded) {
            out.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--do") {
            if (i + 1 >= args.size()) {
                PrintUsageError("--do needs a command");
                return std::nullopt;
            }
            auto command = ParseDocCommand(args[++i]);
            if (!command) {
                PrintUsageError("unknown command: " + args[i]);
                return std::nullopt;
            }
            out.commands.push_back(std::move(*command));
            continue;
        }
        if (extra && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            int used = extra(arg, args.subspan(i + 1));
            if (used < 0) {
                PrintUsageError("bad or missing value for " + arg);
                return std::nullopt;
            }
            if (used > 0) {
                i += static_cast<std::size_t>(used - 1);
                continue;
            }
        }
        if (arg.size() > 1 && arg[0] == '-') {
            PrintUsageError("unknown option: " + arg);
            return std::nullopt;
        }
        out.positional.push_back(arg);
    }
    return out;
}

bool ParsePair(std::string_view text, int& x, int& y) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos)
        return false;
    const auto first = std::from_chars(text.data(), text.data() + comma, x);
    const auto second = std::from_chars(text.data() + comma + 1, text.data() + text.size(), y);
    return first.ec == std::errc() && first.ptr == text.data() + comma && second.ec == std::errc() &&
           second.ptr == text.data() + text.size();
}

OptionHandler ValueOptions(std::vector<std::pair<std::string_view, std::optional<std::string>*>> options) {
    return [options](std::string_view option, std::span<const std::string> rest) {
        for (const auto& [name, value] : options)
            if (option == name) {
                if (rest.empty() || *value)
                    return -1;
                *value = rest[0];
                return 2;
            }
        return 0;
    };
}

} // namespace polyvane::cli
