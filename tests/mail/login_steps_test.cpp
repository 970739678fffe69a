// The texts each login method sends and reads.
#include "mail/login_steps.h"

#include <gtest/gtest.h>

#include <vector>

#include "mail/text_decoders.h"

namespace {

TEST(Apop, DigestOfTheGreetingsTimestampAndThePassword) {
  // The example of RFC 1939, section 7.
  const auto timestamp = mail::GreetingTimestamp("+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>");
  ASSERT_EQ(timestamp, "<1896.697170952@dbc.mtview.ca.us>");
  EXPECT_EQ(mail::ApopDigest(*timestamp, "tanstaaf"), "c4c9334bac560ecc979e58001b3e22fb");
  EXPECT_EQ(mail::GreetingTimestamp("+OK ready"), std::nullopt);
  EXPECT_EQ(mail::GreetingTimestamp("+OK ready <unclosed"), std::nullopt);
}

TEST(SaslResponses, AreTheMechanismsOwnTextsInBase64) {
  for (const std::string& bytes : std::vector<std::string>{"", "a", "ab", "abc", "abcd", std::string("\0\xFF\x80", 3)})
    EXPECT_EQ(mail::DecodeBase64Text(mail::EncodeBase64(bytes)), bytes);
  EXPECT_EQ(mail::EncodeBase64("abcd"), "YWJjZA==");
  EXPECT_EQ(mail::PlainResponse("tim", "tanstaaf"), "AHRpbQB0YW5zdGFhZg==");
  EXPECT_EQ(mail::DecodeBase64Text(mail::XOAuth2Response("bob@example.org", "tok")),
            "user=bob@example.org\x01" "auth=Bearer tok\x01\x01");
  EXPECT_EQ(mail::DecodeBase64Text(mail::OAuthBearerResponse("a,b=c", "pop.example.org", 995, "tok")),
            "n,a=a=2Cb=3Dc,\x01" "host=pop.example.org\x01" "port=995\x01" "auth=Bearer tok\x01\x01");
}

TEST(OAuthChallengeStatus, IsTheStatusOfTheDecodedJson) {
  const std::string json = R"({"status":"401","schemes":"bearer","scope":"https://mail.google.com/"})";
  EXPECT_EQ(mail::OAuthChallengeStatus("+ " + mail::EncodeBase64(json)), "401 (scope https://mail.google.com/)");
  EXPECT_EQ(mail::OAuthChallengeStatus("+ " + mail::EncodeBase64(R"({"status":"invalid_token"})")), "invalid_token");
  EXPECT_EQ(mail::OAuthChallengeStatus("+ " + mail::EncodeBase64("not json")), "not json");
}

}  // namespace
