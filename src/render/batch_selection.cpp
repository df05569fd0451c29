#include "batch_selection.h"

#include <QDir>

#include <charconv>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace gyrorender {

namespace {

// Far more array tasks than any scheduler runs at once; a slip such as
// 1/1000000000000 is refused rather than wrapped.
constexpr int maxShards = 1000000;

std::optional<int> parseCount(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size() || value > maxShards)
        return std::nullopt;
    return value;
}

fs::path localPath(const QString& name)
{
    return fs::path(QFile::encodeName(name).toStdString());
}

}  // namespace

std::optional<Shard> parse_shard(const std::string& text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const auto index = parseCount(text.substr(0, slash));
    const auto count = parseCount(text.substr(slash + 1));
    if (!index || !count || *count < 1 || *index >= *count)
        return std::nullopt;
    return Shard{*index, *count};
}

std::optional<UsageError> take_batch_selection(std::vector<std::string>* arguments,
                                               BatchSelection* selection)
{
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments->size(); ++i) {
        const std::string& argument = (*arguments)[i];
        if (argument == "--skip-existing") {
            selection->skipExisting = true;
        } else if (argument == "--shard") {
            if (i + 1 >= arguments->size())
                return UsageError{QStringLiteral("--shard needs a value: K/N")};
            if (selection->shard)
                return UsageError{QStringLiteral("--shard may be given once")};
            const std::string& value = (*arguments)[++i];
            selection->shard = parse_shard(value);
            if (!selection->shard)
                return UsageError{QStringLiteral("--shard needs K/N with K from 0 to N - 1 and "
                                                 "N from 1 to %1, not \"%2\"")
                                      .arg(maxShards)
                                      .arg(QString::fromLocal8Bit(value))};
        } else {
            rest.push_back(argument);
        }
    }
    *arguments = std::move(rest);
    return std::nullopt;
}

std::optional<UsageError> check_batch_selection(const BatchSelection& selection, bool batchGiven)
{
    if (selection.shard && !batchGiven)
        return UsageError{QStringLiteral("--shard splits a batch list: it needs --batch")};
    return std::nullopt;
}

bool is_figure_line(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(" \t\r\n");
    return first != std::string::npos && line[first] != '#';
}

bool in_shard(int figureIndex, const std::optional<Shard>& shard)
{
    return !shard || figureIndex % shard->count == shard->index;
}

QStringList figure_inputs(const FigureOptions& figure)
{
    QStringList inputs = figure.surfaces + figure.statistics + figure.tags;
    if (!figure.colourBarDir.isEmpty()) {
        const QDir bars(figure.colourBarDir);
        for (const QString& name : bars.entryList({QStringLiteral("*.png")}, QDir::Files))
            inputs.append(bars.filePath(name));
    }
    return inputs;
}

bool output_up_to_date(const QString& output, const QStringList& inputs)
{
    std::error_code problem;
    const fs::file_time_type made = fs::last_write_time(localPath(output), problem);
    if (problem)
        return false;
    for (const QString& input : inputs) {
        const fs::file_time_type changed = fs::last_write_time(localPath(input), problem);
        if (problem || changed >= made)
            return false;
    }
    return true;
}

QString batch_selection_help()
{
    return QStringLiteral(
        R"(
Batch runs:
  --shard K/N           draw only the list's figures i with i mod N = K,
                        counting figure lines from 0 (blank lines and
                        comments are not counted): N runs, K from 0 to
                        N - 1, together draw each figure once
  --skip-existing       skip a figure whose image exists and is newer than
                        its surfaces, statistics, tags and colour bars
)");
}

}  // namespace gyrorender
