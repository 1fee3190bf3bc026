#pragma once
// The TIM manager: shows a document's texture list as a sorted list of full paths, adds textures
// from TIM files, removes them, and picks one with "Done". "Palettes" lists the selected texture's
// colour-table rows; "Use Palette" shows the texture through the row selected there.
#include "formats/TimList.h"
#include "platform/CDialog.h"

#include <functional>
#include <string>
#include <string_view>

namespace polyvane {

class CTimManagerDlg : public CDialog {
  public:
    explicit CTimManagerDlg(void* parent = nullptr);

    bool OnInitDialog() override;
    bool OnCmdMsg(unsigned id, CCmdUI* update) override;
    // "Done": chooses the entry of the selected line, or none.
    void OnOK() override;

    void OnAdd();
    void OnRemove();
    void OnShowPalettes();
    void OnUsePalette();

    // The list shown; set by the caller before the dialog runs. The dialog changes it only through
    // its owner's functions below: without them Add and Remove do nothing.
    const TimList* m_pTimList = nullptr;
    // How a loaded texture joins the list and a named one leaves it.
    std::function<void(TimImage&&)> m_addTexture;
    std::function<bool(std::string_view)> m_removeTexture;
    // How the named texture comes to be shown through colour-table row `row`; without it the entry
    // is changed directly.
    std::function<void(std::string_view, std::size_t)> m_choosePalette;
    // The entry picked with "Done", or null; valid after the dialog returned IDOK.
    const TimImage* m_pChosen = nullptr;

  private:
    // The index of the selected line, or -1.
    [[nodiscard]] int SelectedLine() const;
    void ShowPalettesOf(const std::string& name);
    // The texture whose rows the palette list shows.
    std::string m_paletteOwner;
};

} // namespace polyvane
