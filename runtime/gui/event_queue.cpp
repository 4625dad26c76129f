#include "internal/event_queue.h"

#include "gui/gui.h"
#include "internal/gui_handover.h"

namespace {

struct EventNode {
    EventNode *next;
    std::int32_t type;
    std::uint32_t post_flags;
    std::intptr_t object;
    std::intptr_t window;
    std::intptr_t subtype;
    void *payload;
    void (*release)(void *);
};

struct CurrentEvent {
    std::int32_t type;
    std::intptr_t object;
    std::intptr_t window;
    std::intptr_t subtype;
    void *payload;
    void (*release)(void *);
};

EventNode *queue_head = nullptr;
EventNode *queue_tail = nullptr;
// Fetched and purged nodes wait here for reuse; they are never freed.
EventNode *node_pool = nullptr;
CurrentEvent current{};
int suspension = 0;

EventNode *node_take() {
    if (!node_pool)
        return new EventNode{};
    EventNode *node = node_pool;
    node_pool = node->next;
    return node;
}

void node_return(EventNode *node) {
    node->payload = nullptr;
    node->release = nullptr;
    node->next = node_pool;
    node_pool = node;
}

bool repeats_tail(std::int32_t type, std::intptr_t object, std::intptr_t window,
                  std::intptr_t subtype) {
    return queue_tail && type <= 0xFFFF && queue_tail->type == type &&
           queue_tail->object == object && queue_tail->window == window &&
           queue_tail->subtype == subtype;
}

// Removes every queued node the predicate selects, keeping the others in order.
template <class Match> void purge_where(Match match) {
    EventNode *previous = nullptr;
    EventNode *node = queue_head;
    while (node) {
        EventNode *next = node->next;
        if (match(*node)) {
            (previous ? previous->next : queue_head) = next;
            if (node == queue_tail)
                queue_tail = previous;
            if (node->payload && node->release)
                node->release(node->payload);
            node_return(node);
        } else {
            previous = node;
        }
        node = next;
    }
}

bool matches(std::intptr_t wanted, std::intptr_t value) { return wanted == -1 || wanted == value; }

} // namespace

void event_records_reset() {
    purge_where([](const EventNode &) { return true; });
    if (current.payload && current.release)
        current.release(current.payload);
    current = {};
    suspension = 0;
}

void event_records_post(std::int32_t type, std::intptr_t object, std::intptr_t window,
                        std::intptr_t subtype, void *payload, void (*release)(void *),
                        std::uint32_t flags) {
    const bool dropped = (suspension > 0 && !(flags & POST_WHILE_SUSPENDED)) ||
                         (!(flags & POST_ALWAYS_APPEND) && repeats_tail(type, object, window, subtype));
    if (dropped) {
        if (payload && release)   // nobody else will ever see it
            release(payload);
        return;
    }
    EventNode *node = node_take();
    *node = {nullptr, type, flags, object, window, subtype, payload, release};
    (queue_tail ? queue_tail->next : queue_head) = node;
    queue_tail = node;
}

std::int32_t event_records_fetch() {
    current.type = 0;
    if (current.payload && current.release) {
        current.release(current.payload);
        current.payload = nullptr;
        current.release = nullptr;
    }
    current.subtype = -1;
    if (EventNode *node = queue_head) {
        current = {node->type,    node->object,  node->window,
                   node->subtype, node->payload, node->release};
        queue_head = node->next;
        if (!queue_head)
            queue_tail = nullptr;
        node_return(node);
    }
    return current.type;
}

std::int32_t event_records_peek_type() { return queue_head ? queue_head->type : 0; }
std::int32_t event_records_current_type() { return current.type; }
void *event_records_current_payload() { return current.payload; }
std::intptr_t event_records_current_object() { return current.object; }
std::intptr_t event_records_current_subtype() { return current.subtype; }
void event_records_suspend() { ++suspension; }
void event_records_resume() { --suspension; }

void event_records_purge(std::int32_t type, std::intptr_t object, std::intptr_t window,
                         std::intptr_t subtype) {
    purge_where([&](const EventNode &node) {
        return matches(type, node.type) && matches(object, node.object) &&
               matches(window, node.window) && matches(subtype, node.subtype);
    });
}

void event_records_purge_window(std::intptr_t window) {
    purge_where([&](const EventNode &node) { return node.window == window; });
}

// ---------------------------------------------------------------------------
// The public queue operations both back-ends share: each runs on the
// event-loop thread.
// ---------------------------------------------------------------------------

std::int32_t event_wait() { return event_wait_timeout(-1); }

void event_post(std::int32_t type, std::intptr_t object, std::intptr_t window,
                std::intptr_t subtype) {
    event_post_full(type, object, window, subtype, nullptr, nullptr, 0);
}

// From any thread the same post: on the event loop's thread, under the
// queue's rules of suspension and merging, so a worker's post is dropped
// while the program changes a gadget just as the toolkit's own would be.
void event_post_full(std::int32_t type, std::intptr_t object, std::intptr_t window,
                     std::intptr_t subtype, void *payload, void (*release)(void *),
                     std::uint32_t flags) {
    const bool posted = on_gui_thread([&] {
        event_records_post(type, object, window, subtype, payload, release, flags);
        return true;
    });
    // An event that never queued still owns its payload.
    if (!posted && payload && release)
        release(payload);
}

std::intptr_t event_gadget() {
    return on_gui_thread([] { return event_records_current_object(); });
}

std::intptr_t event_menu() {
    return on_gui_thread([] { return event_records_current_object(); });
}

std::intptr_t event_type() {
    return on_gui_thread([] { return event_records_current_subtype(); });
}

std::int32_t event_fetch() {
    return on_gui_thread([] { return event_records_fetch(); });
}

std::int32_t event_type_current() {
    return on_gui_thread([] { return event_records_current_type(); });
}

void *event_payload() {
    return on_gui_thread([] { return event_records_current_payload(); });
}

std::int32_t event_peek_type() {
    return on_gui_thread([] { return event_records_peek_type(); });
}

void event_queue_suspend() {
    on_gui_thread([] { event_records_suspend(); });
}

void event_queue_resume() {
    on_gui_thread([] { event_records_resume(); });
}

void event_purge(std::int32_t type, std::intptr_t object, std::intptr_t window,
                 std::intptr_t subtype) {
    on_gui_thread([&] { event_records_purge(type, object, window, subtype); });
}

void event_purge_window(std::intptr_t window) {
    on_gui_thread([&] { event_records_purge_window(window); });
}
