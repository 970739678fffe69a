// The message the view shows, whole. A message the store keeps is listed
// without its text and its files' bytes; when it is shown, it is read from
// the store and parsed again as its download was, and held whole only while
// it stays the shown one. That parse serves no events: the window must not
// start a pass or move to another message while the shown one is half built.
#pragma once

#include <memory>

#include "mail/message.h"
#include "mail/pop3_session.h"
#include "platform/message_store.h"

namespace app {

class ShownMessage {
 public:
  // Parses with `session`'s MIME types and format-error text, as the pass
  // does; `store` may be null.
  ShownMessage(const mail::TKelPOP& session, const std::shared_ptr<platform::MessageStore>& store)
      : session_(session), store_(store) {}

  // `listed` itself when it is held whole; else the whole message read from
  // the store, valid until the next call. Null for null, and `listed` when
  // the store no longer has the message (Missing then answers true).
  const mail::TKelMsg* Of(const mail::TKelMsg* listed);
  bool Missing() const { return missing_; }

 private:
  std::unique_ptr<mail::TKelMsg> ReadWhole(const mail::TKelMsg& listed) const;

  const mail::TKelPOP& session_;
  std::shared_ptr<platform::MessageStore> store_;
  std::unique_ptr<mail::TKelMsg> whole_;
  bool missing_ = false;
};

}  // namespace app
