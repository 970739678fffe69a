#include "tests/support/run_program.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace testsupport {

namespace {

void ChildExec(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int in[2], int out[2],
               int err[2]) {
  ::dup2(in[0], 0);
  ::dup2(out[1], 1);
  ::dup2(err[1], 2);
  for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
  for (const auto& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         const std::string& input, int timeoutSeconds) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = ::fork();
  if (pid == 0) ChildExec(argv, environment, in, out, err);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  ::signal(SIGPIPE, SIG_IGN);
  if (!input.empty()) [[maybe_unused]] auto written = ::write(in[1], input.data(), input.size());
  ::close(in[1]);

  ProgramResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0 && std::chrono::steady_clock::now() < deadline) {
    if (::poll(fds, 2, 100) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[65536];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  if (open > 0) ::kill(pid, SIGKILL);
  for (auto& fd : fds)
    if (fd.fd >= 0) ::close(fd.fd);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (open == 0 && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

}  // namespace testsupport
