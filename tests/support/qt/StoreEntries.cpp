#include "StoreEntries.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>

#include "store/Registry.h"

namespace tunexa::test {

namespace {

using store::HKEY_LOCAL_MACHINE;

// "C3" is display class 0003, "C3D" its DEFAULT subkey.
std::string keyPath(const std::string& key) {
    static const std::map<std::string, std::string> kKeys = {
        {"N", "Software\\NVIDIA Corporation\\Riva TNT\\Direct3D"},
        {"NG", "Software\\NVIDIA Corporation\\Riva TNT\\OpenGL"},
        {"NT", "Software\\NVIDIA Corporation\\Riva TNT\\NV4Tweak"},
        {"VD", "Software\\3Dfx Interactive\\Voodoo2\\D3D"},
        {"VG", "Software\\3Dfx Interactive\\Voodoo2\\Glide"},
        {"BD", "Software\\3Dfx Interactive\\Banshee\\D3D"},
        {"BG", "Software\\3Dfx Interactive\\Banshee\\Glide"},
        {"DI", "Software\\Diamond\\D3D"},
        {"TX", "Software\\Tunexa\\Tunexa"},
        {"3D", "Software\\Tunexa\\Tunexa\\3Dfx"},
        {"MX", "Software\\Matrox\\PowerDesk\\Current Settings"},
        {"UR", "Software\\Microsoft\\UnrealD3D"}};
    if (key.size() >= 2 && key[0] == 'C') {
        return "System\\CurrentControlSet\\Services\\Class\\Display\\000" + key.substr(1, 1) +
               (key.size() == 3 ? "\\DEFAULT" : "");
    }
    return kKeys.at(key);  // an unknown name throws, failing the test
}

std::string render(std::uint32_t type, const store::Bytes& data) {
    const std::string bytes(data.begin(), data.end());
    if (type == store::REG_SZ) {
        return "s" + bytes;
    }
    if (type == store::REG_DWORD && data.size() == 4) {
        std::int32_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return "d" + std::to_string(number);
    }
    return (type == store::REG_BINARY ? "b" : "x" + std::to_string(type) + ":") +
           QByteArray::fromStdString(bytes).toHex().toStdString();
}

}  // namespace

void seedStore(const StoreEntries& entries) {
    for (const std::string& entry : entries) {
        const auto colon = entry.find(':');
        const auto equals = entry.find('=', colon);
        const std::string key = keyPath(entry.substr(0, colon));
        const std::string name = entry.substr(colon + 1, equals - colon - 1);
        const std::string data = entry.substr(equals + 1);
        if (data.empty()) {
            store::RegDeleteValue(HKEY_LOCAL_MACHINE, key, name);
        } else if (data[0] == 's') {
            store::RegSetString(HKEY_LOCAL_MACHINE, key, name, data.substr(1));
        } else if (data[0] == 'd') {
            store::RegSetDword(HKEY_LOCAL_MACHINE, key, name, std::stoi(data.substr(1)));
        } else {
            const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(data.substr(1)));
            store::currentHive().setValue(HKEY_LOCAL_MACHINE, key, name, store::REG_BINARY,
                                          store::Bytes(bytes.begin(), bytes.end()));
        }
    }
}

StoreEntries storeEntries(const std::vector<std::string>& keys) {
    StoreEntries entries;
    for (const std::string& key : keys) {
        for (const auto& value : store::currentHive().values(HKEY_LOCAL_MACHINE, keyPath(key))) {
            entries.push_back(key + ":" + value.name + "=" + render(value.type, value.data));
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string storeEntry(const std::string& keyAndName) {
    const auto colon = keyAndName.find(':');
    const auto value = store::currentHive().getValue(
        HKEY_LOCAL_MACHINE, keyPath(keyAndName.substr(0, colon)), keyAndName.substr(colon + 1));
    return keyAndName + "=" + (value ? render(value->type, value->data) : std::string());
}

StoreLock::StoreLock() {
    store::currentHive().setBusyTimeout(50);
    EXPECT_EQ(sqlite3_open(store::currentHive().path().c_str(), &other_), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
}

StoreLock::~StoreLock() {
    sqlite3_exec(other_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other_);
}

}  // namespace tunexa::test
