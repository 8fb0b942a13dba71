#include "schedule/command_template.h"

#include <array>
#include <utility>

#include "link/frame.h"
#include "link/reply_router.h"

namespace tavrin {

ExpandedCommand ExpandCommand(std::string_view pattern, const TemplateValues& values) {
    const std::array<std::pair<std::string_view, const std::string*>, 4> fields = {{
        {"{name}", &values.name},
        {"{id}", &values.id},
        {"{mission}", &values.mission},
        {"{punts}", &values.punts},
    }};
    ExpandedCommand out;
    std::string& text = out.command;
    // One pass over the pattern: a value is put in as it is and never read
    // again for fields, so a player named "{mission}" stays that name.
    size_t at = 0;
    while (at < pattern.size()) {
        bool replaced = false;
        if (pattern[at] == '{') {
            for (const auto& [field, value] : fields) {
                if (pattern.substr(at, field.size()) == field) {
                    text += *value;
                    at += field.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) text += pattern[at++];
        if (text.size() > kMaxCommandText) break;
    }
    if (text.size() > kMaxCommandText) {
        text.clear();
        out.refusal =
            "longer than a command may be (" + std::to_string(kMaxCommandText) + " bytes)";
        return out;
    }
    if (HasControlBytes(text)) {
        text.clear();
        out.refusal = "the game's text holds a control byte";
        return out;
    }
    out.ok = true;
    return out;
}

}  // namespace tavrin
