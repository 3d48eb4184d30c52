#pragma once
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace velto {

// Runs `work` on a thread of its own and waits at most `deadline` for it: a driver call
// (opening a USB tuner, a network discovery) can hang, and the caller must not. A call that
// misses its deadline is left to finish by itself, and `abandoned` then disposes of its
// result (closing the device nobody waits for any more). Exceptions reach the caller.
template <typename T>
std::optional<T> callWithin(std::chrono::milliseconds deadline, std::function<T()> work,
                            std::function<void(T&)> abandoned = {}) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<T> result;
        std::exception_ptr failure;
        bool finished = false;
        bool given_up = false;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, work = std::move(work), abandoned = std::move(abandoned)]() mutable {
        std::optional<T> result;
        std::exception_ptr failure;
        try {
            result.emplace(work());
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(shared->mutex);
        if (shared->given_up) {
            if (result && abandoned)
                abandoned(*result);
            return;
        }
        shared->result = std::move(result);
        shared->failure = failure;
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, deadline, [&] { return shared->finished; })) {
        shared->given_up = true;
        return std::nullopt;
    }
    if (shared->failure)
        std::rethrow_exception(shared->failure);
    return std::move(shared->result);
}

} // namespace velto
