// Tests of the name history: a used name moves to the front, a new one pushes the oldest
// off a full list, empty names change nothing.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "fake_platform.h"
#include "name_history.h"

namespace {

using Names = std::vector<std::u16string>;

void SetHistory(const Names& names)
{
    App.History.Count = static_cast<int32_t>(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        std::memset(App.History.Entries[i], 0, sizeof App.History.Entries[i]);
        std::copy(names[i].begin(), names[i].end(), App.History.Entries[i]);
    }
}

Names History()
{
    Names names;
    for (int i = 0; i < App.History.Count; ++i)
        names.push_back(App.History.Entries[i]);
    return names;
}

// n names "n0".."n<n-1>", most recent first.
Names Numbered(int n)
{
    Names names;
    for (int i = 0; i < n; ++i) {
        std::string s = "n" + std::to_string(i);
        names.push_back(std::u16string(s.begin(), s.end()));
    }
    return names;
}

Names Concat(Names front, const Names& back)
{
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

Names Slice(const Names& names, int from, int to)
{
    return Names(names.begin() + from, names.begin() + to);
}

TEST(NameHistoryTest, Moves)
{
    const Names full = Numbered(16);
    const Names fifteen = Numbered(15);
    const struct {
        const char* What;
        Names Before;
        const char16_t* Added;
        Names After;
    } cases[] = {
        {"empty, new name", {}, u"A", {u"A"}},
        {"used again from the back", {u"A", u"B", u"C"}, u"C", {u"C", u"A", u"B"}},
        {"used again from the middle", {u"A", u"B", u"C"}, u"B", {u"B", u"A", u"C"}},
        {"used again from the front", {u"A", u"B"}, u"A", {u"A", u"B"}},
        {"empty name", {u"A", u"B"}, u"", {u"A", u"B"}},
        {"empty name on an empty list", {}, u"", {}},
        {"case differs", {u"a"}, u"A", {u"A", u"a"}},
        {"prefix is another name", {u"AB"}, u"A", {u"A", u"AB"}},
        {"15 entries, new name", fifteen, u"N", Concat({u"N"}, fifteen)},
        {"15 entries, last used again", fifteen, u"n14", Concat({u"n14"}, Slice(fifteen, 0, 14))},
        {"16 entries, new name", full, u"N", Concat({u"N"}, Slice(full, 0, 15))},
        {"16 entries, slot 15 used again", full, u"n15", Concat({u"n15"}, Slice(full, 0, 15))},
        {"16 entries, slot 0 used again", full, u"n0", full},
        {"16 entries, slot 7 used again", full, u"n7",
         Concat(Concat({u"n7"}, Slice(full, 0, 7)), Slice(full, 8, 16))},
        {"ten units", {u"A"}, u"0123456789", {u"0123456789", u"A"}},
        {"longer than ten units is cut", {u"A"}, u"0123456789XYZ", {u"0123456789", u"A"}},
        {"cut name matches its stored form", {u"A", u"0123456789"}, u"0123456789XYZ", {u"0123456789", u"A"}},
        {"a pair at the cut is not split", {}, u"012345678\U0001F600", {u"012345678"}},
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        SetHistory(c.Before);
        AddNameToHistory(c.Added);
        EXPECT_EQ(c.After, History()) << c.What;
        EXPECT_EQ(static_cast<int32_t>(c.After.size()), App.History.Count) << c.What;
    }
}

TEST(NameHistoryTest, SixteenFromEmpty)
{
    ResetFakePlatform();
    Names expected;
    for (const std::u16string& name : Numbered(20)) {
        AddNameToHistory(name.c_str());
        expected.insert(expected.begin(), name);
        if (expected.size() > 16)
            expected.pop_back();
        ASSERT_EQ(expected, History());
    }
    EXPECT_EQ(16, App.History.Count);
}

// Slot 0 always gets the name as last given, and other slots keep their terminators.
TEST(NameHistoryTest, EntriesStayTerminated)
{
    ResetFakePlatform();
    SetHistory({u"0123456789", u"short"});
    AddNameToHistory(u"x");
    EXPECT_EQ((Names{u"x", u"0123456789", u"short"}), History());
    for (int i = 0; i < App.History.Count; ++i) {
        bool terminated = false;
        for (int k = 0; k < HISTORY_NAME_UNITS; ++k)
            terminated = terminated || App.History.Entries[i][k] == 0;
        EXPECT_TRUE(terminated) << i;
    }
}

// An entry loaded without a terminator (11 units filled) is never read past its slot.
TEST(NameHistoryTest, UnterminatedLoadedEntry)
{
    ResetFakePlatform();
    SetHistory({u"A"});
    App.History.Count = MAX_HISTORY;
    for (int i = 0; i < MAX_HISTORY; ++i)
        for (int k = 0; k < HISTORY_NAME_UNITS; ++k)
            App.History.Entries[i][k] = u'z';
    AddNameToHistory(u"zzzzzzzzzz");   // equal to the first 10 units, not to the 11-unit slot
    EXPECT_EQ(16, App.History.Count);
    EXPECT_EQ(std::u16string(u"zzzzzzzzzz"), std::u16string(App.History.Entries[0]));
}

}  // namespace
