// New mail told by unique ids, for servers that do not answer LAST: a
// message is new when its id was not on the server at the end of the
// previous complete pass over the same account.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace mail {

using UniqueIdList = std::vector<std::pair<std::uint32_t, std::string>>;
using SeenIds = std::set<std::string>;

// The ids UIDL gave for the messages STAT counted: a line for a number beyond
// `msgCount`, or for a number listed already, is a server's error and is
// dropped, so no more ids are counted or kept than there are messages.
UniqueIdList IdsOfMailbox(UniqueIdList ids, std::uint32_t msgCount);

// Ids tell new mail only when the server gave them for the whole mailbox:
// an empty list for a mailbox that is not empty means UIDL was refused.
bool IdsCoverMailbox(const UniqueIdList& ids, std::uint32_t msgCount);

// How many of the server's ids are not in `seen`; each id counts once.
std::uint32_t CountUnseen(const UniqueIdList& ids, const SeenIds& seen);

// The seen set after a pass: exactly the ids now on the server, so that
// deleted messages drop off and the set never grows without bound.
SeenIds SeenAfterPass(const UniqueIdList& ids);

}  // namespace mail
