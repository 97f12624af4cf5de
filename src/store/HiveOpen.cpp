// Opening the hive file, with an honest outcome: opened, created, a damaged file replaced,
// read-only, or unavailable.
#include <system_error>

#include "Hive.h"
#include "HiveFile.h"
#include "HiveSql.h"

namespace tunexa::store {

using detail::Sql;

namespace {

constexpr int kBusyTimeoutMs = 15000;

std::string readOnlyDetail(const std::filesystem::path& file, const std::string& why) {
    return "The settings store " + file.string() + " is read-only: " + why +
           ". Your settings are shown, but no change can be saved until it can be written again.";
}

}  // namespace

std::unique_ptr<Hive> Hive::open(const std::filesystem::path& file, OpenMode mode) {
    std::unique_ptr<Hive> hive(new Hive());
    hive->report_.path = file;
    hive->openFile(file, mode);
    return hive;
}

void Hive::closeDatabase() {
    statements_->attach(nullptr);
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

std::string Hive::openSqlite(const std::filesystem::path& file, int flags, bool immutable) {
    closeDatabase();
    const std::string name = immutable ? detail::fileUri(file) + "?immutable=1" : file.string();
    // One thread uses a hive at a time: the connection needs no mutex of its own.
    const int rc =
        sqlite3_open_v2(name.c_str(), &db_,
                        flags | SQLITE_OPEN_NOMUTEX | (immutable ? SQLITE_OPEN_URI : 0), nullptr);
    if (rc != SQLITE_OK) {
        std::string why = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        closeDatabase();
        return why;
    }
    statements_->attach(db_);
    setBusyTimeout(busyTimeoutMs_ > 0 ? busyTimeoutMs_ : kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    return {};
}

bool Hive::unavailable(std::string detail) {
    closeDatabase();
    report_.outcome = OpenOutcome::Unavailable;
    report_.detail = detail;
    return fail("open", std::move(detail));
}

bool Hive::openFile(const std::filesystem::path& file, OpenMode mode) {
    if (mode == OpenMode::ReadOnly) {
        return openReadOnly(file, "it was opened for reading only");
    }
    const bool existed = detail::makePrivateFile(file);
    if (const std::string why = detail::writeProtection(file); !why.empty()) {
        return openReadOnly(file, why);
    }
    const detail::OpeningTurn turn(file);
    detail::repairSideFiles(file);

    writable_ = true;
    // Noted before SQLite opens the file, which may make its log.
    const bool asChecked = detail::stillAsChecked(file);
    if (const std::string why = openSqlite(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, false);
        !why.empty()) {
        return unavailable("The settings store " + file.string() + " cannot be opened: " + why);
    }
    if (sqlite3_db_readonly(db_, "main") == 1) {
        closeDatabase();
        return openReadOnly(file, "the system refuses to let it be written");
    }
    std::string why;
    const Check check = checkIntegrity(why, !asChecked);
    if (check == Check::Damaged) {
        return replaceDamaged(file, why);
    }
    sound_ = check == Check::Sound;
    if (!prepareSchema()) {
        return unavailable("The settings store " + file.string() +
                           " cannot be prepared: " + lastFailure_->message);
    }
    report_.outcome = existed ? OpenOutcome::Opened : OpenOutcome::Created;
    return true;
}

// Damaged or not a hive: the old file is kept for the user, and an empty one takes its place.
bool Hive::replaceDamaged(const std::filesystem::path& file, const std::string& damage) {
    closeDatabase();
    const std::string damaged = "The settings store " + file.string();
    std::string error;
    const auto aside = detail::moveAside(file, error);
    if (!aside) {
        return unavailable(damaged + " is damaged (" + damage +
                           ") and cannot be moved aside: " + error);
    }
    report_.movedAsideTo = *aside;
    const std::string moved =
        damaged + " was damaged (" + damage + "). It was moved to " + aside->string();
    std::string problem = openSqlite(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, false);
    if (problem.empty() && !prepareSchema()) {
        problem = lastFailure_->message;
    }
    if (!problem.empty()) {
        return unavailable(moved +
                           ", but no empty store could be started in its place: " + problem);
    }
    sound_ = true;
    report_.outcome = OpenOutcome::ReplacedDamaged;
    report_.detail = moved + " and an empty store was started.";
    return true;
}

bool Hive::openReadOnly(const std::filesystem::path& file, const std::string& why) {
    writable_ = false;
    const std::string cannot = "The settings store " + file.string() + " cannot be read: ";
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return unavailable(cannot + "it does not exist and cannot be created, because " + why +
                           ".");
    }
    // A hive in WAL mode is read through its -shm file; where that cannot be made (a read-only
    // folder or file system), the file is read as it stands on disk.
    std::string problem;
    Check check = Check::NotRun;
    for (const bool immutable : {false, true}) {
        problem = openSqlite(file, SQLITE_OPEN_READONLY, immutable);
        if (problem.empty()) {
            check = checkIntegrity(problem, true);
        }
        if (check != Check::NotRun) {
            break;
        }
    }
    if (check == Check::Damaged) {
        return unavailable(cannot + "it is damaged (" + problem + ").");
    }
    if (check == Check::NotRun) {
        return unavailable(cannot + problem);
    }
    if (!prepareSchema()) {
        return unavailable(cannot + lastFailure_->message);
    }
    report_.outcome = OpenOutcome::ReadOnly;
    report_.detail = readOnlyDetail(file, why);
    return fail("open", report_.detail);
}

Hive::Check Hive::checkIntegrity(std::string& why, bool everyPage) {
    if (everyPage) {
        detail::Statement check = sql(Sql::QuickCheck);
        const int rc = check.step();
        if (rc != SQLITE_ROW) {
            why = sqlite3_errmsg(db_);
            // Locked or unreadable is not proof of damage; the operations will report it.
            return detail::isDamageCode(rc) ? Check::Damaged : Check::NotRun;
        }
        if (const std::string verdict = check.columnText(0); verdict != "ok") {
            why = verdict.empty() ? "integrity check failed" : verdict;
            return Check::Damaged;
        }
    }
    // A sound database that belongs to someone else is not ours to write into.
    detail::Statement owner = sql(Sql::Owner);
    if (owner.step() != SQLITE_ROW) {
        why = sqlite3_errmsg(db_);
        return Check::NotRun;
    }
    if (owner.columnInt(detail::column::kOwnerObjects) > 0 &&
        owner.columnInt(detail::column::kOwnerApplication) != detail::kApplicationId) {
        why = "not a Tunexa settings store";
        return Check::Damaged;
    }
    return Check::Sound;
}

}  // namespace tunexa::store
