// Everything that sets one kind of load request apart, in one entry per
// kind (request_kinds.cpp): how failure lines name it, its limits, the work
// that answers it, whether a reply holds what it asked for, and how its
// part of the reply is written and read. A new kind is its entry and its
// case in findRequestKind, which the compiler asks for (-Werror=switch).
#pragma once

#include "loading/request/load_request.h"

#include <memory>
#include <string>

class ReplyWriter;
class ReplyReader;

struct RequestKind {
    // As failure lines name a request of the kind: "a model import".
    const char* name;
    LoadLimits limits;
    // Does the work in this process, into the kind's part of `reply`.
    void (*run)(const std::string& path, LoadReply& reply);
    // Whether `reply` holds what was asked for; a reply that does not has failed.
    bool (*answered)(const LoadReply& reply);
    // The kind's part of a reply, after the part every reply has
    // (reply_format.h); what is read points into memory `owner` keeps alive.
    void (*write)(const LoadReply& reply, ReplyWriter& out);
    void (*read)(ReplyReader& in, const std::shared_ptr<const void>& owner, LoadReply& reply);
};

// Null for a value that names no kind (from a request message, say).
const RequestKind* findRequestKind(LoadKind kind);
// For the kinds this program makes requests of, which all have an entry.
const RequestKind& requestKind(LoadKind kind);
