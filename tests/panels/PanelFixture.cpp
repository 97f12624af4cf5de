#include "PanelFixture.h"

#include <algorithm>
#include <map>

#include "engine/RegMethods.h"
#include "store/Registry.h"

namespace tunexa::test {

PanelFixture::PanelFixture() : env{boxes, form, engine::driverSettings(), form.popupMenu()} {
    store::useHiveFile(dir / "registry.db");
    engine::driverSettings() = {};
}

PanelFixture::~PanelFixture() {
    EXPECT_EQ(boxes.pending(), 0U) << "scripted answers left over";
    engine::driverSettings() = {};
    store::useHive(nullptr);
}

void PanelFixture::load() {
    engine::ReadDriverSettings(card_->name);
    load_();
}

void PanelFixture::expect(const std::vector<const char*>& expected) const {
    for (const std::string entry : expected) {
        const std::string name = entry.substr(0, entry.find('='));
        EXPECT_EQ(name.find(':') == std::string::npos ? name + "=" + controlState(form, name)
                                                      : storeEntry(name),
                  entry);
    }
}

void PanelFixture::expectStore(const StoreEntries& base, const StoreEntries& changes) const {
    std::map<std::string, std::string> expected;  // by key and value name
    for (const StoreEntries* entries : {&base, &changes}) {
        for (const std::string& entry : *entries) {
            expected[entry.substr(0, entry.find('='))] = entry;
        }
    }
    StoreEntries present;
    for (const auto& [name, entry] : expected) {
        if (entry.back() != '=' &&
            std::count(card_->keys.begin(), card_->keys.end(), name.substr(0, name.find(':')))) {
            present.push_back(entry);
        }
    }
    EXPECT_EQ(store(), present);
}

}  // namespace tunexa::test
