// Detection of the items the format table finds inside other data, at a byte offset. The scanner
// asks more of an item than opening a file does: the entry's detector must be at least likely (an
// item found among other data has nothing else vouching for it), and a whole item must read through
// the entry's reader.
#include "Detect.h"

#include "platform/ByteReader.h"

#include <algorithm>

namespace polyvane::gamedata {

namespace {

bool ReadsWhole(const FileFormat& entry, std::span<const std::uint8_t> bytes) {
    if (entry.readModel)
        return static_cast<bool>(entry.readModel(bytes, {}));
    if (entry.readTexture)
        return static_cast<bool>(entry.readTexture(bytes));
    // A format the program only recognises has its detector's word alone.
    return true;
}

// Looks for an item of `entry` at bytes[0], whose first word the entry names.
Detection DetectFormat(const FileFormat& entry, std::span<const std::uint8_t> bytes, bool toEnd,
                       DetectedItem& item) {
    const Certainty certainty = entry.detect(bytes);
    if (certainty == Certainty::no)
        return Detection::none;
    const std::optional<ItemExtent> extent = entry.extent(bytes);
    if (!extent || extent->size > kMaxItemBytes)
        return Detection::none;
    if (!extent->complete && !toEnd) {
        item.size = extent->size;
        return Detection::needMore;
    }
    // With every header in view, the detector has seen all it looks at.
    if (certainty < Certainty::likely)
        return Detection::none;
    if (!extent->complete) {
        item.complete = false;
        item.size = bytes.size();
    } else {
        if (!ReadsWhole(entry, bytes.first(static_cast<std::size_t>(extent->size))))
            return Detection::none;
        item.size = extent->size;
    }
    if (entry.summarize)
        entry.summarize(bytes, item);
    return Detection::found;
}

} // namespace

ScanTable::ScanTable(const FormatRegistry& registry) {
    for (const FileFormat& format : registry.All()) {
        if (!(format.roles & kFindRole) || !format.detect || !format.extent || format.firstWords.empty() ||
            m_entries.size() == sizeof(FormatMask) * 8)
            continue;
        m_entries.push_back(format);
        std::string name = format.name;
        for (char& c : name)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        m_names.push_back(std::move(name));
    }
}

const std::string& ScanTable::Extension(ItemFormat format) const {
    const FileFormat& entry = m_entries[format];
    return entry.extensions.empty() ? m_names[format] : entry.extensions.front();
}

ScanTable::Kind ScanTable::KindOf(ItemFormat format) const {
    const FileFormat& entry = m_entries[format];
    if (entry.roles & kTextureRole)
        return Kind::texture;
    if (entry.roles & (kOpenRole | kImportRole))
        return Kind::model;
    return Kind::other;
}

std::optional<ItemFormat> ScanTable::Find(std::string_view name) const {
    for (std::size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i] == name)
            return static_cast<ItemFormat>(i);
    return std::nullopt;
}

std::string ScanTable::NameList() const {
    std::string list;
    for (const std::string& name : m_names)
        list += (list.empty() ? "" : ", ") + name;
    return list;
}

StartFilter ScanTable::Filter(FormatMask formats) const {
    StartFilter filter;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (!(formats & MaskOf(static_cast<ItemFormat>(i))))
            continue;
        for (const std::uint32_t word : m_entries[i].firstWords)
            if (!filter.Passes(word) && filter.count < StartFilter::kMaxWords)
                filter.words[filter.count++] = word;
    }
    return filter;
}

const ScanTable& ScanFormats() {
    static const ScanTable table(Formats());
    return table;
}

Detection DetectItem(std::span<const std::uint8_t> bytes, bool toEnd, FormatMask formats, DetectedItem& item,
                     const ScanTable& table) {
    if (bytes.size() < 4)
        return toEnd ? Detection::none : Detection::needMore;
    const std::uint32_t first = LoadU32LE(bytes.data());
    // Formats that share a first word are asked in the table's order; the first to find an item has it.
    Detection result = Detection::none;
    std::uint64_t wanted = 0;
    for (std::size_t i = 0; i < table.Size(); ++i) {
        const auto format = static_cast<ItemFormat>(i);
        const FileFormat& entry = table.Entry(format);
        if (!(formats & MaskOf(format)) ||
            std::find(entry.firstWords.begin(), entry.firstWords.end(), first) == entry.firstWords.end())
            continue;
        item = DetectedItem{};
        item.format = format;
        const Detection found = DetectFormat(entry, bytes, toEnd, item);
        if (found == Detection::found)
            return found;
        if (found == Detection::needMore) {
            result = found;
            wanted = std::max(wanted, item.size);
        }
    }
    item = DetectedItem{};
    item.size = wanted;
    return result;
}

Detection DetectInImage(const DiscImage& image, const ImageFile* file, std::uint64_t offset,
                        std::size_t first, FormatMask formats, DetectedItem& item,
                        std::vector<std::uint8_t>& bytes, const ScanTable& table) {
    const std::uint64_t size = image.DataSize(file);
    if (offset >= size)
        return Detection::none;
    const std::uint64_t room = std::min(kMaxItemBytes, size - offset);
    std::uint64_t wanted = std::min<std::uint64_t>(first, room);
    for (;;) {
        bytes.resize(static_cast<std::size_t>(wanted));
        bytes.resize(image.Read(file, offset, bytes));
        // A read stops early at the data's end or at a sector without user data: the item's file
        // ends there as far as the item can tell.
        const bool toEnd = bytes.size() < wanted || offset + bytes.size() == size;
        const Detection result = DetectItem(bytes, toEnd, formats, item, table);
        if (result == Detection::found && item.complete)
            bytes.resize(static_cast<std::size_t>(item.size));
        if (result != Detection::needMore)
            return result;
        if (wanted >= room)
            return Detection::none;
        // What the item claims so far, at least twice what was read, so that a walk through its
        // packets takes few reads.
        wanted = std::min(room, std::max<std::uint64_t>(item.size, 2 * wanted));
    }
}

} // namespace polyvane::gamedata
