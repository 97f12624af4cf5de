#include "platform/files/ImageDrive.h"

#include <algorithm>
#include <random>
#include <unordered_map>

#include "platform/files/FileLocation.h"
#include "platform/files/ImageUsers.h"
#include "platform/files/TextFiles.h"
#include "store/Ansi.h"

namespace tunexa::files {

namespace fs = std::filesystem;

namespace {

constexpr char kIsFolder[] = " is a folder, not a file";

// The entry the name stands for: the exact spelling, else the first match in case-insensitive
// order (a FAT volume holds at most one, but a damaged one may hold more).
const DriveEntry* matchEntry(const std::vector<DriveEntry>& entries, std::string_view name) {
    const DriveEntry* best = nullptr;
    for (const DriveEntry& entry : entries) {
        if (entry.name == name) {
            return &entry;
        }
        if (ansi::equalsIgnoringCase(entry.name, name) &&
            (best == nullptr || ansi::lessIgnoringCase(entry.name, best->name))) {
            best = &entry;
        }
    }
    return best;
}

// "~TNX1A2B.TMP": an 8.3 name that the folder does not hold yet.
std::string temporaryName(const std::vector<DriveEntry>& folder) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::random_device random;
    for (;;) {
        const unsigned number = random();
        std::string name = "~TNX";
        for (int shift = 12; shift >= 0; shift -= 4) {
            name += kHex[(number >> shift) & 0xF];
        }
        name += ".TMP";
        if (matchEntry(folder, name) == nullptr) {
            return name;
        }
    }
}

DriveNames parentOf(const DriveNames& names) {
    return DriveNames(names.begin(), names.end() - (names.empty() ? 0 : 1));
}

DriveNames child(DriveNames folder, std::string name) {
    folder.push_back(std::move(name));
    return folder;
}

// The whole tree below a folder from one recursive bare listing (`mdir -/ -a -b`), so a search
// over the image starts one process, not one per folder.
class ImageWalk final : public FolderWalk {
  public:
    ImageWalk(std::string listing, std::size_t startDepth) : listing_(std::move(listing)) {
        folders_.emplace_back();
        std::unordered_map<std::string_view, Folder> numbers{{std::string_view(), 0}};
        std::string_view lastParent;
        Folder lastNumber = 0;
        forEachBareLine(listing_, startDepth, [&](const BareLine& line) {
            if (line.parent != lastParent) {
                const auto found = numbers.find(line.parent);
                if (found == numbers.end()) {
                    return;  // below a folder whose name was passed over
                }
                lastParent = line.parent;
                lastNumber = found->second;
            }
            auto name = hostNameToAnsi(line.name);
            if (!name) {
                return;
            }
            Entry entry{std::move(*name), line.isFolder, 0};
            if (line.isFolder) {
                entry.folder = folders_.size();
                folders_.emplace_back();
                const char* from = line.parent.empty() ? line.name.data() : line.parent.data();
                numbers.emplace(std::string_view(from, line.name.data() + line.name.size() - from),
                                entry.folder);
            }
            folders_[lastNumber].push_back(std::move(entry));
        });
        listed_.assign(folders_.size(), false);
    }
    // A walk over a start folder that does not exist.
    ImageWalk() = default;

    bool list(Folder folder, std::vector<Entry>& entries) override {
        entries.clear();
        if (folder >= folders_.size() || listed_[folder]) {
            return false;
        }
        listed_[folder] = true;
        entries.swap(folders_[folder]);
        return true;
    }

  private:
    std::string listing_;
    std::vector<std::vector<Entry>> folders_;
    std::vector<bool> listed_;
};

// A new entry takes an upper-case 8.3 name, as DOS gives one, when its name is a plain 8.3 name,
// and keeps its spelling as a long name when it is longer. A name with letters beyond ASCII gets
// none: the volume's DOS code page may lack them (S, Z and OE with caron or ligature, Y with
// diaeresis), and mtools would store another letter, so the file could never be found again by
// its own name.
std::optional<std::string> newEntryName(std::string_view ansiName) {
    if (std::any_of(ansiName.begin(), ansiName.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        return std::nullopt;
    }
    const auto dot = ansiName.find('.');
    const std::string_view base = ansiName.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : ansiName.substr(dot + 1);
    const auto plain = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   std::string_view("_-~!#$%&'()@^{}").find(c) != std::string_view::npos;
        });
    };
    std::string name(ansiName);
    if (!base.empty() && base.size() <= 8 && extension.size() <= 3 && plain(base) &&
        plain(extension)) {
        for (char& c : name) {
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return name;
}

std::string noNameFor(const std::string& where) {
    return where +
           " was not written: on a disk image a new file or folder needs a name of "
           "plain ASCII letters, which every DOS code page holds";
}

}  // namespace

Result<std::shared_ptr<ImageDrive>> ImageDrive::open(const fs::path& image) {
    using Opened = Result<std::shared_ptr<ImageDrive>>;
    std::error_code error;
    const fs::path canonical = fs::canonical(image, error);
    if (error) {
        return Opened::failure("Cannot open the disk image " + image.string() + ": " +
                               error.message());
    }
    if (canonical.string().find("@@") != std::string::npos) {
        return Opened::failure("The disk image " + canonical.string() +
                               " cannot be used: mtools reads \"@@\" in its path as an offset. "
                               "Rename it.");
    }
    auto layout = readImageLayout(canonical);
    if (!layout) {
        return Opened::failure(layout.error());
    }
    return Opened::success(std::shared_ptr<ImageDrive>(new ImageDrive(canonical, *layout)));
}

ImageDrive::ImageDrive(fs::path image, ImageLayout layout)
    : layout_(layout), volume_(std::move(image), layout.offset) {}

std::string ImageDrive::where(const DriveNames& names) const {
    return MtoolsVolume::path(names, true) + " in " + image().string();
}

Result<ImageDrive::Placed> ImageDrive::place(const DriveNames& names) {
    Placed placed;
    if (names.empty()) {
        return Result<Placed>::success(std::move(placed));
    }
    auto listing = volume_.list(parentOf(names));
    if (!listing) {
        return Result<Placed>::failure(listing.error());
    }
    placed.folderExists = listing->has_value();
    if (placed.folderExists) {
        placed.folder = std::move(**listing);
        if (const DriveEntry* entry = matchEntry(placed.folder, names.back())) {
            placed.entry = *entry;
        }
    }
    placed.path = child(parentOf(names), placed.entry ? placed.entry->name : names.back());
    return Result<Placed>::success(std::move(placed));
}

Result<ResolvedPath> ImageDrive::resolve(const DriveNames& names) {
    ResolvedPath resolved;
    for (const std::string& name : names) {
        if (resolved.exists() && resolved.isFolder) {
            const auto listing = volume_.list(resolved.names);
            if (!listing) {
                return Result<ResolvedPath>::failure(listing.error());
            }
            if (*listing) {
                if (const DriveEntry* entry = matchEntry(**listing, name)) {
                    resolved.names.push_back(entry->name);
                    resolved.isFolder = entry->isFolder;
                    ++resolved.existing;
                    continue;
                }
            }
        }
        resolved.names.push_back(name);
    }
    return Result<ResolvedPath>::success(std::move(resolved));
}

Result<std::string> ImageDrive::location(const DriveNames& names) {
    const auto resolved = resolve(names);
    if (!resolved) {
        return Result<std::string>::failure(resolved.error());
    }
    return Result<std::string>::success(imageLocation({image(), layout_.offset, resolved->names}));
}

Result<FileContent> ImageDrive::readFile(const DriveNames& names) {
    const auto placed = place(names);
    if (!placed) {
        return Result<FileContent>::failure(placed.error());
    }
    if (names.empty() || (placed->entry.has_value() && placed->entry->isFolder)) {
        return Result<FileContent>::failure(where(names) + kIsFolder);
    }
    if (!placed->entry) {
        return Result<FileContent>::success(std::nullopt);
    }
    return readResolvedFile({placed->path, names.size(), false});
}

Result<FileContent> ImageDrive::readResolvedFile(const ResolvedPath& file) {
    if (!file.isFile()) {
        return readFile(file.names);
    }
    auto bytes = volume_.read(file.names);
    if (!bytes) {
        return Result<FileContent>::failure("reading " + where(file.names) +
                                            " failed: " + bytes.error());
    }
    return bytes;
}

Result<std::optional<FileFacts>> ImageDrive::fileFacts(const DriveNames& names) {
    using Facts = Result<std::optional<FileFacts>>;
    const auto placed = place(names);
    if (!placed) {
        return Facts::failure(placed.error());
    }
    if (names.empty() || (placed->entry && placed->entry->isFolder)) {
        return Facts::failure(where(names) + kIsFolder);
    }
    return placed->entry ? volume_.facts(placed->path) : Facts::success(std::nullopt);
}

Result<ImageDrive::Placed> ImageDrive::placeForWriting(const DriveNames& names) {
    if (const auto holder = imageHolder(image())) {
        return Result<Placed>::failure("Nothing was written to " + where(names) +
                                       ": the disk image is open in " + *holder +
                                       ". Close that program (stop the emulator) first.");
    }
    return place(names);
}

Result<FatAttributes> ImageDrive::writableAttributes(const DriveNames& names,
                                                     std::string_view action) const {
    auto attributes = volume_.attributes(names);
    if (attributes && attributes->readOnly) {
        return Result<FatAttributes>::failure(where(names) + " is read-only; Tunexa does not " +
                                              std::string(action) + " read-only files");
    }
    return attributes;
}

Status ImageDrive::step(const std::string& what, std::string_view command,
                        const std::vector<std::string>& arguments) const {
    const auto done = volume_.run(command, arguments);
    return done ? Status::success() : Status::failure(what + " failed: " + done.error());
}

Status ImageDrive::replaceFile(const DriveNames& names, std::string_view bytes) {
    const auto placed = placeForWriting(names);
    if (!placed) {
        return Status::failure(placed.error());
    }
    if (names.empty() || !placed->folderExists) {
        return Status::failure(where(names) + " was not written: its folder does not exist");
    }
    const auto name =
        placed->entry ? std::optional(placed->entry->name) : newEntryName(names.back());
    if (!name) {
        return Status::failure(noNameFor(where(names)));
    }
    FatAttributes kept;
    if (placed->entry) {
        const auto attributes = placed->entry->isFolder
                                    ? Result<FatAttributes>::failure(where(names) + kIsFolder)
                                    : writableAttributes(placed->path, "change");
        if (!attributes) {
            return Status::failure(attributes.error());
        }
        kept = *attributes;
    }
    const DriveNames folder = parentOf(names);
    const DriveNames temporary = child(folder, temporaryName(placed->folder));
    const std::string temporaryPath = MtoolsVolume::path(temporary, true);
    const auto fail = [&](const std::string& why) {
        volume_.run("mdel", {MtoolsVolume::path(temporary)});
        const bool full = why.find("Disk full") != std::string::npos;
        return Status::failure("writing " + where(names) +
                               " failed: " + (full ? "the disk image's FAT volume is full" : why) +
                               ". The file is as it was.");
    };
    if (auto copied = volume_.run("mcopy", {"-D", "o", "-", temporaryPath}, bytes); !copied) {
        return fail(copied.error());
    }
    const auto written = volume_.run("mtype", {MtoolsVolume::path(temporary)});
    if (!written || *written != bytes) {
        return fail(written ? "the bytes written did not read back the same" : written.error());
    }
    const std::string target = MtoolsVolume::path(child(folder, *name), true);
    if (auto renamed = volume_.run("mren", {"-D", "o", temporaryPath, target}); !renamed) {
        return fail(renamed.error());
    }
    if (!kept.hidden && !kept.system) {
        return Status::success();
    }
    std::vector<std::string> arguments;
    kept.hidden ? arguments.push_back("+h") : void();
    kept.system ? arguments.push_back("+s") : void();
    arguments.push_back(MtoolsVolume::path(child(folder, *name)));
    return step("setting the hidden and system attributes of " + where(names) + " again", "mattrib",
                arguments);
}

Status ImageDrive::appendLine(const DriveNames& names, std::string_view line) {
    const auto content = readFile(names);
    if (!content) {
        return Status::failure(content.error());
    }
    const std::string& old = content->has_value() ? **content : std::string();
    return replaceFile(names, withLineAppended(old, line));
}

Status ImageDrive::removeFile(const DriveNames& names) {
    const auto placed = placeForWriting(names);
    if (!placed || !placed->entry) {
        return placed ? Status::success() : Status::failure(placed.error());
    }
    const auto attributes = placed->entry->isFolder
                                ? Result<FatAttributes>::failure(where(names) + kIsFolder)
                                : writableAttributes(placed->path, "remove");
    return attributes ? step("removing " + where(names), "mdel", {MtoolsVolume::path(placed->path)})
                      : Status::failure(attributes.error());
}

Status ImageDrive::makeFolder(const DriveNames& names) {
    const auto placed = placeForWriting(names);
    if (!placed) {
        return Status::failure(placed.error());
    }
    if (names.empty() || (placed->entry && placed->entry->isFolder)) {
        return Status::success();
    }
    const std::string what = "making the folder " + where(names);
    if (placed->entry || !placed->folderExists) {
        return Status::failure(what + " failed: " +
                               (placed->entry ? "a file has that name" : "its folder is missing"));
    }
    const auto name = newEntryName(names.back());
    if (!name) {
        return Status::failure(noNameFor(where(names)));
    }
    return step(what, "mmd", {MtoolsVolume::path(child(parentOf(names), *name), true)});
}

Status ImageDrive::removeFolder(const DriveNames& names) {
    const auto placed = placeForWriting(names);
    if (!placed || !placed->entry) {
        return placed ? Status::success() : Status::failure(placed.error());
    }
    if (!placed->entry->isFolder) {
        return Status::failure(where(names) + " is a file, not a folder");
    }
    return step("removing the folder " + where(names), "mrd", {MtoolsVolume::path(placed->path)});
}

std::string ImageDrive::describe() const {
    return "the disk image " + image().string() + " (" + layout_.describe() + ")";
}

std::unique_ptr<FolderWalk> ImageDrive::walk(const DriveNames& start) {
    auto listing = volume_.bareListing(start, true);
    if (!listing) {
        return std::make_unique<ImageWalk>();
    }
    return std::make_unique<ImageWalk>(std::move(*listing), start.size());
}

}  // namespace tunexa::files
