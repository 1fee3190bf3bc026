#pragma once
// The common dialogs as services: the colour chooser and the open-file chooser. The Qt backend
// shows the toolkit's dialogs; the headless services answer from a script and remember what they
// were asked, and with no answer queued they are cancelled.
#include "Geometry.h"
#include "ScopedService.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

class IColorChooser {
  public:
    virtual ~IColorChooser() = default;
    // Shows the chooser fully expanded, any colour allowed, preset to `initial`; the chosen colour,
    // or none when cancelled.
    virtual std::optional<COLORREF> ChooseColor(COLORREF initial) = 0;
    // The same with a switch named `flagName` beside the colours, preset to `flag`; the colour and
    // the switch, or none when cancelled. Without a switch of its own the chooser keeps `flag`.
    struct ColourAndFlag {
        COLORREF colour;
        bool flag;
    };
    virtual std::optional<ColourAndFlag> ChooseColorAndFlag(COLORREF initial, bool flag,
                                                            std::string_view flagName) {
        (void)flagName;
        const auto colour = ChooseColor(initial);
        return colour ? std::optional<ColourAndFlag>(ColourAndFlag{*colour, flag}) : std::nullopt;
    }
};

class IFileChooser {
  public:
    virtual ~IFileChooser() = default;
    // Asks for an existing file to open. `filter` is in the form "Name (*.EXT)|*.EXT||";
    // `defaultExtension` (a leading dot is ignored) is added to a name typed without one. The full path, or
    // none when cancelled.
    virtual std::optional<std::string> ChooseOpenFile(std::string_view filter,
                                                      std::string_view defaultExtension) = 0;
    // Asks for an existing folder. Its path, or none when cancelled (or when the chooser has none).
    virtual std::optional<std::string> ChooseFolder() { return std::nullopt; }
};

IColorChooser* SetColorChooserService(IColorChooser* chooser);
IColorChooser& ColorChooserService();
using ScopedColorChooser = ScopedService<IColorChooser, &SetColorChooserService>;

IFileChooser* SetFileChooserService(IFileChooser* chooser);
IFileChooser& FileChooserService();
using ScopedFileChooser = ScopedService<IFileChooser, &SetFileChooserService>;

class ScriptedColorChooser final : public IColorChooser {
  public:
    // Queues the answer to the next request; none means the user cancels.
    void Push(std::optional<COLORREF> answer) { m_answers.push_back(answer); }
    std::optional<COLORREF> ChooseColor(COLORREF initial) override;
    // The initial colour of every request, in order.
    [[nodiscard]] const std::vector<COLORREF>& Requests() const { return m_requests; }

  private:
    std::deque<std::optional<COLORREF>> m_answers;
    std::vector<COLORREF> m_requests;
};

class ScriptedFileChooser final : public IFileChooser {
  public:
    struct Request {
        std::string filter;
        std::string defaultExtension;
    };
    void Push(std::optional<std::string> answer) { m_answers.push_back(std::move(answer)); }
    std::optional<std::string> ChooseOpenFile(std::string_view filter,
                                              std::string_view defaultExtension) override;
    // Takes the next queued answer too; its request has an empty filter.
    std::optional<std::string> ChooseFolder() override { return ChooseOpenFile({}, {}); }
    [[nodiscard]] const std::vector<Request>& Requests() const { return m_requests; }

  private:
    std::deque<std::optional<std::string>> m_answers;
    std::vector<Request> m_requests;
};

// The colour chooser as a dialog object: DoModal, then GetColor after IDOK.
class CColorDialog {
  public:
    explicit CColorDialog(COLORREF initial = 0) : m_colour(initial) {}
    int DoModal();
    [[nodiscard]] COLORREF GetColor() const { return m_colour; }

  private:
    COLORREF m_colour;
};

// The open-file chooser as a dialog object: DoModal, then GetPathName after IDOK.
class CFileDialog {
  public:
    CFileDialog(std::string defaultExtension, std::string filter)
        : m_defaultExtension(std::move(defaultExtension)), m_filter(std::move(filter)) {}
    int DoModal();
    [[nodiscard]] const std::string& GetPathName() const { return m_path; }

  private:
    std::string m_defaultExtension;
    std::string m_filter;
    std::string m_path;
};

} // namespace polyvane
