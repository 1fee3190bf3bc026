#pragma once
// A document's history of changes: every change is a step that can take itself back and make itself
// again. The history keeps the steps that can be undone and those that can be redone, a clean point
// (the state last opened or saved), and a bound on the memory its steps hold.
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace polyvane {

class UndoStep {
  public:
    virtual ~UndoStep() = default;
    // Takes the change back; the model is then as it was before the step was first made.
    virtual void Undo() = 0;
    // Makes the change again, after an Undo.
    virtual void Redo() = 0;
    // What the menu names the step after: "Paste", "Flip X", ...
    [[nodiscard]] virtual std::string Name() const = 0;
    // Bytes the step holds, counted against the history's bound.
    [[nodiscard]] virtual std::size_t Bytes() const = 0;
    // False for a change the saved file does not hold (the loaded textures): it can be undone, but
    // does not take the document away from its saved state.
    [[nodiscard]] virtual bool ChangesFile() const { return true; }
    // Folds `next`, made right after this step, into this one when both are parts of one action
    // (the moves of one drag); false when they stay two steps.
    virtual bool MergeWith(const UndoStep& next) {
        (void)next;
        return false;
    }
};

class UndoHistory {
  public:
    // Room for the steps of a long session while bounding what a string of edits of huge objects
    // can hold on to; the oldest steps go first.
    static constexpr std::size_t kDefaultByteLimit = std::size_t{512} << 20;

    explicit UndoHistory(std::size_t byteLimit = kDefaultByteLimit) : m_byteLimit(byteLimit) {}

    // Records a change already made. The steps that could have been redone are dropped; when the
    // history holds more than its bound, the oldest steps are dropped (the newest always stays).
    void Push(std::unique_ptr<UndoStep> step);

    [[nodiscard]] bool CanUndo() const { return m_next > 0; }
    [[nodiscard]] bool CanRedo() const { return m_next < m_steps.size(); }
    // Takes back the newest step; false when there is none.
    bool Undo();
    // Makes the next undone step again; false when there is none.
    bool Redo();

    // Names of the steps, the most recent first.
    [[nodiscard]] std::vector<std::string> UndoNames() const;
    [[nodiscard]] std::vector<std::string> RedoNames() const;

    // The present state becomes the clean point; IsClean() is true while the history is back there.
    void SetClean() { m_clean = m_base + m_next; }
    [[nodiscard]] bool IsClean() const;
    // Forgets every step; the present state is the clean point.
    void Clear();

    [[nodiscard]] std::size_t Bytes() const { return m_bytes; }
    // How many of the oldest steps the bound has dropped since the history was last cleared.
    [[nodiscard]] std::size_t DroppedSteps() const { return m_dropped; }
    [[nodiscard]] std::size_t ByteLimit() const { return m_byteLimit; }
    void SetByteLimit(std::size_t limit);

  private:
    void Trim();
    // Whether the steps between absolute positions `from` and `to` leave the saved file as it is.
    [[nodiscard]] bool KeepsFile(std::size_t from, std::size_t to) const;

    std::deque<std::unique_ptr<UndoStep>> m_steps;
    // Steps [0, m_next) can be undone, [m_next, size) redone.
    std::size_t m_next = 0;
    // Positions count every step ever pushed, so that dropping old steps keeps the clean point.
    std::size_t m_base = 0;
    // None when the clean state can no longer be reached (its steps were dropped).
    std::optional<std::size_t> m_clean = 0;
    std::size_t m_bytes = 0;
    std::size_t m_dropped = 0;
    std::size_t m_byteLimit;
};

} // namespace polyvane
