#pragma once
// Internal to the core: a file opened for reading only, as both readers open theirs, and
// closed when the object goes, whatever happened.

#include <cstddef>
#include <string>

namespace geolago {

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens `fileName` as an existing file for reading; 0, or the errno of the refusal
    // (EISDIR for a folder, which the system would open).
    int open(const std::string& fileName);

    // Reads up to `size` bytes into `buffer`, going on after a signal: the number read,
    // 0 at the end of the file, or minus the errno of the failure.
    long read(char* buffer, std::size_t size);

private:
    int fd_ = -1;
};

}  // namespace geolago
