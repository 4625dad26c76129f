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

void close_thing(ObjectId id)
{
    closed.push_back(id);
    registry_free(current, id);
}

ObjectId make(ObjectRegistry *registry, ObjectId id, int payload)
{
    auto *thing = static_cast<Thing *>(registry_allocate(registry, id));
    thing->live = 1;
    thing->payload = payload;
    return id == ANY ? reinterpret_cast<ObjectId>(thing) : id;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        closed.clear();
        registry = registry_create(sizeof(Thing), 16, close_thing);
        current = registry;
        ASSERT_NE(registry, nullptr);
    }
    void TearDown() override { registry_destroy(registry); }
    ObjectRegistry *registry = nullptr;
};

TEST_F(RegistryTest, NumberedTableGrowsByStepAndReusesZeroedRecords)
{
    EXPECT_EQ(registry->capacity, 16);
    make(registry, 5, 5);
    EXPECT_EQ(registry->capacity, 16);
    make(registry, 16, 16);
    EXPECT_EQ(registry->capacity, 32);
    make(registry, 100, 100);
    EXPECT_EQ(registry->capacity, 116);
    for (ObjectId n = 17; n < 116; ++n)
        EXPECT_EQ(registry->slots[n] == nullptr, n != 100) << n;
    EXPECT_EQ(static_cast<Thing *>(registry_get(registry, 5))->payload, 5);
    EXPECT_EQ(static_cast<Thing *>(registry_get(registry, 100))->payload, 100);

    void *record = registry_get(registry, 3 + 2);
    registry_free(registry, 5);
    EXPECT_EQ(registry_get(registry, 5), nullptr);
    auto *again = static_cast<Thing *>(registry_allocate(registry, 5));
    EXPECT_EQ(again, record);
    EXPECT_EQ(again->live, 0);
    EXPECT_EQ(again->payload, 0);
}

TEST_F(RegistryTest, AllocatingALiveNumberDestroysTheOldObjectFirst)
{
    make(registry, 2, 7);
    auto *thing = static_cast<Thing *>(registry_allocate(registry, 2));
    EXPECT_EQ(closed, std::vector<ObjectId>{2});
    EXPECT_EQ(thing->live, 0);
    EXPECT_EQ(thing->payload, 0);
}

TEST_F(RegistryTest, FreeAllAndWalkFollowTheirOrders)
{
    make(registry, 3, 3);
    make(registry, 1, 1);
    ObjectId a = make(registry, ANY, 10);
    ObjectId b = make(registry, ANY, 11);

    std::vector<ObjectId> walked;
    registry_iterate(registry);
    ObjectId id = 0;
    while (registry_next(registry, &id))
        walked.push_back(id);
    EXPECT_EQ(walked, (std::vector<ObjectId>{1, 3, a, b}));

    registry_free_all(registry);
    EXPECT_EQ(closed, (std::vector<ObjectId>{1, 3, b, a}));
    EXPECT_EQ(registry->dynamic_list, nullptr);
    EXPECT_EQ(registry_get(registry, 1), nullptr);
}

TEST_F(RegistryTest, ObjectsMayBeFreedDuringAWalk)
{
    make(registry, 0, 0);
    ObjectId a = make(registry, ANY, 1);
    ObjectId b = make(registry, ANY, 2);
    ObjectId c = make(registry, ANY, 3);
    std::vector<ObjectId> walked;
    registry_iterate(registry);
    ObjectId id = 0;
    while (registry_next(registry, &id)) {
        walked.push_back(id);
        registry_free(registry, id);
        if (id == a)
            registry_free(registry, b); // the node under the cursor
    }
    EXPECT_EQ(walked, (std::vector<ObjectId>{0, a, c}));
    EXPECT_EQ(registry->dynamic_list, nullptr);
}

TEST_F(RegistryTest, ForeignIdsNameNothingAndAreHarmless)
{
    ObjectId mine = make(registry, ANY, 1);
    Thing outsider{1, 2};
    auto foreign = reinterpret_cast<ObjectId>(&outsider);
    EXPECT_EQ(registry_get(registry, foreign), nullptr);
    registry_free(registry, foreign);
    EXPECT_EQ(outsider.live, 1);
    for (ObjectId id : {ObjectId{-2}, ANY, ObjectId{1000}, ObjectId{0x10}, INTPTR_MAX}) {
        EXPECT_EQ(registry_get(registry, id), nullptr) << id;
        registry_free(registry, id);
    }
    EXPECT_EQ(registry_allocate(registry, -2), nullptr);
    EXPECT_EQ(registry_allocate(registry, INTPTR_MAX), nullptr);
    EXPECT_NE(registry_get(registry, mine), nullptr);
    EXPECT_EQ(registry_get(nullptr, 0), nullptr);
}

TEST(RegistryWithoutCallback, FreeAllLeavesObjectsInPlace)
{
    ObjectRegistry *registry = registry_create(sizeof(Thing), 16, nullptr);
    make(registry, 4, 4);
    ObjectId a = make(registry, ANY, 5);
    registry_free_all(registry);
    EXPECT_NE(registry_get(registry, 4), nullptr);
    EXPECT_NE(registry_get(registry, a), nullptr);
    // Allocating a used number without a callback hands the record back untouched.
    EXPECT_EQ(static_cast<Thing *>(registry_allocate(registry, 4))->payload, 4);
    registry_destroy(registry);
}

} // namespace
