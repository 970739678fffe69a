#include "mail/message_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using ::testing::ElementsAre;

TEST(MessageLines, CutAtEveryKindOfLineBreak) {
  EXPECT_THAT(mail::CutLines("a\r\nb\rc\nd"), ElementsAre("a", "b", "c", "d"));
  EXPECT_THAT(mail::CutLines("a\r\n"), ElementsAre("a"));
  EXPECT_THAT(mail::CutLines("a\r\n\r\n"), ElementsAre("a", ""));
  EXPECT_THAT(mail::CutLines("\n\r"), ElementsAre("", ""));
  EXPECT_THAT(mail::CutLines(""), ElementsAre());
  EXPECT_THAT(mail::CutLines(std::string("a\0b\r\nc", 6)), ElementsAre(std::string("a\0b", 3), "c"));
}

TEST(MessageLines, JoinedLinesCutBackIntoTheSameLines) {
  const mail::Lines lines = {"a", "", "b c", ""};
  EXPECT_EQ(mail::JoinLines(lines), "a\r\n\r\nb c\r\n\r\n");
  EXPECT_EQ(mail::CutLines(mail::JoinLines(lines)), lines);
}

TEST(MessageLines, ReplySplitsIntoHeadersAndUnstuffedBody) {
  const auto split = mail::SplitRetrReply("+OK 40 octets\r\nSubject: x\r\n..not header\r\n\r\n..\r\n.x\r\n.\r\nlast..\r\n..\r\n.\r\n");
  EXPECT_THAT(split.headers, ElementsAre("Subject: x", "..not header", ""));
  EXPECT_THAT(split.body, ElementsAre(".", "x", ".", "last..", "."));
}

TEST(MessageLines, MessageWithoutEmptyLineIsAllBody) {
  const auto split = mail::SplitRetrReply("+OK\r\nSubject: x\r\nmore\r\n.\r\n");
  EXPECT_TRUE(split.headers.empty());
  EXPECT_THAT(split.body, ElementsAre("Subject: x", "more"));
}

TEST(MessageLines, ZeroByteDoesNotCutTheMessage) {
  const char reply[] = "+OK\r\nA: 1\r\n\r\nbe\0fore\r\nafter\r\n.\r\n";
  const auto split = mail::SplitRetrReply(std::string(reply, sizeof reply - 1));
  EXPECT_THAT(split.body, ElementsAre(std::string("be\0fore", 7), "after"));
}

// A large message keeps the window served while it is cut, and cuts the same.
TEST(MessageLines, LargeReplyPumpsEventsWhileItIsCut) {
  std::string reply = "+OK\r\nSubject: big\r\n\r\n";
  for (int i = 0; i < 20000; ++i) reply += "line " + std::to_string(i) + "\r\n";
  reply += ".\r\n";
  int pumps = 0;
  const auto pumped = mail::SplitRetrReply(reply, [&] { ++pumps; });
  EXPECT_GE(pumps, 4);
  const auto plain = mail::SplitRetrReply(reply);
  EXPECT_EQ(pumped.headers, plain.headers);
  EXPECT_EQ(pumped.body, plain.body);
  EXPECT_EQ(plain.body.size(), 20000u);
}

}  // namespace
