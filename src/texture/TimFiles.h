#pragma once
// Loading TIM files for the user: the codec's result, or its failure shown as one message.
#include "formats/TimImage.h"
#include "formats/TimList.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace polyvane {

// Reads the file named by tim.fileName. On failure shows one message and returns false; the record
// then holds no pixel buffer.
bool LoadTim(TimImage& tim);
// The same over a file already in memory.
bool LoadTimFromBytes(TimImage& tim, std::span<const std::uint8_t> bytes);

// Loads `path` into a new record; none when the reader failed (after its message).
std::optional<TimImage> OpenTimFile(const std::string& path);

// Loads `path` into a temporary record and, when that succeeds, moves it to the tail and returns its
// position. On failure (after its message) the list is unchanged and end() is returned.
TimList::iterator AddTimFile(TimList& list, const std::string& path);

// How the TIM manager lists a texture: its file name, marked while no file holds it yet.
[[nodiscard]] std::string TimListLabel(const TimImage& tim);
// The file name a list label stands for.
[[nodiscard]] std::string_view TimNameOfLabel(std::string_view label);

} // namespace polyvane
