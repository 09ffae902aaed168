// A tiny HTTP server on 127.0.0.1 for tests: serves fixed documents by path, 404 otherwise.
#ifndef QUORVEX_RENDERHELPER_TESTS_LOCALHTTPSERVER_H
#define QUORVEX_RENDERHELPER_TESTS_LOCALHTTPSERVER_H

#include <map>
#include <string>
#include <thread>

class LocalHttpServer
{
public:
    // Starts listening on a free loopback port; documents maps request paths to bodies.
    explicit LocalHttpServer(std::map<std::string, std::string> documents);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    std::string url(const std::string& path) const;

private:
    void serve();
    void answer(int connection);

    const std::map<std::string, std::string> m_documents;
    int m_listener = -1;
    int m_stopPipe[2] = {-1, -1};
    int m_port = 0;
    std::thread m_thread;
};

#endif
