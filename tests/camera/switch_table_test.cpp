// The switch table's rows stay distinct: a key bound twice leaves the
// second row unreachable, and a flag two rows flip is one effect with two
// keys and two overlay lines.
#include "camera/switch_table.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(SwitchTable, EachKeyAndEachFlagBelongsToOneRow)
{
    std::set<int> keys;
    std::set<const bool*> flags;
    for (const Switch& row : switchTable()) {
        SCOPED_TRACE(row.label);
        ASSERT_NE(row.flag, nullptr);
        EXPECT_TRUE(keys.insert(row.key).second) << "key bound twice";
        EXPECT_TRUE(flags.insert(row.flag).second) << "flag flipped by two keys";
    }
}

}  // namespace
