// Transactions: a write on its own, or a batch of writes that commits (with its change record)
// or rolls back as a whole.
#include "Hive.h"
#include "HiveSql.h"

namespace tunexa::store {

using detail::Sql;

// A write transaction holds the file's write lock from begin to commit: nobody else changes the
// file meanwhile, so the keys remembered stay true through the commit, and only a rollback (which
// takes back keys made) or a change by another process before the begin makes them stale.
// Both remember their own failure while the database still holds its words for it.
bool Hive::begin(std::string_view operation) {
    if (!finished(sql(Sql::Begin).run(), operation)) {
        return false;
    }
    if (const auto version = dataVersion(); version != keyCache_.version) {
        forgetKeys();
        keyCache_.version = version;
    }
    return true;
}

bool Hive::commit(std::string_view operation) {
    if (!finished(sql(Sql::Commit).run(), operation)) {
        return false;
    }
    keyCache_.version = dataVersion();
    return true;
}

void Hive::rollback() {
    run(Sql::Rollback);
    forgetKeys();
}

bool Hive::writeTransaction(std::string_view operation, bool (*call)(void*), void* work) {
    if (!mayWrite(operation)) {
        return false;
    }
    const std::uint64_t failuresBefore = failureCount_;
    // A failure remembered along the way (a lookup that failed) fails the work too.
    const auto succeeded = [&] {
        const bool done = call(work) && failureCount_ == failuresBefore;
        if (!done && failureCount_ == failuresBefore) {
            fail(operation);
        }
        return done;
    };
    if (batchDepth_ > 0) {
        return !batchFailed_ && succeeded();  // a failed batch rolls back anyway
    }
    if (!begin(operation)) {
        return false;
    }
    if (!succeeded()) {
        rollback();
        return false;
    }
    if (!commit(operation)) {
        rollback();
        return false;
    }
    return true;
}

bool Hive::beginBatch() {
    if (batchDepth_ > 0) {
        ++batchDepth_;
        return true;
    }
    ++batchDepth_;
    batchFailed_ = false;
    return mayWrite("begin") && begin("begin");  // a failure marks the batch failed
}

bool Hive::commitBatch() {
    if (batchDepth_ == 0) {
        return false;
    }
    if (--batchDepth_ > 0) {
        return !batchFailed_;
    }
    const bool began = db_ != nullptr && sqlite3_get_autocommit(db_) == 0;
    bool committed = began && !batchFailed_;
    // The record's writes remember their own failure, with the database's words: failing again
    // here, after their statements were reset, would replace them with "not an error".
    if (committed && recording_ && !writeRecord()) {
        committed = false;
    }
    if (committed && !commit("commit")) {
        committed = false;
    }
    finishBatch(committed);
    return committed;
}

void Hive::rollbackBatch() {
    if (batchDepth_ == 0) {
        return;
    }
    batchFailed_ = true;
    if (--batchDepth_ > 0) {
        return;
    }
    finishBatch(false);
}

void Hive::finishBatch(bool committed) {
    if (!committed) {
        // SQLite may have rolled back already (a full disk, an I/O error): the keys the batch
        // made are gone either way, and the data version does not tell.
        if (db_ != nullptr && sqlite3_get_autocommit(db_) == 0) {
            run(Sql::Rollback);
        }
        forgetKeys();
        putFilesBack();
    }
    batchFailed_ = false;
    recording_.reset();
}

}  // namespace tunexa::store
