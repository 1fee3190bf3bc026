// A PlayStation executable: found by its signature, read by nothing.
#include "CoreFormats.h"

#include <cstring>

namespace polyvane {

FileFormat PsxExeFileFormat() {
    FileFormat f;
    f.name = "PS-X EXE";
    f.roles = kFindRole;
    f.detect = [](std::span<const std::uint8_t> bytes) {
        return bytes.size() >= 2048 && std::memcmp(bytes.data(), "PS-X EXE", 8) == 0 ? Certainty::sure
                                                                                     : Certainty::no;
    };
    return f;
}

} // namespace polyvane
