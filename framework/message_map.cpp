// Look-up of handlers along the chain of message maps.
#include "framework/message_map.h"

#include <algorithm>

const MessageEntry* MessageMap::Find(Message message, int id) const {
    for (const MessageMap* map = this; map != nullptr; map = map->base) {
        const auto found = std::find_if(
            map->entries.begin(), map->entries.end(),
            [&](const MessageEntry& entry) { return entry.message == message && entry.id == id; });
        if (found != map->entries.end()) {
            return &*found;
        }
    }
    return nullptr;
}
