// The tools' command lines, read the same way by each: values parsed with
// range checks (never atoi, which turns "abc" into 0 and wraps on overflow),
// one-line refusals that name the argument, and the exits that go with them.
#pragma once

#include "common/frame_size.h"

#include <optional>
#include <string>

struct WholeNumberRange {
    long least;
    long most;
};

struct DecimalRange {
    double least;
    double most;
};

// The whole number `text` spells in decimal, if it lies in `range`; signs
// are allowed, anything else around the digits is not.
std::optional<long> parseWholeNumber(const std::string& text, WholeNumberRange range);
// The decimal `text` spells, if it is finite and lies in `range`.
std::optional<double> parseDecimal(const std::string& text, DecimalRange range);
// "on" or "off".
std::optional<bool> parseSwitch(const std::string& text);

// Each side of a frame a tool may be asked to render, in pixels. At least 16,
// so that the half-size bloom targets keep a few pixels each way; at most
// 8192, the largest texture and renderbuffer side every GL 3.3-class GPU
// makes (Direct3D 10 hardware's floor), which still holds 8K UHD (7680x4320).
constexpr WholeNumberRange kFrameSideRange{16, 8192};

// WIDTHxHEIGHT in decimal digits ("1920x1080"), each side in kFrameSideRange;
// no signs, blanks or upper-case X.
std::optional<FrameSize> parseFrameSize(const std::string& text);

// "NAME takes WHAT from LEAST to MOST, not TEXT".
std::string rangeRefusal(const std::string& name, const std::string& what, WholeNumberRange range,
                         const std::string& text);
std::string rangeRefusal(const std::string& name, const std::string& what, DecimalRange range,
                         const std::string& text);

// "NAME takes WIDTHxHEIGHT in pixels, each from 16 to 8192, not TEXT".
std::string frameSizeRefusal(const std::string& name, const std::string& text);

// "unknown option ARGUMENT" for one that starts with '-', else "unexpected
// argument ARGUMENT".
std::string unknownArgumentRefusal(const std::string& argument);

bool isHelpRequest(const std::string& argument);

// Hands out argv's arguments in order; an option's value is the argument
// after it.
class ArgumentList {
public:
    ArgumentList(int argc, char** argv) : argc_(argc), argv_(argv) {}
    bool done() const { return next_ >= argc_; }
    std::string take() { return argv_[next_++]; }
    // The value after `option`; when there is none, nothing, and `refusal`
    // says so.
    std::optional<std::string> takeValue(const std::string& option, std::string& refusal);

private:
    int argc_;
    char** argv_;
    int next_ = 1;  // argv[0] is the program
};

// Why a tool's command line ends it before it runs.
struct CommandLineStop {
    bool helpAsked = false;
    std::string refusal;  // one line, when an argument was refused
};

// Prints the usage on standard output for --help and gives 0; otherwise
// prints "PROGRAM: REFUSAL" and the usage on standard error and gives 2,
// the status for a command line used wrongly. The tool exits with it.
int reportCommandLineStop(const char* program, const CommandLineStop& stop, const std::string& usage);
