#pragma once
// What the exchange tests share: models made from records, a folder per test, and the glTF validator.
#include "DocTestSupport.h"
#include "TimBuilder.h"
#include "WorkDocBuilder.h"
#include "exchange/ModelExporter.h"
#include "exchange/ModelImporter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace polyvane::test {

inline TmdModel ModelOf(const std::vector<std::vector<WorkPrimitive>>& objects) {
    TmdModel model;
    model.header = {0x41, 0, static_cast<std::uint32_t>(objects.size())};
    for (const auto& records : objects) {
        TmdModelObject object;
        object.entry.n_primitive = static_cast<std::uint32_t>(records.size());
        if (!records.empty()) {
            object.records = std::make_unique<WorkPrimitive[]>(records.size());
            std::copy(records.begin(), records.end(), object.records.get());
        }
        model.objects.push_back(std::move(object));
    }
    return model;
}

// An empty folder for the running test under the build tree.
inline std::filesystem::path TestFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    const auto folder = std::filesystem::path(POLYVANE_BINARY_DIR) / "exchange_test_out" / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The validator's exit code over `files`: 0 valid, 1 errors; none when node or the validator module
// is not installed.
inline std::optional<int> ValidateGltf(const std::vector<std::string>& files) {
    const std::string node = POLYVANE_NODE;
    if (node.empty())
        return std::nullopt;
    std::string command = node + " " + POLYVANE_SOURCE_DIR + "/tests/tools/validate-gltf.js";
    for (const auto& file : files)
        command += " '" + file + "'";
    const int status = std::system((command + " >&2").c_str());
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 3)
        return std::nullopt;
    return code;
}

#define EXPECT_VALID_GLTF(files)                                                                             \
    do {                                                                                                     \
        const auto code = ValidateGltf(files);                                                               \
        if (!code)                                                                                           \
            GTEST_SKIP() << "gltf-validator is not installed (npm install gltf-validator in tests/tools)";   \
        EXPECT_EQ(*code, 0) << "the validator found errors";                                                 \
    } while (0)

} // namespace polyvane::test
