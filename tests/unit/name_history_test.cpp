// The name history: a used name moves to the front, a new one pushes the oldest off a
// full list, empty names change nothing, names are cut to 10 units.
#include <gtest/gtest.h>
#include "fake_platform.h"
#include "name_history.h"
#include "test_support.h"

namespace {

// n names "n0".."n<n-1>", most recent first.
Texts Numbered(int n)
{
    Texts names;
    for (int i = 0; i < n; ++i)
        names.push_back(Widen("n" + std::to_string(i)));
    return names;
}

Texts Cat(Texts front, const Texts& back, int from = 0, int to = -1)
{
    front.insert(front.end(), back.begin() + from, to < 0 ? back.end() : back.begin() + to);
    return front;
}

TEST(NameHistoryTest, AddsToTheFront)
{
    const Texts full = Numbered(16), fifteen = Numbered(15);
    const struct {
        Texts Before;
        const char16_t* Added;
        Texts After;
    } cases[] = {
        {{}, u"A", {u"A"}},
        {{u"A", u"B", u"C"}, u"C", {u"C", u"A", u"B"}},
        {{u"A", u"B"}, u"A", {u"A", u"B"}},
        {{u"A", u"B"}, u"", {u"A", u"B"}},
        {{u"a"}, u"A", {u"A", u"a"}},                             // case differs: two entries
        {fifteen, u"N", Cat({u"N"}, fifteen)},
        {full, u"N", Cat({u"N"}, full, 0, 15)},                   // the oldest falls off
        {full, u"n15", Cat({u"n15"}, full, 0, 15)},               // nothing lost
        {{u"A", u"0123456789"}, u"0123456789XYZ", {u"0123456789", u"A"}},   // cut, then found
        {{}, u"012345678\U0001F600", {u"012345678"}},             // a pair at the cut is not split
    };
    for (const auto& c : cases) {
        ResetFakePlatform();
        SetHistory(c.Before);
        AppState before;
        std::memcpy(&before, &App, sizeof App);
        AddNameToHistory(c.Added);
        EXPECT_EQ(c.After, HistoryNames()) << "row " << &c - cases;
        before.History = App.History;   // nothing outside the history changes
        EXPECT_EQ(0, std::memcmp(&before, &App, sizeof App)) << "row " << &c - cases;
    }
}

}  // namespace
