// The part every reply has: a header (magic, kind, decode time, failure and
// whether it was memory),
// then the part of its kind (request_kinds.h), and nothing after it.
#include "loading/request/reply_format.h"

#include "loading/request/reply_fields.h"
#include "loading/request/request_kinds.h"

namespace {

constexpr std::uint32_t kReplyMagic = 0x564C5259;  // "VLRY"

void walk(const LoadReply& reply, LoadKind kind, ReplyWriter& w)
{
    w.value(kReplyMagic);
    w.value(kind);
    w.value(reply.decodeMs);
    w.text(reply.failure);
    w.value(static_cast<std::uint32_t>(reply.overMemoryLimit));
    requestKind(kind).write(reply, w);
}

}  // namespace

std::size_t replySize(const LoadReply& reply, LoadKind kind)
{
    ReplyWriter counter(nullptr);
    walk(reply, kind, counter);
    return counter.size();
}

std::uint64_t replyCost(const LoadReply& reply, LoadKind kind)
{
    ReplyWriter counter(nullptr);
    walk(reply, kind, counter);
    return counter.size() + counter.charged();
}

void writeReply(const LoadReply& reply, LoadKind kind, unsigned char* out)
{
    ReplyWriter writer(out);
    walk(reply, kind, writer);
}

bool readReply(LoadKind kind, std::uint64_t allowance, const std::shared_ptr<const void>& owner,
               const unsigned char* bytes, std::size_t size, LoadReply& reply, std::string& why)
{
    reply = LoadReply{};
    ReplyReader r(bytes, size, allowance);
    if (r.value<std::uint32_t>("the header") != kReplyMagic || r.value<LoadKind>("the header") != kind) {
        r.fail("not a reply to this request");
    }
    reply.decodeMs = r.value<double>("the decode time");
    reply.failure = r.text("the failure", kMaxReplyTextBytes);
    const auto overMemory = r.value<std::uint32_t>("the memory flag");
    if (overMemory > 1 || (overMemory == 1 && reply.failure.empty())) {
        r.fail("a memory flag of " + std::to_string(overMemory));
    }
    reply.overMemoryLimit = overMemory == 1;
    requestKind(kind).read(r, owner, reply);
    if (!r.failed() && !r.atEnd()) {
        r.fail("bytes after the end of the reply");
    }
    if (!r.failed() && !(reply.decodeMs >= 0.0)) {
        r.fail("a decode time of " + std::to_string(reply.decodeMs) + " ms");
    }
    why = r.why();
    if (r.failed()) {
        reply = LoadReply{};
        return false;
    }
    return true;
}
