// Whether the desktop's opener would run an attached file rather than show
// it: desktop entries, scripts and programs of any kind. Viewing such a file
// asks the user first.
#pragma once

#include "mail/attached_files.h"
#include "platform/mime_database.h"

namespace app {

// Judged by every type the file could be taken for, the more dangerous one
// winning: the types its name's patterns give, the type the message declared
// or its extension gave, and the type its first bytes show; each type is
// runnable when it is one of the program types or, by the database, a kind of
// one (application/x-executable, text/x-script, application/x-desktop, …).
// A name whose last extension is a program's (".exe", ".desktop", ".sh", …)
// counts as runnable whatever the database knows. Without a database only
// the name and the declared type count.
bool RunsWhenOpened(const mail::TAttachedFile& file, const platform::MimeDatabase* types);

}  // namespace app
