// Dispatch of one message through an object's message map.
#include "framework/cmd_target.h"

const MessageMap& CCmdTarget::GetThisMessageMap() {
    static const MessageMap messageMap{nullptr, {}};
    return messageMap;
}

bool CCmdTarget::OnCmdMsg(Message message, int id, const MessageArgs& args) {
    const MessageEntry* entry = GetMessageMap().Find(message, id);
    if (entry == nullptr) {
        return false;
    }
    entry->handler(*this, args);
    return true;
}
