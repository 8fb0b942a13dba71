// servers.cfg as it may lie on disk (hand-edited, damaged), through the
// reader, the Server tab's favourite and a Server Details round trip.

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "common/server_details.h"
#include "common/server_list.h"
#include "support/silent_host.h"

namespace {

using tavrin::testing::Check;

bool Clean(const std::string& field, bool commaAllowed) {
    return field.find('\n') == std::string::npos &&
           (commaAllowed || field.find(',') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavrin;
    std::string text(reinterpret_cast<const char*>(data), size);

    const ServerList list = ParseServerList(text);
    const int count = static_cast<int>(list.records.size());
    Check(list.favourite >= -1 && list.favourite < count);
    std::set<std::string> lines;
    for (const ServerRecord& r : list.records) {
        Check(Clean(r.name, false) && Clean(r.address, false) && Clean(r.port, false) &&
              Clean(r.username, false) && Clean(r.password, true));
        Check(r.name.find(kFavouriteMark) == std::string::npos);
        lines.insert(BuildServerList({r}, -1));
    }
    const ServerRecord shown = FavouriteRecord(text);
    Check(count == 0 ? shown == ServerRecord{}
                     : shown == list.records[list.favourite >= 0 ? list.favourite : 0]);

    // Records that differ are written as different lines and read back as
    // they were, the favourite included.
    const ServerList again = ParseServerList(BuildServerList(list.records, list.favourite));
    if (lines.size() == list.records.size()) {
        Check(again.records == list.records);
        Check(again.favourite == list.favourite);
    }

    tavrin::testing::SilentDialogs dialogs;
    CConDets dialog(text, 0, dialogs);
    Check(dialog.Records() == list.records);
    dialog.EditField(CConDets::Field::Password, size % 2 ? "a,b" : "");
    dialog.EditField(CConDets::Field::Port, "4,0");  // refused
    dialog.DeleteServer();
    dialog.EnterNewName("fuzz");
    dialog.Ok();
    const ServerList saved = ParseServerList(text);
    // Identical records (from "X" and "*FAV*X" lines) merge when read back.
    Check(saved.records.size() <= dialog.Records().size());
    Check(saved.favourite >= 0 &&
          saved.records[saved.favourite] == dialog.Records()[dialog.SelectedIndex()]);
    return 0;
}
