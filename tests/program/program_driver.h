// The kalvo program as a user meets it: a child process whose window is read
// over the accessibility bus (what each gadget shows, the selected row, which
// buttons work, the progress bar) and driven through xdotool with pointer and
// keyboard where the gadgets are. Buttons are found by their captions, fields
// and combos by their labels (the names a screen reader gives them). Needs a
// display and a session bus: the suite runs in tests/sandbox.sh.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

typedef struct _AtspiAccessible AtspiAccessible;
typedef struct _AtspiTable AtspiTable;
struct Unref {
    void operator()(void *object) const; // g_object_unref
};
template <class T> using Owned = std::unique_ptr<T, Unref>;
using Accessible = Owned<AtspiAccessible>;

class Program {
public:
    ~Program() { kill_program(); } // not copied: it owns the process

    // Starts the program and waits until its window shows its rows.
    bool start();

    // What the window shows. A row reads "7|7050000|CW |ATT".
    std::string row(int r);
    int selected_row(); // -1 when none is
    // The field or combo of a label ("NumCh", "Freq", "PORT:", "Mode",
    // "PreAtt"): its text, or a combo's chosen item.
    std::string shown(const std::string &label);
    // The text of the label it is labelled by for a screen reader, "?" when none.
    std::string labelled_by(const std::string &label);
    bool enabled(const std::string &button);
    bool lists(const std::string &combo_label, const std::string &item);
    double progress(); // 0 ... 1
    // The text of the message box up now or within timeout_ms, "" when none is.
    std::string message(int timeout_ms = 0);

    // Clicks the button and gives the program settle_ms to take the click.
    void press(const std::string &button, int settle_ms = 150);
    void select_row(int r); // the rows the suite uses are in sight
    void type(const std::string &label, const std::string &text);
    // Opens the combo's list and clicks the item; false when it is not listed.
    bool choose(const std::string &label, const std::string &item);
    // Presses a button ("OK", "Yes", "No") of the message box up now, or
    // Escape on the keyboard with the pointer over it ("Escape").
    bool answer(const std::string &button);
    // Types a full path into the file chooser up now and confirms it.
    bool choose_file(const std::string &path);

    void request_close(); // WM_DELETE_WINDOW, as a window manager's close box sends it
    // Exit status (128 + signal when killed), -1 when still running.
    int wait_exit(std::chrono::milliseconds timeout);

private:
    void kill_program();
    // A window of the program up now; a gadget of its main window.
    Accessible window(const std::string &role, const std::string &name = "");
    Accessible in_window(const std::string &role, const std::string &name = "");
    Accessible named(const std::string &label); // the field or combo
    Owned<AtspiTable> cells();                  // the list's
    void click(AtspiAccessible *gadget, int settle_ms = 150);

    pid_t pid_ = -1;
    Accessible app_;
    unsigned long xid_ = 0;
};

// poll_until (tests/app/radios.h) for what the accessibility bus shows.
bool wait_until(const std::function<bool()> &done, int timeout_ms);
