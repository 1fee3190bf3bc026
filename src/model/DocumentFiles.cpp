// The document's files: TMD and LWOB read through the codecs and adopted, TMD saved from the model,
// and every failure shown as the messages the user has always seen for it.
#include "CPolyvaneDoc.h"
#include "FileMessages.h"
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
    [[nodiscard]] std::span<const std::uint8_t> bytes() const { return {data.get(), size}; }
};

// The rest of the archive in memory; none when it cannot be held.
std::optional<FileBytes> ReadRest(CArchive& ar) {
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

std::vector<std::string_view> TmdReadMessages(TmdReadError error) {
    switch (error) {
    case TmdReadError::badId:
    case TmdReadError::badFile:
        return {TmdReadErrorText(error)};
    case TmdReadError::noRecordMemory:
        return {TmdReadErrorText(error), TmdReadErrorText(TmdReadError::badFile)};
    case TmdReadError::truncatedHeader:
    case TmdReadError::badObjectTable:
        // Failures that once passed without a word: the user still learns the file is bad.
        break;
    }
    return {TmdReadErrorText(TmdReadError::badFile)};
}

std::vector<std::string_view> TmdWriteMessages(TmdWriteError error) {
    return {TmdWriteErrorText(error)};
}

std::vector<std::string_view> LwoImportMessages(LwoError error) {
    // Too short to hold a FORM header is, to the user, not an IFF file.
    if (error == LwoError::truncatedHeader)
        return {LwoErrorText(LwoError::notIff)};
    return {LwoErrorText(error)};
}

bool CPolyvaneDoc::LoadTmd(CArchive& ar) {
    ResetModel();
    const std::optional<FileBytes> file = ReadRest(ar);
    if (!file) {
        AfxMessageBox("Could not open file");
        return false;
    }
    auto model = ReadTmd(file->bytes());
    if (!model) {
        Show(TmdReadMessages(model.error()));
        ResetModel();
        return false;
    }
    AdoptModel(std::move(model.value()));
    CopyPrimitive();
    return true;
}

bool CPolyvaneDoc::LoadLwo(CArchive& ar) {
    ResetModel();
    m_surfaceList.clear();
    const std::optional<FileBytes> file = ReadRest(ar);
    if (!file) {
        AfxMessageBox("Not enough memory for LWO");
        return false;
    }
    auto imported = ImportLwo(file->bytes(), m_lwoScale);
    if (!imported) {
        Show(LwoImportMessages(imported.error()));
        return false;
    }
    m_surfaceList = std::move(imported->surfaces);
    AdoptModel(std::move(imported->model));
    if (!HasSelection()) {
        ResetModel();
        m_surfaceList.clear();
        return false;
    }
    // Saved files and lit drawing need normals; an imported object has none of its own.
    ComputeFaceNormals();
    ComputeVertexNormals();
    ComputeExtents();
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
