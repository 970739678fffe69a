#include "platform/command_output.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace platform {

namespace {

// What a helper prints beyond this is no password.
constexpr std::size_t kMaxOutput = 64 * 1024;
constexpr int kPollStepMs = 50;

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int Read() const { return fds_[0]; }
  int Write() const { return fds_[1]; }
  void CloseRead() { Close(fds_[0]); }
  void CloseWrite() { Close(fds_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  std::array<int, 2> fds_{-1, -1};
};

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void RunChild(const char* command, int out, int err, int in) {
  ::setpgid(0, 0);
  ::dup2(in, STDIN_FILENO);
  ::dup2(out, STDOUT_FILENO);
  ::dup2(err, STDERR_FILENO);
  ::execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
  ::_exit(127);
}

// Reads what is there; false once the pipe has ended.
bool Drain(int fd, std::string& into) {
  std::array<char, 4096> buffer;
  const ssize_t got = ::read(fd, buffer.data(), buffer.size());
  if (got < 0) return errno == EINTR || errno == EAGAIN;
  if (got == 0) return false;
  if (into.size() < kMaxOutput) into.append(buffer.data(), static_cast<std::size_t>(got));
  return true;
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

CommandOutput RunForFirstLine(const std::string& command, std::chrono::milliseconds limit, const EventPump& pump) {
  Pipe out;
  Pipe err;
  const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (nothing < 0) throw std::runtime_error("/dev/null");
  const pid_t pid = ::fork();
  if (pid == 0) RunChild(command.c_str(), out.Write(), err.Write(), nothing);
  ::close(nothing);
  if (pid < 0) throw std::runtime_error("fork");
  out.CloseWrite();
  err.CloseWrite();

  std::string printed;
  std::string errors;
  std::array<pollfd, 2> fds = {pollfd{out.Read(), POLLIN, 0}, pollfd{err.Read(), POLLIN, 0}};
  const auto deadline = std::chrono::steady_clock::now() + limit;
  bool timedOut = false;
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      break;
    }
    if (::poll(fds.data(), fds.size(), kPollStepMs) > 0) {
      if (fds[0].fd >= 0 && fds[0].revents != 0 && !Drain(fds[0].fd, printed)) fds[0].fd = -1;
      if (fds[1].fd >= 0 && fds[1].revents != 0 && !Drain(fds[1].fd, errors)) fds[1].fd = -1;
    }
    if (pump) pump();
  }
  if (timedOut) ::kill(-pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }

  CommandOutput result;
  result.firstErrorLine = FirstLine(errors);
  if (timedOut) result.outcome = CommandOutput::Outcome::kTimedOut;
  else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) result.outcome = CommandOutput::Outcome::kFailed;
  else if (FirstLine(printed).empty()) result.outcome = CommandOutput::Outcome::kPrintedNothing;
  else result.outcome = CommandOutput::Outcome::kPrinted;
  if (result.outcome == CommandOutput::Outcome::kPrinted) result.firstLine = FirstLine(printed);
  return result;
}

}  // namespace platform
