#include "W9xRegistry.h"

#include <libcreg.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <unordered_set>
#include <utility>

#include "machine/BfioMemory.h"
#include "regfile/Roots.h"
#include "store/Ansi.h"
#include "store/KeyPath.h"

namespace tunexa::machine {

using regfile::KeyName;
using regfile::RegOperation;

namespace {

// The key navigation record, as libyal's public "Windows 9x Registry File (CREG) format"
// describes it: it starts right after the 32-byte file header with "RGKN" and its size, then the
// offset of the root key's entry; each key entry is 28 bytes and names its first subkey and its
// next sibling by offset from the record's start, 0xFFFFFFFF for none.
constexpr std::size_t kFileHeaderSize = 32;
constexpr std::size_t kKeyEntrySize = 28;
constexpr std::size_t kFirstSubkeyField = 16;
constexpr std::size_t kNextSiblingField = 20;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
// The file header and the key record's size and root entry: what the loop check needs first.
constexpr std::size_t kKeyRecordStart = kFileHeaderSize + 12;

std::uint32_t readLe32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3 - i]))
                 << (8 * (3 - i));
    }
    return value;
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", value);
    return text;
}

// libcreg follows first-subkey and next-sibling links without remembering where it has been, so
// a crafted file whose links loop would keep it reading forever. Every entry of a sound tree is
// reached exactly once; an entry reached twice means a loop (or keys sharing a subtree), and the
// file is refused before libcreg walks it. Links that point outside the record are left to
// libcreg, which reports them.
// `bytes`: the file from its start, at least as far as the key record goes (or all there is).
std::optional<std::string> keyTreeLoop(std::string_view bytes) {
    if (bytes.size() < kKeyRecordStart || bytes.substr(kFileHeaderSize, 4) != "RGKN") {
        return std::nullopt;
    }
    const std::string_view record =
        bytes.substr(kFileHeaderSize, readLe32(bytes, kFileHeaderSize + 4));

    std::unordered_set<std::uint32_t> reached;
    std::vector<std::uint32_t> pending = {readLe32(bytes, kFileHeaderSize + 8)};
    while (!pending.empty()) {
        const std::uint32_t entry = pending.back();
        pending.pop_back();
        if (entry == kNoEntry || std::size_t{entry} + kKeyEntrySize > record.size()) {
            continue;
        }
        if (!reached.insert(entry).second) {
            return "the key tree is damaged: the key entry at offset " + hex(entry) +
                   " is reached twice (its links loop)";
        }
        pending.push_back(readLe32(record, entry + kNextSiblingField));
        pending.push_back(readLe32(record, entry + kFirstSubkeyField));
    }
    return std::nullopt;
}

// The file's beginning as far as its key record goes (no further than the file), for
// keyTreeLoop().
std::string keyRecordOf(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::string bytes(kKeyRecordStart, '\0');
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(file, error);
    if (error || !stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        return {};
    }
    const std::size_t end = std::min<std::uintmax_t>(
        kFileHeaderSize + std::uintmax_t{readLe32(bytes, kFileHeaderSize + 4)}, fileSize);
    if (end > bytes.size()) {
        bytes.resize(end);
        stream.read(bytes.data() + kKeyRecordStart,
                    static_cast<std::streamsize>(end - kKeyRecordStart));
        bytes.resize(kKeyRecordStart + static_cast<std::size_t>(stream.gcount()));
    }
    return bytes;
}

// libcreg's explanation of an error, innermost cause first, one line each; frees the error.
std::string explain(libcreg_error_t*& error) {
    if (error == nullptr) {
        return "libcreg gave no reason";
    }
    std::string text(4096, '\0');
    if (libcreg_error_backtrace_sprint(error, text.data(), text.size()) < 0) {
        libcreg_error_sprint(error, text.data(), text.size());
    }
    libcreg_error_free(&error);
    text.resize(text.find('\0'));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

struct KeyDeleter {
    void operator()(libcreg_key_t* key) const { libcreg_key_free(&key, nullptr); }
};
struct ValueDeleter {
    void operator()(libcreg_value_t* value) const { libcreg_value_free(&value, nullptr); }
};
struct FileDeleter {
    void operator()(libcreg_file_t* file) const {
        libcreg_file_close(file, nullptr);
        libcreg_file_free(&file, nullptr);
    }
};
using KeyHandle = std::unique_ptr<libcreg_key_t, KeyDeleter>;
using ValueHandle = std::unique_ptr<libcreg_value_t, ValueDeleter>;

// Thrown inside the walk when libcreg reports an error; caught once in readW9xRegistry.
struct Damage {
    std::string reason;
};

void check(int status, libcreg_error_t*& error) {
    if (status != 1) {
        throw Damage{explain(error)};
    }
}

constexpr std::string_view kLossyName =
    "the name has characters Windows-1252 lacks; each was stored as '?'";

class Walker {
  public:
    Walker(const W9xReadOptions& options, W9xReadResult& result)
        : options_(options), result_(result) {}

    // The name of a key or value: the raw bytes in the file's code page, or libcreg's UTF-8
    // decoding of them converted to Windows-1252.
    template <typename Handle, typename SizeFn, typename NameFn, typename Utf8SizeFn,
              typename Utf8Fn>
    std::string name(Handle* handle, SizeFn size, NameFn get, Utf8SizeFn utf8Size, Utf8Fn utf8,
                     bool& lossy) {
        libcreg_error_t* error = nullptr;
        const bool raw = options_.codepage == kDefaultW9xCodepage;
        std::size_t length = 0;
        check(raw ? size(handle, &length, &error) : utf8Size(handle, &length, &error), error);
        std::string text(length, '\0');
        if (length > 0) {
            auto* bytes = reinterpret_cast<std::uint8_t*>(text.data());
            check(raw ? get(handle, bytes, length, &error) : utf8(handle, bytes, length, &error),
                  error);
        }
        while (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        lossy = false;
        if (raw) {
            return text;
        }
        bool lossless = true;
        std::string converted = ansi::fromUtf8(text, &lossless);
        lossy = !lossless;
        return converted;
    }

    std::string keyName(libcreg_key_t* key, bool& lossy) {
        return name(key, libcreg_key_get_name_size, libcreg_key_get_name,
                    libcreg_key_get_utf8_name_size, libcreg_key_get_utf8_name, lossy);
    }

    // The key at `path`, `depth` levels below the store's root, its values and everything below
    // it.
    void readKey(libcreg_key_t* key, const std::string& path, std::size_t depth) {
        if (!path.empty()) {
            RegOperation create;
            create.root = options_.root;
            create.key = path;
            result_.operations.push_back(std::move(create));
            ++result_.keys;
        }
        forEachValue(key, [&](libcreg_value_t* raw) {
            readValue(ValueHandle(raw).get(), path);
            return false;
        });
        forEachSubkey(key, [&](libcreg_key_t* raw) {
            const KeyHandle subkey(raw);
            bool lossy = false;
            const std::string child = keyName(subkey.get(), lossy);
            const std::string childPath = store::joinPath(path, child);
            if (child.empty() || child.find('\\') != std::string::npos) {
                warn(fullName(path), "a subkey named \"" + child +
                                         "\" cannot be stored (an empty name or one holding "
                                         "'\\'); it and everything below it were skipped");
            } else if (const auto refusal = store::keyRefusal(depth + 1, child.size())) {
                warn(fullName(childPath), *refusal + "; it and everything below it were skipped");
            } else {
                if (lossy) {
                    warn(fullName(childPath), kLossyName);
                }
                readKey(subkey.get(), childPath, depth + 1);
            }
            return false;
        });
    }

    // The subkey of `key` named `wanted` without regard to case, with its name as the file
    // spells it; nothing when there is none.
    std::optional<std::pair<KeyHandle, std::string>> findSubkey(libcreg_key_t* key,
                                                                std::string_view wanted) {
        std::optional<std::pair<KeyHandle, std::string>> found;
        forEachSubkey(key, [&](libcreg_key_t* raw) {
            KeyHandle subkey(raw);
            bool lossy = false;
            std::string spelled = keyName(subkey.get(), lossy);
            if (ansi::equalsIgnoringCase(spelled, wanted)) {
                found.emplace(std::move(subkey), std::move(spelled));
            }
            return found.has_value();
        });
        return found;
    }

  private:
    // Hands each value (or subkey) of `key`, in the file's order, to `visit`, which owns it, until
    // `visit` returns true.
    template <typename Child, typename Count, typename Get, typename Visit>
    void forEachChild(libcreg_key_t* key, Count count, Get get, Visit visit) {
        libcreg_error_t* error = nullptr;
        int number = 0;
        check(count(key, &number, &error), error);
        for (int i = 0; i < number; ++i) {
            Child* raw = nullptr;
            check(get(key, i, &raw, &error), error);
            if (visit(raw)) {
                return;
            }
        }
    }
    template <typename Visit>
    void forEachValue(libcreg_key_t* key, Visit visit) {
        forEachChild<libcreg_value_t>(key, libcreg_key_get_number_of_values,
                                      libcreg_key_get_value_by_index, visit);
    }
    template <typename Visit>
    void forEachSubkey(libcreg_key_t* key, Visit visit) {
        forEachChild<libcreg_key_t>(key, libcreg_key_get_number_of_sub_keys,
                                    libcreg_key_get_sub_key_by_index, visit);
    }

    void readValue(libcreg_value_t* value, const std::string& path) {
        bool lossy = false;
        const std::string valueName =
            name(value, libcreg_value_get_name_size, libcreg_value_get_name,
                 libcreg_value_get_utf8_name_size, libcreg_value_get_utf8_name, lossy);
        if (const auto refusal = store::valueNameRefusal(valueName)) {
            warn(fullName(path), *refusal + "; the value was skipped");
            return;
        }
        if (lossy) {
            warn(fullName(path) + ", value \"" + valueName + "\"", kLossyName);
        }
        libcreg_error_t* error = nullptr;
        RegOperation op;
        op.kind = RegOperation::Kind::SetValue;
        op.root = options_.root;
        op.key = path;
        op.name = valueName;
        check(libcreg_value_get_value_type(value, &op.type, &error), error);
        std::size_t size = 0;
        check(libcreg_value_get_value_data_size(value, &size, &error), error);
        op.data.resize(size);
        if (size > 0) {
            check(libcreg_value_get_value_data(value, op.data.data(), size, &error), error);
        }
        result_.operations.push_back(std::move(op));
        ++result_.values;
    }

    // The key's name for a warning; the middle of a very long one left out.
    std::string fullName(const std::string& path) const {
        std::string name = KeyName{options_.root, path}.fullName();
        if (name.size() > 160) {
            name = name.substr(0, 80) + "..." + name.substr(name.size() - 60);
        }
        return name;
    }

    void warn(const std::string& where, std::string_view message) {
        result_.warnings.push_back(where + ": " + std::string(message));
    }

    const W9xReadOptions& options_;
    W9xReadResult& result_;
};

void readFromRoot(libcreg_key_t* root, const W9xReadOptions& options, W9xReadResult& result) {
    Walker walker(options, result);
    if (options.subtrees.empty()) {
        walker.readKey(root, "", 0);
        return;
    }
    for (const auto& subtree : options.subtrees) {
        std::vector<KeyHandle> opened;  // each level stays open while its subkeys are read
        std::string path;
        libcreg_key_t* key = root;
        for (const auto wanted : store::components(subtree)) {
            auto found = walker.findSubkey(key, wanted);
            if (!found) {
                key = nullptr;
                break;
            }
            path = store::joinPath(path, found->second);
            opened.push_back(std::move(found->first));
            key = opened.back().get();
        }
        if (key == nullptr) {
            result.missingSubtrees.push_back(subtree);
        } else {
            walker.readKey(key, path, opened.size());
        }
    }
}

// Opens the file through `open`, refuses a key tree that loops (`keyRecord`: the file's
// beginning, keyTreeLoop()), then reads what `options` ask for.
template <typename Open>
W9xReadResult readCreg(Open open, std::string_view keyRecord, const W9xReadOptions& options) {
    W9xReadResult result;
    libcreg_error_t* error = nullptr;
    libcreg_file_t* raw = nullptr;
    if (libcreg_file_initialize(&raw, &error) != 1) {
        result.failure = explain(error);
        return result;
    }
    const std::unique_ptr<libcreg_file_t, FileDeleter> handle(raw);
    if (libcreg_file_set_ascii_codepage(raw, options.codepage, &error) != 1) {
        libcreg_error_free(&error);
        result.failure = "code page " + std::to_string(options.codepage) +
                         " is not one libcreg reads (1250 to 1258, 874, 932, 936, 949, 950)";
        return result;
    }
    if (open(raw, &error) != 1) {
        result.failure = explain(error);
        return result;
    }
    if (const auto loop = keyTreeLoop(keyRecord)) {
        result.outcome = W9xReadOutcome::Damaged;
        result.failure = *loop;
        return result;
    }
    try {
        libcreg_key_t* rootKey = nullptr;
        const int found = libcreg_file_get_root_key(raw, &rootKey, &error);
        if (found == 0) {
            result.outcome = W9xReadOutcome::NoRootKey;
            result.failure =
                "the file holds no root key: its first data block or its key tree is damaged "
                "or cut short";
            return result;
        }
        check(found, error);
        const KeyHandle root(rootKey);
        readFromRoot(root.get(), options, result);
        result.outcome = W9xReadOutcome::Read;
    } catch (const Damage& damage) {
        result = {};
        result.outcome = W9xReadOutcome::Damaged;
        result.failure = damage.reason;
    }
    return result;
}

}  // namespace

bool startsWithW9xSignature(std::string_view fileBytes) {
    return fileBytes.starts_with(kW9xSignature);
}

store::HKEY defaultW9xRoot(const std::filesystem::path& file) {
    return ansi::equalsIgnoringCase(file.filename().string(), "USER.DAT")
               ? store::HKEY_USERS
               : store::HKEY_LOCAL_MACHINE;
}

W9xReadResult readW9xRegistry(const std::filesystem::path& file, const W9xReadOptions& options) {
    return readCreg(
        [&file](libcreg_file_t* opened, libcreg_error_t** error) {
            return libcreg_file_open(opened, file.c_str(), LIBCREG_OPEN_READ, error);
        },
        keyRecordOf(file), options);
}

W9xReadResult readW9xRegistryBytes(std::string_view bytes, const W9xReadOptions& options) {
    const BfioMemory memory(bytes);
    if (memory.handle() == nullptr) {
        W9xReadResult result;
        result.failure = "libbfio cannot hand the bytes read to libcreg";
        return result;
    }
    return readCreg(
        [&memory](libcreg_file_t* opened, libcreg_error_t** error) {
            return libcreg_file_open_file_io_handle(opened, memory.handle(), LIBCREG_OPEN_READ,
                                                    error);
        },
        bytes, options);
}

}  // namespace tunexa::machine
