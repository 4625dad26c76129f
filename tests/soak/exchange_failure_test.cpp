// The transceiver failing under the editor: a line hung up or a radio gone
// silent in the middle of an exchange. Each must tell the user, hand the
// controls back, and change exactly the rows (or radio channels) that were
// done before the failure.
#include "tests/soak/soak_support.h"

#include "app/kalvo.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::vector<std::string> TIMED_OUT{"TRX not responding!"};
constexpr int FAILING_CHANNEL = 37;

class ExchangeFailures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        radio_ = new VirtualTransceiver;
        start_editor_aside();
    }
    static void TearDownTestSuite() {
        delete radio_;
        radio_ = nullptr;
    }
    void SetUp() override { take_seen_requesters(); }
    // A fresh transceiver holding radio_set, chosen as the port, misbehaving
    // from the command for FAILING_CHANNEL on.
    static void start_radio(const std::string &fault, const ChannelRows &radio_set,
                            std::vector<std::string> more = {}) {
        std::vector<std::string> options{"--baud", "0", "--fault-after",
                                         std::to_string(FAILING_CHANNEL), fault};
        options.insert(options.end(), more.begin(), more.end());
        ASSERT_TRUE(radio_->start({.options = options, .link = "", .memory = expected_memory(radio_set)}));
        ASSERT_TRUE(offer_port(radio_->path()));
    }
    // Rows 0 ... FAILING_CHANNEL - 1 from first, the others from rest.
    static ChannelRows spliced(const ChannelRows &first, const ChannelRows &rest) {
        ChannelRows rows = rest;
        std::copy(first.begin(), first.begin() + FAILING_CHANNEL, rows.begin());
        return rows;
    }
    // Starts a transceiver with the fault holding radio_set_, shows shown_,
    // and runs the exchange, which must fail at FAILING_CHANNEL as the user
    // sees it: told, controls back, progress 0.
    void fail_exchange(std::intptr_t button, const std::string &fault, std::vector<std::string> more = {}) {
        start_radio(fault, radio_set_, more);
        show_rows(shown_);
        ExchangeOutcome outcome = run_exchange(button);
        EXPECT_TRUE(outcome.ended);
        EXPECT_EQ(outcome.messages, TIMED_OUT);
        EXPECT_TRUE(outcome.controls_back);
        EXPECT_EQ(outcome.progress, 0.0);
    }

    static VirtualTransceiver *radio_;
    std::mt19937 random_{37};
    const ChannelRows radio_set_ = random_channel_set(random_);
    const ChannelRows shown_ = random_channel_set(random_);
};

VirtualTransceiver *ExchangeFailures::radio_ = nullptr;

} // namespace

TEST_F(ExchangeFailures, HangUpMidReadKeepsTheRestAndTheNextReadWorks) {
    fail_exchange(app.read_button, "--hangup", {"--reopen-after", "300"});
    EXPECT_EQ(row_differences(spliced(radio_set_, shown_)), std::vector<std::string>{});

    // The line comes back on a new terminal; the user chooses it and reads again.
    ASSERT_TRUE(radio_->wait_for_new_path(3000));
    ASSERT_TRUE(offer_port(radio_->path()));
    ExchangeOutcome again = run_exchange(app.read_button);
    EXPECT_TRUE(again.ended && again.controls_back);
    EXPECT_EQ(again.messages, std::vector<std::string>{});
    EXPECT_EQ(row_differences(radio_set_), std::vector<std::string>{});
}

TEST_F(ExchangeFailures, HangUpMidWriteIsReported) {
    fail_exchange(app.write_button, "--hangup");
    EXPECT_EQ(radio_->memory(), expected_memory(spliced(shown_, radio_set_)));
    EXPECT_EQ(row_differences(shown_), std::vector<std::string>{}); // a write changes no row
}

TEST_F(ExchangeFailures, SilentAfter37ChannelsKeepsTheOtherRows) {
    fail_exchange(app.read_button, "--silent");
    EXPECT_EQ(row_differences(spliced(radio_set_, shown_)), std::vector<std::string>{});
}
