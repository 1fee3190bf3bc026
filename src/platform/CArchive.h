#pragma once
// A document's view of the file being loaded or stored. Loading reads from a file or from a memory
// buffer; storing writes into a new file beside the target that replaces the target only on Commit,
// so a failed save never destroys the user's file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace polyvane {

class CArchive {
  public:
    enum Mode { load, store };

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    ~CArchive();

    // Opens `path` for loading. Returns false when the file cannot be opened.
    [[nodiscard]] bool OpenForLoad(const std::string& path);
    // Opens a temporary file beside `path` for storing. Returns false when it cannot be created.
    [[nodiscard]] bool OpenForStore(const std::string& path);
    // Loads from bytes held in memory, under the given file name. The archive reads them in place:
    // they must outlive it.
    static CArchive FromMemory(std::span<const std::uint8_t> bytes, const std::string& fileName);
    // Stores into memory under the given file name; StoredBytes() holds what was written (tests,
    // fuzzers, benchmarks).
    static CArchive ToMemory(const std::string& fileName);
    CArchive() = default;
    CArchive(CArchive&& other) noexcept;

    [[nodiscard]] bool IsLoading() const { return m_mode == load; }
    [[nodiscard]] bool IsStoring() const { return m_mode == store; }

    // Reads up to `count` bytes and returns how many were read; fewer at the end of the file.
    std::size_t Read(void* buffer, std::size_t count);
    // Writes `count` bytes. A failed write is remembered and makes Commit fail.
    void Write(const void* buffer, std::size_t count);
    void Flush();
    // Name of the file without its directory.
    [[nodiscard]] std::string GetFileName() const;
    [[nodiscard]] const std::string& GetFilePath() const { return m_path; }
    // Length of the file in bytes (loading: the whole file; storing: what was written so far).
    [[nodiscard]] std::uint64_t GetLength() const;
    // Loading from memory: the bytes not yet read, which stay valid while the archive lives; empty
    // for a file, whose bytes must be read.
    [[nodiscard]] std::span<const std::uint8_t> UnreadMemory() const;
    // Position of the next byte read or written.
    [[nodiscard]] std::uint64_t GetPosition() const { return m_position; }

    // Storing: the writer marks its output as complete; Commit then replaces the target.
    void MarkComplete() { m_complete = true; }
    [[nodiscard]] bool IsComplete() const { return m_complete; }
    [[nodiscard]] bool HasWriteError() const { return m_writeError; }
    // Storing: flushes, closes and renames the temporary file over the target. Returns false (and
    // removes the temporary file, leaving the target untouched) when anything failed or the writer did
    // not mark its output complete.
    [[nodiscard]] bool Commit();
    // Closes without replacing anything; the temporary file of a store is removed.
    void Abort();
    // What a memory store has written so far.
    [[nodiscard]] const std::vector<std::uint8_t>& StoredBytes() const { return m_memory; }

  private:
    Mode m_mode = load;
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_tempPath;
    // Storing: the file the temporary replaces (a symbolic link's destination, not the link).
    std::string m_targetPath;
    std::vector<std::uint8_t> m_memory;     // a memory store's output
    std::span<const std::uint8_t> m_source; // a memory load's input, the caller's
    bool m_inMemory = false;
    std::uint64_t m_position = 0;
    std::uint64_t m_length = 0;
    bool m_writeError = false;
    bool m_complete = false;
};

} // namespace polyvane
