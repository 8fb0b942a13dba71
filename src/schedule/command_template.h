#pragma once

// A rule's command with the game's text put in: "{name}", "{id}",
// "{mission}" and "{punts}" are replaced by their values. The values come
// from the game and may hold any byte, so the result is checked as every
// command built from game text is: one with a control byte, or one longer
// than a command frame holds, is not sent.

#include <string>
#include <string_view>

namespace tavrin {

struct TemplateValues {
    std::string name;
    std::string id;
    std::string mission;
    std::string punts;
};

struct ExpandedCommand {
    bool ok = false;
    std::string command;  // when ok
    std::string refusal;  // when not: why, without the game's text
};

ExpandedCommand ExpandCommand(std::string_view pattern, const TemplateValues& values);

}  // namespace tavrin
