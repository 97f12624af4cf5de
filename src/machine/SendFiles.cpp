#include "machine/SendFiles.h"

#include "platform/files/BatchText.h"
#include "platform/files/TextFiles.h"
#include "regfile/Exporter.h"
#include "store/Ansi.h"
#include "store/Registry.h"

namespace tunexa::machine {

namespace {

constexpr std::string_view kDosNameCharacters = "_-~!#$@(){}'";
constexpr std::size_t kDosName = 8;
constexpr std::size_t kDosExtension = 3;

bool isDosNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           kDosNameCharacters.find(c) != std::string_view::npos;
}

std::string describeCharacter(char c) {
    if (c == ' ') {
        return "a blank";
    }
    return static_cast<unsigned char>(c) >= 0x80 ? "the character " + ansi::toUtf8({&c, 1})
                                                 : files::describeBatchCharacter(c);
}

std::optional<std::string> dosNameProblem(std::string_view name) {
    for (const char c : name) {
        if (c != '.' && !isDosNameCharacter(c)) {
            return "it holds " + describeCharacter(c);
        }
    }
    const auto dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > kDosName || extension.size() > kDosExtension ||
        extension.find('.') != std::string_view::npos ||
        (dot != std::string_view::npos && extension.empty())) {
        return "\"" + ansi::toUtf8(name) + "\" is not an 8.3 name";
    }
    return std::nullopt;
}

}  // namespace

std::string sendFileText(std::span<const ValueOnBoth> values) {
    regfile::RegFileWriter writer;
    const std::string* key = nullptr;
    for (const ValueOnBoth& value : values) {
        if (key == nullptr || !ansi::equalsIgnoringCase(*key, value.key)) {
            key = &value.key;
            writer.key(regfile::KeyName{store::HKEY_LOCAL_MACHINE, value.key});
        }
        if (value.tunexa) {
            writer.value(value.name, value.tunexa->type, value.tunexa->data);
        } else {
            writer.deletion(value.name);
        }
    }
    return writer.finish();
}

std::vector<std::string> bootBlockLines(std::string_view windowsPath) {
    const std::string windows(windowsPath);
    const std::string ifSend = "IF EXIST " + std::string(kSendFile) + " ";
    const std::string systemDat = windows + "\\SYSTEM.DAT";
    const std::string attrib = windows + "\\COMMAND\\ATTRIB.EXE ";
    return {"REM Tunexa: import " + std::string(kSendFile) + " into the registry once",
            ifSend + attrib + "-R -S -H " + systemDat,
            ifSend + windows + "\\REGEDIT.EXE /L:" + systemDat + " " + std::string(kSendFile),
            ifSend + attrib + "+R +S +H " + systemDat,
            "IF EXIST " + std::string(kSentFile) + " DEL " + std::string(kSentFile),
            ifSend + "REN " + std::string(kSendFile) + " SENT.REG"};
}

BootBatchFile withBootBlock(std::string_view existing, std::string_view windowsPath) {
    const auto lines = bootBlockLines(windowsPath);
    const std::string block = files::joinLinesCrLf(lines);
    BootBatchFile result;
    if (existing.find(block) != std::string_view::npos) {
        result.block = BootBatchFile::Block::AlreadyThere;
        return result;
    }
    if (ansi::fold(existing).find(ansi::fold(lines.front())) != std::string::npos) {
        result.block = BootBatchFile::Block::Foreign;
        return result;
    }
    result.bytes =
        files::withLineAppended(existing, std::string_view(block).substr(0, block.size() - 2));
    return result;
}

std::optional<std::string> dosPathProblem(std::string_view windowsPath) {
    const bool drive = windowsPath.size() >= 2 && windowsPath[1] == ':' &&
                       ((windowsPath[0] >= 'A' && windowsPath[0] <= 'Z') ||
                        (windowsPath[0] >= 'a' && windowsPath[0] <= 'z'));
    std::string_view rest = drive ? windowsPath.substr(2) : windowsPath;
    if (!drive || (!rest.empty() && rest.front() != '\\')) {
        return "it is not a folder from a drive's root (X:\\NAME)";
    }
    if (rest.size() > 1 && rest.back() == '\\') {
        rest.remove_suffix(1);
    }
    while (rest.size() > 1) {
        rest.remove_prefix(1);
        const std::string_view name = rest.substr(0, rest.find('\\'));
        rest.remove_prefix(name.size());
        if (auto why = dosNameProblem(name)) {
            return why;
        }
    }
    return std::nullopt;
}

files::Result<files::ResolvedPath> resolveWindowsPath(const files::Drives& drives,
                                                      std::string_view windowsPath) {
    const auto opened = drives.open(windowsPath);
    return opened ? opened->drive->resolve(opened->names)
                  : files::Result<files::ResolvedPath>::failure(opened.error());
}

SendState sendState(const files::Drives& drives) {
    SendState state;
    for (const auto& [path, there] :
         {std::pair{kSendFile, &state.waiting}, {kSentFile, &state.run}}) {
        const auto resolved = resolveWindowsPath(drives, path);
        if (!resolved) {
            state.problem = resolved.error();
            return state;
        }
        *there = resolved->isFile();
    }
    return state;
}

bool regeditThere(std::string_view windowsPath, const files::Drives& drives) {
    const auto regedit = resolveWindowsPath(drives, std::string(windowsPath) + "\\REGEDIT.EXE");
    return regedit && regedit->isFile();
}

}  // namespace tunexa::machine
