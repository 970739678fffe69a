// What made the last step of a POP3 session fail, kept in one place: the
// server's own words apart from ours, as a refusal and a failure of our
// own (a time-out, a dropped connection, a certificate) need telling apart.
#pragma once

#include <string>
#include <utility>

#include "platform/tcp_client.h"

namespace mail {

// What failed. The codes from kGreetingRefused to kReplyTooLarge are the ones
// OnError reports; a failed connection, a failed secure channel and a message
// kept unparsed are reported by the session's state instead.
enum PopError : int {
  kNoFailure = 0,
  kGreetingRefused = 2000,
  kLoginRefused = 2001,
  kQuitRefused = 2002,
  kDeleteRefused = 2003,
  kRetrieveRefused = 2004,
  kTopRefused = 2005,
  kStatRefused = 2006,
  kReplyTimedOut = 2007,
  kClosedByServer = 2008,
  kReplyTooLarge = 2009,
  kConnectFailed = 2010,    // no connection: refused, unreachable, unknown host
  kSecureFailed = 2011,     // TLS could not be set up or its certificate was not accepted
  kSocketFailed = 2012,     // the system refused to read or write the connection
  kMessageUnparsed = 2013,  // a message was kept with its raw body, its structure broken
};

struct SessionFailure {
  SessionFailure() = default;
  SessionFailure(PopError failed, std::string server, std::string ours)
      : code(failed), serverText(std::move(server)), description(std::move(ours)) {}

  PopError code = kNoFailure;
  // The server's own text after "-ERR" when it refused; empty otherwise.
  std::string serverText;
  // Our account of what went wrong (Windows-1251); empty for a plain refusal.
  std::string description;
  // For kSecureFailed: the certificate's SHA-256 fingerprint, and whether
  // trusting it for the account would let the connection through.
  std::string peerCertSha256;
  bool certificateUntrusted = false;
  platform::CertificateProblem certificateProblem = platform::CertificateProblem::kIssuer;

  explicit operator bool() const { return code != kNoFailure; }
  // Every failure but a message kept unparsed ends the session.
  bool EndedSession() const { return code != kNoFailure && code != kMessageUnparsed; }
  // The text a failure is reported with: ours when we have one, else the server's.
  const std::string& Text() const { return description.empty() ? serverText : description; }
};

}  // namespace mail
