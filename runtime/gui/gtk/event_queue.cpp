// The runtime's event queue: GTK signal handlers post small records, the
// application drains them with event_wait, which pumps GTK one iteration at a
// time. Everything here runs on the event-loop thread; calls from other
// threads are handed over to it.
#include "gtk_private.h"

#include <chrono>
#include <ctime>

namespace {

struct EventNode {
    EventNode *next;
    std::int32_t type;
    std::uint32_t post_flags;     // no poster in this program sets any
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
    node->next = node_pool;
    node_pool = node;
}

bool same_event(const EventNode *node, std::int32_t type, std::intptr_t object,
                std::intptr_t window, std::intptr_t subtype) {
    return node->type == type && node->object == object && node->window == window &&
           node->subtype == subtype;
}

std::int32_t event_fetch() {
    current.type = 0;
    if (current.payload && current.release) {
        current.release(current.payload);
        current.payload = nullptr;
        current.release = nullptr;
    }
    current.subtype = -1;
    if (EventNode *node = queue_head) {
        current = {node->type, node->object, node->window, node->subtype, node->payload,
                   node->release};
        queue_head = node->next;
        if (!queue_head)
            queue_tail = nullptr;
        node_return(node);
    }
    return current.type;
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
            node_return(node);
        } else {
            previous = node;
        }
        node = next;
    }
}

bool matches(std::intptr_t wanted, std::intptr_t value) { return wanted == -1 || wanted == value; }

std::int32_t fetch_or_nothing() {
    std::int32_t code = event_fetch();
    return code ? code : -1;
}

void sleep_2ms() {
    timespec pause{0, 2000000};
    nanosleep(&pause, nullptr);
}

std::int32_t wait_on_gui_thread(std::int32_t ms) {
    if (std::int32_t code = event_fetch())
        return code;
    if (ms < 0) {
        gtk_main_iteration();
        return fetch_or_nothing();
    }
    if (ms > 0) {
        auto start = std::chrono::steady_clock::now();
        while (!gtk_events_pending()) {
            sleep_2ms();
            if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
                break;
        }
    }
    if (gtk_events_pending()) {
        gtk_main_iteration_do(FALSE);
        return fetch_or_nothing();
    }
    return event_fetch();
}

} // namespace

void event_system_init() {
    queue_head = queue_tail = nullptr;
    current = {};
    suspension = 0;
}

void event_post(std::int32_t type, std::intptr_t object, std::intptr_t window,
                std::intptr_t subtype) {
    on_gui_thread([&] {
        if (suspension > 0)
            return;
        if (queue_tail && type <= 0xFFFF && same_event(queue_tail, type, object, window, subtype))
            return;   // a repeat of the newest queued event
        EventNode *node = node_take();
        *node = {nullptr, type, 0, object, window, subtype, nullptr, nullptr};
        (queue_tail ? queue_tail->next : queue_head) = node;
        queue_tail = node;
    });
}

std::int32_t event_wait() { return event_wait_timeout(-1); }

std::int32_t event_wait_timeout(std::int32_t ms) {
    return on_gui_thread([&] { return wait_on_gui_thread(ms); });
}

std::intptr_t event_gadget() { return on_gui_thread([] { return current.object; }); }
std::intptr_t event_menu() { return on_gui_thread([] { return current.object; }); }
std::intptr_t event_type() { return on_gui_thread([] { return current.subtype; }); }

std::int32_t event_peek_type() {
    return on_gui_thread([] { return queue_head ? queue_head->type : 0; });
}

void event_queue_suspend() {
    on_gui_thread([] { ++suspension; });
}

void event_queue_resume() {
    on_gui_thread([] { --suspension; });
}

void event_purge(std::int32_t type, std::intptr_t object, std::intptr_t window,
                 std::intptr_t subtype) {
    on_gui_thread([&] {
        purge_where([&](const EventNode &node) {
            return matches(type, node.type) && matches(object, node.object) &&
                   matches(window, node.window) && matches(subtype, node.subtype);
        });
    });
}

void event_purge_window(std::intptr_t window) {
    on_gui_thread([&] { purge_where([&](const EventNode &node) { return node.window == window; }); });
}

void toolkit_flush() {
    on_gui_thread([] {
        while (gtk_events_pending())
            gtk_main_iteration_do(FALSE);
    });
}
