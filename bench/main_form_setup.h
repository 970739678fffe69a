// The main window as the pass benchmarks run it: settings and seen ids in a
// folder of their own, no pauses, no sound, message boxes printed to standard
// error instead of waiting for an answer.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/window/main_form.h"
#include "config/server.h"

namespace bench {

// The window after a start with no account, its files in `folder`, in a
// process whose allocator is set as the program sets its own. With
// `keepMessages` the stored settings keep messages between passes, so the
// start leaves the messages on disk in place.
std::unique_ptr<app::TMainForm> StartMainForm(const std::string& folder, bool keepMessages = false);

// A checked account at 127.0.0.1:`port` with the password "secret".
config::TServer LocalAccount(const std::string& user, int port);

// The messages of a maildir's "cur" folder in file name order, which is the
// order Dovecot numbers them in.
std::vector<std::string> ReadMaildir(const std::filesystem::path& maildir);

}  // namespace bench
