#include "core/core.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Thing {
    std::intptr_t live; // non-zero while the object exists
    int payload;
};

ObjectRegistry *current = nullptr;
std::vector<ObjectId> closed;

void close_thing(ObjectId id) {
    closed.push_back(id);
    registry_free(current, id);
}

ObjectId make(ObjectId id, int payload) {
    auto *thing = static_cast<Thing *>(registry_allocate(current, id));
    *thing = {1, payload};
    return id == ANY ? reinterpret_cast<ObjectId>(thing) : id;
}

// The ids a walk meets; with free_each every one is freed as it is met.
std::vector<ObjectId> walk(bool free_each = false) {
    std::vector<ObjectId> walked;
    ObjectId id = 0;
    registry_iterate(current);
    while (registry_next(current, &id)) {
        walked.push_back(id);
        if (free_each)
            registry_free(current, id);
    }
    return walked;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        closed.clear();
        current = registry_create(sizeof(Thing), 16, close_thing);
        ASSERT_NE(current, nullptr);
    }
    void TearDown() override { registry_destroy(current); }
};

TEST_F(RegistryTest, NumbersGrowTheTableAndReuseTheirRecords) {
    make(100, 100);
    EXPECT_EQ(registry_get(current, 99), nullptr);
    EXPECT_EQ(static_cast<Thing *>(registry_get(current, 100))->payload, 100);
    void *record = registry_get(current, 100);
    registry_free(current, 100);
    EXPECT_EQ(registry_get(current, 100), nullptr);
    EXPECT_EQ(registry_allocate(current, 100), record);
    EXPECT_EQ(static_cast<Thing *>(record)->payload, 0);
    // A live object under the number is destroyed before the record is handed out.
    make(2, 7);
    EXPECT_EQ(static_cast<Thing *>(registry_allocate(current, 2))->payload, 0);
    EXPECT_EQ(closed, (std::vector<ObjectId>{100, 2}));
}

TEST_F(RegistryTest, WalksNumbersThenOldestHandlesAndFreesNewestFirst) {
    make(3, 3);
    make(1, 1);
    ObjectId a = make(ANY, 10), b = make(ANY, 11);
    EXPECT_EQ(walk(), (std::vector<ObjectId>{1, 3, a, b}));
    registry_free_all(current);
    EXPECT_EQ(closed, (std::vector<ObjectId>{1, 3, b, a}));
    EXPECT_EQ(walk(), std::vector<ObjectId>{});
}

TEST_F(RegistryTest, ObjectsMayBeFreedDuringAWalk) {
    make(0, 0);
    ObjectId a = make(ANY, 1), b = make(ANY, 2);
    EXPECT_EQ(walk(true), (std::vector<ObjectId>{0, a, b}));
    EXPECT_EQ(walk(), std::vector<ObjectId>{});
    // Freeing the node the cursor waits on moves the cursor past it.
    a = make(ANY, 1), b = make(ANY, 2);
    ObjectId c = make(ANY, 3), id = 0;
    registry_iterate(current);
    registry_next(current, &id);
    registry_free(current, b);
    EXPECT_NE(registry_next(current, &id), nullptr);
    EXPECT_EQ(id, c);
}

TEST_F(RegistryTest, ForeignIdsNameNothingAndAreHarmless) {
    ObjectId mine = make(ANY, 1);
    Thing outsider{1, 2};
    auto foreign = reinterpret_cast<ObjectId>(&outsider);
    for (ObjectId id : {foreign, ObjectId{-2}, ANY, ObjectId{1000}, INTPTR_MAX}) {
        EXPECT_EQ(registry_get(current, id), nullptr) << id;
        registry_free(current, id);
    }
    EXPECT_EQ(outsider.live, 1);
    EXPECT_EQ(registry_allocate(current, -2), nullptr);
    EXPECT_EQ(registry_allocate(current, INTPTR_MAX), nullptr);
    EXPECT_NE(registry_get(current, mine), nullptr);
}

} // namespace
