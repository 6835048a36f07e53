#pragma once
// Shared by the fuzz targets: scratch files per process for the readers, the layout
// bytes at the head of an input, and the check that a run ended in one of the
// analysis's own failures.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace geolago::fuzz {

// Stops the run as a crash, with what went wrong; libFuzzer keeps the input.
[[noreturn]] inline void fault(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what)
{
    if (!condition)
        fault(what);
}

// The scratch files a target may use at once.
inline constexpr int ScratchFiles = 2;

// A file in the temporary folder that belongs to this process, rewritten for each input:
// scratch file `slot`, from 0 to ScratchFiles - 1.
const std::string& scratchPath(int slot = 0);

// Replaces the content of scratch file `slot` with `bytes` and returns its path.
const std::string& writeScratch(std::string_view bytes, int slot = 0);

// Consumes the first byte of the input, or gives 0 when the input is exhausted.
inline std::uint8_t takeByte(const std::uint8_t*& data, std::size_t& size)
{
    if (size == 0)
        return 0;
    --size;
    return *data++;
}

}  // namespace geolago::fuzz
