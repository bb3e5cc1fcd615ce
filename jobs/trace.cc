#include "jobs/trace.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace jobs {
namespace {
std::atomic<bool> g_enabled{true};
std::mutex g_mutex;
}  // namespace

void Trace(const std::string& line) {
  if (!g_enabled.load(std::memory_order_relaxed)) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void SetTraceEnabled(bool enabled) { g_enabled.store(enabled); }

}  // namespace jobs
