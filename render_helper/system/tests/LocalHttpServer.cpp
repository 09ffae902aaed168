#include "LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

LocalHttpServer::LocalHttpServer(std::map<std::string, std::string> documents)
    : LocalHttpServer(std::move(documents), AnnouncedLengths{})
{
}

LocalHttpServer::LocalHttpServer(std::map<std::string, std::string> documents, AnnouncedLengths announced)
    : m_documents(std::move(documents)), m_announced(std::move(announced))
{
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 8) != 0 || getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe(m_stopPipe) != 0)
        throw std::runtime_error("cannot start the test HTTP server");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread(&LocalHttpServer::serve, this);
}

LocalHttpServer::~LocalHttpServer()
{
    char stop = 's';
    (void)!write(m_stopPipe[1], &stop, 1);
    m_thread.join();
    close(m_listener);
    close(m_stopPipe[0]);
    close(m_stopPipe[1]);
}

std::string LocalHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void LocalHttpServer::serve()
{
    for (;;) {
        pollfd waits[2] = {{m_listener, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0)
            return;
        if (waits[1].revents != 0)
            return;
        int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            answer(connection);
            close(connection);
        }
    }
}

void LocalHttpServer::answer(int connection)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        ssize_t received = recv(connection, buffer, sizeof buffer, 0);
        if (received <= 0)
            return;
        request.append(buffer, static_cast<size_t>(received));
    }
    std::string::size_type pathStart = request.find(' ') + 1;
    std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);

    auto found = m_documents.find(path);
    std::string body = found == m_documents.end() ? "<missing>not here</missing>" : found->second;
    auto announced = m_announced.byPath.find(path);
    size_t length = announced == m_announced.byPath.end() ? body.size() : announced->second;
    std::string response = std::string(found == m_documents.end() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK") +
                           "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(length) +
                           "\r\nConnection: close\r\n\r\n" + body;
    size_t sent = 0;
    while (sent < response.size()) {
        ssize_t written = send(connection, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
        if (written <= 0)
            return;
        sent += static_cast<size_t>(written);
    }
}
