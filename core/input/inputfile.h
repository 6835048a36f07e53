#pragma once
// A file opened for reading only, as both readers open theirs, and closed when the object
// goes, whatever happened; and the kinds of input a front end takes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace geolago {

// What a reader takes besides a folder, which it always refuses.
enum class InputKinds {
    // Regular files only: the windows, which a pipe without a writer or an endless device
    // would freeze.
    RegularFiles,
    // Pipes and devices too (a shell's <(...), /dev/stdin): the batch command, which waits
    // on a pipe as any command does.
    StreamsToo,
};

// What InputFile::open gives for an input that is not of the kinds asked; not an errno.
inline constexpr int NotRegularFile = -1;

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens `fileName` as an existing file of `kinds` for reading; 0, or the errno of the
    // refusal (EISDIR for a folder, which the system would open), or NotRegularFile.
    // With RegularFiles nothing waits: a named pipe is refused at once.
    int open(const std::string& fileName, InputKinds kinds = InputKinds::RegularFiles);

    // Reads up to `size` bytes into `buffer`, going on after a signal: the number read,
    // 0 at the end of the file, or minus the errno of the failure.
    long read(char* buffer, std::size_t size);

    // Reads up to `size` bytes at `offset` of a regular file into `buffer`, whatever was
    // read before: as read(), the file's position left where it was.
    long readAt(char* buffer, std::size_t size, std::uint64_t offset) const;

    // Whether the file opened is a regular file, which ends; a pipe or a device may not.
    bool isRegular() const { return regular_; }
    // The size of the regular file opened, when it was opened; 0 for any other input.
    std::uint64_t size() const { return size_; }

private:
    int fd_ = -1;
    bool regular_ = false;
    std::uint64_t size_ = 0;
};

}  // namespace geolago
