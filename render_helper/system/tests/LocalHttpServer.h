// A tiny HTTP server on 127.0.0.1 for tests: serves fixed documents by path, 404 otherwise.
// A document can be announced longer than it is, so that the connection drops partway.
#ifndef QUORVEX_RENDERHELPER_TESTS_LOCALHTTPSERVER_H
#define QUORVEX_RENDERHELPER_TESTS_LOCALHTTPSERVER_H

#include <map>
#include <string>
#include <thread>

class LocalHttpServer
{
public:
    // By path, the Content-Length to send instead of the body's own.
    struct AnnouncedLengths {
        std::map<std::string, size_t> byPath;
    };

    // Starts listening on a free loopback port; documents maps request paths to bodies.
    explicit LocalHttpServer(std::map<std::string, std::string> documents);
    LocalHttpServer(std::map<std::string, std::string> documents, AnnouncedLengths announced);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    std::string url(const std::string& path) const;

private:
    void serve();
    void answer(int connection);

    const std::map<std::string, std::string> m_documents;
    const AnnouncedLengths m_announced;
    int m_listener = -1;
    int m_stopPipe[2] = {-1, -1};
    int m_port = 0;
    std::thread m_thread;
};

#endif
