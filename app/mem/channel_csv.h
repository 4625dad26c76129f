// A channel set as text: the table "show" prints, the CSV "export" writes,
// and the CSV "import" reads in either of its two layouts.
#pragma once

#include "csv.h"
#include "memory_file.h"

#include <string>
#include <string_view>
#include <vector>

// The four columns of the editor's list, aligned, one line per channel.
std::string channel_table(const ChannelSet &records);

// Header "Channel,Frequency,Mode,PreAtt", then one record per channel: the
// frequency in hertz and the list's names without their trailing spaces;
// an empty channel has its number alone. CR LF line ends.
std::string channels_to_csv(const ChannelSet &records);

// The channels a CSV text names, every other channel empty. Two layouts,
// told apart by the header: ours (a "Channel" column, frequency in hertz)
// and the generic one of other tools (a "Location" column, frequency in MHz),
// columns found by name in any order, other columns ignored. Each channel is
// checked as the editor checks an edited one. False, with records unchanged,
// when anything is wrong; faults then holds every fault found.
bool channels_from_csv(std::string_view text, ChannelSet &records, std::vector<CsvFault> &faults);
