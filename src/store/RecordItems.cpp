#include "RecordItems.h"

#include "store/ValueText.h"

namespace tunexa::store::detail {

namespace {

constexpr std::uint8_t kKindMask = 0x0F;
constexpr std::uint8_t kSameKey = 0x10;
constexpr std::uint8_t kHasBefore = 0x20;
constexpr std::uint8_t kHasAfter = 0x40;

void putNumber(Bytes& out, std::uint64_t number) {
    do {
        const auto low = static_cast<std::uint8_t>(number & 0x7F);
        number >>= 7;
        out.push_back(number != 0 ? low | 0x80 : low);
    } while (number != 0);
}

template <typename Range>
void putBytes(Bytes& out, const Range& bytes) {
    putNumber(out, bytes.size());
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Reads the blob front to back; any read past its end or out of range leaves it failed.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> blob) : rest_(blob) {}

    bool atEnd() const { return rest_.empty(); }
    bool failed() const { return failed_; }

    std::uint8_t byte() {
        const auto taken = take(1);
        return taken.empty() ? 0 : taken[0];
    }

    std::uint64_t number() {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const auto part = take(1);
            if (part.empty()) {
                return 0;
            }
            value |= static_cast<std::uint64_t>(part[0] & 0x7F) << shift;
            if ((part[0] & 0x80) == 0) {
                return value;
            }
        }
        failed_ = true;
        return 0;
    }

    std::span<const std::uint8_t> bytes() {
        const std::uint64_t size = number();
        return take(size);
    }

    std::string text() {
        const auto raw = bytes();
        return std::string(raw.begin(), raw.end());
    }

  private:
    std::span<const std::uint8_t> take(std::uint64_t size) {
        if (failed_ || size > rest_.size()) {
            failed_ = true;
            return {};
        }
        const auto taken = rest_.first(static_cast<std::size_t>(size));
        rest_ = rest_.subspan(static_cast<std::size_t>(size));
        return taken;
    }

    std::span<const std::uint8_t> rest_;
    bool failed_ = false;
};

}  // namespace

Bytes packItems(std::span<const ChangeItem* const> items) {
    Bytes out;
    const ChangeItem* previous = nullptr;
    for (const ChangeItem* item : items) {
        const bool sameKey =
            previous != nullptr && previous->root == item->root && previous->key == item->key;
        out.push_back(static_cast<std::uint8_t>(
            static_cast<int>(item->kind) | (sameKey ? kSameKey : 0) |
            (item->before ? kHasBefore : 0) | (item->after ? kHasAfter : 0)));
        if (!sameKey) {
            for (int shift = 0; shift < 32; shift += 8) {
                out.push_back(static_cast<std::uint8_t>(item->root >> shift));
            }
            putBytes(out, item->key);
        }
        putBytes(out, item->name);
        for (const auto* image : {&item->before, &item->after}) {
            if (*image) {
                putNumber(out, (*image)->type);
                putBytes(out, (*image)->data);
            }
        }
        previous = item;
    }
    return out;
}

std::vector<ChangeItem> unpackItems(std::span<const std::uint8_t> blob, std::string& damage) {
    std::vector<ChangeItem> items;
    Reader reader(blob);
    while (!reader.atEnd() && damage.empty()) {
        const std::string where = "item " + std::to_string(items.size() + 1);
        const std::uint8_t head = reader.byte();
        const int kind = head & kKindMask;
        ChangeItem item;
        item.kind = static_cast<ItemKind>(kind);
        if ((head & kSameKey) != 0 && !items.empty()) {
            item.root = items.back().root;
            item.key = items.back().key;
        } else if ((head & kSameKey) == 0) {
            for (int shift = 0; shift < 32; shift += 8) {
                item.root |= static_cast<RootKey>(reader.byte()) << shift;
            }
            item.key = reader.text();
        }
        item.name = reader.text();
        for (const auto& [flag, image] :
             {std::pair{kHasBefore, &item.before}, std::pair{kHasAfter, &item.after}}) {
            if ((head & flag) != 0) {
                const std::uint64_t type = reader.number();
                const auto data = reader.bytes();
                if (type > 0xFFFFFFFFu) {
                    damage = where + " has a type out of range";
                }
                *image =
                    RawValue{static_cast<std::uint32_t>(type), Bytes(data.begin(), data.end())};
            }
        }
        if (reader.failed()) {
            damage = where + " is cut short";
        } else if (kind > static_cast<int>(ItemKind::File) || (head & 0x80) != 0) {
            damage = where + " is of an unknown kind (" + std::to_string(head) + ")";
        } else if ((head & kSameKey) != 0 && items.empty()) {
            damage = where + " refers to an item before the first";
        } else if (item.kind != ItemKind::File && rootLongName(item.root).empty()) {
            damage = where + " names no root key";
        }
        items.push_back(std::move(item));
    }
    if (items.empty() && damage.empty()) {
        damage = "it holds no items";
    }
    return items;
}

}  // namespace tunexa::store::detail
