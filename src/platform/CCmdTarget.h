#pragma once
// Command routing. A command arrives as an ID; each target answers whether it handles it, and either
// runs it or, for an update request, sets the item's enabled and checked state. The frame tries the
// active view, then its document, then the frames and the application; a command nobody handles is
// shown disabled.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace polyvane {

// State of one menu item or toolbar button, filled by an update handler.
class CCmdUI {
  public:
    explicit CCmdUI(unsigned id) : m_nID(id) {}
    void Enable(bool enable = true) { m_bEnabled = enable; }
    void SetCheck(int check = 1) { m_nCheck = check; }
    // A text for the item that depends on the state ("Undo Paste"); the item keeps its own without.
    void SetText(std::string text) { m_text = std::move(text); }

    unsigned m_nID;
    bool m_bEnabled = true;
    int m_nCheck = 0;
    std::optional<std::string> m_text;
};

class CCmdTarget {
  public:
    virtual ~CCmdTarget() = default;
    // With `update` null: runs the command if this target handles it. With `update`: lets the
    // target's update handler (if any) fill it. Returns true when this target handles `id`.
    virtual bool OnCmdMsg(unsigned id, CCmdUI* update) {
        (void)id;
        (void)update;
        return false;
    }
};

// One row of a class's command table: the command's handler and an optional update handler.
template <typename T> struct CommandEntry {
    unsigned id;
    void (T::*handler)();
    void (T::*update)(CCmdUI*);
};

// Looks `id` up in `table` and runs the handler or the update handler on `target`.
template <typename T>
bool DispatchCommand(T* target, std::span<const CommandEntry<T>> table, unsigned id, CCmdUI* update) {
    for (const auto& entry : table) {
        if (entry.id != id)
            continue;
        if (update) {
            if (entry.update)
                (target->*entry.update)(update);
        } else if (entry.handler) {
            (target->*entry.handler)();
        }
        return true;
    }
    return false;
}

} // namespace polyvane
