// The menu commands that exchange models and pictures with other programs: File, Import... and
// Export...; Textures, Import Image..., Save TIM As... and Write Back (into the game data a texture
// was read from).
#include "CChildFrame.h"
#include "CPolyvaneApp.h"
#include "ShellPrompts.h"
#include "exchange/ModelExporter.h"
#include "exchange/ModelImporter.h"
#include "exchange/PngCodec.h"
#include "exchange/TimFromImage.h"
#include "gamedata/Address.h"
#include "gamedata/WriteBack.h"
#include "model/CPolyvaneDoc.h"
#include "platform/CCmdTarget.h"
#include "platform/MessageBox.h"
#include "texture/TimFiles.h"

#include <QFileInfo>

#include <vector>

namespace polyvane {

namespace {

// Adds a TIM made in memory to the document's textures, named `fileName`, as a step of its history;
// false when it did not load.
bool AddTexture(CPolyvaneDoc& doc, std::span<const std::uint8_t> bytes, const std::string& fileName) {
    TimImage tim;
    tim.fileName = fileName;
    if (!LoadTimFromBytes(tim, bytes))
        return false;
    doc.AddTexture(std::move(tim));
    return true;
}

// The last texture read from an address rather than from a file of its own.
const TimImage* LastTextureFromAddress(const TimList& textures) {
    for (auto it = textures.rbegin(); it != textures.rend(); ++it)
        if (gamedata::IsAddress(it->fileName))
            return &*it;
    return nullptr;
}

std::string TimNameBeside(const QString& path) {
    const QFileInfo info(path);
    return (info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".tim")).toStdString();
}

} // namespace

void CPolyvaneApp::OnFileImport() {
    const QString path =
        m_prompts.ChooseExchangePath(QStringLiteral("Import"), QString::fromStdString(ImportFilter()), false);
    if (path.isEmpty())
        return;
    ImportResult result = ImportModelFile(QFileInfo(path).absoluteFilePath().toStdString());
    for (const std::string& message : result.messages)
        AfxMessageBox(message);
    if (!result.ok)
        return;
    std::unique_ptr<CPolyvaneDoc> doc = m_documentFactory();
    if (!doc->OnNewDocument())
        return;
    doc->SetTitle(QFileInfo(path).completeBaseName().toStdString());
    doc->AdoptModel(std::move(result.model));
    for (std::size_t i = 0; i < result.textures.size(); ++i)
        AddTexture(*doc, result.textures[i].tim, ImportedTexturePath(TimNameBeside(path), i));
    // An import is a new model that lives nowhere yet: closing it asks whether to save. Its textures
    // came with it, so there is nothing before them to go back to.
    doc->History().Clear();
    doc->SetModifiedFlag(true);
    CPolyvaneDoc* opened = doc.get();
    m_documents.push_back(std::move(doc));
    if (!CreateFrame(*opened))
        m_documents.pop_back();
    CommandStatesChanged();
}

void CChildFrame::OnFileExport() {
    const QString path = m_app.Prompts().ChooseExchangePath(QStringLiteral("Export"),
                                                            QString::fromStdString(ExportFilter()), true);
    if (path.isEmpty())
        return;
    const std::vector<TimImage> tims(m_doc.m_timList.begin(), m_doc.m_timList.end());
    const ExportResult result =
        ExportModel(m_doc.Model(), tims, QFileInfo(path).absoluteFilePath().toStdString());
    for (const std::string& message : result.messages)
        AfxMessageBox(message);
}

void CChildFrame::OnTexturesImportImage() {
    const QString path = m_app.Prompts().ChooseExchangePath(QStringLiteral("Import Image"),
                                                            QStringLiteral("PNG images (*.png)"), false);
    if (path.isEmpty())
        return;
    const auto image = ReadPngFile(path.toStdString());
    if (!image) {
        AfxMessageBox("Cannot read " + path.toStdString() + " as a PNG image");
        return;
    }
    const TimFromImageResult tim = MakeTimFromImage(*image, {});
    if (tim.bytes.empty()) {
        AfxMessageBox(tim.error);
        return;
    }
    if (AddTexture(m_doc, tim.bytes, TimNameBeside(path)))
        m_doc.UpdateAllViews(nullptr, 0, nullptr);
}

void CChildFrame::OnTexturesSaveTimAs() {
    if (m_doc.m_timList.empty())
        return;
    const QString path = m_app.Prompts().ChooseExchangePath(QStringLiteral("Save TIM As"),
                                                            QStringLiteral("TIM textures (*.tim)"), true);
    if (path.isEmpty())
        return;
    if (!WriteWholeFile(path.toStdString(), EncodeTim(m_doc.m_timList.back())))
        AfxMessageBox("Could not write " + path.toStdString());
}

void CChildFrame::OnUpdateTexturesSaveTimAs(CCmdUI* state) {
    state->Enable(!m_doc.m_timList.empty());
}

void CChildFrame::OnTexturesWriteBack() {
    const TimImage* tim = LastTextureFromAddress(m_doc.m_timList);
    if (!tim || !m_app.ConfirmWriteBack(tim->fileName))
        return;
    // A refusal leaves the image as it was; a texture of another layout is written, with the warning.
    const gamedata::WriteBackResult result = gamedata::WriteBack(tim->fileName, EncodeTim(*tim));
    if (!result.written)
        AfxMessageBox(result.error);
    for (const std::string& warning : result.warnings)
        AfxMessageBox(warning);
}

void CChildFrame::OnUpdateTexturesWriteBack(CCmdUI* state) {
    state->Enable(LastTextureFromAddress(m_doc.m_timList) != nullptr);
}

} // namespace polyvane
