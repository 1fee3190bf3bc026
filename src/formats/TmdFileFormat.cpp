// The TMD model: the editor's own format, opened and saved.
#include "CoreFormats.h"
#include "FileMessages.h"
#include "TmdCodec.h"
#include "TmdFormat.h"
#include "platform/ByteReader.h"

namespace polyvane {

FileFormat TmdFileFormat() {
    FileFormat f;
    f.name = "TMD";
    f.extensions = {"tmd"};
    f.filter = "Tmd files (*.tmd)";
    f.roles = kOpenRole | kFindRole;
    f.matchesLastLetters = true;
    f.detect = DetectTmd;
    f.readModel = [](std::span<const std::uint8_t> bytes, const ModelReadOptions&) -> ModelReadResult {
        auto model = ReadTmd(bytes);
        if (!model)
            return MessageTexts(TmdReadMessages(model.error()));
        ModelRead read;
        read.model = std::move(model.value());
        return read;
    };
    f.writeModel = [](const ModelRef& model) -> BytesWriteResult {
        auto written = WriteTmd(model);
        if (!written) {
            WriteFailure failure{MessageTexts(TmdWriteMessages(written.error().error)), std::nullopt};
            if (written.error().object < kMaxObjects)
                failure.object = written.error().object;
            return failure;
        }
        const auto bytes = written.value().bytes();
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    };
    return f;
}

Certainty DetectTmd(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kTmdHeaderSize + kTmdObjectEntrySize || LoadU32LE(bytes.data()) != kTmdId)
        return Certainty::no;
    // Only the FIXP bit of the flags is defined.
    const std::uint32_t flags = LoadU32LE(bytes.data() + 4);
    const std::uint32_t objects = LoadU32LE(bytes.data() + 8);
    const std::uint64_t image = bytes.size() - kTmdHeaderSize;
    if (flags > 1 || objects == 0 || objects > kMaxObjects ||
        objects * std::uint64_t{kTmdObjectEntrySize} > image)
        return Certainty::no;
    // The first object's tables start inside the bytes, after the object table, and hold no more
    // entries than the bytes after them.
    const std::uint8_t* entry = bytes.data() + kTmdHeaderSize;
    const std::uint64_t table = objects * std::uint64_t{kTmdObjectEntrySize};
    for (const int field : {0, 8, 16}) {
        const std::uint64_t top = LoadU32LE(entry + field);
        const std::uint64_t count = LoadU32LE(entry + field + 4);
        const std::uint64_t entrySize = field == 16 ? 4 : kTmdVectorSize;
        if (top < table || top > image || count > (image - top) / entrySize)
            return Certainty::no;
    }
    return Certainty::likely;
}

} // namespace polyvane
