#pragma once
// Work shared among the processors: a job cut into parts, each run in a thread of its own.
#include <algorithm>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

namespace polyvane {

// How many threads a large piece of work is worth on this machine: the processors at hand, up to
// eight.
[[nodiscard]] inline unsigned WorkerCount() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

// The threads for `items` pieces of drawing: below a few thousand, not worth the threads' start.
[[nodiscard]] inline unsigned WorkerCountFor(std::size_t items) {
    constexpr std::size_t kThreadedMinimum = 4096;
    return items < kThreadedMinimum ? 1u : WorkerCount();
}

// Runs work(part) for every part below `parts`, the first in this thread and the others each in a
// thread of its own; a part whose thread cannot be had runs here afterwards. Returns when all are done.
template <typename Work> void RunParts(unsigned parts, const Work& work) {
    std::vector<std::thread> helpers;
    std::vector<unsigned> leftOver;
    for (unsigned part = 1; part < parts; ++part) {
        try {
            helpers.emplace_back(work, part);
        } catch (const std::system_error&) {
            leftOver.push_back(part);
        }
    }
    work(0u);
    for (std::thread& helper : helpers)
        helper.join();
    for (const unsigned part : leftOver)
        work(part);
}

} // namespace polyvane
