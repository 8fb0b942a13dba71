#include "link/session.h"

#include <algorithm>
#include <variant>

#include "common/value_text.h"
#include "link/frame.h"
#include "link/login_block.h"
#include "link/socket_errors.h"

namespace tavrin {
namespace {

std::string AttemptsText(int attempts) {
    return "AutoRecon(" + IntToText(attempts) + "/" + IntToText(kMaxConnAttempts) + ")";
}

// A verdict's words as a status line can hold them: its first line, without
// control bytes, cut to a length a field shows.
std::string VerdictWords(std::string_view verdict) {
    constexpr size_t kMaxWords = 120;
    verdict = verdict.substr(0, verdict.find_first_of("\r\n"));
    std::string words;
    for (char c : verdict) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 32 && b != 127) words += c;
        if (words.size() == kMaxWords) break;
    }
    return words;
}

}  // namespace

std::string ManagerWithoutGameText(std::string_view manager) {
    return "Logged in to manager " + std::string(manager) +
           " (it is not logged in to the game server)";
}

std::string ViaManagerText(std::string_view manager) {
    return "via manager " + std::string(manager);
}

bool IsWatchedRead(std::string_view command) {
    for (std::string_view read :
         {"player list", "chat get", "mission list", "get gamesettings", "weapon list"})
        if (command == read) return true;
    return false;
}

std::string_view NotSentReason(bool connected, bool gameMode) {
    if (!connected) return kNotSentNotLoggedIn;
    if (!gameMode) return kNotSentMenuMode;
    return {};
}

RatSession::RatSession(SessionHost& host, SessionModels& models, EventSink& log,
                       UserDialogs& dialogs, const Clock& clock)
    : m_host(host),
      m_models(models),
      m_log(log),
      m_dialogs(dialogs),
      m_clock(clock),
      m_router(models.Markers(), kDiagnostics),
      m_dialect(std::make_unique<GameDialect>()) {
    m_fields = {"Not Connected",
                "Server Mode",
                "Rat Command",
                "Rat Response",
                "Admins 0 / 0",
                "Clock",
                m_strVersionTitle,
                "Mode",
                "Name",
                "0 / 0 / 0",
                "Mission",
                "",
                ""};
    m_controls[static_cast<size_t>(Control::LoginButtonsEnabled)] = true;
    m_pollList = {"get gamestate", "player list",  "chat get", "player list",
                  "chat get",      "mission list", "chat get"};
}

void RatSession::SetDialect(std::unique_ptr<LinkDialect> dialect) {
    m_dialect = std::move(dialect);
    if (ViaManager()) {
        // Game state is never relayed: the rotation asks only what comes back.
        m_pollList = {"player list", "chat get",     "player list",
                      "chat get",    "mission list", "chat get"};
    }
    m_pollIndex = 0;
}

void RatSession::SetField(Field f, const std::string& text) {
    auto& current = m_fields[static_cast<size_t>(f)];
    if (current == text) return;
    current = text;
    m_host.FieldChanged(f, text);
}

void RatSession::SetControl(Control c, bool on) {
    auto& current = m_controls[static_cast<size_t>(c)];
    if (current == on) return;
    current = on;
    m_host.ControlChanged(c, on);
}

void RatSession::ResetStatusFields() {
    SetField(Field::Connection, "Not Connected");
    SetField(Field::ServerMode, "Server Mode");
    SetField(Field::RatCommand, "Rat Command");
    SetField(Field::RatResponse, "Rat Reply");
    SetField(Field::Title, m_strVersionTitle);
}

void RatSession::ResetGameStateFields() {
    SetField(Field::TabMode, "Mode");
    SetField(Field::TabServerName, "Name");
    SetField(Field::TabPlayers, "0 / 0 / 0");
    SetField(Field::TabMission, "Mission");
    ResetAdminsField();
}

void RatSession::SetAdminsIdleText(std::string text) {
    m_adminsIdleText = std::move(text);
    SetField(Field::Admins, m_adminsIdleText);
}

void RatSession::ResetAdminsField() {
    // Player counts of a connection that has ended are no counts at all.
    if (!m_adminsIdleText.empty()) SetField(Field::Admins, m_adminsIdleText);
}

void RatSession::AnnounceCanSend() {
    SetControl(Control::CanSend, NotSentReason(m_fRATConnected, m_fGameMode).empty());
}

// ---------------------------------------------------------------------------
// Waiting for the worker without blocking the thread

class RatSession::EventScope {
  public:
    explicit EventScope(RatSession& s) : m_s(s) { ++m_s.m_eventDepth; }
    ~EventScope() {
        if (--m_s.m_eventDepth != 0) return;
        m_s.AnnounceCanSend();
        m_s.ReplayDeferred();
    }
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

  private:
    RatSession& m_s;
};

bool RatSession::Defer(std::function<void()> event) {
    if (!m_waiting && m_holds == 0) return false;
    m_deferred.push_back(std::move(event));
    return true;
}

void RatSession::HoldEvents() {
    ++m_holds;
}

void RatSession::ReleaseEvents() {
    if (m_holds > 0) --m_holds;
    // Inside an event the rest of it runs first; the held events follow it.
    if (m_eventDepth == 0) ReplayDeferred();
}

void RatSession::ReplayDeferred() {
    if (m_replaying) return;
    m_replaying = true;
    while (!m_waiting && m_holds == 0 && !m_deferred.empty()) {
        auto event = std::move(m_deferred.front());
        m_deferred.pop_front();
        event();
    }
    m_replaying = false;
}

void RatSession::Then(std::function<void()> step) {
    if (m_waiting)
        m_after.push_back(std::move(step));
    else
        step();
}

void RatSession::EndLink() {
    m_linkOpen = false;
    m_socketConnected = false;
    m_managerAwaited.reset();
    m_managerQueue.clear();
    m_router.Clear();
    // The end of a connection ends its status request: no time-out can undo
    // a logout or a close later on.
    m_fRequestingStatus = false;
    m_host.StopTimer(TimerId::RequestTimeout);
}

void RatSession::CloseWorkerThen(std::function<void()> then) {
    EndLink();
    if (m_host.HasWorker()) m_host.PostCloseRequest();
    m_waiting = true;
    m_host.WaitForWorkers([this, then = std::move(then)] {
        m_waiting = false;
        then();
        RunAfterSteps();
        AnnounceCanSend();
    });
}

void RatSession::RunAfterSteps() {
    // Steps held back behind the wait run in order. A step that starts
    // another wait queues its own later steps; the rest follow those.
    while (!m_waiting && !m_after.empty()) {
        std::deque<std::function<void()>> pending = std::move(m_after);
        m_after.clear();
        while (!pending.empty()) {
            auto step = std::move(pending.front());
            pending.pop_front();
            step();
            if (m_waiting) {
                for (auto& rest : pending) m_after.push_back(std::move(rest));
                return;
            }
        }
    }
    ReplayDeferred();
}

// ---------------------------------------------------------------------------
// Connecting, login and logout

void RatSession::OnConnectRequest() {
    if (Defer([this] { OnConnectRequest(); })) return;
    EventScope scope(*this);
    m_models.OnConnectStarting();
    m_connecting = m_models.CurrentLoginDetails();
    const LoginDetails& d = m_connecting;
    m_host.StopTimer(TimerId::AutoRecon);
    if (m_fAutoRecon) {
        Log("Auto Login Request: " + d.address + ":" + d.port + " [" + IntToText(m_ConnAttempts) +
            "/" + IntToText(kMaxConnAttempts) + "]");
        SetField(Field::Connection, "Reconnecting to " + d.record);
    } else {
        Log("User Login Request: " + d.address + ":" + d.port);
        // A new Login: the reason the last connection ended has been seen.
        SetField(Field::LastReason, "");
        SetField(Field::Connection, "Connecting to " + d.record);
        // Login disables Login and Change until the attempt ends one way or
        // another; the session says so, so that its later enabling is news.
        SetControl(Control::LoginButtonsEnabled, false);
    }
    m_router.NewConnection();
    m_dialect->Begin(d);
    m_loginRefused = false;
    m_managerWithoutGame = false;
    m_linkOpen = true;
    m_host.StartWorker(d, TextToInt(d.port));
}

void RatSession::OnRatConnected() {
    if (!m_linkOpen) return;
    if (Defer([this] { OnRatConnected(); })) return;
    EventScope scope(*this);
    if (m_fMainWndIsClosing) return;
    m_socketConnected = true;
    SetField(Field::Connection, "Socket Connected");
}

void RatSession::OnRatFrameReceived(const std::string& text) {
    if (!m_linkOpen) return;  // a frame read before its connection was ended
    if (Defer([this, text] { OnRatFrameReceived(text); })) return;
    EventScope scope(*this);
    bool scheduledReply = false;
    if (m_fRATConnected) {
        const RelayedFrame relayed = m_dialect->AfterLogin(text);
        if (ViaManager() && m_managerWithoutGame && !relayed.managerRefusal) {
            // The manager does not say when its game link comes back: a
            // relayed reply shows it.
            m_managerWithoutGame = false;
            SetField(Field::Connection, "Connected");
            Log("The manager is logged in to the game server again");
        }
        // A reply is paired with its command first, even when it is then
        // dropped, so that the next reply still finds its own command.
        const bool acted =
            RouteReply(relayed.text, m_fChatScanning, &scheduledReply, relayed.managerRefusal)
                .acted;
        if (ViaManager()) OnManagerAnswered();
        if (!acted) return;
    } else {
        if (m_fChatScanning) return;
        m_host.StopTimer(TimerId::StatusPoll);
        if (!OnLoginFrame(text)) return;
    }
    if (scheduledReply) return;
    Then([this] {
        if (ControlOn(Control::AutoRefreshTicked)) StartStatusPoll();
    });
}

void RatSession::OnRatFrameIgnored(const std::string& text) {
    if (!m_linkOpen) return;
    if (Defer([this, text] { OnRatFrameIgnored(text); })) return;
    EventScope scope(*this);
    if (!m_fRATConnected) return;
    const RelayedFrame relayed = m_dialect->AfterLogin(text);
    RouteReply(relayed.text, true, nullptr, relayed.managerRefusal);
    // A dropped reply still answers its command: the next one may go.
    if (ViaManager()) OnManagerAnswered();
}

bool RatSession::OnLoginFrame(const std::string& text) {
    const bool first = !m_fEncryptCodeReceived;
    const LoginStep step = m_dialect->OnLoginFrame(text);
    switch (step.outcome) {
        case LoginStep::Outcome::Waiting:
            if (!step.frames.empty()) SetField(Field::RatCommand, "Sending details");
            for (const std::string& frame : step.frames) m_host.SendFrame(frame);
            m_fEncryptCodeReceived = true;
            return false;
        case LoginStep::Outcome::NotSent:
            OnLoginNotSent(step.text, text);
            if (first) m_fEncryptCodeReceived = true;
            return false;
        case LoginStep::Outcome::Broken:
            // A broken exchange is a broken connection: reconnecting may mend it.
            Log("TavrinRat: " + step.text);
            OnRatSocketError(kConnectionAborted, 0);
            return false;
        case LoginStep::Outcome::Refused:
            OnLoginRejected(step.text);
            if (ViaManager()) EndAfterManagerRefusal();
            return true;
        case LoginStep::Outcome::Accepted:
            OnLoginAccepted(step);
            return true;
    }
    return false;
}

void RatSession::OnLoginNotSent(const std::string& why, const std::string& greeting) {
    // Nothing that cannot be placed whole in the login block is sent:
    // the attempt ends here and the server sees the connection close.
    Log("TavrinRat: login not sent: " + why);
    SetField(Field::LastReason, "Login not sent: " + why);
    if (!greeting.empty()) m_dialogs.ShowMessage("Login not sent: " + why);
    EndLink();
    m_host.PostCloseRequest();
}

void RatSession::OnLoginAccepted(const LoginStep& step) {
    SetControl(Control::LoginButtonsEnabled, false);
    SetControl(Control::AutoRefreshTicked, true);
    SetControl(Control::AutoRefreshEnabled, true);
    const bool viaManager = ViaManager();
    m_managerWithoutGame = viaManager && !step.gameLinkUp;
    SetField(Field::Connection, m_managerWithoutGame ? ManagerWithoutGameText(m_connecting.record)
                                                     : std::string("Connected"));
    SetField(Field::ServerMode,
             viaManager ? ViaManagerText(m_connecting.record) : std::string("Updating"));
    if (viaManager) SetField(Field::TabMode, "via manager");
    std::string date, time;
    GetDateTimeTexts(m_clock, date, time);
    SetField(Field::TabConnectionStarted, " " + time + "," + date);
    if (m_fAutoRecon) {
        m_ConnAttempts = 0;
        Log("AutoRecon OK");
        Log(std::string(kSeparatorDashes));
        m_fAutoRecon = false;
    } else {
        Log("Logged In");
    }
    if (m_managerWithoutGame)
        Log("The manager " + m_connecting.record + " is not logged in to the game server");
    m_fRATConnected = true;
    // No game state ever comes through a manager to turn game mode off.
    if (viaManager) m_fGameMode = true;
    m_scheduledAwaiting.clear();
    SetField(Field::LastReason, "");
    if (viaManager) m_host.RemoteRights(step.rights);
    std::vector<PacedCommand> first;
    // A manager relays neither the game state nor the reply to "mission
    // available" (a mission reply no admin waits for).
    const std::vector<const char*> burst =
        viaManager
            ? std::vector<const char*>{"player list", "mission list", "chat get",
                                       "get gamesettings"}
            : std::vector<const char*>{"get gamestate", "mission available", "player list",
                                       "mission list",  "chat get",          "get gamesettings"};
    for (const char* c : burst) first.push_back({c, kCommandPauseMs, PacedCommand::Route::Direct});
    first.back().pauseAfterMs = 0;
    SubmitCommands(std::move(first));
}

void RatSession::EndAfterManagerRefusal() {
    // Retrying a refused login in a loop would only lengthen a lock-out.
    m_loginRefused = true;
    SetField(Field::Connection, "Login Rejected");
    m_host.StopTimer(TimerId::AutoRecon);
    if (m_fAutoRecon) {
        Log("AutoRecon ended: the manager refused the login");
        m_fAutoRecon = false;
        m_ConnAttempts = 0;
        m_nAutoReconCountdown = kAutoReconSeconds;
    }
    SetControl(Control::LoginButtonsEnabled, true);
    m_fEncryptCodeReceived = false;
    if (m_host.HasWorker())
        CloseWorkerThen([] {});
    else
        EndLink();
}

void RatSession::OnLoginRejected(const std::string& verdict) {
    m_fEncryptCodeReceived = false;
    const std::string words = VerdictWords(verdict);
    Log("Login Rejected: " + words);
    SetField(Field::LastReason, "Login Rejected: " + words);
    // The server's own words on a line of their own below the verdict.
    m_dialogs.ShowMessage("Login Rejected\n" + words);
    ResetStatusFields();
}

void RatSession::OnLogoutRequest() {
    if (Defer([this] { OnLogoutRequest(); })) return;
    EventScope scope(*this);
    SetControl(Control::LoginButtonsEnabled, true);
    if (m_fRATConnected) {
        // The reply router logs out of a server that has gone to its menu.
        if (!m_fGameMode) SetField(Field::LastReason, std::string(kMenuModeReason));
        CloseWorkerThen([this] {
            m_fRATConnected = false;
            m_fGameMode = true;
            m_fEncryptCodeReceived = false;
            Log("User Logged out");
            ResetStatusFields();
            ResetAdminsField();
        });
    } else if (m_fAutoRecon) {
        m_host.StopTimer(TimerId::AutoRecon);
        CloseWorkerThen([this] {
            m_ConnAttempts = 0;
            m_fAutoRecon = false;
            ResetStatusFields();
            Log("User cancelled AutoRecon");
        });
    } else if (m_host.HasWorker()) {
        // A connection still being made is ended too, so that it cannot log
        // in after the user chose to log out.
        m_fEncryptCodeReceived = false;
        CloseWorkerThen([this] {
            ResetStatusFields();
            Log("User cancelled Login");
        });
    }
    Then([this] { Log(std::string(kSeparatorDashes)); });
}

void RatSession::SetClosing() {
    m_fMainWndIsClosing = true;
}

// ---------------------------------------------------------------------------
// Losing the connection and reconnecting

void RatSession::OnRatSocketClosed(int code) {
    if (Defer([this, code] { OnRatSocketClosed(code); })) return;
    EventScope scope(*this);
    if (m_fMainWndIsClosing) return;
    if (m_loginRefused) {
        // The close that follows a refused login: nothing is lost, no retry.
        if (m_host.HasWorker()) CloseWorkerThen([] {});
        return;
    }
    m_host.StopTimer(TimerId::StatusPoll);
    if (ViaManager() && m_linkOpen && !m_fRATConnected &&
        (m_fEncryptCodeReceived || m_socketConnected || code == 0)) {
        // A manager closes a connection during the login only to refuse it
        // (an address locked out after failed logins is closed at once).
        Log("Login Attempt Rejected: the manager closed the connection");
        SetField(Field::LastReason, "Login Rejected: " + std::string(kManagerClosedLoginWords));
        m_dialogs.ShowMessage("Login Rejected\n" + std::string(kManagerClosedLoginWords));
        ResetStatusFields();
        EndAfterManagerRefusal();
        return;
    }
    // A manager that closes a logged-in connection is going away (a restart,
    // a shutdown): reconnecting is worth it.
    const bool managerClosed = ViaManager() && m_fRATConnected && code == 0;
    if (m_fEncryptCodeReceived && !m_fRATConnected) {
        SetField(Field::Connection, "Login Rejected");
        Log("Login Attempt Rejected");
        SetField(Field::LastReason, std::string(kClosedAfterLoginReason));
    } else if (m_fRATConnected) {
        SetField(Field::LastReason, code == 505     ? std::string(kRequestTimeoutReason)
                                    : managerClosed ? std::string(kManagerClosedReason)
                                    : code == 0     ? std::string(kServerClosedReason)
                                                    : SocketErrorText(code));
    }
    m_fRATConnected = false;
    m_fEncryptCodeReceived = false;
    EndLink();
    if (m_host.HasWorker()) CloseWorkerThen([] {});
    Then([this, code, managerClosed] {
        if (((code > 0 && code < 10060) || managerClosed) && !m_fAutoRecon) {
            SetControl(Control::LoginButtonsEnabled, false);
            m_fAutoRecon = true;
            const std::string status[] = {
                "Server: " + FieldText(Field::TabServerName) + " ",
                "Mode: " + FieldText(Field::TabMode) + " ",
                "Players: " + FieldText(Field::TabPlayers) + " ",
                "Mission: " + FieldText(Field::TabMission),
            };
            std::string message;
            if (code == 505) {
                SetField(Field::Connection, "Status request timeout");
                SetField(Field::ServerMode, "Internal error W505");
                message = "Tavrinrat: closing socket due to request timeout";
            } else if (managerClosed) {
                SetField(Field::Connection, "Connection Interrupted");
                SetField(Field::ServerMode, std::string(kManagerClosedReason));
                message = "TavrinRat: the manager closed the connection";
            } else {
                SetField(Field::Connection, "Connection Interrupted");
                SetField(Field::ServerMode, SocketErrorText(code));
                message = "TavrinRat: socket closed [" + IntToText(code) +
                          "]: " + std::string(SocketErrorWordsFor(code));
            }
            Log(message);
            Log(std::string(kSeparatorDashes));
            Log("Last Status ");
            for (const auto& s : status) Log(s);
            Log(std::string(kSeparatorDashes));
            Log("AutoRecon timer started");
            SetField(Field::RatCommand, AttemptsText(m_ConnAttempts) + " <Logout> to abort");
            m_host.StartTimer(TimerId::AutoRecon, TimerPeriod(TimerId::AutoRecon));
        }
        if (FieldText(Field::Connection) == "Connected" ||
            FieldText(Field::Connection) == ManagerWithoutGameText(m_connecting.record))
            ResetStatusFields();
        if (!m_fAutoRecon) SetControl(Control::LoginButtonsEnabled, true);
        SetControl(Control::AutoRefreshTicked, false);
        SetControl(Control::AutoRefreshEnabled, false);
        ResetGameStateFields();
    });
}

void RatSession::OnRatSocketError(int code, int origin) {
    if (Defer([this, code, origin] { OnRatSocketError(code, origin); })) return;
    EventScope scope(*this);
    if (m_fMainWndIsClosing) return;
    if (m_loginRefused) {
        if (m_host.HasWorker()) CloseWorkerThen([] {});
        return;
    }
    std::string prefix;
    if (kDiagnostics && origin > 0) prefix = OriginName(origin) + ":";
    SetField(Field::Connection, "Connection Error");
    SetField(Field::ServerMode, SocketErrorText(code));
    SetField(Field::LastReason, SocketErrorText(code));
    SetField(Field::RatCommand, "Rat Command");
    SetField(Field::RatResponse, "Rat Reply");
    m_fRATConnected = false;
    m_fEncryptCodeReceived = false;
    CloseWorkerThen([this, code, prefix] {
        if (code <= 10000 || code >= 10070) return;
        m_fAutoRecon = true;
        if (m_ConnAttempts < kMaxConnAttempts) {
            SetControl(Control::LoginButtonsEnabled, false);
            ++m_ConnAttempts;
            Log(prefix + "TavrinRat: socket error [" + IntToText(code) +
                "]: " + std::string(SocketErrorWordsFor(code)));
            SetField(Field::RatCommand, AttemptsText(m_ConnAttempts) + " or <Logout>");
            m_host.StartTimer(TimerId::AutoRecon, TimerPeriod(TimerId::AutoRecon));
        } else {
            SetControl(Control::LoginButtonsEnabled, true);
            Log("TavrinRat: AutoRecon has failed after " + IntToText(m_ConnAttempts) +
                " attempts:");
            SetField(Field::Connection, "Failed to reconnect");
            SetField(Field::LastReason, "Failed to reconnect: " + SocketErrorText(code));
            m_ConnAttempts = 0;
            m_fAutoRecon = false;
        }
    });
}

void RatSession::OnRatTcpStackFull(int, int origin) {
    if (kDiagnostics) Log("TavrinRat: socket tcp stack full : Reported in " + OriginName(origin));
}

void RatSession::OnRatSendNotCompleted(int, int origin) {
    if (kDiagnostics) Log("TavrinRat: send not completed: Reported in " + OriginName(origin));
}

void RatSession::OnAutoReconTick() {
    --m_nAutoReconCountdown;
    if (m_nAutoReconCountdown < 0) {
        m_nAutoReconCountdown = kAutoReconSeconds;
        m_host.StopTimer(TimerId::AutoRecon);
        SetField(Field::RatCommand, "");
        m_fAutoRecon = true;
        OnConnectRequest();
    } else {
        SetField(Field::RatResponse, "AutoRecon in " + IntToText(m_nAutoReconCountdown) + " s");
    }
}

// ---------------------------------------------------------------------------
// Commands, polling and the clock

void RatSession::SendRatCommand(const std::string& text) {
    if (!m_fGameMode || !m_fRATConnected) {
        if (kDiagnostics)
            Log("Error: SendRatCommand(" + LoggableCommand(text) + ") when not connected");
        return;
    }
    // A name or text from the game with a line break or another control
    // byte in it could end the command early or smuggle in another one.
    if (HasControlBytes(text)) {
        Log("Command not sent (it holds control bytes): " + LoggableCommand(text));
        return;
    }
    std::optional<std::string> frame = m_dialect->EncodeCommand(text);
    if (!frame) {
        Log(CommandTooLongMessage(text));
        return;
    }
    const bool viaManager = ViaManager();
    if (viaManager && (m_managerAwaited || (!m_managerQueue.empty() && !m_releasingQueue))) {
        // Its turn comes when the command awaited has its reply or its time.
        m_managerQueue.push_back(text);
        return;
    }
    // The response field empties until the reply comes; the command field
    // goes straight to the new command.
    SetField(Field::RatResponse, "");
    SetField(Field::RatCommand, text);
    if (viaManager) {
        // A command the manager never answers is not awaited: its reply
        // would never come to take it off the list.
        if (m_dialect->Answers(text)) {
            m_managerAwaited = text;
            m_fRequestingStatus = IsWatchedRead(text);
            m_host.StartTimer(TimerId::RequestTimeout, TimerPeriod(TimerId::RequestTimeout));
            AwaitReply(text);
        }
    } else {
        if (text == "get gamestate") {
            m_fRequestingStatus = true;
            m_host.StartTimer(TimerId::RequestTimeout, TimerPeriod(TimerId::RequestTimeout));
        }
        AwaitReply(text);
    }
    m_host.SendFrame(std::move(*frame));
    m_models.OnCommandSent(text);
}

void RatSession::OnCommandRequest(const std::string& text, const std::string& logPrefix) {
    if (Defer([this, text, logPrefix] { OnCommandRequest(text, logPrefix); })) return;
    EventScope scope(*this);
    const std::string_view notSent = NotSentReason(m_fRATConnected, m_fGameMode);
    if (!notSent.empty()) {
        // Nothing went out: the field and the log say so rather than show
        // the command as if it had been sent.
        const std::string line = std::string(notSent) + LoggableCommand(text);
        SetField(Field::RatCommand, line);
        Log(logPrefix + line);
        return;
    }
    SetField(Field::RatCommand, text);
    SendRatCommand(text);
    Log(logPrefix + LoggableCommand(text));
}

std::string RatSession::NextPollCommand() {
    std::string c = m_pollList[m_pollIndex];
    m_pollIndex = (m_pollIndex + 1) % m_pollList.size();
    return c;
}

void RatSession::OnAutoRefreshToggled(bool ticked) {
    if (Defer([this, ticked] { OnAutoRefreshToggled(ticked); })) return;
    EventScope scope(*this);
    SetControl(Control::AutoRefreshTicked, ticked);
    if (ticked)
        StartStatusPoll();
    else
        m_host.StopTimer(TimerId::StatusPoll);
}

void RatSession::StartStatusPoll() {
    m_router.NewRound();
    m_host.StartTimer(TimerId::StatusPoll, TimerPeriod(TimerId::StatusPoll));
}

void RatSession::OnStatusPollTick() {
    if (!m_fRATConnected) return;
    m_host.StopTimer(TimerId::StatusPoll);
    // The timer fires only after a whole period without a reply: what was
    // sent before it started is overdue, and its late reply, if any, can no
    // longer take the reply to this poll's command.
    m_router.MarkOverdue();
    if (ViaManager()) {
        // One command at a time: a poll while one waits would only queue.
        if (!m_managerAwaited && m_managerQueue.empty() && !PacerBusy())
            SendRatCommand(NextPollCommand());
        SetField(Field::ServerMode, ViaManagerText(m_connecting.record));
        if (ControlOn(Control::AutoRefreshTicked)) StartStatusPoll();
        return;
    }
    // The status request waits a round while a "chat get" is still in time:
    // were that chat lost, the game state would be taken for chat and the
    // request would end a healthy connection. A round later the "chat get"
    // is overdue and can no longer take it.
    if (m_pollList[m_pollIndex] != "get gamestate" || !m_router.AwaitsChatInTime())
        SendRatCommand(NextPollCommand());
    // The Server Mode field alternates between the mission and the mode.
    std::string date, time;
    GetDateTimeTexts(m_clock, date, time);
    const char last = time.back();
    const bool mission = last == '0' || last == '3' || last == '6' || last == '9';
    SetField(Field::ServerMode, FieldText(mission ? Field::TabMission : Field::TabMode));
    if (ControlOn(Control::AutoRefreshTicked)) StartStatusPoll();
}

void RatSession::OnRequestTimeout() {
    m_host.StopTimer(TimerId::RequestTimeout);
    if (ViaManager()) {
        OnManagerReplyTimeout();
        return;
    }
    if (!m_fRequestingStatus) return;
    OnRatSocketClosed(505);
    Then([this] { m_fRequestingStatus = false; });
}

void RatSession::OnManagerReplyTimeout() {
    if (!m_managerAwaited) return;
    // A polled read unanswered while the manager has its game link is a lost
    // link, as a status request is; while it has none, nothing comes back
    // and the poll goes on.
    if (m_fRequestingStatus && !m_managerWithoutGame) {
        OnRatSocketClosed(505);
        Then([this] { m_fRequestingStatus = false; });
        return;
    }
    Log("No reply from the manager to: " + LoggableCommand(*m_managerAwaited));
    m_managerAwaited.reset();
    m_fRequestingStatus = false;
    ReleaseManagerQueue();
}

void RatSession::OnManagerAnswered() {
    if (m_managerAwaited) {
        m_managerAwaited.reset();
        m_fRequestingStatus = false;
        m_host.StopTimer(TimerId::RequestTimeout);
    }
    ReleaseManagerQueue();
}

void RatSession::ReleaseManagerQueue() {
    while (m_fRATConnected && !m_managerAwaited && !m_managerQueue.empty()) {
        std::string next = std::move(m_managerQueue.front());
        m_managerQueue.pop_front();
        // Its turn has come: the commands behind it do not hold it back.
        m_releasingQueue = true;
        SendRatCommand(next);
        m_releasingQueue = false;
    }
}

void RatSession::ShowClock() {
    std::string date, time;
    GetDateTimeTexts(m_clock, date, time);
    SetField(Field::Clock, time);
}

void RatSession::OnClockTick() {
    ShowClock();
    if (m_models.ChatBotRunning() && m_fRATConnected) {
        m_fChatScanning = true;
        const std::vector<std::string> shown = m_models.RunSanctionsPass(*this);
        m_fChatScanning = false;
        // Shown once the pass has handed over its commands, so the first
        // command sent does not overwrite at once what the pass did.
        for (const auto& text : shown) SetField(Field::RatCommand, text);
    }
}

void RatSession::OnTimer(TimerId id) {
    // The Clock field keeps time while a box holds the connection's events;
    // the rest of the tick waits with them.
    if (id == TimerId::Clock && (m_waiting || m_holds > 0)) ShowClock();
    if (Defer([this, id] { OnTimer(id); })) return;
    EventScope scope(*this);
    switch (id) {
        case TimerId::StatusPoll:
            OnStatusPollTick();
            break;
        case TimerId::Clock:
            OnClockTick();
            break;
        case TimerId::AutoRecon:
            OnAutoReconTick();
            break;
        case TimerId::RequestTimeout:
            OnRequestTimeout();
            break;
        case TimerId::Pacer:
            m_host.StopTimer(TimerId::Pacer);
            m_pacerWaiting = false;
            ReleasePaced();
            break;
        case TimerId::Startup:
            break;  // start-up belongs to the application
    }
}

// ---------------------------------------------------------------------------
// The command pacer: one queue for every batch, so order and spacing hold on
// the wire while the thread stays free.

void RatSession::SubmitCommands(std::vector<PacedCommand> batch) {
    for (auto& c : batch) m_paced.push_back({std::move(c), false});
    ReleasePaced();
}

void RatSession::SubmitBulk(std::vector<PacedCommand> batch) {
    m_host.StopTimer(TimerId::StatusPoll);
    Log("Loading settings file");
    if (!Bulk().running) m_bulkDone = m_bulkTotal = 0;
    m_bulkTotal += batch.size();
    for (auto& c : batch) m_paced.push_back({std::move(c), true});
    ReleasePaced();
}

void RatSession::ReleasePaced() {
    while (!m_pacerWaiting && !m_paced.empty()) {
        Paced p = std::move(m_paced.front());
        m_paced.pop_front();
        if (p.bulk != m_ignoring) {
            m_ignoring = p.bulk;
            m_host.SetIgnoreReplies(m_ignoring);
        }
        if (p.bulk) {
            ++m_bulkDone;
            const std::string_view notSent = NotSentReason(m_fRATConnected, m_fGameMode);
            SetField(Field::RatCommand, std::string(notSent) + LoggableCommand(p.command.text));
            if (notSent.empty()) {
                Log(LoggableCommand(p.command.text));
                SendRatCommand(p.command.text);
            }
        } else if (p.command.route == PacedCommand::Route::Direct) {
            SendRatCommand(p.command.text);
        } else if (p.command.route == PacedCommand::Route::Scheduled) {
            if (NotSentReason(m_fRATConnected, m_fGameMode).empty()) {
                // A reply the server never sends must not keep an entry for ever.
                if (m_scheduledAwaiting.size() >= 16) m_scheduledAwaiting.pop_front();
                m_scheduledAwaiting.push_back(p.command.text);
            }
            OnCommandRequest(p.command.text, "Scheduled: ");
        } else {
            OnCommandRequest(p.command.text);
        }
        if (p.command.pauseAfterMs > 0) {
            m_pacerWaiting = true;
            m_host.StartTimer(TimerId::Pacer, p.command.pauseAfterMs);
        }
    }
    if (!m_pacerWaiting && m_paced.empty() && m_ignoring) {
        // The bulk send is over: replies count again and polling resumes.
        m_ignoring = false;
        m_host.SetIgnoreReplies(false);
        if (ControlOn(Control::AutoRefreshTicked)) StartStatusPoll();
    }
}

// ---------------------------------------------------------------------------
// Carrying out what the reply router decided

RouteResult RatSession::RouteReply(const std::string& text, bool drop, bool* scheduledReply,
                                   bool managerRefusal) {
    const RouteOutcome outcome = m_router.Route(text, drop, managerRefusal);
    for (const std::string& line : outcome.pairingLog) Log(line);
    // A reply to one of the scheduler's commands (or to what such a reply set
    // off) leaves the poll's timer running; so do the follow-ups it sends.
    const auto scheduled = outcome.result.command.empty()
                               ? m_scheduledAwaiting.end()
                               : std::find(m_scheduledAwaiting.begin(), m_scheduledAwaiting.end(),
                                           outcome.result.command);
    const bool isScheduled = scheduled != m_scheduledAwaiting.end();
    if (isScheduled) m_scheduledAwaiting.erase(scheduled);
    if (scheduledReply) *scheduledReply = isScheduled;
    if (!outcome.result.acted) return outcome.result;
    if (!isScheduled) m_host.StopTimer(TimerId::StatusPoll);
    m_followUpsSent.clear();
    ApplyRouteEffects(outcome.effects, 0, text);
    if (isScheduled)
        for (std::string& c : m_followUpsSent) m_scheduledAwaiting.push_back(std::move(c));
    m_host.ReplyRouted(outcome.result, text);
    return outcome.result;
}

void RatSession::ApplyRouteEffects(const RouteEffects& effects, size_t from,
                                   const std::string& text) {
    for (size_t i = from; i < effects.size(); ++i) {
        const RouteEffect& effect = effects[i];
        if (const auto* f = std::get_if<SetFieldEffect>(&effect)) {
            SetField(f->field, f->text);
        } else if (const auto* c = std::get_if<FollowUpCommand>(&effect)) {
            SendRatCommand(c->text);
            m_followUpsSent.push_back(c->text);
        } else if (const auto* l = std::get_if<RouteLogLine>(&effect)) {
            Log(l->text);
        } else if (const auto* p = std::get_if<ParseByModel>(&effect)) {
            ParseByItsModel(p->kind, text);
        } else if (const auto* m = std::get_if<SetGameMode>(&effect)) {
            m_fGameMode = m->game;
        } else if (std::holds_alternative<StatusAnswered>(effect)) {
            m_fRequestingStatus = false;
            m_host.StopTimer(TimerId::RequestTimeout);
        } else if (std::holds_alternative<LogOutEffect>(effect)) {
            OnLogoutRequest();
            // The rest waits until the connection's worker has ended.
            Then([this, effects, next = i + 1, text] { ApplyRouteEffects(effects, next, text); });
            return;
        }
    }
}

void RatSession::ParseByItsModel(ReplyKind kind, const std::string& text) {
    switch (kind) {
        case ReplyKind::PlayerList:
            UpdatePlayerCounts(text);
            break;
        case ReplyKind::MissionList:
            if (const std::optional<CurrentMission> m = m_models.ParseMissionReply(text))
                UpdateMissionInfo(*m);
            break;
        case ReplyKind::GameSettings:
            if (const std::string name = m_models.ParseGameSettings(text); !name.empty()) {
                SetField(Field::TabServerName, name);
                SetField(Field::Title, name + " : " + m_connecting.address);
            }
            break;
        case ReplyKind::Weapons:
            m_models.ParseWeaponsList(text);
            break;
        case ReplyKind::Chat:
            m_fChatScanning = true;
            m_models.ProcessChatReply(text);
            m_fChatScanning = false;
            break;
        default:
            break;
    }
}

void RatSession::AwaitReply(const std::string& command) {
    if (const std::optional<std::string> line = m_router.Sent(command, m_ignoring)) Log(*line);
}

void RatSession::UpdateMissionInfo(const CurrentMission& mission) {
    const std::string old = FieldText(Field::TabMission);
    std::string candidate = mission.name;
    if (candidate == "NO MISSION DETAILS" || candidate == kFailed) candidate = mission.file;
    if (candidate.empty()) return;
    SetField(Field::TabMission, candidate);
    if (candidate != old) Log("New mission:" + candidate);
}

void RatSession::LoadCannedPlayerList(const std::string& text) {
    UpdatePlayerCounts(text);
}

void RatSession::LoadCannedMissionReply(const std::string& text) {
    if (const std::optional<CurrentMission> m = m_models.ParseMissionReply(text))
        UpdateMissionInfo(*m);
}

void RatSession::SimulateRequestTimeout() {
    m_fRequestingStatus = true;
    m_host.StartTimer(TimerId::RequestTimeout, TimerPeriod(TimerId::RequestTimeout));
}

void RatSession::UpdatePlayerCounts(const std::string& text) {
    const TeamCounts c = m_models.ParsePlayerList(text);
    const std::string counts =
        IntToText(c.total) + " / " + IntToText(c.team1) + " / " + IntToText(c.team2);
    SetField(Field::TabPlayers, counts);
    if (m_countsInAdminsField) SetField(Field::Admins, counts);
}

}  // namespace tavrin
