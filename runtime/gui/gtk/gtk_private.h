// Shared inside the GTK back-end only: records, operation tables, the
// hand-over of calls to the event-loop thread and small GLib helpers.
#pragma once

#include "gui/event_records.h"
#include "gui/gui.h"
#include "gui/gui_handover.h"

#include <gtk/gtk.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// GLib helpers
// ---------------------------------------------------------------------------
struct GFreeDeleter {
    void operator()(void *block) const { g_free(block); }
};
// A string GTK handed over with g_malloc.
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

// Text read from GTK; invalid UTF-8 is repaired instead of trusted.
WideText text_from_gtk(const char *utf8);
// Same for a g_malloc'd string, which is freed.
WideText text_from_gtk_owned(char *utf8);

template <class T> gpointer id_to_pointer(T id) {
    return reinterpret_cast<gpointer>(static_cast<std::intptr_t>(id));
}
inline ObjectId pointer_to_id(gconstpointer data) {
    return static_cast<ObjectId>(reinterpret_cast<std::intptr_t>(data));
}

// ---------------------------------------------------------------------------
// Event-loop thread
// ---------------------------------------------------------------------------
// The thread that ran runtime_start owns every GTK object.
void gui_thread_bind();
// Wakes every caller waiting on the event-loop thread and dismisses the
// requesters they wait on; later calls from other threads return at once.
void gui_thread_shutdown_begin();
bool gui_thread_shutting_down();

// Waits (any thread but the event-loop one) until done() is true or shut-down
// began; done() is evaluated under the hand-over lock. Returns done().
bool gui_wait_until(bool (*done)(void *), void *context);
// Wakes gui_wait_until callers after state they test was changed by fn, which
// runs under the hand-over lock.
void gui_signal(void (*fn)(void *), void *context);

// ---------------------------------------------------------------------------
// Event queue
// ---------------------------------------------------------------------------
void locale_init();
void toolkit_init(int argc, char **argv);
void event_system_init();

// ---------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------
struct WindowRecord {
    GtkWidget *widget;            // the GtkWindow; non-null while open
    GtkWidget *parent;            // never set: no child windows are opened
    GtkAccelGroup *accelerators;
    std::int32_t flags;           // open flags after the tool-window rule
    GtkCssProvider *style;
};

void window_system_init();
// The window registry entry whose widget is this GtkWindow, null if none.
WindowRecord *window_find_native(void *gtk_window, ObjectId *id);

// ---------------------------------------------------------------------------
// Gadgets
// ---------------------------------------------------------------------------
struct GadgetRecord;

// Operation table of one gadget kind. Slots this build never fills keep their
// place so the table has its fixed layout of 33 pointer-sized entries.
using UnusedSlot = void (*)();
struct GadgetClass {
    std::int32_t size;                                           // 0: bytes in the table
    std::int32_t kind;                                           //    and the kind number
    UnusedSlot give_focus;                                       // 1
    void (*free_state)(GadgetRecord *);                          // 2
    std::intptr_t (*get_state)(GadgetRecord *);                  // 3
    void (*set_state)(GadgetRecord *, std::intptr_t);            // 4
    WideText (*get_text)(GadgetRecord *);                        // 5
    void (*set_text)(GadgetRecord *, const char *);              // 6
    std::intptr_t (*add_item)(GadgetRecord *, std::intptr_t, const char *, void *); // 7
    UnusedSlot add_item_flags;                                   // 8
    void (*remove_item)(GadgetRecord *, std::intptr_t);          // 9
    UnusedSlot clear_items, slot_11, count_items;                // 10-12
    UnusedSlot get_item_state, set_item_state;                   // 13-14
    WideText (*get_item_text)(GadgetRecord *, std::intptr_t, std::int32_t); // 15
    UnusedSlot set_item_text, set_font, slot_18;                 // 16-18
    std::intptr_t (*add_column)(GadgetRecord *, std::int32_t, const char *, std::int32_t); // 19
    UnusedSlot get_attribute, set_attribute;                     // 20-21
    UnusedSlot get_item_attribute, set_item_attribute;           // 22-23
    UnusedSlot remove_column, set_color, get_color;              // 24-26
    UnusedSlot set_item_color, get_item_color;                   // 27-28
    UnusedSlot set_item_data, get_item_data, get_font;           // 29-31
    UnusedSlot set_item_image;                                   // 32
};
static_assert(sizeof(GadgetClass) == 33 * sizeof(void *));
// An empty table of the kind: size and kind set, every operation null.
GadgetClass gadget_class_of_kind(std::int32_t kind);

struct GadgetRecord {
    GtkWidget *widget;          // main widget: carries the data keys, emits the signals
    GtkWidget *outer;           // widget put into the layout when not the main one
    const GadgetClass *gadget_class;
    ObjectId window;            // number of the window the gadget was created in
    std::intptr_t word[5];      // per-kind state, kind words 1 to 5
};

// Store of a combo box or a list: model, selection and column map.
struct StoreRecord {
    GtkListStore *store;
    GtkTreeSelection *selection;   // null for a combo
    std::int32_t data_column;      // model column holding the item data
    std::int32_t column_count;     // gadget columns
    GList *columns;                // model column of each gadget column
};

void gadget_system_init();
GadgetRecord *gadget_lookup(ObjectId gadget);
// Creation path shared by all kinds. gadget_place allocates the record, sizes
// the placed widget and puts it into the current gadget list; it returns null
// (and drops the widgets) when there is no gadget list. gadget_finish runs the
// common tail and returns what the constructor returns.
GadgetRecord *gadget_place(ObjectId number, ObjectId *id, GtkWidget *main, GtkWidget *outer,
                           const GadgetClass *gadget_class, std::int32_t x, std::int32_t y,
                           std::int32_t width, std::int32_t height);
std::intptr_t gadget_finish(ObjectId number, ObjectId id, GadgetRecord *record);
ObjectId gadget_window_of(GtkWidget *widget);
void gadget_post_event(GtkWidget *widget, std::intptr_t subtype);
void gadget_list_use(GtkWindow *window);
// Pixel size of a gadget as laid out by its creator.
std::int32_t gadget_width(GadgetRecord *record);
std::int32_t gadget_height(GadgetRecord *record);

// Store record helpers shared by combo and list.
StoreRecord *store_record_new(GtkListStore *store);
void store_record_free(StoreRecord *record);
// Row n of the store, false when it does not exist.
bool store_row(GtkListStore *store, std::intptr_t row, GtkTreeIter *iter);
GtkListStore *gadget_store(GadgetRecord *record);

// Signal handlers shared by several kinds (user data = gadget id).
gboolean gadget_on_focus_in(GtkWidget *, GdkEvent *, gpointer id);
gboolean gadget_on_focus_out(GtkWidget *, GdkEvent *, gpointer id);
void gadget_on_changed(GtkWidget *widget, gpointer id);
// Blocks or unblocks every handler of the widget that calls this function.
void handlers_block(GtkWidget *widget, gpointer handler, bool block);

// Insert filters of string and editable combo entries.
enum class InsertFilter { none, upper_case, lower_case, digits_only };
void insert_filter_connect(GtkWidget *entry, InsertFilter filter);
void insert_filter_block(GtkWidget *entry, bool block);
std::string insert_filter_apply(InsertFilter filter, const char *text, std::size_t length);

// ---------------------------------------------------------------------------
// Status bars and requesters
// ---------------------------------------------------------------------------
void statusbar_system_init();
// Dismisses message requesters other threads wait on (answer 0).
void requester_dismiss_pending();

struct FilePattern {
    std::string name;
    std::vector<std::string> patterns;
};
// "Name|pattern;pattern|Name|pattern" into filters; "*.*" becomes "*".
std::vector<FilePattern> parse_file_patterns(const std::string &pattern);
