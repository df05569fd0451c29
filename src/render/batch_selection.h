// Which figures of a batch list a run draws: its share of the list when N
// processes split it (--shard K/N), and none whose image is already newer
// than every file it is made from (--skip-existing), so a run after a
// failure redoes only what is missing.
#pragma once

#include "render_options.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace gyrorender {

struct Shard {
    int index = 0;  // K, from 0 to count - 1
    int count = 1;  // N
};

struct BatchSelection {
    std::optional<Shard> shard;
    bool skipExisting = false;
};

// Takes --shard K/N and --skip-existing out of `arguments`, leaving the
// rest in order. A usage error for a malformed or repeated shard, or a
// shard without --batch (which `batchGiven` tells).
std::optional<UsageError> take_batch_selection(std::vector<std::string>* arguments,
                                               BatchSelection* selection);
std::optional<UsageError> check_batch_selection(const BatchSelection& selection, bool batchGiven);

// "K/N" with 0 <= K < N; nothing else, not even blanks.
std::optional<Shard> parse_shard(const std::string& text);

// A line that describes a figure: not blank, not a comment.
bool is_figure_line(const std::string& line);
// Whether the figure counted `figureIndex` (from 0, over figure lines only)
// belongs to the shard; every figure belongs to no shard at all.
bool in_shard(int figureIndex, const std::optional<Shard>& shard);

// The files a figure is made from: surfaces, statistics, tags, and the
// .png bars of its colour-bar directory.
QStringList figure_inputs(const FigureOptions& figure);
// True when `output` exists and is newer than every one of `inputs`; false
// when any input is missing, so that drawing it reports the problem.
bool output_up_to_date(const QString& output, const QStringList& inputs);

// The help text's lines for the two options.
QString batch_selection_help();

}  // namespace gyrorender
