// The fields a reply is made of, written and read the same way by the
// common header (reply_format.cpp) and by each kind's own part: counts are
// 64-bit, strings a count and their bytes, and every field starts on an
// 8-byte boundary so that arrays can be read where they lie.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

inline constexpr std::size_t kReplyFieldAlignment = 8;
// The longest free text a reply holds (a failure, an import error, a
// folder): paths of a request's length, and a sentence.
inline constexpr std::size_t kMaxReplyTextBytes = std::size_t{1} << 17;

inline std::size_t alignedReplyField(std::size_t at)
{
    return (at + kReplyFieldAlignment - 1) / kReplyFieldAlignment * kReplyFieldAlignment;
}

// Writes through `out`, or only counts when it is null, so one walk of the
// reply gives both its size and its bytes, and what reading it will cost
// the viewer beyond them (its records: charge).
class ReplyWriter {
public:
    explicit ReplyWriter(unsigned char* out) : out_(out) {}

    // What the reader will be charged for the record written next.
    void charge(std::uint64_t bytes) { charged_ += bytes; }
    std::uint64_t charged() const { return charged_; }

    void bytes(const void* from, std::size_t size)
    {
        if (out_ != nullptr && size != 0) {
            std::memcpy(out_ + at_, from, size);
        }
        at_ = alignedReplyField(at_ + size);
    }
    template <class T>
    void value(const T& v)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        bytes(&v, sizeof(T));
    }
    void text(std::string_view s)
    {
        value(static_cast<std::uint64_t>(s.size()));
        bytes(s.data(), s.size());
    }
    template <class T>
    void list(const T* items, std::size_t count)
    {
        value(static_cast<std::uint64_t>(count));
        bytes(items, count * sizeof(T));
    }
    std::size_t size() const { return at_; }

private:
    unsigned char* out_;
    std::size_t at_ = 0;
    std::uint64_t charged_ = 0;
};

// Reads the reply's fields in order; the first field that does not fit, or
// does not make sense, stops it with a reason. What reading costs the
// viewer is charged against an allowance before it is spent, so that a
// reply which names a million meshes in a few bytes fails instead of
// growing the viewer.
class ReplyReader {
public:
    // `allowance`: the bytes the reply may cost the viewer in all, its own
    // included; 0 for no limit beyond the checks.
    ReplyReader(const unsigned char* bytes, std::size_t size, std::uint64_t allowance = 0)
        : bytes_(bytes), size_(size), allowance_(allowance)
    {
        charge(size, "the reply");
    }

    // Counts `bytes` that reading the next record will cost; fails when
    // that passes the allowance.
    void charge(std::uint64_t bytes, const char* what)
    {
        charged_ += bytes;
        if (allowance_ != 0 && charged_ > allowance_) {
            fail(std::string(what) + " would take the reply past the " + std::to_string(allowance_ >> 20) +
                 " MiB allowed for it");
        }
    }

    bool failed() const { return !why_.empty(); }
    const std::string& why() const { return why_; }
    void fail(std::string why)
    {
        if (why_.empty()) {
            why_ = std::move(why);
        }
    }

    // The next `size` bytes, or null (and failed) when there are not as many.
    const unsigned char* take(std::size_t size, const char* what)
    {
        if (failed()) {
            return nullptr;
        }
        if (size > size_ - at_) {
            fail(std::string(what) + " runs past the end of the reply");
            return nullptr;
        }
        const unsigned char* here = bytes_ + at_;
        at_ = std::min(size_, alignedReplyField(at_ + size));
        return here;
    }
    template <class T>
    T value(const char* what)
    {
        T v{};
        if (const unsigned char* here = take(sizeof(T), what)) {
            std::memcpy(&v, here, sizeof(T));
        }
        return v;
    }
    // At most `longest` bytes, checked before anything is copied.
    std::string text(const char* what, std::size_t longest)
    {
        const auto count = value<std::uint64_t>(what);
        if (!failed() && count > longest) {
            fail(std::string(what) + " of " + std::to_string(count) + " bytes, more than the " +
                 std::to_string(longest) + " it may have");
        }
        const unsigned char* here = take(count, what);
        return here == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(here), count);
    }
    // `count` items of T: checked against the bytes left before multiplying,
    // so no count can wrap.
    template <class T>
    const T* list(std::uint64_t& count, const char* what)
    {
        count = value<std::uint64_t>(what);
        if (!failed() && count > (size_ - at_) / sizeof(T)) {
            fail(std::string(what) + ": " + std::to_string(count) + " of them run past the end of the reply");
            return nullptr;
        }
        return reinterpret_cast<const T*>(take(count * sizeof(T), what));
    }
    bool atEnd() const { return at_ == size_; }

private:
    const unsigned char* bytes_;
    std::size_t size_;
    std::uint64_t allowance_;
    std::uint64_t charged_ = 0;
    std::size_t at_ = 0;
    std::string why_;
};
