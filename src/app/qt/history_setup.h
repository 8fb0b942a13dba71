#pragma once

#include <memory>
#include <string>

#include "app/qt/console_options.h"
#include "common/result.h"
#include "history/qt/history_writer.h"

namespace tavrin {

// The writer's options for the command line's history options, in the
// program folder `programDir` (ending with the separator).
Result<HistoryWriterOptions> HistoryWriterOptionsFor(const std::string& programDir,
                                                     const HistoryOptions& options);

// The running history writer; null with --no-history, or when the history
// cannot be kept: then `note` says why (the console runs on without it).
std::unique_ptr<HistoryWriter> StartHistory(const std::string& programDir,
                                            const HistoryOptions& options, std::string& note);

// --history NAME and --history-export FILE: the record printed on standard
// output, the sanctions written as CSV. The exit status: 0, 1 when the player
// has no record, 74 when the file cannot be written, 69 when the history
// cannot be read.
int RunHistoryLookups(const std::string& programDir, const HistoryOptions& options);

}  // namespace tavrin
