#include "ConfigXmlParser.h"

#include <curl/curl.h>
#include <expat.h>

#include <memory>
#include <mutex>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

const char* const ConfigXmlParser::SERVICE_CONFIG_URL = "http://config-storage.example.net/test/serviceConfig.xml";

namespace {

// A server that stops answering must not hold the helper forever.
const long CONNECT_TIMEOUT_SECONDS = 10;
const long TRANSFER_TIMEOUT_SECONDS = 60;
const long MAX_REDIRECTS = 5;

struct CurlRelease {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ExpatRelease {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

void InitialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Collects the body of the transfer. A document larger than any service configuration stops
// the transfer, which then counts as failed.
class DocumentBuffer
{
public:
    const std::string& text() const { return m_text; }

    static size_t onData(char* data, size_t size, size_t count, void* context)
    {
        DocumentBuffer* buffer = static_cast<DocumentBuffer*>(context);
        size_t length = size * count;
        if (length > ConfigXmlParser::MAX_DOCUMENT_BYTES - buffer->m_text.size())
            return 0; // less than was delivered: the transfer stops with an error
        buffer->m_text.append(data, length);
        return length;
    }

private:
    std::string m_text;
};

} // namespace

// Glue between the XML reader and the parser's event handlers. The document is parsed only once
// it has arrived whole, so that a transfer failing partway logs nothing.
class ConfigXmlParser::Reader
{
public:
    explicit Reader(ConfigXmlParser& owner) : m_owner(owner), m_parser(XML_ParserCreate(nullptr))
    {
        if (!m_parser)
            return;
        XML_SetUserData(m_parser.get(), this);
        XML_SetElementHandler(m_parser.get(), &Reader::onStart, &Reader::onEnd);
        XML_SetCharacterDataHandler(m_parser.get(), &Reader::onText);
        XML_SetCdataSectionHandler(m_parser.get(), &Reader::onCdataStart, &Reader::onCdataEnd);
    }

    bool ready() const { return static_cast<bool>(m_parser); }

    // Parses the whole document; stops where it is found to be malformed.
    void parse(const std::string& document)
    {
        XML_Parse(m_parser.get(), document.data(), static_cast<int>(document.size()), 1);
    }

private:
    // The handlers run inside the C parser: nothing may be thrown through it. A handler that
    // fails stops the read as a malformed document would.
    template <typename Handler>
    static void guarded(void* context, Handler handler)
    {
        Reader* reader = static_cast<Reader*>(context);
        try {
            handler(reader->m_owner);
        } catch (...) {
            XML_StopParser(reader->m_parser.get(), XML_FALSE);
        }
    }

    static void XMLCALL onStart(void* context, const XML_Char* name, const XML_Char**)
    {
        guarded(context, [name](ConfigXmlParser& owner) { owner.didStartElement(name); });
    }
    static void XMLCALL onText(void* context, const XML_Char* text, int length)
    {
        // Text of a CDATA section is not element text here.
        if (static_cast<Reader*>(context)->m_inCdata)
            return;
        guarded(context, [text, length](ConfigXmlParser& owner) { owner.foundCharacters(text, length); });
    }
    static void XMLCALL onCdataStart(void* context) { static_cast<Reader*>(context)->m_inCdata = true; }
    static void XMLCALL onCdataEnd(void* context) { static_cast<Reader*>(context)->m_inCdata = false; }
    static void XMLCALL onEnd(void* context, const XML_Char* name)
    {
        guarded(context, [name](ConfigXmlParser& owner) { owner.didEndElement(name); });
    }

    ConfigXmlParser& m_owner;
    std::unique_ptr<XML_ParserStruct, ExpatRelease> m_parser;
    bool m_inCdata = false;
};

ConfigXmlParser::ConfigXmlParser(const std::string& url, LogSink log) : m_log(std::move(log))
{
    read(url);
}

void ConfigXmlParser::read(const std::string& url)
{
    InitialiseCurlOnce();
    std::unique_ptr<CURL, CurlRelease> transfer(curl_easy_init());
    Reader reader(*this);
    if (!transfer || !reader.ready())
        return;

    CURL* handle = transfer.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, MAX_REDIRECTS);
    // An error status means there is no document: its body is not parsed.
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, CONNECT_TIMEOUT_SECONDS);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, TRANSFER_TIMEOUT_SECONDS);
    DocumentBuffer document;
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &DocumentBuffer::onData);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &document);

    if (curl_easy_perform(handle) != CURLE_OK)
        return;
    reader.parse(document.text());
}

void ConfigXmlParser::didStartElement(const char* name)
{
    m_log(std::string("Started Element ") + name);
    m_element.clear();
}

void ConfigXmlParser::foundCharacters(const char* text, int length)
{
    m_element.append(text, static_cast<size_t>(length));
}

void ConfigXmlParser::didEndElement(const char* name)
{
    m_log(std::string("Found an element named: ") + name + " with a value of: " + m_element);
}

}}}} // namespace quorvex::lumora::client::renderhelper
