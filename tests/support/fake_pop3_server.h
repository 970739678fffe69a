// A scripted POP3 peer on 127.0.0.1 for what a real server cannot be made to
// do: replies split into given chunks, silence, a dropped connection. The
// script reads as a dialogue:
//
//   FakePop3Server server({Server("+OK ready\r\n"), Client("USER bob\r\n"), Server("+OK\r\n")});
//
// Every Client step checks the exact bytes the client wrote; anything the
// client writes after the script has run counts as a mismatch too.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

using std::chrono::milliseconds;

struct Step {
  enum class Kind { kSend, kExpect, kSilence, kDrop };
  Kind kind;
  std::vector<std::string> chunks;  // kSend: written one by one, `pause` apart
  std::string expected;             // kExpect
  milliseconds pause{0};
};

// One reply written in one piece.
Step Server(std::string reply);
// One reply written in pieces, each after `pause`, so the client reads them apart.
Step ServerChunks(std::vector<std::string> chunks, milliseconds pause = milliseconds(40));
// The exact bytes the client must write next.
Step Client(std::string expected);
Step Silence(milliseconds duration);
// Closes the connection at once; the script ends there.
Step Drop();

class FakePop3Server {
 public:
  explicit FakePop3Server(std::vector<Step> script);
  // One script per connection, in the order the client connects.
  explicit FakePop3Server(std::vector<std::vector<Step>> sessions);
  FakePop3Server(const FakePop3Server&) = delete;
  FakePop3Server& operator=(const FakePop3Server&) = delete;
  ~FakePop3Server();

  int Port() const { return port_; }

  // Stops the server and answers every way the client strayed from the script,
  // and any step the client never reached. Call once the client has finished.
  std::vector<std::string> Finish();

 private:
  void Run();
  void RunScript(int fd, const std::vector<Step>& script);
  void DrainAfterScript(int fd);
  bool Expect(int fd, const std::string& expected);
  void Record(std::string problem);
  bool Stopping() const { return stop_.load(); }

  std::vector<std::vector<Step>> sessions_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> problems_;
  std::thread thread_;
};

}  // namespace testsupport
