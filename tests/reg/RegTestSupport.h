#pragma once

#include <gtest/gtest.h>

#include <sstream>

#include "Command.h"
#include "Exporter.h"
#include "TempRoot.h"
#include "store/Registry.h"

namespace tunexa::regtool::test {

using namespace std::string_literals;
using store::HKEY_LOCAL_MACHINE;

inline store::Bytes bytes(std::string_view text) {
    return store::Bytes(text.begin(), text.end());
}

using tunexa::test::fileBytes;
using tunexa::test::putFile;

inline std::string joined(const std::vector<std::string>& lines,
                          std::string_view lineBreak = "\r\n") {
    std::string text;
    for (const auto& line : lines) {
        text.append(line).append(lineBreak);
    }
    return text;
}

// A Windows 98 regedit export (CR LF, a blank line before each key, hex wrapped at regedit's
// width with a two-blank indent) with every form of value line regedit writes. Imported and
// exported again it is the same file.
const std::vector<std::string> kRegeditExport = {
    "REGEDIT4",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive]",
    "\"SSTV2_SWAPINTERVAL\"=\"1\"",
    "\"Path\"=\"C:\\\\WINDOWS\\\\SYSTEM \\\"x\\\" \xE9\"",
    "@=\"default\"",
    "\"Count\"=dword:8000001e",
    "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\",
    "  17,18,19",
    "\"Expand\"=hex(2):25,50,41,54,48,25,00",
    "\"Nul\"=hex(1):61,00,0d,0a",
    "\"Short\"=hex(4):01,02",
    "\"Odd\"=hex(1b):ab",
    "\"Esc\\\"q\\\\\"=\"\"",
    "\"M\"=hex(7):61,00,62,00,00",
    "\"Big\"=hex(5):00,00,01,00",
    "\"Q\"=hex(b):ff,00,00,00,00,00,00,80",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\b]",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\b\\Caf\xE9]",
    "@=hex(0):",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\C]",
    "\"Caf\xE9\"=\"cr\xE8me\"",
    "",
};

// "k\k\...": a path of `depth` keys.
inline std::string keyPath(std::size_t depth) {
    std::string path = "k";
    for (std::size_t i = 1; i < depth; ++i) {
        path += "\\k";
    }
    return path;
}

// Each test gets its own hive file, installed as the process's hive so that the seven store
// operations (RegGetString, ...) read what the tool wrote.
class RegTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "registry.db"); }
    void TearDown() override { store::useHive(nullptr); }

    store::Hive& hive() { return store::currentHive(); }

    struct Outcome {
        int code;
        std::string out, err;
    };

    // "DIR/" in a text stands for the test's folder.
    std::string within(std::string text) const {
        const std::string folder = dir_.path().string() + "/";
        for (auto at = text.find("DIR/"); at != std::string::npos; at = text.find("DIR/", at)) {
            text.replace(at, 4, folder);
            at += folder.size();
        }
        return text;
    }

    // The tool run on `args`, arguments separated by '|', on the test's hive or `on`.
    Outcome reg(const std::string& args, const std::string& input = "", store::Hive* on = nullptr) {
        std::vector<std::string> list;
        for (std::size_t start = 0; !args.empty() && start <= args.size();) {
            const auto end = std::min(args.find('|', start), args.size());
            list.push_back(within(args.substr(start, end - start)));
            start = end + 1;
        }
        std::istringstream in(input);
        std::ostringstream out, err;
        const int code = run(on ? *on : hive(), list, in, out, err);
        return {code, out.str(), err.str()};
    }

    void set(std::string_view key, std::string_view name, std::uint32_t type,
             std::string_view data) {
        ASSERT_TRUE(hive().setValue(HKEY_LOCAL_MACHINE, key, name, type, bytes(data)));
    }

    // Everything below a root as a REGEDIT4 text: what a test compares the store by.
    std::string dump(store::HKEY root = HKEY_LOCAL_MACHINE) {
        return exportRegFile(hive(), {root, ""}).value_or("");
    }

    tunexa::test::TempDir dir_;
};

}  // namespace tunexa::regtool::test
