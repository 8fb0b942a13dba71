#include "app/window_state.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::ReadBytes;
using testing::RecordingLog;
using testing::TempDir;
using testing::WriteBytes;

const WindowState kPlaced{true, 40, -12, 980, 640, false, 3, {}};

TEST(WindowState, TextRoundTrips) {
    const std::string text = WindowStateText(kPlaced);
    EXPECT_EQ(text, "x=40\ny=-12\nwidth=980\nheight=640\nmaximized=0\ntab=3\n");
    EXPECT_EQ(ParseWindowState(text), kPlaced);
    WindowState maximized = kPlaced;
    maximized.maximized = true;
    EXPECT_EQ(ParseWindowState(WindowStateText(maximized)), maximized);
}

TEST(WindowState, TheOpenServersRoundTripInTheirOrder) {
    WindowState open = kPlaced;
    open.servers = {"Beta", "Alpha one", "", "\xE9t\xE9"};
    const std::string text = WindowStateText(open);
    EXPECT_EQ(text.substr(text.find("tab=3\n")),
              "tab=3\nserver=Beta\nserver=Alpha one\nserver=\nserver=\xE9t\xE9\n");
    EXPECT_EQ(ParseWindowState(text), open);
    // A file written before the servers were kept reads as it did.
    EXPECT_EQ(ParseWindowState("x=40\ny=-12\nwidth=980\nheight=640\nmaximized=0\ntab=3\n"),
              kPlaced);
    // A name that would break its line is left out.
    open.servers = {"A\nB", "C"};
    EXPECT_EQ(ParseWindowState(WindowStateText(open)).servers, std::vector<std::string>{"C"});
}

TEST(WindowState, ABadTextGivesTheDefaults) {
    const char* const bad[] = {
        "",                                                        // nothing
        "x=40\ny=1\nwidth=980\nheight=640\nmaximized=0\n",         // a key missing
        "x=40\ny=1\nwidth=980\nheight=640\nmaximized=0\ntab=5\n",  // no sixth page
        "x=40\ny=1\nwidth=99\nheight=640\nmaximized=0\ntab=0\n",   // too narrow
        "x=40\ny=1\nwidth=980\nheight=99999\nmaximized=0\ntab=0\n",
        "x=40\ny=1\nwidth=980\nheight=640\nmaximized=2\ntab=0\n",
        "x=4O\ny=1\nwidth=980\nheight=640\nmaximized=0\ntab=0\n",  // not a number
        "x=40\ny=1\nwidth=980\nheight=640\nmaximized=0\ntab=0\nfont=9\n",
        "x 40\ny=1\nwidth=980\nheight=640\nmaximized=0\ntab=0\n",
        "x=\ny=1\nwidth=980\nheight=640\nmaximized=0\ntab=0\n",
        "x=99999999999\ny=1\nwidth=980\nheight=640\nmaximized=0\ntab=0\n",
    };
    for (const char* text : bad) EXPECT_EQ(ParseWindowState(text), WindowState{}) << text;
    EXPECT_FALSE(WindowState{}.placed);
}

TEST(WindowState, SavedInConfigsAndLoadedBack) {
    TempDir dir;
    RecordingLog log;
    EXPECT_EQ(LoadWindowState(dir.Path()), WindowState{}) << "no file yet";

    // No Configs folder: nothing is written, and the log says so.
    EXPECT_FALSE(SaveWindowState(dir.Path(), kPlaced, log));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Window state not saved: ", 0), 0u) << log.lines[0];

    ::mkdir(dir.File("Configs").c_str(), 0700);
    ASSERT_TRUE(SaveWindowState(dir.Path(), kPlaced, log));
    EXPECT_EQ(ReadBytes(dir.File("Configs/window.cfg")),
              "x=40\r\ny=-12\r\nwidth=980\r\nheight=640\r\nmaximized=0\r\ntab=3\r\n");
    EXPECT_EQ(LoadWindowState(dir.Path()), kPlaced);

    WriteBytes(dir.File("Configs/window.cfg"), "garbage\r\n");
    EXPECT_EQ(LoadWindowState(dir.Path()), WindowState{});
}

}  // namespace
}  // namespace tavrin
