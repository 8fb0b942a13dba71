#include "missions/mission_reply.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tavrin {
namespace {

TEST(ClassifyMissionReply, MarkersChooseTheList) {
    struct Case {
        const char* reply;
        MissionList list;
    };
    const Case cases[] = {
        {"1: <CURRENT MISSION> alpha.npj\n", MissionList::Cycle},
        {"3: <> <> gamma.npz\n", MissionList::Cycle},
        {"2: <NEXT MISSION> beta.bms\n", MissionList::Cycle},
        // Cycle markers win over available-mission markers in the same reply.
        {"1. a.npj (Operation: X)\n2: <> <> b.bms\n", MissionList::Cycle},
        {"Training: basics\n", MissionList::Available},
        {"1. a.BMS (x)", MissionList::Available},
        {"1. a.bms (x)", MissionList::Available},
        {"1. a.NPZ (x)", MissionList::Available},
        {"1. a.npz (x)", MissionList::Available},
        {"1. a.NPJ (x)", MissionList::Available},
        {"1. a.npj (x)", MissionList::Available},
        {"1. a (TKOTH)", MissionList::Available},
        {"1. a (Operation: Red)", MissionList::Available},
        {"1. a (AS)", MissionList::Available},
        // Tests are case-sensitive, and one "<>" alone is not a cycle marker.
        {"<current mission> a.npj", MissionList::None},
        {"1: <> a.npj", MissionList::None},
        {"1. a.Npj (x)", MissionList::None},
        {"Entry Added", MissionList::None},
        {"", MissionList::None},
        // A marker at the very start or end of the reply, one that overlaps
        // a false start, and a reply of one byte.
        {"<> <>", MissionList::Cycle},
        {"x(AS", MissionList::Available},
        {"..<<> <>..", MissionList::Cycle},
        {"((AS", MissionList::Available},
        {"(A", MissionList::None},
        {"<", MissionList::None},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyMissionReply(c.reply), c.list) << c.reply;
}

// A reply of the largest size, padded with dots after its first line, is
// read to its end: the marker in its last bytes still counts.
TEST(ClassifyMissionReply, LargePaddedReplyReadToTheEnd) {
    for (const std::string_view marker : {"<NEXT MISSION", ".npj ("}) {
        std::string reply = "flood 1\n";
        reply.resize(65500, '.');
        EXPECT_EQ(ClassifyMissionReply(reply), MissionList::None);
        reply += marker;
        EXPECT_NE(ClassifyMissionReply(reply), MissionList::None) << marker;
    }
}

TEST(MissionReplyLines, ShortTrailerEndsTheReading) {
    struct Case {
        const char* reply;
        std::vector<std::string_view> lines;
    };
    const Case cases[] = {
        {"first line\nsecond\n", {"first line", "second"}},
        // With a final line feed a last line of 4 characters is dropped, one of 5 kept.
        {"first line\nabcd\n", {"first line"}},
        {"first line\nabcde\n", {"first line", "abcde"}},
        // Without it a last line of 5 characters is dropped, one of 6 kept.
        {"first line\nabcde", {"first line"}},
        {"first line\nabcdef", {"first line", "abcdef"}},
        {"abc", {}},
        {"", {}},
        // Blank lines inside a reply give no row.
        {"first line\n\n   \nsecond line\n", {"first line", "second line"}},
    };
    for (const auto& c : cases) EXPECT_EQ(MissionReplyLines(c.reply), c.lines) << c.reply;
}

TEST(CycleLine, FileNameKeepsTheBlanksTheRemovalsLeave) {
    struct Case {
        const char* line;
        const char* fileName;
    };
    const Case cases[] = {
        {"1: <CURRENT MISSION> alpha.npj", "  alpha.npj"},
        {"2: <NEXT MISSION> beta.bms (2x)", "  beta.bms "},
        {"3: <> <> gamma.npz (IS FLIPPED)", "   gamma.npz "},
        {"0: <CURRENT MISSION> <> training.bms (2x) (IS FLIPPED)", "   training.bms  "},
        {"no colon.bms", "no colon.bms"},
        // Only the first ":" starts the file name.
        {"4: map:x.bms", " map:x.bms"},
        {"5: delta.bms ---", " delta.bms "},
        {"6: a -b.bms ()", " ab.bms "},
        // Removals take one pass: what they bring together stays.
        {"7: <<>>x.bms", " <>x.bms"},
        {"8: ---", " "},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CycleLineFileName(c.line), c.fileName) << c.line;
}

TEST(CycleLine, MarkersCountOnlyAfterTheFirstCharacter) {
    struct Case {
        const char* line;
        bool twice, flipped, current, next;
    };
    const Case cases[] = {
        {"1: <CURRENT MISSION> alpha.npj", false, false, true, false},
        {"2: <NEXT MISSION> beta.bms (2x)", true, false, false, true},
        {"3: <> <> gamma.npz (IS FLIPPED)", false, true, false, false},
        {"4: <CURRENT MISSION> <NEXT MISSION> d.bms (2x) (IS FLIPPED)", true, true, true, true},
        {"<CURRENT MISSION> alpha.npj", false, false, false, false},
        {"<NEXT MISSION> beta.bms", false, false, false, false},
        {"(2x) FLIPPED", false, true, false, false},
        {"5: <current mission> e.bms (2X)", false, false, false, false},
    };
    for (const auto& c : cases) {
        CycleLineMarks m = ReadCycleLineMarks(c.line);
        EXPECT_EQ(m.twice, c.twice) << c.line;
        EXPECT_EQ(m.flipped, c.flipped) << c.line;
        EXPECT_EQ(m.current, c.current) << c.line;
        EXPECT_EQ(m.next, c.next) << c.line;
    }
}

TEST(SplitAvailableLine, FileNameAndDescription) {
    struct Case {
        const char* line;
        AvailableMission mission;
    };
    const Case cases[] = {
        {"12. desert.npj (Operation: Sandstorm)", {"desert.npj", "Operation: Sandstorm"}},
        {"3. train.bms ()", {"train.bms", "train"}},
        {"  7.   city.npz   (TKOTH)  ", {"city.npz", "TKOTH"}},
        {"1. alpha.npj (Operation: Red)", {"alpha.npj", "Operation: Red"}},
        // Only leading "(" and trailing ")" go; inner ones stay.
        {"4. x.bms ((AS (night)))", {"x.bms", "AS (night"}},
        // Every occurrence of the file name leaves the description.
        {"5. x.bms (x.bms remix)", {"x.bms", " remix"}},
        // No description after the file name: the file name without its extension.
        {"6. lone.bms", {"lone.bms", "lone"}},
        // No extension dot: no file name can be told.
        {"Total: 12 missions", {"", "Total: 12 missions"}},
        {"", {"", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitAvailableLine(c.line), c.mission) << c.line;
}

}  // namespace
}  // namespace tavrin
