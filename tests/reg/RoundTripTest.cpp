#include <random>

#include "Exporter.h"
#include "Importer.h"
#include "RegTestSupport.h"

namespace tunexa::regtool::test {
namespace {

using namespace std::string_literals;
using store::HKEY_LOCAL_MACHINE;

struct Snapshot {
    std::vector<std::string> keys;  // paths, spelled as stored
    std::vector<std::tuple<std::string, std::string, std::uint32_t, store::Bytes>> values;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(store::Hive& hive, store::HKEY root, const std::string& path) {
    Snapshot shot;
    std::vector<std::string> pending = {path};
    while (!pending.empty()) {
        const std::string key = pending.back();
        pending.pop_back();
        shot.keys.push_back(key);
        for (auto& value : hive.values(root, key)) {
            shot.values.emplace_back(key, value.name, value.type, value.data);
        }
        for (const auto& child : hive.subkeys(root, key)) {
            pending.push_back(joinPath(key, child));
        }
    }
    return shot;
}

std::string everyByteButNul() {
    std::string text;
    for (int c = 1; c < 256; ++c) {
        text += static_cast<char>(c);
    }
    return text;
}

class RoundTrip : public RegTest, public ::testing::WithParamInterface<RegFileFormat> {
  protected:
    void fill() {
        set("Tree", "Plain", store::REG_SZ, "110");
        set("Tree", "Empty", store::REG_SZ, "");
        set("Tree", "", store::REG_SZ, "the default");
        set("Tree", "Quotes \"and\" \\slashes\\", store::REG_SZ, "\"C:\\GAMES\\\" ;x");
        set("Tree", "All bytes", store::REG_SZ, everyByteButNul());
        set("Tree", "Accents \xC0\xE9\x8A", store::REG_SZ, "\x80\x81\x8D\x8F\x90\x9D\xFF");
        set("Tree", "Name\r\nwith breaks", store::REG_SZ, "x");
        set("Tree", "Terminated", store::REG_SZ, "text\0"s);
        set("Tree", "Two NULs", store::REG_SZ, "a\0b\0"s);
        set("Tree", "Zero", store::REG_DWORD, "\0\0\0\0"s);
        set("Tree", "Max", store::REG_DWORD, "\xFF\xFF\xFF\xFF");
        set("Tree", "Long dword", store::REG_DWORD, "\1\2\3\4\5"s);
        set("Tree", "Byte", store::REG_BINARY, "\xFF");
        set("Tree", "No bytes", store::REG_BINARY, "");
        set("Tree", "Many bytes", store::REG_BINARY, everyByteButNul() + "\0"s);
        set("Tree", "Expand", store::REG_EXPAND_SZ, "%WINDIR%\\x");
        set("Tree", "Multi", store::REG_MULTI_SZ, "one\0two\0\0"s);
        set("Tree", "None", store::REG_NONE, "\1");
        set("Tree", "Unknown", 0x12345678, "\xAB\xCD");
        set("Tree", "@", store::REG_SZ, "not the default");
        set("Tree\\ Spaced \\b]racket", "v", store::REG_SZ, "1");
        set("Tree\\Zeta", "v", store::REG_DWORD, "\x07\0\0\0"s);
        set("Tree\\alpha\\Deep\\Deeper", "v", store::REG_BINARY, "\x02");
        ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Tree\\Empty key"));
    }

    // Export, remove the tree, import the file; the tree must come back byte for byte.
    void roundTrip() {
        const auto before = snapshot(hive(), HKEY_LOCAL_MACHINE, "Tree");
        const auto file = exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Tree"}, GetParam());
        ASSERT_TRUE(file);
        ASSERT_TRUE(hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "Tree"));
        const auto result = importRegFile(hive(), *file);
        ASSERT_TRUE(result.saved);
        for (const auto& warning : result.warnings) {
            ADD_FAILURE() << warning.line << ": " << warning.message;
        }
        EXPECT_EQ(snapshot(hive(), HKEY_LOCAL_MACHINE, "Tree"), before);
        // And the second export is the same file.
        EXPECT_EQ(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Tree"}, GetParam()), file);
    }
};

TEST_P(RoundTrip, EveryKindOfValueComesBackExactly) {
    fill();
    const auto plain = store::RegGetString(HKEY_LOCAL_MACHINE, "Tree", "Plain");
    const auto bytesText = store::RegGetString(HKEY_LOCAL_MACHINE, "Tree", "All bytes");
    const auto terminated = store::RegGetString(HKEY_LOCAL_MACHINE, "Tree", "Terminated");
    const auto max = store::RegGetDword(HKEY_LOCAL_MACHINE, "Tree", "Max");
    const auto byte = store::RegGetBinary(HKEY_LOCAL_MACHINE, "Tree", "Byte");
    roundTrip();
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "tree", "PLAIN"), plain);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Tree", "All bytes"), bytesText);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Tree", "Terminated"), terminated);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Tree", ""), "the default");
    EXPECT_EQ(store::RegGetDword(HKEY_LOCAL_MACHINE, "Tree", "Max"), max);
    EXPECT_EQ(store::RegGetDword(HKEY_LOCAL_MACHINE, "Tree\\Zeta", "v"), 7);
    EXPECT_EQ(store::RegGetBinary(HKEY_LOCAL_MACHINE, "Tree", "Byte"), byte);
    EXPECT_EQ(store::RegGetBinary(HKEY_LOCAL_MACHINE, "Tree\\Alpha\\Deep\\Deeper", "v"), 2);
}

TEST_P(RoundTrip, RandomValuesComeBackExactly) {
    std::mt19937 random(20261206);
    auto randomText = [&](std::size_t maxLength, bool forKey) {
        std::uniform_int_distribution<int> length(0, static_cast<int>(maxLength));
        std::uniform_int_distribution<int> byte(1, 255);
        std::string text;
        for (int i = length(random); i > 0; --i) {
            char c = static_cast<char>(byte(random));
            // A key name cannot hold a backslash (the separator) or a line break.
            if (forKey && (c == '\\' || c == '\r' || c == '\n')) {
                c = '_';
            }
            text += c;
        }
        return text;
    };
    std::uniform_int_distribution<int> typePick(0, 9);
    std::uniform_int_distribution<int> bytePick(0, 255);
    for (int k = 0; k < 12; ++k) {
        std::string key = "Tree";
        const int depth = k % 3;
        for (int d = 0; d <= depth; ++d) {
            std::string component = randomText(12, true);
            key += "\\" + (component.empty() ? "k" : component);
        }
        for (int v = 0; v < 12; ++v) {
            const int pick = typePick(random);
            const std::uint32_t type = pick < 7 ? static_cast<std::uint32_t>(pick)
                                                : static_cast<std::uint32_t>(bytePick(random)) * 17;
            std::string data;
            if (type == store::REG_DWORD && v % 2 == 0) {
                for (int i = 0; i < 4; ++i) {
                    data += static_cast<char>(bytePick(random));
                }
            } else {
                for (int i = static_cast<int>(randomText(120, false).size()); i > 0; --i) {
                    data += static_cast<char>(bytePick(random));
                }
            }
            set(key, randomText(20, false), type, data);
        }
    }
    roundTrip();
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         ::testing::Values(RegFileFormat::Regedit4, RegFileFormat::Version5));

}  // namespace
}  // namespace tunexa::regtool::test
