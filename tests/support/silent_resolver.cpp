#include "support/silent_resolver.hpp"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace novemra::testing {

namespace {

// A new network namespace starts with its loopback interface down.
bool bringLoopbackUp() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    const bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0 &&
                    (request.ifr_flags |= IFF_UP, ::ioctl(fd, SIOCSIFFLAGS, &request) == 0);
    ::close(fd);
    return up;
}

}  // namespace

bool isolateNameResolution() {
    if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0 || !bringLoopbackUp() ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
    }
    const std::string conf = "/tmp/novemra-resolv-" + std::to_string(::getpid()) + ".conf";
    FILE* file = std::fopen(conf.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    std::fputs("nameserver 127.0.0.1\noptions timeout:30 attempts:1\n", file);
    std::fclose(file);
    const bool mounted = ::mount(conf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0;
    ::unlink(conf.c_str());
    if (!mounted) {
        return false;
    }
    // The nameserver: queries queue up on this socket and are never read.
    const int nameserver = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::bind(nameserver, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace novemra::testing
