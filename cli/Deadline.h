#pragma once

#include <chrono>
#include <exception>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace desktop {

// Runs `work` on a thread of its own and waits at most `limit` for its result: nullopt when
// it is not done by then. A call that blocks inside a library (a display or a bus that takes
// the connection and never answers) cannot be interrupted, so it is left behind; the
// program ends soon after. `work` must own what it uses.
template <class Work>
auto within(std::chrono::milliseconds limit, Work work) -> std::optional<decltype(work())> {
    using Result = decltype(work());
    auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> result = promise->get_future();
    std::thread([promise, work = std::move(work)]() mutable {
        try {
            promise->set_value(work());
        } catch (...) {
            promise->set_exception(std::current_exception());
        }
    }).detach();
    if (result.wait_for(limit) != std::future_status::ready) return std::nullopt;
    return result.get();
}

} // namespace desktop
