#include <gtest/gtest.h>

template <typename F>
std::string captureStdout(F&& body)
{
    testing::internal::CaptureStdout();
    body();
    return testing::internal::GetCapturedStdout();
}
