#include "FormatRegistry.h"

#include "CoreFormats.h"

#include <algorithm>
#include <cctype>

namespace polyvane {

namespace {

bool EndsWithExtension(std::string_view path, std::string_view extension, bool withDot) {
    if (path.size() < extension.size() + (withDot ? 1 : 0))
        return false;
    if (withDot && path[path.size() - extension.size() - 1] != '.')
        return false;
    const std::string_view tail = path.substr(path.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), extension.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace

void FormatRegistry::Add(FileFormat format) {
    std::erase_if(format.extensions, [&](const std::string& extension) {
        return std::any_of(m_formats.begin(), m_formats.end(), [&](const FileFormat& other) {
            return (other.roles & format.roles) && std::find(other.extensions.begin(), other.extensions.end(),
                                                             extension) != other.extensions.end();
        });
    });
    m_formats.push_back(std::move(format));
}

const FileFormat* FormatRegistry::ByName(std::string_view name) const {
    for (const FileFormat& format : m_formats)
        if (format.name == name)
            return &format;
    return nullptr;
}

const FileFormat* FormatRegistry::ForPath(std::string_view path, unsigned role) const {
    const FileFormat* any = nullptr;
    for (const FileFormat& format : m_formats) {
        if (!(format.roles & role))
            continue;
        if (format.extensions.empty() && !any)
            any = &format;
        for (const std::string& extension : format.extensions)
            if (EndsWithExtension(path, extension, !format.matchesLastLetters))
                return &format;
    }
    return any;
}

FormatRegistry::Detection FormatRegistry::Detect(std::span<const std::uint8_t> bytes, unsigned role) const {
    Detection best;
    for (const FileFormat& format : m_formats) {
        if (!(format.roles & role) || !format.detect)
            continue;
        const Certainty certainty = format.detect(bytes);
        if (certainty > best.certainty)
            best = {&format, certainty};
    }
    return best;
}

std::string FormatRegistry::Filter(unsigned role, std::string_view allName, bool anyFile) const {
    std::string entries, patterns;
    for (const FileFormat& format : m_formats) {
        if (!(format.roles & role) || format.filter.empty())
            continue;
        if (!entries.empty())
            entries += ";;";
        entries += format.filter;
        for (const std::string& extension : format.extensions)
            patterns += (patterns.empty() ? "*." : " *.") + extension;
    }
    std::string filter = allName.empty() ? entries : std::string(allName) + " (" + patterns + ");;" + entries;
    return anyFile ? filter + ";;All files (*)" : filter;
}

FormatRegistry& Formats() {
    static FormatRegistry registry = [] {
        FormatRegistry core;
        AddCoreFormats(core);
        return core;
    }();
    return registry;
}

} // namespace polyvane
