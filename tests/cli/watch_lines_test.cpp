#include "cli/watch_command.h"
#include "common/json.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

OddsChange Change(OddsFileKind kind, bool recorded) {
    OddsChange change;
    change.file = kind == OddsFileKind::WinPlace ? "Zo-05050211.jra" : "Uo-05050211.jra";
    change.kind = kind;
    change.runners = {2, 5};
    change.pairs = {{2, 5}};
    change.recorded = recorded;
    return change;
}

// A reader must be able to tell a version the history holds from one it
// lost; a held one keeps the line as it always was.
TEST(WatchLines, SayWhetherTheHistoryHoldsTheVersion) {
    const std::string held = ChangeLine(Change(OddsFileKind::WinPlace, true));
    const std::string lost = ChangeLine(Change(OddsFileKind::WinPlace, false));
    EXPECT_EQ(held.find("not recorded"), std::string::npos) << held;
    EXPECT_EQ(lost, held + "  not recorded");

    for (OddsFileKind kind : {OddsFileKind::WinPlace, OddsFileKind::Quinella}) {
        for (bool recorded : {true, false}) {
            const Json json = Json::parse(ChangeJson(Change(kind, recorded)));
            ASSERT_FALSE(json.empty());
            EXPECT_EQ(json.items().begin().key(), "time");
            EXPECT_EQ(std::prev(json.end()).key(), "recorded"); // after every older member
            EXPECT_EQ(json.at("recorded"), recorded);
        }
    }
}

} // namespace
} // namespace velmora::cli
