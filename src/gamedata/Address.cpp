// Addresses of found items as text, and the sectors they name.
#include "Address.h"

#include "platform/ItemNames.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace polyvane::gamedata {

std::optional<Address> ParseAddress(std::string_view text) {
    const std::size_t at = text.rfind("@0x");
    if (at == std::string_view::npos || at == 0)
        return std::nullopt;
    const std::string_view digits = text.substr(at + 3);
    if (digits.empty() || digits.size() > 16)
        return std::nullopt;
    Address address;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), address.offset, 16);
    if (ec != std::errc{} || end != digits.data() + digits.size())
        return std::nullopt;
    const std::string_view where = text.substr(0, at);
    const std::size_t separator = where.rfind("::");
    if (separator == std::string_view::npos) {
        address.container = where;
        return address;
    }
    address.container = where.substr(0, separator);
    std::string_view path = where.substr(separator + 2);
    while (!path.empty() && path.front() == '/')
        path.remove_prefix(1);
    if (address.container.empty() || path.empty())
        return std::nullopt;
    address.path = std::string(path);
    return address;
}

std::string FormatAddress(const Address& address) {
    char digits[17] = {};
    const auto result = std::to_chars(digits, digits + 16, address.offset, 16);
    std::string hex(digits, result.ptr);
    for (char& c : hex)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string text = address.container;
    if (address.path)
        text += "::" + *address.path;
    return text + "@0x" + hex;
}

bool IsAddress(std::string_view text) {
    if (!ParseAddress(text))
        return false;
    std::error_code ec;
    return !std::filesystem::exists(std::filesystem::path(text), ec);
}

Result<DataPlace, std::string> FindAddressedData(const DiscImage& image, const Address& address) {
    if (const std::optional<DataPlace> place = image.Resolve(address.path))
        return *place;
    return std::string("The image " + address.container + " lists no file " + address.path.value_or(""));
}

Result<std::vector<SectorPiece>, std::string> LocateAddress(const DiscImage& image, const Address& address,
                                                            std::uint64_t length) {
    auto place = FindAddressedData(image, address);
    if (!place)
        return place.error();
    return place->image->Locate(place->file, address.offset, length);
}

Result<LoadedItem, std::string> LoadItem(const DiscImage& image, const Address& address) {
    auto place = FindAddressedData(image, address);
    if (!place)
        return place.error();
    const std::string text = FormatAddress(address);
    if (address.offset >= place->image->DataSize(place->file))
        return std::string(text + " lies past the end of its data");
    LoadedItem loaded;
    loaded.address = address;
    constexpr std::size_t kFirstRead = 64 << 10;
    if (DetectInImage(*place->image, place->file, address.offset, kFirstRead, kAllFormats, loaded.item,
                      loaded.bytes) != Detection::found)
        return std::string("No TMD model or TIM texture starts at " + text);
    if (!loaded.item.complete)
        return std::string("The item at " + text + " is cut off by the end of its file");
    return loaded;
}

Result<LoadedItem, std::string> LoadItem(const Address& address) {
    auto image = DiscImage::Open(address.container);
    if (!image)
        return image.error();
    return LoadItem(*image.value(), address);
}

void InstallAddressResolver() {
    SetItemResolver([](const std::string& name) -> std::optional<NamedItem> {
        if (!IsAddress(name))
            return std::nullopt;
        NamedItem named;
        Address address = *ParseAddress(name);
        auto loaded = LoadItem(address);
        if (!loaded) {
            named.error = loaded.error();
            return named;
        }
        named.bytes = std::move(loaded->bytes);
        named.extension = ScanFormats().Extension(loaded->item.format);
        address.container = std::filesystem::path(address.container).filename().string();
        named.title = FormatAddress(address);
        return named;
    });
}

} // namespace polyvane::gamedata
