// Undo and redo through polyvane-cli: every recorded command is taken back and made again exactly.
#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

using namespace polyvane::test;
using nlohmann::json;

namespace {

std::vector<std::string> Args(const std::vector<std::string>& commands) {
    std::vector<std::string> args = {"dump", std::string(POLYVANE_SOURCE_DIR) + "/samples/cube.tmd"};
    for (const auto& c : commands) {
        args.push_back("--do");
        args.push_back(c);
    }
    return args;
}

json Dump(const std::vector<std::string>& commands) {
    const CliResult r = RunCli(Args(commands));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.exitCode == 0 ? json::parse(r.out) : json();
}

// The model, selection and modified mark, without the history's own lists.
json State(json dump) {
    dump.erase("undo");
    dump.erase("redo");
    return dump;
}

std::vector<std::string> Plus(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(CliUndo, EachCommandIsTakenBackAndMadeAgainExactly) {
    struct Case {
        std::vector<std::string> before; // leaves the selection away from where it starts
        std::string command;
        std::string name;
    } cases[] = {
        {{"next-prim", "copy", "next-prim", "next-prim"}, "paste", "Paste"},
        {{"next-prim"}, "swap-xz", "Swap X and Z"},
        {{"next-prim"}, "flip-x", "Flip X"},
        {{}, "flip-y", "Flip Y"},
        {{"prev-prim"}, "flip-z", "Flip Z"},
    };
    for (const Case& c : cases) {
        const json start = Dump(c.before);
        const json made = Dump(Plus(c.before, {c.command}));
        const json undone = Dump(Plus(c.before, {c.command, "undo"}));
        const json redone = Dump(Plus(c.before, {c.command, "undo", "redo"}));
        ASSERT_NE(State(made), State(start)) << c.command;
        EXPECT_EQ(State(undone), State(start)) << c.command;
        EXPECT_EQ(State(redone), State(made)) << c.command;
        EXPECT_EQ(made["undo"], json::array({c.name})) << c.command;
        EXPECT_EQ(undone["redo"], json::array({c.name})) << c.command;
        EXPECT_EQ(redone, made) << c.command;
    }
}

// Undo goes back to where the step was made, whatever was selected since; navigation is no step.
TEST(CliUndo, SequencesKeepTheHistoryAndSelectionInOrder) {
    const json start = Dump({});
    const json mixed =
        Dump({"flip-x", "next-prim", "copy", "next-prim", "paste", "next-prim", "undo", "undo"});
    EXPECT_EQ(State(mixed)["objects"], State(start)["objects"]);
    EXPECT_EQ(mixed["current_primitive"], start["current_primitive"]);
    EXPECT_EQ(mixed["redo"], json::array({"Flip X", "Paste"}));
    EXPECT_FALSE(mixed["modified"].get<bool>());

    const json otherObject = Dump({"next-object", "flip-x", "prev-object", "undo"});
    EXPECT_EQ(otherObject["current_object"], 1);
    EXPECT_EQ(State(otherObject)["objects"], State(start)["objects"]);

    // A new change drops what could have been redone.
    const json dropped = Dump({"flip-x", "flip-y", "undo", "flip-z"});
    EXPECT_EQ(dropped["undo"], json::array({"Flip Z", "Flip X"}));
    EXPECT_EQ(dropped["redo"], json::array());

    // Undo past the start fails the command and says why.
    const CliResult past = RunCli(Args({"flip-x", "undo", "undo"}));
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_NE(past.err.find("nothing to undo"), std::string::npos);
    const CliResult nothing = RunCli(Args({"redo"}));
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_NE(nothing.err.find("nothing to redo"), std::string::npos);
}

TEST(CliUndo, TheModifiedMarkFollowsTheSavedState) {
    const auto saved =
        std::filesystem::temp_directory_path() / ("polyvane-undo-" + std::to_string(::getpid()) + ".tmd");
    const std::string save = "save:" + saved.string();
    const struct {
        std::vector<std::string> commands;
        bool modified;
    } cases[] = {
        {{"flip-x", "undo"}, false},
        {{"flip-x", save}, false},
        {{"flip-x", save, "undo"}, true},
        {{"flip-x", save, "undo", "redo"}, false},
        {{"flip-x", "flip-y", save, "undo", "flip-z"}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Dump(c.commands)["modified"].get<bool>(), c.modified) << c.commands.size();
    std::filesystem::remove(saved);
}
