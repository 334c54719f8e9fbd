// A loading worker that misbehaves on purpose, for the tests of the
// viewer's side: started as the real one is (its channel on descriptor 3),
// it does what VORLUNE_STAND_IN says: "silent" never says it is ready;
// "mute" says so, then never answers; "two-descriptors" answers each
// request with two sealed memory files in one message; "reply=FILE"
// answers with FILE's bytes as the reply.
#include "worker/worker_protocol.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int sealedMemory(const std::string& bytes)
{
    const int memory = memfd_create("stand-in-reply", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memory < 0 || pwrite(memory, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        std::exit(1);
    }
    fcntl(memory, F_ADD_SEALS, F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
    return memory;
}

void sendReply(std::uint64_t size, const std::vector<int>& descriptors)
{
    ReplyMessage message{size, 0};
    std::vector<char> control(CMSG_SPACE(sizeof(int) * descriptors.size()));
    iovec part{&message, sizeof(message)};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control.data();
    header.msg_controllen = control.size();
    cmsghdr* rights = CMSG_FIRSTHDR(&header);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof(int) * descriptors.size());
    std::copy(descriptors.begin(), descriptors.end(), reinterpret_cast<int*>(CMSG_DATA(rights)));
    sendmsg(kWorkerSocketDescriptor, &header, MSG_NOSIGNAL);
}

}  // namespace

int main()
{
    const std::string mode = std::getenv("VORLUNE_STAND_IN") ? std::getenv("VORLUNE_STAND_IN") : "";
    if (mode != "silent") {
        send(kWorkerSocketDescriptor, &kWorkerReady, 1, MSG_NOSIGNAL);
    }
    std::vector<char> request(sizeof(RequestMessage) + kMaxRequestPathBytes);
    while (mode != "silent" && mode != "mute" && recv(kWorkerSocketDescriptor, request.data(), request.size(), 0) > 0) {
        if (mode == "two-descriptors") {
            const std::string bytes(std::size_t{1} << 16, '\0');
            sendReply(bytes.size(), {sealedMemory(bytes), sealedMemory(bytes)});
        } else {
            std::ifstream file(mode.substr(mode.find('=') + 1), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            sendReply(bytes.size(), {sealedMemory(bytes)});
        }
    }
    while (mode == "silent" || mode == "mute") {
        pause();
    }
    return 0;
}
