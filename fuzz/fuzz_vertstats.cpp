// Statistics files: the names alone, then names and rows; the table that
// results is checked, written in one of the styles and its header listed.
#include "fuzz_check.h"
#include "fuzz_io.h"

#include <iostream>
#include <streambuf>

namespace {

// Swallows whatever the library prints on standard output while it writes
// and lists, keeping the stream in a good state.
class null_buffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char *, std::streamsize n) override { return n; }
};

null_buffer null_sink;
std::ostream null_stream(&null_sink);

class silenced_stdout {
public:
    silenced_stdout() : saved_(std::cout.rdbuf(&sink_)) {}
    ~silenced_stdout() { std::cout.rdbuf(saved_); }

private:
    null_buffer sink_;
    std::streambuf *saved_;
};

void check_table(const zelVertstatsFile &file)
{
    fuzz_require(file.getNumColumns() >= 0 && file.getNumRows() >= 0,
                 "counts are not negative");
    fuzz_require(file.getDataHeader().size() == std::size_t(file.getNumColumns()),
                 "one name per column");
    std::vector<std::vector<float>> columns = file.getAllColumns();
    fuzz_require(columns.size() == std::size_t(file.getNumColumns()), "one list per column");
    for (const auto &column : columns)
        fuzz_require(column.size() == std::size_t(file.getNumRows()),
                     "every column is as long as the table");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    zelVertstatsFile names;
    read_vertstats_input(names, data, size, false);
    check_table(names);
    fuzz_require(names.getNumRows() == 0, "no rows without the data");

    zelVertstatsFile file;
    read_vertstats_input(file, data, size, true);
    check_table(file);
    fuzz_require(file.getNumColumns() == names.getNumColumns(),
                 "the same columns with and without the data");
    if (file.getNumColumns() > 0)
        file.getDataColumn(file.getNumColumns() - 1);
    file.getHeaderValue("history");
    file.getHeaderValue("header:history");

    silenced_stdout quiet;
    // one style per input, picked by its size; the bytes go nowhere
    fuzz_require(file.write(null_stream, size & 1), "writing to a stream that takes everything succeeds");
    file.printHeaderStructure();
    return 0;
}
