// A port on 127.0.0.1 where nothing listens, for as long as the object lives.
//
// The port stays bound to a socket that never listens: a connection there is
// refused at once, and no other socket can be bound to it meanwhile, neither
// by this test nor by one running beside it. A port that was bound and given
// back at once would be free for the next server that asks for any port, and
// a test expecting a refusal would then find someone listening.
#pragma once

namespace testsupport {

class ClosedPort {
 public:
  ClosedPort();
  ClosedPort(const ClosedPort&) = delete;
  ClosedPort& operator=(const ClosedPort&) = delete;
  ~ClosedPort();

  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace testsupport
