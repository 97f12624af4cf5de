#include "panels/live/LiveWrite.h"

#include "platform/files/HostFiles.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"

namespace tunexa::panels {

QString liveTitle(const QString& what, const QCheckBox* box) {
    return QStringLiteral("%1: %2 %3")
        .arg(what, box->text(),
             ui::checkValue(box) == 1 ? QStringLiteral("on") : QStringLiteral("off"));
}

std::optional<int> storedFlag(std::string_view key, std::string_view name) {
    const auto text = store::RegGetString(store::HKEY_LOCAL_MACHINE, key, name);
    if (text == "0" || text == "1") {
        return *text == "1" ? 1 : 0;
    }
    return std::nullopt;
}

bool LiveWrite::store(const QString& title, QCheckBox* box,
                      const std::function<void(store::Change&)>& write,
                      const std::function<std::optional<int>()>& stored) {
    if (puttingBack_ || stored() == ui::checkValue(box)) {
        return true;  // the store already holds it: start-up's write-back, or another program
    }
    store::Hive& hive = store::currentHive();
    const int usualWait = hive.busyTimeout();
    hive.setBusyTimeout(kLiveWriteWaitMs);
    const store::FailureWatch watch(hive);
    bool saved = false;
    {
        store::Change change(hive, title.toStdString(), &files::hostFiles());
        write(change);
        saved = change.commit() && !watch.failed();
    }
    hive.setBusyTimeout(usualWait);
    if (saved) {
        return true;
    }
    showQuietly(box, stored().value_or(0));
    const QString setting = box->text();
    messages_.show(QStringLiteral("\"%1\" was not saved: %2\r\nThe box shows what is stored.")
                       .arg(setting, QString::fromStdString(watch.reason())),
                   QStringLiteral("Setting Not Saved"), platform::MessageButtons::Ok);
    return false;
}

void LiveWrite::showQuietly(QCheckBox* box, int value) {
    puttingBack_ = true;
    ui::setCheckValue(box, value);
    puttingBack_ = false;
}

}  // namespace tunexa::panels
