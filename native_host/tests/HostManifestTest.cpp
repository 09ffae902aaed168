// The host manifests the build writes: each names the built host and admits only our extension.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include <nlohmann/json.hpp>

namespace {

nlohmann::json manifest(const std::string& browser)
{
    std::ifstream in(std::string(MANIFEST_DIR) + "/" + browser + "/org.example.remote_bridge.json");
    std::stringstream text;
    text << in.rdbuf();
    return nlohmann::json::parse(text.str(), nullptr, false);
}

TEST(HostManifestTest, EachBrowserAdmitsOnlyOurExtension)
{
    const struct {
        const char* browser;
        const char* key;
        const char* allowed;
    } cases[] = {
        {"chromium", "allowed_origins", "chrome-extension://gjadghbokajfomgojncbigmioeknmmcn/"},
        {"firefox", "allowed_extensions", "remote-bridge@example.org"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.browser);
        const nlohmann::json m = manifest(c.browser);
        ASSERT_TRUE(m.is_object());
        EXPECT_EQ(m["name"], "org.example.remote_bridge");
        EXPECT_EQ(m["type"], "stdio");
        EXPECT_EQ(m["path"], HOST_PROGRAM);
        EXPECT_EQ(access(m["path"].get<std::string>().c_str(), X_OK), 0);
        EXPECT_EQ(m[c.key], nlohmann::json::array({c.allowed}));
        EXPECT_EQ(m.size(), 5u);
    }
}

} // namespace
