#pragma once

// One table per card (the driver map, the collect steps), found by the card's name in one place,
// so that a card is added to every table's lookup at once.

#include <span>
#include <string_view>

#include "engine/RegMethods.h"

namespace tunexa::engine::detail {

template <typename Row>
struct CardTables {
    std::span<const Row> tnt;
    std::span<const Row> voodoo2;
    std::span<const Row> banshee;

    // The card's table; empty for a name that is none of the cards.
    constexpr std::span<const Row> of(std::string_view card) const {
        if (card == kCardTNT) {
            return tnt;
        }
        if (card == kCardVoodoo2) {
            return voodoo2;
        }
        if (card == kCardBanshee) {
            return banshee;
        }
        return {};
    }
};

}  // namespace tunexa::engine::detail
