#pragma once

namespace mppi {

// Result codes of program records, bank images and bank files; 0 is success.
class BankErr
{
public:
    static constexpr int OPEN = -1002;          // the file cannot be opened
    static constexpr int NO_STREAM_BUF = -1003; // the opened stream has no buffer
    static constexpr int WRITE_HEADER = -1004;  // the 8-byte header was not written
    static constexpr int READ_HEADER = -1005;   // fewer than 8 header bytes
    static constexpr int SERIALIZE = -1006;     // the bank cannot be turned into an image
    static constexpr int PARSE = -1007;         // the image is not a sound bank image
    static constexpr int WRITE_DATA = -1008;    // the image did not reach the file whole
    static constexpr int READ_DATA = -1009;     // fewer image bytes than the header's size
    static constexpr int MAGIC = -1010;         // the file does not start with "TWBK"
    static constexpr int NBR_PROG = -1011;      // strict: another number of programs
    static constexpr int NBR_PARAM = -1012;     // strict: a program with another parameter count
    static constexpr int CONVERTER = -1013;     // the converter refused the bank
};

} // namespace mppi
