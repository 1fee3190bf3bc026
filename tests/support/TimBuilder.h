#pragma once
// Builds TIM files byte by byte from the format's table, for tests: ID word, flag word, the optional
// CLUT block (length, x, y, width, height, colour words), then the image block (length, x, y, width,
// height, pixel bytes). Lengths are computed unless a test gives its own.
#include "TmdBuilder.h"
#include "platform/MessageBox.h"
#include "texture/TimFiles.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace polyvane::test {

struct TimSpec {
    std::uint32_t id = 0x10;
    std::uint32_t flag = 0; // pixel mode in bits 0-2; bit 3 is set by BuildTim when clut is given
    std::optional<std::vector<std::uint16_t>> clut;
    std::optional<std::uint32_t> clutLength;
    std::uint16_t clutX = 0, clutY = 480, clutWidth = 16, clutHeight = 1;
    std::optional<std::uint32_t> imageLength;
    std::uint16_t imageX = 640, imageY = 0, imageWidth = 0, imageHeight = 0;
    std::vector<std::uint8_t> pixels;
};

inline Bytes BuildTim(const TimSpec& spec) {
    Bytes b;
    b.u32(spec.id);
    b.u32(spec.flag | (spec.clut ? 8u : 0u));
    if (spec.clut) {
        b.u32(spec.clutLength.value_or(12 + 2 * static_cast<std::uint32_t>(spec.clut->size())));
        b.u16(spec.clutX);
        b.u16(spec.clutY);
        b.u16(spec.clutWidth);
        b.u16(spec.clutHeight);
        for (std::uint16_t w : *spec.clut)
            b.u16(w);
    }
    b.u32(spec.imageLength.value_or(12 + static_cast<std::uint32_t>(spec.pixels.size())));
    b.u16(spec.imageX);
    b.u16(spec.imageY);
    b.u16(spec.imageWidth);
    b.u16(spec.imageHeight);
    for (std::uint8_t p : spec.pixels)
        b.u8(p);
    return b;
}

// Pixel bytes 0, 1, 2, ... wrapping at 256: every byte tells where it came from.
inline std::vector<std::uint8_t> CountingBytes(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i);
    return v;
}

struct TimLoad {
    TimImage tim;
    bool ok = false;
    std::vector<std::string> messages;
};

inline TimLoad LoadTimBytes(const std::vector<std::uint8_t>& bytes) {
    TimLoad r;
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    r.tim.fileName = "texture.tim";
    r.ok = LoadTimFromBytes(r.tim, bytes);
    r.messages = box.Texts();
    return r;
}

inline TimLoad LoadTimFile(const std::string& path) {
    TimLoad r;
    HeadlessMessageBox box;
    ScopedMessageBox scoped(box);
    r.tim.fileName = path;
    r.ok = LoadTim(r.tim);
    r.messages = box.Texts();
    return r;
}

// A fresh directory for one test's TIM files, removed with everything in it at the end.
class TimFileDir {
  public:
    TimFileDir() {
        static std::atomic<int> serial{0};
        m_dir = std::filesystem::temp_directory_path() /
                ("polyvane-tims-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    ~TimFileDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    TimFileDir(const TimFileDir&) = delete;
    TimFileDir& operator=(const TimFileDir&) = delete;

    // Writes `spec` as a file named `name` and returns its full path.
    std::string Write(const std::string& name, const TimSpec& spec) const {
        const auto bytes = BuildTim(spec).data();
        const auto path = (m_dir / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    [[nodiscard]] const std::filesystem::path& Path() const { return m_dir; }

  private:
    std::filesystem::path m_dir;
};

} // namespace polyvane::test
