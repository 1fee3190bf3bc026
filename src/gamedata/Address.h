#pragma once
// Where an item found in game data lives: `IMAGE::PATH@0xOFFSET` (a file of an image's file system,
// OFFSET in that file's data) or `FILE@0xOFFSET` (a plain file, or an image's user data outside any
// file). Parsing and formatting are pure; resolving opens the container.
#include "Detect.h"
#include "DiscImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace polyvane::gamedata {

struct Address {
    std::string container;           // the file, image or cue sheet as the user named it
    std::optional<std::string> path; // the file inside the image; none for FILE@0xOFFSET
    std::uint64_t offset = 0;
    friend bool operator==(const Address&, const Address&) = default;
};

// None when `text` does not end in "@0x" and 1 to 16 hexadecimal digits after a non-empty container
// (and, with "::", a non-empty path).
[[nodiscard]] std::optional<Address> ParseAddress(std::string_view text);
// The address as text, its offset in upper-case hexadecimal without leading zeros.
[[nodiscard]] std::string FormatAddress(const Address& address);
// Whether `text` names an item rather than a file: it parses as an address and no file of that
// exact name exists.
[[nodiscard]] bool IsAddress(std::string_view text);

// The data the address names inside `image`. Refused when the image's file systems do not list it.
[[nodiscard]] Result<DataPlace, std::string> FindAddressedData(const DiscImage& image,
                                                               const Address& address);

// Where `length` bytes at the address lie in the image's data file, sector by sector.
[[nodiscard]] Result<std::vector<SectorPiece>, std::string>
LocateAddress(const DiscImage& image, const Address& address, std::uint64_t length);

// The item an address names, cut out of its container.
struct LoadedItem {
    Address address;
    DetectedItem item;
    std::vector<std::uint8_t> bytes; // exactly the item's bytes
};
// Reads the model or texture at the address from an open image. Refused, with one message, when the
// address lies outside its data, no whole item starts there, or the item is cut off.
[[nodiscard]] Result<LoadedItem, std::string> LoadItem(const DiscImage& image, const Address& address);
// The same after opening the address's container.
[[nodiscard]] Result<LoadedItem, std::string> LoadItem(const Address& address);

// Lets every open of a model or texture (documents, textures, the command line) take an address as
// well as a file name: installs the platform's item resolver.
void InstallAddressResolver();

} // namespace polyvane::gamedata
