// RFC 4180 records: fields separated by commas, records by line ends (CR LF,
// LF or CR), fields in double quotes holding commas, line ends and doubled
// quotes. Bytes are kept as they are; the caller decides what they mean.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A fault of the input at the line (from 1) where it shows.
struct CsvFault {
    int line;
    std::string what;
};

struct CsvRecord {
    int line; // where the record starts
    std::vector<std::string> fields;
};

// The records of text, a leading UTF-8 byte order mark dropped. A record
// whose quoting is broken is reported in faults and left out.
std::vector<CsvRecord> read_csv(std::string_view text, std::vector<CsvFault> &faults);
