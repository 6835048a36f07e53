#pragma once
// The standard output of geolago-cli: a stream buffer over a file descriptor that keeps
// the reason a write failed, which an iostream does not tell.

#include <ostream>
#include <streambuf>
#include <string>

namespace geolago::cli {

class DescriptorBuffer : public std::streambuf {
public:
    // Writes to `descriptor`, which stays open after the buffer.
    explicit DescriptorBuffer(int descriptor);
    ~DescriptorBuffer() override;
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

    // The errno of the first write that failed; 0 while none has.
    int error() const noexcept { return error_; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Writes what the buffer holds; false once a write has failed.
    bool drain();

    int descriptor_;
    int error_ = 0;
    char buffer_[64 * 1024];
};

// Why writing to `out` failed: the system's text when `out` writes through a
// DescriptorBuffer, a plain statement otherwise.
std::string writeFailureReason(const std::ostream& out);

}  // namespace geolago::cli
