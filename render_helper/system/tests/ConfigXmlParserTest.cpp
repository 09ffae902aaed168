// The service configuration reader against documents served on the loopback interface.
#include "ConfigXmlParser.h"
#include "LocalHttpServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

using namespace quorvex::lumora::client::renderhelper;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace {

std::vector<std::string> LinesFromReading(const std::string& url)
{
    std::vector<std::string> lines;
    ConfigXmlParser parser(url, [&lines](const std::string& line) { lines.push_back(line); });
    return lines;
}

std::string Found(const std::string& name, const std::string& value)
{
    return "Found an element named: " + name + " with a value of: " + value;
}

} // namespace

TEST(ConfigXmlParser, LogsEachElementWithTheTextSinceTheLastStart)
{
    const std::string bigText(200000, 'x'); // arrives in many pieces
    LocalHttpServer server({
        {"/one.xml", "<?xml version=\"1.0\"?><config>v</config>"},
        {"/nested.xml", "<a>x<b>y</b>z</a>"},
        {"/spaced.xml", "<a>\n  <b>y</b>\n</a>"},
        {"/empty.xml", "<a><b></b><c/></a>"},
        {"/entities.xml", "<a>&lt;&amp;<![CDATA[%s<b>]]>&gt;</a>"},
        {"/big.xml", "<a>" + bigText + "</a>"},
    });
    const struct {
        const char* path;
        std::vector<std::string> lines;
    } cases[] = {
        {"/one.xml", {"Started Element config", Found("config", "v")}},
        {"/nested.xml", {"Started Element a", "Started Element b", Found("b", "y"), Found("a", "yz")}},
        {"/spaced.xml", {"Started Element a", "Started Element b", Found("b", "y"), Found("a", "y\n")}},
        {"/empty.xml",
         {"Started Element a", "Started Element b", Found("b", ""), "Started Element c", Found("c", ""),
          Found("a", "")}},
        {"/entities.xml", {"Started Element a", Found("a", "<&>")}}, // CDATA text is not collected
        {"/big.xml", {"Started Element a", Found("a", bigText)}},
    };
    for (const auto& c : cases)
        EXPECT_THAT(LinesFromReading(server.url(c.path)), ElementsAreArray(c.lines)) << c.path;
}

TEST(ConfigXmlParser, DocumentThatCannotBeFetchedLogsNothing)
{
    std::string closedPortUrl;
    {
        LocalHttpServer server({});
        EXPECT_THAT(LinesFromReading(server.url("/test/serviceConfig.xml")), IsEmpty()) << "404";
        closedPortUrl = server.url("/test/serviceConfig.xml");
    }
    EXPECT_THAT(LinesFromReading(closedPortUrl), IsEmpty()) << "nobody listening";
    EXPECT_THAT(LinesFromReading("file:///etc/hostname"), IsEmpty()) << "only http and https are read";

    // The connection drops after the first elements have arrived.
    LocalHttpServer breaksOff({{"/cut.xml", "<a><b>y</b><c>z</c>"}},
                              LocalHttpServer::AnnouncedLengths{{{"/cut.xml", 4096}}});
    EXPECT_THAT(LinesFromReading(breaksOff.url("/cut.xml")), IsEmpty()) << "transfer broken off";
}

TEST(ConfigXmlParser, DocumentOverTheSizeLimitCannotBeFetched)
{
    // <a>xxx...</a>; the text is compared without printing it, it runs to megabytes.
    const size_t limit = ConfigXmlParser::MAX_DOCUMENT_BYTES;
    const std::string atLimitText(limit - 7, 'x');
    LocalHttpServer server({{"/limit.xml", "<a>" + atLimitText + "</a>"},
                            {"/over.xml", "<a>" + atLimitText + "x</a>"}});

    std::vector<std::string> atLimit = LinesFromReading(server.url("/limit.xml"));
    ASSERT_EQ(atLimit.size(), 2u);
    EXPECT_EQ(atLimit[0], "Started Element a");
    EXPECT_TRUE(atLimit[1] == Found("a", atLimitText)) << "the whole text of a document at the limit";
    EXPECT_EQ(LinesFromReading(server.url("/over.xml")).size(), 0u) << "one byte over the limit";
}

TEST(ConfigXmlParser, MalformedDocumentStopsTheReadSilently)
{
    LocalHttpServer server({{"/bad.xml", "<a><b>y</a></b><c/>"}, {"/blank.xml", ""}});
    EXPECT_THAT(LinesFromReading(server.url("/bad.xml")), ElementsAre("Started Element a", "Started Element b"));
    EXPECT_THAT(LinesFromReading(server.url("/blank.xml")), IsEmpty());
}

TEST(ConfigXmlParser, DefaultDocumentLocation)
{
    EXPECT_THAT(ConfigXmlParser::SERVICE_CONFIG_URL, StartsWith("http://"));
    EXPECT_THAT(ConfigXmlParser::SERVICE_CONFIG_URL, EndsWith("/test/serviceConfig.xml"));
}
