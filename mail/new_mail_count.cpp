#include "mail/new_mail_count.h"

#include <unordered_set>

namespace mail {

UniqueIdList IdsOfMailbox(UniqueIdList ids, std::uint32_t msgCount) {
  std::unordered_set<std::uint32_t> listed;
  std::erase_if(ids, [&](const auto& id) { return id.first > msgCount || !listed.insert(id.first).second; });
  return ids;
}

bool IdsCoverMailbox(const UniqueIdList& ids, std::uint32_t msgCount) { return !ids.empty() || msgCount == 0; }

std::uint32_t CountUnseen(const UniqueIdList& ids, const SeenIds& seen) {
  const SeenIds current = SeenAfterPass(ids);
  std::uint32_t count = 0;
  for (const std::string& id : current)
    if (!seen.contains(id)) ++count;
  return count;
}

SeenIds SeenAfterPass(const UniqueIdList& ids) {
  SeenIds current;
  for (const auto& [number, id] : ids) current.insert(id);
  return current;
}

}  // namespace mail
