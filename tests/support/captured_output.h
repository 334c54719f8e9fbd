// What a piece of code prints, for tests of the viewer's messages.
#pragma once

#include <gtest/gtest.h>

#include <string>

// Runs `body` with standard output captured and returns what it printed.
template <typename F>
std::string captureStdout(F&& body)
{
    testing::internal::CaptureStdout();
    body();
    return testing::internal::GetCapturedStdout();
}
