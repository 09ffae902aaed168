// Application version, bundle information file, preference file path and the cache-clearing
// marker.
#include "AppVersion.h"
#include "BundleInfo.h"
#include "GetSystemInfo.h"
#include "JsHandlerFunctions.h"
#include "PreferenceFile.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace quorvex::lumora::client::renderhelper;

TEST(AppVersion, IsTheBundleVersionOrTheDefaultWhenThereIsNone)
{
    const std::string longVersion(150, '7');
    const struct {
        std::string bundle;
        std::string page;
    } cases[] = {
        {"1.2.3.45", "1.2.3.45"},
        {"", "1.0.0.0"},
        {"2.1", "2.1"},          // not overlaid on the default: would read 2.1.0.0
        {"12", "12"},            // would read 120.0.0
        {"10.20.30.40", "10.20.30.40"},
        {longVersion, longVersion},
        {std::string("3.4\0junk", 8), "3.4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppVersionForPage(c.bundle), c.page) << "bundle version '" << c.bundle << "'";
}

TEST(BundleInfo, ReadsTheVersionLine)
{
    TemporaryDirectory directory;
    EXPECT_EQ(ReadBundleVersion(directory.path()), "") << "no file";

    directory.write(BUNDLE_INFO_FILE_NAME, "name=render-helper\r\nversion=1.2.3.45\r\n");
    EXPECT_EQ(ReadBundleVersion(directory.path()), "1.2.3.45");

    directory.write(BUNDLE_INFO_FILE_NAME, "name=render-helper\n");
    EXPECT_EQ(ReadBundleVersion(directory.path()), "") << "no version key";
}

TEST(BundleInfo, TheBuildInstallsTheProjectVersionBesideThePrograms)
{
    // This test program is built into the same directory as render-helper.
    EXPECT_EQ(GetSystemInfo().GetVersion(), EXPECTED_BUNDLE_VERSION);
    EXPECT_EQ(jshandler::GetAppVersion(), EXPECTED_BUNDLE_VERSION);
}

TEST(PreferenceFilePath, JoinsWithSingleSeparators)
{
    const struct {
        std::string base;
        std::string version;
        std::string path;
    } cases[] = {
        {"/home/ann/.config", "1.2.3.45", "/home/ann/.config/Velorum/1.2.3.45/preferences.log"},
        {"/home/ann/.config/", "2.0.0", "/home/ann/.config/Velorum/2.0.0/preferences.log"},
        {"/home//ann/", "/2.0.0/", "/home/ann/Velorum/2.0.0/preferences.log"},
        {"/cfg", "", "/cfg/Velorum/preferences.log"},
        {"/", "1", "/Velorum/1/preferences.log"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreferenceFilePath(c.base, c.version), c.path) << c.base << " + " << c.version;
}

TEST(PreferenceFilePath, ConfigurationDirectoryFollowsXdgRules)
{
    EXPECT_EQ(UserConfigDirectory(FixedEnvironment({{"XDG_CONFIG_HOME", "/xdg"}, {"HOME", "/home/ann"}})), "/xdg");
    EXPECT_EQ(UserConfigDirectory(FixedEnvironment({{"HOME", "/home/ann/"}})), "/home/ann/.config");
    EXPECT_EQ(UserConfigDirectory(FixedEnvironment({{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/ann"}})),
              "/home/ann/.config");
    EXPECT_EQ(UserConfigDirectory(FixedEnvironment({{"XDG_CONFIG_HOME", "relative"}, {"HOME", "/home/ann"}})),
              "/home/ann/.config")
        << "a relative XDG_CONFIG_HOME is ignored";
}

TEST(ClearCache, AppendsTheMarkerUnlessTheFirstLineHasIt)
{
    const std::string nearEnd = std::string(89, 'a') + "clearCache";   // ends at byte 99: seen
    const std::string pastEnd = std::string(90, 'a') + "clearCache";   // ends at byte 100: not seen
    const struct {
        const char* what;
        std::string before;
        std::string after;
        std::string echoed;
        ClearCacheOutcome outcome;
    } cases[] = {
        {"single line", "a;;b", "a;;b;;clearCache", "a;;b\n", ClearCacheOutcome::MARKER_APPENDED},
        {"line with newline", "a;;b\n", "a;;b\n;;clearCache", "a;;b\n\n", ClearCacheOutcome::MARKER_APPENDED},
        {"empty file", "", ";;clearCache", "\n", ClearCacheOutcome::MARKER_APPENDED},
        {"already marked", "a;;clearCache", "a;;clearCache", "a;;clearCache\n", ClearCacheOutcome::ALREADY_REQUESTED},
        {"bare word counts", "clearCache\nrest", "clearCache\nrest", "clearCache\n\n",
         ClearCacheOutcome::ALREADY_REQUESTED},
        {"word within 99 bytes", nearEnd, nearEnd, nearEnd + "\n", ClearCacheOutcome::ALREADY_REQUESTED},
        {"word past 99 bytes", pastEnd, pastEnd + ";;clearCache", pastEnd.substr(0, 99) + "\n",
         ClearCacheOutcome::MARKER_APPENDED},
        {"word on a later line", "a;;b\n;;clearCache", "a;;b\n;;clearCache;;clearCache", "a;;b\n\n",
         ClearCacheOutcome::MARKER_APPENDED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TemporaryDirectory directory;
        std::string path = directory.write("preferences.log", c.before);
        std::ostringstream echo;

        EXPECT_EQ(MarkClearCacheRequest(path, echo), c.outcome);
        EXPECT_EQ(ReadFile(path), c.after);
        EXPECT_EQ(echo.str(), c.echoed);
    }
}

TEST(ClearCache, SecondRequestLeavesTheFileUnchanged)
{
    TemporaryDirectory directory;
    std::string path = directory.write("preferences.log", "a;;b");
    std::ostringstream echo;

    EXPECT_EQ(MarkClearCacheRequest(path, echo), ClearCacheOutcome::MARKER_APPENDED);
    EXPECT_EQ(MarkClearCacheRequest(path, echo), ClearCacheOutcome::ALREADY_REQUESTED);
    EXPECT_EQ(ReadFile(path), "a;;b;;clearCache");
    EXPECT_EQ(echo.str(), "a;;b\na;;b;;clearCache\n");
}

TEST(ClearCache, MissingFileIsNotCreated)
{
    TemporaryDirectory directory;
    std::string path = directory.path() + "/Velorum/1.0/preferences.log";
    std::ostringstream echo;

    EXPECT_EQ(MarkClearCacheRequest(path, echo), ClearCacheOutcome::FILE_UNAVAILABLE);
    EXPECT_FALSE(std::filesystem::exists(directory.path() + "/Velorum"));
    EXPECT_EQ(echo.str(), "");
    EXPECT_EQ(MarkClearCacheRequest(directory.path(), echo), ClearCacheOutcome::FILE_UNAVAILABLE) << "a directory";
}

TEST(ClearCache, PageFunctionMarksThePreferenceFileOfThisVersion)
{
    TemporaryDirectory directory;
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", directory.path().c_str(), 1), 0);

    jshandler::ClearCache();
    EXPECT_TRUE(std::filesystem::is_empty(directory.path())) << "nothing is created without the file";

    std::string path = directory.write(std::string("Velorum/") + EXPECTED_BUNDLE_VERSION + "/preferences.log", "a;;b");
    EXPECT_EQ(GetSystemInfo().GetPreferenceFilePath(), path);
    jshandler::ClearCache();
    EXPECT_EQ(ReadFile(path), "a;;b;;clearCache");

    unsetenv("XDG_CONFIG_HOME");
}
