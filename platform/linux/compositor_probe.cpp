#include "platform/linux/compositor_probe.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace
{
constexpr int AnswerWaitMs = 1000;
}  // namespace

bool CompositorAnswers(const char* socketPath)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const size_t length = std::strlen(socketPath);
    if (length >= sizeof address.sun_path)
    {
        return true;  // no socket we could ask
    }
    std::memcpy(address.sun_path, socketPath, length);
    const int connection = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (connection < 0)
    {
        return true;
    }
    bool there = true;
    if (connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    {
        there = errno == EAGAIN;  // a full backlog: a compositor behind with its work
    }
    else
    {
        // The display (object 1), request 0 (`sync`), 12 bytes, naming the
        // callback object 2 for the answer.
        const uint32_t sync[3] = {1, 12u << 16, 2};
        pollfd answer = {connection, POLLIN, 0};
        char reply[12];
        if (send(connection, sync, sizeof sync, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof sync))
        {
            there = false;
        }
        else if (poll(&answer, 1, AnswerWaitMs) > 0)
        {
            there = recv(connection, reply, sizeof reply, 0) > 0;
        }
    }
    close(connection);
    return there;
}
