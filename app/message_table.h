// A window's messages as a table from message id to its handler: each id at most once, looked up
// by the window procedure. The handler's type is the owner's (a member function of the window's
// object, for one).
#pragma once

#include <cstddef>
#include <cstdint>

namespace app {

template <class Handler>
struct MessageRoute {
    uint32_t id;
    Handler handler;
};

// The handler of a message, or null when the table has none.
template <class Handler, size_t N>
constexpr const Handler* FindRoute(const MessageRoute<Handler> (&table)[N], uint32_t id) {
    for (const MessageRoute<Handler>& r : table)
        if (r.id == id) return &r.handler;
    return nullptr;
}

// True when no id appears twice (a second row would never be reached).
template <class Handler, size_t N>
constexpr bool RoutesAreDistinct(const MessageRoute<Handler> (&table)[N]) {
    for (size_t i = 0; i < N; ++i)
        for (size_t j = i + 1; j < N; ++j)
            if (table[i].id == table[j].id) return false;
    return true;
}

}  // namespace app
