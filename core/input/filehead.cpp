#include "filehead.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "pointlayout.h"
#include "textrules.h"

namespace geolago {

FileHead::FileHead(std::string fileName, std::size_t first) : fileName_(std::move(fileName))
{
    if (file_.open(fileName_, InputKinds::RegularFiles) != 0)
        return;
    regular_ = true;
    fileSize_ = file_.size();
    upTo(first);
}

std::string_view FileHead::upTo(std::size_t size) const
{
    if (!regular_)
        return {};
    // Room once for what the file holds, and one byte more to meet its end in the same
    // read, whatever is asked beyond; more only for a file that grew since it was opened.
    auto makeRoom = [&](std::size_t room) {
        auto larger = std::make_unique_for_overwrite<char[]>(room);
        std::copy_n(data_.get(), held_, larger.get());
        data_ = std::move(larger);
        room_ = room;
    };
    while (!ended_ && error_ == 0 && held_ < size) {
        if (held_ == room_) {
            const std::uint64_t whole = std::max<std::uint64_t>(fileSize_ + 1, held_ + FirstBytes);
            makeRoom(static_cast<std::size_t>(std::min<std::uint64_t>(size, whole)));
        }
        const long got = readAt(data_.get() + held_, room_ - held_, held_);
        if (got < 0)
            error_ = static_cast<int>(-got);
        else if (got == 0)
            ended_ = true;
        else
            held_ += static_cast<std::size_t>(got);
    }
    return bytes().substr(0, std::min(size, held_));
}

long FileHead::readAt(char* buffer, std::size_t size, std::uint64_t offset) const
{
    return file_.readAt(buffer, size, offset);
}

bool FileHead::startsWithNumbers() const
{
    if (!numbers_)
        numbers_ = startsWithNumberRow(textBefore(bytes(), PointFileEnd));
    return *numbers_;
}

}  // namespace geolago
