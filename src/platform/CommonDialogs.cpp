#include "CommonDialogs.h"

#include "CDialog.h"

namespace polyvane {

namespace {
ServiceSlot<IColorChooser> g_colorChooser;
ServiceSlot<IFileChooser> g_fileChooser;
} // namespace

IColorChooser* SetColorChooserService(IColorChooser* chooser) {
    return g_colorChooser.Install(chooser);
}

IColorChooser& ColorChooserService() {
    static ScriptedColorChooser headless;
    return g_colorChooser.Get(headless);
}

IFileChooser* SetFileChooserService(IFileChooser* chooser) {
    return g_fileChooser.Install(chooser);
}

IFileChooser& FileChooserService() {
    static ScriptedFileChooser headless;
    return g_fileChooser.Get(headless);
}

std::optional<COLORREF> ScriptedColorChooser::ChooseColor(COLORREF initial) {
    m_requests.push_back(initial);
    if (m_answers.empty())
        return std::nullopt;
    std::optional<COLORREF> answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedFileChooser::ChooseOpenFile(std::string_view filter,
                                                               std::string_view defaultExtension) {
    m_requests.push_back({std::string(filter), std::string(defaultExtension)});
    if (m_answers.empty())
        return std::nullopt;
    std::optional<std::string> answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
}

int CColorDialog::DoModal() {
    std::optional<COLORREF> chosen = ColorChooserService().ChooseColor(m_colour);
    if (!chosen)
        return IDCANCEL;
    m_colour = *chosen;
    return IDOK;
}

int CFileDialog::DoModal() {
    std::optional<std::string> chosen = FileChooserService().ChooseOpenFile(m_filter, m_defaultExtension);
    if (!chosen)
        return IDCANCEL;
    m_path = std::move(*chosen);
    return IDOK;
}

} // namespace polyvane
