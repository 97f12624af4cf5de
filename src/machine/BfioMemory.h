#pragma once

// Bytes in memory as a libbfio handle, for libcreg to read a registry file that never touches
// the disk (SYSTEM.DAT read out of a disk image). libbfio's own memory range is not used: the
// version Debian 12 ships copies the whole size asked for even when a read crosses the range's
// end, reading past the bytes on a file cut short; this handle stops at the end as a file does.

#include <libbfio.h>

#include <cstddef>
#include <memory>
#include <string_view>

namespace tunexa::machine {

class BfioMemory {
  public:
    // The bytes must outlive the handle; they are only read.
    explicit BfioMemory(std::string_view bytes);
    ~BfioMemory();
    BfioMemory(const BfioMemory&) = delete;
    BfioMemory& operator=(const BfioMemory&) = delete;

    // Null when libbfio could not make the handle.
    libbfio_handle_t* handle() const { return handle_; }

    struct Reader {
        std::string_view bytes;
        std::size_t offset = 0;
        bool open = false;
    };

  private:
    Reader reader_;
    libbfio_handle_t* handle_ = nullptr;
};

}  // namespace tunexa::machine
