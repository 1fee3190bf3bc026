#pragma once
// Every file format the program knows, in one table: its name, extensions and file-dialog filter, a
// detector over bytes, a reader to a plain value, a writer where it has one, and the texts of its
// failures. Opening, importing, exporting, dropped files, the dialogs' filters and the command line
// all look formats up here. The formats below the exchange library are registered here; those that
// need outside libraries are added by the exchange library into the same table.
#include "ItemExtent.h"
#include "LwoSurface.h"
#include "Result.h"
#include "TimImage.h"
#include "TmdModel.h"

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

// What a format is used for; an entry may have several.
enum FormatRole : unsigned {
    kOpenRole = 1,    // File, Open reads it into a document, and Save writes it
    kImportRole = 2,  // File, Import reads it into a new model
    kExportRole = 4,  // File, Export writes it
    kTextureRole = 8, // a texture the model's textures take
    kFindRole = 16,   // looked for by its detector inside other data (archives, disc images)
};

// How sure a detector is that bytes hold its format.
enum class Certainty : std::uint8_t {
    no,     // not this format
    maybe,  // nothing contradicts it, but nothing marks it either
    likely, // the signature and the sizes it claims agree
    sure,   // a signature no other format has
};

struct ModelReadOptions {
    double lwoScale = 100.0;           // model units per LWOB unit
    std::optional<double> importScale; // model units per unit of an imported file; none: fit
};

// A model read from a file: the model, with what else the format brings.
struct ModelRead {
    TmdModel model;
    std::list<LwoSurface> surfaces;
    // True when the records carry no normals of their own, so the reader's caller computes them.
    bool needsNormals = false;
    // Textures the file's materials made (TIM files), in the order of the materials.
    std::vector<std::vector<std::uint8_t>> textures;
    // What the user should know although the read succeeded.
    std::vector<std::string> notices;
};
// A failure is the messages shown for it, in order; never empty.
using ModelReadResult = Result<ModelRead, std::vector<std::string>>;
using TextureReadResult = Result<TimImage, std::vector<std::string>>;
// A writer's failure: its messages, and the object being written when it failed (none before any).
struct WriteFailure {
    std::vector<std::string> messages;
    std::optional<std::uint32_t> object;
};
using BytesWriteResult = Result<std::vector<std::uint8_t>, WriteFailure>;

struct FileFormat {
    std::string name;
    std::vector<std::string> extensions; // lower case, without the dot; the first is the usual one
    std::string filter;                  // "Name (*.a *.b)"; empty keeps it out of the dialogs
    unsigned roles = 0;
    // Matched by the name's last letters alone, with or without a dot before them, as the model
    // files the editor opens always were; other formats want ".ext".
    bool matchesLastLetters = false;
    // Looks at a file's first bytes (the whole file where it is smaller); allocates nothing. What lies
    // past the bytes given contradicts nothing: a file cut short of its tables may still be likely.
    Certainty (*detect)(std::span<const std::uint8_t>) = nullptr;
    // For formats found inside other data: the bytes an item starting at bytes[0] takes, from its
    // headers and tables; none when the bytes cannot start one.
    std::optional<ItemExtent> (*extent)(std::span<const std::uint8_t>) = nullptr;
    // For formats found inside other data: the little-endian first words an item can start with (the
    // scan looks no further at any other offset, so keep them few), and what a hit reports, called
    // once the detector is at least likely.
    std::vector<std::uint32_t> firstWords;
    void (*summarize)(std::span<const std::uint8_t>, ItemSummary&) = nullptr;
    std::function<ModelReadResult(std::span<const std::uint8_t>, const ModelReadOptions&)> readModel;
    // For formats whose files name other files beside them: reads the file at a path.
    std::function<ModelReadResult(const std::string& path, const ModelReadOptions&)> readModelFile;
    std::function<TextureReadResult(std::span<const std::uint8_t>)> readTexture;
    // Writes a model prepared for saving, with the textures `tims` hold, to a file at `path` (and
    // the pictures beside it); the messages for the user, a failure's reason first. True when written.
    std::function<bool(const ModelRef&, std::span<const TimImage> tims, const std::string& path,
                       std::vector<std::string>& messages)>
        exportModel;
    // Writes a model prepared for saving as bytes.
    std::function<BytesWriteResult(const ModelRef&)> writeModel;
    // Shown when the file's bytes cannot be had at all.
    std::string unreadableText = "Could not open file";
    // Shown as one of the format's files is opened, before it is read.
    std::string openingNotice;
};

class FormatRegistry {
  public:
    // Adds `format`; a later entry with an extension already taken does not take it over.
    void Add(FileFormat format);

    [[nodiscard]] const std::vector<FileFormat>& All() const { return m_formats; }
    [[nodiscard]] const FileFormat* ByName(std::string_view name) const;
    // The format of `role` whose extension ends the file name, compared without regard to case; else
    // the first of `role` with no extensions (a reader that tells formats apart itself), if any.
    [[nodiscard]] const FileFormat* ForPath(std::string_view path, unsigned role) const;
    // The format of `role` surest to hold `bytes`, with how sure; none when no detector says yes.
    struct Detection {
        const FileFormat* format = nullptr;
        Certainty certainty = Certainty::no;
    };
    [[nodiscard]] Detection Detect(std::span<const std::uint8_t> bytes, unsigned role) const;
    // The file dialogs' filter for `role`: each format's filter, joined by ";;", after an
    // "<allName> (...)" entry of all their patterns when `allName` is given, and "All files (*)"
    // last when `anyFile`.
    [[nodiscard]] std::string Filter(unsigned role, std::string_view allName = {}, bool anyFile = true) const;

  private:
    std::vector<FileFormat> m_formats;
};

// The program's one table, with the TMD, TIM and LWOB entries in it.
[[nodiscard]] FormatRegistry& Formats();

// The core entries' detectors, for whoever looks for files inside other data.
[[nodiscard]] Certainty DetectTmd(std::span<const std::uint8_t> bytes);
[[nodiscard]] Certainty DetectTim(std::span<const std::uint8_t> bytes);
[[nodiscard]] Certainty DetectLwob(std::span<const std::uint8_t> bytes);

} // namespace polyvane
