// The Windows editor in this process on the real Win32 toolkit, against
// virtual transceivers on COM ports of the wine prefix: start-up, a read of
// all 100 channels, editing, a write checked byte for byte, the file dialogs
// and every message the user can meet.
#include "tests/app/win32/editor_driver.h"

#include "gui/gui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

const std::vector<SeenDialog> NONE;
const std::intptr_t *const SEVEN_CONTROLS[] = {&app.update_button, &app.clear_button,
                                               &app.port_combo,    &app.read_button,
                                               &app.write_button,  &app.load_button,
                                               &app.save_button};

bool controls_enabled() {
    for (const std::intptr_t *gadget : SEVEN_CONTROLS)
        if (!IsWindowEnabled(control(*gadget))) return false;
    return true;
}

bool controls_disabled() {
    for (const std::intptr_t *gadget : SEVEN_CONTROLS)
        if (IsWindowEnabled(control(*gadget))) return false;
    return true;
}

class Editor : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setup_ = radio_setup();
        if (setup_.ports.size() >= 2) driver_start();
    }
    void SetUp() override {
        // COM<a>: a transceiver that answers; COM<b>: one that falls silent
        // after five commands.
        if (setup_.ports.size() < 2) GTEST_SKIP() << "no transceivers on COM ports (with_radios.sh)";
        radio_ = read_file(setup_.folder / "radio.mem");
        ASSERT_EQ(radio_.size(), 600u);
        take_seen_dialogs();
    }
    void TearDown() override { hold_messages(false); }

    // Serves events until count dialogs were answered (at most timeout_ms).
    static std::vector<SeenDialog> dialogs_after(std::size_t count, int timeout_ms = 15000) {
        std::vector<SeenDialog> all;
        run_events_until(
            [&] {
                for (SeenDialog &dialog : take_seen_dialogs()) all.push_back(dialog);
                return all.size() >= count;
            },
            timeout_ms);
        run_events_for(100);
        for (SeenDialog &dialog : take_seen_dialogs()) all.push_back(dialog);
        return all;
    }
    // Clicks a transfer button: the seven controls go dead at once and come
    // back when it ends. The dialogs it showed.
    static std::vector<SeenDialog> exchange(std::intptr_t button) {
        click(button);
        EXPECT_TRUE(run_events_until([] { return app.exchange_running.load(); }, 2000));
        EXPECT_TRUE(controls_disabled());
        EXPECT_TRUE(run_events_until([] { return !app.exchange_running; }, 30000));
        run_events_for(100);
        EXPECT_TRUE(controls_enabled());
        EXPECT_EQ(progress_position(), 0);
        return take_seen_dialogs();
    }
    static void edit_row(int r, const std::string &frequency, int mode, int preatt) {
        select_row(r);
        run_events_for(50);
        type_text(app.frequency_field, frequency);
        choose_item(app.mode_combo, mode);
        choose_item(app.preatt_combo, preatt);
        click(app.update_button);
        run_events_for(50);
    }
    static std::vector<std::string> all_rows() {
        std::vector<std::string> rows;
        for (int r = 0; r < CHANNEL_COUNT; ++r) rows.push_back(row(r));
        return rows;
    }
    std::filesystem::path file(const std::string &name) const { return setup_.folder / name; }

    static RadioSetup setup_;
    std::string radio_;
};

RadioSetup Editor::setup_;

// A record as the editor writes it back: codes without a name become "0".
MemRecord written_back(const MemRecord &record) {
    if (record.frequency == 0) return {0, '0', '0'};
    const bool named_mode = std::string("123457").find(record.mode) != std::string::npos;
    const bool named_preatt = record.preatt == '1' || record.preatt == '2';
    return {record.frequency, named_mode ? record.mode : '0', named_preatt ? record.preatt : '0'};
}

} // namespace

TEST_F(Editor, StartsWithEmptyChannelsAndTheOpenablePorts) {
    EXPECT_EQ(shown_text(static_cast<HWND>(window_native_handle(app.main_window))), "Kalvo 1.03");
    const std::vector<std::string> ports = combo_items(app.port_combo);
    auto listed = [&](const std::string &name) {
        return std::find(ports.begin(), ports.end(), name) != ports.end();
    };
    for (const std::string &port : setup_.ports) EXPECT_TRUE(listed(port)) << port;
    for (const std::string &port : setup_.absent_ports) EXPECT_FALSE(listed(port)) << port;
    int previous = -1;
    for (const std::string &port : ports) {
        ASSERT_EQ(port.rfind("COM", 0), 0u) << port;
        const int number = std::stoi(port.substr(3));
        EXPECT_GT(number, previous) << "ascending order";
        previous = number;
    }
    EXPECT_EQ(combo_selection(app.port_combo), -1);
    ASSERT_EQ(row_count(), 100);
    for (int r = 0; r < CHANNEL_COUNT; ++r) EXPECT_EQ(row(r), std::to_string(r) + "|||");
    EXPECT_EQ(selected_row(), 0);
    EXPECT_EQ(shown_text(control(app.channel_field)), "0");
    EXPECT_EQ(shown_text(control(app.frequency_field)), "");
    EXPECT_EQ(combo_items(app.mode_combo),
              (std::vector<std::string>{"USB", "LSB", "CW ", "CWR", "DIG", "AM ", "FM "}));
    EXPECT_EQ(combo_text(app.mode_combo), "USB");
    EXPECT_EQ(combo_items(app.preatt_combo), (std::vector<std::string>{"---", "PRE", "ATT"}));
    EXPECT_EQ(combo_text(app.preatt_combo), "---");
    EXPECT_TRUE(controls_enabled());
}

TEST_F(Editor, ReadsEditsAndWritesBackEveryChannel) {
    ASSERT_TRUE(choose_port(setup_.ports[0]));
    type_text(app.frequency_field, "123456");
    EXPECT_EQ(exchange(app.read_button), NONE);
    for (int c = 0; c < CHANNEL_COUNT; ++c) EXPECT_EQ(row(c), shown_row(c, record_at(radio_, c)));
    EXPECT_EQ(shown_text(control(app.frequency_field)), "123456"); // kept by the read

    select_row(1); // 145500000, USB, PRE
    run_events_for(50);
    EXPECT_EQ(shown_text(control(app.channel_field)), "1");
    EXPECT_EQ(shown_text(control(app.frequency_field)), "145500000");
    EXPECT_EQ(combo_text(app.mode_combo), "USB");
    EXPECT_EQ(combo_text(app.preatt_combo), "PRE");

    edit_row(12, "7050000", 5, 1);
    EXPECT_EQ(row(12), "12|7050000|AM |PRE");
    edit_row(13, "3500000 Hz", 4, 2); // typed text kept, DIG goes out as USB
    EXPECT_EQ(row(13), "13|3500000 Hz|DIG|ATT");
    select_row(20);
    run_events_for(50);
    click(app.clear_button);
    run_events_for(50);
    EXPECT_EQ(row(20), "20|||");
    EXPECT_EQ(shown_text(control(app.frequency_field)), std::to_string(record_at(radio_, 20).frequency));
    EXPECT_EQ(take_seen_dialogs(), NONE);

    EXPECT_EQ(exchange(app.write_button), NONE);
    std::vector<MemRecord> expected;
    for (int c = 0; c < CHANNEL_COUNT; ++c) expected.push_back(written_back(record_at(radio_, c)));
    expected[12] = {7050000, '5', '1'};
    expected[13] = {3500000, '2', '2'};
    expected[20] = {0, '0', '0'};
    EXPECT_TRUE(wait_for_file(file(setup_.ports[0] + ".mem"), mem_bytes(expected), 5000));
}

TEST_F(Editor, SavesAndLoadsThroughTheFileDialogs) {
    std::vector<MemRecord> records(100, MemRecord{0, '0', '0'});
    records[0] = {7050000, '1', '1'};
    records[5] = {-5, '3', '2'};
    records[7] = {0, '4', '1'}; // empty, whatever its codes
    records[99] = {56000000, '7', '0'};
    { std::ofstream(file("start.mem"), std::ios::binary) << mem_bytes(records); }
    { std::ofstream(file("short.mem"), std::ios::binary) << mem_bytes(records).substr(1); }

    queue_file_answer(file("start.mem").string());
    click(app.load_button);
    EXPECT_EQ(dialogs_after(1), (std::vector<SeenDialog>{{"Please choose file to load", "file dialog"}}));
    for (int c = 0; c < CHANNEL_COUNT; ++c) EXPECT_EQ(row(c), shown_row(c, records[c]));
    EXPECT_EQ(row(5), "5|-5|CW |ATT");
    EXPECT_EQ(selected_row(), 0);
    EXPECT_EQ(shown_text(control(app.frequency_field)), "7050000");
    EXPECT_EQ(combo_text(app.mode_combo), "LSB");

    // Saved under the name given plus ".mem"; DIG is stored as USB.
    edit_row(40, "21074000", 4, 0);
    records[40] = {21074000, '2', '0'};
    records[7] = {0, '0', '0'};
    queue_file_answer(file("set").string());
    click(app.save_button);
    EXPECT_EQ(dialogs_after(1), (std::vector<SeenDialog>{{"Please choose file to save", "file dialog"}}));
    EXPECT_TRUE(wait_for_file(file("set.mem"), mem_bytes(records), 3000));
    const std::string saved = read_file(file("set.mem"));

    // Replacing asks first: No keeps the file, Yes replaces it.
    select_row(0);
    run_events_for(50);
    click(app.clear_button);
    run_events_for(50);
    const SeenDialog save_dialog{"Please choose file to save", "file dialog"};
    const SeenDialog replace{"", "File exists, replace?"};
    queue_file_answer(file("set.mem").string());
    queue_question_answer(IDNO);
    click(app.save_button);
    EXPECT_EQ(dialogs_after(2), (std::vector<SeenDialog>{save_dialog, replace}));
    EXPECT_EQ(read_file(file("set.mem")), saved);
    queue_file_answer(file("set.mem").string());
    queue_question_answer(IDYES);
    click(app.save_button);
    EXPECT_EQ(dialogs_after(2), (std::vector<SeenDialog>{save_dialog, replace}));
    records[0] = {0, '0', '0'};
    EXPECT_TRUE(wait_for_file(file("set.mem"), mem_bytes(records), 3000));

    // A file of the wrong size, or none chosen, changes no row.
    const std::vector<std::string> before = all_rows();
    const SeenDialog not_loaded{"Error", "May not load the file!"};
    queue_file_answer(file("short.mem").string());
    click(app.load_button);
    EXPECT_EQ(dialogs_after(2),
              (std::vector<SeenDialog>{{"Please choose file to load", "file dialog"}, not_loaded}));
    queue_file_answer("");
    click(app.load_button);
    EXPECT_EQ(dialogs_after(2),
              (std::vector<SeenDialog>{{"Please choose file to load", "file dialog"}, not_loaded}));
    EXPECT_EQ(all_rows(), before);
}

TEST_F(Editor, ReportsWhatWentWrongAndCarriesOn) {
    select_row(2);
    run_events_for(50);
    const std::string row_2 = row(2);
    // A pasted tab or line (a single-line edit keeps them when set whole)
    // would split the row's cells.
    for (const char *frequency : {"99999", "56000001", "", "abc", "7050000\tLSB", "7050000\r\nLSB"}) {
        type_text(app.frequency_field, frequency);
        click(app.update_button);
        EXPECT_EQ(dialogs_after(1), (std::vector<SeenDialog>{{"Error", "Frequency out of range"}}))
            << frequency;
        EXPECT_EQ(row(2), row_2) << frequency;
    }

    const std::vector<std::string> before = all_rows();
    choose_item(app.port_combo, -1); // no port chosen
    const std::vector<SeenDialog> no_port{{"Error", "Can't open port!"}};
    EXPECT_EQ(exchange(app.read_button), no_port);
    EXPECT_EQ(exchange(app.write_button), no_port);
    EXPECT_EQ(all_rows(), before);

    // The silent transceiver answers channels 0 ... 4; the controls stay
    // dead while the message is up and come back after it.
    ASSERT_TRUE(choose_port(setup_.ports[1]));
    hold_messages(true);
    click(app.read_button);
    EXPECT_TRUE(run_events_until([] { return message_on_screen("TRX not responding!"); }, 15000));
    EXPECT_TRUE(controls_disabled());
    EXPECT_GT(progress_position(), 0); // at channel 4 of 100
    hold_messages(false);
    EXPECT_TRUE(run_events_until([] { return !app.exchange_running; }, 10000));
    run_events_for(100);
    EXPECT_EQ(take_seen_dialogs(), (std::vector<SeenDialog>{{"Error", "TRX not responding!"}}));
    EXPECT_TRUE(controls_enabled());
    EXPECT_EQ(progress_position(), 0);
    for (int c = 0; c < CHANNEL_COUNT; ++c)
        EXPECT_EQ(row(c), c < 5 ? shown_row(c, record_at(radio_, c)) : before[c]) << c;
}
