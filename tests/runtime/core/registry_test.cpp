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
    *thing = {1, payload};
    return id == ANY ? reinterpret_cast<ObjectId>(thing) : id;
}

std::vector<ObjectId> walk(ObjectRegistry *registry, bool free_each)
{
    std::vector<ObjectId> walked;
    ObjectId id = 0;
    registry_iterate(registry);
    while (registry_next(registry, &id)) {
        walked.push_back(id);
        if (free_each)
            registry_free(registry, id);
    }
    return walked;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        closed.clear();
        current = registry = registry_create(sizeof(Thing), 16, close_thing);
        ASSERT_NE(registry, nullptr);
    }
    void TearDown() override { registry_destroy(registry); }
    ObjectRegistry *registry = nullptr;
};

TEST_F(RegistryTest, NumbersGrowTheTableAndReuseTheirRecords)
{
    make(registry, 5, 5);
    EXPECT_EQ(registry->capacity, 16);
    make(registry, 16, 16);
    EXPECT_EQ(registry->capacity, 32);
    make(registry, 100, 100);
    EXPECT_EQ(registry->capacity, 116);
    for (ObjectId n = 17; n < 116; ++n)
        EXPECT_EQ(registry->slots[n] == nullptr, n != 100) << n;

    void *record = registry_get(registry, 5);
    registry_free(registry, 5);
    EXPECT_EQ(registry_get(registry, 5), nullptr);
    EXPECT_EQ(registry_allocate(registry, 5), record);
    EXPECT_EQ(static_cast<Thing *>(record)->payload, 0);

    // A live object under the number is destroyed before the record is handed
    // out; for a zeroed record the callback finds nothing.
    make(registry, 2, 7);
    EXPECT_EQ(static_cast<Thing *>(registry_allocate(registry, 2))->payload, 0);
    EXPECT_EQ(closed, (std::vector<ObjectId>{5, 2}));
}

TEST_F(RegistryTest, FreeAllAndWalkFollowTheirOrders)
{
    make(registry, 3, 3);
    make(registry, 1, 1);
    ObjectId a = make(registry, ANY, 10);
    ObjectId b = make(registry, ANY, 11);
    EXPECT_EQ(walk(registry, false), (std::vector<ObjectId>{1, 3, a, b}));
    registry_free_all(registry);
    EXPECT_EQ(closed, (std::vector<ObjectId>{1, 3, b, a}));
    EXPECT_EQ(registry->dynamic_list, nullptr);
    EXPECT_EQ(walk(registry, false), std::vector<ObjectId>{});
}

TEST_F(RegistryTest, ObjectsMayBeFreedDuringAWalk)
{
    make(registry, 0, 0);
    ObjectId a = make(registry, ANY, 1);
    ObjectId b = make(registry, ANY, 2);
    EXPECT_EQ(walk(registry, true), (std::vector<ObjectId>{0, a, b}));
    EXPECT_EQ(registry->dynamic_list, nullptr);

    // Freeing the node the cursor waits on moves the cursor past it.
    a = make(registry, ANY, 1);
    b = make(registry, ANY, 2);
    ObjectId c = make(registry, ANY, 3);
    registry_iterate(registry);
    ObjectId id = 0;
    registry_next(registry, &id);
    registry_free(registry, b);
    EXPECT_NE(registry_next(registry, &id), nullptr);
    EXPECT_EQ(id, c);
}

TEST_F(RegistryTest, ForeignIdsNameNothingAndAreHarmless)
{
    ObjectId mine = make(registry, ANY, 1);
    Thing outsider{1, 2};
    auto foreign = reinterpret_cast<ObjectId>(&outsider);
    for (ObjectId id : {foreign, ObjectId{-2}, ANY, ObjectId{1000}, INTPTR_MAX}) {
        EXPECT_EQ(registry_get(registry, id), nullptr) << id;
        registry_free(registry, id);
    }
    EXPECT_EQ(outsider.live, 1);
    EXPECT_EQ(registry_allocate(registry, -2), nullptr);
    EXPECT_EQ(registry_allocate(registry, INTPTR_MAX), nullptr);
    EXPECT_NE(registry_get(registry, mine), nullptr);
}

TEST(RegistryWithoutCallback, FreeAllLeavesObjectsInPlace)
{
    ObjectRegistry *registry = registry_create(sizeof(Thing), 16, nullptr);
    make(registry, 4, 4);
    ObjectId a = make(registry, ANY, 5);
    registry_free_all(registry);
    EXPECT_NE(registry_get(registry, a), nullptr);
    EXPECT_EQ(static_cast<Thing *>(registry_allocate(registry, 4))->payload, 4);
    registry_destroy(registry);
}

} // namespace
