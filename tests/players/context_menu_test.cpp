#include "players/context_menu.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin {
namespace {

// A compact picture of a menu: "id:text" for commands ("~" in front when
// greyed), "-" for separators, "title{...}" for submenus.
std::string Render(const MenuLevel& level) {
    std::string out;
    for (const MenuItem& item : level) {
        if (!out.empty()) out += ',';
        switch (item.kind) {
            case MenuItem::Kind::Separator:
                out += '-';
                break;
            case MenuItem::Kind::Command:
                out += (item.enabled ? "" : "~") + std::to_string(item.id) + ':' + item.text;
                break;
            case MenuItem::Kind::Submenu:
                out += item.text + '{' + Render(item.children) + '}';
                break;
        }
    }
    return out;
}

class FixedChoice final : public PopupMenus {
  public:
    explicit FixedChoice(int id) : m_id(id) {}
    int TrackPopup(const CContextMenu& menu) override {
        shown = Render(menu.Items());
        return m_id;
    }
    std::string shown;

  private:
    int m_id;
};

TEST(ContextMenu, BuildFromText) {
    std::string tooDeep;
    for (int i = 0; i <= kMaxMenuDepth; ++i) tooDeep += "d\\";
    struct Case {
        std::string text;
        std::string menu;
        size_t lines;
    } cases[] = {
        {"", "", 0},
        {"A", "", 0},            // no line feed
        {"A\nB", "1:A", 1},      // a last line without a line feed is not used
        {"A\n\nB\n", "1:A", 1},  // an empty line ends the menu
        {"\nA\n", "", 0},
        {"-\nWarn\\-\n", "-,Warn{2:-}", 2},
        {"-\n--\n-x\n", "-,2:--,3:-x", 3},  // only "-" alone is a separator
        {"Warn\\a\nPunt\\b\nWarn\\c\n", "Warn{1:a,3:c},Punt{2:b}", 3},
        // Titles match exactly; deeper paths make deeper submenus.
        {"a\\b\\c\nA\\x\na\\d\n", "a{b{1:c},3:d},A{2:x}", 3},
        {"View \\'Live'\nView \\File0\n-\nRun\n", "View {1:'Live',2:File0},-,4:Run", 4},
        {"x\\\n", "x{1:}", 1},
        // Too deep: refused, yet the line keeps its id.
        {tooDeep + "e\n" + "f\n", "2:f", 2},
    };
    for (const auto& c : cases) {
        CContextMenu menu;
        menu.BuildFromText(c.text);
        EXPECT_EQ(Render(menu.Items()), c.menu) << c.text;
        EXPECT_EQ(menu.SourceLines().size(), c.lines) << c.text;
    }
}

TEST(ContextMenu, RebuildingStartsAfresh) {
    CContextMenu menu;
    menu.BuildFromText("A\\1\nB\n");
    menu.BuildFromText("C\n");
    EXPECT_EQ(Render(menu.Items()), "1:C");
    EXPECT_EQ(menu.SourceLines(), std::vector<std::string>{"C"});
}

TEST(ContextMenu, ChosenIdGivesBackTheWholeLine) {
    CContextMenu menu;
    menu.BuildFromText("Warn\\DO NOT SPAM\n-\nPunt\\KICKED\nNext\nWarn\\sub\\deep\n");
    menu.SetEnabled(4, false);
    struct Case {
        int id;
        std::string line;
    } cases[] = {
        {1, "Warn\\DO NOT SPAM"},
        {3, "Punt\\KICKED"},
        {5, "Warn\\sub\\deep"},
        {0, ""},  // nothing chosen
        {2, ""},  // a separator
        {4, ""},  // greyed
        {6, ""},
        {-1, ""},  // no such line
    };
    for (const auto& c : cases) {
        FixedChoice popup(c.id);
        std::string line = "stale";
        EXPECT_EQ(menu.TrackAndGetChoice(popup, line), c.line.empty() ? 0 : c.id) << c.id;
        EXPECT_EQ(line, c.line) << c.id;
        EXPECT_EQ(popup.shown, "Warn{1:DO NOT SPAM,sub{5:deep}},-,Punt{3:KICKED},~4:Next");
    }
}

TEST(ContextMenu, AddMenuPathAtAPosition) {
    struct Case {
        std::string path;
        int id;
        std::optional<int> position;
        std::string menu;
    } cases[] = {
        {"x", 9, std::nullopt, "1:a,S{2:b},3:c,9:x"},
        {"x", 9, 0, "9:x,1:a,S{2:b},3:c"},
        {"x", 9, 1, "1:a,9:x,S{2:b},3:c"},
        {"x", 9, 99, "1:a,S{2:b},3:c,9:x"},
        {"x", 9, -1, "1:a,S{2:b},9:x,3:c"},
        {"x", 9, -99, "9:x,1:a,S{2:b},3:c"},
        {"x", 0, 1, "1:a,-,S{2:b},3:c"},  // id 0: a separator
        {"T\\y", 9, 0, "T{9:y},1:a,S{2:b},3:c"},
        // An existing submenu takes the entry; the position does not move it.
        {"S\\y", 9, 0, "1:a,S{2:b,9:y},3:c"},
        // A command named like a submenu's head is no submenu.
        {"a\\y", 9, std::nullopt, "1:a,S{2:b},3:c,a{9:y}"},
    };
    for (const auto& c : cases) {
        MenuLevel menu;
        ASSERT_TRUE(AddMenuPath(menu, "a", 1));
        ASSERT_TRUE(AddMenuPath(menu, "S\\b", 2));
        ASSERT_TRUE(AddMenuPath(menu, "c", 3));
        EXPECT_TRUE(AddMenuPath(menu, c.path, c.id, c.position)) << c.path;
        EXPECT_EQ(Render(menu), c.menu) << c.path << " at " << c.position.value_or(1000);
    }
    MenuLevel menu;
    const std::string deepest(kMaxMenuDepth, '\\');
    EXPECT_TRUE(AddMenuPath(menu, deepest + "x", 1));
    EXPECT_FALSE(AddMenuPath(menu, deepest + "\\x", 2));
    EXPECT_EQ(Render(menu),
              std::string(kMaxMenuDepth, '{') + "1:x" + std::string(kMaxMenuDepth, '}'));
}

// The missions tab's menu: 30 lines, slot submenus whose titles keep their
// trailing blank, and play-count entries greyed or enabled per row.
TEST(ContextMenu, MissionMenuWithGreyedEntries) {
    std::string text;
    for (const char* sub : {"View \\", "Save List to \\", "Rename Slot \\"}) {
        if (std::string(sub) == "View \\") text += "View \\'Live' Server Cycle\n";
        for (int i = 0; i < 5; ++i) text += sub + std::string("File") + std::to_string(i) + "\n";
        text += "-\n";
    }
    text +=
        "Upload View to Server\n-\nSet as Next Mission\nRun Next Mission\nRun This Mission\n-\n"
        "Set To Play ONCE\nSet To Play TWICE\n-\nSet as Idle Map\nIdle Settings\n";
    CContextMenu menu;
    menu.BuildFromText(text);
    ASSERT_EQ(menu.SourceLines().size(), 30u);
    EXPECT_TRUE(menu.SetEnabled(26, false));
    EXPECT_FALSE(menu.SetEnabled(7, false));  // a separator has no command
    EXPECT_EQ(Render(menu.Items()),
              "View {1:'Live' Server Cycle,2:File0,3:File1,4:File2,5:File3,6:File4},-,"
              "Save List to {8:File0,9:File1,10:File2,11:File3,12:File4},-,"
              "Rename Slot {14:File0,15:File1,16:File2,17:File3,18:File4},-,"
              "20:Upload View to Server,-,22:Set as Next Mission,23:Run Next Mission,"
              "24:Run This Mission,-,~26:Set To Play ONCE,27:Set To Play TWICE,-,"
              "29:Set as Idle Map,30:Idle Settings");
    EXPECT_EQ(menu.ChosenLine(5), "View \\File3");
    EXPECT_EQ(menu.ChosenLine(22), "Set as Next Mission");
    EXPECT_EQ(menu.ChosenLine(26), "");
    menu.SetEnabled(26, true);
    EXPECT_EQ(menu.ChosenLine(26), "Set To Play ONCE");
}

}  // namespace
}  // namespace tavrin
