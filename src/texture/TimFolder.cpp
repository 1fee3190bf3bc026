#include "TimFolder.h"

#include "TimFiles.h"
#include "formats/FormatRegistry.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace polyvane {

namespace {

bool IsTimName(const std::filesystem::path& path) {
    const FileFormat* format = Formats().ForPath(path.filename().string(), kTextureRole);
    return format && format->name == "TIM";
}

} // namespace

std::size_t AddTimFolder(const std::string& folder, const std::function<void(TimImage&&)>& add) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error) && IsTimName(it->path()))
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    std::size_t added = 0;
    for (const auto& file : files) {
        if (std::optional<TimImage> tim = OpenTimFile(file.string())) {
            add(std::move(*tim));
            ++added;
        }
    }
    return added;
}

std::size_t AddTimFolder(TimList& list, const std::string& folder) {
    return AddTimFolder(folder, [&list](TimImage&& tim) { list.push_back(std::move(tim)); });
}

} // namespace polyvane
