// Vertex-statistics files: named columns of 32-bit floats, one row per surface
// vertex, with a header of named text entries arranged as a tree.
//
// Two styles are read and written. Old style: bare rows of numbers; the first
// line's spaces give the column count and the columns are named Column0,
// Column1, ... New style: a "<header>" ... "</header>" block of nested tags
// and text, a line of space-separated column names, then the numbers.
//
// A file that cannot be read, and a column of the wrong length, end the
// process with an "ERROR: " line and exit status 1. That line and the notes
// on unreadable data go to the message sink, standard error unless one is
// set; progress lines and printHeaderStructure stay on standard output.
// Failed lookups throw InvalidColumnError or HeaderNotFoundError.
#ifndef ZEL_VERTSTATS_FILE_H
#define ZEL_VERTSTATS_FILE_H

#include "zelVertstatsHeaderEntry.h"
#include "zelVertstatsTree.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

class zelVertstatsFile {
public:
    using HeaderTree = zelVertstatsTree<zelVertstatsHeaderEntry>;
    using HeaderIterator = HeaderTree::iterator;

    // No column has that index or name.
    class InvalidColumnError {};
    // No header node has that name or path.
    class HeaderNotFoundError {};

    // Files whose first line (old style) or column-name line (new style) would
    // give more columns than this are refused with a message: such a line is
    // not a table, and every column costs memory before any value is read.
    static constexpr std::int32_t maxColumns = 1 << 20;

    // Receives each message line without its line feed.
    using MessageSink = std::function<void(const std::string&)>;
    // Sends the messages of every object in the process to `sink` and returns
    // the sink it replaces; an empty sink means standard error. The sink is a
    // plain static, not synchronised: set it while no other thread uses the
    // class. A message that ends the process reaches the sink before the exit.
    static MessageSink setMessageSink(MessageSink sink);

    zelVertstatsFile();
    zelVertstatsFile(const char* filename, bool loadData);
    zelVertstatsFile(std::string filename, bool loadData);

    // Forgets everything: afterwards the object is as newly constructed.
    void close();

    // 1 when the file's first line contains "<header>", else 0.
    int determineFileType(const char* filename);
    // Reads either style, adding to what the object holds. With loadData false
    // only the names (and header) are read, and no rows.
    void loadFile(const char* filename, bool loadData);
    void loadOldStyleFile(const char* filename, bool loadData);
    void loadNewStyleFile(const char* filename, bool loadData);
    // Reads `text` as loadFile reads a file of these bytes, with the same
    // results and messages; `name` stands for the file name in messages
    // (null gives an empty one).
    void loadFromString(std::string_view text, bool loadData, const char* name);

    std::vector<std::string> getDataHeader() const;
    std::vector<float> getDataColumn(std::int32_t index) const;
    // `name` is matched as a whole-name regular expression in which "." stands
    // for itself; with duplicates the last matching column wins.
    std::vector<float> getDataColumn(std::string name) const;
    // Every column, in column order.
    std::vector<std::vector<float>> getAllColumns() const;
    // Every column, in column order, moved out rather than copied: the object
    // keeps its header and column names and has no rows afterwards.
    std::vector<std::vector<float>> takeAllColumns();
    std::int32_t getNumColumns() const { return numColumns; }
    std::int32_t getNumRows() const { return numRows; }

    // A name is looked up over the whole tree in pre-order; "a:b" walks
    // children from the first top-level node (normally "header").
    HeaderIterator getHeaderIterator(std::string path);
    // The node's value, or an empty string when there is no such node.
    std::string getHeaderValue(std::string path);
    // A copy of the whole header tree.
    HeaderTree getHeaderTree() const { return headerTree; }

    // Writes the header (new style only), the column names and the rows;
    // false when the file cannot be written.
    bool writeFile(std::string filename, bool oldStyle);
    // The bytes writeFile would write, and the same lines on standard
    // output; false when the stream failed.
    bool write(std::ostream& out, bool oldStyle);
    void writeHeaderEntry(HeaderIterator position, std::ostream& out);

    // Appends `entry` (its value ending with a line feed) under the first node
    // named `parentName`, creating that node when needed.
    void putHeader(zelVertstatsHeaderEntry entry, std::string parentName);
    // Replaces the whole header by a copy of `tree`.
    void putHeader(HeaderTree tree);
    // Appends a line feed and `value` to the named entry, or creates the entry.
    void addToHeader(std::string name, std::string value);
    void addToHistory(std::string text);
    // Adds a time-stamped line with the command line to the history.
    void addToHistory(int argc, const char* const argv[]);

    // Appends a named column. While the object has no rows a column of any
    // length is taken and sets the row count; otherwise the length must match.
    void putDataColumn(std::vector<float> column, std::string name);

    // Lists the header tree's node names on standard output, two spaces of
    // indentation per level.
    void printHeaderStructure() const;

private:
    // One message line, without its line feed, to the sink.
    static void message(const std::string& line);
    // "ERROR: could not read file ..." and exit status 1.
    [[noreturn]] static void failRead(const char* filename);

    // Marks values a shorter column lacks.
    static constexpr float missingValue = std::numeric_limits<float>::quiet_NaN();

    void initialiseVariables();
    void destroyVariables();
    // Adds columns read from a file, keeping every column numRows long.
    void appendColumns(std::vector<std::string> names, std::vector<std::vector<float>> columns,
                       std::int32_t rows);
    // The two styles, from the file's bytes; `name` is the file name of messages.
    void loadOldStyleText(std::string_view text, bool loadData, const char* name);
    void loadNewStyleText(std::string_view text, bool loadData, const char* name);
    // Reads a new-style header from `text` into `tree`; the position of the
    // column-name line, or npos when the text has none.
    static std::size_t readHeader(HeaderTree& tree, std::string_view text);

    HeaderTree headerTree;
    std::vector<std::vector<float>> data;
    std::vector<std::string> dataHeader;
    std::int32_t numColumns = 0;
    std::int32_t numRows = 0;
};

#endif
