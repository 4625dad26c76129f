// Object registry: a numbered table of records plus a list of dynamic records
// whose handles are their own addresses.
#include "core/core.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// Header in front of every dynamic record. Two pointers keep the record that
// follows aligned for any field a kind may store.
struct RegistryNode {
    RegistryNode *next;     // older node
    RegistryNode *previous; // newer node
};

namespace {

void *node_record(RegistryNode *node) {
    return reinterpret_cast<unsigned char *>(node) + sizeof(RegistryNode);
}

bool record_live(const void *record) {
    std::intptr_t first = 0;
    std::memcpy(&first, record, sizeof first);
    return first != 0;
}

bool is_number(const ObjectRegistry *registry, ObjectId id) {
    return id >= 0 && id < registry->capacity;
}

// Handles are only trusted when this registry issued them: the id must be the
// record address of one of our nodes. The list is short (a handful of
// objects per kind), and an unknown id is never dereferenced.
RegistryNode *find_node(const ObjectRegistry *registry, ObjectId id) {
    for (RegistryNode *node = registry->dynamic_list; node; node = node->next) {
        if (reinterpret_cast<ObjectId>(node_record(node)) == id)
            return node;
    }
    return nullptr;
}

bool grow_table(ObjectRegistry *registry, ObjectId number) {
    if (number > INTPTR_MAX - registry->grow_step)
        return false;
    std::intptr_t capacity = number + registry->grow_step;
    if (static_cast<std::uintmax_t>(capacity) > SIZE_MAX / sizeof(void *))
        return false;
    void *table =
        std::realloc(registry->slots, static_cast<std::size_t>(capacity) * sizeof(void *));
    if (!table)
        return false;
    registry->slots = static_cast<void **>(table);
    for (std::intptr_t i = registry->capacity; i < capacity; ++i)
        registry->slots[i] = nullptr;
    registry->capacity = capacity;
    return true;
}

void *allocate_dynamic(ObjectRegistry *registry) {
    auto *node = static_cast<RegistryNode *>(
        std::calloc(1, sizeof(RegistryNode) + static_cast<std::size_t>(registry->object_size)));
    if (!node)
        return nullptr;
    node->next = registry->dynamic_list;
    if (node->next)
        node->next->previous = node;
    registry->dynamic_list = node;
    return node_record(node);
}

} // namespace

ObjectRegistry *registry_create(std::int32_t object_size, std::int32_t grow_step,
                                RegistryFreeCallback free_callback) {
    if (object_size < static_cast<std::int32_t>(sizeof(std::intptr_t)) || grow_step < 1)
        return nullptr;
    auto *registry = static_cast<ObjectRegistry *>(std::calloc(1, sizeof(ObjectRegistry)));
    if (!registry)
        return nullptr;
    registry->object_size = object_size;
    registry->grow_step = grow_step;
    registry->free_callback = free_callback;
    registry->slots =
        static_cast<void **>(std::calloc(static_cast<std::size_t>(grow_step), sizeof(void *)));
    if (!registry->slots) {
        std::free(registry);
        return nullptr;
    }
    registry->capacity = grow_step;
    return registry;
}

void *registry_allocate(ObjectRegistry *registry, ObjectId id) {
    if (!registry || id < ANY)
        return nullptr;
    if (id == ANY)
        return allocate_dynamic(registry);
    if (id >= registry->capacity && !grow_table(registry, id))
        return nullptr;
    if (registry->slots[id]) {
        // Whatever was open under this number goes first; for a zeroed record
        // the callback finds nothing to destroy.
        if (registry->free_callback)
            registry->free_callback(id);
        return registry->slots[id];
    }
    registry->slots[id] = std::calloc(1, static_cast<std::size_t>(registry->object_size));
    return registry->slots[id];
}

void *registry_get(ObjectRegistry *registry, ObjectId id) {
    if (!registry)
        return nullptr;
    void *record = nullptr;
    if (is_number(registry, id))
        record = registry->slots[id];
    else if (RegistryNode *node = find_node(registry, id))
        record = node_record(node);
    return record && record_live(record) ? record : nullptr;
}

void registry_free(ObjectRegistry *registry, ObjectId id) {
    if (!registry)
        return;
    if (is_number(registry, id)) {
        if (void *record = registry->slots[id])
            std::memset(record, 0, static_cast<std::size_t>(registry->object_size));
        return;
    }
    RegistryNode *node = find_node(registry, id);
    if (!node)
        return;
    // A walk in progress must not be left holding the node we free.
    if (registry->walk_cursor == node)
        registry->walk_cursor = node->previous;
    if (node->next)
        node->next->previous = node->previous;
    if (node->previous)
        node->previous->next = node->next;
    else
        registry->dynamic_list = node->next;
    std::free(node);
}

void registry_free_all(ObjectRegistry *registry) {
    if (!registry || !registry->free_callback)
        return;
    registry->walk_position = 0;
    for (std::intptr_t number = 0; number < registry->capacity; ++number) {
        void *record = registry->slots[number];
        if (record && record_live(record))
            registry->free_callback(number);
    }
    while (RegistryNode *head = registry->dynamic_list) {
        registry->free_callback(reinterpret_cast<ObjectId>(node_record(head)));
        // A record that never became live (or a callback that left it) would
        // otherwise keep this loop going for ever.
        if (registry->dynamic_list == head)
            registry_free(registry, reinterpret_cast<ObjectId>(node_record(head)));
    }
}

void registry_destroy(ObjectRegistry *registry) {
    if (!registry)
        return;
    while (RegistryNode *head = registry->dynamic_list) {
        registry->dynamic_list = head->next;
        std::free(head);
    }
    for (std::intptr_t number = 0; number < registry->capacity; ++number)
        std::free(registry->slots[number]);
    std::free(registry->slots);
    std::free(registry);
}

void registry_iterate(ObjectRegistry *registry) {
    if (!registry)
        return;
    registry->walk_position = 0;
    RegistryNode *oldest = registry->dynamic_list;
    while (oldest && oldest->next)
        oldest = oldest->next;
    registry->walk_cursor = oldest;
}

void *registry_next(ObjectRegistry *registry, ObjectId *id) {
    if (!registry)
        return nullptr;
    while (registry->walk_position < registry->capacity) {
        std::intptr_t number = registry->walk_position++;
        void *record = registry->slots[number];
        if (record && record_live(record)) {
            if (id)
                *id = number;
            return record;
        }
    }
    while (RegistryNode *node = registry->walk_cursor) {
        registry->walk_cursor = node->previous;
        void *record = node_record(node);
        if (record_live(record)) {
            if (id)
                *id = reinterpret_cast<ObjectId>(record);
            return record;
        }
    }
    return nullptr;
}
