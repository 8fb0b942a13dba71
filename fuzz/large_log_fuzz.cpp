// Feeds arbitrary bytes as a stored log: replayed as a chat log (whole, and
// in pieces cut where the first byte says, which must end alike) and read
// back as a large log's pages from its end (which must make up the text a
// whole-file review shows, each page moving back).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chatbot/chat_replay.h"
#include "common/log_pages.h"

namespace {

using namespace tavrin;

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string AsReviewed(std::string_view disk) {
    std::string out;
    for (size_t i = 0; i < disk.size(); ++i)
        if (!(disk[i] == '\r' && i + 1 < disk.size() && disk[i + 1] == '\n'))
            out.push_back(disk[i]);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = data[0] % 17 + 1;
    const std::string_view disk(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::vector<std::string> words = {"1\\bad\\NO BAD\\[1 PPts]\\0\\",
                                            "0\\sp\\NO SPAM\\Monitor Only\\0",
                                            "0\\\\EMPTY\\[4 PPts] - Punt Only\\0\\"};
    ChatLogReplay whole(words, "[10:00:00] ");
    whole.Feed(disk);
    ChatLogReplay pieces(words, "[10:00:00] ");
    for (size_t at = 0; at < disk.size(); at += piece) pieces.Feed(disk.substr(at, piece));
    Check(whole.Rows() == pieces.Rows());
    Check(whole.Catches() == pieces.Catches());
    Check(whole.Words() == pieces.Words());
    Check(whole.Rows().size() <= kMaxChatLines);

    std::string shown;
    for (uint64_t end = disk.size(); end > 0;) {
        LogPage page(PageBegin(end));
        page.Feed(disk.substr(PageBegin(end), end - PageBegin(end)));
        Check(page.LineStart() < end);
        shown.insert(0, page.Text());
        end = page.LineStart();
    }
    Check(shown == AsReviewed(disk));
    return 0;
}
