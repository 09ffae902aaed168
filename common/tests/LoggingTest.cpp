#include <logging>

#include <gtest/gtest.h>

#include <boost/date_time/gregorian/gregorian.hpp>

#include <cctype>
#include <sstream>
#include <thread>
#include <vector>

namespace logging_test {
const void* secondUnitTraceElement();
const void* secondUnitLogger();
}

namespace bl = boost::logging;

namespace {

bl::log_param_t entry(unsigned short level, bl::qualifier& q, const std::string& message)
{
    bl::log_param_t p = {level, &q, message, "/src/hidlet/Hidlets.cpp", 665, "Write", "long Write()", nullptr};
    return p;
}

struct Capture
{
    boost::shared_ptr<std::ostringstream> text{new std::ostringstream};
    bl::logger logger;

    void addSink(unsigned short level, bl::qualifier& q, const bl::format& f)
    {
        bl::sink s(text, level);
        s.attach_qualifier(q);
        logger.add_sink(s, f);
    }
};

// "YYYY-MM-DD HH:MM:SS" optionally followed by "." and six digits.
bool isTimeStamp(const std::string& s)
{
    const std::string shape = "dddd-dd-dd dd:dd:dd";
    if (s.size() != shape.size() && s.size() != shape.size() + 7)
        return false;
    const std::string full = s.size() == shape.size() ? shape : shape + ".dddddd";
    for (size_t i = 0; i < full.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(s[i])) != 0;
        if (full[i] == 'd' ? !digit : s[i] != full[i])
            return false;
    }
    return true;
}

bl::format traceLine()
{
    bl::format f;
    f.add(bl::trace).add(bl::eol);
    return f;
}

TEST(Logging, SinkKeepsLevelsUpToItsOwn)
{
    Capture c;
    c.addSink(3, bl::log, traceLine());
    for (unsigned short level : {0, 1, 3, 4, 65535}) {
        bl::log_param_t p = entry(level, bl::log, "level " + std::to_string(level));
        c.logger.trace(p);
    }
    EXPECT_EQ("level 0\nlevel 1\nlevel 3\n", c.text->str());

    Capture zero;
    zero.addSink(0, bl::log, traceLine());
    for (unsigned short level : {0, 1}) {
        bl::log_param_t p = entry(level, bl::log, "level " + std::to_string(level));
        zero.logger.trace(p);
    }
    EXPECT_EQ("level 0\n", zero.text->str());
}

TEST(Logging, QualifiersMatchByClassNotByText)
{
    Capture c;
    c.addSink(10, bl::error, traceLine());
    bl::qualifier* others[] = {&bl::log, &bl::notice, &bl::scope, &bl::warning};
    for (bl::qualifier* q : others) {
        bl::log_param_t p = entry(2, *q, "ERROR(105): dropped");
        c.logger.trace(p);
    }
    bl::error_qualifier anotherErrorInstance;
    bl::log_param_t kept = entry(2, anotherErrorInstance, "kept");
    c.logger.trace(kept);
    EXPECT_EQ("kept\n", c.text->str());

    bl::qualifier base;
    EXPECT_FALSE(base == base);
    EXPECT_EQ("log", bl::log.m_name);
    EXPECT_EQ("error", bl::error.m_name);
}

TEST(Logging, SinkWithoutQualifiersTakesNothing)
{
    boost::shared_ptr<std::ostringstream> text(new std::ostringstream);
    bl::logger logger;
    logger.add_sink(bl::sink(text, 100), traceLine());
    bl::log_param_t p = entry(1, bl::log, "x");
    logger.trace(p);
    EXPECT_EQ("", text->str());
}

TEST(Logging, ElementsProduceTheirPieces)
{
    bl::format f;
    bl::log_param_t p = entry(2, bl::log, "message");
    EXPECT_EQ("2", bl::mask->visit(f, p));
    EXPECT_EQ("665", bl::line->visit(f, p));
    EXPECT_EQ("/src/hidlet/Hidlets.cpp", bl::filename->visit(f, p));
    EXPECT_EQ("Hidlets.cpp", bl::filename_element(1).visit(f, p));
    EXPECT_EQ("Write", bl::function_name->visit(f, p));
    EXPECT_EQ("long Write()", bl::function_signature->visit(f, p));
    EXPECT_EQ(std::string(1, '\x0c'), bl::eot->visit(f, p));
    EXPECT_EQ("\n", bl::eol->visit(f, p));

    bl::scope_item a("A"), b("B"), c("C");
    std::vector<bl::scope_item*> stack;
    p.m_scope_stack = &stack;
    EXPECT_EQ("", bl::scope_stack->visit(f, p));
    stack.push_back(&a);
    EXPECT_EQ("A", bl::scope_stack->visit(f, p));
    stack.push_back(&b);
    stack.push_back(&c);
    EXPECT_EQ("A -> B -> C", bl::scope_stack->visit(f, p));
}

TEST(Logging, DateAndTimeFollowTheIsoShapes)
{
    std::ostringstream today;
    const boost::gregorian::date d = boost::gregorian::day_clock::local_day();
    today << static_cast<int>(d.year()) << '-';
    today.width(2); today.fill('0'); today << static_cast<int>(d.month()) << '-';
    today.width(2); today.fill('0'); today << static_cast<int>(d.day());

    Capture c;
    bl::format f;
    f.add(bl::date).add(bl::trace).add(bl::eol);
    c.addSink(5, bl::log, f);
    bl::log_param_t p = entry(1, bl::log, "hello");
    c.logger.trace(p);
    const std::string line = c.text->str();
    // Near midnight the date may have turned over between the two readings.
    if (boost::gregorian::day_clock::local_day() == d) {
        EXPECT_EQ(today.str() + "hello\n", line);
    }

    for (int i = 0; i < 20; ++i) {
        const std::string stamp = bl::time->to_string();
        EXPECT_TRUE(isTimeStamp(stamp)) << stamp;
    }
    EXPECT_FALSE(isTimeStamp("2031-04-05T09:07:03"));
}

TEST(Logging, CallSiteBuildsNothingWhileTheMaskLacksTheLevel)
{
    boost::shared_ptr<bl::logger>& logger = bl::logger::get_instance();
    boost::shared_ptr<std::ostringstream> text(new std::ostringstream);
    bl::sink s(text, 10);
    s.attach_qualifier(bl::log);
    bl::format f;
    f.add(bl::function_name).add(bl::trace).add(bl::eol);
    logger->add_sink(s, f);

    int built = 0;
    auto count = [&built] { return ++built; };
    logger->set_mask(0);
    BOOST_LOG(2, bl::log, "never " << count());
    EXPECT_EQ(0, built);
    logger->set_mask(1);
    BOOST_LOG(2, bl::log, "never " << count());
    EXPECT_EQ(0, built);
    EXPECT_EQ("", text->str());

    logger->set_mask(2);
    BOOST_LOG(2, bl::log, "built " << count());
    EXPECT_EQ(1, built);
    EXPECT_EQ("TestBodybuilt 1\n", text->str());

    logger->set_mask(0);
    logger->remove_all_sinks();
}

TEST(Logging, OneLoggerPerLibraryEvenWhenThreadsRaceForIt)
{
    std::vector<const void*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = bl::logger::get_instance().get(); });
    for (auto& t : threads)
        t.join();
    for (const void* p : seen)
        EXPECT_EQ(seen[0], p);
    EXPECT_EQ(seen[0], logging_test::secondUnitLogger());
    // Element instances belong to each source file.
    EXPECT_NE(static_cast<const void*>(bl::trace.get()), logging_test::secondUnitTraceElement());
}

TEST(Logging, ScopeStackReachesTheEntry)
{
    Capture c;
    bl::format f;
    f.add(bl::scope_stack).add(bl::eol);
    c.addSink(5, bl::log, f);
    bl::scope_item outer("outer"), inner("inner");
    c.logger.push_scope(&outer);
    c.logger.push_scope(&inner);
    bl::log_param_t p = entry(1, bl::log, "");
    c.logger.trace(p);
    EXPECT_EQ("outer -> inner\n", c.text->str());
}

} // namespace
