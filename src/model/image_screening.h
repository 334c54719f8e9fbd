// Screens image bytes, before the decoder is let near them, for the
// structures on which this system's stb_image (2.27) writes past its own
// tables.
// Not a validator: bytes that pass may still fail to decode, which the
// decoder then reports without harm.
#pragma once

#include <cstddef>
#include <string>

// Empty unless the bytes hold a structure the decoder would write past its
// tables for (a JPEG Huffman table with more codes than a table has room
// for); then why they are refused, in a few lowercase words. Safe to run
// before the decoder reads any header.
std::string imageStructureFailure(const unsigned char* bytes, std::size_t size);
