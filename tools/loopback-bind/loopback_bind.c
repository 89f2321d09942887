// Preloaded into the application when it runs headless on Qt's VNC platform
// plugin, whose server listens on every network interface and has no option
// to choose one. A bind to the wildcard address on the port named by
// TOLLIVAR_LOOPBACK_PORT is turned into a bind to the loopback address, so
// the server is reachable from this machine only. Every other bind passes
// unchanged.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>

typedef int (*bind_function)(int, const struct sockaddr*, socklen_t);

static int loopback_port(void) {
    const char* text = getenv("TOLLIVAR_LOOPBACK_PORT");
    if (!text || !*text) return -1;
    char* end = NULL;
    long port = strtol(text, &end, 10);
    return (*end == '\0' && port > 0 && port < 65536) ? (int)port : -1;
}

int bind(int fd, const struct sockaddr* address, socklen_t length) {
    static bind_function real_bind = NULL;
    if (!real_bind) real_bind = (bind_function)dlsym(RTLD_NEXT, "bind");
    if (!real_bind) {
        errno = ENOSYS;
        return -1;
    }
    const int port = loopback_port();
    if (port < 0 || !address) return real_bind(fd, address, length);

    if (address->sa_family == AF_INET && length >= sizeof(struct sockaddr_in)) {
        struct sockaddr_in v4;
        memcpy(&v4, address, sizeof v4);
        if (ntohs(v4.sin_port) == port && v4.sin_addr.s_addr == htonl(INADDR_ANY)) {
            v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            return real_bind(fd, (const struct sockaddr*)&v4, sizeof v4);
        }
    } else if (address->sa_family == AF_INET6 && length >= sizeof(struct sockaddr_in6)) {
        struct sockaddr_in6 v6;
        memcpy(&v6, address, sizeof v6);
        if (ntohs(v6.sin6_port) == port && IN6_IS_ADDR_UNSPECIFIED(&v6.sin6_addr)) {
            // A dual-stack socket: the IPv4 loopback in its mapped form keeps
            // "localhost:port" (127.0.0.1) working and nothing else.
            memset(&v6.sin6_addr, 0, sizeof v6.sin6_addr);
            v6.sin6_addr.s6_addr[10] = 0xff;
            v6.sin6_addr.s6_addr[11] = 0xff;
            v6.sin6_addr.s6_addr[12] = 127;
            v6.sin6_addr.s6_addr[15] = 1;
            return real_bind(fd, (const struct sockaddr*)&v6, sizeof v6);
        }
    }
    return real_bind(fd, address, length);
}
