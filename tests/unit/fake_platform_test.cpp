// Tests of the fake platform's character stepping, case and module path, which other
// tests rely on to behave as the Windows calls do.
#include <gtest/gtest.h>
#include <string>
#include "fake_platform.h"

namespace {

TEST(FakePlatformTest, NextAndPreviousCharacter)
{
    const std::u16string text = u"a\U0001F600b\xD800";   // a, a pair, b, a lone high surrogate
    const char16_t* s = text.c_str();
    const struct {
        int From;
        int Next;
        int Previous;
    } steps[] = {
        {0, 1, 0},   // at the start: the previous character is the start itself
        {1, 3, 0},   // the pair is one step forward
        {3, 4, 1},   // and one step back
        {4, 5, 3},
        {5, 5, 4},   // the terminator stays where it is
    };
    for (const auto& st : steps) {
        EXPECT_EQ(s + st.Next, PlatformNextChar(s + st.From)) << st.From;
        EXPECT_EQ(s + st.Previous, PlatformPrevChar(s, s + st.From)) << st.From;
    }
    const std::u16string lowFirst = u"\xDC00x";   // a lone low surrogate at the start
    EXPECT_EQ(lowFirst.c_str(), PlatformPrevChar(lowFirst.c_str(), lowFirst.c_str() + 1));
}

TEST(FakePlatformTest, UpperCaseOnlyAscii)
{
    std::u16string text = u"azAZ09\u00e9\u3042m";
    PlatformUpperCase(&text[0]);
    EXPECT_EQ(u"AZAZ09\u00e9\u3042M", text);
}

TEST(FakePlatformTest, ModuleFileName)
{
    const struct {
        std::u16string Path;
        bool Fails;
        int Room;
        int Result;
        std::u16string Written;
    } cases[] = {
        {u"C:\\k.exe", false, 260, 8, u"C:\\k.exe"},
        {u"C:\\k.exe", false, 9, 8, u"C:\\k.exe"},
        {u"C:\\k.exe", false, 8, 8, u"C:\\k.ex"},   // cut and terminated; the room comes back
        {u"C:\\k.exe", true, 260, 0, u""},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        Fake.ModulePath = c.Path;
        Fake.ModuleFileNameFails = c.Fails;
        char16_t buffer[300] = {};
        EXPECT_EQ(c.Result, PlatformModuleFileName(buffer, c.Room));
        EXPECT_EQ(c.Written, std::u16string(buffer));
    }
}

}  // namespace
