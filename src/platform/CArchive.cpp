#include "CArchive.h"

#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace polyvane {

CArchive::~CArchive() {
    Abort();
}

CArchive::CArchive(CArchive&& other) noexcept
    : m_mode(other.m_mode), m_file(std::exchange(other.m_file, nullptr)), m_path(std::move(other.m_path)),
      m_tempPath(std::move(other.m_tempPath)), m_targetPath(std::move(other.m_targetPath)),
      m_memory(std::move(other.m_memory)), m_source(other.m_source), m_inMemory(other.m_inMemory),
      m_position(other.m_position), m_length(other.m_length), m_writeError(other.m_writeError),
      m_complete(other.m_complete) {
    other.m_tempPath.clear();
}

bool CArchive::OpenForLoad(const std::string& path) {
    Abort();
    m_mode = load;
    m_path = path;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return false;
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        return false;
    if (std::fseek(m_file, 0, SEEK_END) == 0) {
        long end = std::ftell(m_file);
        m_length = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
    std::rewind(m_file);
    m_position = 0;
    return true;
}

bool CArchive::OpenForStore(const std::string& path) {
    Abort();
    m_mode = store;
    m_path = path;
    m_inMemory = false;
    // Saving through a symbolic link replaces the file it points to and keeps the link.
    m_targetPath = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            m_targetPath = resolved.string();
    }
    std::random_device rd;
    // The temporary file lives in the target's directory so that the final rename stays on one file
    // system and is atomic.
    for (int attempt = 0; attempt < 16 && !m_file; ++attempt) {
        m_tempPath = m_targetPath + ".pvtmp" + std::to_string(rd() % 1000000u);
        m_file = std::fopen(m_tempPath.c_str(), "wbx");
    }
    if (!m_file) {
        m_tempPath.clear();
        return false;
    }
    m_position = m_length = 0;
    m_writeError = m_complete = false;
    return true;
}

CArchive CArchive::FromMemory(std::span<const std::uint8_t> bytes, const std::string& fileName) {
    CArchive ar;
    ar.m_mode = load;
    ar.m_inMemory = true;
    ar.m_source = bytes;
    ar.m_path = fileName;
    ar.m_length = bytes.size();
    return ar;
}

CArchive CArchive::ToMemory(const std::string& fileName) {
    CArchive ar;
    ar.m_mode = store;
    ar.m_inMemory = true;
    ar.m_path = fileName;
    return ar;
}

std::size_t CArchive::Read(void* buffer, std::size_t count) {
    if (m_mode != load || count == 0)
        return 0;
    std::size_t got = 0;
    if (m_inMemory) {
        std::uint64_t left = m_length - m_position;
        got = count < left ? count : static_cast<std::size_t>(left);
        if (got)
            std::memcpy(buffer, m_source.data() + m_position, got);
    } else if (m_file) {
        got = std::fread(buffer, 1, count, m_file);
    }
    m_position += got;
    return got;
}

std::span<const std::uint8_t> CArchive::UnreadMemory() const {
    if (m_mode != load || !m_inMemory || m_position >= m_length)
        return {};
    return m_source.subspan(static_cast<std::size_t>(m_position));
}

void CArchive::Write(const void* buffer, std::size_t count) {
    if (m_mode == store && m_inMemory) {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        m_memory.insert(m_memory.end(), bytes, bytes + count);
        m_position = m_length = m_memory.size();
        return;
    }
    if (m_mode != store || !m_file) {
        m_writeError = true;
        return;
    }
    if (count && std::fwrite(buffer, 1, count, m_file) != count)
        m_writeError = true;
    m_position += count;
    m_length = m_position;
}

void CArchive::Flush() {
    if (m_file && m_mode == store && std::fflush(m_file) != 0)
        m_writeError = true;
}

std::string CArchive::GetFileName() const {
    return std::filesystem::path(m_path).filename().string();
}

std::uint64_t CArchive::GetLength() const {
    return m_length;
}

bool CArchive::Commit() {
    if (m_mode == store && m_inMemory)
        return !m_writeError && m_complete;
    if (m_mode != store || !m_file)
        return false;
    Flush();
    bool ok = !m_writeError && m_complete;
#if defined(__unix__) || defined(__APPLE__)
    // The data must be on the disk before the rename makes it the user's file.
    if (ok && ::fsync(::fileno(m_file)) != 0)
        ok = false;
#endif
    if (std::fclose(m_file) != 0)
        ok = false;
    m_file = nullptr;
    std::error_code ec;
    if (ok) {
        // A replaced file keeps its permissions; a new one keeps those the temporary file got.
        const auto target = std::filesystem::status(m_targetPath, ec);
        if (!ec && std::filesystem::exists(target))
            std::filesystem::permissions(m_tempPath, target.permissions(), ec);
        ec.clear();
        std::filesystem::rename(m_tempPath, m_targetPath, ec);
        ok = !ec;
    }
    if (!ok)
        std::remove(m_tempPath.c_str());
    m_tempPath.clear();
    return ok;
}

void CArchive::Abort() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_tempPath.empty()) {
        std::remove(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

} // namespace polyvane
