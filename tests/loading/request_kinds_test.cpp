// Every kind a request can name has its whole description: a kind without a
// name, limits or one of its steps would fail its first request rather
// than the build.
#include "loading/request/request_kinds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

namespace {

TEST(RequestKinds, EveryKindARequestCanNameHasANameLimitsAndEachStep)
{
    constexpr std::uint32_t kValuesTried = 256;
    std::set<std::string> names;
    for (std::uint32_t value = 0; value < kValuesTried; ++value) {
        const RequestKind* kind = findRequestKind(static_cast<LoadKind>(value));
        if (kind == nullptr) {
            continue;
        }
        ASSERT_NE(kind->name, nullptr) << value;
        EXPECT_TRUE(names.insert(kind->name).second) << kind->name;
        EXPECT_GT(kind->limits.cpuSeconds, 0.0) << kind->name;
        EXPECT_GT(kind->limits.memoryBytes, 0u) << kind->name;
        EXPECT_GT(kind->limits.wallSeconds, 0.0) << kind->name;
        EXPECT_TRUE(kind->run && kind->answered && kind->write && kind->read) << kind->name;
    }
    EXPECT_EQ(names, (std::set<std::string>{"a model import", "an image decode"}));
}

}  // namespace
