// The Schedule editor of the console's window on the offscreen platform:
// opened from the View menu over a file with comments, rows added, moved and
// tested, OK writing the file and the console reading it again, and a row
// that cannot be read refused with the file left alone.

#include "schedule/ui/schedule_editor.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <cstdio>

#include "app/ui/main_window.h"
#include "app/ui/window_app.h"
#include "common/text_file.h"
#include "support/temp_dir.h"
#include "views/list_pages_support.h"

namespace tavrin::testing {
namespace {

constexpr const char* kOldFile =
    "# Our rules, see the wiki\n"
    "EVERY 300 chat send Read the rules\n"
    "# keep this one too\n";

struct ScheduleEditorFixture : ::testing::Test {
    ScheduleEditorFixture() {
        MakeDirectory(dir.File("Configs"));
        WriteTextFile(dir.File("Configs/schedule.cfg"), kOldFile, WriteMode::Replace);
        app = std::make_unique<WindowApp>(dir.Path(), ConsoleOptions{}, OpenServer{});
        app->SetDialogsScripted(true);
        app->Dialogs().RecordAskedTo(&asked);
        QSignalSpy started(&app->Signals(), &ConsoleSignals::started);
        app->Start();
        EXPECT_TRUE(started.wait(5000));
    }
    ~ScheduleEditorFixture() override { app->Dialogs().RecordAskedTo(nullptr); }

    // Opens the editor as a person does, from the View menu.
    ScheduleEditor& Open() {
        QAction* action = app->Window().findChild<QAction*>(QStringLiteral("scheduleAction"));
        EXPECT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QStringLiteral("Schedule\u2026"));
        action->trigger();
        editor = app->Window().findChild<ScheduleEditor*>(QStringLiteral("scheduleEditor"));
        EXPECT_NE(editor, nullptr);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("Schedule"));
        return *editor;
    }
    template <typename T>
    T& Find(const char* name) {
        T* found = editor->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    void Click(const char* button) {
        QTest::mouseClick(&Find<QPushButton>(button), Qt::LeftButton);
    }
    QTableWidget& Table() { return Find<QTableWidget>("scheduleRules"); }
    QComboBox& Kind(int row) { return *qobject_cast<QComboBox*>(Table().cellWidget(row, 0)); }
    std::string FileText() {
        std::string text;
        ReadTextFile(dir.File("Configs/schedule.cfg"), text);
        return text;
    }

    TempDir dir;
    std::vector<std::string> asked;
    std::unique_ptr<WindowApp> app;
    QPointer<ScheduleEditor> editor;
};

TEST_F(ScheduleEditorFixture, AddedRuleIsTestedSavedWithTheCommentsAndRunByTheConsole) {
    Open();
    ASSERT_EQ(Table().rowCount(), 1);
    EXPECT_EQ(Kind(0).count(), 5);
    EXPECT_EQ(Kind(0).currentText(), QStringLiteral("EVERY"));
    EXPECT_EQ(Table().item(0, 1)->text(), QStringLiteral("300 s"));
    EXPECT_EQ(Table().item(0, 2)->text(), QStringLiteral("chat send Read the rules"));

    Click("scheduleAdd");
    ASSERT_EQ(Table().rowCount(), 2);
    Kind(1).setCurrentIndex(Kind(1).findText(QStringLiteral("ON JOIN")));
    // An event rule has no When: empty and not editable.
    EXPECT_EQ(Table().item(1, 1)->text(), QString());
    EXPECT_FALSE(Table().item(1, 1)->flags() & Qt::ItemIsEnabled);
    Table().item(1, 2)->setText(QStringLiteral("chat send Welcome {name} ({id})!"));

    editor->SelectRow(1);
    Click("scheduleTest");
    EXPECT_EQ(Find<QLabel>("scheduleTestResult").text(),
              QStringLiteral("Would send: chat send Welcome Player (7)!"));
    Click("scheduleMoveUp");
    EXPECT_EQ(editor->CurrentRow(), 0);
    EXPECT_EQ(Kind(0).currentText(), QStringLiteral("ON JOIN"));

    Click("scheduleOk");
    EXPECT_TRUE(editor.isNull() || !editor->isVisible());
    EXPECT_EQ(FileText(),
              "# Our rules, see the wiki\n"
              "# keep this one too\n"
              "ON JOIN chat send Welcome {name} ({id})!\n"
              "EVERY 300 chat send Read the rules\n");
    const std::vector<ScheduleRule>& rules = app->GetConsole().Schedule().Rules();
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].kind, ScheduleRule::Kind::OnJoin);
    EXPECT_EQ(rules[0].command, "chat send Welcome {name} ({id})!");
    EXPECT_TRUE(asked.empty());
}

TEST_F(ScheduleEditorFixture, ARowThatCannotBeReadIsRefusedAndTheFileIsLeftAlone) {
    const std::string before = ReadBytes(dir.File("Configs/schedule.cfg"));
    Open();
    Click("scheduleAdd");
    Table().item(1, 1)->setText(QStringLiteral("2"));
    Table().item(1, 2)->setText(QStringLiteral("chat send too fast"));
    Click("scheduleOk");
    const std::string refusal = "Row 2: EVERY wants a number of seconds from 5 to 604800";
    EXPECT_EQ(asked, std::vector<std::string>{refusal});
    EXPECT_EQ(Find<QLabel>("scheduleTestResult").text().toStdString(), refusal);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(ReadBytes(dir.File("Configs/schedule.cfg")), before);
    EXPECT_EQ(app->GetConsole().Schedule().Rules().size(), 1u);
}

// A write that fails is told in words and the dialog stays open with the
// user's rows; the console keeps the rules it runs.
TEST_F(ScheduleEditorFixture, AFailedWriteIsToldAndTheDialogStaysOpen) {
    Open();
    Click("scheduleAdd");
    Table().item(1, 2)->setText(QStringLiteral("chat send kept"));
    // A folder where the file was: the file cannot be replaced.
    const std::string path = dir.File("Configs/schedule.cfg");
    std::remove(path.c_str());
    MakeDirectory(path);
    WriteTextFile(path + "/inside", "x", WriteMode::Replace);
    Click("scheduleOk");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind("The schedule was not saved. Couldn't write: " + path + " (", 0), 0u)
        << asked[0];
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->Rows().size(), 2u);
    EXPECT_EQ(app->GetConsole().Schedule().Rules().size(), 1u);
}

}  // namespace
}  // namespace tavrin::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tavrin::testing::QtEnvironment);
    return RUN_ALL_TESTS();
}
