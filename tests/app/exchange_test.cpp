// "Read TRX" and "Write TRX" on their worker thread against the virtual
// transceiver on a pseudo-terminal linked as a free /dev/ttyUSB<N>.
#include "tests/app/editor_harness.h"
#include "tests/app/linked_radio.h"

#include "gui/gui.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const std::vector<std::string> NO_MESSAGES;
const std::intptr_t *const SEVEN_CONTROLS[] = {&app.update_button, &app.clear_button,
                                               &app.port_combo,    &app.read_button,
                                               &app.write_button,  &app.load_button,
                                               &app.save_button};

class Exchange : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        radio_ = new VirtualTransceiver;
        // The link must be there before start-up probes the ports.
        port_ = start_linked(*radio_, {.options = {"--baud", "0"}, .link = "", .memory = std::nullopt});
        harness_start();
    }
    static void TearDownTestSuite() {
        delete radio_; // stops the tool, which removes the link
        radio_ = nullptr;
    }
    void SetUp() override {
        ASSERT_FALSE(port_.empty()) << "no free /dev/ttyUSB<N> for the transceiver";
        ASSERT_TRUE(choose_port(port_));
        reset_rows();
        run_events_for(50); // the list's own reaction to replaced rows
        take_seen_requesters();
    }
    // Restarts the transceiver on the same device name.
    static void restart(std::vector<std::string> options, const vtrx::MemBytes &memory) {
        options.insert(options.begin(), {"--baud", "0"});
        ASSERT_TRUE(radio_->start({.options = options, .link = port_, .memory = memory}));
    }
    // Clicks the button, checks the controls went dead at once, and serves
    // events until the exchange ended and its messages were answered.
    static std::vector<std::string> exchange(std::intptr_t button) {
        click(button);
        // The worker needs the event loop to hand back the controls, so the
        // exchange is still running right after the click was dispatched.
        EXPECT_TRUE(run_events_until([] { return app.exchange_running.load(); }, 1000));
        for (const std::intptr_t *control : SEVEN_CONTROLS) EXPECT_FALSE(is_enabled(*control));
        click(button); // refused: the exchange is running
        EXPECT_TRUE(run_events_until([] { return !app.exchange_running; }, 20000));
        run_events_for(60);
        for (const std::intptr_t *control : SEVEN_CONTROLS) EXPECT_TRUE(is_enabled(*control));
        EXPECT_EQ(progress_fraction(), 0.0);
        std::vector<std::string> texts;
        for (const SeenRequester &seen : take_seen_requesters()) texts.push_back(seen.text);
        return texts;
    }
    static std::string row(int r) {
        return cell(r, 0) + "|" + cell(r, 1) + "|" + cell(r, 2) + "|" + cell(r, 3);
    }
    static void set_row(int r, const std::string &text) {
        gadget_remove_item(app.channel_list, r);
        gadget_add_item(app.channel_list, r, text_from_utf8(text.c_str()));
    }
    // Row c must read expected[c], or the channel number alone.
    static void expect_rows(const std::map<int, std::string> &expected) {
        for (int c = 0; c < CHANNEL_COUNT; ++c) {
            auto found = expected.find(c);
            EXPECT_EQ(row(c), found != expected.end() ? found->second : std::to_string(c) + "|||");
        }
    }
    static vtrx::MemBytes memory_with(const std::map<int, vtrx::Channel> &channels) {
        vtrx::MemBytes bytes = empty_memory();
        for (const auto &[channel, value] : channels) vtrx::store_record(bytes, channel, value);
        return bytes;
    }

    static VirtualTransceiver *radio_;
    static std::string port_;
};

VirtualTransceiver *Exchange::radio_ = nullptr;
std::string Exchange::port_;

const std::map<int, vtrx::Channel> RADIO_CHANNELS = {
    {0, {7050000, '3', '2'}}, {1, {145500000, '4', '1'}}, {2, {0, '3', '2'}},
    {5, {3500000, '6', '9'}}, {42, {14200000, '7', '0'}}, {99, {56000000, '2', '0'}},
};
const std::map<int, std::string> RADIO_ROWS = {
    {0, "0|7050000|CW |ATT"}, {1, "1|145500000|FM |PRE"}, {5, "5|3500000|   |---"},
    {42, "42|14200000|CWR|---"}, {99, "99|56000000|USB|---"},
};

} // namespace

TEST_F(Exchange, ReadsEveryChannel) {
    restart({}, memory_with(RADIO_CHANNELS));
    type_text(app.frequency_field, "123456");
    EXPECT_EQ(exchange(app.read_button), NO_MESSAGES);
    expect_rows(RADIO_ROWS);
    // The edit controls keep what they showed; selecting shows the new row.
    EXPECT_EQ(text_of(app.frequency_field), "123456");
    select_row(1);
    run_events_for(50);
    EXPECT_EQ(text_of(app.frequency_field), "145500000");
    EXPECT_EQ(text_of(app.mode_combo), "FM ");
}

TEST_F(Exchange, WritesEveryRowByteForByte) {
    restart({}, memory_with({{50, {7000000, '1', '1'}}}));
    set_row(0, "0\n7050000\nCW \nATT");
    set_row(3, "3\n7050000abc\nDIG\nPRE");
    set_row(4, "4\n3500000\n   \n---");
    set_row(98, "98\n$6B9310\nAM \n---");
    EXPECT_EQ(exchange(app.write_button), NO_MESSAGES);
    vtrx::MemBytes expected = memory_with({{0, {7050000, '3', '2'}},
                                           {3, {7050000, '2', '1'}},
                                           {4, {3500000, '0', '0'}},
                                           {98, {7050000, '5', '0'}}});
    EXPECT_TRUE(radio_->wait_for_memory(expected, 3000)); // channel 50 cleared too
}

TEST_F(Exchange, ReportsEveryFailedExchange) {
    restart({}, memory_with(RADIO_CHANNELS));
    set_row(7, "7\n1000000\nLSB\nPRE");

    choose_combo_item(app.port_combo, -1); // no port chosen
    EXPECT_EQ(exchange(app.read_button), std::vector<std::string>{"Can't open port!"});
    EXPECT_EQ(exchange(app.write_button), std::vector<std::string>{"Can't open port!"});
    EXPECT_EQ(row(0), "0|||");
    ASSERT_TRUE(choose_port(port_));

    const std::vector<std::string> timed_out{"TRX not responding!"};
    for (const char *fault : {"--silent", "--hangup"}) {
        SCOPED_TRACE(fault);
        restart({fault}, memory_with(RADIO_CHANNELS));
        EXPECT_EQ(exchange(app.read_button), timed_out);
        expect_rows({{7, "7|1000000|LSB|PRE"}});
    }
    // Wrong replies from channel 5 on: channels 0 ... 4 were read.
    for (std::vector<std::string> fault : {std::vector<std::string>{"--reply-length", "49"},
                                           {"--reply-length", "51"}, {"--stray-byte"},
                                           {"--hangup"}}) {
        reset_rows();
        set_row(7, "7\n1000000\nLSB\nPRE");
        SCOPED_TRACE(fault.front() + (fault.size() > 1 ? " " + fault.back() : ""));
        fault.insert(fault.begin(), {"--fault-after", "5"});
        restart(fault, memory_with(RADIO_CHANNELS));
        EXPECT_EQ(exchange(app.read_button), timed_out);
        expect_rows({{0, "0|7050000|CW |ATT"}, {1, "1|145500000|FM |PRE"}, {7, "7|1000000|LSB|PRE"}});
    }
}
