// 127.0.0.1 for the sockets of the test servers and of a closed port.
#pragma once

#include <netinet/in.h>

namespace testsupport {

sockaddr_in LoopbackAddress(int port);

// Binds `fd` to 127.0.0.1 and a free port the system picks, and answers the
// port; raises std::runtime_error when it cannot.
int BindToLoopback(int fd);

}  // namespace testsupport
