#include "manager/command_classes.h"

namespace tavrin {
namespace {

bool Has(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool Matches(const CommandRight& row, std::string_view text) {
    switch (row.match) {
        case CommandMatch::Whole:
            return text == row.command;
        case CommandMatch::Prefix:
            return text.substr(0, row.command.size()) == row.command;
        case CommandMatch::Keyword:
            return false;
    }
    return false;
}

int ClassOfKeyword(std::string_view keyword) {
    for (const auto& c : kCommandClasses)
        if (c.keyword == keyword) return c.commandClass;
    return kCommandNone;
}

}  // namespace

int ClassifyAdminCommand(std::string_view text) {
    int found = kCommandNone;
    for (const auto& c : kCommandClasses)
        if (Has(text, c.keyword)) found = c.commandClass;
    return found;
}

bool IsSenderOnlyCommand(std::string_view text, int commandClass) {
    if (IsManagerWordClass(commandClass)) return false;
    for (const std::string_view prefix : kSenderOnlyPrefixes)
        if (text.substr(0, prefix.size()) == prefix) return true;
    return false;
}

bool IsForwardedCommand(std::string_view text, int commandClass) {
    return IsForwardedClass(commandClass) || IsSenderOnlyCommand(text, commandClass);
}

RightsNeeded RightsForCommand(std::string_view text, int commandClass) {
    if (IsManagerWordClass(commandClass)) {
        for (const auto& row : kCommandRights)
            if (row.match == CommandMatch::Keyword && ClassOfKeyword(row.command) == commandClass)
                return {row.rights, false};
        return {kFullAccess, true};
    }
    if (!IsForwardedCommand(text, commandClass)) return {};
    for (const auto& row : kCommandRights)
        if (Matches(row, text)) return {row.rights, false};
    return {kFullAccess, true};
}

bool IsSharedRead(std::string_view text) {
    for (const auto& row : kCommandRights)
        if (row.match == CommandMatch::Whole && row.rights == 0 && text == row.command) return true;
    return false;
}

bool RightsAllow(RightsMask held, const RightsNeeded& needed) {
    if (needed.rights == 0) return true;
    if (needed.all) return (held & needed.rights) == needed.rights;
    return (held & needed.rights) != 0;
}

std::string MissingRightText(const RightsNeeded& needed) {
    const std::string what =
        needed.all && needed.rights == kFullAccess ? "Full Access" : RightNames(needed.rights);
    return std::string(kMissingRightPrefix) + what;
}

}  // namespace tavrin
