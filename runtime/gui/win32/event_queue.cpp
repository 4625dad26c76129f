// The runtime's event queue on Win32: window procedures post small records,
// the application drains them with event_wait, which runs the thread's message
// loop one message at a time. A hidden message-only window receives the
// requests other threads send to this thread.
#include "win32_private.h"

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

// A post from another thread, carried by "KW_PostEventMessage".
struct ForeignPost {
    std::int32_t type;
    std::intptr_t object;
    std::intptr_t window;
    std::intptr_t subtype;
};

constexpr std::uint32_t post_while_suspended = 0x1;
constexpr std::uint32_t always_append = 0x2;
constexpr wchar_t post_event_class[] = L"PostEventClass";

EventNode *queue_head = nullptr;
EventNode *queue_tail = nullptr;
// Fetched and purged nodes wait here for reuse; they are never freed.
EventNode *node_pool = nullptr;
CurrentEvent current{};
int suspension = 0;
HWND post_window = nullptr;
UINT post_event_message = 0;

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

LRESULT CALLBACK post_event_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KW_CALL) {
        gui_thread_run_posted(lparam);
        return 0;
    }
    if (message == post_event_message && post_event_message) {
        auto *post = reinterpret_cast<ForeignPost *>(lparam);
        event_post_full(post->type, post->object, post->window, post->subtype, nullptr, nullptr,
                        post_while_suspended);
        delete post;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool next_message(std::int32_t ms, MSG *msg) {
    if (ms < 0) {
        GetMessageW(msg, nullptr, 0, 0);   // 0 for WM_QUIT, which is returned as it is
        return true;
    }
    if (PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD))
        return true;
    if (ms == 0)
        return false;
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT) ==
        WAIT_TIMEOUT)
        return false;
    return PeekMessageW(msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD);
}

std::int32_t wait_on_owner_thread(std::int32_t ms) {
    if (std::int32_t code = event_fetch())
        return code;
    MSG msg{};
    if (!next_message(ms, &msg))
        return 0;
    HWND active = GetActiveWindow();
    HACCEL table = dispatch_accelerators(active);
    if (table && TranslateAcceleratorW(active, table, &msg)) {
        keyboard_cues(active, true);
    } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<std::int32_t>(msg.message);
}

} // namespace

void event_system_init() {
    queue_head = queue_tail = nullptr;
    current = {};
    suspension = 0;
    post_event_message = RegisterWindowMessageW(L"KW_PostEventMessage");
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = post_event_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = post_event_class;
    RegisterClassExW(&window_class);
    post_window = CreateWindowExW(0, post_event_class, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  window_class.hInstance, nullptr);
}

void event_system_shutdown() {
    if (post_window)
        DestroyWindow(post_window);
    post_window = nullptr;
    UnregisterClassW(post_event_class, GetModuleHandleW(nullptr));
}

HWND post_event_window() { return post_window; }

void event_post_full(std::int32_t type, std::intptr_t object, std::intptr_t window,
                     std::intptr_t subtype, void *payload, void (*release)(void *),
                     std::uint32_t flags) {
    if (suspension > 0 && !(flags & post_while_suspended))
        return;
    if (queue_tail && type <= 0xFFFF && !(flags & always_append) && queue_tail->type == type &&
        queue_tail->object == object && queue_tail->window == window &&
        queue_tail->subtype == subtype)
        return;   // a repeat of the newest queued event
    EventNode *node = node_take();
    *node = {nullptr, type, flags, object, window, subtype, payload, release};
    (queue_tail ? queue_tail->next : queue_head) = node;
    queue_tail = node;
}

void event_post(std::int32_t type, std::intptr_t object, std::intptr_t window,
                std::intptr_t subtype) {
    if (gui_thread_is_current()) {
        event_post_full(type, object, window, subtype, nullptr, nullptr, 0);
        return;
    }
    // Another thread posts without waiting: the record travels to the owner.
    auto *post = new ForeignPost{type, object, window, subtype};
    if (!post_window || !PostMessageW(post_window, post_event_message, 0,
                                      reinterpret_cast<LPARAM>(post)))
        delete post;
}

std::int32_t event_wait() { return event_wait_timeout(-1); }

std::int32_t event_wait_timeout(std::int32_t ms) {
    return on_gui_thread([&] { return wait_on_owner_thread(ms); });
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
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
}
