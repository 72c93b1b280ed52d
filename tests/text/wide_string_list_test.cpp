#include "text/wide_string_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WideStringList, GrowsByTenAfterTheFirstString) {
    WideStringList list;
    const uint32_t expectedCapacity[] = {1, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 21};
    for (int i = 0; i < 12; ++i) {
        list.Append(std::to_wstring(i).c_str());
        EXPECT_EQ(list.count, static_cast<uint32_t>(i + 1));
        EXPECT_EQ(list.capacity, expectedCapacity[i]) << "after append " << i + 1;
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_STREQ(list.items[i].Text(), std::to_wstring(i).c_str());
    }
}

TEST(WideStringList, ResizeKeepsStringsAndUsesTheLargerSize) {
    WideStringList list;
    list.Append(L"a");
    list.Append(L"b");
    list.Resize(2, 40);
    EXPECT_EQ(list.capacity, 40u);
    EXPECT_STREQ(list.items[1].Text(), L"b");
    list.Resize(50, 0);
    EXPECT_EQ(list.capacity, 50u);
    EXPECT_EQ(list.count, 50u);
    EXPECT_TRUE(list.items[49].IsEmpty());
    list.Resize(1, 0);  // shrinking the count keeps the array
    EXPECT_EQ(list.capacity, 50u);
    EXPECT_STREQ(list.items[0].Text(), L"a");
}

TEST(WideStringList, AppendingOneOfItsOwnStringsWhileGrowingIsSafe) {
    WideStringList list;
    list.Append(L"ProgId.One");
    list.Append(list.items[0]);  // the array grows from 1 to 11 during this call
    EXPECT_EQ(list.count, 2u);
    EXPECT_STREQ(list.items[1].Text(), L"ProgId.One");
}

TEST(WideStringList, ClearFreesEverything) {
    WideStringList list;
    list.Append(L"x");
    list.Clear();
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.capacity, 0u);
    EXPECT_EQ(list.items, nullptr);
}

}  // namespace
