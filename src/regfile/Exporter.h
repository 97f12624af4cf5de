#pragma once

// Writes regedit files laid out the way Windows 95/98 regedit writes REGEDIT4 (or Windows
// 2000/XP regedit writes Version 5.00), so regedit imports them to the same values: a key of the
// hive with everything below it, or any list of keys, values and deletions.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "RegFile.h"
#include "Roots.h"
#include "store/Hive.h"

namespace tunexa::regfile {

// A regedit file written key by key: the header, then each key with its lines, CR LF throughout,
// a blank line before each key and at the end. Texts go out as "text", double words as dword:,
// anything else as hex: or hex(N):, split over lines of at most 80 characters as regedit does.
class RegFileWriter {
  public:
    explicit RegFileWriter(RegFileFormat format = RegFileFormat::Regedit4);

    void key(const KeyName& key);
    // A value of the key last begun; "" is the default value (@).
    void value(std::string_view name, std::uint32_t type, const store::Bytes& data);
    // `"name"=-`: regedit deletes the value.
    void deletion(std::string_view name);
    // The file's bytes (UTF-16 LE with a BOM for Version 5.00).
    std::string finish();

  private:
    RegFileFormat format_;
    std::string text_;
};

// The file's bytes; nothing when the key does not exist.
std::optional<std::string> exportRegFile(store::Hive& hive, const KeyName& key,
                                         RegFileFormat format = RegFileFormat::Regedit4);

}  // namespace tunexa::regfile
