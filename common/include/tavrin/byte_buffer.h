// Memory reused from file to file: grows to the largest size asked and is never zero-filled, so
// reading or compressing many files costs no allocation or page clearing per file. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace tavrin {

class ByteBuffer {
public:
    ByteBuffer() = default;
    // A buffer moved from is empty again.
    ByteBuffer(ByteBuffer&& other) noexcept
        : data_(std::move(other.data_)), capacity_(std::exchange(other.capacity_, 0)) {}
    ByteBuffer& operator=(ByteBuffer&& other) noexcept {
        data_ = std::move(other.data_);
        capacity_ = std::exchange(other.capacity_, 0);
        return *this;
    }

    uint8_t* Reserve(size_t size) {
        if (size > capacity_) {
            data_.reset();  // release first: the old and new block need not coexist
            capacity_ = 0;
            data_.reset(new uint8_t[size]);
            capacity_ = size;
        }
        return data_.get();
    }
    uint8_t* Data() const { return data_.get(); }

private:
    std::unique_ptr<uint8_t[]> data_;
    size_t capacity_ = 0;
};

}  // namespace tavrin
