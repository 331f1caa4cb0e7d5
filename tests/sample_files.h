// Generated files of each kind the settings search knows, laid out as their formats say, with
// real checksums (zlib's, not the search's own).
#pragma once

#include <random>

#include "recovery/file_kind.h"
#include "test_support.h"

namespace pomuru::test {

// A small file of the kind; the random generator picks its sizes and contents.
Bytes SampleFile(recovery::FileKind kind, std::mt19937& random);

// The smallest PNG: a 1 x 1 picture's header and the end, no data; then filler bytes that no
// chunk and no checksum covers.
Bytes SmallestPng(std::size_t filler);

}  // namespace pomuru::test
