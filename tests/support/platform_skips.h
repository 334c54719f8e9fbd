// The test machinery that exists only on Linux, and the one-line reason a
// test that needs it gives for skipping on Windows (where the suite runs
// under Wine from tools/windows.sh).
#pragma once

#include <gtest/gtest.h>

#ifdef _WIN32
#define VORLUNE_SKIP_ON_WINDOWS(reason) GTEST_SKIP() << reason
#else
#define VORLUNE_SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif

#define SKIP_WITHOUT_POSIX_SHELL() \
    VORLUNE_SKIP_ON_WINDOWS("runs its program through /bin/sh (quoting, env, rm), which Windows lacks")
#define SKIP_WITHOUT_XDOTOOL() \
    VORLUNE_SKIP_ON_WINDOWS("drives the viewer's X window with xdotool, a Linux program; tools/windows.sh " \
                            "checks the Windows viewer's window from outside Wine")
#define SKIP_WITHOUT_GL_INTERPOSING() \
    VORLUNE_SKIP_ON_WINDOWS("records GL calls by interposing GL entry points (dlsym RTLD_NEXT), which " \
                            "Windows' DLL imports do not allow")
#define SKIP_WITHOUT_FIFOS() VORLUNE_SKIP_ON_WINDOWS("needs a named pipe (mkfifo) and /dev/zero, which Windows lacks")
#define SKIP_WITHOUT_LINUX_INSTALL() \
    VORLUNE_SKIP_ON_WINDOWS("installs with the build machine's cmake, a Linux program; tools/windows.sh " \
                            "checks the Windows package instead")
