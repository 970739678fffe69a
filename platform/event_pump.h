// What the mail library calls while it waits for a server or decodes, so the
// user interface can serve its pending events. An empty pump does nothing.
#pragma once

#include <functional>

namespace platform {

using EventPump = std::function<void()>;

}  // namespace platform
