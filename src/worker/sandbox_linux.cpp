// Landlock takes every right to change the file system; a seccomp filter
// then allows only the system calls that importing and decoding make and
// answers any other with ENOSYS, which the import library and the C library
// treat as a failed call rather than a reason to crash. Where a call is
// allowed only in part, the filter checks its arguments:
// - reads anywhere: files open read-only and are never created, since a
//   material may name a texture in any folder;
// - socket calls on the channel (descriptor 3) only: the filter cannot tell
//   a socket from a file, so it goes by number, and the worker has closed
//   every other inherited descriptor before it gets here;
// - new memory files only as replies: memfd_create, and ftruncate only on a
//   descriptor above the channel, which can only be one the worker made
//   itself after it closed the rest;
// - no executable mappings: mmap and mprotect never with PROT_EXEC, so the
//   libraries loaded before are all the code there will ever be.
#include "worker/sandbox_linux.h"

#include "worker/worker_protocol.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

namespace {

// The rights that change the file system, as each Landlock version adds
// them; none is granted anywhere. Reading is not restricted: a material
// may name a texture in any folder.
std::uint64_t writeRights(int abi)
{
    std::uint64_t rights = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                           LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                           LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                           LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                           LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
    constexpr int kReferAbi = 2;
    constexpr int kTruncateAbi = 3;
    constexpr std::uint64_t kTruncate = std::uint64_t{1} << 14;  // LANDLOCK_ACCESS_FS_TRUNCATE
    if (abi >= kReferAbi) {
        rights |= LANDLOCK_ACCESS_FS_REFER;
    }
    if (abi >= kTruncateAbi) {
        rights |= kTruncate;
    }
    return rights;
}

// False only when the kernel has Landlock and refused the rules; a kernel
// without it (or with it turned off) leaves the filter's read-only opens.
bool forbidWrites()
{
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 0) {
        return errno == ENOSYS || errno == EOPNOTSUPP;
    }
    landlock_ruleset_attr rules{};
    rules.handled_access_fs = writeRights(static_cast<int>(abi));
    const long ruleset = syscall(SYS_landlock_create_ruleset, &rules, sizeof(rules), 0);
    if (ruleset < 0) {
        return false;
    }
    const bool restricted = syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    close(static_cast<int>(ruleset));
    return restricted;
}

// Calls with no argument worth checking: what tracing the worker over the
// shipped scene, the tests' hostile files and the fuzz corpora showed, and
// what the allocator's large blocks (mremap, madvise) and abort() need.
constexpr int kAllowed[] = {
    SCMP_SYS(read), SCMP_SYS(lseek), SCMP_SYS(close), SCMP_SYS(newfstatat), SCMP_SYS(brk), SCMP_SYS(munmap),
    SCMP_SYS(mremap), SCMP_SYS(madvise), SCMP_SYS(memfd_create), SCMP_SYS(fcntl), SCMP_SYS(futex), SCMP_SYS(exit),
    SCMP_SYS(exit_group), SCMP_SYS(rt_sigreturn), SCMP_SYS(rt_sigprocmask), SCMP_SYS(rt_sigaction),
    SCMP_SYS(getpid), SCMP_SYS(gettid), SCMP_SYS(clock_gettime),
};

// The socket calls the worker makes (the same tracing: recv is recvfrom,
// send is sendto), each allowed on the channel alone.
constexpr int kChannelCalls[] = {SCMP_SYS(recvfrom), SCMP_SYS(sendto), SCMP_SYS(sendmsg)};

// A sanitizer build's runtime probes memory by writing it into a pipe,
// reads /proc for its reports, asks the terminal about colours and looks
// at the signal stack whenever an exception is thrown; refused those, it
// takes readable objects for unreadable ones, reports faults that are not
// there, or stops the worker. So its filter also allows these, with writes to any
// descriptor: a sanitizer build is for finding faults, not for hostile files.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::array kSanitizerRuntime = {SCMP_SYS(pipe2),       SCMP_SYS(open),        SCMP_SYS(ioctl),
                                          SCMP_SYS(readlink),    SCMP_SYS(sched_yield), SCMP_SYS(sigaltstack),
                                          SCMP_SYS(getrandom),   SCMP_SYS(write)};
#else
constexpr std::array<int, 0> kSanitizerRuntime = {};
#endif

// Allows `call` when one of its arguments compares as `argument` says.
bool allowWhen(scmp_filter_ctx filter, int call, scmp_arg_cmp argument)
{
    return seccomp_rule_add_array(filter, SCMP_ACT_ALLOW, call, 1, &argument) == 0;
}

bool filterSystemCalls()
{
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(ENOSYS));
    if (filter == nullptr) {
        return false;
    }
    bool added = true;
    for (const int call : kAllowed) {
        added = added && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    }
    for (const int call : kSanitizerRuntime) {
        added = added && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    }
    // Files open for reading only, and nothing is created.
    added = added && allowWhen(filter, SCMP_SYS(openat), {2, SCMP_CMP_MASKED_EQ, O_ACCMODE | O_CREAT | O_TRUNC, O_RDONLY});
    // Memory is never mapped executable, nor made so later. Nothing needs to be loaded
    // ahead for this: the unwinder a first exception uses (libgcc_s) is
    // linked in, not opened on demand, and nothing here converts text through
    // iconv, whose converters would be.
    added = added && allowWhen(filter, SCMP_SYS(mmap), {2, SCMP_CMP_MASKED_EQ, PROT_EXEC, 0});
    added = added && allowWhen(filter, SCMP_SYS(mprotect), {2, SCMP_CMP_MASKED_EQ, PROT_EXEC, 0});
    for (const int call : kChannelCalls) {
        added = added && allowWhen(filter, call, {0, SCMP_CMP_EQ, kWorkerSocketDescriptor, 0});
    }
    // Only the worker's own replies change size: every descriptor above the
    // channel is one it made after closing the inherited ones, a reply or a
    // file open for reading (which cannot be truncated).
    added = added && allowWhen(filter, SCMP_SYS(ftruncate), {0, SCMP_CMP_GE, kWorkerSocketDescriptor + 1, 0});
    // Writes reach the standard streams alone (which lead nowhere): an
    // assertion's message, say.
    added = added && allowWhen(filter, SCMP_SYS(write), {0, SCMP_CMP_LE, STDERR_FILENO, 0});
    // abort() signals this process, and only this one.
    const auto self = static_cast<scmp_datum_t>(getpid());
    added = added && allowWhen(filter, SCMP_SYS(tgkill), {0, SCMP_CMP_EQ, self, 0});
    added = added && allowWhen(filter, SCMP_SYS(kill), {0, SCMP_CMP_EQ, self, 0});
    const bool loaded = added && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return loaded;
}

}  // namespace

bool enterSandbox()
{
    // Both need it, and it keeps a program started later from gaining
    // rights (though none can be started).
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        return false;
    }
    return forbidWrites() && filterSystemCalls();
}
