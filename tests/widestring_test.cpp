// The framework's wide string: assigning, appending (also its own text), copies, narrow text.
#include <afxstr.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CStringW, AppendsGrowCopiesAreIndependent) {
    CStringW text(L"Flow");
    text += L'\t';
    text += static_cast<LPCWSTR>(nullptr);
    std::wstring expected = L"Flow\t";
    for (int i = 0; i < 3000; ++i) {
        text += CStringW(L"ab", 1 + i % 2);
        expected += i % 2 == 0 ? L"a" : L"ab";
    }
    ASSERT_EQ(expected, std::wstring(text.GetString()));
    CStringW copy(text);
    text += text; // its own text, while the buffer grows
    EXPECT_EQ(expected + expected, std::wstring(text.GetString()));
    text = text.GetString() + text.GetLength() - 3; // a tail of its own text
    EXPECT_TRUE(text == L"aab");
    EXPECT_EQ(static_cast<int>(expected.size()), copy.GetLength());
    CStringW moved(std::move(copy));
    EXPECT_EQ(expected, std::wstring(moved.GetString()));
    moved.Empty();
    EXPECT_TRUE(moved.IsEmpty());
    EXPECT_STREQ(L"", moved.GetString());
}

TEST(CStringW, NarrowTextInTheProcessCodePage) {
    CStringW text("Peak \xe9");
    EXPECT_STREQ(GetACP() == 1252 ? L"Peak \x00e9" : text.GetString(), text);
    text = static_cast<LPCSTR>(nullptr);
    EXPECT_TRUE(text.IsEmpty());
}

} // namespace
