// The framework's scope helper: the previous value returns however the scope ends.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "framework/scoped_value.h"

namespace pomuru::test {
namespace {

TEST(scoped_value, nested_scopes_restore_in_order_and_an_exception_restores_too) {
    std::optional<std::string> slot;
    {
        const ScopedValue outer(slot, "outer");
        try {
            const ScopedValue inner(slot, "inner");
            EXPECT_EQ(slot, "inner");
            throw std::runtime_error("handler failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(slot, "outer");
    }
    EXPECT_EQ(slot, std::nullopt);
}

}  // namespace
}  // namespace pomuru::test
