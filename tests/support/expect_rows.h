// A table of what the library gave beside what it should give, checked row by row; a failure names
// its row. The calls are made where the table is written, so one line holds a whole case.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace ovs::test {

template <typename T>
void ExpectRows(std::initializer_list<std::pair<T, T>> rows) {
    int row = 0;
    for (const auto& [given, expected] : rows) {
        EXPECT_EQ(expected, given) << "row " << row; // streamed only on failure: count outside
        ++row;
    }
}

} // namespace ovs::test
