// The numbered records of one kind of toolkit object (windows, status bars)
// over the core registry, shared by both back-ends. Every call runs on the
// event-loop thread.
#pragma once

#include "core/core.h"

#include <cstdint>

template <class Record> class Numbered {
public:
    // Once, at start-up. close ends the object of one number (the public free
    // or close call); ending ANY runs it for every live number. The registry
    // grows by grow_step records at a time.
    void init(RegistryFreeCallback close, std::int32_t grow_step = 16) {
        if (!registry_)
            registry_ = registry_create(sizeof(Record), grow_step, close);
    }

    // The record of a live number, else null.
    Record *lookup(ObjectId id) const {
        return registry_ ? static_cast<Record *>(registry_get(registry_, id)) : nullptr;
    }

    // A zero-filled record for number (ANY numbers it by its address) and its
    // number in *id; null when the number is below ANY or memory runs out.
    Record *allocate(ObjectId number, ObjectId *id) {
        if (!registry_ || number < ANY)
            return nullptr;
        auto *record = static_cast<Record *>(registry_allocate(registry_, number));
        if (record)
            *id = number == ANY ? reinterpret_cast<ObjectId>(record) : number;
        return record;
    }

    // Drops the record of a number whose object is gone.
    void forget(ObjectId id) { registry_free(registry_, id); }

    // ANY ends every object through close; another number has end_one run on
    // its record when it is live.
    template <class End> void end(ObjectId id, End &&end_one) {
        if (!registry_)
            return;
        if (id == ANY) {
            registry_free_all(registry_);
            return;
        }
        if (Record *record = lookup(id))
            end_one(record);
    }

    // The first record matches takes, with its number in *id (when id is not
    // null); null when none does.
    template <class Match> Record *find(Match &&matches, ObjectId *id) const {
        if (!registry_)
            return nullptr;
        registry_iterate(registry_);
        ObjectId found = 0;
        while (void *entry = registry_next(registry_, &found)) {
            auto *record = static_cast<Record *>(entry);
            if (matches(record)) {
                if (id)
                    *id = found;
                return record;
            }
        }
        return nullptr;
    }

private:
    ObjectRegistry *registry_ = nullptr;
};

// What creating an object answers: its number when it was asked for ANY,
// else its native handle.
inline std::intptr_t creation_answer(ObjectId number, ObjectId id, const void *native) {
    return number == ANY ? id : reinterpret_cast<std::intptr_t>(native);
}
