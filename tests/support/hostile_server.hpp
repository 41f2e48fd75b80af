// Print servers that misbehave, on 127.0.0.1, for tests and the print
// harness: each listens on a port of its own and treats every connection as
// its kind says, in a thread of its own, until destroyed.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace novemra::testing {

class HostileServer {
  public:
    enum class Kind {
        Silent,               // accepts and never answers
        Trickle,              // answers one byte per interval, forever
        Stream,               // answers a header that never ends, as fast as it is taken
        RedirectLoop,         // answers every request with a redirect to itself
        DropThenSilent,       // closes the first connection after its request, then Silent
        CloseMidRequest,      // closes each connection once part of a request has come
        SlowProxy,            // passes everything on to a unix socket, each piece late
        ProxyCutsDocument,    // passes everything on, but cuts a connection carrying the page
        ProxyStallsDocument,  // passes everything on, but stalls a connection carrying the page
                              // after its start and answers it one byte per interval
        ProxyDropsJobAnswer,  // passes everything on, but closes a connection that asked for
                              // a job once the scheduler answers, instead of passing it back
    };
    explicit HostileServer(Kind kind,
                           std::chrono::milliseconds interval = std::chrono::milliseconds(300),
                           std::string proxyTarget = "");
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    // "127.0.0.1:PORT", for CUPS_SERVER.
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }
    // Connections accepted so far, and those still open.
    int connectionsAccepted() const { return accepted_; }
    int openConnections() const { return open_; }

  private:
    void serve();
    void handle(int connection, int index);

    void proxy(int connection);
    // Answers one byte per interval, a header that never ends, until the
    // client goes or the server stops.
    void trickle(int connection);

    Kind kind_;
    std::chrono::milliseconds interval_;
    std::string proxyTarget_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> serving_ = false;
    std::atomic<bool> stop_ = false;
    std::atomic<int> accepted_ = 0;
    std::atomic<int> open_ = 0;
    std::thread thread_;
};

}  // namespace novemra::testing
