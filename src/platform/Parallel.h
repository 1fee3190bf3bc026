#pragma once
// Work shared among the processors: a job cut into parts, run by threads kept waiting between jobs.
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

namespace detail {

using PartFunction = void (*)(const void* work, unsigned part);

// Runs part(work, p) for every p below `parts` on the threads kept waiting, this thread taking part 0
// and then any part no waiting thread has taken; returns when all are done. False, having run
// nothing, when the waiting threads are busy with another job (a job started from inside a part, or
// from another thread at the same time) or cannot be had.
bool RunOnWaitingThreads(unsigned parts, PartFunction part, const void* work);

} // namespace detail

// Runs work(part) for every part below `parts`, the first in this thread. Starting a thread costs tens
// of microseconds, several times a paint, so the others run on threads kept waiting between jobs;
// when those are busy, each runs in a thread started for it, and a part whose thread cannot be had
// runs here afterwards. Parts must not wait for one another: two may run in turn on one thread.
// Returns when all are done.
template <typename Work> void RunParts(unsigned parts, const Work& work) {
    if (parts <= 1) {
        work(0u);
        return;
    }
    const detail::PartFunction part = [](const void* w, unsigned p) { (*static_cast<const Work*>(w))(p); };
    if (detail::RunOnWaitingThreads(parts, part, &work))
        return;
    std::vector<std::thread> helpers;
    std::vector<unsigned> leftOver;
    for (unsigned p = 1; p < parts; ++p) {
        try {
            helpers.emplace_back(work, p);
        } catch (const std::system_error&) {
            leftOver.push_back(p);
        }
    }
    work(0u);
    for (std::thread& helper : helpers)
        helper.join();
    for (const unsigned p : leftOver)
        work(p);
}

} // namespace polyvane
