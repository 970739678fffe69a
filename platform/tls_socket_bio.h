// An OpenSSL BIO over a non-blocking socket. OpenSSL's own socket BIO writes
// with write(), which raises SIGPIPE when the peer has gone; this one sends
// with MSG_NOSIGNAL, so a closed peer is an error, not the end of the program.
#pragma once

#include <openssl/types.h>

namespace platform {

// A new BIO reading and writing `fd`, which stays the caller's to close.
BIO* NewSocketBio(int fd);

}  // namespace platform
