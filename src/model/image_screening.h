// Screens image bytes for the structures on which this system's stb_image
// (2.27) writes past its own tables, before the decoder is let near them.
// Not a validator: bytes that pass may still fail to decode, which the
// decoder then reports without harm.
#pragma once

#include <cstddef>

// False for a JPEG whose Huffman table definitions hold more codes than a
// table has room for; true for anything else.
bool imageBytesSafeToDecode(const unsigned char* bytes, std::size_t size);
