// A loading worker that misbehaves on purpose, for the tests of the
// viewer's side: started as the real one is (its channel on descriptor 3),
// it does what VORLUNE_STAND_IN says:
//   silent           never says it is ready
//   mute             says it is ready, then never answers
//   two-descriptors  answers each request with a message carrying two
//                    sealed memory files instead of one
//   reply=FILE       answers each request with FILE's bytes as the reply
#include "worker/worker_protocol.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kRequestBytes = sizeof(RequestMessage) + kMaxRequestPathBytes;

int sealedMemory(const std::string& bytes)
{
    const int memory = memfd_create("stand-in-reply", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memory < 0 || ftruncate(memory, static_cast<off_t>(bytes.size())) != 0 ||
        pwrite(memory, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        std::exit(1);
    }
    fcntl(memory, F_ADD_SEALS, F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
    return memory;
}

template <std::size_t N>
void sendWithDescriptors(std::uint64_t size, const std::array<int, N>& descriptors)
{
    ReplyMessage message{size, 0};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * N)] = {};
    iovec part{&message, sizeof(message)};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof(control);
    cmsghdr* rights = CMSG_FIRSTHDR(&header);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof(int) * N);
    std::memcpy(CMSG_DATA(rights), descriptors.data(), sizeof(int) * N);
    sendmsg(kWorkerSocketDescriptor, &header, MSG_NOSIGNAL);
    for (const int descriptor : descriptors) {
        close(descriptor);
    }
}

}  // namespace

int main()
{
    const char* mode = std::getenv("VORLUNE_STAND_IN");
    const std::string how = mode != nullptr ? mode : "";
    if (how == "silent") {
        for (;;) {
            pause();
        }
    }
    send(kWorkerSocketDescriptor, &kWorkerReady, 1, MSG_NOSIGNAL);
    std::vector<char> request(kRequestBytes);
    while (recv(kWorkerSocketDescriptor, request.data(), request.size(), 0) > 0) {
        if (how == "two-descriptors") {
            const std::string bytes(std::size_t{1} << 16, '\0');
            sendWithDescriptors<2>(bytes.size(), {sealedMemory(bytes), sealedMemory(bytes)});
        } else if (how.rfind("reply=", 0) == 0) {
            std::ifstream file(how.substr(std::strlen("reply=")), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            sendWithDescriptors<1>(bytes.size(), {sealedMemory(bytes)});
        } else {
            for (;;) {
                pause();
            }
        }
    }
    return 0;
}
