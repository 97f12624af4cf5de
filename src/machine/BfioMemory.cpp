#include "machine/BfioMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tunexa::machine {

namespace {

using Reader = BfioMemory::Reader;

Reader& readerOf(intptr_t* io) {
    return *reinterpret_cast<Reader*>(io);
}

// The handle's functions, as libbfio calls them: 1 (or a count) for success, -1 for failure.
int freeReader(intptr_t** io, libbfio_error_t**) {
    *io = nullptr;  // owned by the BfioMemory
    return 1;
}
int cannotClone(intptr_t**, intptr_t*, libbfio_error_t**) {
    return -1;
}
int openReader(intptr_t* io, int access, libbfio_error_t**) {
    if ((access & LIBBFIO_ACCESS_FLAG_WRITE) != 0) {
        return -1;
    }
    readerOf(io).offset = 0;
    readerOf(io).open = true;
    return 1;
}
int closeReader(intptr_t* io, libbfio_error_t**) {
    readerOf(io).open = false;
    return 0;
}
ssize_t readBytes(intptr_t* io, std::uint8_t* buffer, std::size_t size, libbfio_error_t**) {
    Reader& reader = readerOf(io);
    if (!reader.open) {
        return -1;
    }
    const std::size_t left = reader.bytes.size() - std::min(reader.offset, reader.bytes.size());
    const std::size_t count = std::min(size, left);
    if (count > 0) {
        std::memcpy(buffer, reader.bytes.data() + reader.offset, count);
    }
    reader.offset += count;
    return static_cast<ssize_t>(count);
}
ssize_t cannotWrite(intptr_t*, const std::uint8_t*, std::size_t, libbfio_error_t**) {
    return -1;
}
off64_t seekTo(intptr_t* io, off64_t offset, int whence, libbfio_error_t**) {
    Reader& reader = readerOf(io);
    const off64_t base = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? static_cast<off64_t>(reader.offset)
                         : whence == SEEK_END ? static_cast<off64_t>(reader.bytes.size())
                                              : -1;
    if (base < 0 || offset < -base || offset > std::numeric_limits<off64_t>::max() - base) {
        return -1;
    }
    reader.offset = static_cast<std::size_t>(base + offset);
    return base + offset;
}
int exists(intptr_t*, libbfio_error_t**) {
    return 1;
}
int isOpen(intptr_t* io, libbfio_error_t**) {
    return readerOf(io).open ? 1 : 0;
}
int sizeOf(intptr_t* io, size64_t* size, libbfio_error_t**) {
    *size = readerOf(io).bytes.size();
    return 1;
}

}  // namespace

BfioMemory::BfioMemory(std::string_view bytes) : reader_{bytes} {
    libbfio_error_t* error = nullptr;
    if (libbfio_handle_initialize(&handle_, reinterpret_cast<intptr_t*>(&reader_), freeReader,
                                  cannotClone, openReader, closeReader, readBytes, cannotWrite,
                                  seekTo, exists, isOpen, sizeOf,
                                  LIBBFIO_FLAG_IO_HANDLE_NON_MANAGED, &error) != 1) {
        libbfio_error_free(&error);
        handle_ = nullptr;
    }
}

BfioMemory::~BfioMemory() {
    if (handle_ != nullptr) {
        libbfio_handle_free(&handle_, nullptr);
    }
}

}  // namespace tunexa::machine
