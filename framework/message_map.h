// Message maps: per class, a table binding commands and window messages to handler methods.
#pragma once

#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

#include "framework/drop_files.h"

class CCmdTarget;

// What a map entry answers to. New window messages are added here and as a factory below.
enum class Message {
    Command,     // a button click, Enter (IDOK), Esc or the close box (IDCANCEL), F1 (ID_HELP)
    SysCommand,  // an item of the window menu: wParam is its id
    DropFiles,   // files dropped on a window that accepts them: wParam is the HDROP
};

// The message's parameters, as the window system passes them.
struct MessageArgs {
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

struct MessageEntry {
    Message message;
    int id;  // the command or control id; 0 for window messages
    std::function<void(CCmdTarget&, const MessageArgs&)> handler;

    // A click on a push button or check box.
    template <class T>
    static MessageEntry Clicked(int id, void (T::*handler)()) {
        return Command(id, handler);
    }

    // A command by id: IDOK, IDCANCEL, ID_HELP or a button's id.
    template <class T>
    static MessageEntry Command(int id, void (T::*handler)()) {
        static_assert(std::is_base_of_v<CCmdTarget, T>);
        // The map of T is only searched for objects of T, so the downcast is exact.
        return {Message::Command, id, [handler](CCmdTarget& target, const MessageArgs&) {
                    (static_cast<T&>(target).*handler)();
                }};
    }

    // WM_SYSCOMMAND, whatever the id: OnSysCommand(nID, lParam).
    template <class T>
    static MessageEntry SysCommand(void (T::*handler)(unsigned nID, std::intptr_t lParam)) {
        static_assert(std::is_base_of_v<CCmdTarget, T>);
        return {Message::SysCommand, 0, [handler](CCmdTarget& target, const MessageArgs& args) {
                    (static_cast<T&>(target).*handler)(static_cast<unsigned>(args.wParam),
                                                       args.lParam);
                }};
    }

    // WM_DROPFILES: OnDropFiles(hDropInfo), valid during the call.
    template <class T>
    static MessageEntry DropFiles(void (T::*handler)(HDROP hDropInfo)) {
        static_assert(std::is_base_of_v<CCmdTarget, T>);
        return {Message::DropFiles, 0, [handler](CCmdTarget& target, const MessageArgs& args) {
                    (static_cast<T&>(target).*handler)(reinterpret_cast<HDROP>(args.wParam));
                }};
    }
};

// One class's entries, then its base class's map.
struct MessageMap {
    const MessageMap* base;
    std::vector<MessageEntry> entries;

    // The entry for a message in this map or its bases, nearest class first; nullptr if none.
    const MessageEntry* Find(Message message, int id) const;
};
