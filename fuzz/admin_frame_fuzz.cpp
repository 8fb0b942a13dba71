// Arbitrary bytes from a remote admin, cut into arbitrary reads: through the
// admin frame reader alone, and through the manager as one connection.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "manager/admin_frame.h"
#include "manager/command_classes.h"
#include "manager/manager.h"
#include "support/silent_host.h"

namespace {

using tavrin::testing::Check;
using namespace tavrin;

// The frames of the whole stream, read at once.
std::vector<std::string> Frames(std::string_view stream) {
    AdminFrameReader reader;
    std::vector<std::string> texts;
    while (!stream.empty()) {
        auto r = reader.Feed(stream);
        if (r.status == AdminFrameReader::Status::Broken) break;
        stream.remove_prefix(r.used);
        if (r.status == AdminFrameReader::Status::Frame) texts.push_back(std::move(r.text));
    }
    return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the read size, so split and coalesced frames both occur.
    const size_t piece = 1 + data[0] % 64;
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

    AdminFrameReader reader;
    std::vector<std::string> pieced;
    bool broken = false;
    for (size_t at = 0; at < stream.size() && !broken; at += piece) {
        std::string_view chunk = stream.substr(at, piece);
        while (!chunk.empty()) {
            auto r = reader.Feed(chunk);
            if (r.status == AdminFrameReader::Status::Broken) {
                Check(r.announced > kMaxAdminFrame);
                broken = true;
                break;
            }
            Check(r.used <= chunk.size());
            Check(r.used > 0 || r.status == AdminFrameReader::Status::Frame);
            chunk.remove_prefix(r.used);
            if (r.status == AdminFrameReader::Status::Frame) {
                Check(r.text.size() <= kMaxAdminFrame);
                pieced.push_back(std::move(r.text));
            }
        }
    }
    // How the bytes were cut changes nothing.
    const std::vector<std::string> whole = Frames(stream);
    Check(pieced == whole);
    // What the encoder writes reads back as it was.
    for (const auto& t : whole)
        if (!t.empty()) Check(Frames(EncodeAdminFrame(t)) == std::vector<std::string>{t});

    // The same bytes as an admin connection. The account may warn, nothing else.
    CAdmins admins({AdminAccount{"Ann", "ann", "secret", "0100", "Offline", "none", " - "}});
    ManualClock clock;
    struct LoggedInLink final : GameLinkStatus {
        bool RatConnected() const override { return true; }
    } link;
    Manager manager(admins, clock, link);
    manager.OnAdminConnected(1, "10.0.0.1");
    const bool loginOk = whole.size() >= 2 && whole[0] == "ann" && whole[1] == "secret";
    for (size_t at = 0; at < stream.size(); at += piece) {
        AdminEffects effects = manager.OnAdminBytes(1, stream.substr(at, piece));
        clock.Advance(Millis(data[at % size]));
        AdminEffects later = manager.OnAdminTimer(1, AdminTimer::Pace);
        effects.insert(effects.end(), later.begin(), later.end());
        for (const AdminEffect& e : effects) {
            if (const auto* f = std::get_if<ForwardCommand>(&e)) {
                Check(loginOk);
                Check(f->text.size() <= 247);
                Check(std::memchr(f->text.data(), 0, f->text.size()) == nullptr);
                Check(
                    RightsAllow(0x0100, RightsForCommand(f->text, ClassifyAdminCommand(f->text))));
                Check(IsForwardedClass(ClassifyAdminCommand(f->text)));
            } else if (const auto* s = std::get_if<SendAdminFrame>(&e)) {
                Check(Frames(s->bytes).size() == 1);
            }
        }
        if (!manager.Session(1) || manager.Session(1)->Phase() == AdminPhase::Closed) break;
    }
    manager.OnReplyRouted(RouteResult{ReplyKind::Chat, kReplyChat, "chat get", true}, "");
    manager.DisconnectAllAdmins();
    manager.OnAdminDisconnected(1);
    Check(manager.ConnectionCount() == 0);
    Check(admins.AccountCell(0, AdminColumn::Status) != "Online");
    return 0;
}
