// The document's files: a model read by its format's reader and adopted, TMD saved from the model,
// and every failure shown as the messages the format gives for it.
#include "CPolyvaneDoc.h"
#include "ModelFile.h"
#include "formats/FileMessages.h"
#include "formats/LwoImport.h"
#include "formats/RecordGeometry.h"
#include "formats/TmdCodec.h"
#include "platform/MessageBox.h"

#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>

namespace polyvane {

namespace {

struct FileBytes {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    // Bytes the archive already holds, borrowed instead of copied.
    std::span<const std::uint8_t> borrowed;
    [[nodiscard]] std::span<const std::uint8_t> bytes() const {
        return data ? std::span<const std::uint8_t>(data.get(), size) : borrowed;
    }
};

// The rest of the archive in memory; none when it cannot be held.
std::optional<FileBytes> ReadRest(CArchive& ar) {
    if (const std::span<const std::uint8_t> held = ar.UnreadMemory(); !held.empty()) {
        FileBytes file;
        file.borrowed = held;
        return file;
    }
    const std::uint64_t length = ar.GetLength();
    const std::uint64_t position = ar.GetPosition();
    const std::uint64_t wanted = length > position ? length - position : 0;
    if (wanted > SIZE_MAX - 1)
        return std::nullopt;
    FileBytes file;
    // One extra byte keeps the buffer non-empty, so an empty file still has an address.
    file.data.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(wanted) + 1]);
    if (!file.data)
        return std::nullopt;
    file.size = ar.Read(file.data.get(), static_cast<std::size_t>(wanted));
    return file;
}

void Show(const std::vector<std::string_view>& messages) {
    for (std::string_view message : messages)
        AfxMessageBox(message);
}

} // namespace

bool CPolyvaneDoc::LoadModel(CArchive& ar, const FileFormat& format) {
    if (!format.openingNotice.empty())
        AfxMessageBox(format.openingNotice);
    ResetModel();
    m_surfaceList.clear();
    const std::optional<FileBytes> file = ReadRest(ar);
    if (!file || !format.readModel) {
        AfxMessageBox(format.unreadableText);
        return false;
    }
    ModelReadOptions options;
    options.lwoScale = m_lwoScale;
    auto read = format.readModel(file->bytes(), options);
    if (!read) {
        for (const std::string& message : read.error())
            AfxMessageBox(message);
        ResetModel();
        return false;
    }
    for (const std::string& notice : read->notices)
        AfxMessageBox(notice);
    m_surfaceList = std::move(read->surfaces);
    AdoptModel(std::move(read->model));
    if (!read->needsNormals) {
        CopyPrimitive();
        return true;
    }
    if (!HasSelection()) {
        ResetModel();
        m_surfaceList.clear();
        return false;
    }
    // Saved files and lit drawing need normals; an imported object has none of its own.
    RefreshDerivedFields();
    return true;
}

namespace {

// Prepares `model` as a save writes it and writes it to `ar`; the failure, if any, is for the caller
// to show.
std::optional<TmdWriteFailure> Store(TmdModel& model, CArchive& ar, SharingMethod method) {
    model = PrepareForSave(std::move(model), method);
    const auto written = WriteTmd(model, method);
    if (!written)
        return written.error();
    ar.Write(written.value().data.get(), written.value().size);
    return std::nullopt;
}

} // namespace

bool CPolyvaneDoc::WriteModel(CArchive& ar, SharingMethod method) {
    const std::optional<TmdWriteFailure> failure = Store(m_model, ar, method);
    // The records now hold the normals the file holds.
    m_derivedFresh.assign(m_model.objects.size(), false);
    if (!failure)
        return true;
    // The user is shown the object that could not be written.
    if (failure->object < ObjectCount())
        SelectModelObject(failure->object);
    Show(TmdWriteMessages(failure->error));
    return false;
}

bool SaveTmdFile(TmdModel model, const std::string& path) {
    CArchive ar;
    if (!ar.OpenForStore(path)) {
        AfxMessageBox("Could not save file");
        return false;
    }
    if (const std::optional<TmdWriteFailure> failure = Store(model, ar, SharingMethod::hashed)) {
        Show(TmdWriteMessages(failure->error));
        ar.Abort();
        return false;
    }
    ar.MarkComplete();
    if (!ar.Commit()) {
        AfxMessageBox("Could not save file");
        return false;
    }
    return true;
}

} // namespace polyvane
