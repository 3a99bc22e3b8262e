#include "qtsettings/qsettings_store.h"
#include "settings/settings_ops.h"

#include <QCoreApplication>
#include <QSettings>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(QSettingsStore, PersistsUnderVelmoraWithNestedSections) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr) << "tests must run with a temporary XDG_CONFIG_HOME";
    std::filesystem::remove_all(std::filesystem::path(config) / "Velmora");

    QSettingsStore store;
    EXPECT_FALSE(store.Read("Option", "PatFolder"));
    SetPopularColor(store, 1, 255);
    SetPatFolder(store, "/srv/パット");
    store.Write("MainWindow", "Left", "1440");

    QSettingsStore again;
    EXPECT_EQ(GetPopularColor(again, 1), 255);
    EXPECT_EQ(GetPopularColor(again, 2), kWhite);
    EXPECT_EQ(GetPatFolder(again), "/srv/パット/");
    EXPECT_EQ(again.Get("MainWindow", "Left", "1000"), "1440");

    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Velmora", "Velmora");
    EXPECT_EQ(raw.value("Option/PopularColor/1").toString(), QString("255"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(config) / "Velmora"));
}

} // namespace
} // namespace velmora
