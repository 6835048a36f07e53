#pragma once
// The first bytes of a file, read once when the formats are asked in turn whether they
// take it: each reader's look (Reader::identify, Reader::claims) reads the same head
// instead of opening the file again. A look that needs more bytes grows the head from the
// same descriptor; one that goes on through the whole file reads at its own offset
// without keeping what it reads. Only a regular file has a head: opening a pipe to look
// would take bytes from its reader, or wait for a writer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "inputfile.h"

namespace geolago {

class FileHead {
public:
    // What the head holds at first: enough for the first lines of every text format and
    // the magic numbers of the GIS formats.
    static constexpr std::size_t FirstBytes = 64 * 1024;

    // Opens `fileName` and reads its first `first` bytes when it is a regular file; any
    // other input, or one that does not open, has an empty head and is no regular file.
    explicit FileHead(std::string fileName, std::size_t first = FirstBytes);

    const std::string& fileName() const { return fileName_; }
    bool isRegularFile() const { return regular_; }
    // The file's size when it was opened.
    std::uint64_t fileSize() const { return fileSize_; }

    // The bytes held, from the start of the file.
    std::string_view bytes() const { return {data_.get(), held_}; }
    // Whether the bytes held are the whole file.
    bool whole() const { return ended_; }
    // The errno of a read of the head that failed, 0 when none did: the head then holds
    // the bytes before the failure and does not grow.
    int readError() const { return error_; }

    // The first `size` bytes of the file, fewer when it ends before: the head grows to
    // hold them.
    std::string_view upTo(std::size_t size) const;

    // Reads up to `size` bytes of the file at `offset` into `buffer`, without keeping
    // them: the number read, 0 at its end, or minus the errno of a failure.
    long readAt(char* buffer, std::size_t size, std::uint64_t offset) const;

    // Whether the first line of the file that holds data reads wholly as numbers of the
    // point file, within the bytes held before the first Ctrl-Z (startsWithNumberRow,
    // pointlayout.h): a point file, which no other format is asked about. Judged once.
    bool startsWithNumbers() const;

private:
    std::string fileName_;
    InputFile file_;
    bool regular_ = false;
    std::uint64_t fileSize_ = 0;
    // The head grows while the formats look at it, all of them through a const head.
    // Not a std::string: room made for a whole file is not filled with zeros first.
    mutable std::unique_ptr<char[]> data_;
    mutable std::size_t held_ = 0, room_ = 0;
    mutable bool ended_ = false;
    mutable int error_ = 0;
    mutable std::optional<bool> numbers_;
};

}  // namespace geolago
