// Reads arbitrary bytes as Configs/chatbot.cfg and edits the result in the
// Banned Words dialog; records the dialog rebuilds must read back unchanged.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chatbot/banned_words.h"
#include "chatbot/chatbot_config.h"
#include "common/user_dialogs.h"
#include "support/silent_host.h"

namespace {

using tavrin::testing::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavrin;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ChatBotConfig config = ParseChatBotConfig(text);

    for (const auto& record : config.words) {
        for (int field = 1; field <= 5; ++field) {
            Check(RecordField(record, field).find('\\') == std::string::npos);
        }
        const int points = PuntPoints(record);
        Check(points == kMonitorOnly || (points >= kUnknownPenalty && points <= 4));
        const int count = FoundCount(record) < 0 ? 0 : FoundCount(record) / 2;
        Check(FoundCount(WithFoundCount(record, count)) == count);
        Check(IsWholeWord(WithFoundCount(record, count)) == IsWholeWord(record));
    }

    // A record ending in "[WORDS]" loses its line feed to the header removal
    // when read back; any other setup survives a save and a load.
    const bool endsInHeader =
        std::any_of(config.words.begin(), config.words.end(),
                    [](const std::string& r) { return r.ends_with("[WORDS]"); }) ||
        std::any_of(config.warnings.begin(), config.warnings.end(),
                    [](const std::string& r) { return r.ends_with("[WORDS]"); });
    if (!endsInHeader) Check(ParseChatBotConfig(FormatChatBotConfig(config)) == config);

    tavrin::testing::SilentDialogs dialogs{true};
    CBannedWords dialog(config, dialogs);
    dialog.NewWord();
    dialog.ChooseCellMenuItem(0, CBannedWords::kPuntPtsColumn, static_cast<int>(size % 6));
    dialog.ClickWarningRow(0);
    dialog.DeleteWarningRows();
    Check(!dialog.Warnings().empty());
    const ChatBotConfig edited = dialog.Ok();
    Check(ParseChatBotConfig(FormatChatBotConfig(edited)) == edited);
    return 0;
}
