#include "RegOperations.h"

namespace tunexa::regfile {

namespace {

bool apply(store::Hive& hive, const RegOperation& op) {
    switch (op.kind) {
        case RegOperation::Kind::CreateKey:
            return hive.createKey(op.root, op.key);
        case RegOperation::Kind::DeleteKey:
            return hive.deleteKeyTree(op.root, op.key);
        case RegOperation::Kind::SetValue:
            return hive.setValue(op.root, op.key, op.name, op.type, op.data);
        case RegOperation::Kind::DeleteValue:
            return hive.deleteValue(op.root, op.key, op.name);
    }
    return false;
}

}  // namespace

ApplyResult applyOperations(store::Hive& hive, std::span<const RegOperation> operations) {
    ApplyResult result;
    bool allDone = hive.beginBatch();
    for (std::size_t i = 0; allDone && i < operations.size(); ++i) {
        allDone = apply(hive, operations[i]);
    }
    if (allDone) {
        result.saved = hive.commitBatch();
    } else {
        hive.rollbackBatch();
    }
    if (!result.saved) {
        result.failure = hive.lastFailureMessage();
    }
    return result;
}

}  // namespace tunexa::regfile
