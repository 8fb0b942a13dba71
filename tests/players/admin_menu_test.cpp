#include "players/admin_menu.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "common/text_file.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "support/unreadable_file.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::RecordingLog;
using testing::ScriptedDialogs;
using testing::TempDir;

const std::string kFormat = std::string(kAdminMenuFormatLine) + "\n";

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Answers the popup with a fixed id and remembers the menu it was shown.
class FixedChoice final : public PopupMenus {
  public:
    explicit FixedChoice(int id) : m_id(id) {}
    int TrackPopup(const CContextMenu& menu) override {
        ++shown;
        items = menu.Items();
        return m_id;
    }
    int shown = 0;
    MenuLevel items;

  private:
    int m_id;
};

TEST(AdminMenuFile, MissingFileGivesTheDefaultAndWritesIt) {
    TempDir dir;
    ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
    RecordingLog log;
    const std::string text = LoadAdminMenu(dir.Path(), log);
    EXPECT_EQ(text, DefaultAdminMenu());
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 38u);
    EXPECT_EQ(lines[0], kAdminMenuFormatLine);
    EXPECT_EQ(lines[10], "Warn\\YOUR NAME IS OFFENSIVE \x96 CHANGE IT!");
    EXPECT_EQ(lines[36], "[ZERO]");
    EXPECT_EQ(lines[37], "Zero\\ZEROED FOR SCORE PADDING");

    // On disk with CR LF, and read back as it was.
    const std::string bytes = ReadBytes(AdminMenuPath(dir.Path()));
    const std::string head = std::string(kAdminMenuFormatLine) + "\r\n[WARN]\r\n";
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes.size(), text.size() + 38);
    EXPECT_EQ(LoadAdminMenu(dir.Path(), log), text);
    EXPECT_TRUE(log.lines.empty());

    // An existing file is used as it is, never replaced by the default.
    ASSERT_TRUE(WriteTextFile(AdminMenuPath(dir.Path()), "x\nMute\\QUIET\n", WriteMode::Replace));
    EXPECT_EQ(LoadAdminMenu(dir.Path(), log), "x\nMute\\QUIET\n");
}

TEST(AdminMenuFile, UnwritableFolderIsLogged) {
    TempDir dir;  // no Configs folder
    RecordingLog log;
    EXPECT_EQ(LoadAdminMenu(dir.Path(), log), DefaultAdminMenu());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("adminmenu.cfg"), std::string::npos);
}

// The file holds the user's own menu: one that is there but cannot be read is
// never replaced by the default.
TEST(AdminMenuFile, UnreadableFileIsLeftAloneAndReported) {
    for (testing::UnreadableKind kind : testing::UnreadableKinds()) {
        TempDir dir;
        ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        const std::string path = AdminMenuPath(dir.Path());
        MakeUnreadable(kind, path);
        RecordingLog log;
        ScriptedDialogs dialogs;
        EXPECT_EQ(LoadAdminMenu(dir.Path(), log, dialogs), DefaultAdminMenu()) << KindName(kind);
        EXPECT_TRUE(LeftAlone(kind, path)) << KindName(kind);
        EXPECT_THAT(dialogs.messages, ElementsAre(HasSubstr("Couldn't read: " + path)))
            << KindName(kind);
        EXPECT_EQ(log.lines, dialogs.messages);
        // With the event log as the only one to tell, it is left alone too.
        log.lines.clear();
        EXPECT_EQ(LoadAdminMenu(dir.Path(), log), DefaultAdminMenu());
        EXPECT_TRUE(LeftAlone(kind, path)) << KindName(kind);
        EXPECT_THAT(log.lines, ElementsAre(HasSubstr("Couldn't read: " + path)));
    }
}

TEST(AdminMenuPopup, DefaultMenuHasSixSubmenusInFileOrder) {
    ScriptedDialogs dialogs;
    std::optional<CContextMenu> menu = BuildAdminMenu(DefaultAdminMenu(), dialogs);
    ASSERT_TRUE(menu);
    std::vector<std::pair<std::string, size_t>> submenus;
    for (const MenuItem& item : menu->Items()) {
        ASSERT_EQ(item.kind, MenuItem::Kind::Submenu);
        submenus.emplace_back(item.text, item.children.size());
    }
    EXPECT_EQ(submenus,
              (std::vector<std::pair<std::string, size_t>>{
                  {"Warn", 12}, {"Punt", 11}, {"Ban", 3}, {"Kill", 2}, {"Swap", 2}, {"Zero", 1}}));
    const MenuItem& teamKill = menu->Items()[1].children[3];
    EXPECT_EQ(teamKill.text, "KICKED FOR TEAM-KILLING");
    EXPECT_EQ(menu->ChosenLine(teamKill.id), "Punt\\KICKED FOR TEAM-KILLING");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(AdminMenuPopup, AGateGreysTheLinesItRefusesWithItsTooltip) {
    ScriptedDialogs dialogs;
    // The gate refuses the punts, as for an account without the right.
    const ControlPermits::LineGate gate = [](std::string_view line) {
        return line.starts_with("Punt\\") ? ControlPermit{false, "Missing right: Punt"}
                                          : ControlPermit{};
    };
    std::optional<CContextMenu> menu = BuildAdminMenu(DefaultAdminMenu(), dialogs, gate);
    ASSERT_TRUE(menu);
    for (const MenuItem& submenu : menu->Items()) {
        const bool punt = submenu.text == "Punt";
        for (const MenuItem& item : submenu.children) {
            EXPECT_EQ(item.enabled, !punt) << item.text;
            EXPECT_EQ(item.tip, punt ? "Missing right: Punt" : "") << item.text;
            // A greyed line is never the choice, whatever the popup gives back.
            EXPECT_EQ(menu->ChosenLine(item.id).empty(), punt) << item.text;
        }
    }
    // Without a gate nothing is greyed.
    std::optional<CContextMenu> open = BuildAdminMenu(DefaultAdminMenu(), dialogs);
    ASSERT_TRUE(open);
    for (const MenuItem& submenu : open->Items())
        for (const MenuItem& item : submenu.children) EXPECT_TRUE(item.enabled) << item.text;
}

TEST(AdminMenuPopup, ShowAdminMenu) {
    struct Case {
        const char* name;
        std::string text;
        int choice;
        std::string line;
        bool shown;
        size_t items;  // top-level entries of the popup
    } cases[] = {
        {"no line feed", "Warn\\A", 1, "", false, 0},
        {"empty file", "", 1, "", false, 0},
        {"only line 1", kFormat, 1, "", true, 0},
        {"line 1 is always skipped", "Warn\\A\nWarn\\B\n", 1, "Warn\\B", true, 1},
        {"headings removed wherever they stand",
         kFormat + "[PUNT]\nWarn\\A\n[WARN]\nPunt\\B\n[ZERO]\n", 2, "Punt\\B", true, 2},
        {"an empty line hides the rest", kFormat + "Warn\\A\n\nPunt\\B\n", 1, "Warn\\A", true, 1},
        {"nothing chosen", kFormat + "Warn\\A\n", 0, "", true, 1},
        {"a line without a backslash cannot be chosen", kFormat + "Mute\nWarn\\A\n", 1, "", true,
         2},
        {"a separator line", kFormat + "-\nWarn\\-\n", 2, "Warn\\-", true, 2},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        FixedChoice popup(c.choice);
        EXPECT_EQ(ShowAdminMenu(c.text, dialogs, popup), c.line) << c.name;
        EXPECT_EQ(popup.shown, c.shown ? 1 : 0) << c.name;
        EXPECT_EQ(popup.items.size(), c.items) << c.name;
        EXPECT_EQ(dialogs.messages,
                  c.shown ? std::vector<std::string>{} : std::vector<std::string>{"!"})
            << c.name;
    }
}

std::vector<AdminMenuRow> MakeRows(
    std::initializer_list<std::pair<const char*, const char*>> rows) {
    std::vector<AdminMenuRow> out;
    for (const auto& [command, text] : rows) out.push_back({command, text, true, false});
    return out;
}

TEST(AdminMenuEditor, LoadsTheLinesThePopupUses) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<AdminMenuRow> rows;
    } cases[] = {
        {"headings dropped", kFormat + "[WARN]\nWarn\\A\n[PUNT]\nPunt\\B\\C\n",
         MakeRows({{"Warn", "A"}, {"Punt", "B\\C"}})},
        {"stops at an empty line", kFormat + "Warn\\A\n\nPunt\\B\n", MakeRows({{"Warn", "A"}})},
        {"a last line needs its line feed", kFormat + "Warn\\A\nPunt\\B",
         MakeRows({{"Warn", "A"}})},
        {"a line without a kind", kFormat + "Mute\nWarn\\A\n",
         MakeRows({{"", "Mute"}, {"Warn", "A"}})},
        {"only line 1", kFormat, {}},
        {"headings nested in headings", kFormat + "[WA[WARN]\nRN]\nWarn\\A\n",
         MakeRows({{"Warn", "A"}})},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        CAdminMenu editor(dialogs);
        editor.LoadRows(c.text);
        EXPECT_EQ(editor.Rows(), c.rows) << c.name;
        EXPECT_EQ(editor.Selected(), -1) << c.name;
        EXPECT_TRUE(dialogs.messages.empty()) << c.name;
    }

    ScriptedDialogs dialogs;
    CAdminMenu editor(dialogs);
    editor.LoadRows("no line feed");
    EXPECT_TRUE(editor.Rows().empty());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"!"});
}

TEST(AdminMenuEditor, DefaultMenuSurvivesAnOkUnchanged) {
    ScriptedDialogs dialogs;
    CAdminMenu editor(dialogs);
    editor.LoadRows(DefaultAdminMenu());
    EXPECT_EQ(editor.Rows().size(), 31u);
    EXPECT_EQ(editor.Ok(), DefaultAdminMenu());
}

TEST(AdminMenuEditor, RowButtons) {
    using Op = std::function<void(CAdminMenu&)>;
    auto click = [](int r) { return Op([r](CAdminMenu& e) { e.ClickRow(r); }); };
    auto right = [](int r) { return Op([r](CAdminMenu& e) { e.RightClickRow(r); }); };
    const Op above = [](CAdminMenu& e) { e.Above(); };
    const Op below = [](CAdminMenu& e) { e.Below(); };
    const Op del = [](CAdminMenu& e) { e.Delete(); };
    // Rows as "Command:Text", comma-separated.
    struct Case {
        const char* name;
        std::vector<Op> ops;
        const char* rows;
        int selected;
        std::vector<int> highlighted;
    } cases[] = {
        {"click", {click(1)}, "Warn:a,Punt:b,Ban:c", 1, {1}},
        {"click another", {click(0), click(2)}, "Warn:a,Punt:b,Ban:c", 2, {2}},
        {"click off the rows", {click(1), click(-1)}, "Warn:a,Punt:b,Ban:c", -1, {}},
        {"right click keeps colours", {click(0), right(2)}, "Warn:a,Punt:b,Ban:c", 2, {0}},
        {"above", {click(1), above}, "Warn:a,Punt:,Punt:b,Ban:c", 1, {}},
        // The old row does not keep the selected colour: only the new row
        // looks selected, as after Above.
        {"below", {click(1), below}, "Warn:a,Punt:b,Ban:,Ban:c", 2, {}},
        {"below the last row", {click(2), below}, "Warn:a,Punt:b,Ban:c,:", 3, {}},
        {"above with no selection", {above}, "Warn:,Warn:a,Punt:b,Ban:c", 0, {}},
        {"below with no selection", {below}, "Warn:,Warn:a,Punt:b,Ban:c", 0, {}},
        {"delete", {click(1), del}, "Warn:a,Ban:c", 1, {1}},
        {"delete the last row twice", {click(2), del, del}, "Warn:a,Punt:b", 2, {}},
        {"above after deleting the last row", {click(2), del, above}, "Warn:a,Punt:b,:", 2, {}},
        {"delete with no selection", {del}, "Warn:a,Punt:b,Ban:c", -1, {}},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        CAdminMenu editor(dialogs);
        editor.LoadRows(kFormat + "Warn\\a\nPunt\\b\nBan\\c\n");
        for (const Op& op : c.ops) op(editor);
        std::string rows;
        std::vector<int> highlighted;
        for (size_t i = 0; i < editor.Rows().size(); ++i) {
            const AdminMenuRow& r = editor.Rows()[i];
            rows += (i ? "," : "") + r.command + ":" + r.text;
            EXPECT_TRUE(r.ticked) << c.name;
            if (editor.RowColour(int(i)) == kAdminSelectedRowColour) highlighted.push_back(int(i));
        }
        EXPECT_EQ(rows, c.rows) << c.name;
        EXPECT_EQ(editor.Selected(), c.selected) << c.name;
        EXPECT_EQ(highlighted, c.highlighted) << c.name;
    }
}

TEST(AdminMenuEditor, OkKeepsCompleteTickedRowsAndPutsInHeadings) {
    struct Row {
        const char* command;
        const char* text;
        bool ticked;
    };
    struct Case {
        const char* name;
        std::vector<Row> rows;
        std::string text;
    } cases[] = {
        {"no rows", {}, kFormat},
        {"one heading per kind, before its first entry",
         {{"Punt", "1", true}, {"Warn", "2", true}, {"Punt", "3", true}},
         kFormat + "[PUNT]\nPunt\\1\n[WARN]\nWarn\\2\nPunt\\3\n"},
        {"unticked and incomplete rows dropped",
         {{"Warn", "A", false}, {"Ban", "", true}, {"", "B", true}, {"Kill", "C", true}},
         kFormat + "[KILL]\nKill\\C\n"},
        {"all six kinds",
         {{"Zero", "z", true},
          {"Swap", "s", true},
          {"Ban", "b", true},
          {"Kill", "k", true},
          {"Punt", "p", true},
          {"Warn", "w", true},
          {"Mute", "m", true}},
         kFormat +
             "[ZERO]\nZero\\z\n[SWAP]\nSwap\\s\n[BAN]\nBan\\b\n[KILL]\nKill\\k\n[PUNT]\nPunt\\p\n"
             "[WARN]\nWarn\\w\nMute\\m\n"},
        {"headings are case-sensitive",
         {{"WARN", "x", true}, {"warn", "y", true}},
         kFormat + "WARN\\x\nwarn\\y\n"},
        // The word in an earlier message takes the heading.
        {"a message holding a kind's word",
         {{"Punt", "KICKED AFTER Warn", true}, {"Warn", "X", true}},
         kFormat + "[PUNT]\nPunt\\KICKED AFTER [WARN]\nWarn\nWarn\\X\n"},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        CAdminMenu editor(dialogs);
        for (const Row& row : c.rows) {
            editor.ClickRow(static_cast<int>(editor.Rows().size()) - 1);
            editor.Below();
            const int at = editor.Selected();
            ASSERT_TRUE(editor.EditCell(at, CAdminMenu::Column::Command, row.command));
            ASSERT_TRUE(editor.EditCell(at, CAdminMenu::Column::Text, row.text));
            editor.SetTicked(at, row.ticked);
        }
        const std::string text = editor.Ok();
        EXPECT_EQ(text, c.text) << c.name;

        // Reading the result back gives the kept rows again, in order.
        CAdminMenu reread(dialogs);
        reread.LoadRows(text);
        std::vector<std::pair<std::string, std::string>> kept, back;
        for (const Row& row : c.rows) {
            if (row.ticked && *row.command && *row.text) kept.emplace_back(row.command, row.text);
        }
        for (const AdminMenuRow& row : reread.Rows()) back.emplace_back(row.command, row.text);
        EXPECT_EQ(back, kept) << c.name;
    }
}

TEST(AdminMenuEditor, EditRefusesLineBreaks) {
    ScriptedDialogs dialogs;
    CAdminMenu editor(dialogs);
    editor.LoadRows(kFormat + "Warn\\a\n");
    EXPECT_FALSE(editor.EditCell(0, CAdminMenu::Column::Text, "two\nlines"));
    EXPECT_FALSE(editor.EditCell(0, CAdminMenu::Column::Command, "Pu\rnt"));
    EXPECT_FALSE(editor.EditCell(1, CAdminMenu::Column::Text, "no such row"));
    EXPECT_TRUE(editor.EditCell(0, CAdminMenu::Column::Text, "b"));
    EXPECT_EQ(editor.Ok(), kFormat + "[WARN]\nWarn\\b\n");
}

// Reading removes a heading wherever it stands, so a message ending in one
// would swallow the next entry; the editor refuses any cell holding one. What
// the editor accepts reads back as it was.
TEST(AdminMenuEditor, EditRefusesHeadingTextsWithAMessage) {
    const struct {
        CAdminMenu::Column column;
        std::string text;
        bool accepted;
    } cases[] = {
        {CAdminMenu::Column::Text, "SEE RULE [PUNT]", false},
        {CAdminMenu::Column::Text, "[WARN] FIRST", false},
        {CAdminMenu::Column::Text, "A[BAN]B", false},
        {CAdminMenu::Column::Text, "[KILL]", false},
        {CAdminMenu::Column::Text, "[SWAP]", false},
        {CAdminMenu::Column::Command, "[ZERO]", false},
        {CAdminMenu::Column::Command, "Punt[PUNT]", false},
        // A backslash ends the kind: only the message may hold one.
        {CAdminMenu::Column::Command, "Warn\\Sub", false},
        {CAdminMenu::Column::Text, "Sub\\MESSAGE", true},
        // Only the six upper-case headings, whole.
        {CAdminMenu::Column::Text, "SEE RULE [Punt]", true},
        {CAdminMenu::Column::Text, "SEE RULE [PUNT", true},
        {CAdminMenu::Column::Text, "[MUTE]", true},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        CAdminMenu editor(dialogs);
        editor.LoadRows(kFormat + "Warn\\a\nPunt\\b\n");
        EXPECT_EQ(editor.EditCell(0, c.column, c.text), c.accepted) << c.text;
        EXPECT_EQ(dialogs.messages.size(), c.accepted ? 0u : 1u) << c.text;
        // What OK writes reads back as the same two entries.
        CAdminMenu reread(dialogs);
        reread.LoadRows(editor.Ok());
        EXPECT_EQ(reread.Rows(), editor.Rows()) << c.text;
        EXPECT_EQ(reread.Rows().size(), 2u) << c.text;
    }
}

TEST(AdminMenuEditor, LineBreaksAreRefusedWithAMessage) {
    ScriptedDialogs dialogs;
    CAdminMenu editor(dialogs);
    editor.LoadRows(kFormat + "Warn\\a\n");
    EXPECT_FALSE(editor.EditCell(0, CAdminMenu::Column::Text, "two\nlines"));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST(AdminMenuFile, ReadsTheLoadedTextUntilAnOkReplacesAndWritesIt) {
    TempDir dir;
    ASSERT_TRUE(MakeDirectory(dir.Path() + "Configs"));
    RecordingLog log;
    std::string loaded;  // the console loads it after the tab was built
    AdminMenuFile menu(loaded, dir.Path(), log);
    EXPECT_EQ(menu.Text(), "");
    loaded = DefaultAdminMenu();
    EXPECT_EQ(menu.Text(), DefaultAdminMenu());

    const std::string edited = kFormat + "[PUNT]\nPunt\\GO\n";
    EXPECT_TRUE(menu.Replace(edited));
    EXPECT_EQ(menu.Text(), edited);
    EXPECT_EQ(ReadBytes(AdminMenuPath(dir.Path())),
              std::string(kAdminMenuFormatLine) + "\r\n[PUNT]\r\nPunt\\GO\r\n");
    EXPECT_EQ(LoadAdminMenu(dir.Path(), log), edited);
    loaded = "later\n";  // no longer read
    EXPECT_EQ(menu.Text(), edited);
    EXPECT_TRUE(log.lines.empty());
}

TEST(AdminMenuFile, AFailedWriteIsLoggedAndTheEditKept) {
    TempDir dir;  // no Configs folder
    RecordingLog log;
    const std::string loaded = DefaultAdminMenu();
    AdminMenuFile menu(loaded, dir.Path(), log);
    EXPECT_FALSE(menu.Replace(kFormat));
    EXPECT_EQ(menu.Text(), kFormat);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("adminmenu.cfg"), std::string::npos);
}

}  // namespace
}  // namespace tavrin
