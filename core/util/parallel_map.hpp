// A data-parallel map: one task per element, results in element order.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

namespace scrivex_core::util {

// The number of workers parallel_map uses when asked for 0: the hardware's.
inline std::size_t default_parallelism() {
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware == 0 ? 1 : hardware;
}

// Calls fn on every element of items and returns the results in the order of
// items, whatever the order of completion. Worker threads are started for
// this call and joined before it returns; a single task (or max_threads 1)
// runs inline on the calling thread. fn must not touch shared mutable state.
// An exception thrown by fn is rethrown on the calling thread after the join.
template <class T, class Fn>
auto parallel_map(const std::vector<T>& items, Fn&& fn, std::size_t max_threads = 0)
    -> std::vector<std::invoke_result_t<Fn&, const T&>> {
  using R = std::invoke_result_t<Fn&, const T&>;
  const std::size_t wanted = max_threads == 0 ? default_parallelism() : max_threads;
  const std::size_t workers = std::min(wanted, items.size());
  std::vector<R> results;
  results.reserve(items.size());
  if (workers <= 1) {
    for (const T& item : items) results.push_back(fn(item));
    return results;
  }
  std::vector<std::optional<R>> slots(items.size());
  std::atomic<std::size_t> next{0};
  std::vector<std::exception_ptr> failures(workers);
  auto work = [&](std::size_t worker) {
    try {
      for (std::size_t i = next.fetch_add(1); i < items.size(); i = next.fetch_add(1))
        slots[i].emplace(fn(items[i]));
    } catch (...) {
      failures[worker] = std::current_exception();
      next.store(items.size());
    }
  };
  {
    std::vector<std::jthread> threads;
    threads.reserve(workers - 1);
    for (std::size_t worker = 1; worker < workers; ++worker) threads.emplace_back(work, worker);
    work(0);
  }  // jthreads join here
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  for (std::optional<R>& slot : slots) results.push_back(std::move(*slot));
  return results;
}

}  // namespace scrivex_core::util
