// Base of every object that receives commands through a message map.
#pragma once

#include "framework/message_map.h"

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Calls the handler that this object's message map binds to the message; false if none.
    bool OnCmdMsg(Message message, int id, const MessageArgs& args = {});

protected:
    // Every class with handlers declares GetThisMessageMap (its table, chained to its base's)
    // and overrides GetMessageMap to return it.
    static const MessageMap& GetThisMessageMap();
    virtual const MessageMap& GetMessageMap() const { return GetThisMessageMap(); }
};
