#include "host/media/stop_request.h"

#include <fcntl.h>
#include <semaphore.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace vmhost {

namespace {

// Time enough to finish the frame in hand, stop the plug-in and remove the
// output; short enough that the signal still feels obeyed.
constexpr time_t kGraceSeconds = 2;

// Read by every thread that polls; lock-free, so the handler may set it.
std::atomic<int> gSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);
int gNotice[2] = {-1, -1};
sem_t gSignals;  // posted once a signal

// Never destroyed: the watchdog may need it while the process exits.
struct Unfinished {
  std::mutex mutex;
  std::unordered_multiset<std::string> paths;  // a sequence marks a file a frame
};
Unfinished& unfinished() {
  static auto* paths = new Unfinished;
  return *paths;
}

extern "C" void onStopSignal(int signal) {
  const int saved = errno;
  int none = 0;
  gSignal.compare_exchange_strong(none, signal);
  sem_post(&gSignals);
  const char byte = 1;
  // A full pipe holds the notice already.
  if (gNotice[1] >= 0) {
    [[maybe_unused]] const ssize_t written = ::write(gNotice[1], &byte, 1);
  }
  errno = saved;
}

const char* signalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    default: return "SIGHUP";
  }
}

// Waits for the first signal, then for the grace period or a second signal,
// and ends the process as it stands.
void enforceGrace() {
  while (sem_wait(&gSignals) != 0) {
  }
  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += kGraceSeconds;
  while (sem_timedwait(&gSignals, &deadline) != 0 && errno == EINTR) {
  }
  Unfinished& left = unfinished();
  left.mutex.lock();
  for (const std::string& path : left.paths) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  ::_exit(reportStop());
}

}  // namespace

void watchForStopSignals() {
  if (pipe2(gNotice, O_CLOEXEC | O_NONBLOCK) != 0) gNotice[0] = gNotice[1] = -1;
  if (sem_init(&gSignals, 0, 0) != 0) return;
  std::thread(enforceGrace).detach();
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  action.sa_flags = SA_RESTART;  // the work winds down by the flag, not by failing calls
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // Started by nohup, the program outlives its terminal as asked.
  struct sigaction before {};
  sigaction(SIGHUP, nullptr, &before);
  if (before.sa_handler != SIG_IGN) sigaction(SIGHUP, &action, nullptr);
}

bool stopRequested() { return gSignal != 0; }

int stopNoticeFd() { return gNotice[0]; }

int reportStop() {
  static std::atomic<bool> reported{false};
  if (!reported.exchange(true)) {
    const std::string line = std::string("velmorance: stopped by ") + signalName(gSignal) + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
  }
  return 128 + gSignal;
}

void markUnfinished(const std::string& path) {
  Unfinished& left = unfinished();
  const std::lock_guard<std::mutex> lock(left.mutex);
  left.paths.insert(path);
}

void markFinished(const std::string& path) {
  Unfinished& left = unfinished();
  const std::lock_guard<std::mutex> lock(left.mutex);
  const auto at = left.paths.find(path);
  if (at != left.paths.end()) left.paths.erase(at);
}

}  // namespace vmhost
