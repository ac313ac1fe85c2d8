// Command tables: finding the handler of a message.
#include "platform/command_table.h"

const MessageMap* CCmdTarget::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
  static const MessageMap map = {nullptr, entries};
  return &map;
}

const MessageMap* CCmdTarget::GetMessageMap() const {
  return GetThisMessageMap();
}

const MessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
  for (const MessageMap* map = GetMessageMap(); map != nullptr;
       map = map->base ? map->base() : nullptr) {
    for (const MessageMapEntry* entry = map->entries; entry->message != 0; ++entry) {
      if (entry->message == message && entry->code == code && entry->id == id) return entry;
    }
  }
  return nullptr;
}
