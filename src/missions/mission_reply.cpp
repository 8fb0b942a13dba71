#include "missions/mission_reply.h"

#include <algorithm>
#include <bitset>

#include "missions/mission_text.h"

namespace tavrin {
namespace {

using mission_text::RemoveAll;
using mission_text::TrimBlanks;

constexpr std::string_view kCycleMarkers[] = {"<CURRENT MISSION>", "<> <>", "<NEXT MISSION"};
constexpr std::string_view kAvailableMarkers[] = {
    "Training:", ".BMS (", ".bms (", ".NPZ (",      ".npz (",
    ".NPJ (",    ".npj (", "(TKOTH", "(Operation:", "(AS",
};
// Cut out of a cycle line's file name, in this order, after "()", "<>",
// trailing dashes and " -".
constexpr std::string_view kCycleLineNoise[] = {"<CURRENT MISSION>", "<NEXT MISSION>",
                                                "(IS FLIPPED)", "(2x)"};

// A line shorter than this many characters, counted from its start to the end
// of the reply, is a trailer and ends the reading.
constexpr size_t kMinRemainingText = 6;

template <size_t N>
constexpr bool AllAtLeastTwoBytes(const std::string_view (&markers)[N]) {
    for (std::string_view m : markers)
        if (m.size() < 2) return false;
    return true;
}
static_assert(AllAtLeastTwoBytes(kCycleMarkers) && AllAtLeastTwoBytes(kAvailableMarkers));

// Whether any of a set of markers occurs in a text, in one pass. Every reply
// the console gets is classified, however large and whatever it holds: a find
// per marker stops at each byte that begins one, so a reply padded with dots
// cost milliseconds of the main thread. Here a position is compared only when
// its two bytes begin a marker.
template <size_t N>
class MarkerSet {
  public:
    explicit MarkerSet(const std::string_view (&markers)[N]) : m_markers(markers) {
        for (std::string_view m : markers) m_starts.set(Pair(m[0], m[1]));
    }
    bool FoundIn(std::string_view text) const {
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            if (!m_starts.test(Pair(text[i], text[i + 1]))) continue;
            const std::string_view rest = text.substr(i);
            for (std::string_view m : m_markers)
                if (rest.starts_with(m)) return true;
        }
        return false;
    }

  private:
    static size_t Pair(char a, char b) {
        return static_cast<size_t>(static_cast<unsigned char>(a)) << 8 |
               static_cast<unsigned char>(b);
    }
    const std::string_view (&m_markers)[N];
    std::bitset<1 << 16> m_starts;
};

bool MarkedAfterStart(std::string_view line, std::string_view marker) {
    size_t at = line.find(marker);
    return at != std::string_view::npos && at > 0;
}

}  // namespace

MissionList ClassifyMissionReply(std::string_view reply) {
    static const MarkerSet cycle(kCycleMarkers);
    static const MarkerSet available(kAvailableMarkers);
    if (cycle.FoundIn(reply)) return MissionList::Cycle;
    if (available.FoundIn(reply)) return MissionList::Available;
    return MissionList::None;
}

std::vector<std::string_view> MissionReplyLines(std::string_view reply) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (reply.size() - start >= kMinRemainingText) {
        size_t end = reply.find('\n', start);
        std::string_view line = reply.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!mission_text::TrimWhiteSpace(line).empty()) lines.push_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

CycleLineMarks ReadCycleLineMarks(std::string_view line) {
    CycleLineMarks marks;
    marks.twice = MarkedAfterStart(line, "(2x)");
    marks.flipped = MarkedAfterStart(line, "FLIPPED");
    marks.current = MarkedAfterStart(line, "<CURRENT");
    marks.next = MarkedAfterStart(line, "<NEXT");
    return marks;
}

std::string CycleLineFileName(std::string_view line) {
    size_t colon = line.find(':');
    std::string name =
        RemoveAll(colon == std::string_view::npos ? line : line.substr(colon + 1), "()");
    name = RemoveAll(name, "<>");
    name.erase(name.find_last_not_of('-') + 1);  // npos + 1 == 0 clears an all-dash text
    name = RemoveAll(name, " -");
    for (std::string_view noise : kCycleLineNoise) name = RemoveAll(name, noise);
    return name;
}

AvailableMission SplitAvailableLine(std::string_view line) {
    // Drop the index in front of the file name ("12.").
    size_t index = line.find('.');
    std::string_view rest =
        TrimBlanks(index == std::string_view::npos ? line : line.substr(index + 1));
    AvailableMission mission;
    size_t dot = rest.find('.');
    if (dot != std::string_view::npos) {
        // The file name runs to the first blank after its extension dot, or to
        // the end of a line that gives no description.
        mission.fileName = TrimBlanks(rest.substr(0, rest.find(' ', dot)));
    }
    std::string left(TrimBlanks(RemoveAll(rest, mission.fileName)));
    if (!mission.fileName.empty() && (left == "()" || left.empty())) {
        mission.description = mission.fileName.substr(0, mission.fileName.find('.'));
        return mission;
    }
    std::string_view description = left;
    description.remove_prefix(std::min(description.find_first_not_of('('), description.size()));
    description = description.substr(0, description.find_last_not_of(')') + 1);
    mission.description = description;
    return mission;
}

}  // namespace tavrin
