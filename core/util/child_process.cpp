#include "core/util/child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

extern char** environ;

namespace scrivex_core::util {
namespace {

// A pipe whose ends are closed when it goes out of scope.
struct Pipe {
  int read_end = -1;
  int write_end = -1;
  bool open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read_end = fds[0];
    write_end = fds[1];
    return true;
  }
  void close_write() {
    if (write_end >= 0) ::close(write_end);
    write_end = -1;
  }
  ~Pipe() {
    close_write();
    if (read_end >= 0) ::close(read_end);
  }
};

// Owns the spawn attribute objects for the duration of one start.
struct SpawnActions {
  posix_spawn_file_actions_t actions;
  SpawnActions() { posix_spawn_file_actions_init(&actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

// Reads both pipes until both are closed by the child.
void drain(Pipe& out, Pipe& err, ProcessOutput& result) {
  std::array<pollfd, 2> fds{{{out.read_end, POLLIN, 0}, {err.read_end, POLLIN, 0}}};
  std::array<std::string*, 2> sinks{&result.standard_output, &result.standard_error};
  int open_count = 2;
  char buffer[1 << 16];
  while (open_count > 0) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        fds[i].fd = -1;
        --open_count;
        continue;
      }
      sinks[i]->append(buffer, static_cast<std::size_t>(got));
    }
  }
}

int wait_for(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

}  // namespace

Result<ProcessOutput, int> run_program(const std::string& program, const std::vector<std::string>& arguments) {
  Pipe out, err;
  if (!out.open() || !err.open()) return errno;
  SpawnActions spawn;
  posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&spawn.actions, out.write_end, 1);
  posix_spawn_file_actions_adddup2(&spawn.actions, err.write_end, 2);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  // An empty name would otherwise be searched for as a file in each PATH folder.
  const int started = program.empty() ? ENOENT
                                      : posix_spawnp(&pid, program.c_str(), &spawn.actions, nullptr,
                                                     argv.data(), environ);
  if (started != 0) return started;
  out.close_write();
  err.close_write();
  ProcessOutput result;
  drain(out, err, result);
  const int status = wait_for(pid);
  result.succeeded = status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}

}  // namespace scrivex_core::util
