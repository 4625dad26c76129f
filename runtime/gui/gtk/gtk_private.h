// Shared inside the GTK back-end only: records, operation tables, the
// hand-over of calls to the event-loop thread and small GLib helpers.
#pragma once

#include "internal/event_queue.h"
#include "gui/gui.h"
#include "internal/gui_handover.h"

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
// The thread that ran gui_init (through runtime_start) owns every GTK object;
// internal/gui_handover.h hands calls from other threads over to it.

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
    GtkWidget *widget; // the GtkWindow; non-null while open
    GtkWidget *parent; // the window given to window_open_child, else null
    GtkAccelGroup *accelerators;
    std::int32_t flags; // open flags after the tool-window rule
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
using Item = std::intptr_t;
struct GadgetClass {
    std::int32_t size;                                                     // 0: bytes in the table
    std::int32_t kind;                                                     //    and the kind number
    void (*give_focus)(GadgetRecord *);                                    // 1
    void (*free_state)(GadgetRecord *);                                    // 2
    std::intptr_t (*get_state)(GadgetRecord *);                            // 3
    void (*set_state)(GadgetRecord *, std::intptr_t);                      // 4
    WideText (*get_text)(GadgetRecord *);                                  // 5
    void (*set_text)(GadgetRecord *, const char *);                        // 6
    std::intptr_t (*add_item)(GadgetRecord *, Item, const char *, void *); // 7
    std::intptr_t (*add_item_flags)(GadgetRecord *, Item, const char *, void *, std::int32_t); // 8
    void (*remove_item)(GadgetRecord *, Item);                                                 // 9
    void (*clear_items)(GadgetRecord *);                                                       // 10
    UnusedSlot slot_11;                                                                        // 11
    std::intptr_t (*count_items)(GadgetRecord *);                                              // 12
    std::intptr_t (*get_item_state)(GadgetRecord *, Item);                                     // 13
    void (*set_item_state)(GadgetRecord *, Item, std::intptr_t);                               // 14
    WideText (*get_item_text)(GadgetRecord *, Item, std::int32_t);                             // 15
    void (*set_item_text)(GadgetRecord *, Item, const WideText &, std::int32_t);               // 16
    void (*set_font)(GadgetRecord *, const PangoFontDescription *);                            // 17
    UnusedSlot slot_18;                                                                        // 18
    std::intptr_t (*add_column)(GadgetRecord *, std::int32_t, const char *, std::int32_t);     // 19
    std::intptr_t (*get_attribute)(GadgetRecord *, std::int32_t);                              // 20
    void (*set_attribute)(GadgetRecord *, std::int32_t, std::intptr_t);                        // 21
    std::intptr_t (*get_item_attribute)(GadgetRecord *, Item, std::int32_t, std::int32_t);     // 22
    void (*set_item_attribute)(GadgetRecord *, Item, std::int32_t, std::intptr_t,
                               std::int32_t);                                               // 23
    void (*remove_column)(GadgetRecord *, std::int32_t);                                    // 24
    void (*set_color)(GadgetRecord *, std::int32_t, std::int32_t);                          // 25
    std::int32_t (*get_color)(GadgetRecord *, std::int32_t);                                // 26
    void (*set_item_color)(GadgetRecord *, Item, std::int32_t, std::int32_t, std::int32_t); // 27
    std::int32_t (*get_item_color)(GadgetRecord *, Item, std::int32_t, std::int32_t);       // 28
    void (*set_item_data)(GadgetRecord *, Item, std::int32_t);                              // 29
    std::int32_t (*get_item_data)(GadgetRecord *, Item);                                    // 30
    const PangoFontDescription *(*get_font)(GadgetRecord *);                                // 31
    void (*set_item_image)(GadgetRecord *, Item, void *);                                   // 32
};
static_assert(sizeof(GadgetClass) == 33 * sizeof(void *));
// An empty table of the kind: size and kind set, every operation null.
GadgetClass gadget_class_of_kind(std::int32_t kind);

struct GadgetRecord {
    GtkWidget *widget; // main widget: carries the data keys, emits the signals
    GtkWidget *outer;  // widget put into the layout when not the main one
    const GadgetClass *gadget_class;
    ObjectId window;       // number of the window the gadget was created in
    std::intptr_t word[5]; // per-kind state, kind words 1 to 5: see kind_word
};

// A record's kind word by its number (1 to 5), and what each kind keeps there.
inline std::intptr_t &kind_word(GadgetRecord *record, int number) {
    return record->word[number - 1];
}
inline constexpr int COMBO_FLAGS_WORD = 2;       // combo: its creation flags
inline constexpr int COMBO_ENTRY_WORD = 3;       // combo: the entry of an editable one
inline constexpr int STORE_WORD = 4;             // combo and list: their StoreRecord
inline constexpr int COMBO_RENDERER_WORD = 5;    // combo: the text renderer
inline constexpr int LIST_SPARE_WORD = 5;        // list: spare model column triples (GList)
inline constexpr int TEXT_EVENT_BOX_WORD = 5;    // text: the event box that paints it
inline constexpr int TEXT_COLOUR_WORD = 2;       // kinds with colours: text colour
inline constexpr int BACKGROUND_COLOUR_WORD = 3; // kinds with colours: background

// Store of a combo box or a list: model, selection and column map.
struct StoreRecord {
    GtkListStore *store;
    GtkTreeSelection *selection; // null for a combo
    std::int32_t data_column;    // model column holding the item data
    std::int32_t column_count;   // gadget columns
    GList *columns;              // model column of each gadget column
};

void gadget_system_init();
GadgetRecord *gadget_lookup(ObjectId gadget);
// The gadget whose main or outer widget this is, null if none.
GadgetRecord *gadget_find_native(void *widget);
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
// Returns the window whose list was current before.
GtkWindow *gadget_list_use(GtkWindow *window);
// Pixel size of a gadget as laid out by its creator.
std::int32_t gadget_width(GadgetRecord *record);
std::int32_t gadget_height(GadgetRecord *record);

#include "internal/gadget_dispatch.h"

// Integers kept on a widget under a key.
inline std::intptr_t widget_int(GtkWidget *widget, const char *key) {
    return reinterpret_cast<std::intptr_t>(g_object_get_data(G_OBJECT(widget), key));
}
inline void set_widget_int(GtkWidget *widget, const char *key, std::intptr_t value) {
    g_object_set_data(G_OBJECT(widget), key, reinterpret_cast<gpointer>(value));
}

// A window's box and gadget area, and its signals as window events
// (window_events.cpp); layout_set_colour is window_set_color's gadget area.
void window_build_content(GtkWidget *window, gpointer id);
void window_connect_events(GtkWidget *window, gpointer id);
void layout_set_colour(GtkWidget *layout, std::int32_t colour);

// Texts as the kinds' operations take them: UTF-8.
struct KindText {
    std::string utf8;
    operator const char *() const { return utf8.c_str(); }
};
inline KindText kind_text(const WideText &text) { return {text_to_utf8(text)}; }
// A kind without text operations has no text.
inline WideText gadget_plain_text(GadgetRecord *) { return {}; }
inline void gadget_set_plain_text(GadgetRecord *, const WideText &) {}
// What adding a list row answers, also when a held removal's row is replaced.
inline constexpr std::intptr_t ROW_ADDED = 1;

// Fonts and colours (font_colour.cpp). The font operations of the kinds whose
// font lies on their main widget, the colour operations of those that keep
// colour + 1 in kind words 2 and 3.
void gadget_override_font(GtkWidget *widget, const PangoFontDescription *font);
void gadget_font_set(GadgetRecord *record, const PangoFontDescription *font);
const PangoFontDescription *gadget_font_get(GadgetRecord *record);
void gadget_apply_default_font(GadgetRecord *record);
void gadget_color_set(GadgetRecord *record, std::int32_t type, std::int32_t colour, GtkWidget *text,
                      GtkWidget *background);
std::int32_t gadget_color_get(GadgetRecord *record, std::int32_t type);

// Store record helpers shared by combo and list.
// A new store record kept in the gadget's STORE_WORD; detaching frees it.
StoreRecord *store_record_attach(GadgetRecord *record, GtkListStore *store);
void store_record_detach(GadgetRecord *record);
// Row n of the store, false when it does not exist.
bool store_row(GtkListStore *store, std::intptr_t row, GtkTreeIter *iter);
GtkListStore *gadget_store(GadgetRecord *record);
// Text rows of a store: insert at position (negative or past the end
// appends), read and replace the text of row n (nothing when it is missing).
void store_insert_text(GtkListStore *store, int column, std::intptr_t position, const char *text,
                       GtkTreeIter *inserted = nullptr);
WideText store_get_text(GtkListStore *store, int column, std::intptr_t row);
void store_set_text(GtkListStore *store, int column, std::intptr_t row, const char *text);
// An int column of row n (item data); 0 for a missing row.
void store_set_int(GtkListStore *store, int column, std::intptr_t row, int value);
int store_get_int(GtkListStore *store, int column, std::intptr_t row);

// Replaces a list row in place, leaving it as removing it and adding text at
// its index would, but with its selection and the view's cursor and scroll
// position untouched. False (nothing done) for another kind or a missing row.
bool list_replace_item(GadgetRecord *record, std::intptr_t row, const char *text);

// Signal handlers shared by several kinds (user data = gadget id).
gboolean gadget_on_focus_in(GtkWidget *, GdkEvent *, gpointer id);
gboolean gadget_on_focus_out(GtkWidget *, GdkEvent *, gpointer id);
void gadget_on_changed(GtkWidget *widget, gpointer id);
// Blocks or unblocks every handler of the widget that calls this function.
void handlers_block(GtkWidget *widget, gpointer handler, bool block);

// The completion list of a string gadget (string_completion.cpp): attached
// to the entry, with the item operations on its rows.
void completion_attach(GtkWidget *entry, bool popup);
void completion_fill_item_slots(GadgetClass &gadget_class);

// Combo boxes: the item slots beyond the ones the editor uses
// (combo_items.cpp), and the combo's case rule applied to a text.
void combo_fill_item_slots(GadgetClass &gadget_class);
std::string combo_apply_case(GadgetRecord *record, const char *text);

// Lists: the store record, the model column holding gadget column n's text,
// and (list_items.cpp) the operations beyond the ones the editor uses.
StoreRecord *list_store_record(GadgetRecord *record);
int model_column_of(StoreRecord *store, std::int32_t column);
// The list operations both back-ends have take texts and images as these.
using ItemText = const char *;
using ItemImage = void *;
#include "internal/list_operations.h"
void list_column_text_renderer(GtkTreeViewColumn *column, int triple);
// Turns the view's clicks, selection changes and drags into events (list_events.cpp).
void list_connect_events(GtkWidget *view, GtkTreeSelection *selection, ObjectId id);
// Gives the column that becomes the first one the check box and image of
// each row, and turns the previous first column back into a text column.
void list_make_first_column(GadgetRecord *record, GtkTreeViewColumn *column, int triple);
// Shows the column's title in a label that takes the list's font.
void list_header_font(GadgetRecord *record, GtkTreeViewColumn *column);

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
