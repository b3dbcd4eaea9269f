// Running the programs as a user does: started with posix_spawn, their
// output read from a pipe, their exit status waited for.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace vqx::testing {

struct Child {
  pid_t pid = -1;
  int output = -1;  // stdout, and stderr unless kept apart or discarded
  int errors = -1;  // stderr when kept apart
};

enum class Stderr { kMerged, kApart, kDiscarded };

inline Child Start(const std::vector<std::string>& args,
                   Stderr stderr_to = Stderr::kMerged) {
  int out[2];
  int err[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0) return {};
  if (stderr_to == Stderr::kApart && pipe2(err, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  switch (stderr_to) {
    case Stderr::kMerged:
      posix_spawn_file_actions_adddup2(&actions, out[1], 2);
      break;
    case Stderr::kApart:
      posix_spawn_file_actions_adddup2(&actions, err[1], 2);
      break;
    case Stderr::kDiscarded:
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
      break;
  }
  std::vector<char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  Child child;
  if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(),
                  environ) != 0) {
    child.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  child.output = out[0];
  if (err[1] >= 0) close(err[1]);
  child.errors = err[0];
  return child;
}

// The whole of a file the program under test wrote ("" when there is none).
inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline int Wait(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

inline std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return text;
}

// Runs a program to its end; its exit status, and its output (stderr
// merged, or apart in `errors` when given).
inline int RunProgram(const std::vector<std::string>& args, std::string& output,
                      std::string* errors = nullptr) {
  Child child = Start(args, errors ? Stderr::kApart : Stderr::kMerged);
  if (errors) {
    // stderr is small (a line per device); read it after stdout.
    output = ReadAll(child.output);
    *errors = ReadAll(child.errors);
  } else {
    output = ReadAll(child.output);
  }
  return Wait(child.pid);
}

inline std::string FirstLine(int fd) {
  std::string line;
  char c;
  while (read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

}  // namespace vqx::testing
