#include "host/cli/progress.h"

#include <cinttypes>
#include <cstdio>

namespace vmhost {

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string clockText(double seconds) {
  const int64_t s = static_cast<int64_t>(seconds + 0.5);
  char text[32];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%" PRId64 ":%02d:%02d", s / 3600, static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60));
  else
    std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(s / 60), static_cast<int>(s % 60));
  return text;
}

}  // namespace

ProgressBar::ProgressBar(int64_t total, bool enabled)
    : total_(total > 0 ? total : 1), enabled_(enabled), started_(Clock::now()), lastDraw_(started_) {}

ProgressBar::~ProgressBar() { clear(); }

void ProgressBar::clear() {
  if (drawn_) std::fputs("\r\033[K", stderr);
  drawn_ = false;
}

std::string ProgressBar::line(int64_t done, int64_t total, double seconds, bool finished) {
  if (total <= 0) total = 1;
  const int filled = static_cast<int>(done * kBarWidth / total);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(kBarWidth, '.');
  const double fps = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  std::string left = finished ? "done in " + clockText(seconds)
                   : fps > 0   ? clockText(static_cast<double>(total - done) / fps) + " left"
                               : "--:-- left";
  char text[160];
  std::snprintf(text, sizeof text, "[%s] %" PRId64 "/%" PRId64 " frames  %.1f fps  %s", bar.c_str(), done, total,
                fps, left.c_str());
  return text;
}

void ProgressBar::update(int64_t done) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (drawn_ && now - lastDraw_ < kRedrawEvery && done < total_) return;
  lastDraw_ = now;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  std::fprintf(stderr, "\r%s\033[K", line(done, total_, seconds).c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::finish() {
  if (!enabled_) return;
  drawn_ = false;
  lastDraw_ = started_;
  const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
  std::fprintf(stderr, "\r%s\033[K\n", line(total_, total_, seconds, true).c_str());
}

}  // namespace vmhost
