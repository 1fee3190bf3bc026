// The menu commands that exchange models and pictures with other programs: File, Import... and
// Export...; Textures, Import Image..., Save TIM As... and Write Back (into the game data a texture
// was read from).
#include "CChildFrame.h"
#include "CPolyvaneApp.h"
#include "ShellPrompts.h"
#include "exchange/ExchangeFormats.h"
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

// Adds a TIM made in memory to the document's textures, named `fileName` and marked as not saved,
// as a step of its history; false when it did not load.
bool AddTexture(CPolyvaneDoc& doc, std::span<const std::uint8_t> bytes, const std::string& fileName) {
    TimImage tim;
    tim.fileName = fileName;
    if (!LoadTimFromBytes(tim, bytes))
        return false;
    // No file holds it until Textures, Save TIM As... writes one.
    tim.unsaved = true;
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
    const QString path = m_prompts.ChooseExchangePath(
        QStringLiteral("Import"), QString::fromStdString(Formats().Filter(kImportRole, "All models")), false,
        ActiveDocumentFolder());
    if (path.isEmpty())
        return;
    const std::string file = QFileInfo(path).absoluteFilePath().toStdString();
    const FileFormat* format = Formats().ForPath(file, kImportRole);
    if (!format || !format->readModelFile)
        return;
    const ScopedMessageSubject subject(file);
    ModelReadResult result = format->readModelFile(file, {});
    for (const std::string& message : result ? result->notices : result.error())
        AfxMessageBox(message);
    if (!result)
        return;
    std::unique_ptr<CPolyvaneDoc> doc = m_documentFactory();
    if (!doc->OnNewDocument())
        return;
    doc->SetTitle(QFileInfo(path).completeBaseName().toStdString());
    doc->AdoptModel(std::move(result->model));
    for (std::size_t i = 0; i < result->textures.size(); ++i)
        AddTexture(*doc, result->textures[i], ImportedTexturePath(TimNameBeside(path), i));
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
    // The model's own name is suggested, beside its file when it has one.
    const QString folder = m_app.ActiveDocumentFolder();
    const QString name = QFileInfo(QString::fromStdString(m_doc.GetTitle())).completeBaseName();
    const QString path = m_app.Prompts().ChooseExchangePath(
        QStringLiteral("Export"), QString::fromStdString(Formats().Filter(kExportRole, {}, false)), true,
        folder.isEmpty() ? name : folder + '/' + name);
    if (path.isEmpty())
        return;
    const std::vector<TimImage> tims(m_doc.Textures().begin(), m_doc.Textures().end());
    const std::string target = QFileInfo(path).absoluteFilePath().toStdString();
    const ScopedMessageSubject subject(target);
    const ExportResult result = ExportModel(m_doc.Model(), tims, target);
    for (const std::string& message : result.messages)
        AfxMessageBox(message);
}

void CChildFrame::OnTexturesImportImage() {
    const QString path = m_app.Prompts().ChooseExchangePath(QStringLiteral("Import Image"),
                                                            QStringLiteral("PNG images (*.png)"), false,
                                                            m_app.ActiveDocumentFolder());
    if (path.isEmpty())
        return;
    const ScopedMessageSubject subject(path.toStdString());
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
    if (m_doc.Textures().empty())
        return;
    const QString path = m_app.Prompts().ChooseExchangePath(
        QStringLiteral("Save TIM As"), QString::fromStdString(Formats().ByName("TIM")->filter), true,
        m_app.ActiveDocumentFolder());
    if (path.isEmpty())
        return;
    if (!WriteWholeFile(path.toStdString(), EncodeTim(m_doc.Textures().back())))
        AfxMessageBox("Could not write " + path.toStdString());
    else
        m_doc.LastTextureSavedAs(QFileInfo(path).absoluteFilePath().toStdString());
}

void CChildFrame::OnUpdateTexturesSaveTimAs(CCmdUI* state) {
    state->Enable(!m_doc.Textures().empty());
}

void CChildFrame::OnTexturesWriteBack() {
    const TimImage* tim = LastTextureFromAddress(m_doc.Textures());
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
    state->Enable(LastTextureFromAddress(m_doc.Textures()) != nullptr);
}

} // namespace polyvane
