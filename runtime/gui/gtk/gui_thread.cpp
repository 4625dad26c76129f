// Hand-over of toolkit calls to the GTK event loop. A call from any other
// thread is queued as an idle source on the default main context. An idle
// source is used rather than g_main_context_invoke, which runs the function
// on the calling thread whenever that thread can acquire the context (the
// event loop between two iterations), and that must never happen here.
#include "gtk_private.h"

namespace {

gboolean dispatch_call(gpointer call) {
    gui_call_run(static_cast<GuiCall *>(call));
    return G_SOURCE_REMOVE;
}

gboolean run_later_call(gpointer data) {
    const auto *later = static_cast<LaterCall *>(data);
    later->call(later->context);
    return G_SOURCE_REMOVE;
}

} // namespace

// The source lets go of the call when it is destroyed, run or not.
bool gui_post_call(GuiCall *call) {
    g_idle_add_full(G_PRIORITY_DEFAULT, dispatch_call, call,
                    [](gpointer data) { gui_call_release(static_cast<GuiCall *>(data)); });
    return true;
}

// A low-priority timer: whatever is already queued at the default priority,
// such as a worker's next call, comes first.
void run_later_on_gui_thread(void (*call)(void *), void *context) {
    g_timeout_add_full(G_PRIORITY_LOW, REMOVAL_GRACE_MS, run_later_call, new LaterCall{call, context},
                       [](gpointer data) { delete static_cast<LaterCall *>(data); });
}
