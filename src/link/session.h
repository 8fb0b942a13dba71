#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/build_flags.h"
#include "common/clock.h"
#include "common/command_sink.h"
#include "common/event_log.h"
#include "common/user_dialogs.h"
#include "link/link_dialect.h"
#include "link/reply_router.h"
#include "link/session_types.h"

namespace tavrin {

inline constexpr int kMaxConnAttempts = 5;
inline constexpr int kAutoReconSeconds = 20;

// Why the last connection ended, as the Last Reason field shows it (socket
// errors read as their words and number).
inline constexpr std::string_view kMenuModeReason = "Server is in Menu Mode";
inline constexpr std::string_view kClosedAfterLoginReason =
    "Login Rejected: the server closed the connection after the login details";
inline constexpr std::string_view kServerClosedReason = "Connection closed by the server";
inline constexpr std::string_view kRequestTimeoutReason = "Status request timed out";
// Through a manager: it closed the connection before the login ended (an
// address locked out after failed logins is closed at once).
inline constexpr std::string_view kManagerClosedLoginWords =
    "the manager closed the connection before the login ended (locked out after failed "
    "logins?)";
inline constexpr std::string_view kManagerClosedReason = "Connection closed by the manager";

// The Connection field while logged in to a manager that is not logged in to
// the game server itself.
std::string ManagerWithoutGameText(std::string_view manager);
// The Server Mode field through a manager.
std::string ViaManagerText(std::string_view manager);
// The reads a poll sends that a manager answers: their reply is watched by
// the request time-out.
bool IsWatchedRead(std::string_view command);

// What a command that cannot go out is shown with, in front of it.
inline constexpr std::string_view kNotSentNotLoggedIn = "Not sent (not logged in): ";
inline constexpr std::string_view kNotSentMenuMode = "Not sent (server in menu mode): ";
// Empty while a command can be sent: logged in to a server in game mode.
std::string_view NotSentReason(bool connected, bool gameMode);

// The effects the session asks of the program around it: timers, the
// connection worker, frames to send, and what the window shows.
class SessionHost {
  public:
    virtual ~SessionHost() = default;
    virtual void StartTimer(TimerId id, int periodMs) = 0;
    virtual void StopTimer(TimerId id) = 0;
    // A new worker connects to address:port and runs; an earlier one is left to end.
    virtual void StartWorker(const LoginDetails& details, int port) = 0;
    virtual bool HasWorker() const = 0;
    virtual void PostCloseRequest() = 0;
    // Calls `then` once every worker has ended or 1000 ms have passed. It
    // never blocks; the session holds back other events until `then` ran.
    virtual void WaitForWorkers(std::function<void()> then) = 0;
    virtual void SendFrame(std::string frame) = 0;
    // While set, complete replies are consumed and dropped by the socket.
    virtual void SetIgnoreReplies(bool ignore) = 0;
    virtual void FieldChanged(Field field, const std::string& text) = 0;
    virtual void ControlChanged(Control control, bool on) = 0;
    // A reply after login was paired and routed: what it was, and its text.
    // The tabs refresh on it; the manager relays by its class.
    virtual void ReplyRouted(const RouteResult& result, const std::string& text) = 0;
    // A login through a manager was accepted: the account's rights (a mask
    // of the manager's rights bits), once per login.
    virtual void RemoteRights(uint32_t /*rights*/) {}
};

// Player counts of one player list: total, team 1, team 2.
struct TeamCounts {
    int total = 0;
    int team1 = 0;
    int team2 = 0;
};

// The current mission a mission list names: its name and its file.
struct CurrentMission {
    std::string name;
    std::string file;
};

// What the session asks of the tabs' models. Each model knows its own
// replies (Markers) and parses them; the session shows what a parse found.
class SessionModels {
  public:
    virtual ~SessionModels() = default;
    virtual LoginDetails CurrentLoginDetails() = 0;
    // A new connection starts: mission lists and catalogue emptied, ChatBot reset.
    virtual void OnConnectStarting() = 0;
    // Each model's reply markers, by the commands they answer.
    virtual ReplyMarkers Markers() const = 0;
    // Parses a mission list; nullopt when the text is none.
    virtual std::optional<CurrentMission> ParseMissionReply(const std::string& text) = 0;
    virtual TeamCounts ParsePlayerList(const std::string& text) = 0;
    // Parses the game settings; returns the server name they hold.
    virtual std::string ParseGameSettings(const std::string& text) = 0;
    virtual void ParseWeaponsList(const std::string& text) = 0;
    virtual void ProcessChatReply(const std::string& text) = 0;
    // Every command frame that goes out to the game server, as sent.
    virtual void OnCommandSent(const std::string& text) = 0;
    virtual bool ChatBotRunning() = 0;
    // The ChatBot's sanctions pass; it hands its commands to the session and
    // returns what the Rat Command field shows of it.
    virtual std::vector<std::string> RunSanctionsPass(CommandSink& sink) = 0;
};

// The session's state, by the names the state dump shows.
struct SessionState {
    bool m_fEncryptCodeReceived = false;
    bool m_fRATConnected = false;
    bool m_fGameMode = true;
    bool m_fAutoRecon = false;
    int m_ConnAttempts = 0;
    int m_nAutoReconCountdown = kAutoReconSeconds;
    bool m_fMainWndIsClosing = false;
    bool m_fRequestingStatus = false;
    bool m_fChatScanning = false;
    std::string m_strVersionTitle = "TavrinRAT 0.95 beta";
};

// The connection to the game server as the main window runs it: connect,
// greeting and login, the logged-in state, commands and polling, reply
// routing, logout, and reconnection after a loss. It decides; the host acts.
class RatSession final : public CommandSink, private SessionState {
  public:
    RatSession(SessionHost& host, SessionModels& models, EventSink& log, UserDialogs& dialogs,
               const Clock& clock);

    // How the session speaks to the other end: a game server (the default)
    // or a manager's Admin Port. Set before the first connection.
    void SetDialect(std::unique_ptr<LinkDialect> dialect);
    bool ViaManager() const { return m_dialect->ViaManager(); }
    // Through a manager that is not logged in to the game server itself.
    bool ManagerWithoutGame() const { return m_managerWithoutGame; }

    // Requests and notifications, each on the main thread.
    void OnConnectRequest();
    void OnLogoutRequest();
    void OnRatConnected();
    void OnRatFrameReceived(const std::string& text);
    // A reply the socket took and dropped (a bulk send): it still answers
    // its command.
    void OnRatFrameIgnored(const std::string& text);
    void OnRatSocketClosed(int code);
    void OnRatSocketError(int code, int origin);
    void OnRatTcpStackFull(int error, int origin);
    void OnRatSendNotCompleted(int error, int origin);
    void OnTimer(TimerId id);
    void OnAutoRefreshToggled(bool ticked);
    // The window is closing: later connection events change nothing.
    void SetClosing();

    // Sending.
    void SendRatCommand(const std::string& text);
    // The ticket of the last command sent (ReplyRouter::LastTicket): a
    // caller that compares it before and after SendRatCommand knows whether
    // its command went out, and which routed reply answers it.
    uint64_t LastCommandTicket() const { return m_router.LastTicket(); }
    // A command from a tab (or, with a `logPrefix`, from elsewhere, which the
    // log line names): shown in the Rat Command field, sent when logged in,
    // and logged either way.
    void OnCommandRequest(const std::string& text, const std::string& logPrefix = {});
    // Commands go out in order, each pause kept after its command.
    void SubmitCommands(std::vector<PacedCommand> batch) override;
    // The settings-file apply: polling pauses, every command is shown and
    // (when logged in) logged and sent, and the socket drops the replies
    // until the last pause has passed.
    void SubmitBulk(std::vector<PacedCommand> batch);
    // How far the bulk send has got: commands released of those submitted
    // since the last bulk ended, and whether it still runs (its replies are
    // dropped until the pause after its last command has passed).
    struct BulkProgress {
        size_t done = 0;
        size_t total = 0;
        bool running = false;
    };
    BulkProgress Bulk() const {
        return {m_bulkDone, m_bulkTotal, m_bulkDone < m_bulkTotal || m_ignoring};
    }
    std::string NextPollCommand();

    // The canned replies of a DebugMode build: a stored player list or
    // mission list handled as the server's reply would be, and a status
    // request left unanswered so that its time-out runs.
    void LoadCannedPlayerList(const std::string& text);
    void LoadCannedMissionReply(const std::string& text);
    void SimulateRequestTimeout();

    // What the window shows.
    const std::string& FieldText(Field f) const { return m_fields[static_cast<size_t>(f)]; }
    bool ControlOn(Control c) const { return m_controls[static_cast<size_t>(c)]; }
    void SetField(Field f, const std::string& text);
    void ResetStatusFields();
    void ResetGameStateFields();
    // What the Admins field shows while no player counts are known; it
    // returns to it when a connection ends. Unset, the field is left alone
    // (the manager role shows its admins there).
    void SetAdminsIdleText(std::string text);

    // The session's state, read-only from outside.
    const SessionState& State() const { return *this; }

    // A question is open: connection events wait, in order, until the last
    // one is answered, so that a box's own event loop never runs one in the
    // middle of another.
    void HoldEvents();
    void ReleaseEvents();

    // Whether a player list's counts also go to the Admins field (the client
    // role); in the manager role that field counts the admins.
    void SetPlayerCountsInAdminsField(bool on) { m_countsInAdminsField = on; }

    const std::vector<std::string>& StatusPollList() const { return m_pollList; }
    bool PacerBusy() const { return m_pacerWaiting || !m_paced.empty(); }
    bool Waiting() const { return m_waiting; }

  private:
    struct Paced {
        PacedCommand command;
        bool bulk = false;
    };

    // Pairs the reply with its command and, unless it is to be dropped,
    // carries out what the router decided it means.
    RouteResult RouteReply(const std::string& text, bool drop = false,
                           bool* scheduledReply = nullptr, bool managerRefusal = false);
    // Carries out `effects` of the reply `text`, from `from` on, in order.
    void ApplyRouteEffects(const RouteEffects& effects, size_t from, const std::string& text);
    void ParseByItsModel(ReplyKind kind, const std::string& text);
    // A command sent: its reply is awaited (the oldest is forgotten past the bound).
    void AwaitReply(const std::string& command);
    // The connection's worker is asked to end: its later events are stale.
    void EndLink();
    void UpdateMissionInfo(const CurrentMission& mission);
    void UpdatePlayerCounts(const std::string& text);
    // A frame before the login ended; true once it settled the login
    // (accepted or refused).
    bool OnLoginFrame(const std::string& text);
    void OnLoginNotSent(const std::string& why, const std::string& greeting);
    void OnLoginAccepted(const LoginStep& step);
    void OnLoginRejected(const std::string& verdict);
    // A manager refused the login: no retry, the worker is closed.
    void EndAfterManagerRefusal();
    // Through a manager: a frame after the login answered the command
    // awaited; the next one queued goes out.
    void OnManagerAnswered();
    void OnManagerReplyTimeout();
    void ReleaseManagerQueue();
    void OnAutoReconTick();
    void OnStatusPollTick();
    // Starts (or restarts) the poll timer: a new poll round for the pairing.
    void StartStatusPoll();
    void OnRequestTimeout();
    void OnClockTick();
    void ShowClock();
    void ReleasePaced();
    void SetControl(Control c, bool on);
    void ResetAdminsField();
    // Control::CanSend follows the flags; announced once an event has run.
    void AnnounceCanSend();
    void Log(const std::string& text) { m_log.LogEvent(text); }

    // Runs `then` after the workers have ended; events that arrive meanwhile
    // wait and are replayed afterwards, in order.
    void CloseWorkerThen(std::function<void()> then);
    // Runs a later step of the current event now, or after the pending wait.
    void Then(std::function<void()> step);
    void RunAfterSteps();
    bool Defer(std::function<void()> event);

    SessionHost& m_host;
    SessionModels& m_models;
    EventSink& m_log;
    UserDialogs& m_dialogs;
    const Clock& m_clock;

    std::array<std::string, static_cast<size_t>(Field::Count)> m_fields;
    std::array<bool, static_cast<size_t>(Control::Count)> m_controls{};
    std::vector<std::string> m_pollList;
    size_t m_pollIndex = 0;
    bool m_countsInAdminsField = true;
    LoginDetails m_connecting;
    std::string m_adminsIdleText;

    std::deque<Paced> m_paced;
    // The scheduler's commands sent and not yet answered, with the follow-ups
    // their replies set off: their replies leave the status poll's timer
    // running, so scheduled messages never hold the poll back.
    std::deque<std::string> m_scheduledAwaiting;
    std::vector<std::string> m_followUpsSent;  // by the reply being routed
    bool m_pacerWaiting = false;
    bool m_ignoring = false;
    size_t m_bulkDone = 0;
    size_t m_bulkTotal = 0;

    // Commands sent and not yet answered, and what their replies mean.
    ReplyRouter m_router;
    std::unique_ptr<LinkDialect> m_dialect;
    // Through a manager: one command at a time, as the manager keeps one
    // awaited reply per admin and a new command replaces it. The command
    // awaited, and those waiting their turn.
    std::optional<std::string> m_managerAwaited;
    std::deque<std::string> m_managerQueue;
    bool m_releasingQueue = false;
    bool m_managerWithoutGame = false;
    // The manager refused the login: the close that follows is no loss.
    bool m_loginRefused = false;
    bool m_socketConnected = false;
    // A worker runs that the session has not asked to end: only its events
    // count. Events of a connection being closed never reach the next one.
    bool m_linkOpen = false;

    // Runs at the start of each event: replays what waited when the
    // outermost event ends.
    class EventScope;
    void ReplayDeferred();

    bool m_waiting = false;
    int m_holds = 0;
    int m_eventDepth = 0;
    bool m_replaying = false;
    std::deque<std::function<void()>> m_after;
    std::deque<std::function<void()>> m_deferred;
};

}  // namespace tavrin
