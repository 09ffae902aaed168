// libKVE.so as any other binary meets it: loaded at run time, reached through the factory's symbol
// alone, and driven through an interface declared here from the slot order of its virtual table,
// not from the engine's own header. A header whose operations were reordered would still agree with
// the engine built from it, but no longer with this table, and the calls below would land in the
// wrong operations.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

// The engine's interface as a client binary declares it from the slot table, under the engine's
// own class name (the name is part of the binary interface too: it names the type behind the
// pointer): the destructor (two entries), then the six operations.
namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class ISuperSimpleDummyEngine
{
public:
    virtual ~ISuperSimpleDummyEngine() {}
    virtual std::string getDevicesInfo() = 0;
    virtual void addHidlet(long vendorId, long productId) = 0;
    virtual int execute(std::string deviceId, const char* request, int responsePackets, char*& response,
                        const char* endPacket, long timeout) = 0;
    virtual int cancel(std::string deviceId, char*& response) = 0;
    virtual int cleanupRemote(std::string deviceId, char*& response) = 0;
    virtual int cleanupAll() = 0;
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

namespace {

typedef quorvex::lumora::client::corvane::superstupiddummyengine::ISuperSimpleDummyEngine EngineSlots;
typedef EngineSlots* (*Factory)();

const char* const kFactorySymbol =
    "_ZN7quorvex6lumora6client7corvane22superstupiddummyengine24SuperSimpleEngineFactory28createSuperSimpleDummyEngineEv";

// The remote that HIDLET_SIM plugs in for this test, and its device path.
const std::string kDevice = std::to_string(0x14100000);

std::string taken(char* text)
{
    std::string s(text ? text : "(null)");
    delete[] text;
    return s;
}

TEST(EngineAbi, FactoryAndSlotOrderReachEachOperation)
{
    void* library = dlopen(KVE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, library) << dlerror();
    const Factory create = reinterpret_cast<Factory>(dlsym(library, kFactorySymbol));
    ASSERT_NE(nullptr, create) << "libKVE.so does not export the factory";
    EngineSlots* engine = create();
    ASSERT_NE(nullptr, engine);
    EXPECT_EQ(engine, create());

    EXPECT_EQ("", engine->getDevicesInfo());   // no type registered yet
    engine->addHidlet(0x1234, 0x5678);
    const std::string list = engine->getDevicesInfo();
    EXPECT_EQ(0u, list.find("device_id=" + kDevice + ";;token=")) << list;

    char* response = nullptr;
    EXPECT_EQ(-2, engine->execute(kDevice, "0A0B0C0D", 1, response, "", 1000));
    EXPECT_EQ("{{-2|New command created}}", taken(response));
    int code = -1;
    std::string answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (code < 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        response = nullptr;
        code = engine->execute(kDevice, "", 0, response, "", 0);
        answer = taken(response);
    }
    EXPECT_EQ(0, code);
    EXPECT_EQ("0A0B0C0D", answer);

    response = nullptr;
    EXPECT_EQ(201, engine->cancel("nowhere", response));
    EXPECT_EQ("{{201|Lumora remote not found:in KVE::cancel}}", taken(response));
    response = nullptr;
    EXPECT_EQ(0, engine->cleanupRemote(kDevice, response));
    EXPECT_EQ("{{0|Command executed successfully:in KVE::cleanupRemote}}", taken(response));
    EXPECT_EQ(0, engine->cleanupAll());
    // libKVE stays mapped once loaded (its worker never stops), so it is not closed here.
}

} // namespace
