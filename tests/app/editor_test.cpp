// The editor on the real toolkit of the build (GTK under Xvfb, Win32 under
// wine) against the transceivers with_radios.sh started: start-up, editing,
// "Read TRX" and "Write TRX", loading and saving, and their failures.
#include "editor_harness.h"

#include "gui/gui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#ifndef _WIN32
#include "without_file_override.h"

#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const std::vector<Seen> NONE;
const Seen LOAD_CHOOSER{"Please choose file to load", "file chooser"};
const Seen SAVE_CHOOSER{"Please choose file to save", "file chooser"};
const Seen REPLACE{"", "File exists, replace?"};
const Seen TIMED_OUT{"Error", "TRX not responding!"};

// The seven controls a transfer disables, in the order it disables and
// enables them.
std::vector<std::intptr_t> transfer_controls() {
    return {app.update_button, app.clear_button, app.port_combo, app.read_button,
            app.write_button,  app.load_button,  app.save_button};
}

// How many of them are enabled, when those are the first ones in that order; else -1.
int controls_enabled_in_order() {
    const std::vector<std::intptr_t> controls = transfer_controls();
    const auto first_dead =
        std::ranges::find_if(controls, [](std::intptr_t gadget) { return !is_enabled(gadget); });
    if (std::any_of(first_dead, controls.end(), is_enabled))
        return -1;
    return static_cast<int>(first_dead - controls.begin());
}

bool all_controls(bool enabled) { return controls_enabled_in_order() == (enabled ? 7 : 0); }

std::vector<std::string> all_rows() {
    std::vector<std::string> rows;
    for (int r = 0; r < CHANNEL_COUNT; ++r)
        rows.push_back(row(r));
    return rows;
}

// The edit controls as a row shows them: "1|145500000|USB|PRE".
std::string fields() {
    return shown_text(app.channel_field) + "|" + shown_text(app.frequency_field) + "|" +
           shown_text(app.mode_combo) + "|" + shown_text(app.preatt_combo);
}

class Editor : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (setup_.ports.size() >= 7)
            harness_start();
    }
    void SetUp() override {
        if (setup_.ports.size() < 7)
            GTEST_SKIP() << "no transceivers (run through with_radios.sh)";
        radio_ = read_file(setup_.folder / "radio.mem");
        take_seen();
    }

    // A transfer button: the seven controls go dead at once, a second click
    // is refused, and they come back when it ends (returns at that instant).
    static void start_exchange(std::intptr_t button) {
        click(button);
        EXPECT_TRUE(run_events_until([] { return app.exchange_running.load(); }, 2000));
        EXPECT_TRUE(all_controls(false));
        click(button);
        bool in_order = true;
        EXPECT_TRUE(run_events_until(
            [&] {
                const int enabled = controls_enabled_in_order();
                in_order = in_order && enabled >= 0;
                return enabled == 7;
            },
            30000));
        EXPECT_TRUE(in_order) << "the controls came back out of order";
    }
    // The requesters a whole exchange showed.
    static std::vector<Seen> exchange(std::intptr_t button) {
        start_exchange(button);
        return seen_after(0);
    }
    static void select(int r) {
        select_row(r);
        run_events_for(50);
    }
    static void press(std::intptr_t button) {
        click(button);
        run_events_for(50);
    }
    static void edit(int r, const std::string &frequency, int mode, int preatt) {
        select(r);
        type_text(app.frequency_field, frequency);
        choose_item(app.mode_combo, mode);
        choose_item(app.preatt_combo, preatt);
        press(app.update_button);
    }
    // Load File or Save File with the path chosen ("" cancels); a question
    // whether to replace a file is answered as given.
    static std::vector<Seen> with_file(std::intptr_t button, const fs::path &path,
                                       Reply replace = Reply::yes) {
        const bool asks = button == app.save_button && fs::exists(path);
        queue_answer(Reply::cancel, path.string());
        if (asks)
            queue_answer(replace);
        click(button);
        return seen_after(asks ? 2 : 1, 5000);
    }
    fs::path file(const std::string &name) const { return setup_.folder / name; }

    static inline const RadioSetup setup_ = radio_setup();
    std::string radio_;
};

} // namespace

TEST_F(Editor, StartsWithEmptyChannelsAndTheOpenablePorts) {
    // Of the ports with_radios.sh made, those with a transceiver, in order.
    std::vector<std::string> ports = combo_items(app.port_combo), made = setup_.ports;
    made.insert(made.end(), setup_.absent_ports.begin(), setup_.absent_ports.end());
    std::erase_if(ports, [&](const std::string &port) {
        return std::ranges::find(made, port) == made.end();
    });
    EXPECT_EQ(ports, setup_.ports);
    EXPECT_EQ(shown_text(app.port_combo), "");
    for (int r = 0; r < CHANNEL_COUNT; ++r)
        EXPECT_EQ(row(r), std::to_string(r) + "|||");
    EXPECT_EQ(selected_row(), 0);
    EXPECT_EQ(fields(), "0||USB|---");
    EXPECT_TRUE(all_controls(true));
}

TEST_F(Editor, ReadsEditsAndWritesBackEveryChannel) {
    ASSERT_TRUE(choose_port(setup_.ports[0]));
    select(0); // as at start-up
    // The second read is clicked the instant the buttons come back.
    start_exchange(app.read_button);
    EXPECT_EQ(exchange(app.read_button), NONE);
    // Still highlighted: the row the edit controls show.
    EXPECT_EQ(selected_row(), 0);
    EXPECT_EQ(shown_text(app.channel_field), "0");
    // Rows 6 and 99 hold mode codes without a name.
    for (const char *shown :
         {"0|100000|LSB|---", "1|145500000|USB|PRE", "2|1218026|CW |ATT", "4|||",
          "5|2895065|CWR|PRE", "6|3454078|   |ATT", "99|55442287|   |---"})
        EXPECT_EQ(row(std::atoi(shown)), shown);

    select(1);
    EXPECT_EQ(fields(), "1|145500000|USB|PRE");
    select(4); // empty: the combos keep their choice, the frequency empties
    EXPECT_EQ(fields(), "4||USB|PRE");

    edit(12, "7050000", 5, 1);
    EXPECT_EQ(row(12), "12|7050000|AM |PRE");
    edit(13, "3500000 Hz", 4, 2); // kept as typed; DIG goes out as USB
    EXPECT_EQ(row(13), "13|3500000 Hz|DIG|ATT");
    edit(14, "$6B9310", 0, 0);
    EXPECT_EQ(row(14), "14|$6B9310|USB|---");
    select(20);
    press(app.clear_button);
    EXPECT_EQ(row(20), "20|||");
    press(app.update_button); // puts the values still in the fields back
    EXPECT_EQ(row(20), fields());
    select(21);
    press(app.clear_button);
    EXPECT_EQ(take_seen(), NONE);

    EXPECT_EQ(exchange(app.write_button), NONE);
    std::string expected = as_saved(radio_);
    expected.replace(6 * 12, 6, record(7050000, '5', '1'));
    expected.replace(6 * 13, 6, record(3500000, '2', '2'));
    expected.replace(6 * 14, 6, record(7050000, '2', '0'));
    expected.replace(6 * 21, 6, record(0, '0', '0'));
    EXPECT_TRUE(wait_for_file(setup_.memory_of(setup_.ports[0]), expected, 5000));
}

// The user goes on selecting the row a paced read is about to replace: the
// edit controls show the highlighted row's channel, with its old cells or the
// radio's (which the row shows once replaced), never a neighbour's.
TEST_F(Editor, SelectionDuringAReadStaysOnItsChannel) {
    ASSERT_TRUE(choose_port(setup_.ports[6]));
    auto old_frequency = [](int c) { return std::to_string(60000000 + c); };
    auto frequency_cell = [](int c) {
        return text_to_utf8(gadget_get_item_text(app.channel_list, c, 1));
    };
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        gadget_remove_item(app.channel_list, c);
        gadget_add_item(app.channel_list, c,
                        text_from_utf8((std::to_string(c) + "\n" + old_frequency(c)).c_str()));
    }
    int turns = 0, selected = 0;
    std::vector<std::string> wrong;
    // Every other turn selects the first row still to be replaced, so the
    // turns between let the read go on.
    auto turn = [&] {
        const std::string channel = shown_text(app.channel_field),
                          frequency = shown_text(app.frequency_field);
        const int c = std::stoi(channel);
        if (c != selected || selected_row() != c ||
            (frequency != old_frequency(c) && frequency != frequency_cell(c)))
            wrong.push_back(std::to_string(selected) + ": " + channel + " " + frequency);
        if (++turns % 2 == 0) {
            for (selected = 0; selected < CHANNEL_COUNT - 1; ++selected)
                if (frequency_cell(selected) == old_frequency(selected))
                    break;
            select_row(selected);
        }
        return !app.exchange_running;
    };
    select(0);
    click(app.read_button);
    ASSERT_TRUE(run_events_until([] { return app.exchange_running.load(); }, 2000));
    EXPECT_TRUE(run_events_until(turn, 30000));
    EXPECT_GT(turns, 400);
    EXPECT_EQ(wrong, std::vector<std::string>{});
    EXPECT_TRUE(run_events_until([] { return all_controls(true); }, 2000));
}

// Fields are one line: a pasted line feed or tab never becomes part of a row.
TEST_F(Editor, PastedTextKeepsItsFirstLineOnly) {
    for (const char *pasted : {"7050000\nLSB", "7050000\r\nLSB"}) {
        select(7);
        choose_item(app.mode_combo, 0);
        choose_item(app.preatt_combo, 0);
        paste_text(app.frequency_field, pasted);
        run_events_for(50);
        EXPECT_EQ(shown_text(app.frequency_field), "7050000") << pasted;
        press(app.update_button);
        EXPECT_EQ(row(7), "7|7050000|USB|---") << pasted;
    }
    EXPECT_EQ(take_seen(), NONE);
}

TEST_F(Editor, RefusesWhatCannotBeAChannelAndCarriesOn) {
    edit(2, "7050000", 2, 2);
    const std::string row_2 = row(2);
    std::vector<std::string> refused{"99999", "56000001", "", "abc", "-7050000"};
#ifdef _WIN32
    // Typed into the field as it is (GTK's fields leave control characters
    // out): a line feed would split the row; other control characters are
    // taken as typed when the number before them is in range.
    refused.insert(refused.end(), {"70\t50000", "7050000\nLSB"});
    for (const std::string frequency : {"\t7050000", "7050000\t\x01"}) {
        edit(3, frequency, 0, 0);
        EXPECT_EQ(take_seen(), NONE) << frequency;
        EXPECT_EQ(row(3), "3|" + frequency + "|USB|---");
    }
#endif
    for (const std::string &frequency : refused) {
        edit(2, frequency, 0, 0);
        EXPECT_EQ(seen_after(1), (std::vector<Seen>{{"Error", "Frequency out of range"}}))
            << frequency;
        EXPECT_EQ(row(2), row_2) << frequency;
    }

    const std::vector<std::string> before = all_rows();
    choose_item(app.port_combo, -1); // no port chosen
    const std::vector<Seen> no_port{{"Error", "Can't open port!"}};
    EXPECT_EQ(exchange(app.read_button), no_port);
    EXPECT_EQ(exchange(app.write_button), no_port);
    EXPECT_EQ(all_rows(), before);

    // A radio that falls silent or hangs up, and replies one byte short or
    // stray bytes ahead of them, from channel 5 on: told, rows 0 ... 4 read,
    // the others kept.
    for (std::size_t port = 1; port <= 4; ++port) {
        SCOPED_TRACE(setup_.ports[port]);
        ASSERT_TRUE(choose_port(setup_.ports[port]));
        edit(6, "7000000", 1, 1);
        EXPECT_EQ(exchange(app.read_button), std::vector<Seen>{TIMED_OUT});
        EXPECT_EQ(row(2), "2|1218026|CW |ATT");
        EXPECT_EQ(row(6), "6|7000000|LSB|PRE");
        EXPECT_EQ(row(7), before[7]);
    }
    // A line that takes no byte of a write is reported, not taken for done.
    ASSERT_TRUE(choose_port(setup_.ports[5]));
    EXPECT_EQ(exchange(app.write_button), std::vector<Seen>{TIMED_OUT});
}

TEST_F(Editor, SavesAndLoadsMemoryFiles) {
    std::string records = radio_;
    records.replace(6 * 7, 6, record(0, '4', '1')); // empty, whatever its codes
    records.replace(6 * 8, 6, record(static_cast<std::uint32_t>(-5), '3', '2'));
    write_file(file("start.mem"), records);
    EXPECT_EQ(with_file(app.load_button, file("start.mem")), std::vector<Seen>{LOAD_CHOOSER});
    for (const char *shown : {"1|145500000|USB|PRE", "7|||", "8|-5|CW |ATT"})
        EXPECT_EQ(row(std::atoi(shown)), shown);
    EXPECT_EQ(selected_row(), 0);
    EXPECT_EQ(fields(), "0|100000|LSB|---");

    // Saved under the name given plus ".mem" (or as given with ".MEM").
    edit(40, "21074000", 4, 0); // DIG is stored as USB
    std::string expected = as_saved(records);
    expected.replace(6 * 40, 6, record(21074000, '2', '0'));
    EXPECT_EQ(with_file(app.save_button, file("Kept set")), std::vector<Seen>{SAVE_CHOOSER});
    EXPECT_TRUE(wait_for_file(file("Kept set.mem"), expected, 3000));
    EXPECT_EQ(with_file(app.save_button, file("COPY.MEM")), std::vector<Seen>{SAVE_CHOOSER});
    EXPECT_TRUE(wait_for_file(file("COPY.MEM"), expected, 3000));
    EXPECT_FALSE(fs::exists(file("COPY.MEM.mem")));

    // Replacing asks first: only Yes replaces.
    edit(41, "3500000", 0, 0);
    for (Reply answer : {Reply::no, Reply::cancel, Reply::yes}) {
        EXPECT_EQ(with_file(app.save_button, file("COPY.MEM"), answer),
                  (std::vector<Seen>{SAVE_CHOOSER, REPLACE}));
        if (answer == Reply::yes)
            expected.replace(6 * 41, 6, record(3500000, '2', '0'));
        EXPECT_TRUE(wait_for_file(file("COPY.MEM"), expected, 3000));
    }

    // A file of another size, or none chosen, changes no row (the fuzz target
    // for .mem files loads every other byte string).
    const std::vector<std::string> before = all_rows();
    const std::vector<Seen> not_loaded{LOAD_CHOOSER, {"Error", "May not load the file!"}};
    for (std::size_t size : {0u, 599u, 601u}) {
        write_file(file("odd.mem"), std::string(size, '1'));
        EXPECT_EQ(with_file(app.load_button, file("odd.mem")), not_loaded) << size;
    }
    EXPECT_EQ(with_file(app.load_button, ""), not_loaded);
    EXPECT_EQ(all_rows(), before);
    EXPECT_EQ(with_file(app.save_button, ""),
              (std::vector<Seen>{SAVE_CHOOSER, {"Error", "May not create the file!"}}));
}

#ifndef _WIN32
// A file the user may not read is asked about all the same; a save it refuses
// is told and changes nothing. Root reads everything, so the save runs
// without root's override of file modes, in a folder everyone may write (the
// file suite has the rest).
TEST_F(Editor, AFailedSaveIsToldAndLeavesTheFile) {
    const fs::path shared = setup_.folder / "shared", theirs = shared / "theirs.mem";
    const std::string old_bytes = '*' + std::string(599, '\0');
    fs::permissions(setup_.folder, fs::perms(0755));
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all);
    write_file(theirs, old_bytes);
    fs::permissions(theirs, fs::perms::none);
    edit(5, "7050000", 0, 0);
    std::vector<Seen> refused;
    {
        const WithoutFileOverride as_a_user;
        ASSERT_TRUE(as_a_user.dropped());
        refused = with_file(app.save_button, theirs);
    }
    EXPECT_EQ(refused,
              (std::vector<Seen>{SAVE_CHOOSER, REPLACE, {"Error", "May not create the file!"}}));
    fs::permissions(theirs, fs::perms::owner_read);
    EXPECT_TRUE(read_file(theirs) == old_bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), {}), 1);
}
#endif
