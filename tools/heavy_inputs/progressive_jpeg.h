// A progressive JPEG whose decoding work grows with its number of scans while
// each scan adds only a few bytes: the input that shows whether the decoder's
// work per file is bounded. Needs nothing but the standard library.
#pragma once

#include <string>

// A grey `width` x `height` progressive JPEG (SOF2) of `scans` scans: the DC
// coefficients of every block first, then `scans - 1` AC scans, each coding
// every block as one run of empty blocks. The AC scans take the 63 AC
// coefficients one at a time in turn, so up to 64 scans are an ordinary
// spectral-selection image. stb_image decodes it to a uniform mid grey; the
// same arguments always give the same bytes. Empty for sides outside
// 1..65535 or fewer than one scan.
std::string progressiveJpeg(int width, int height, int scans);
