// An OAuth 2.0 token-introspection endpoint (RFC 7662) of our own on
// 127.0.0.1, for a Dovecot that checks XOAUTH2 and OAUTHBEARER tokens: one
// token is active for one user, every other one is not.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace testsupport {

class TokenIntrospection {
 public:
  TokenIntrospection(std::string goodToken, std::string user);
  TokenIntrospection(const TokenIntrospection&) = delete;
  TokenIntrospection& operator=(const TokenIntrospection&) = delete;
  ~TokenIntrospection();

  std::string Url() const;
  int Requests() const { return requests_.load(); }

 private:
  void Run();
  void Answer(int client);

  std::string goodToken_;
  std::string user_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

}  // namespace testsupport
