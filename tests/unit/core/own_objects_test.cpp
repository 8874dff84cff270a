#include "core/own_objects.h"

#include <gtest/gtest.h>

#include <memory>

namespace qbx {
namespace {

class Port {
public:
    virtual ~Port() = default;
};

class Own final : public Port {
public:
    OwnObjects<Port, Own>::Entry entry{ownObjects<Port, Own>(), this};
};

class Stranger final : public Port {};

Own* found(const std::unique_ptr<Port>& held) { return ownObjects<Port, Own>().find(held.get()); }

TEST(OwnObjects, FindsOnlyTheLayersOwnLiveObjects) {
    std::unique_ptr<Port> held = std::make_unique<Own>();
    const Port* port = held.get();
    std::unique_ptr<Port> stranger = std::make_unique<Stranger>();
    std::unique_ptr<Port> empty;
    EXPECT_EQ(found(held), port);
    EXPECT_EQ(found(stranger), nullptr);  // a fake in the Plugin's place is not ours
    EXPECT_EQ(found(empty), nullptr);
    held.reset();
    EXPECT_EQ((ownObjects<Port, Own>().find(port)), nullptr);
}

// The entries link to each other: any of them can go first without losing the others.
TEST(OwnObjects, AnyEntryLeavesWithoutLosingTheOthers) {
    for (int leaving = 0; leaving < 3; ++leaving) {
        std::unique_ptr<Port> objects[3] = {std::make_unique<Own>(), std::make_unique<Own>(),
                                            std::make_unique<Own>()};
        objects[leaving].reset();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(found(objects[i]), objects[i].get()) << leaving << " " << i;
        std::unique_ptr<Port> later = std::make_unique<Own>();
        EXPECT_EQ(found(later), later.get());
    }
    EXPECT_EQ((ownObjects<Port, Own>().find(nullptr)), nullptr);
}

}  // namespace
}  // namespace qbx
