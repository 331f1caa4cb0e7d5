// ScopedValue: gives a variable a value for the extent of a scope, then puts the previous one back.
#pragma once

#include <utility>

// The previous value comes back however the scope ends, an exception included, and nested
// scopes on the same variable unwind in order. The variable decides the type:
// `const ScopedValue running(m_nDepth, m_nDepth + 1);`
template <class T>
class ScopedValue {
public:
    template <class U>
    ScopedValue(T& slot, U&& value) : slot_(slot), previous_(std::move(slot)) {
        slot_ = std::forward<U>(value);
    }
    ~ScopedValue() { slot_ = std::move(previous_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& slot_;
    T previous_;
};
