#include "support/hostile_server.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <string_view>
#include <vector>

namespace novemra::testing {

namespace {

// Waits up to the time for the socket to become readable; false on stop.
bool readable(int fd, std::chrono::milliseconds time) {
    pollfd waiting{fd, POLLIN, 0};
    return ::poll(&waiting, 1, static_cast<int>(time.count())) > 0;
}

}  // namespace

HostileServer::HostileServer(Kind kind, std::chrono::milliseconds interval, std::string proxyTarget)
    : kind_(kind), interval_(interval), proxyTarget_(std::move(proxyTarget)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    ::listen(listener_, 16);
    thread_ = std::thread([this] {
        serving_ = true;
        serving_.notify_one();
        serve();
    });
    // A test may fork as soon as this returns (a hard copy does): not while
    // the new thread is still being set up, which can hold a lock of the
    // memory allocator that the child would then wait on for ever.
    serving_.wait(false);
}

HostileServer::~HostileServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void HostileServer::serve() {
    std::vector<std::thread> handlers;
    for (int index = 0; !stop_;) {
        if (!readable(listener_, std::chrono::milliseconds(20))) {
            continue;
        }
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            ++accepted_;
            ++open_;
            handlers.emplace_back([this, connection, index] {
                handle(connection, index);
                --open_;
            });
            ++index;
        }
    }
    for (std::thread& handler : handlers) {
        handler.join();
    }
}

void HostileServer::proxy(int connection) {
    const int target = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    proxyTarget_.copy(address.sun_path, sizeof address.sun_path - 1);
    if (::connect(target, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(target);
        ::close(connection);
        return;
    }
    char buffer[4096];
    bool askedForJob = false;
    std::array<pollfd, 2> ends{{{connection, POLLIN, 0}, {target, POLLIN, 0}}};
    while (!stop_) {
        if (::poll(ends.data(), 2, 20) <= 0) {
            continue;
        }
        const bool fromClient = (ends[0].revents & (POLLIN | POLLHUP)) != 0;
        const int from = fromClient ? connection : target;
        const ssize_t count = ::recv(from, buffer, sizeof buffer, 0);
        if (count <= 0) {
            break;
        }
        if (fromClient && kind_ == Kind::SlowProxy) {
            std::this_thread::sleep_for(interval_);  // the slow part of the link
        }
        const std::string_view piece(buffer, static_cast<std::size_t>(count));
        const std::size_t page = piece.find("*** Novemra ***");
        // Both ways of making a job (Create-Job, Print-Job) go to the
        // printer's own resource; lookups go to "/".
        askedForJob = askedForJob || (fromClient && piece.find("POST /printers/") != piece.npos);
        // "100 Continue" only lets the request's body come.
        if (!fromClient && kind_ == Kind::ProxyDropsJobAnswer && askedForJob &&
            piece.find("HTTP/1.1 100") != 0) {
            break;  // the job exists; its answer never arrives
        }
        if (fromClient && kind_ == Kind::ProxyCutsDocument && page != std::string_view::npos) {
            break;  // the document never arrives whole
        }
        if (fromClient && kind_ == Kind::ProxyStallsDocument && page != std::string_view::npos) {
            // The page's start reaches the scheduler, the rest never does,
            // and the answer comes a byte at a time, never whole.
            ::send(target, buffer, page, MSG_NOSIGNAL);
            trickle(connection);
            break;
        }
        ::send(fromClient ? target : connection, buffer, static_cast<std::size_t>(count),
               MSG_NOSIGNAL);
    }
    ::close(target);
    ::close(connection);
}

void HostileServer::trickle(int connection) {
    const std::string_view answer = "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\n";
    for (std::size_t sent = 0; !stop_; ++sent) {
        std::this_thread::sleep_for(interval_);
        const char byte = sent < answer.size() ? answer[sent] : 'X';
        if (::send(connection, &byte, 1, MSG_NOSIGNAL) != 1) {
            return;
        }
    }
}

void HostileServer::handle(int connection, int index) {
    if (kind_ == Kind::SlowProxy || kind_ == Kind::ProxyCutsDocument ||
        kind_ == Kind::ProxyStallsDocument || kind_ == Kind::ProxyDropsJobAnswer) {
        proxy(connection);
        return;
    }
    char buffer[4096];
    const bool drop =
        kind_ == Kind::CloseMidRequest || (kind_ == Kind::DropThenSilent && index == 0);
    if (drop) {
        // Part of the request (or all of it), then the connection goes.
        while (!stop_ && !readable(connection, std::chrono::milliseconds(20))) {
        }
        ::recv(connection, buffer, kind_ == Kind::CloseMidRequest ? 16 : sizeof buffer, 0);
        ::close(connection);
        return;
    }
    if (kind_ == Kind::Stream) {
        const std::string header = std::string("HTTP/1.1 200 OK\r\nX-Endless: ").append(4096, 'X');
        const std::string more(4096, 'X');
        bool first = true;
        while (!stop_) {
            const std::string& piece = first ? header : more;
            first = false;
            pollfd writable{connection, POLLOUT, 0};
            if (::poll(&writable, 1, 20) > 0 &&
                ::send(connection, piece.data(), piece.size(), MSG_NOSIGNAL) <= 0) {
                break;
            }
        }
        ::close(connection);
        return;
    }
    if (kind_ == Kind::RedirectLoop) {
        const std::string redirect = "HTTP/1.1 301 Moved Permanently\r\nLocation: http://" +
                                     address() + "/\r\nContent-Length: 0\r\n\r\n";
        while (!stop_) {
            if (!readable(connection, std::chrono::milliseconds(20))) {
                continue;
            }
            if (::recv(connection, buffer, sizeof buffer, 0) <= 0 ||
                ::send(connection, redirect.data(), redirect.size(), MSG_NOSIGNAL) <= 0) {
                break;
            }
        }
        ::close(connection);
        return;
    }
    const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\n";
    std::size_t sent = 0;
    auto next = std::chrono::steady_clock::now();
    while (!stop_) {
        if (readable(connection, std::chrono::milliseconds(20))) {
            if (::recv(connection, buffer, sizeof buffer, 0) <= 0) {
                break;
            }
        }
        if (kind_ == Kind::Trickle && std::chrono::steady_clock::now() >= next) {
            // One byte at a time, forever: the header never ends.
            const char byte = sent < answer.size() ? answer[sent] : 'X';
            if (::send(connection, &byte, 1, MSG_NOSIGNAL) != 1) {
                break;
            }
            ++sent;
            next += interval_;
        }
    }
    ::close(connection);
}

}  // namespace novemra::testing
