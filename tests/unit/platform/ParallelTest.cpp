// Jobs cut into parts: every part runs exactly once, whether the waiting threads take it, a job started
// from inside a part or from another thread at the same time finds them busy, or there are more parts
// than threads.
#include "platform/Parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace polyvane;

namespace {

// Runs a job of `parts` parts and returns how many times each part ran.
std::vector<int> RunCounted(unsigned parts) {
    std::vector<std::atomic<int>> runs(parts);
    RunParts(parts, [&](unsigned part) { runs[part].fetch_add(1); });
    std::vector<int> counts;
    for (const auto& r : runs)
        counts.push_back(r.load());
    return counts;
}

TEST(Parallel, EveryPartRunsOnceHoweverTheJobsMeet) {
    for (const unsigned parts : {1u, 2u, 3u, 17u, 40u})
        EXPECT_EQ(RunCounted(parts), std::vector<int>(parts, 1)) << parts << " parts";

    // Each part of an outer job runs a job of its own while two other threads run jobs alongside.
    std::vector<std::vector<int>> inner(4);
    std::vector<int> fromOthers[2];
    std::thread others[2];
    for (int t = 0; t < 2; ++t)
        others[t] = std::thread([&, t] {
            for (int k = 0; k < 50; ++k)
                fromOthers[t] = RunCounted(5);
        });
    RunParts(4, [&](unsigned part) { inner[part] = RunCounted(3); });
    for (std::thread& other : others)
        other.join();
    for (const auto& counts : inner)
        EXPECT_EQ(counts, std::vector<int>(3, 1));
    for (const auto& counts : fromOthers)
        EXPECT_EQ(counts, std::vector<int>(5, 1));
}

} // namespace
