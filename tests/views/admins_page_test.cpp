// The Admins tab on the offscreen platform: real widgets found by object name,
// clicked and typed into, over a real CAdmins. The account list's cells and
// colours, in-place editing with the password hidden, the rights boxes, New
// Admin, Del Admin, Save List, and a session's status change that leaves the
// list as the person had it.

#include "manager/ui/admins_page.h"

#include <gmock/gmock.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/text_file.h"
#include "manager/admin_accounts.h"
#include "manager/admin_rights.h"
#include "support/fakes.h"
#include "support/screenshots.h"
#include "support/temp_dir.h"
#include "support/widget_input.h"
#include "views/list_pages_support.h"

namespace tavrin::testing {
namespace {

constexpr int kName = static_cast<int>(AdminColumn::Name);
constexpr int kUser = static_cast<int>(AdminColumn::User);
constexpr int kPass = static_cast<int>(AdminColumn::Pass);
constexpr int kRightsCell = static_cast<int>(AdminColumn::Rights);
constexpr int kStatus = static_cast<int>(AdminColumn::Status);
constexpr int kGuid = static_cast<int>(AdminColumn::Guid);
constexpr int kLastActivity = static_cast<int>(AdminColumn::LastActivity);

AdminAccount Account(std::string name, std::string user, std::string pass, std::string rights,
                     std::string guid = "none") {
    AdminAccount a;
    a.name = std::move(name);
    a.user = std::move(user);
    a.pass = std::move(pass);
    a.rights = std::move(rights);
    a.guid = std::move(guid);
    return a;
}

// WCAG contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b) {
    auto lum = [](const QColor& c) {
        auto ch = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * ch(c.red()) + 0.7152 * ch(c.green()) + 0.0722 * ch(c.blue());
    };
    const double x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The application's palette is the style's light one while a test runs.
struct LightPalette {
    LightPalette() { QApplication::setPalette(QApplication::style()->standardPalette()); }
};

struct AdminsPageTest : ::testing::Test {
    explicit AdminsPageTest(std::vector<AdminAccount> accounts = {}) : admins(std::move(accounts)) {
        EXPECT_TRUE(MakeDirectory(dir.Path() + "Configs"));
        page = std::make_unique<AdminsPage>(admins, dir.Path(), log, dialogs);
        tester = std::make_unique<QAbstractItemModelTester>(
            List().model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        ShowAt(*page, {1000, 600});
    }

    QTableView& List() { return *page->findChild<QTableView*>(QStringLiteral("adminList")); }
    QAbstractItemModel& Model() { return *List().model(); }
    QCheckBox& Box(const QString& name) { return *page->findChild<QCheckBox*>(name); }
    QCheckBox& Right(int bit) { return Box(QStringLiteral("right%1").arg(bit)); }
    QPushButton& Button(const char* name) {
        return *page->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QString SaveState() { return page->findChild<QLabel*>(QStringLiteral("saveState"))->text(); }

    // A click on the box's indicator (the box is wider than its caption).
    void Tick(QCheckBox& box) {
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, box.height() / 2));
    }
    void Press(const char* button) { QTest::mouseClick(&Button(button), Qt::LeftButton); }
    void ClickRowAt(int row, int column = kName) {
        QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, CellPoint(List(), row, column));
    }
    void ClickBelowTheRows() {
        const int last = Model().rowCount() - 1;
        const QRect r = List().visualRect(Model().index(last, 0));
        ASSERT_LT(r.bottom() + 10, List().viewport()->height());
        QTest::mouseClick(List().viewport(), Qt::LeftButton, {},
                          QPoint(r.center().x(), r.bottom() + 10));
    }

    // The in-place editor of a cell, opened by a double click.
    QLineEdit* OpenEditor(int row, int column) {
        DoubleClick(List(), CellPoint(List(), row, column));
        return qobject_cast<QLineEdit*>(List().indexWidget(Model().index(row, column)));
    }
    // Replaces a cell's text through its editor, and Enter.
    void EditCell(int row, int column, const QString& text) {
        QLineEdit* editor = OpenEditor(row, column);
        ASSERT_NE(editor, nullptr) << "no editor on column " << column;
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
        Type(editor, text);
        Commit(editor);
    }
    // Enter in an editor: the view commits once the key has been handled,
    // and a refusal's message follows the commit.
    static void Commit(QLineEdit* editor) {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QColor Background(int row) {
        return Model().index(row, 0).data(Qt::BackgroundRole).value<QColor>();
    }
    bool Plain(int row) { return !Model().index(row, 0).data(Qt::BackgroundRole).isValid(); }
    std::vector<bool> TickedRights() {
        std::vector<bool> out;
        for (int bit = 0; bit < static_cast<int>(kRights.size()); ++bit)
            out.push_back(Right(bit).isChecked());
        return out;
    }
    std::vector<bool> Ticked(RightsMask mask) {
        std::vector<bool> out;
        for (const RightInfo& r : kRights) out.push_back((mask & r.value) != 0);
        return out;
    }

    LightPalette light;
    TempDir dir;
    ScriptedDialogs dialogs;
    RecordingLog log;
    CAdmins admins;
    std::unique_ptr<AdminsPage> page;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

// The page over three saved accounts.
struct ThreeAccounts : AdminsPageTest {
    ThreeAccounts()
        : AdminsPageTest({Account("Ann", "ann", "annpass", "3FFF", "4f2a77"),
                          Account("Bob", "bob", "Bp4", "0108"),
                          Account("Cy", "cy", "a much longer password", "0000")}) {}
};

const QColor kSelected(255, 100, 100);
const QColor kDeselected(150, 200, 150);

TEST_F(AdminsPageTest, NewAdminAddsASelectedRowOfDefaults) {
    EXPECT_FALSE(Button("delAdmin").isEnabled());
    Press("newAdmin");
    ASSERT_EQ(Model().rowCount(), 1);
    const QStringList shown = {Cell(List(), 0, kName),       Cell(List(), 0, kUser),
                               Cell(List(), 0, kRightsCell), Cell(List(), 0, kStatus),
                               Cell(List(), 0, kGuid),       Cell(List(), 0, kLastActivity)};
    EXPECT_EQ(shown, (QStringList{QStringLiteral("NEW NAME"), QStringLiteral("USER"),
                                  QStringLiteral("0000"), QStringLiteral("Offline"),
                                  QStringLiteral("none"), QStringLiteral(" - ")}));
    EXPECT_EQ(admins.SelectedRow(), 0);
    EXPECT_EQ(Background(0), kSelected);
    EXPECT_EQ(List().currentIndex().row(), 0);
    EXPECT_TRUE(Button("delAdmin").isEnabled());
    EXPECT_EQ(TickedRights(), Ticked(0));
    EXPECT_FALSE(Box(QStringLiteral("selectAll")).isChecked());
    EXPECT_EQ(SaveState(), QStringLiteral("Unsaved changes"));

    // A second one takes the selection; the first keeps the colour of a row
    // that was selected before.
    Press("newAdmin");
    ASSERT_EQ(Model().rowCount(), 2);
    EXPECT_EQ(Background(1), kSelected);
    EXPECT_EQ(Background(0), kDeselected);
    EXPECT_EQ(List().currentIndex().row(), 1);
    EXPECT_EQ(List().selectionModel()->selectedRows().size(), 1);
}

TEST_F(AdminsPageTest, EditsNameUserPasswordAndGuidInPlace) {
    Press("newAdmin");
    struct Case {
        int column;
        QString typed;
        std::string stored;  // Windows-1252 bytes
        QLineEdit::EchoMode echo;
    };
    const std::vector<Case> cases = {
        {kName, QStringLiteral("Zo\u00EB Admin"), "Zo\xEB Admin", QLineEdit::Normal},
        {kUser, QStringLiteral("zoe"), "zoe", QLineEdit::Normal},
        {kPass, QStringLiteral("s3cr\u20ACt"), "s3cr\x80t", QLineEdit::Password},
        {kGuid, QStringLiteral("77ab01"), "77ab01", QLineEdit::Normal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "column " << c.column);
        QLineEdit* editor = OpenEditor(0, c.column);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->echoMode(), c.echo);
        // The editor starts from the cell's text.
        EXPECT_EQ(editor->text().toStdString(),
                  QString::fromLatin1(admins.AccountCell(0, static_cast<AdminColumn>(c.column)))
                      .toStdString());
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        Type(editor, c.typed);
        Commit(editor);
        EXPECT_EQ(admins.AccountCell(0, static_cast<AdminColumn>(c.column)), c.stored);
        if (c.column != kPass) {
            EXPECT_EQ(Cell(List(), 0, c.column), c.typed);
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
    // An emptied guid is "none".
    EditCell(0, kGuid, QString());
    EXPECT_EQ(Cell(List(), 0, kGuid), QStringLiteral("none"));

    // Rights, status and last activity open no editor.
    for (int column : {kRightsCell, kStatus, kLastActivity}) {
        EXPECT_EQ(OpenEditor(0, column), nullptr) << "column " << column;
        QTest::keyClick(&List(), Qt::Key_Escape);
    }
}

TEST_F(AdminsPageTest, ARefusedTextLeavesTheCellAndSaysWhy) {
    Press("newAdmin");
    struct Case {
        const char* what;
        int column;
        QString typed;
    };
    const std::vector<Case> cases = {
        {"not Windows-1252", kUser, QStringLiteral("\u540D\u524D")},
        {"not Windows-1252, a password", kPass, QStringLiteral("zq\u0161\u540Dzq")},
        {"too long", kName,
         QString(static_cast<qsizetype>(kMaxAdminCellText) + 1, QLatin1Char('x'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.messages.clear();
        const AdminAccount before = admins.Rows()[0];
        EditCell(0, c.column, c.typed);
        EXPECT_EQ(admins.Rows()[0], before);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_THAT(dialogs.messages[0], ::testing::HasSubstr("not changed"));
        // A refused password is not quoted back.
        EXPECT_EQ(dialogs.messages[0].find("zq"), std::string::npos);
    }
}

TEST_F(ThreeAccounts, PasswordsAreNeverShown) {
    for (int row = 0; row < 3; ++row) {
        const QString pass = QString::fromLatin1(admins.Rows()[row].pass);
        for (int role : {int(Qt::DisplayRole), int(Qt::ToolTipRole), int(Qt::AccessibleTextRole)}) {
            const QString shown = Model().index(row, kPass).data(role).toString();
            EXPECT_FALSE(shown.contains(pass)) << "row " << row << " role " << role;
        }
        EXPECT_FALSE(Cell(List(), row, kPass).isEmpty());
    }
    // The dots do not tell a password's length.
    EXPECT_EQ(Cell(List(), 1, kPass), Cell(List(), 2, kPass));
    // Nor does the open editor show it.
    QLineEdit* editor = OpenEditor(0, kPass);
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->displayText().contains(QStringLiteral("annpass")));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(admins.Rows()[0].pass, "annpass");
}

TEST_F(AdminsPageTest, RightsBoxesFollowClicksAndWriteTheSelectedRow) {
    Press("newAdmin");
    // Warn, Punt, Swap.
    for (int bit : {8, 9, 10}) Tick(Right(bit));
    EXPECT_EQ(Cell(List(), 0, kRightsCell), QStringLiteral("0700"));
    EXPECT_EQ(TickedRights(), Ticked(kRightWarn | kRightPunt | kRightSwap));
    EXPECT_FALSE(Box(QStringLiteral("groupPlayerAdmin")).isChecked());

    // The group ticks the rest of its rights.
    Tick(Box(QStringLiteral("groupPlayerAdmin")));
    EXPECT_EQ(Cell(List(), 0, kRightsCell), QStringLiteral("3F00"));
    EXPECT_EQ(TickedRights(), Ticked(0x3F00));
    EXPECT_TRUE(Box(QStringLiteral("groupPlayerAdmin")).isChecked());
    EXPECT_FALSE(Box(QStringLiteral("selectAll")).isChecked());

    // Select All, then Messages off: Select All and its group go off.
    Tick(Box(QStringLiteral("selectAll")));
    EXPECT_EQ(Cell(List(), 0, kRightsCell), QStringLiteral("3FFF"));
    for (const char* group : {"groupServerManager", "groupGameServer", "groupPlayerAdmin"})
        EXPECT_TRUE(Box(QString::fromLatin1(group)).isChecked()) << group;
    Tick(Right(3));
    EXPECT_EQ(Cell(List(), 0, kRightsCell), QStringLiteral("3FF7"));
    EXPECT_EQ(admins.Rows()[0].rights, "3FF7");
    EXPECT_FALSE(Box(QStringLiteral("selectAll")).isChecked());
    EXPECT_FALSE(Box(QStringLiteral("groupServerManager")).isChecked());
    EXPECT_TRUE(Box(QStringLiteral("groupGameServer")).isChecked());
    EXPECT_EQ(TickedRights(), Ticked(kFullAccess & ~kRightMessages));
}

TEST_F(ThreeAccounts, ClicksOnRowsShowTheirRightsAndAClickBelowSelectsNone) {
    EXPECT_TRUE(Plain(0) && Plain(1) && Plain(2));
    ClickRowAt(1);
    EXPECT_EQ(admins.SelectedRow(), 1);
    EXPECT_EQ(Background(1), kSelected);
    EXPECT_EQ(TickedRights(), Ticked(kRightMessages | kRightWarn));

    ClickRowAt(0, kStatus);
    EXPECT_EQ(Background(0), kSelected);
    EXPECT_EQ(Background(1), kDeselected);
    EXPECT_TRUE(Plain(2));
    EXPECT_TRUE(Box(QStringLiteral("selectAll")).isChecked());
    EXPECT_EQ(TickedRights(), Ticked(kFullAccess));

    // The keyboard moves the selection as a click does.
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(admins.SelectedRow(), 1);
    EXPECT_EQ(Background(1), kSelected);
    EXPECT_EQ(TickedRights(), Ticked(kRightMessages | kRightWarn));

    ClickBelowTheRows();
    EXPECT_EQ(admins.SelectedRow(), -1);
    for (int row = 0; row < 3; ++row) EXPECT_NE(Background(row), kSelected) << row;
    EXPECT_TRUE(List().selectionModel()->selectedRows().isEmpty());
    EXPECT_FALSE(Button("delAdmin").isEnabled());
    // The boxes stay as they were, and a click on one changes no account.
    EXPECT_EQ(TickedRights(), Ticked(kRightMessages | kRightWarn));
    Tick(Right(0));
    EXPECT_EQ(
        Column(List(), kRightsCell),
        (QStringList{QStringLiteral("3FFF"), QStringLiteral("0108"), QStringLiteral("0000")}));

    // The screenshot tour's way in is the same as a click.
    page->SelectRow(2);
    EXPECT_EQ(admins.SelectedRow(), 2);
    EXPECT_EQ(List().currentIndex().row(), 2);
    EXPECT_EQ(TickedRights(), Ticked(0));
}

TEST_F(ThreeAccounts, SaveListWritesRadminsCfg) {
    ClickRowAt(2);
    Tick(Box(QStringLiteral("groupGameServer")));
    EditCell(2, kName, QStringLiteral("Cy \u00C5"));
    EXPECT_EQ(SaveState(), QStringLiteral("Unsaved changes"));
    Press("saveList");
    EXPECT_EQ(ReadBytes(dir.File("Configs/radmins.cfg")),
              "Name=Ann\r\nUser=ann\r\nPass=annpass\r\nRights=3FFF\r\nGuid=4f2a77\r\n"
              "Name=Bob\r\nUser=bob\r\nPass=Bp4\r\nRights=0108\r\nGuid=none\r\n"
              "Name=Cy \xC5\r\nUser=cy\r\nPass=a much longer password\r\nRights=00F0\r\n"
              "Guid=none\r\n[END]");
    EXPECT_EQ(SaveState(), QStringLiteral("Saved"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ThreeAccounts, ASaveThatFailsIsTold) {
    TempDir noConfigs;
    AdminsPage elsewhere(admins, noConfigs.Path(), log, dialogs);
    QTest::mouseClick(elsewhere.findChild<QPushButton*>(QStringLiteral("saveList")),
                      Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_THAT(dialogs.messages[0], ::testing::HasSubstr(log.lines[0]));
    EXPECT_FALSE(std::filesystem::exists(noConfigs.File("Configs/radmins.cfg")));
    EXPECT_EQ(elsewhere.findChild<QLabel*>(QStringLiteral("saveState"))->text(),
              QStringLiteral("Not saved"));
}

TEST_F(ThreeAccounts, DelAdminSelectsTheRowThatTakesItsPlace) {
    ClickRowAt(1);
    Press("delAdmin");
    EXPECT_EQ(Column(List(), kName), (QStringList{QStringLiteral("Ann"), QStringLiteral("Cy")}));
    EXPECT_EQ(admins.SelectedRow(), 1);
    EXPECT_EQ(Background(1), kSelected);
    EXPECT_EQ(List().currentIndex().row(), 1);
    EXPECT_EQ(TickedRights(), Ticked(0));

    // The last row gone, the new last one is selected with its rights.
    Press("delAdmin");
    EXPECT_EQ(Column(List(), kName), QStringList{QStringLiteral("Ann")});
    EXPECT_EQ(Background(0), kSelected);
    EXPECT_TRUE(Box(QStringLiteral("selectAll")).isChecked());

    Press("delAdmin");
    EXPECT_EQ(Model().rowCount(), 0);
    EXPECT_FALSE(Button("delAdmin").isEnabled());
}

TEST_F(ThreeAccounts, ASessionsChangeRedrawsItsRowAndKeepsTheList) {
    ClickRowAt(0, kUser);
    // An edit under way on the selected row.
    QLineEdit* editor = OpenEditor(2, kName);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End);
    Type(editor, QStringLiteral("!"));
    const QModelIndex current = List().currentIndex();

    QSignalSpy resets(&Model(), &QAbstractItemModel::modelReset);
    QSignalSpy layouts(&Model(), &QAbstractItemModel::layoutChanged);
    QSignalSpy changes(&Model(), &QAbstractItemModel::dataChanged);
    admins.SetOnline(1, true);
    admins.SetLastActivity(1, "12:04:55");
    page->AccountRowChanged(1);

    EXPECT_EQ(Cell(List(), 1, kStatus), QStringLiteral("Online"));
    EXPECT_EQ(Cell(List(), 1, kLastActivity), QStringLiteral("12:04:55"));
    // Only that row was announced.
    ASSERT_FALSE(changes.isEmpty());
    for (const QList<QVariant>& change : changes) {
        EXPECT_EQ(change[0].toModelIndex().row(), 1);
        EXPECT_EQ(change[1].toModelIndex().row(), 1);
    }
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(layouts.count(), 0);
    EXPECT_EQ(List().currentIndex(), current);
    EXPECT_EQ(List().selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(List().selectionModel()->selectedRows().value(0).row(), 2);
    EXPECT_EQ(admins.SelectedRow(), 2);
    // The edit goes on and ends as usual.
    ASSERT_EQ(List().indexWidget(Model().index(2, kName)), editor);
    Commit(editor);
    EXPECT_EQ(admins.Rows()[2].name, "Cy!");

    // Logged in shows a marker; logged out none.
    const auto marker = [&](int row) {
        return Model().index(row, kStatus).data(Qt::DecorationRole).value<QPixmap>().toImage();
    };
    EXPECT_NE(marker(1), marker(0));
    admins.SetOnline(1, false);
    page->AccountRowChanged(1);
    EXPECT_EQ(Cell(List(), 1, kStatus), QStringLiteral(" - "));
    EXPECT_EQ(marker(1), marker(0));
}

TEST_F(ThreeAccounts, RowTextStaysReadableInLightAndDarkPalettes) {
    ClickRowAt(0);
    ClickRowAt(1);
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        QApplication::setPalette(dark ? DarkPalette() : QApplication::style()->standardPalette());
        QCoreApplication::processEvents();
        for (int row : {0, 1}) {
            const QModelIndex at = Model().index(row, kName);
            const QColor ground = at.data(Qt::BackgroundRole).value<QColor>();
            const QColor text = at.data(Qt::ForegroundRole).value<QColor>();
            EXPECT_GE(Contrast(text, ground), 4.5) << "row " << row;
        }
        // Plain rows keep the palette's own colours.
        EXPECT_FALSE(Model().index(2, kName).data(Qt::BackgroundRole).isValid());
        EXPECT_FALSE(Model().index(2, kName).data(Qt::ForegroundRole).isValid());
        // Selected and once-selected rows still look different.
        EXPECT_NE(Background(0), Background(1));
    }
}

// A picture of the page in both palettes for a person to look at: with
// TAVRIN_SCREENSHOT_DIR set, DIR/admins_page_light.png and _dark.png.
TEST(AdminsPagePictures, SavedWhenAsked) {
    if (!ScreenshotsWanted()) GTEST_SKIP() << kScreenshotDirVariable << " is not set";
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? DarkPalette() : QApplication::style()->standardPalette());
        TempDir programDir;
        ScriptedDialogs dialogs;
        RecordingLog log;
        CAdmins admins({Account("Ann Head Admin", "ann", "annpass", "3FFF", "4f2a77c0d1"),
                        Account("Bob", "bob", "Bp4", "0108"),
                        Account("Cy \xC5ngstr\xF6m", "cy", "longer password", "0700")});
        admins.SetOnline(0, true);
        admins.SetLastActivity(0, "12:04:55  ban 7");
        AdminsPage page(admins, programDir.Path(), log, dialogs);
        ShowAt(page, {1000, 600});
        page.SelectRow(0);
        page.SelectRow(2);
        QCoreApplication::processEvents();
        const QString name =
            dark ? QStringLiteral("admins_page_dark") : QStringLiteral("admins_page_light");
        EXPECT_TRUE(SavePicture(page.grab(), name)) << name.toStdString();
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
}

}  // namespace
}  // namespace tavrin::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tavrin::testing::QtEnvironment);
    return RUN_ALL_TESTS();
}
