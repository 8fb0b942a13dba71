#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// The two lists of the Missions tab a mission reply can be for. The values
// are what the session's int for "which list" carries.
enum class MissionList { None = 0, Cycle = 1, Available = 2 };

// Which list a reply fills, by its markers: "mission list" answers with the
// cycle, "mission available" with all available missions. Case-sensitive
// substring tests on the whole reply.
MissionList ClassifyMissionReply(std::string_view reply);

// The reply router's tests for the answers to the cycle edits.
inline bool IsMissionAddedReply(std::string_view reply) {
    return reply.find("Entry Added") != std::string_view::npos;
}
inline bool IsMissionRemovedReply(std::string_view reply) {
    return reply.find("Mission Removed") != std::string_view::npos;
}
inline bool IsNextMissionSetReply(std::string_view reply) {
    return reply.find("Next Mission Set") != std::string_view::npos;
}
inline bool IsCyclingReply(std::string_view reply) {
    return reply.find("Server is cycling") != std::string_view::npos;
}

// The lines of a mission reply that become rows, in order. The reply is cut at
// line feeds; reading stops once no more than 5 characters are left from the
// start of a line, which drops a short trailer. Blank lines give no row.
std::vector<std::string_view> MissionReplyLines(std::string_view reply);

// What the markers of one "mission list" line say. A marker at the very first
// character of the line is not seen.
struct CycleLineMarks {
    bool twice = false;    // "(2x)"
    bool flipped = false;  // "FLIPPED"
    bool current = false;  // "<CURRENT"
    bool next = false;     // "<NEXT"
};
CycleLineMarks ReadCycleLineMarks(std::string_view line);

// The file name of a "mission list" line: the text after its first ":" with
// the markers and dashes cut out. Blanks the removals leave are kept.
std::string CycleLineFileName(std::string_view line);

// One line of the "mission available" reply, such as
// "12. desert.npj (Operation: Sandstorm)".
struct AvailableMission {
    std::string fileName;     // "desert.npj"
    std::string description;  // "Operation: Sandstorm"; the file name without
                              // its extension when the line gives "()"
    bool operator==(const AvailableMission&) const = default;
};
AvailableMission SplitAvailableLine(std::string_view line);

}  // namespace tavrin
