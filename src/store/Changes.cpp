#include "store/Changes.h"

#include "store/Hive.h"

namespace tunexa::store {

Change::Change(Hive& hive, std::string title, FileAccess* files) : hive_(hive) {
    // The batch is open even when it could not begin: the commit then reports the failure.
    hive_.beginChange(std::move(title), files);
    open_ = true;
}

Change::~Change() {
    if (open_) {
        hive_.rollbackBatch();
    }
}

void Change::addFile(ChangeItem file) {
    hive_.recordFile(std::move(file));
}

bool Change::commit() {
    if (!open_) {
        return false;
    }
    open_ = false;
    return hive_.commitBatch();
}

std::string undoTitle(const std::string& title) {
    constexpr std::string_view kUndo = "Undo ";
    constexpr std::string_view kRedo = "Redo ";
    if (title.starts_with(kUndo)) {
        return std::string(kRedo) + title.substr(kUndo.size());
    }
    if (title.starts_with(kRedo)) {
        return std::string(kUndo) + title.substr(kRedo.size());
    }
    return std::string(kUndo) + title;
}

}  // namespace tunexa::store
