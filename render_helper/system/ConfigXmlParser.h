// Reader of the service configuration document.
//
// Creating a ConfigXmlParser fetches the XML document over HTTP and reads it as a stream of
// events, writing each element it meets, with the element's text, to the log:
//   "Started Element <name>"                                   at each element start
//   "Found an element named: <name> with a value of: <text>"   at each element end
// The text reported at an element's end is everything collected since the most recent start of
// any element, so a parent that holds text after a child reports only that trailing text (and
// whitespace between elements counts as text); CDATA sections add nothing to it. Nothing of the
// document is kept once read. A document that cannot be fetched (including a transfer that
// breaks off and a document over MAX_DOCUMENT_BYTES) logs nothing at all; one that is not
// well-formed ends the read at the fault without a message of its own.
#ifndef QUORVEX_RENDERHELPER_CONFIGXMLPARSER_H
#define QUORVEX_RENDERHELPER_CONFIGXMLPARSER_H

#include "SystemLog.h"

#include <cstddef>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

class ConfigXmlParser
{
public:
    // Where the service configuration document is served.
    static const char* const SERVICE_CONFIG_URL;
    // The largest document read; a larger one counts as one that cannot be fetched.
    static constexpr size_t MAX_DOCUMENT_BYTES = 4 * 1024 * 1024;

    // Reads the document at url (http or https) to its end before returning.
    explicit ConfigXmlParser(const std::string& url = SERVICE_CONFIG_URL, LogSink log = SystemLogSink());

    ConfigXmlParser(const ConfigXmlParser&) = delete;
    ConfigXmlParser& operator=(const ConfigXmlParser&) = delete;

private:
    class Reader;

    void read(const std::string& url);
    void didStartElement(const char* name);
    void foundCharacters(const char* text, int length);
    void didEndElement(const char* name);

    LogSink m_log;
    // The text collected since the last element start.
    std::string m_element;
};

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
