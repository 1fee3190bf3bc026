// The TMD model: the editor's own format, opened and saved.
#include "CoreFormats.h"
#include "FileMessages.h"
#include "TmdCodec.h"
#include "TmdFormat.h"
#include "TmdPackets.h"
#include "platform/ByteReader.h"

#include <algorithm>

namespace polyvane {

namespace {
constexpr std::uint32_t kMaxTableEntries = 65536; // 16-bit indices reach no further

// The counts of the object table, which a likely detection has in view.
void SummarizeTmd(std::span<const std::uint8_t> bytes, ItemSummary& summary) {
    summary.objects = std::min(LoadU32LE(bytes.data() + 8), kMaxObjects);
    std::uint64_t primitives = 0;
    for (std::uint32_t i = 0; i < summary.objects; ++i)
        primitives += LoadTmdObjectEntry(bytes.data() + kTmdHeaderSize + std::size_t{i} * kTmdObjectEntrySize)
                          .n_primitive;
    summary.primitives = static_cast<std::uint32_t>(std::min<std::uint64_t>(primitives, UINT32_MAX));
}
} // namespace

FileFormat TmdFileFormat() {
    FileFormat f;
    f.name = "TMD";
    f.extensions = {"tmd"};
    f.filter = "Tmd files (*.tmd)";
    f.roles = kOpenRole | kFindRole;
    f.matchesLastLetters = true;
    f.detect = DetectTmd;
    f.extent = TmdExtent;
    f.firstWords = {kTmdId};
    f.summarize = SummarizeTmd;
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
    if (bytes.size() < 4 || LoadU32LE(bytes.data()) != kTmdId)
        return Certainty::no;
    if (bytes.size() < kTmdHeaderSize)
        return Certainty::maybe;
    // Only the FIXP bit of the flags is defined; the reader takes every table's place as an offset
    // from the object table, which is how files hold them with the bit clear.
    const std::uint32_t flags = LoadU32LE(bytes.data() + 4);
    const std::uint32_t objects = LoadU32LE(bytes.data() + 8);
    if (flags > 1 || objects == 0 || objects > kMaxObjects)
        return Certainty::no;
    const std::span<const std::uint8_t> image = bytes.subspan(kTmdHeaderSize);
    const std::uint64_t table = objects * std::uint64_t{kTmdObjectEntrySize};
    if (table > image.size())
        return Certainty::maybe;
    // Every object's tables lie word-aligned after the object table, each within what 16-bit indices
    // reach; every packet in view has the length its kind gives it.
    bool usual = flags == 0;
    bool allInView = true;
    std::uint64_t drawn = 0, unknown = 0, budget = kMaxTmdRecords;
    for (std::uint32_t i = 0; i < objects; ++i) {
        const TmdObject o = LoadTmdObjectEntry(image.data() + std::size_t{i} * kTmdObjectEntrySize);
        if (((o.vert_top | o.normal_top | o.primitive_top) & 3) || o.vert_top < table ||
            o.normal_top < table || o.primitive_top < table || o.n_vert > kMaxTableEntries ||
            o.n_normal > kMaxTableEntries || o.n_primitive > budget)
            return Certainty::no;
        budget -= o.n_primitive;
        usual = usual && o.n_vert > 0 && o.n_primitive > 0;
        std::uint64_t position = o.primitive_top;
        for (std::uint32_t j = 0; j < o.n_primitive; ++j) {
            if (position + 4 > image.size()) {
                allInView = false;
                break;
            }
            const std::uint32_t header = LoadU32LE(image.data() + position);
            if (!PacketFitsItsKind(header))
                return Certainty::no;
            (KindOfPacket(header) == PacketKind::other ? unknown : drawn)++;
            position += 4 * (1 + std::uint64_t{static_cast<std::uint8_t>(header >> 8)});
        }
    }
    // A run of packets of unknown codes is what words of other data read as packets look like: a model
    // draws something with most of its packets (of those in view, when the bytes stop short of some).
    const bool drawing = unknown <= drawn && (drawn > 0 || !allInView);
    return usual && drawing ? Certainty::likely : Certainty::maybe;
}

} // namespace polyvane
