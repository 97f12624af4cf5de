#pragma once

// Choosing a folder or a file on this machine (what drive C: is), OK and Cancel. Handlers receive
// this interface so tests can script the choice.

#include <QString>

#include <optional>

namespace tunexa::platform {

class PathChoices {
  public:
    virtual ~PathChoices() = default;
    // The folder chosen, starting the search at `start`; nothing on Cancel.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& start) = 0;
    // The file chosen; `filter` as "Disk images (*.img *.vhd);;All files (*)"; nothing on Cancel.
    virtual std::optional<QString> chooseFile(const QString& title, const QString& start,
                                              const QString& filter) = 0;
};

}  // namespace tunexa::platform
