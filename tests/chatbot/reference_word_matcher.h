#pragma once

// The banned-word matcher as it was before the one-pass matcher: every search
// text looked for in turn, in list order. Slow for long lists, but plain
// enough to read at a glance, so the tests and the fuzz targets hold the
// one-pass matcher to it.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chatbot/chat_line_tracker.h"
#include "chatbot/chatbot_config.h"
#include "common/text_helpers.h"

namespace tavrin::testing {

class ReferenceWordMatcher {
  public:
    explicit ReferenceWordMatcher(const std::vector<std::string>& wordRecords) {
        m_searchTexts.reserve(wordRecords.size());
        for (const auto& record : wordRecords) {
            std::string word = LowerCase1252(RecordField(record, 2));
            m_searchTexts.push_back(IsWholeWord(record) ? " " + word + " " : word);
        }
    }

    std::optional<ChatCatch> Match(std::string_view line) const {
        auto speaker = SpeakerName(line);
        if (!speaker) return std::nullopt;
        std::string copy(line.substr(speaker->size()));
        std::erase_if(copy, [](char c) {
            return std::string_view("!?#@,'*").find(c) != std::string_view::npos;
        });
        copy += ' ';
        copy = LowerCase1252(copy);
        for (size_t i = 0; i < m_searchTexts.size(); ++i)
            if (copy.find(m_searchTexts[i]) != std::string::npos)
                return ChatCatch{i, std::move(*speaker)};
        return std::nullopt;
    }

  private:
    std::vector<std::string> m_searchTexts;
};

}  // namespace tavrin::testing
