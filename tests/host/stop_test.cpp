// A stop signal ends every command wherever it is: the exit status is 128 +
// the signal, a line says so, and the folders it worked in are as
// they were (no output, no partial file, no private copy of the settings,
// the settings unchanged).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "tests/host/test_media.h"

extern char** environ;

namespace {

// Starts `commandLine` (words for sh, `env` in front), waits until its main
// thread sleeps in an event loop with a private copy of the settings made,
// sends `signal` and waits for the end.
vmtest::RunResult stopWhileWaiting(const std::string& commandLine, const std::string& env, const std::string& tmp,
                                   int signal) {
  const std::string errFile = tmp + "/../err.txt",
                    line = "exec env " + env + commandLine + " >/dev/null 2>'" + errFile + "' </dev/null";
  const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return {};
  const auto waiting = [&] {
    return vmtest::readText("/proc/" + std::to_string(pid) + "/wchan").find("poll") != std::string::npos &&
           !vmtest::folderContents(tmp).empty();
  };
  for (int i = 0; i < 6000 && !waiting(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kill(pid, signal);
  // A program deaf to the signal fails the test rather than hanging it.
  int status = 0;
  for (int i = 0; i < 3000 && waitpid(pid, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (kill(pid, SIGKILL) == 0) waitpid(pid, &status, 0);
  const std::string err = vmtest::readText(errFile);
  std::remove(errFile.c_str());
  return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1, err, ""};
}

TEST(Stop, EachSignalEndsEachCommandLeavingNothing) {
  vmtest::ScratchDir scratch;
  const std::string dir = scratch.path("work"), tmp = scratch.path("tmp"), program = VELMORANCE_BIN;
  for (const std::string& folder : {dir, tmp}) ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_TRUE(vmtest::ffmpeg("-f lavfi -i testsrc=s=32x24:r=10:d=1 -f lavfi -i sine=d=1 -pix_fmt yuv420p -shortest '" +
                             dir + "/clip.mp4'"));
  ASSERT_TRUE(vmtest::writePng(dir + "/in.png", vmtest::randomBytes(32 * 24 * 3, 1), 32, 24));
  const std::string env = "TMPDIR='" + tmp + "' XDG_RUNTIME_DIR='" + scratch.path("") + "' XDG_CONFIG_HOME='" + dir +
                          "/config' QT_QPA_PLATFORM=offscreen ";
  for (const char* look : {"", " --settings $/look.prefs"})
    ASSERT_EQ(vmtest::runShell(program + " settings --strength 70" + vmtest::expand(look, dir), env).status, 0);
  const auto before = vmtest::folderContents(scratch.path(""));

  // Arguments ($ the scratch folder), signal, where the test plug-in raises
  // it ("info", "placeholder", a render frame); nullptr: sent from outside
  // once the settings window waits for the user, with the real plug-in.
  const std::tuple<const char*, int, const char*> cases[] = {
      {"render $/clip.mp4 $/out.mp4 --strength 50", SIGINT, "3"},    // the frame loop
      {"render $/clip.mp4 $/out.mkv", SIGHUP, "3"},                  // the terminal closed
      {"render $/clip.mp4 $/out.mov --strength 50", SIGTERM, "3+hang"},  // a plug-in that never returns
      {"render $/clip.mp4 $/out.mp4 --settings $/look.prefs", SIGTERM, "9"},  // after the last frame
      {"render $/clip.mp4 $/out_%02d.png --rect 0,0,0.5,1", SIGTERM, "info"},  // setting up
      {"thumbnail $/clip.mp4 $/out.png --strength 50", SIGINT, "placeholder"},
      {"info", SIGTERM, "info"},
      {"configure $/in.png --settings $/look.prefs", SIGTERM, nullptr},
      {"configure $/in.png", SIGINT, nullptr},
  };
  for (const auto& [words, signal, at] : cases) {
    const std::string args = " " + vmtest::expand(words, dir);
    const auto run = at == nullptr ? stopWhileWaiting(program + args, env, tmp, signal)
                                   : vmtest::runFake(args, env + "FAKE_SIGNAL=" + std::to_string(signal) +
                                                               " FAKE_SIGNAL_AT=" + at + " ");
    EXPECT_EQ(run.status, 128 + signal) << words << "\n" << run.err;  // -1 for a crash
    const std::string line = std::string("\nvelmorance: stopped by ") +
                             (signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP") + "\n";
    EXPECT_NE(("\n" + run.err).find(line), std::string::npos) << words << "\n" << run.err;
    EXPECT_EQ(vmtest::folderContents(scratch.path("")), before) << words;
  }
}

}  // namespace
