// The loading worker's reply as bytes: what it writes into the memory it
// hands the viewer, and the viewer's reading of it. The viewer trusts none
// of it: every count is checked against the bytes there are, every index
// against its mesh's vertices, every image size against the limits, so a
// worker that a hostile file has taken over can make a request fail but
// cannot make the viewer read or draw out of bounds.
#pragma once

#include "loading/request/load_request.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The bytes `reply` to a `kind` request takes.
std::size_t replySize(const LoadReply& reply, LoadKind kind);
// What reading it will cost the viewer: its bytes, the records made from
// them and the driver's copy of its geometry, as readReply counts them.
std::uint64_t replyCost(const LoadReply& reply, LoadKind kind);

// Writes `reply` into `out`, which holds replySize(reply, kind) bytes.
void writeReply(const LoadReply& reply, LoadKind kind, unsigned char* out);

// Reads a reply to a `kind` request from the `size` bytes at `bytes`,
// which `owner` keeps alive: the meshes' vertices and indices and the
// image's pixels are used where they lie, and hold `owner` while they are
// in use. False, with `why` set, when the bytes are not a sound reply or
// would cost more than `allowance` bytes (0: no limit), which is checked
// as it is read, before anything is made of it.
bool readReply(LoadKind kind, std::uint64_t allowance, const std::shared_ptr<const void>& owner,
               const unsigned char* bytes, std::size_t size, LoadReply& reply, std::string& why);
