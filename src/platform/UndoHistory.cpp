#include "UndoHistory.h"

#include <utility>

namespace polyvane {

void UndoHistory::Push(std::unique_ptr<UndoStep> step) {
    if (!step)
        return;
    const std::size_t position = m_base + m_next;
    if (m_clean && *m_clean > position && KeepsFile(position, *m_clean))
        m_clean = position;
    while (m_steps.size() > m_next) {
        m_bytes -= m_steps.back()->Bytes();
        m_steps.pop_back();
    }
    // A clean point among the dropped redo steps can no longer be reached, unless only changes the
    // file does not hold lay between it and here.
    if (m_clean && *m_clean > position)
        m_clean.reset();
    if (m_next > 0 && (!m_clean || *m_clean != position)) {
        UndoStep& last = *m_steps.back();
        const std::size_t before = last.Bytes();
        if (last.MergeWith(*step)) {
            m_bytes = m_bytes - before + last.Bytes();
            Trim();
            return;
        }
    }
    m_bytes += step->Bytes();
    m_steps.push_back(std::move(step));
    ++m_next;
    Trim();
}

bool UndoHistory::KeepsFile(std::size_t from, std::size_t to) const {
    if (from > to)
        std::swap(from, to);
    for (std::size_t i = from; i < to; ++i)
        if (m_steps[i - m_base]->ChangesFile())
            return false;
    return true;
}

bool UndoHistory::IsClean() const {
    return m_clean && KeepsFile(*m_clean, m_base + m_next);
}

bool UndoHistory::Undo() {
    if (!CanUndo())
        return false;
    --m_next;
    m_steps[m_next]->Undo();
    return true;
}

bool UndoHistory::Redo() {
    if (!CanRedo())
        return false;
    m_steps[m_next]->Redo();
    ++m_next;
    return true;
}

std::vector<std::string> UndoHistory::UndoNames() const {
    std::vector<std::string> names;
    for (std::size_t i = m_next; i > 0; --i)
        names.push_back(m_steps[i - 1]->Name());
    return names;
}

std::vector<std::string> UndoHistory::RedoNames() const {
    std::vector<std::string> names;
    for (std::size_t i = m_next; i < m_steps.size(); ++i)
        names.push_back(m_steps[i]->Name());
    return names;
}

void UndoHistory::Clear() {
    m_steps.clear();
    m_base += m_next;
    m_next = 0;
    m_bytes = 0;
    m_dropped = 0;
    m_clean = m_base;
}

void UndoHistory::SetByteLimit(std::size_t limit) {
    m_byteLimit = limit;
    Trim();
}

void UndoHistory::Trim() {
    // The oldest undo steps go first; the newest step and the redo steps stay.
    while (m_bytes > m_byteLimit && m_next > 1) {
        const bool keepsFile = !m_steps.front()->ChangesFile();
        m_bytes -= m_steps.front()->Bytes();
        m_steps.pop_front();
        --m_next;
        ++m_base;
        ++m_dropped;
        if (m_clean && *m_clean < m_base)
            m_clean = keepsFile && *m_clean + 1 == m_base ? std::optional<std::size_t>(m_base) : std::nullopt;
    }
}

} // namespace polyvane
