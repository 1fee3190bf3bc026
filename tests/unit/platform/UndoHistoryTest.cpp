// The history's bookkeeping: which steps undo and redo, the clean point, the memory bound and merging.
#include "platform/UndoHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace polyvane;

namespace {

// A step that sets one slot of a shared array, remembering the value it replaced.
class SetSlot : public UndoStep {
  public:
    SetSlot(std::vector<int>& values, int slot, int value, std::size_t bytes = 1, int drag = 0)
        : m_values(values), m_slot(slot), m_before(values[slot]), m_after(value), m_bytes(bytes),
          m_drag(drag) {
        m_values[m_slot] = m_after;
    }
    void Undo() override { m_values[m_slot] = m_before; }
    void Redo() override { m_values[m_slot] = m_after; }
    std::string Name() const override { return "Set " + std::to_string(m_slot); }
    std::size_t Bytes() const override { return m_bytes; }
    // Slot 3 stands for what the saved file does not hold.
    bool ChangesFile() const override { return m_slot != 3; }
    bool MergeWith(const UndoStep& next) override {
        const auto* other = dynamic_cast<const SetSlot*>(&next);
        if (!other || m_drag == 0 || other->m_drag != m_drag || other->m_slot != m_slot)
            return false;
        m_after = other->m_after;
        return true;
    }

  private:
    std::vector<int>& m_values;
    int m_slot, m_before, m_after;
    std::size_t m_bytes;
    int m_drag;
};

} // namespace

// Each script is run on a fresh array of four zeros: 'sN=V' sets slot N to V as a new step, 'u' and 'r'
// undo and redo (the expected result of each call follows as '+' or '-'), 'c' marks the clean point.
TEST(UndoHistory, ScriptsGiveTheValuesNamesAndCleanStateExpected) {
    struct Case {
        std::vector<std::string> script;
        std::vector<int> values;
        std::vector<std::string> undo, redo;
        bool clean;
    } cases[] = {
        {{}, {0, 0, 0, 0}, {}, {}, true},
        {{"s1=5", "s2=7"}, {0, 5, 7, 0}, {"Set 2", "Set 1"}, {}, false},
        {{"s1=5", "s2=7", "u+", "u+"}, {0, 0, 0, 0}, {}, {"Set 1", "Set 2"}, true},
        {{"s1=5", "u+", "u-"}, {0, 0, 0, 0}, {}, {"Set 1"}, true},
        {{"s1=5", "u+", "r+", "r-"}, {0, 5, 0, 0}, {"Set 1"}, {}, false},
        // A new step after an undo drops the step that could have been redone.
        {{"s1=5", "s2=7", "u+", "s3=9"}, {0, 5, 0, 9}, {"Set 3", "Set 1"}, {}, false},
        // Back at the saved state the document is clean; away from it in either direction it is not.
        {{"s1=5", "c", "s2=7", "u+"}, {0, 5, 0, 0}, {"Set 1"}, {"Set 2"}, true},
        {{"s1=5", "c", "u+"}, {0, 0, 0, 0}, {}, {"Set 1"}, false},
        {{"s1=5", "c", "u+", "r+"}, {0, 5, 0, 0}, {"Set 1"}, {}, true},
        // Once a new change replaces the steps leading to the saved state, it cannot be reached again.
        {{"s1=5", "c", "u+", "s2=7", "u+"}, {0, 0, 0, 0}, {}, {"Set 2"}, false},
        // Changes the file does not hold leave the document clean, in either direction.
        {{"c", "s3=1", "s3=2", "u+"}, {0, 0, 0, 1}, {"Set 3"}, {"Set 3"}, true},
        {{"s3=1", "c", "u+", "s1=4", "u+"}, {0, 0, 0, 0}, {}, {"Set 1"}, true},
    };
    for (const Case& c : cases) {
        std::vector<int> values(4, 0);
        UndoHistory history;
        std::string trace;
        for (const std::string& op : c.script) {
            trace += op + " ";
            if (op[0] == 's')
                history.Push(std::make_unique<SetSlot>(values, op[1] - '0', std::stoi(op.substr(3))));
            else if (op[0] == 'c')
                history.SetClean();
            else
                EXPECT_EQ(op[0] == 'u' ? history.Undo() : history.Redo(), op[1] == '+') << trace;
        }
        EXPECT_EQ(values, c.values) << trace;
        EXPECT_EQ(history.UndoNames(), c.undo) << trace;
        EXPECT_EQ(history.RedoNames(), c.redo) << trace;
        EXPECT_EQ(history.IsClean(), c.clean) << trace;
    }
}

TEST(UndoHistory, OldestStepsGoFirstWhenTheBoundIsPassedAndTheNewestAlwaysStays) {
    std::vector<int> values(4, 0);
    UndoHistory history(10);
    history.SetClean();
    for (int i = 1; i <= 3; ++i)
        history.Push(std::make_unique<SetSlot>(values, i, i, 4));
    EXPECT_EQ(history.UndoNames(), (std::vector<std::string>{"Set 3", "Set 2"}));
    EXPECT_EQ(history.Bytes(), 8u);
    EXPECT_EQ(history.DroppedSteps(), 1u);
    history.Push(std::make_unique<SetSlot>(values, 0, 9, 50));
    EXPECT_EQ(history.UndoNames(), std::vector<std::string>{"Set 0"});
    EXPECT_EQ(history.Bytes(), 50u);
    EXPECT_EQ(history.DroppedSteps(), 3u);
    // The opened state's step was dropped: undoing all that is left does not make the document clean.
    while (history.Undo()) {
    }
    EXPECT_EQ(values, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_FALSE(history.IsClean());
}

TEST(UndoHistory, MovesOfOneDragBecomeOneStepAndTheNextDragAnother) {
    std::vector<int> values(4, 0);
    UndoHistory history;
    for (int v : {1, 2, 3})
        history.Push(std::make_unique<SetSlot>(values, 1, v, 1, /*drag*/ 1));
    for (int v : {4, 5})
        history.Push(std::make_unique<SetSlot>(values, 1, v, 1, /*drag*/ 2));
    EXPECT_EQ(history.UndoNames().size(), 2u);
    history.Undo();
    EXPECT_EQ(values[1], 3);
    history.Undo();
    EXPECT_EQ(values[1], 0);
    history.Redo();
    EXPECT_EQ(values[1], 3);
}
