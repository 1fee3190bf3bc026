#pragma once
// A folder of this process's own for what a fuzz target writes: in memory when the system has a
// memory file system, since every save writes a file beside its target and renames it over.
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

inline const std::string& FuzzScratch(const char* target) {
    static const std::string folder = [target] {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        const auto path = base / (std::string(target) + "." + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}
