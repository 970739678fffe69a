// What the configuration dialog accepts in its account list.
#pragma once

#include "config/server.h"

namespace config {

// A host with at least one "." anywhere and a user name that is not empty.
// The password may be empty; nothing is trimmed.
bool IsComplete(const TServer& account);

// True when two checked accounts have the same host and the same user name,
// each compared without regard to letter case under the user's locale.
// Passwords do not count; unchecked accounts never conflict.
bool HasCheckedDuplicates(const TAccountList& accounts);

}  // namespace config
