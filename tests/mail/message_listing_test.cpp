// A message's listing read back gives the message as it was listed, every
// field but its content; a listing that is not whole gives nothing.
#include "mail/message_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/message_parser.h"
#include "platform/qt_mime_database.h"
#include "tests/mail/recording_parse_context.h"
#include "tests/support/mime_fixtures.h"
#include "tests/support/pop3_replies.h"
#include "tests/support/temp_files.h"

namespace {

// Every field a listing holds, as text.
std::vector<std::string> ListedFields(const mail::TKelMsg& m) {
  std::vector<std::string> fields = {m.Charset, m.UserName, m.From,    m.MessageId, m.InReplyTo,  m.ReturnPath,
                                     m.ReplyTo, m.SendTo,   m.CC,      m.Date,      m.Subject,    m.ContentType,
                                     std::to_string(static_cast<int>(m.Priority))};
  for (const std::string_view line : m.ExtraHeaders) fields.push_back("extra " + std::string(line));
  if (m.Headers)
    for (const std::string_view line : *m.Headers) fields.push_back("header " + std::string(line));
  for (std::size_t i = 0; i < m.AttachedFiles.Count(); ++i) {
    const mail::TAttachedFile& file = m.AttachedFiles.Items(i);
    fields.insert(fields.end(), {"file " + file.FullName, file.FileName, file.ContentType});
  }
  return fields;
}

mail::ParsedMessage Parsed(const std::string& fixture, const platform::MimeDatabase& types) {
  testsupport::RecordingParseContext context(types);
  return mail::ParseRetrReply(context, testsupport::MultiLineReply("+OK", fixture), /*keepUnparsable=*/true);
}

TEST(MessageListing, EveryFixtureIsListedAgainAsItWasWithoutItsContent) {
  const platform::QtMimeDatabase types;
  for (const auto& path : testsupport::MimeFixtures()) {
    const mail::ParsedMessage parsed = Parsed(testsupport::ReadFile(path), types);
    const std::optional<mail::ListedMessage> listed =
        mail::MessageOfListing(mail::ListingOf(*parsed.message, parsed.parseError), types);
    ASSERT_TRUE(listed.has_value()) << path.filename();
    EXPECT_EQ(ListedFields(*listed->message), ListedFields(*parsed.message)) << path.filename();
    EXPECT_EQ(listed->parseError, parsed.parseError) << path.filename();
    EXPECT_TRUE(listed->message->Text.empty()) << path.filename();
    for (std::size_t i = 0; i < listed->message->AttachedFiles.Count(); ++i)
      EXPECT_FALSE(listed->message->AttachedFiles.Items(i).Data) << path.filename();
  }
}

TEST(MessageListing, AListingThatIsNotWholeGivesNothing) {
  const platform::QtMimeDatabase types;
  const mail::ParsedMessage parsed = Parsed(
      "From: a@b\r\nSubject: s\r\nX-Extra: e\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
      "Content-Type: text/plain\r\n\r\ntext\r\n--b\r\nContent-Type: application/pdf; name=f.pdf\r\n\r\nx\r\n--b--\r\n",
      types);
  const std::string listing = mail::ListingOf(*parsed.message, parsed.parseError);
  ASSERT_TRUE(mail::MessageOfListing(listing, types).has_value());
  for (std::size_t size = 0; size < listing.size(); ++size)
    EXPECT_FALSE(mail::MessageOfListing(listing.substr(0, size), types).has_value()) << "cut at " << size;
  EXPECT_FALSE(mail::MessageOfListing(listing + "0:", types).has_value()) << "a field too many";
}

TEST(MessageListing, ACountBeyondWhatIsLeftIsRefused) {
  const platform::QtMimeDatabase types;
  const mail::ParsedMessage parsed = Parsed("Subject: s\r\n\r\nbody\r\n", types);
  std::string listing = mail::ListingOf(*parsed.message, parsed.parseError);
  ASSERT_TRUE(listing.ends_with("1:0"));  // no files
  listing.replace(listing.size() - 3, 3, "10:4000000000");
  EXPECT_FALSE(mail::MessageOfListing(listing, types).has_value());
}

}  // namespace
