// The Textures menu's frame-buffer files: Load Frame-Buffer Dump..., Save Frame-Buffer Dump..., Save
// Frame Buffer as PNG..., Export Page as PNG... and Replace Palette Row....
#include "CChildFrame.h"
#include "CPolyvaneApp.h"
#include "ShellPrompts.h"
#include "exchange/PngCodec.h"
#include "exchange/TimFromImage.h"
#include "gpu/FrameBufferDump.h"
#include "gpu/FrameBufferPicture.h"
#include "model/CPolyvaneDoc.h"
#include "platform/CCmdTarget.h"
#include "platform/MessageBox.h"
#include "texture/TextureWorkbench.h"
#include "texture/TimFrameBuffer.h"
#include "view/CPolyvaneView.h"

namespace polyvane {

namespace {

const QString kDumpFilter = QStringLiteral("Frame-buffer dumps (*.bin *.raw *.vram);;All files (*)");
const QString kPngFilter = QStringLiteral("PNG images (*.png)");

RgbaImage PictureOf(std::span<const std::uint16_t> words, int width, int height) {
    RgbaImage image{width, height, std::vector<std::uint8_t>(words.size() * 4)};
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::uint32_t rgb = WidenWord(words[i]);
        image.rgba[i * 4] = static_cast<std::uint8_t>(rgb);
        image.rgba[i * 4 + 1] = static_cast<std::uint8_t>(rgb >> 8);
        image.rgba[i * 4 + 2] = static_cast<std::uint8_t>(rgb >> 16);
        image.rgba[i * 4 + 3] = 255;
    }
    return image;
}

void WriteOrSay(const QString& path, std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || !WriteWholeFile(path.toStdString(), bytes))
        AfxMessageBox("Could not write " + path.toStdString());
}

FrameBuffer MemoryOf(const CPolyvaneDoc& doc) {
    FrameBuffer memory;
    RebuildFrameBuffer(memory, doc.Textures(), doc.FrameBufferDump());
    return memory;
}

} // namespace

void CChildFrame::OnTexturesLoadDump() {
    const QString path = m_app.Prompts().ChooseExchangePath(QStringLiteral("Load Frame-Buffer Dump"),
                                                            kDumpFilter, false, m_app.ActiveDocumentFolder());
    if (path.isEmpty())
        return;
    const auto bytes = ReadWholeFile(path.toStdString());
    if (!bytes) {
        AfxMessageBox("Cannot read " + path.toStdString());
        return;
    }
    auto memory = ReadFrameBufferDump(*bytes);
    if (!memory) {
        AfxMessageBox(path.toStdString() + ": " + FrameBufferFileErrorText(memory.error()));
        return;
    }
    m_doc.SetFrameBufferDump(std::move(*memory));
}

void CChildFrame::OnTexturesSaveDump() {
    const QString path = m_app.Prompts().ChooseExchangePath(QStringLiteral("Save Frame-Buffer Dump"),
                                                            kDumpFilter, true, m_app.ActiveDocumentFolder());
    if (!path.isEmpty())
        WriteOrSay(path, FrameBufferDumpBytes(MemoryOf(m_doc)));
}

void CChildFrame::OnTexturesSaveVramPng() {
    const QString path = m_app.Prompts().ChooseExchangePath(QStringLiteral("Save Frame Buffer as PNG"),
                                                            kPngFilter, true, m_app.ActiveDocumentFolder());
    if (!path.isEmpty())
        WriteOrSay(path,
                   EncodePng(PictureOf(MemoryOf(m_doc).Words(), kFrameBufferWidth, kFrameBufferHeight)));
}

// The page and colour-table row the model view's VRAM mode reads, or the current primitive's.
void CChildFrame::OnTexturesExportPagePng() {
    std::uint8_t page = 0, mode = kPixelMode15Bit;
    std::uint16_t clutX = 0, clutY = 0;
    if (const auto* view = dynamic_cast<const CPolyvaneView*>(GetActiveView());
        view && view->m_vram.pmode >= 0) {
        page = view->m_vram.page;
        mode = static_cast<std::uint8_t>(view->m_vram.pmode);
        clutX = view->m_vram.clutX;
        clutY = view->m_vram.clutY;
    } else if (const WorkPrimitive* cur = m_doc.CurrentPrimitive(); cur && (cur->attr & PA_TEXTURED)) {
        page = cur->tpage;
        mode = cur->pmode;
        clutX = cur->clutX;
        clutY = cur->clutY;
    }
    const QString path = m_app.Prompts().ChooseExchangePath(QStringLiteral("Export Page as PNG"), kPngFilter,
                                                            true, m_app.ActiveDocumentFolder());
    if (path.isEmpty())
        return;
    const int words = TexturePageWords(mode);
    const auto texels =
        DecodeTexels(MemoryOf(m_doc), TexturePageX(page), TexturePageY(page), words, 256, mode, clutX, clutY);
    WriteOrSay(path, EncodePng(PictureOf(texels, words * TexelsPerUnit(mode), 256)));
}

void CChildFrame::OnTexturesReplaceRow() {
    const auto position = ShownTexture(m_doc);
    if (!position)
        return;
    const QString path = m_app.Prompts().ChooseExchangePath(
        QStringLiteral("Replace Palette Row"), QStringLiteral("Pictures and textures (*.png *.tim)"), false,
        m_app.ActiveDocumentFolder());
    if (path.isEmpty())
        return;
    const TimImage& tim = *std::next(m_doc.Textures().begin(), static_cast<std::ptrdiff_t>(*position));
    const PaletteFromFile palette = ReadPaletteFile(path.toStdString(), tim.ClutRowLength());
    if (!palette.error.empty()) {
        AfxMessageBox(palette.error);
        return;
    }
    const std::size_t row = tim.paletteRow;
    const TimEditError error = EditTexture(m_doc, *position, "Replace Palette Row", [&](TimImage& edited) {
        return ReplaceClutRow(edited, row, palette.words);
    });
    if (error != TimEditError::none)
        AfxMessageBox(TimEditErrorText(error));
}

void CChildFrame::OnUpdateTexturesReplaceRow(CCmdUI* state) {
    const auto position = ShownTexture(m_doc);
    state->Enable(position &&
                  std::next(m_doc.Textures().begin(), static_cast<std::ptrdiff_t>(*position))->hasClut);
}

} // namespace polyvane
