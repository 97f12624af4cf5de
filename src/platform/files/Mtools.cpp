#include "platform/files/Mtools.h"

#include <ctime>
#include <regex>

#include "platform/files/Drives.h"
#include "platform/files/Process.h"
#include "store/Ansi.h"

namespace tunexa::files {

namespace {

// The environment every mtools command gets, whatever this process has: no mtoolsrc of the
// user (HOME points nowhere, MTOOLSRC at an empty file), the defaults for names and case, and
// names in UTF-8.
const std::vector<std::string>& mtoolsEnvironment() {
    static const std::vector<std::string> environment{
        "PATH=/usr/local/bin:/usr/bin:/bin",
        "HOME=/nonexistent",
        "MTOOLSRC=/dev/null",
        "LC_ALL=C.UTF-8",
        "MTOOLS_SKIP_CHECK=1",
        "MTOOLS_LOWER_CASE=0",
        "MTOOLS_NO_VFAT=0",
        "MTOOLS_DATE_STRING=yyyy-mm-dd",
        "MTOOLS_TWENTY_FOUR_HOUR_CLOCK=1",
    };
    return environment;
}

// The first line of what mtools said, without its "mcopy: " prefix.
std::string firstLine(std::string_view said, std::string_view command) {
    said = said.substr(0, said.find('\n'));
    if (said.starts_with(command) && said.substr(command.size()).starts_with(": ")) {
        said.remove_prefix(command.size() + 2);
    }
    return std::string(said);
}

bool isNotFound(std::string_view said) {
    return said.find("not found") != std::string_view::npos;
}

}  // namespace

MtoolsVolume::MtoolsVolume(std::filesystem::path image, std::uint64_t offset)
    : image_(std::move(image)), offset_(offset) {}

std::string MtoolsVolume::path(const DriveNames& names, bool created) {
    std::string text = "::";
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += '/';
        const bool literal = created && i + 1 == names.size();
        for (const char c : ansi::toUtf8(names[i])) {
            if (!literal && (c == '[' || c == ']' || c == '*' || c == '?')) {
                text += '\\';
            }
            text += c;
        }
    }
    return names.empty() ? "::/" : text;
}

Result<std::string> MtoolsVolume::run(std::string_view command,
                                      const std::vector<std::string>& arguments,
                                      std::string_view input) const {
    std::vector<std::string> argv{std::string(command), "-i",
                                  image_.string() + "@@" + std::to_string(offset_)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const ProcessOutcome outcome = runProcess(argv, mtoolsEnvironment(), input);
    if (!outcome.started) {
        return Result<std::string>::failure(outcome.startError +
                                            " (mtools is needed for disk images)");
    }
    if (outcome.exitCode != 0) {
        const std::string said = firstLine(outcome.err, command);
        return Result<std::string>::failure(said.empty() ? std::string(command) + " failed" : said);
    }
    return Result<std::string>::success(outcome.out);
}

Result<std::string> MtoolsVolume::bareListing(const DriveNames& folder, bool wholeTree) const {
    std::string target = path(folder);
    if (target.back() != '/') {
        target += '/';
    }
    return wholeTree ? run("mdir", {"-/", "-a", "-b", target}) : run("mdir", {"-a", "-b", target});
}

Result<std::optional<std::vector<DriveEntry>>> MtoolsVolume::list(const DriveNames& folder) const {
    using Listing = Result<std::optional<std::vector<DriveEntry>>>;
    const auto out = bareListing(folder, false);
    if (!out) {
        return isNotFound(out.error()) ? Listing::success(std::nullopt)
                                       : Listing::failure(out.error());
    }
    std::vector<DriveEntry> entries;
    forEachBareLine(*out, folder.size(), [&](const BareLine& line) {
        if (auto name = line.parent.empty() ? hostNameToAnsi(line.name) : std::nullopt) {
            entries.push_back({std::move(*name), line.isFolder});
        }
    });
    return Listing::success(std::move(entries));
}

Result<FatAttributes> MtoolsVolume::attributes(const DriveNames& file) const {
    const auto out = run("mattrib", {path(file)});
    // "  A  SHR     ::/NAME": archive at 2, system, hidden, read-only at 5, 6, 7.
    if (!out || out->size() < 8) {
        return Result<FatAttributes>::failure(out ? "mattrib said nothing" : out.error());
    }
    const std::string& text = *out;
    return Result<FatAttributes>::success({text[7] == 'R', text[6] == 'H', text[5] == 'S'});
}

Result<FileContent> MtoolsVolume::read(const DriveNames& file) const {
    auto bytes = run("mtype", {path(file)});
    if (!bytes) {
        return isNotFound(bytes.error()) ? Result<FileContent>::success(std::nullopt)
                                         : Result<FileContent>::failure(bytes.error());
    }
    return Result<FileContent>::success(std::move(*bytes));
}

Result<std::optional<FileFacts>> MtoolsVolume::facts(const DriveNames& file) const {
    using Facts = Result<std::optional<FileFacts>>;
    const auto out = run("mdir", {"-a", "-f", path(file)});
    if (!out) {
        return isNotFound(out.error()) ? Facts::success(std::nullopt) : Facts::failure(out.error());
    }
    // "SYSTEM   DAT     12345 2024-03-05  13:47  system.dat": the size, then the date and time
    // in the form the environment above sets.
    static const std::regex entry(R"((\d+) +(\d{4})-(\d\d)-(\d\d) +(\d{1,2}):(\d\d))");
    std::smatch found;
    if (!std::regex_search(*out, found, entry)) {
        return Facts::failure("mdir showed no size and time for " + path(file));
    }
    const auto number = [&found](std::size_t part) { return std::stoi(found[part].str()); };
    std::tm time{};
    time.tm_year = number(2) - 1900;
    time.tm_mon = number(3) - 1;
    time.tm_mday = number(4);
    time.tm_hour = number(5);
    time.tm_min = number(6);
    time.tm_isdst = -1;
    return Facts::success(
        FileFacts{std::stoull(found[1].str()), static_cast<std::int64_t>(std::mktime(&time))});
}

bool parseBareLine(std::string_view line, std::size_t skip, BareLine& parsed) {
    if (!line.starts_with("::/")) {
        return false;
    }
    line.remove_prefix(3);
    parsed.isFolder = line.ends_with('/');
    if (parsed.isFolder) {
        line.remove_suffix(1);
    }
    for (; skip > 0; --skip) {
        const std::size_t slash = line.find('/');
        if (slash == std::string_view::npos) {
            return false;
        }
        line.remove_prefix(slash + 1);
    }
    const std::size_t last = line.rfind('/');
    parsed.parent = last == std::string_view::npos ? std::string_view() : line.substr(0, last);
    parsed.name = last == std::string_view::npos ? line : line.substr(last + 1);
    return !parsed.name.empty();
}

}  // namespace tunexa::files
